// File operations on Windows paths, and the Windows code page.

#include "platform/codepage.h"
#include "platform/files.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <sys/stat.h>

using namespace tolvane::platform;
namespace fs = std::filesystem;

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    // The batch file written as "uccMake.Bat" replaces "uccmake.bat" rather than adding a twin.
    void writingReplacesAFileOfAnyLetterCase() {
        tolvane::test::TempPrefix prefix;
        prefix.makeFile("UT/uccmake.bat", "old");
        QVERIFY(!writeFileBytes("C:\\UT\\uccMake.Bat", "new\r\n"));
        QCOMPARE(tolvane::test::readFile(prefix.driveC() / "UT" / "uccmake.bat"), "new\r\n");
        QCOMPARE(std::distance(fs::directory_iterator(prefix.driveC() / "UT"), {}), 1);
        QCOMPARE(writeFileBytes("C:\\Missing\\x.bat", "a").code, kErrorFileNotFound);
        QVERIFY(writeFileBytes("Q:\\x.bat", "a").code != 0);
        QCOMPARE(std::distance(fs::directory_iterator(prefix.driveC()), {}), 1);
    }

    void createsOneFolderLevelAndDeletesReadOnlyFilesOnlyWhenForced() {
        tolvane::test::TempPrefix prefix;
        QVERIFY(!createFolder("C:\\A") && folderExists("C:\\a"));
        QVERIFY(createFolder("C:\\B\\C").code != 0);
        QVERIFY(createFolder("C:\\A").code != 0);
        const auto file = prefix.makeFile("A/locked.unr");
        ::chmod(file.c_str(), 0444);
        QCOMPARE(deleteFile("C:\\A\\locked.unr", false).code, kErrorAccessDenied);
        QVERIFY(!deleteFile("C:\\a\\LOCKED.unr", true) && !fs::exists(file));
        QCOMPARE(deleteFile("C:\\A\\locked.unr", true).code, kErrorFileNotFound);
        QCOMPARE(nearestExistingFolder("C:\\A\\Gone\\Deeper"), std::string("C:\\A"));
        QCOMPARE(nearestExistingFolder("Q:\\x"), std::string());
    }

    void listsEntriesWithHiddenAndReadOnlyFlags() {
        tolvane::test::TempPrefix prefix;
        ::chmod(prefix.makeFile("UT/a.unr", "12345").c_str(), 0444);
        prefix.makeFile("UT/.hidden");
        prefix.makeFolder("UT/Maps");
        std::vector<FileInfo> entries;
        QVERIFY(!listFolder("C:\\UT", entries));
        std::map<std::string, std::tuple<bool, bool, bool, std::uint64_t>> flags;
        for (const auto& e : entries) {
            flags[e.name] = {e.isFolder, e.hidden, e.readOnly, e.isFolder ? 0 : e.size};
        }
        QCOMPARE(flags, (decltype(flags){{"a.unr", {false, false, true, 5}},
                                         {".hidden", {false, true, false, 1}},
                                         {"Maps", {true, false, false, 0}}}));
        QVERIFY(listFolder("C:\\Nope", entries).code != 0);
    }

    void convertsTheCodePageBothWays() {
        std::string all;
        for (int b = 1; b < 256; ++b) {
            all += static_cast<char>(b);
        }
        QCOMPARE(utf8ToNarrow(narrowToUtf8(all)).value_or(""), all);
        QVERIFY(!utf8ToNarrow("\xFF\xFE"));         // not UTF-8
        QVERIFY(!utf8ToNarrow("\xF0\x9F\x8E\xAE")); // outside the code page
        QCOMPARE(narrowToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
        QVERIFY(equalsIgnoringCase("\xC3\x89T\xC3\xA9", "\xC3\xA9t\xC3\x89"));
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "test_files.moc"
