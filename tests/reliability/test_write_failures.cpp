// Writes that fail: a game folder the batch file cannot be written into, and a disk that fills up
// while the batch file is written or while the job runs. The user gets a clear message, and no
// half-written batch file or result is ever left behind.

#include "JobChecks.h"
#include "WriteLimits.h"
#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"
#include "uz/uzfile.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

const std::string kBatchPath = "C:\\UnrealTournament\\uccMake.Bat";

void queueAll(Form1& form, const QString& folder) {
    QVERIFY(form.Dir1->setPath(folder));
    form.File1->selectAll();
    form.KewlButtons1->click();
}

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes = "\xC1\x83\x2A\x9E";
    while (bytes.size() < size) {
        bytes += static_cast<char>(random());
    }
    return bytes;
}

} // namespace

class WriteFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::unsetenv("ComSpec"); }

    // The batch file cannot be written: the reason is shown, and nothing is left or run.
    void aBatchFileThatCannotBeWrittenIsRefused_data() {
        QTest::addColumn<QString>("why");
        QTest::newRow("read-only game folder") << "Permission denied";
        QTest::newRow("a folder holds its name") << "Is a directory";
        QTest::newRow("disk full") << "File too large";
    }
    void aBatchFileThatCannotBeWrittenIsRefused() {
        QFETCH(QString, why);
        test::GameFolder game;
        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        const QStringList queued = test::entriesOf(f.form->List1);
        const QStringList names = test::entriesOf(f.form->List2);
        // An earlier job's batch file stays as it was: the new one is never half written over it.
        const std::string earlier = "REM an earlier job\r\n";
        if (why != "Is a directory") {
            std::ofstream(game.game() / "uccMake.Bat", std::ios::binary) << earlier;
        }
        const auto gameBefore = test::namesIn(game.game());
        const QString outputBefore = f.form->txtOutput->toPlainText();

        if (why == "Permission denied") {
            fs::permissions(game.game(),
                            fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write,
                            fs::perm_options::remove);
            test::PermissionsEnforced enforced;
            if (!enforced.holds()) {
                fs::permissions(game.game(), fs::perms::owner_write, fs::perm_options::add);
                QSKIP("running as root without a way to give up the permission override");
            }
            f.form->KewlButtons2->click();
        } else if (why == "Is a directory") {
            fs::create_directory(game.game() / "uccmake.bat");
            f.form->KewlButtons2->click();
        } else {
            test::FileSizeLimit limit(64);
            f.form->KewlButtons2->click();
        }
        fs::permissions(game.game(), fs::perms::owner_write, fs::perm_options::add);

        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(f.messages.shown[0].style, 16);
        QCOMPARE(f.messages.shown[0].text,
                 "The batch file " + kBatchPath + " could not be written:\r\n" + why.toStdString());

        // Nothing written, nothing run, and the window as it was, so the user can try again.
        if (why == "Is a directory") {
            QCOMPARE(test::batchFilesIn(game.game()), std::vector<std::string>{"uccmake.bat"});
            QVERIFY(fs::is_empty(game.game() / "uccmake.bat"));
        } else {
            QCOMPARE(test::namesIn(game.game()), gameBefore);
            QCOMPARE(test::readFile(game.game() / "uccMake.Bat"), earlier);
        }
        QVERIFY(test::namesIn(game.compressed()).empty());
        QCOMPARE(test::namesIn(game.game() / "Maps").size(), game.packages.size());
        QVERIFY(f.form->KewlButtons2->isVisible() && f.form->File1->isVisible());
        QVERIFY(!f.form->txtOutput->isVisible());
        QCOMPARE(f.form->txtOutput->toPlainText(), outputBefore); // no job started
        QCOMPARE(test::entriesOf(f.form->List1), queued);
        QCOMPARE(test::entriesOf(f.form->List2), names);
        std::printf("reliability: batch file not writable (%s): refused with the reason, "
                    "%s0 files left, 0 commands run, queue of %lld kept\n",
                    qPrintable(why), why == "Is a directory" ? "" : "earlier batch file intact, ",
                    static_cast<long long>(queued.size()));
    }

    // The disk fills up while the tool writes: the files it could not write are named at the end
    // of the job, and none is left half written.
    void aDiskThatFillsUpDuringTheJob() {
        test::GameFolder game;
        // Alpha's result fits below the limit; the two others' do not.
        for (const char* name : {"Beta.unr", "Gamma.unr"}) {
            game.packages[name] = noise(64 * 1024, name[0]);
            std::ofstream(game.game() / "Maps" / name, std::ios::binary) << game.packages[name];
        }
        test::Form1Fixture f;
        f.form->Show();
        f.form->mnuOpen->setChecked(false);
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        QString output;
        f.messages.onShow = [&](const test::ShownBox&) {
            output = f.form->txtOutput->toPlainText();
        };
        {
            test::FileSizeLimit limit(16 * 1024);
            f.form->KewlButtons2->click();
        }

        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Compiling finished with errors. These files were not produced:\r\n"
                             "Beta.unr.uz\r\nGamma.unr.uz\r\nWould you like to exit?"));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(f.messages.shown[0].style, 20);
        QCOMPARE(output.count("File too large"), 2);

        // Only the whole result is there; no partial or temporary file anywhere.
        QCOMPARE(test::namesIn(game.compressed()), std::set<std::string>{"Alpha.unr.uz"});
        const std::string packed = test::readFile(game.compressed() / "Alpha.unr.uz");
        const uz::UzContents alpha = uz::decompressUz(
            uz::ByteSpan(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size()));
        QCOMPARE(std::string(alpha.data.begin(), alpha.data.end()), game.packages["Alpha.unr"]);
        std::set<std::string> sources;
        for (const auto& [name, bytes] : game.packages) {
            sources.insert(name);
            QCOMPARE(test::readFile(game.game() / "Maps" / name), bytes);
        }
        QCOMPARE(test::namesIn(game.game() / "Maps"), sources);
        // The batch file that ran is whole: a tool line and a Move line per file.
        const std::string batch = test::readFile(game.game() / "uccMake.Bat");
        QCOMPARE(std::count(batch.begin(), batch.end(), '\n'), 6);
        QVERIFY(batch.ends_with("\r\n"));
        QCOMPARE(test::batchFilesIn(game.game()), std::vector<std::string>{"uccMake.Bat"});
        std::printf("reliability: disk full during a job: 1 of 3 results written whole, 2 named "
                    "as not produced, 0 partial files left\n");
    }
};

QTEST_MAIN(WriteFailuresTest)
#include "test_write_failures.moc"
