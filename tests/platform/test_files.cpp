// Windows paths over a Wine prefix: how typed paths find host files and back, letter case as
// Wine compares names, and the file operations on them.

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix/foldernames.h"
#include "platform/posix/wineprefix.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <sys/stat.h>

using namespace tolvane::platform;
namespace fs = std::filesystem;

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    // Each component exactly, else in any letter case, else as typed; "\\", "." and ".." as the
    // host would take them, without climbing above the drive. Expected: below the prefix.
    void findsHostFiles_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, QByteArray typed, const char* expected = nullptr) {
            QTest::newRow(name) << typed << QString(expected);
        };
        row("letter case", "c:\\ut\\MAPS\\ctf-face.UNR", "drive_c/UT/Maps/CTF-Face.unr");
        row("written and run", "C:\\UT\\uccMake.Bat", "drive_c/UT/uccmake.bat");
        row("missing as typed", "C:\\ut\\New\\File.TXT", "drive_c/UT/New/File.TXT");
        row("doubled and dot", "C:\\\\UT\\\\Maps\\.\\x", "drive_c/UT/Maps/x");
        row("dot dot", "C:\\..\\..\\UT\\Gone\\..\\Maps", "drive_c/UT/Maps");
        row("drive D", "d:\\Data", "games/Data");
        row("no such drive", "Q:\\anything");
        row("no drive", "\\Compressed");
        row("relative", "relative\\path");
        row("empty", "");
        // The host cuts a path at a NUL, which would turn "..\0x" into a real "..".
        row("NUL", QByteArray("C:\\..\0x\\..\0y\\etc", 16));
    }
    void findsHostFiles() {
        QFETCH(QByteArray, typed);
        QFETCH(QString, expected);
        tolvane::test::TempPrefix prefix;
        prefix.makeFile("UT/Maps/CTF-Face.unr");
        prefix.makeFile("UT/uccmake.bat");
        prefix.addDrive('D', prefix.root() / "games");
        const auto host = WinePrefix(prefix.root()).toHost(typed.toStdString());
        QCOMPARE(host.has_value(), !expected.isNull());
        if (host) {
            QCOMPARE(fs::weakly_canonical(*host),
                     fs::weakly_canonical(prefix.root() / expected.toStdString()));
        }
    }

    // Drives are the links that exist, dangling or not; host paths map back through the longest.
    void drivesTheWayBackAndARelativePrefix() {
        tolvane::test::TempPrefix prefix;
        prefix.addDrive('Z', "/");
        prefix.addDrive('D', prefix.root() / "games");
        fs::create_symlink(prefix.root() / "nowhere", prefix.root() / "dosdevices" / "e:");
        fs::create_directories(prefix.root() / "dosdevices" / "notadrive");
        const WinePrefix wine(prefix.root());
        std::string letters;
        for (auto& drive : wine.drives()) {
            letters += drive.letter;
        }
        QCOMPARE(letters, std::string("CDEZ"));
        QCOMPARE(*wine.toWindows(prefix.root() / "games" / "UT"), std::string("D:\\UT"));
        QCOMPARE(*wine.toWindows(prefix.root() / "dosdevices" / "d:" / "UT"),
                 std::string("D:\\UT"));
        QCOMPARE(*wine.toWindows(prefix.driveC()), std::string("C:\\"));
        QCOMPARE(*wine.toWindows("/tmp"), std::string("Z:\\tmp"));

        // A relative prefix is refused, as Wine refuses it.
        tolvane::test::ScopedEnv relative("WINEPREFIX", "relative/prefix");
        std::string why;
        QVERIFY(!WinePrefix::fromEnvironment(&why) && !why.empty());
        QVERIFY(!toHostPath("C:\\"));
    }

    void writesOverAnyLetterCaseCreatesOneFolderLevelAndDeletesReadOnlyFilesOnlyWhenForced() {
        tolvane::test::TempPrefix prefix;
        // The batch file written as "uccMake.Bat" replaces "uccmake.bat" rather than adding a twin.
        prefix.makeFile("UT/uccmake.bat", "old");
        QVERIFY(!writeFileBytes("C:\\UT\\uccMake.Bat", "new\r\n"));
        QCOMPARE(tolvane::test::readFile(prefix.driveC() / "UT" / "uccmake.bat"), "new\r\n");
        QCOMPARE(std::distance(fs::directory_iterator(prefix.driveC() / "UT"), {}), 1);
        QVERIFY(!createFolder("C:\\A") && folderExists("C:\\a"));
        QVERIFY(createFolder("C:\\B\\C").code != 0);
        const auto file = prefix.makeFile("A/locked.unr");
        ::chmod(file.c_str(), 0444);
        QCOMPARE(deleteFile("C:\\A\\locked.unr", false).code, kErrorAccessDenied);
        QVERIFY(!deleteFile("C:\\a\\LOCKED.unr", true) && !fs::exists(file));
        QCOMPARE(deleteFile("C:\\A\\locked.unr", true).code, kErrorFileNotFound);
        QCOMPARE(nearestExistingFolder("C:\\A\\Gone\\Deeper"), std::string("C:\\A"));
        QCOMPARE(nearestExistingFolder("Q:\\x"), std::string());
    }

    // Letter case as Wine compares file names: each letter to its simple upper case. A file
    // looked for in another case is found by the same rule, among other entries of its folder.
    void lettersCompareAsWineComparesFileNames() { checkLetterCases(); }

    // Last, since it lasts for the rest of the process: with folder entries remembered, the same
    // answers, and every change anybody makes to a folder is seen, also a new folder in its place.
    void rememberedFoldersFollowEveryChange() {
        rememberFolderEntries();
        checkLetterCases();
        tolvane::test::TempPrefix prefix;
        prefix.makeFile("Out/old.uz");
        const fs::path out = prefix.driveC() / "Out";
        const auto found = [&] {
            return WinePrefix(prefix.root()).toHost("C:\\out\\NEW.UZ")->filename().string();
        };
        QCOMPARE(found(), std::string("NEW.UZ"));
        prefix.makeFile("Out/new.uz");
        QCOMPARE(found(), std::string("new.uz"));
        fs::rename(out / "new.uz", out / "other.uz");
        QCOMPARE(found(), std::string("NEW.UZ"));
        fs::rename(out, prefix.driveC() / "Before");
        prefix.makeFile("Out/New.uz");
        QCOMPARE(found(), std::string("New.uz"));
    }

