// The .uz codec: its stages and whole files against bytes worked out by hand from the engine's
// algorithms, round trips of data too big for the fuzz target, and damaged input refused.

#include "uz/bwt.h"
#include "uz/compactindex.h"
#include "uz/huffman.h"
#include "uz/mtf.h"
#include "uz/rle.h"
#include "uz/storedname.h"
#include "uz/uzfile.h"

#include <QCryptographicHash>
#include <QTest>

#include <random>

using namespace tolvane::uz;

namespace {

// Bytes written as hex with optional blanks ("d2040000 04 41").
Bytes hex(const QByteArray& text) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return Bytes(bytes.begin(), bytes.end());
}

Bytes text(std::string_view characters) {
    return Bytes(characters.begin(), characters.end());
}

template <typename Call> void checkRefused(const std::vector<QByteArray>& inputs, Call call) {
    for (const QByteArray& input : inputs) {
        QVERIFY_THROWS_EXCEPTION(UzError, call(hex(input)));
    }
}

// Text, long runs and noise: about 0x81000 bytes once the runs are folded, so three blocks.
Bytes severalBlocks() {
    std::mt19937 random(3);
    const char* words[] = {"Compressing ", "package ", "DM-Deck16][", ".unr\r\n"};
    std::string data;
    while (data.size() < 0x30000) {
        data += words[random() % 4];
    }
    data += std::string(0x28000, '\0') + std::string(700, 'x');
    while (data.size() < 0xA8000) {
        data += static_cast<char>(random());
    }
    return text(data);
}

} // namespace

class UzTest : public QObject {
    Q_OBJECT
private slots:
    void compactIndexMatchesTheEngine() {
        const std::pair<std::int32_t, const char*> rows[] = {{0, "00"},
                                                             {63, "3f"},
                                                             {-1, "81"},
                                                             {64, "4001"},
                                                             {-64, "c001"},
                                                             {8191, "7f7f"},
                                                             {8192, "408001"},
                                                             {2147483647, "7fffffff0f"},
                                                             {-2147483647, "ffffffff0f"}};
        for (const auto& [value, bytes] : rows) {
            Bytes written;
            appendCompactIndex(written, value);
            QCOMPARE(written, hex(bytes));
            ByteReader in(written);
            QCOMPARE(readCompactIndex(in), value);
            QVERIFY(in.atEnd());
        }
        checkRefused({"", "40", "7fff", "7fffff", "7fffffff", "7fffffff10", "ffffffffff"},
                     [](const Bytes& bytes) {
                         ByteReader in(bytes);
                         return readCompactIndex(in);
                     });
    }

    void storedNamesUseLatin1OrUtf16() {
        for (const auto& [name, bytes] : {std::pair{"A.u", "04 412e7500"},
                                          {"Caf\xC3\xA9.unr", "09 436166e92e756e7200"},
                                          {"\xE2\x82\xAC.u", "84 ac202e00750000 00"}}) {
            Bytes written;
            appendStoredName(written, name);
            QCOMPARE(written, hex(bytes));
            ByteReader in(written);
            QCOMPARE(readStoredName(in), std::string(name));
        }
        checkRefused({"", "00", "05 412e7500", "04 412e7541", "04 41002e00", "82 4100",
                      "83 0000 4100 0000", "83 00d8 4100 0000"},
                     [](const Bytes& bytes) {
                         ByteReader in(bytes);
                         return readStoredName(in);
                     });
    }

    void stagesMatchTheEngine() {
        // Runs cut at 255 and marked from five on; shorter runs add nothing.
        QCOMPARE(rleEncode(text(std::string(300, 'a') + "bbbb" + std::string(5, '\0'))),
                 hex("6161616161 ff 6161616161 2d 62626262 0000000000 05"));
        // The end of the block sorts after every byte.
        QCOMPARE(bwtEncode(text("abab")), hex("04000000 02000000 00000000 6162616162"));
        Bytes moved = hex("01000000 01000000 00000000 41 41");
        mtfEncode(moved);
        QCOMPARE(moved, hex("01 01 00 00 01 01 00 00 00 00 00 00 41 00"));
        QCOMPARE(huffmanEncode(hex("00010203")), hex("04000000 0b 00 d0 00 01 39"));
        QCOMPARE(huffmanEncode({}), hex("00000000 0000"));
    }

    void damagedStagesAreRefused() {
        checkRefused({"6161616161", "0000000000 01", "6161616161 ff"},
                     [](const Bytes& bytes) { return rleDecode(bytes, 100); });
        // n zero, too large, negative; First past n; Last negative; First equals Last; column
        // short; header short; a walk that reaches Last.
        checkRefused({"00000000 00000000 00000000 41", "01000400 00000000 01000000 4141",
                      "ffffffff 00000000 01000000 4141", "01000000 02000000 00000000 4141",
                      "01000000 01000000 ffffffff 4141", "02000000 01000000 01000000 414141",
                      "04000000 02000000 00000000 61626161", "04000000 0200",
                      "04000000 01000000 00000000 6162616162"},
                     [](const Bytes& bytes) { return bwtDecode(bytes); });
        // Length short or negative, code bits missing, table cut off, only inner nodes, one leaf
        // with codes of no bits (a huge length from a few bytes), more than allowed.
        checkRefused({"030000", "ffffffff 0000", "06000000 05 00 30", "03000000 05",
                      "01000000" + QByteArray(128, 'f'), "ffffff7f 8200"},
                     [](const Bytes& bytes) { return huffmanDecode(bytes, 1u << 30); });
        QVERIFY_THROWS_EXCEPTION(UzError, huffmanDecode(hex("03000000 05 00 30"), 2));
    }

