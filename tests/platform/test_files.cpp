// File operations on Windows paths, and the Windows code page.

#include "platform/codepage.h"
#include "platform/files.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::platform;
namespace fs = std::filesystem;

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void writesTextInTheWindowsCodePageWithCrLf() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT");
        QVERIFY(!writeTextFile("C:\\UT\\uccMake.Bat", {"Caf\xC3\xA9 \xE2\x82\xAC", "two"}));
        QCOMPARE(test::readFile(prefix.driveC() / "UT" / "uccMake.Bat"),
                 std::string("Caf\xE9 \x80\r\ntwo\r\n"));
    }

    void replacesAFileOfAnyLetterCaseInsteadOfAddingATwin() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/uccmake.bat", "old");
        QVERIFY(!writeTextFile("C:\\UT\\uccMake.Bat", {"new"}));
        QCOMPARE(test::readFile(prefix.driveC() / "UT" / "uccmake.bat"), std::string("new\r\n"));
        QCOMPARE(std::distance(fs::directory_iterator(prefix.driveC() / "UT"), {}), 1);
    }

    void refusesTextTheCodePageCannotHoldAndWritesNothing() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT");
        auto error = writeTextFile("C:\\UT\\x.bat", {"ok", "\xE4\xB8\xAD"});
        QCOMPARE(error.code, kErrorNoTranslation);
        QVERIFY(!fs::exists(prefix.driveC() / "UT" / "x.bat"));
    }

    void failedWritesLeaveNoFileBehind() {
        test::TempPrefix prefix;
        auto error = writeTextFile("C:\\Missing\\x.bat", {"a"});
        QCOMPARE(error.code, kErrorFileNotFound);
        QVERIFY(!error.message.empty());
        QVERIFY(writeTextFile("Q:\\x.bat", {"a"}).code != 0);
    }

    void createsOnlyOneFolderLevel() {
        test::TempPrefix prefix;
        QVERIFY(!createFolder("C:\\A"));
        QVERIFY(folderExists("C:\\a"));
        QVERIFY(createFolder("C:\\B\\C").code != 0);
        QVERIFY(createFolder("C:\\A").code != 0); // exists already
    }

    void deletesReadOnlyFilesOnlyWhenForced() {
        test::TempPrefix prefix;
        auto file = prefix.makeFile("UT/locked.unr");
        ::chmod(file.c_str(), 0444);
        QCOMPARE(deleteFile("C:\\UT\\locked.unr", false).code, kErrorAccessDenied);
        QVERIFY(fs::exists(file));
        QVERIFY(!deleteFile("C:\\ut\\LOCKED.unr", true));
        QVERIFY(!fs::exists(file));
        QCOMPARE(deleteFile("C:\\UT\\locked.unr", true).code, kErrorFileNotFound);
    }

    void listsEntriesWithHiddenAndReadOnlyFlags() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/a.unr", "12345");
        prefix.makeFile("UT/.hidden");
        prefix.makeFolder("UT/Maps");
        ::chmod((prefix.driveC() / "UT" / "a.unr").c_str(), 0444);
        std::vector<FileInfo> entries;
        QVERIFY(!listFolder("C:\\UT", entries));
        QCOMPARE(entries.size(), std::size_t(3));
        for (auto& e : entries) {
            if (e.name == "a.unr") {
                QVERIFY(e.readOnly && !e.hidden && !e.isFolder);
                QCOMPARE(e.size, std::uint64_t(5));
            } else if (e.name == ".hidden") {
                QVERIFY(e.hidden);
            } else {
                QVERIFY(e.isFolder);
            }
        }
        QVERIFY(listFolder("C:\\Nope", entries).code != 0);
    }

    void findsTheNearestExistingFolder() {
        test::TempPrefix prefix;
        prefix.makeFolder("Games");
        QCOMPARE(nearestExistingFolder("C:\\Games\\Gone\\Deeper"), std::string("C:\\Games"));
        QCOMPARE(nearestExistingFolder("C:\\Games\\"), std::string("C:\\Games"));
        QCOMPARE(nearestExistingFolder("Q:\\x"), std::string());
    }

    void convertsTheCodePageBothWays() {
        std::string all;
        for (int b = 1; b < 256; ++b) {
            all += static_cast<char>(b);
        }
        auto back = utf8ToNarrow(narrowToUtf8(all));
        QVERIFY(back);
        QCOMPARE(*back, all);
        QVERIFY(!utf8ToNarrow("\xFF\xFE"));         // not UTF-8
        QVERIFY(!utf8ToNarrow("\xF0\x9F\x8E\xAE")); // outside the code page
        QVERIFY(equalsIgnoringCase("\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"));
        QVERIFY(!equalsIgnoringCase("a", "b"));
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "test_files.moc"
