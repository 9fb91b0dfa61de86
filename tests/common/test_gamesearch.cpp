// Where the game is found: one fake home per place players and admins have it, and the order
// between the places when several hold a game.

#include "common/GameSearch.h"
#include "support/ScopedEnv.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

struct FakeHome {
    QTemporaryDir dir;
    fs::path home = fs::path(dir.path().toStdString()) / "home";
    test::ScopedEnv homeVariable{"HOME", home.string()};
    test::ScopedEnv noPrefix{"WINEPREFIX", ""};
    test::ScopedEnv noDataHome{"XDG_DATA_HOME", ""};
    test::ScopedEnv noConfigHome{"XDG_CONFIG_HOME", ""};

    fs::path file(const fs::path& path, const std::string& text = "x") {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path;
    }
    // A game whose tool is the Windows one, the native one, or both.
    fs::path game(const fs::path& folder, bool windows, bool native = false) {
        fs::create_directories(folder / "Maps");
        if (windows) {
            file(folder / "System" / "UCC.exe", "MZ");
        }
        if (native) {
            file(folder / "System64" / "ucc-bin-amd64");
        }
        return folder;
    }
    // A Wine prefix whose registry names the game folder (under Wow6432Node when 64-bit).
    fs::path prefix(const fs::path& root, const std::string& folder, bool win64 = false) {
        fs::create_directories(root / "drive_c");
        fs::create_directories(root / "dosdevices");
        fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_symlink("/", root / "dosdevices" / "z:");
        std::string escaped;
        for (char c : folder) {
            escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        }
        file(root / "system.reg",
             std::string("WINE REGISTRY Version 2\n") + (win64 ? "#arch=win64\n" : "") +
                 "[Software\\\\" + (win64 ? "Wow6432Node\\\\" : "") +
                 "Unreal Technology\\\\Installed Apps\\\\UnrealTournament] 1\n\"Folder\"=\"" +
                 escaped + "\"\n");
        return root;
    }
};

std::string onZ(const fs::path& host) {
    std::string out = "Z:";
    for (char c : host.string()) {
        out += c == '/' ? '\\' : c;
    }
    return out;
}

} // namespace