    void wholeFilesMatchTheEngineAndRoundTrip() {
        QCOMPARE(compressUz({}, "A.u"), hex("d2040000 04 412e7500 00000000 0000"));
        const Bytes oneByte = compressUz(text("A"), "A.u");
        QCOMPARE(oneByte.size(), std::size_t{98}); // a table node per step down to leaf 0x41
        QCOMPARE(Bytes(oneByte.begin(), oneByte.begin() + 13),
                 hex("d2040000 04 412e7500 0e000000"));
        for (std::int32_t signature : {kSignature, kSignatureExtraRle}) {
            for (const Bytes& data : {severalBlocks(), Bytes(100000, 'r')}) {
                const UzContents back = decompressUz(compressUz(data, "Map.unr", signature));
                QCOMPARE(back.signature, signature);
                QCOMPARE(back.name, std::string("Map.unr"));
                QVERIFY(back.data == data);
            }
        }
    }

    void blocksSortedOnThreadsGiveTheSameBytes() {
        // Hashes of what the codec wrote before it sorted blocks on threads, checked byte for byte
        // against the game's tool: three blocks of text, runs and noise; three blocks of a pattern
        // without runs, the last of them a single byte.
        Bytes periodic(2 * kBwtBlockSize + 1);
        for (std::size_t i = 0; i < periodic.size(); ++i) {
            periodic[i] = static_cast<std::uint8_t>("abc"[i % 3]);
        }
        const std::pair<Bytes, QByteArray> pins[] = {
            {severalBlocks(), "4c555605f4547f178bdfb91819868be4e3e087fbb5d67a389eecec66abefd730"},
            {periodic, "428816a14e081507627cf118f2af5f56658aa1f26f651514fbdeb8e1ba0be585"}};
        // The sort every build has on three threads; the build's own on one and on three.
        const BwtOptions ways[] = {
            {3, BlockSorter::inducedSorting}, {1, fastestBlockSorter()}, {3, fastestBlockSorter()}};
        for (const auto& [data, sha256] : pins) {
            for (const BwtOptions& way : ways) {
                const Bytes packed = compressUz(data, "Map.unr", kSignature, way);
                QCOMPARE(QCryptographicHash::hash(
                             QByteArrayView(packed.data(), qsizetype(packed.size())),
                             QCryptographicHash::Sha256)
                             .toHex(),
                         sha256);
                QVERIFY(decompressUz(packed).data == data);
            }
        }
    }

    void damagedFilesAreRefused() {
        // Signature cut off or wrong, name missing, cut off or without its NUL, a bad compact
        // index, no payload, a bomb with a one-leaf tree, too many tree nodes.
        checkRefused({"", "d204", "d3040000 04 412e7500 00000000 0000", "d2040000",
                      "d2040000 7fffffff10", "d2040000 04 412e", "d2040000 04 412e7541 00000000",
                      "d2040000 04 412e7500", "d2040000 04 412e7500 ffffff7f 0000",
                      "d2040000 04 412e7500 01000000" + QByteArray(130, 'f')},
                     [](const Bytes& file) { return decompressUz(file); });
        // Behind a valid Huffman stage, the inner stages as the file reader chains them: a run of
        // five without its count in the extra run-length stage is refused, a whole one read.
        auto behindHuffman = [](const char* signature, Bytes inner, bool moved = true) {
            if (moved) {
                mtfEncode(inner);
            }
            Bytes file = hex(QByteArray(signature) + "04 412e7500");
            const Bytes payload = huffmanEncode(inner);
            file.insert(file.end(), payload.begin(), payload.end());
            return file;
        };
        QVERIFY_THROWS_EXCEPTION(UzError,
                                 decompressUz(behindHuffman("2e160000", Bytes(5, 0), false)));
        QCOMPARE(decompressUz(behindHuffman("d2040000", bwtEncode(text("aaaaa\x07")))).data,
                 text("aaaaaaa"));
        const Bytes words = severalBlocks();
        const Bytes good = compressUz(Bytes(words.begin(), words.begin() + 4000), "A.u");
        for (std::size_t at : {std::size_t{30}, good.size() / 2, good.size() - 3}) {
            Bytes flipped = good;
            flipped[at] ^= 0x5a;
            QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(flipped));
        }
        QVERIFY_THROWS_EXCEPTION(UzError, decompressUz(Bytes(good.begin(), good.end() - 40)));
        QVERIFY_THROWS_EXCEPTION(UzError,
                                 decompressUz(compressUz(Bytes(200000, 0), "big"), 100000));
    }
};

QTEST_GUILESS_MAIN(UzTest)
#include "test_uz.moc"
