// Whole .uz files: the worked examples byte for byte, round trips through both codec chains, and
// damaged or crafted files refused with an error.

#include "uz/bwt.h"
#include "uz/huffman.h"
#include "uz/mtf.h"
#include "uz/uzfile.h"
#include "uzhex.h"

#include <QTest>

#include <random>

using namespace tolvane;
using namespace tolvane::uz;
using test::hexBytes;
using test::textBytes;

namespace {

Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes out(size);
    for (auto& byte : out) {
        byte = static_cast<std::uint8_t>(random());
    }
    return out;
}

Bytes sampleText(std::size_t size) {
    static const std::string words[] = {"Compressing ", "package ",  "DM-Deck16][", ".unr ",
                                        "the ",         "redirect ", "server\r\n",  "Textures "};
    std::string text;
    std::mt19937 random(3);
    while (text.size() < size) {
        text += words[random() % 8];
    }
    text.resize(size);
    return textBytes(text);
}

// Text, long runs and noise one after another: about 0x81000 bytes once the runs are folded, so
// the block-sorting stage sees three blocks.
Bytes mixedBlocks() {
    Bytes out = sampleText(0x30000);
    out.insert(out.end(), 0x28000, 0x00);
    out.insert(out.end(), 700, 'x');
    const Bytes noise = randomBytes(0x50000, 11);
    out.insert(out.end(), noise.begin(), noise.end());
    return out;
}

} // namespace

class UzFilesTest : public QObject {
    Q_OBJECT
private slots:
    void emptyAndOneByteFilesMatchTheEngine() {
        const Bytes empty = hexBytes("d2040000 04 412e7500 00000000 0000");
        QCOMPARE(compressUz({}, "A.u"), empty);
        const UzContents contents = decompressUz(empty);
        QCOMPARE(contents.signature, kSignature);
        QCOMPARE(contents.name, std::string("A.u"));
        QVERIFY(contents.data.empty());

        const Bytes oneByte = compressUz(textBytes("A"), "A.u");
        QCOMPARE(oneByte.size(), std::size_t{98});
        // Header, Huffman length 14, then the table: an inner node per step down to leaf 0x41.
        QCOMPARE(Bytes(oneByte.begin(), oneByte.begin() + 13),
                 hexBytes("d2040000 04 412e7500 0e000000"));
        QCOMPARE(decompressUz(oneByte).data, textBytes("A"));
    }

    void roundTripsThroughBothChains_data() {
        QTest::addColumn<int>("signature");
        QTest::addColumn<QByteArray>("data");
        const std::pair<const char*, Bytes> samples[] = {
            {"empty", {}},
            {"one byte", textBytes("A")},
            {"zeros", Bytes(1000, 0)},
            {"long run", Bytes(100000, 'r')},
            {"random", randomBytes(5000, 1)},
            {"text", sampleText(20000)},
            {"package tag", hexBytes("c1832a9e 44000000 00000000")},
            {"several blocks", mixedBlocks()},
        };
        for (std::int32_t signature : {kSignature, kSignatureExtraRle}) {
            for (const auto& [name, data] : samples) {
                QTest::addRow("%d %s", signature, name)
                    << signature
                    << QByteArray(reinterpret_cast<const char*>(data.data()),
                                  static_cast<qsizetype>(data.size()));
            }
        }
    }
    void roundTripsThroughBothChains() {
        QFETCH(int, signature);
        QFETCH(QByteArray, data);
        const Bytes original(data.begin(), data.end());
        const Bytes file = compressUz(original, "Map.unr", signature);
        QCOMPARE(static_cast<int>(file[0] | file[1] << 8), signature);
        const UzContents contents = decompressUz(file);
        QCOMPARE(contents.signature, signature);
        QCOMPARE(contents.name, std::string("Map.unr"));
        QVERIFY(contents.data == original);
    }

    void extraRleChainDiffersOnlyInTheStage() {
        const Bytes data = sampleText(3000);
        const Bytes plain = compressUz(data, "a", kSignature);
        const Bytes extra = compressUz(data, "a", kSignatureExtraRle);
        QVERIFY(plain != extra);
        QCOMPARE(Bytes(extra.begin(), extra.begin() + 4), hexBytes("2e160000"));
    }

    void damagedFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("file");
        const Bytes good = compressUz(sampleText(4000), "A.u");
        auto row = [](const char* name, const Bytes& bytes) {
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
        };
        row("empty file", {});
        row("truncated signature", hexBytes("d204"));
        row("bad signature", hexBytes("d3040000 04 412e7500 00000000 0000"));
        row("name missing", hexBytes("d2040000"));
        row("bad compact index", hexBytes("d2040000 7fffffff10"));
        row("name cut off", hexBytes("d2040000 04 412e"));
        row("name without NUL", hexBytes("d2040000 04 412e7541 00000000 0000"));
        row("no payload", hexBytes("d2040000 04 412e7500"));
        row("bomb with one-leaf tree", hexBytes("d2040000 04 412e7500 ffffff7f 0000"));
        row("too many tree nodes",
            hexBytes("d2040000 04 412e7500 01000000" + std::string(130, 'f')));
        Bytes truncated = good;
        truncated.resize(good.size() - 40);
        row("truncated Huffman bits", truncated);
        for (std::size_t at : {std::size_t{30}, good.size() / 2, good.size() - 3}) {
            Bytes flipped = good;
            flipped[at] ^= 0x5a;
            row(("flipped byte " + std::to_string(at)).c_str(), flipped);
        }
    }
    void damagedFilesAreRefused() {
        QFETCH(QByteArray, file);
        const Bytes bytes(file.begin(), file.end());
        QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(bytes));
    }

    void damagedStagesBehindHuffmanAreRefused() {
        // Streams damaged behind a valid Huffman stage, so the damage reaches the inner stages.
        auto fileWith = [](const char* signatureHex, const Bytes& huffmanInput) {
            Bytes file = hexBytes(std::string(signatureHex) + "04 412e7500");
            const Bytes payload = huffmanEncode(huffmanInput);
            file.insert(file.end(), payload.begin(), payload.end());
            return file;
        };
        auto mtf = [](Bytes data) {
            mtfEncode(data);
            return data;
        };
        const Bytes damaged[] = {
            // Block length 0, then a block cut short.
            fileWith("d2040000", mtf(hexBytes("00000000 00000000 00000000"))),
            fileWith("d2040000", mtf(hexBytes("04000000 02000000 00000000 61"))),
            // A run of five with its count missing, in the last stage and in the extra stage.
            fileWith("d2040000", mtf(bwtEncode(textBytes("aaaaa")))),
            fileWith("2e160000", Bytes(5, 0)),
        };
        for (const Bytes& file : damaged) {
            QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(file));
        }
        // The same streams pass when intact.
        QCOMPARE(decompressUz(fileWith("d2040000", mtf(bwtEncode(textBytes("aaaaa\x07"))))).data,
                 textBytes("aaaaaaa"));
    }

    void outputIsCappedAgainstBombs() {
        const Bytes file = compressUz(Bytes(200000, 0), "big");
        QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(file, 100000));
        QCOMPARE(decompressUz(file, 200000).data.size(), std::size_t{200000});
        const Bytes extra = compressUz(Bytes(200000, 0), "big", kSignatureExtraRle);
        QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(extra, 100000));
    }
};

QTEST_GUILESS_MAIN(UzFilesTest)
#include "test_uz_files.moc"
