// The single stages of the .uz codec against bytes worked out by hand from the engine's algorithms.

#include "uz/bwt.h"
#include "uz/compactindex.h"
#include "uz/huffman.h"
#include "uz/mtf.h"
#include "uz/rle.h"
#include "uz/storedname.h"
#include "uz/suffixsort.h"
#include "uzhex.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace tolvane;
using namespace tolvane::uz;
using test::hexBytes;
using test::textBytes;

namespace {
Bytes compactIndex(std::int32_t value) {
    Bytes out;
    appendCompactIndex(out, value);
    return out;
}

std::int32_t readIndex(const Bytes& bytes) {
    ByteReader in(bytes);
    const std::int32_t value = readCompactIndex(in);
    if (!in.atEnd()) {
        throw UzError("bytes left over");
    }
    return value;
}
} // namespace

class UzStagesTest : public QObject {
    Q_OBJECT
private slots:
    void compactIndexMatchesTheEngineBothWays_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("hex");
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("63") << 63 << "3f";
        QTest::newRow("-1") << -1 << "81";
        QTest::newRow("64") << 64 << "4001";
        QTest::newRow("-64") << -64 << "c001";
        QTest::newRow("8191") << 8191 << "7f7f";
        QTest::newRow("8192") << 8192 << "408001";
        QTest::newRow("2^31-1") << 2147483647 << "7fffffff0f";
        QTest::newRow("-(2^31-1)") << -2147483647 << "ffffffff0f";
    }
    void compactIndexMatchesTheEngineBothWays() {
        QFETCH(int, value);
        QFETCH(QString, hex);
        const Bytes bytes = hexBytes(hex.toStdString());
        QCOMPARE(compactIndex(value), bytes);
        QCOMPARE(readIndex(bytes), value);
    }

    void compactIndexRefusesTruncatedAndOversizedValues() {
        for (const char* hex :
             {"", "40", "7fff", "7fffff", "7fffffff", "7fffffff10", "ffffffffff"}) {
            QVERIFY_THROWS_EXCEPTION(UzError, readIndex(hexBytes(hex)));
        }
        // Round trip over the boundaries of every byte count.
        for (std::int32_t value :
             {62, 63, 64, 8191, 8192, 1048575, 1048576, 134217727, 134217728}) {
            QCOMPARE(readIndex(compactIndex(value)), value);
            QCOMPARE(readIndex(compactIndex(-value)), -value);
        }
    }

    void storedNamesUseLatin1OrUtf16() {
        const std::pair<const char*, const char*> names[] = {
            {"A.u", "04 412e7500"},
            {"Caf\xC3\xA9.unr", "09 436166e92e756e7200"}, // é fits Latin-1
            {"\xE2\x82\xAC.u", "84 ac202e00750000 00"},   // € does not
            {"\xF0\x9F\x98\x80", nullptr},                // outside the BMP: round trip only
        };
        for (const auto& [name, hex] : names) {
            Bytes bytes;
            appendStoredName(bytes, name);
            if (hex) {
                QCOMPARE(bytes, hexBytes(hex));
            }
            ByteReader in(bytes);
            QCOMPARE(readStoredName(in), std::string(name));
        }
    }

    void malformedStoredNamesAreRefused() {
        for (const char* hex : {"", "00", "05 412e7500", "04 412e7541", "04 41002e00", "82 4100",
                                "83 0000 4100 0000", "83 00d8 4100 0000"}) {
            Bytes bytes = hexBytes(hex);
            ByteReader in(bytes);
            QVERIFY_THROWS_EXCEPTION(UzError, readStoredName(in));
        }
    }

    void onlyPlainFileNamesPass() {
        for (const char* bad :
             {"", ".", "..", "a/b", "/a", "..\\Maps\\x.unr", "C:x.unr", "C:\\x.unr", "a\tb"}) {
            QVERIFY2(storedNameProblem(bad).has_value(), bad);
        }
        for (const char* good : {"DM-Deck16][.unr", "...", ".hidden", "a..b", "Caf\xC3\xA9.u"}) {
            QVERIFY2(!storedNameProblem(good).has_value(), good);
        }
    }

    void rleCutsRunsAt255AndMarksLongRuns() {
        const Bytes input = textBytes(std::string(300, 'a') + "bbbb" + std::string(5, '\0'));
        const Bytes encoded = hexBytes("6161616161 ff 6161616161 2d 62626262 0000000000 05");
        QCOMPARE(rleEncode(input), encoded);
        QCOMPARE(rleDecode(encoded, 1000), input);
        // Lengths 2 to 4 add nothing, as in the engine.
        QCOMPARE(rleDecode(hexBytes("6161616161 03 62"), 100), textBytes("aaaaab"));
    }

    void rleRefusesMissingOrTooSmallCountsAndOverlongOutput() {
        QVERIFY_THROWS_EXCEPTION(UzError, rleDecode(hexBytes("6161616161"), 100));
        QVERIFY_THROWS_EXCEPTION(UzError, rleDecode(hexBytes("0000000000 01"), 100));
        QVERIFY_THROWS_EXCEPTION(UzError, rleDecode(hexBytes("6161616161 ff"), 100));
        QCOMPARE(rleDecode(hexBytes("6161616161 ff"), 255).size(), std::size_t{255});
    }

    void bwtSortsTheEndOfTheBlockAfterEveryByte() {
        const BwtBlock block = bwtEncodeBlock(textBytes("abab"));
        QCOMPARE(block.first, 2);
        QCOMPARE(block.last, 0);
        QCOMPARE(block.lastColumn, textBytes("abaab"));
        const Bytes stored = hexBytes("04000000 02000000 00000000 6162616162");
        QCOMPARE(bwtEncode(textBytes("abab")), stored);
        QCOMPARE(bwtDecode(stored), textBytes("abab"));
        QCOMPARE(bwtEncode(textBytes("A")), hexBytes("01000000 01000000 00000000 4141"));
    }

    void suffixArrayAgreesWithAPlainSort() {
        std::mt19937 random(7);
        for (int round = 0; round < 300; ++round) {
            const int alphabet = 1 + round % 4;
            std::vector<std::int32_t> text(static_cast<std::size_t>(random() % 40));
            for (auto& symbol : text) {
                symbol = static_cast<std::int32_t>(random() % alphabet);
            }
            std::vector<std::int32_t> expected(text.size());
            for (std::size_t i = 0; i < text.size(); ++i) {
                expected[i] = static_cast<std::int32_t>(i);
            }
            std::sort(expected.begin(), expected.end(), [&](std::int32_t a, std::int32_t b) {
                return std::lexicographical_compare(text.begin() + a, text.end(), text.begin() + b,
                                                    text.end());
            });
            QCOMPARE(suffixArray(text, alphabet - 1), expected);
        }
    }

    void bwtRefusesDamagedBlocks_data() {
        QTest::addColumn<QString>("hex");
        QTest::newRow("n zero") << "00000000 00000000 00000000 41";
        QTest::newRow("n too large") << "01000400 00000000 01000000 4141";
        QTest::newRow("n negative") << "ffffffff 00000000 01000000 4141";
        QTest::newRow("First past n") << "01000000 02000000 00000000 4141";
        QTest::newRow("Last negative") << "01000000 01000000 ffffffff 4141";
        QTest::newRow("First equals Last") << "02000000 01000000 01000000 414141";
        QTest::newRow("column short") << "04000000 02000000 00000000 61626161";
        QTest::newRow("header short") << "04000000 0200";
        QTest::newRow("walk reaches Last") << "04000000 01000000 00000000 6162616162";
    }
    void bwtRefusesDamagedBlocks() {
        QFETCH(QString, hex);
        QVERIFY_THROWS_EXCEPTION(UzError, bwtDecode(hexBytes(hex.toStdString())));
    }

    void mtfMovesEachByteToTheFront() {
        Bytes data = hexBytes("01000000 01000000 00000000 41 41");
        mtfEncode(data);
        QCOMPARE(data, hexBytes("01 01 00 00 01 01 00 00 00 00 00 00 41 00"));
        // The one-byte file's table keeps the 66 leaves 0..0x41: 659 table bits and 21 code bits.
        QCOMPARE(huffmanEncode(data).size(), std::size_t{4 + 85});
        mtfDecode(data);
        QCOMPARE(data, hexBytes("01000000 01000000 00000000 41 41"));
    }

    void huffmanBuildsTheEngineTree() {
        QCOMPARE(huffmanEncode(hexBytes("010000")), hexBytes("03000000 05 00 30"));
        QCOMPARE(huffmanEncode(hexBytes("00010203")), hexBytes("04000000 0b 00 d0 00 01 39"));
        QCOMPARE(huffmanEncode({}), hexBytes("00000000 0000"));
        QCOMPARE(huffmanDecode(hexBytes("03000000 05 00 30"), 100), hexBytes("010000"));
        QCOMPARE(huffmanDecode(hexBytes("04000000 0b 00 d0 00 01 39"), 100), hexBytes("00010203"));
    }

    void huffmanRefusesDamagedStreams() {
        // Length field short or negative; code bits missing; table cut off.
        for (const char* hex : {"030000", "ffffffff 0000", "06000000 05 00 30",
                                "05000000 0b 00 d0 00 01 39", "03000000 05", "03000000 0500"}) {
            QVERIFY_THROWS_EXCEPTION(UzError, huffmanDecode(hexBytes(hex), 100));
        }
        // A table of only inner nodes passes 511 nodes before its leaves.
        QVERIFY_THROWS_EXCEPTION(UzError,
                                 huffmanDecode(hexBytes("01000000" + std::string(128, 'f')), 100));
        // One leaf with codes of no bits: a huge length from a few bytes is refused.
        QVERIFY_THROWS_EXCEPTION(UzError, huffmanDecode(hexBytes("ffffff7f 8200"), 1u << 30));
        QVERIFY_THROWS_EXCEPTION(UzError, huffmanDecode(hexBytes("03000000 05 00 30"), 2));
    }
};

QTEST_GUILESS_MAIN(UzStagesTest)
#include "test_uz_stages.moc"
