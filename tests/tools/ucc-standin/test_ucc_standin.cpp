// The stand-in tool as a game's System\ucc.exe refuses bad input with one line, exit status 1 and
// nothing left behind. (Whole jobs through it are the main window's and the reliability tests'.)

#include "commands.h"
#include "support/TempPrefix.h"
#include "uz/uzfile.h"

#include <QProcess>
#include <QTest>

#include <fstream>
#include <set>

using namespace tolvane;
namespace fs = std::filesystem;

class UccStandinTest : public QObject {
    Q_OBJECT
    test::TempPrefix prefix_;

private slots:
    void refusesBadInputWithOneLineAndLeavesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<QString>("reason");
        const auto uzFile = [](const char* storedName) {
            const uz::Bytes file = uz::compressUz(uz::Bytes(100, 'x'), storedName);
            return QByteArray(reinterpret_cast<const char*>(file.data()), file.size());
        };
        const auto row = [](const char* command, const QString& file, const QByteArray& content,
                            const char* reason) {
            QTest::newRow(reason) << command << file << content << reason;
        };
        row("Decompress", "a.uz", uzFile("a.u").chopped(20), "truncated");
        row("Decompress", "a.uz", "text", "unknown signature");
        row("Decompress", "a.uz", uzFile("../../evil.unr"), "unsafe stored file name");
        row("Decompress", "a.uz", uzFile("C:evil.unr"), "drive colon");
        row("Decompress", "a.uz", uzFile("ucc.exe"), "is this tool itself");
        row("Compress", "none.unr", QByteArray(), "file not found");
        row("Compress", "A.unr", "x", "cannot write"); // its result's name is taken by a folder
    }
    void refusesBadInputWithOneLineAndLeavesNothing() {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        fs::remove_all(prefix_.driveC() / "UT");
        prefix_.makeFolder("UT/Maps/A.unr.uz");
        const fs::path tool = prefix_.makeFolder("UT/System") / "ucc.exe";
        fs::copy_file(QCoreApplication::applicationDirPath().toStdString() + "/ucc-standin", tool);
        if (!content.isNull()) {
            prefix_.makeFile("UT/Maps/" + file.toStdString(), content.toStdString());
        }
        const auto files = [&] {
            const auto all = fs::recursive_directory_iterator(prefix_.driveC());
            return std::set<fs::path>(fs::begin(all), fs::end(all));
        };
        const auto before = files();
        QProcess run;
        run.start(QString::fromStdString(tool), {command, "C:\\UT\\Maps\\" + file});
        QVERIFY(run.waitForFinished(30000));
        const QString err = run.readAllStandardError();
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(err.startsWith("Error: C:\\UT\\Maps\\" + file + ": ") && err.contains(reason) &&
                     err.count('\n') == 1,
                 qPrintable(err));
        QCOMPARE(files(), before);
    }

    // A .uz counts as written only when what is on disk decodes to the package and its name.
    void aDamagedWriteIsNotTakenForTheFile() {
        uz::Bytes package(5000);
        for (std::size_t i = 0; i < package.size(); ++i) {
            package[i] = static_cast<std::uint8_t>(i * i % 251);
        }
        const uz::Bytes file = uz::compressUz(package, "A.unr");
        const fs::path target = prefix_.makeFolder("Out") / "A.unr.uz";
        std::string error;
        const auto holdsAfterWriting = [&](uz::Bytes bytes, const std::string& name) {
            std::ofstream(target, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return standin::uzFileHolds(target, package, name, error);
        };
        QVERIFY(holdsAfterWriting(file, "A.unr"));
        QVERIFY(!holdsAfterWriting(file, "B.unr"));
        uz::Bytes flipped = file;
        flipped[flipped.size() / 2] ^= 0x10;
        QVERIFY(!holdsAfterWriting(flipped, "A.unr"));
        QVERIFY(!holdsAfterWriting(uz::Bytes(file.begin(), file.end() - 9), "A.unr"));
        QVERIFY(!error.empty());
    }
};

QTEST_GUILESS_MAIN(UccStandinTest)
#include "test_ucc_standin.moc"
