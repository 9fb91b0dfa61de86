// Whole jobs under hostile conditions, through the window, the interpreter and the tool: names
// full of syntax and a full disk. Nothing else runs, nothing is lost.

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <csignal>
#include <fstream>
#include <random>
#include <set>
#include <sys/resource.h>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

// Names the tool can compress: shell and interpreter syntax, variables, accents, option-like
// names, and the longest whose .uz still fits in 255 bytes. Joined by '/', which no name holds.
const QStringList kCompressible =
    QString("blank name.unr/ leading blank.unr/many   blanks .unr/& % ^ ( ) ! ' , ;.unr/100%.unr/"
            "%PATH%.unr/%%.unr/%~dp0.unr/x & touch PWNED.unr/"
            "x ^& touch PWNED.unr/$(touch PWNED).unr/`touch PWNED`.unr/;touch PWNED.unr/"
            "\u00C9clair \u20AC.unr/-rf.unr/--help.unr/" +
            QString(248, 'M') + ".unr")
        .split('/');
// Names whose .uz would pass 255 bytes, the second in two-byte letters: the tool refuses them.
const QStringList kTooLong = {QString(249, 'N') + ".unr", QString(125, QChar(0xE9)) + ".unr"};

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

// A window on a game folder whose files in `folder` are queued; the sources' bytes by name.
struct WindowJob {
    explicit WindowJob(const std::string& folder, const QStringList& names = {}) {
        fs::create_directories(game.game() / folder);
        for (const QString& name : names) {
            sources[name.toStdString()] = test::GameFolder::package(name.toStdString());
            std::ofstream(game.game() / folder / name.toStdString()) << sources[name.toStdString()];
        }
        f.form->Show();
        f.form->mnuOpen->setChecked(false);
        queue(folder);
        gameBefore = namesIn(game.game());
    }
    void queue(const std::string& folder) {
        QVERIFY(f.form->Dir1->setPath(QString::fromStdString("C:\\UnrealTournament\\" + folder)));
        f.form->File1->selectAll();
        f.form->KewlButtons1->click();
    }
    std::string start() {
        f.form->KewlButtons2->click();
        return f.messages.shown.empty() ? std::string() : f.messages.shown.back().text;
    }
    // Every source is still there with its bytes, and nothing else beside them.
    void checkNothingLost(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& [name, bytes] : sources) {
            names.insert(name);
            QCOMPARE(test::readFile(folder / name), bytes);
        }
        QCOMPARE(namesIn(folder), names);
    }
    // Nothing written or run, and the window as it was, ready for another try.
    void checkRefusedBeforeAnythingRan() {
        QCOMPARE(namesIn(game.game()), gameBefore);
        QVERIFY(namesIn(game.compressed()).empty());
        QVERIFY(f.form->KewlButtons2->isVisible() && !f.form->txtOutput->isVisible());
        QCOMPARE(f.form->List1->count(), f.form->List2->count());
        QVERIFY(f.form->List1->count() > 0);
    }

    test::GameFolder game;
    std::map<std::string, std::string> sources;
    std::set<std::string> gameBefore;
    test::Form1Fixture f;
};

// A file an injected command would have made, in the prefix or where a shell would have run.
bool anythingPlanted(const test::GameFolder& game) {
    for (const auto& entry : fs::recursive_directory_iterator(game.prefix.root())) {
        if (entry.path().filename().string().starts_with("PWNED")) {
            return true;
        }
    }
    return fs::exists("PWNED") || fs::exists(fs::temp_directory_path() / "PWNED");
}

// While it lives no file can grow past `bytes`: writes beyond fail with "File too large", as on a
// full disk, in this process and in the programs it starts.
struct FileSizeLimit {
    rlimit saved{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
};

} // namespace

class HostileConditionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ::unsetenv("ComSpec"); }

    void hostileNamesAreCompressedOrRefusedAndNothingIsLost() {
        WindowJob job("Hostile", kCompressible + kTooLong);
        // The end-of-job question names the results of kTooLong, and only those.
        const QString question = QString::fromStdString(job.start());
        QCOMPARE(question.count("\r\n"), kTooLong.size() + 1);
        for (const QString& name : kTooLong) {
            QVERIFY2(question.contains("\r\n" + name + ".uz\r\n"), qPrintable(name));
        }
        QVERIFY(!job.f.form->txtOutput->toPlainText().contains("not recognized"));
        QCOMPARE(namesIn(job.game.compressed()).size(), std::size_t(kCompressible.size()));
        job.checkNothingLost(job.game.game() / "Hostile");

        // Back again: every result decompresses to its source's name and bytes.
        job.queue("Compressed");
        job.f.form->Option2->setChecked(true);
        job.start();
        QCOMPARE(job.f.messages.shown.back().title, std::string("Success!"));
        for (const QString& name : kCompressible) {
            QCOMPARE(test::readFile(job.game.decompressed() / name.toStdString()),
                     job.sources.at(name.toStdString()));
        }
        QVERIFY(!anythingPlanted(job.game));
        QVERIFY(job.f.folders.opened.empty()); // the check mark was taken off
    }

    void namesTheBatchFileCannotHoldAreRefusedBeforeAnythingRuns() {
        const QStringList refused = {"\u5730\u56FE.unr",      // no place in the Windows code page
                                     "smile \U0001F600.unr"}; // outside the basic plane
        WindowJob job("Foreign", refused + QStringList{"plain.unr"});
        const std::string text = job.start();
        QVERIFY(text.starts_with("The batch file C:\\UnrealTournament\\uccMake.Bat cannot name"));
        for (const QString& name : refused) {
            QVERIFY2(
                QString::fromStdString(text).contains("\r\nC:\\UnrealTournament\\Foreign\\" + name),
                qPrintable(name));
        }
        QVERIFY(text.find("plain.unr") == text.npos);
        job.checkRefusedBeforeAnythingRan();
        job.checkNothingLost(job.game.game() / "Foreign");
    }

    // A full disk: the earlier job's batch file stays whole, the reason is shown, nothing runs.
    void aBatchFileThatCannotBeWrittenIsRefused() {
        WindowJob job("Maps");
        std::ofstream(job.game.game() / "uccMake.Bat") << "REM an earlier job\r\n";
        job.gameBefore = namesIn(job.game.game());
        {
            FileSizeLimit limit(64);
            job.start();
        }
        QCOMPARE(job.f.messages.shown,
                 (std::vector<test::ShownBox>{{"The batch file C:\\UnrealTournament\\uccMake.Bat "
                                               "could not be written:\r\nFile too large",
                                               "Error~!", 16}}));
        QCOMPARE(test::readFile(job.game.game() / "uccMake.Bat"), "REM an earlier job\r\n");
        job.checkRefusedBeforeAnythingRan();
    }

    // The disk fills up while the tool writes: the results it could not write are named at the
    // end of the job, and none is left half written.
    void aDiskThatFillsUpDuringTheJob() {
        std::mt19937 random(1);
        std::string noise; // its result passes the limit
        while (noise.size() < 64 * 1024) {
            noise += static_cast<char>(random());
        }
        WindowJob job("Full", {"Alpha.unr", "Beta.unr", "Gamma.unr"});
        for (const char* name : {"Beta.unr", "Gamma.unr"}) {
            std::ofstream(job.game.game() / "Full" / name) << (job.sources[name] = noise);
        }
        {
            FileSizeLimit limit(16 * 1024);
            job.start();
        }
        QCOMPARE(job.f.messages.shown,
                 (std::vector<test::ShownBox>{
                     {"Compiling finished with errors. These files were not produced:\r\n"
                      "Beta.unr.uz\r\nGamma.unr.uz\r\nWould you like to exit?",
                      "Error~!", 20}}));
        QCOMPARE(job.f.form->List1->count(), 0); // the No answer still empties the queue
        QCOMPARE(job.f.form->txtOutput->toPlainText().count("File too large"), 2);
        QCOMPARE(namesIn(job.game.compressed()), std::set<std::string>{"Alpha.unr.uz"});
        job.checkNothingLost(job.game.game() / "Full");
    }
};

QTEST_MAIN(HostileConditionsTest)
#include "test_hostile_conditions.moc"
