// The batch file's exact text.

#include "job/BatchFile.h"

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

    // Nothing is trimmed or removed: a folder stored with its backslash, a file at a drive
    // root, the same file queued twice.
    void keepsDuplicatesAndDoubledSeparators() {
        BatchJob job{
            "C:\\UT\\", {"C:\\\\a.unr", "C:\\\\a.unr"}, {"a.unr", "a.unr"}, JobMode::Compress};
        const std::string tool = "C:\\UT\\\\System\\ucc.exe Compress C:\\\\a.unr";
        const std::string move = "Move C:\\\\a.unr.uz C:\\UT\\\\Compressed";
        QCOMPARE(makeBatchText(job).lines, (std::vector<std::string>{tool, tool, move, move}));
    }

    void cutsNamesBeforeTheirLastUz() {
        QCOMPARE(*decompressedName("a.uz.uz"), std::string("a.uz"));
        QCOMPARE(*decompressedName("map.uz.bak"), std::string("map"));
        QCOMPARE(*decompressedName("Alpha.unr.UZ"), std::string("Alpha.unr"));
        QCOMPARE(*decompressedName("x.Uz.uz"), std::string("x.Uz")); // exact case wins
        QVERIFY(!decompressedName("Alpha.unr"));
        QVERIFY(!decompressedName(".uz")); // nothing would be left to move
    }

    // Which fields need quotes is the fuzzer's to check, against the interpreter's reading.
    void quotesFieldsWithBlanksAndDoublesPercentSigns() {
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

    // Which names are refused is the job's own table; here only what is written for the rest.
    void writesInTheWindowsCodePageAndNothingWhenRefused() {
        BatchJob latin{
            "C:\\UT", {"C:\\UT\\Caf\xC3\xA9.unr"}, {"Caf\xC3\xA9.unr"}, JobMode::Compress};
        QCOMPARE(bytesOf(latin).substr(0, 40),
                 std::string("C:\\UT\\System\\ucc.exe Compress C:\\UT\\Caf\xE9"));
        BatchJob notUz{"C:\\UT", {"C:\\UT\\a.unr"}, {"a.unr"}, JobMode::Decompress};
        QVERIFY(makeBatchText(notUz).lines.empty());
    }
};

QTEST_GUILESS_MAIN(BatchFileTest)
#include "test_batchfile.moc"
