// Whole jobs through the real runner, the bundled interpreter and the stand-in tool: the queue
// goes in, the results come out, and the end of the job asks the right question.

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;
using Boxes = std::vector<test::ShownBox>;

namespace {

// A demo game folder and a shown main window on it, which keeps the text of the output box as
// it was when the last question came.
struct Job {
    test::GameFolder game;
    test::Form1Fixture f;
    Form1& form = *f.form;
    QString outputAtQuestion;

    Job() {
        form.Show();
        f.messages.onShow = [this](const test::ShownBox&) {
            outputAtQuestion = form.txtOutput->toPlainText();
        };
    }
    void queueAll(const char* folder) {
        QVERIFY(form.Dir1->setPath(QString::fromLatin1(folder)));
        form.File1->selectAll();
        form.KewlButtons1->click();
    }
    void start(std::deque<int> answers) {
        f.messages.answers = std::move(answers);
        form.KewlButtons2->click();
    }
    bool batchFileKept() const {
        for (auto& e : fs::directory_iterator(game.game())) {
            if (e.path().filename() == "uccMake.Bat" || e.path().filename() == "uccmake.bat") {
                return true;
            }
        }
        return false;
    }
    bool inBrowserView() const {
        return form.KewlButtons2->isVisible() && form.File1->isVisible() &&
               !form.txtOutput->isVisible();
    }
};

} // namespace

