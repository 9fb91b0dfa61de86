// The batch file's exact bytes. Which names are refused is the job's own table; which fields
// need quotes is the fuzzer's to check, against the interpreter's reading.

#include "job/BatchFile.h"

#include <QTest>

using namespace tolvane;

class BatchFileTest : public QObject {
    Q_OBJECT
private slots:
    // Nothing is trimmed or removed (a folder stored with its backslash, a file at a drive root,
    // the same file queued twice); Decompress moves go in the order the files were queued.
    void writesEachJobByteForByte() {
        const auto C = JobMode::Compress, D = JobMode::Decompress;
        const struct {
            BatchJob job;
            std::string bytes;
        } rows[] = {
            // clang-format off
            {{"C:\\UT", {"C:\\UT\\Maps\\Alpha.unr"}, {"Alpha.unr"}, C},
             "C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\Alpha.unr\r\n"
             "Move C:\\UT\\Maps\\Alpha.unr.uz C:\\UT\\Compressed\r\n"},
            {{"C:\\UT", {"C:\\UT\\Compressed\\Alpha.unr.uz", "C:\\UT\\Compressed\\Zeta.umx.uz"},
              {"Zeta.umx.uz", "Alpha.unr.uz"}, D},
             "C:\\UT\\System\\ucc.exe Decompress C:\\UT\\Compressed\\Alpha.unr.uz\r\n"
             "C:\\UT\\System\\ucc.exe Decompress C:\\UT\\Compressed\\Zeta.umx.uz\r\n"
             "Move C:\\UT\\system\\Zeta.umx C:\\UT\\Decompressed\r\n"
             "Move C:\\UT\\system\\Alpha.unr C:\\UT\\Decompressed\r\n"},
            {{"C:\\UT\\", {"C:\\\\a.unr", "C:\\\\a.unr"}, {"a.unr", "a.unr"}, C},
             "C:\\UT\\\\System\\ucc.exe Compress C:\\\\a.unr\r\n"
             "C:\\UT\\\\System\\ucc.exe Compress C:\\\\a.unr\r\n"
             "Move C:\\\\a.unr.uz C:\\UT\\\\Compressed\r\nMove C:\\\\a.unr.uz C:\\UT\\\\Compressed\r\n"},
            {{"C:\\Games\\Unreal Tournament", {"C:\\M\\50% off.unr"}, {"50% off.unr"}, C},
             "\"C:\\Games\\Unreal Tournament\\System\\ucc.exe\" Compress \"C:\\M\\50%% off.unr\"\r\n"
             "Move \"C:\\M\\50%% off.unr.uz\" \"C:\\Games\\Unreal Tournament\\Compressed\"\r\n"},
            {{"C:\\UT", {"C:\\UT\\Caf\xC3\xA9.unr"}, {"Caf\xC3\xA9.unr"}, C}, // Windows-1252
             "C:\\UT\\System\\ucc.exe Compress C:\\UT\\Caf\xE9.unr\r\n"
             "Move C:\\UT\\Caf\xE9.unr.uz C:\\UT\\Compressed\r\n"},
            // clang-format on
        };
        for (const auto& row : rows) {
            const BatchText text = makeBatchText(row.job);
            QVERIFY(text.ok());
            QCOMPARE(batchBytes(text), row.bytes);
        }
    }

    void cutsNamesBeforeTheirLastUz() {
        QCOMPARE(*decompressedName("a.uz.uz"), std::string("a.uz"));
        QCOMPARE(*decompressedName("map.uz.bak"), std::string("map"));
        QCOMPARE(*decompressedName("Alpha.unr.UZ"), std::string("Alpha.unr"));
        QCOMPARE(*decompressedName("x.Uz.uz"), std::string("x.Uz")); // exact case wins
        QVERIFY(!decompressedName("Alpha.unr"));
        QVERIFY(!decompressedName(".uz")); // nothing would be left to move
    }
};

QTEST_GUILESS_MAIN(BatchFileTest)
#include "test_batchfile.moc"
