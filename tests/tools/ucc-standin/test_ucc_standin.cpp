// The stand-in tool end to end: a copy of it in a game's System folder compresses beside the
// source, decompresses into its own folder, and refuses bad input with one line, a non-zero exit
// and no file left behind.

#include "uz/uzfile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

void writeBytes(const fs::path& path, const uz::Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

uz::Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return uz::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

uz::Bytes packageBytes() {
    uz::Bytes bytes{0xc1, 0x83, 0x2a, 0x9e};
    for (int i = 0; i < 4000; ++i) {
        bytes.push_back(static_cast<std::uint8_t>("Botpack.Ammo "[i % 13]));
    }
    return bytes;
}

} // namespace

class UccStandinTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    fs::path game_;
    fs::path system_;
    fs::path maps_;

    Run run(const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromStdString((system_ / "ucc.exe").string()), arguments);
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString path(const fs::path& p) { return QString::fromStdString(p.string()); }

private slots:
    void init() {
        game_ = fs::path(dir_.path().toStdString()) / QTest::currentTestFunction();
        system_ = game_ / "System";
        maps_ = game_ / "Maps";
        fs::remove_all(game_); // left by the previous row of a data-driven test
        fs::create_directories(system_);
        fs::create_directories(maps_);
        fs::copy_file(QCoreApplication::applicationDirPath().toStdString() + "/ucc-standin",
                      system_ / "ucc.exe");
    }

    void compressesBesideAndDecompressesIntoItsOwnFolder() {
        const uz::Bytes package = packageBytes();
        writeBytes(maps_ / "DM-Test.unr", package);
        const Run packed = run({"Compress", path(maps_ / "DM-Test.unr")});
        QCOMPARE(packed.exitCode, 0);
        QCOMPARE(packed.err, QString());
        QVERIFY(packed.out.startsWith("Compressing " + path(maps_ / "DM-Test.unr") + "\n"));
        QVERIFY(packed.out.contains("Compressed " + path(maps_ / "DM-Test.unr") + " -> " +
                                    path(maps_ / "DM-Test.unr.uz") + " ("));
        QVERIFY(!packed.out.contains("Warning") && !packed.out.contains("Note"));
        // The same bytes as the codec's, with the base name stored.
        QVERIFY(readBytes(maps_ / "DM-Test.unr.uz") == uz::compressUz(package, "DM-Test.unr"));

        fs::remove(maps_ / "DM-Test.unr");
        const Run unpacked = run({"decompress", path(maps_ / "DM-Test.unr.uz")});
        QCOMPARE(unpacked.exitCode, 0);
        QVERIFY(unpacked.out.contains("Decompressed " + path(maps_ / "DM-Test.unr.uz") + " -> " +
                                      path(system_ / "DM-Test.unr")));
        QVERIFY(readBytes(system_ / "DM-Test.unr") == package);
        QCOMPARE(namesIn(maps_), std::vector<std::string>{"DM-Test.unr.uz"});
        QCOMPARE(namesIn(system_), (std::vector<std::string>{"DM-Test.unr", "ucc.exe"}));
    }

    void warnsAboutGrowthAndNotesFilesThatAreNoPackage() {
        writeBytes(maps_ / "tiny.txt", {'h', 'i'});
        const Run run1 = run({"Compress", path(maps_ / "tiny.txt")});
        QCOMPARE(run1.exitCode, 0);
        QVERIFY(run1.out.contains("Note: " + path(maps_ / "tiny.txt") + " does not start with"));
        QVERIFY(run1.out.contains("Warning: " + path(maps_ / "tiny.txt.uz") + " is larger"));
        QVERIFY(fs::exists(maps_ / "tiny.txt.uz"));
    }

    void refusesBadInputWithOneLineAndLeavesNothing_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const uz::Bytes good = uz::compressUz(packageBytes(), "DM-Test.unr");
        auto bytes = [](const uz::Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()),
                              static_cast<qsizetype>(b.size()));
        };
        QTest::newRow("truncated") << bytes(uz::Bytes(good.begin(), good.end() - 20))
                                   << "damaged or not a .uz file: truncated";
        QTest::newRow("not a .uz") << QByteArray("plain text") << "unknown signature";
        QTest::newRow("parent folder")
            << bytes(uz::compressUz(packageBytes(), "..")) << "unsafe stored file name \"..\"";
        QTest::newRow("path") << bytes(uz::compressUz(packageBytes(), "../../evil.unr"))
                              << "unsafe stored file name \"../../evil.unr\"";
        QTest::newRow("drive") << bytes(uz::compressUz(packageBytes(), "C:evil.unr"))
                               << "drive colon";
        QTest::newRow("the tool itself")
            << bytes(uz::compressUz(packageBytes(), "ucc.exe")) << "is this tool itself";
    }
    void refusesBadInputWithOneLineAndLeavesNothing() {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        writeBytes(maps_ / "bad.uz", uz::Bytes(file.begin(), file.end()));
        const Run result = run({"Decompress", path(maps_ / "bad.uz")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err.count('\n'), 1);
        QVERIFY2(result.err.startsWith("Error: " + path(maps_ / "bad.uz") + ": "),
                 qPrintable(result.err));
        QVERIFY2(result.err.contains(reason), qPrintable(result.err));
        QCOMPARE(namesIn(system_), std::vector<std::string>{"ucc.exe"});
        QCOMPARE(namesIn(maps_), std::vector<std::string>{"bad.uz"});
        QCOMPARE(namesIn(game_), (std::vector<std::string>{"Maps", "System"}));
    }

    void refusesBadCommandLinesAndMissingFiles() {
        const Run missing = run({"Compress", path(maps_ / "none.unr")});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(missing.err, "Error: " + path(maps_ / "none.unr") + ": file not found\n");
        QCOMPARE(run({"Frobnicate", "x"}).exitCode, 2);
        QCOMPARE(run({"Compress"}).exitCode, 2);
        const Run help = run({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("stand-in for the game's own ucc.exe, for demos and tests"));
        QCOMPARE(run({}).out, help.out);
    }

    void longNamesAreCompressedWhileTheResultsNameFits() {
        // 252 bytes: the result's name takes the last three bytes a name may have.
        const std::string longest = std::string(248, 'M') + ".unr";
        const std::string tooLong = std::string(249, 'N') + ".unr";
        writeBytes(maps_ / longest, packageBytes());
        writeBytes(maps_ / tooLong, packageBytes());
        const Run packed = run({"Compress", path(maps_ / longest)});
        QCOMPARE(packed.err, QString());
        QCOMPARE(packed.exitCode, 0);
        const Run refused = run({"Compress", path(maps_ / tooLong)});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("File name too long"), qPrintable(refused.err));
        QCOMPARE(namesIn(maps_), (std::vector<std::string>{longest, longest + ".uz", tooLong}));

        fs::remove(maps_ / longest);
        const Run unpacked = run({"Decompress", path(maps_ / (longest + ".uz"))});
        QCOMPARE(unpacked.err, QString());
        QVERIFY(readBytes(system_ / longest) == packageBytes());
    }

    void aFailedWriteLeavesNoTemporaryFile() {
        // The target name is taken by a folder, so the final rename fails after the data was
        // written to the temporary file.
        writeBytes(maps_ / "A.unr", packageBytes());
        fs::create_directory(maps_ / "A.unr.uz");
        const Run result = run({"Compress", path(maps_ / "A.unr")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.startsWith("Error: " + path(maps_ / "A.unr") + ": cannot write"));
        QCOMPARE(namesIn(maps_), (std::vector<std::string>{"A.unr", "A.unr.uz"}));
        QVERIFY(fs::is_empty(maps_ / "A.unr.uz"));
    }
};

QTEST_GUILESS_MAIN(UccStandinTest)
#include "test_ucc_standin.moc"