private:
    static void checkLetterCases() {
        // One or more letters from each script Windows-1252 holds, and the letters whose upper
        // case lies outside it.
        const std::tuple<const char*, const char*, bool> cases[] = {
            {"CTF-Face.unr", "ctf-face.UNR", true},
            {"\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C\xC3\x87\xC3\x90\xC3\x9E",
             "\xC3\xA0\xC3\xA9\xC3\xAE\xC3\xB5\xC3\xBC\xC3\xA7\xC3\xB0\xC3\xBE", true}, // Latin-1
            {"\xC5\xB8", "\xC3\xBF", true},                                 // Y diaeresis
            {"\xC5\x92\xC5\xA0\xC5\xBD", "\xC5\x93\xC5\xA1\xC5\xBE", true}, // OE S Z caron
            {"\xC6\x91", "\xC6\x92", true},                                 // f hook
            {"\xCE\x9C", "\xC2\xB5", true},                                 // micro sign
            {"\xCE\xA3", "\xCF\x82", true},                                 // final sigma
            {"\xD0\x94\xD0\x81", "\xD0\xB4\xD1\x91", true},                 // Cyrillic
            {"I", "\xC4\xB1", true},                                        // dotless i
            {"S", "\xC5\xBF", true},                                        // long s
            {"SS", "\xC3\x9F", false},                                      // sharp s
            {"k", "\xE2\x84\xAA", false},                                   // Kelvin sign
            {"\xC3\x97", "\xC3\xB7", false},                                // times, divide
            {"a", "b", false},
        };
        for (const auto& [a, b, same] : cases) {
            QVERIFY2(equalsIgnoringCase(a, b) == same, a);
            tolvane::test::TempPrefix prefix;
            prefix.makeFile(std::string("F/") + a + ".x");
            prefix.makeFile(std::string("F/") + a + "x");
            prefix.makeFile(std::string("F/x") + a);
            const auto host = WinePrefix(prefix.root()).toHost(std::string("C:\\F\\") + b + ".x");
            QVERIFY2(host && fs::exists(*host) == same, a);
        }
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "test_files.moc"
