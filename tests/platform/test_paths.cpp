// Windows paths over a Wine prefix: how typed paths find host files and back.

#include "platform/posix/wineprefix.h"
#include "platform/winpath.h"
#include "support/TempPrefix.h"

#include <QTest>

using namespace tolvane;
using namespace tolvane::platform;
namespace fs = std::filesystem;

class PathsTest : public QObject {
    Q_OBJECT
private slots:
    void resolvesLetterCaseOfExistingEntries() {
        test::TempPrefix prefix;
        auto file = prefix.makeFile("UnrealTournament/Maps/CTF-Face.unr");
        WinePrefix wine(prefix.root());
        auto host = wine.toHost("c:\\unrealtournament\\MAPS\\ctf-face.UNR");
        QVERIFY(host);
        QCOMPARE(fs::canonical(*host), fs::canonical(file));
        // The written-as and run-as spellings of one file are the same host file.
        prefix.makeFile("UT/uccmake.bat");
        QCOMPARE(*wine.toHost("C:\\UT\\uccMake.Bat"), *wine.toHost("C:\\UT\\uccmake.bat"));
    }

    void keepsMissingComponentsAsTyped() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT");
        WinePrefix wine(prefix.root());
        auto host = wine.toHost("C:\\ut\\New Folder\\Sub\\File.TXT");
        QVERIFY(host);
        QCOMPARE(host->filename().string(), std::string("File.TXT"));
        QCOMPARE(host->parent_path().filename().string(), std::string("Sub"));
        QCOMPARE(host->parent_path().parent_path().parent_path().filename().string(),
                 std::string("UT"));
    }

    void skipsDoubledSeparatorsDotsAndClimbsWithDotDot() {
        test::TempPrefix prefix;
        auto file = prefix.makeFile("UT/System/ucc.exe");
        WinePrefix wine(prefix.root());
        for (const char* spelling :
             {"C:\\\\UT\\System\\ucc.exe", "C:\\UT\\\\System\\.\\ucc.exe",
              "C:\\UT\\Maps\\..\\System\\ucc.exe", "C:\\..\\..\\UT\\System\\ucc.exe"}) {
            auto host = wine.toHost(spelling);
            QVERIFY2(host, spelling);
            QCOMPARE(fs::canonical(*host), fs::canonical(file));
        }
    }

    void refusesPathsWithoutAnExistingDrive() {
        test::TempPrefix prefix;
        WinePrefix wine(prefix.root());
        QVERIFY(!wine.toHost("Q:\\anything"));
        QVERIFY(!wine.toHost("\\Compressed"));
        QVERIFY(!wine.toHost("relative\\path"));
        QVERIFY(!wine.toHost(""));
        // The host cuts a path at a NUL, which would turn "..\0x" into a real "..".
        using namespace std::string_view_literals;
        QVERIFY(!wine.toHost("C:\\..\0x\\..\0y\\etc"sv));
        QVERIFY(!wine.toHost("C:\\UT\0"sv));
    }

    void listsDrivesThatExistIncludingDanglingLinks() {
        test::TempPrefix prefix;
        prefix.addDrive('D', prefix.root() / "games");
        fs::create_symlink(prefix.root() / "nowhere", prefix.root() / "dosdevices" / "e:");
        fs::create_directories(prefix.root() / "dosdevices" / "notadrive");
        std::string letters;
        for (auto& drive : WinePrefix(prefix.root()).drives()) {
            letters += drive.letter;
        }
        QCOMPARE(letters, std::string("CDE"));
    }

    void mapsHostPathsBackThroughTheLongestDrive() {
        test::TempPrefix prefix;
        prefix.addDrive('Z', "/");
        prefix.addDrive('D', prefix.root() / "games");
        fs::create_directories(prefix.root() / "games" / "UT" / "Maps");
        WinePrefix wine(prefix.root());
        QCOMPARE(*wine.toWindows(prefix.root() / "games" / "UT" / "Maps"),
                 std::string("D:\\UT\\Maps"));
        QCOMPARE(*wine.toWindows(prefix.driveC()), std::string("C:\\"));
        QCOMPARE(*wine.toWindows("/tmp"), std::string("Z:\\tmp"));
        // Through the link itself as well as through its target.
        QCOMPARE(*wine.toWindows(prefix.root() / "dosdevices" / "d:" / "UT"),
                 std::string("D:\\UT"));
    }

    void refusesARelativeWinePrefix() {
        test::TempPrefix prefix;
        ::setenv("WINEPREFIX", "relative/prefix", 1);
        std::string why;
        QVERIFY(!WinePrefix::fromEnvironment(&why));
        QVERIFY(!why.empty());
        QVERIFY(!toHostPath("C:\\"));
    }

    void splitsAndJoinsWindowsPathText() {
        QCOMPARE(parentOf("C:\\UT\\Maps"), std::string("C:\\UT"));
        QCOMPARE(parentOf("C:\\UT"), std::string("C:\\"));
        QCOMPARE(parentOf("C:\\"), std::string());
        QCOMPARE(normalizeWinPath("C:\\UT\\\\Maps\\"), std::string("C:\\UT\\Maps"));
        QCOMPARE(normalizeWinPath("c:"), std::string("C:\\"));
        QCOMPARE(fileNameOf("C:\\\\a.unr"), std::string("a.unr"));
        QCOMPARE(joinFolder("C:\\", "UT"), std::string("C:\\UT"));
        QCOMPARE(joinFolder("C:\\UT", "Maps"), std::string("C:\\UT\\Maps"));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "test_paths.moc"
