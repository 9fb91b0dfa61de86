// The batch file's exact text.

#include "mainwindow/BatchFile.h"

#include <QTest>

using namespace tolvane;

namespace {
std::string bytesOf(const BatchJob& job) {
    BatchText text = makeBatchText(job);
    return text.ok() ? batchBytes(text) : std::string("<refused>");
}
} // namespace

class BatchFileTest : public QObject {
    Q_OBJECT
private slots:
    void writesTheWorkedExamplesByteForByte() {
        BatchJob compress{"C:\\UT", {"C:\\UT\\Maps\\Alpha.unr"}, {"Alpha.unr"}, JobMode::Compress};
        QCOMPARE(bytesOf(compress),
                 std::string("C:\\UT\\System\\ucc.exe Compress "
                             "C:\\UT\\Maps\\Alpha.unr\r\n"
                             "Move C:\\UT\\Maps\\Alpha.unr.uz C:\\UT\\Compressed\r\n"));
        BatchJob decompress{"C:\\UT",
                            {"C:\\UT\\Compressed\\Alpha.unr.uz", "C:\\UT\\Compressed\\Zeta.umx.uz"},
                            {"Zeta.umx.uz", "Alpha.unr.uz"},
                            JobMode::Decompress};
        QCOMPARE(
            bytesOf(decompress),
            std::string("C:\\UT\\System\\ucc.exe Decompress C:\\UT\\Compressed\\Alpha.unr.uz\r\n"
                        "C:\\UT\\System\\ucc.exe Decompress C:\\UT\\Compressed\\Zeta.umx.uz\r\n"
                        "Move C:\\UT\\system\\Zeta.umx C:\\UT\\Decompressed\r\n"
                        "Move C:\\UT\\system\\Alpha.unr C:\\UT\\Decompressed\r\n"));
    }

    void keepsDuplicatesAndDoubledSeparators() {
        BatchJob job{
            "C:\\UT\\", {"C:\\\\a.unr", "C:\\\\a.unr"}, {"a.unr", "a.unr"}, JobMode::Compress};
        BatchText text = makeBatchText(job);
        QVERIFY(text.ok());
        QCOMPARE(text.lines.size(), std::size_t(4));
        QCOMPARE(text.lines[0], std::string("C:\\UT\\\\System\\ucc.exe Compress C:\\\\a.unr"));
        QCOMPARE(text.lines[1], text.lines[0]);
        QCOMPARE(text.lines[3], std::string("Move C:\\\\a.unr.uz C:\\UT\\\\Compressed"));
    }

    void cutsNamesBeforeTheirLastUz() {
        QCOMPARE(*decompressedName("a.uz.uz"), std::string("a.uz"));
        QCOMPARE(*decompressedName("map.uz.bak"), std::string("map"));
        QCOMPARE(*decompressedName("Alpha.unr.UZ"), std::string("Alpha.unr"));
        QCOMPARE(*decompressedName("x.Uz.uz"), std::string("x.Uz")); // exact case wins
        QVERIFY(!decompressedName("Alpha.unr"));
        QVERIFY(!decompressedName(".uz")); // nothing would be left to move
    }

    void quotesOnlyFieldsThatNeedIt() {
        QCOMPARE(batchField("C:\\UT\\Maps\\DM-Deck16][.unr"),
                 std::string("\"C:\\UT\\Maps\\DM-Deck16][.unr\""));
        QCOMPARE(batchField("C:\\Program Files (x86)\\UT"),
                 std::string("\"C:\\Program Files (x86)\\UT\""));
        QCOMPARE(batchField("C:\\UT\\50%.unr"), std::string("C:\\UT\\50%%.unr"));
        QCOMPARE(batchField("C:\\UT\\x & y.unr"), std::string("\"C:\\UT\\x & y.unr\""));
        QCOMPARE(batchField("C:\\UT\\CTF-Face.unr"), std::string("C:\\UT\\CTF-Face.unr"));
        BatchJob job{"C:\\Games\\Unreal Tournament",
                     {"C:\\M\\50% off.unr"},
                     {"50% off.unr"},
                     JobMode::Compress};
        QCOMPARE(bytesOf(job),
                 std::string("\"C:\\Games\\Unreal Tournament\\System\\ucc.exe\" Compress "
                             "\"C:\\M\\50%% off.unr\"\r\n"
                             "Move \"C:\\M\\50%% off.unr.uz\" "
                             "\"C:\\Games\\Unreal Tournament\\Compressed\"\r\n"));
    }

    void refusesWhatItCannotWrite() {
        BatchJob notUz{
            "C:\\UT", {"C:\\UT\\a.unr", "C:\\UT\\b.uz"}, {"b.uz", "a.unr"}, JobMode::Decompress};
        BatchText text = makeBatchText(notUz);
        QVERIFY(!text.ok());
        QVERIFY(text.lines.empty());
        QCOMPARE(text.notCompressed, std::vector<std::string>{"a.unr"});

        BatchJob foreign{"C:\\UT",
                         {"C:\\UT\\\xE5\x9C\xB0\xE5\x9B\xBE.unr", "C:\\UT\\q\"x.unr"},
                         {"a", "b"},
                         JobMode::Compress};
        text = makeBatchText(foreign);
        QVERIFY(text.lines.empty());
        QCOMPARE(text.notRepresentable.size(), std::size_t(2));

        BatchJob latin{
            "C:\\UT", {"C:\\UT\\Caf\xC3\xA9.unr"}, {"Caf\xC3\xA9.unr"}, JobMode::Compress};
        QCOMPARE(bytesOf(latin).substr(0, 40),
                 std::string("C:\\UT\\System\\ucc.exe Compress C:\\UT\\Caf\xE9"));
    }

    void buildsPathsLikeTheScriptingRuntime() {
        QCOMPARE(buildPath("C:\\UT", "\\uccMake.Bat"), std::string("C:\\UT\\uccMake.Bat"));
        QCOMPARE(buildPath("C:\\UT\\", "\\uccMake.Bat"), std::string("C:\\UT\\\\uccMake.Bat"));
        QCOMPARE(buildPath("C:\\UT", "x.bat"), std::string("C:\\UT\\x.bat"));
    }
};

QTEST_GUILESS_MAIN(BatchFileTest)
#include "test_batchfile.moc"