class GameSearchTest : public QObject {
    Q_OBJECT
private slots:
    void findsTheGameWherePlayersHaveItAndInOrder() {
        struct Row {
            const char* name;
            std::function<GameLocation(FakeHome&)> setUp; // the location expected
            GameSearchInput input = {};
        };
        const fs::path none;
        const std::vector<Row> rows = {
            {"OldUnreal's native install",
             [](FakeHome& h) {
                 const auto g =
                     h.game(h.home / ".local/share/OldUnreal/UnrealTournament", false, true);
                 h.prefix(h.home / ".wine", "C:\\UT"); // later in the order
                 h.game(h.home / ".wine/drive_c/UT", true);
                 return GameLocation{onZ(g), "", false, g.string()};
             }},
            {"OldUnreal under XDG_DATA_HOME",
             [](FakeHome& h) {
                 ::setenv("XDG_DATA_HOME", (h.home / "data").c_str(), 1);
                 const auto g = h.game(h.home / "data/OldUnreal/UnrealTournament", false, true);
                 return GameLocation{onZ(g), "", false, g.string()};
             }},
            {"LinuxGSM server",
             [](FakeHome& h) {
                 const auto g = h.game(h.home / "serverfiles", false, true);
                 return GameLocation{onZ(g), "", false, g.string()};
             }},
            {"Steam library listed in libraryfolders.vdf",
             [](FakeHome& h) {
                 const fs::path lib = h.home / "other disk" / "SteamLibrary";
                 h.file(h.home / ".local/share/Steam/steamapps/libraryfolders.vdf",
                        "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + lib.string() +
                            "\"\n\t}\n}\n");
                 h.file(lib / "steamapps/appmanifest_13240.acf",
                        "\"AppState\"\n{\n\t\"installdir\"\t\t\"Unreal Tournament GOTY\"\n}\n");
                 const auto g = h.game(lib / "steamapps/common/Unreal Tournament GOTY", true);
                 return GameLocation{onZ(g), "", false, g.string()};
             }},
            {"registry of ~/.wine",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.home / ".wine", "C:\\Games\\UT\\");
                 const auto g = h.game(p / "drive_c/Games/UT", true);
                 return GameLocation{"C:\\Games\\UT\\", p.string(), true, g.string()};
             }},
            {"Lutris prefix named in its game file, both tools",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.dir.path().toStdString() + "/lutris/ut",
                                         "C:\\UnrealTournament", true);
                 h.file(h.home / ".config/lutris/games/unreal-tournament-1.yml",
                        "game:\n  exe: x\nwine:\n  prefix: " + p.string() + "\n");
                 const auto g = h.game(p / "drive_c/UnrealTournament", true, true);
                 return GameLocation{"C:\\UnrealTournament", p.string(), true, g.string()};
             }},
            {"$WINEPREFIX before native installs",
             [](FakeHome& h) {
                 h.game(h.home / "serverfiles", false, true);
                 const auto p = h.prefix(h.home / "ut-prefix", "C:\\UT");
                 ::setenv("WINEPREFIX", p.c_str(), 1);
                 const auto g = h.game(p / "drive_c/UT", true);
                 return GameLocation{"C:\\UT", p.string(), true, g.string()};
             }},
            {"a registry naming no game is passed over",
             [](FakeHome& h) {
                 h.prefix(h.home / ".wine", "C:\\Gone");
                 const auto p = h.prefix(h.home / "Games/unreal-tournament", "C:\\UT");
                 const auto g = h.game(p / "drive_c/UT", true);
                 return GameLocation{"C:\\UT", p.string(), true, g.string()};
             }},
            {"the chosen folder first, even without a tool",
             [](FakeHome& h) {
                 h.game(h.home / "serverfiles", false, true);
                 const auto g = h.game(h.home / "redirect", false);
                 ::setenv("CHOSEN", g.c_str(), 1);
                 return GameLocation{onZ(g), "", false, g.string()};
             }},
            {"a chosen folder inside a prefix is seen through its drives",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.home / ".wine", "C:\\Other");
                 const auto g = h.game(p / "drive_c/My Games/UT", true);
                 ::setenv("CHOSEN", g.c_str(), 1);
                 return GameLocation{"C:\\My Games\\UT", p.string(), false, g.string()};
             }},
        };
        for (const auto& row : rows) {
            FakeHome home;
            test::ScopedEnv chosen{"CHOSEN", ""};
            const GameLocation expected = row.setUp(home);
            const GameSearchResult result = findGame({"", std::getenv("CHOSEN")});
            QVERIFY2(result.found, row.name);
            const auto& found = *result.found;
            QVERIFY2(
                std::tie(found.folder, found.winePrefix, found.fromRegistry, found.hostFolder) ==
                    std::tie(expected.folder, expected.winePrefix, expected.fromRegistry,
                             expected.hostFolder),
                (std::string(row.name) + ": " + found.folder + " in '" + found.winePrefix + "'")
                    .c_str());
        }
    }

    // Nothing found: every place looked at is named, and a chosen folder that is gone says so;
    // a named folder that cannot be used says why, and the search goes on without it.
    void saysWhereItLookedAndWhyANamedFolderCannotServe() {
        FakeHome home;
        home.prefix(home.home / ".wine", "C:\\Gone");
        const fs::path locked = home.home / "locked";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::none);
        const auto result =
            findGame({(home.home / "missing").string(), (home.home / "gone").string()});
        QVERIFY(!result.found && result.chosenVanished);
        QCOMPARE(result.namedProblem,
                 "The folder " + (home.home / "missing").string() + " does not exist.");
        const auto looked = QString::fromStdString([&] {
            std::string all;
            for (const auto& place : result.looked) {
                all += place + "\n";
            }
            return all;
        }());
        for (const char* place : {"gone (the folder you chose)", "OldUnreal/UnrealTournament",
                                  "serverfiles", "Steam", ".wine", "Lutris"}) {
            QVERIFY2(looked.contains(QString::fromLatin1(place)), qPrintable(looked));
        }
        std::string whyNot;
        const bool unreadable = !locateFolder(locked, whyNot).has_value();
        fs::permissions(locked, fs::perms::owner_all);
        if (::geteuid() != 0) { // root reads every folder
            QVERIFY(unreadable);
            QCOMPARE(whyNot, "The folder " + locked.string() + " cannot be read.");
        }
    }
};

QTEST_GUILESS_MAIN(GameSearchTest)
#include "test_gamesearch.moc"
