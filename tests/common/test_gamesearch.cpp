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
    test::ScopedEnv vars[5] = {{"HOME", home.string()},
                               {"WINEPREFIX", ""},
                               {"XDG_DATA_HOME", ""},
                               {"XDG_CONFIG_HOME", ""},
                               {"CHOSEN", ""}};

    void file(const fs::path& path, const std::string& text = "x") {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    // A game folder with the Windows tool, the native one, or both.
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
    std::string prefix(const fs::path& root, const std::string& folder, bool win64 = false) {
        fs::create_directories(root / "dosdevices");
        fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
        const QString value = QString::fromStdString(folder).replace('\\', "\\\\");
        file(root / "system.reg",
             std::string("WINE REGISTRY Version 2\n") + (win64 ? "#arch=win64\n" : "") +
                 "[Software\\\\" + (win64 ? "Wow6432Node\\\\" : "") +
                 "Unreal Technology\\\\Installed Apps\\\\UnrealTournament] 1\n\"Folder\"=\"" +
                 value.toStdString() + "\"\n");
        return root.string();
    }
};

std::string onZ(const fs::path& host) {
    return "Z:" + QString::fromStdString(host.string()).replace('/', '\\').toStdString();
}

} // namespace

class GameSearchTest : public QObject {
    Q_OBJECT
private slots:
    // Each row sets up a home and returns the game folder and prefix it must be found in.
    void findsTheGameWherePlayersHaveItAndInOrder() {
        using Expected = std::pair<std::string, std::string>;
        const std::vector<std::pair<const char*, std::function<Expected(FakeHome&)>>> rows = {
            {"OldUnreal's native install before ~/.wine",
             [](FakeHome& h) {
                 h.game(h.prefix(h.home / ".wine", "C:\\UT") + "/drive_c/UT", true);
                 return Expected{
                     onZ(h.game(h.home / ".local/share/OldUnreal/UnrealTournament", false, true)),
                     ""};
             }},
            {"OldUnreal under XDG_DATA_HOME",
             [](FakeHome& h) {
                 ::setenv("XDG_DATA_HOME", (h.home / "data").c_str(), 1);
                 return Expected{
                     onZ(h.game(h.home / "data/OldUnreal/UnrealTournament", false, true)), ""};
             }},
            {"LinuxGSM server",
             [](FakeHome& h) {
                 return Expected{onZ(h.game(h.home / "serverfiles", false, true)), ""};
             }},
            {"Steam library listed in libraryfolders.vdf",
             [](FakeHome& h) {
                 const fs::path lib = h.home / "other disk" / "SteamLibrary";
                 h.file(h.home / ".local/share/Steam/steamapps/libraryfolders.vdf",
                        "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + lib.string() +
                            "\"\n\t}\n}\n");
                 h.file(lib / "steamapps/appmanifest_13240.acf",
                        "\"AppState\"\n{\n\t\"installdir\"\t\t\"Unreal Tournament GOTY\"\n}\n");
                 return Expected{onZ(h.game(lib / "steamapps/common/Unreal Tournament GOTY", true)),
                                 ""};
             }},
            {"registry of ~/.wine, trailing backslash kept",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.home / ".wine", "C:\\Games\\UT\\");
                 h.game(p + "/drive_c/Games/UT", true);
                 return Expected{"C:\\Games\\UT\\", p};
             }},
            {"Lutris prefix named in its game file, 64-bit, both tools",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.home / "../lutris/ut", "C:\\UnrealTournament", true);
                 h.file(h.home / ".config/lutris/games/unreal-tournament-1.yml",
                        "game:\n  exe: x\nwine:\n  prefix: " + p + "\n");
                 h.game(p + "/drive_c/UnrealTournament", true, true);
                 return Expected{"C:\\UnrealTournament", p};
             }},
            {"$WINEPREFIX before native installs",
             [](FakeHome& h) {
                 h.game(h.home / "serverfiles", false, true);
                 const auto p = h.prefix(h.home / "ut-prefix", "C:\\UT");
                 ::setenv("WINEPREFIX", p.c_str(), 1);
                 h.game(p + "/drive_c/UT", true);
                 return Expected{"C:\\UT", p};
             }},
            {"a registry naming no game is passed over",
             [](FakeHome& h) {
                 h.prefix(h.home / ".wine", "C:\\Gone");
                 const auto p = h.prefix(h.home / "Games/unreal-tournament", "C:\\UT");
                 h.game(p + "/drive_c/UT", true);
                 return Expected{"C:\\UT", p};
             }},
            {"the chosen folder first, even without a tool",
             [](FakeHome& h) {
                 h.game(h.home / "serverfiles", false, true);
                 ::setenv("CHOSEN", h.game(h.home / "redirect", false).c_str(), 1);
                 return Expected{onZ(h.home / "redirect"), ""};
             }},
            {"a chosen folder inside a prefix is seen through its drives",
             [](FakeHome& h) {
                 const auto p = h.prefix(h.home / ".wine", "C:\\Other");
                 ::setenv("CHOSEN", h.game(p + "/drive_c/My Games/UT", true).c_str(), 1);
                 return Expected{"C:\\My Games\\UT", p};
             }},
        };
        for (const auto& [name, setUp] : rows) {
            FakeHome home;
            const Expected expected = setUp(home);
            const GameSearchResult result = findGame({"", std::getenv("CHOSEN")});
            const Expected found = result.found
                                       ? Expected{result.found->folder, result.found->winePrefix}
                                       : Expected{};
            QVERIFY2(
                found == expected,
                (std::string(name) + ": " + found.first + " in '" + found.second + "'").c_str());
        }
    }

    // Nothing found: every place looked at is named, and a chosen folder that is gone says so;
    // a named folder that cannot be used says why, and the search goes on without it.
    void saysWhereItLookedAndWhyANamedFolderCannotServe() {
        FakeHome home;
        home.prefix(home.home / ".wine", "C:\\Gone");
        const auto result =
            findGame({(home.home / "missing").string(), (home.home / "gone").string()});
        QVERIFY(!result.found && result.chosenVanished);
        QCOMPARE(result.namedProblem,
                 "The folder " + (home.home / "missing").string() + " does not exist.");
        std::string looked;
        for (const auto& place : result.looked) {
            looked += place + "\n";
        }
        for (const char* place : {"gone (the folder you chose)", "OldUnreal/UnrealTournament",
                                  "serverfiles", "Steam", ".wine", "Lutris"}) {
            QVERIFY2(looked.find(place) != std::string::npos, looked.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(GameSearchTest)
#include "test_gamesearch.moc"