class Form1JobTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::unsetenv("ComSpec"); }

    void compressesAndGoesBackToTheBrowserOnNo() {
        Job job;
        job.form.mnuOpen->setChecked(false);
        job.queueAll("C:\\UnrealTournament\\Maps");
        QCOMPARE(job.form.List1->count(), 3);
        job.start({platform::kIdNo});
        QCOMPARE(job.f.messages.shown,
                 Boxes({{"Compiling Completed! Would you like to eixt?", "Success!", 4}}));
        for (auto& [name, bytes] : job.game.packages) {
            QVERIFY2(fs::exists(job.game.compressed() / (name + ".uz")), name.c_str());
            QVERIFY(!fs::exists(job.game.game() / "Maps" / (name + ".uz")));
        }
        // The output shows each command after the prompt, and the tool's own words.
        QVERIFY2(job.outputAtQuestion.contains("C:\\UnrealTournament\\System\\ucc.exe Compress "
                                               "C:\\UnrealTournament\\Maps\\Alpha.unr"),
                 qPrintable(job.outputAtQuestion));
        QVERIFY(job.outputAtQuestion.contains("1 file(s) moved."));
        QVERIFY(!job.outputAtQuestion.contains('\r'));
        // Back in the browser, queue emptied, batch file kept, no folder window.
        QVERIFY(job.inBrowserView());
        QCOMPARE(job.form.List1->count() + job.form.List2->count(), 0);
        QVERIFY(job.batchFileKept());
        QVERIFY(job.f.folders.opened.empty());
        QCOMPARE(job.f.endRequests, 0);

        // Start again at once: the queue is empty.
        job.start({});
        QCOMPARE(job.f.messages.shown.back(),
                 (test::ShownBox{"No files to compile.", "Error~!", 0}));
    }

    void decompressesAndEndsOnYesWithOneResultsWindow() {
        Job job;
        job.queueAll("C:\\UnrealTournament\\Maps");
        job.start({platform::kIdNo});
        QCOMPARE(job.f.folders.opened,
                 std::vector<std::string>{"C:\\UnrealTournament\\Compressed"});

        job.queueAll("C:\\UnrealTournament\\Compressed");
        job.form.Option2->setChecked(true);
        job.start({platform::kIdYes});
        QCOMPARE(job.f.messages.shown.back().title, std::string("Success!"));
        QCOMPARE(job.f.endRequests, 1);
        QVERIFY(!job.batchFileKept());
        QCOMPARE(job.f.folders.opened,
                 std::vector<std::string>(
                     {"C:\\UnrealTournament\\Compressed", "C:\\UnrealTournament\\Decompressed"}));
        for (auto& [name, bytes] : job.game.packages) {
            QCOMPARE(test::readFile(job.game.decompressed() / name), bytes);
        }
        // The second job's box was emptied when it started.
        QVERIFY(!job.outputAtQuestion.contains("Compress C:\\UnrealTournament\\Maps"));
        QVERIFY(job.outputAtQuestion.contains("Decompress"));
    }

    void aJobThatProducesNothingIsNotReportedAsSuccess() {
        Job job;
        fs::remove(job.game.system() / "ucc.exe");
        std::ofstream(job.game.system() / "ucc.exe")
            << "#!/bin/sh\necho \"Failed to load package $2\"\nexit 1\n";
        fs::permissions(job.game.system() / "ucc.exe", fs::perms::owner_all);
        // An older result of the same name does not count as this job's.
        std::ofstream(job.game.compressed() / "Beta.unr.uz") << "old";
        fs::last_write_time(job.game.compressed() / "Beta.unr.uz",
                            fs::file_time_type::clock::now() - std::chrono::hours(2));
        job.queueAll("C:\\UnrealTournament\\Maps");
        job.start({platform::kIdNo});
        QCOMPARE(job.f.messages.shown,
                 Boxes({{"Compiling finished with errors. These files were not produced:\r\n"
                         "Alpha.unr.uz\r\nBeta.unr.uz\r\nGamma.unr.uz\r\nWould you like to exit?",
                         "Error~!", 20}}));
        QCOMPARE(job.form.List1->count(), 0); // the No answer still empties the queue
    }

    void aRunnerFailureIsReportedAndTheQueueKept() {
        Job job;
        ::setenv("ComSpec", "/nonexistent/cmd.exe", 1);
        job.queueAll("C:\\UnrealTournament\\Maps");
        job.start({});
        ::unsetenv("ComSpec");
        QCOMPARE(job.f.messages.shown,
                 Boxes({{"Error!\r\nDescription: CreateProcess failed.\r\nLastDLLError: 2", "Error",
                         16}}));
        QVERIFY(job.inBrowserView());
        QCOMPARE(std::pair(job.form.List1->count(), job.form.List2->count()), std::pair(3, 3));
    }

    void refusesJobsItCannotWriteAndKeepsTheView() {
        Job job;
        job.queueAll("C:\\UnrealTournament\\Maps");
        job.form.Option2->setChecked(true); // .unr files cannot be decompressed
        job.start({});
        job.form.Option1->setChecked(true);
        job.game.prefix.writeSystemReg("");
        job.start({});
        job.game.prefix.setGameFolder("C:\\Gone");
        job.start({});
        QVERIFY(job.f.messages.shown.back().text.starts_with(
            "The batch file C:\\Gone\\uccMake.Bat could not be written:\r\n"));
        job.f.messages.shown.back().text = "..."; // the reason is the system's own

        // Decompressing a file the game keeps in System would take the game's copy away.
        job.game.prefix.setGameFolder("C:\\UnrealTournament");
        std::ofstream(job.game.compressed() / "Core.u.uz") << "packed";
        std::ofstream(job.game.system() / "Core.u") << "the game's own";
        job.form.List1->clear();
        job.form.List2->clear();
        job.queueAll("C:\\UnrealTournament\\Compressed");
        job.form.Option2->setChecked(true);
        job.start({});
        QCOMPARE(test::readFile(job.game.system() / "Core.u"), std::string("the game's own"));

        QCOMPARE(
            job.f.messages.shown,
            Boxes({{"Only .uz files can be decompressed:\r\nGamma.unr\r\nBeta.unr\r\nAlpha.unr",
                    "Error~!", 0},
                   {"The game folder could not be found. Is the game installed?", "Error~!", 16},
                   {"...", "Error~!", 16},
                   {"These files are already in the game's System folder. Decompressing "
                    "would replace them and then move them out of it:\r\nCore.u",
                    "Error~!", 16}}));
        QVERIFY(job.inBrowserView());
        QCOMPARE(job.form.List1->count(), 1);
        QVERIFY(!job.batchFileKept());
    }

    void outputKeepsLineBreaksWhateverTheChunks() {
        test::Form1Fixture f;
        QPlainTextEdit* box = f.form->txtOutput;
        f.form->ReadOutput1_Starting();
        QCOMPARE(box->toPlainText(), QString());
        f.form->ReadOutput1_GotChunk("abc\r", false);
        f.form->ReadOutput1_GotChunk("\ndef\n", false);
        QCOMPARE(box->toPlainText(), QStringLiteral("abc\ndef\n"));
        for (const char* chunk : {"10%\r20%\r", "x\ny\r\n", ""}) {
            f.form->ReadOutput1_GotChunk(chunk, !*chunk);
        }
        QCOMPARE(box->toPlainText(), QStringLiteral("abc\ndef\n10%20%x\ny\n"));
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
        f.form->ReadOutput1_Starting();
        QCOMPARE(box->toPlainText(), QString());
    }
};

QTEST_MAIN(Form1JobTest)
#include "test_form1_job.moc"
