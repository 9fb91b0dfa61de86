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

namespace {

void queueAll(Form1& form, const QString& folder) {
    QVERIFY(form.Dir1->setPath(folder));
    form.File1->selectAll();
    form.KewlButtons1->click();
}

bool batchFileIn(const fs::path& game) {
    for (auto& e : fs::directory_iterator(game)) {
        if (e.path().filename().string() == "uccMake.Bat" ||
            e.path().filename().string() == "uccmake.bat") {
            return true;
        }
    }
    return false;
}

} // namespace

class Form1JobTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::unsetenv("ComSpec"); }

    void compressesAndGoesBackToTheBrowserOnNo() {
        test::GameFolder game;
        test::Form1Fixture f;
        f.form->Show();
        f.form->mnuOpen->setChecked(false);
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        QCOMPARE(f.form->List1->count(), 3);
        QString outputAtQuestion;
        f.messages.onShow = [&](const test::ShownBox&) {
            outputAtQuestion = f.form->txtOutput->toPlainText();
        };
        f.messages.answers = {platform::kIdNo};
        f.form->KewlButtons2->click();

        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Compiling Completed! Would you like to eixt?"));
        QCOMPARE(f.messages.shown[0].title, std::string("Success!"));
        QCOMPARE(f.messages.shown[0].style, 4);
        for (auto& [name, bytes] : game.packages) {
            QVERIFY2(fs::exists(game.compressed() / (name + ".uz")), name.c_str());
            QVERIFY(!fs::exists(game.game() / "Maps" / (name + ".uz")));
        }
        // The output shows each command after the prompt, and the tool's own words.
        QVERIFY2(outputAtQuestion.contains("C:\\UnrealTournament\\System\\ucc.exe Compress "
                                           "C:\\UnrealTournament\\Maps\\Alpha.unr"),
                 qPrintable(outputAtQuestion));
        QVERIFY(outputAtQuestion.contains("1 file(s) moved."));
        QVERIFY(!outputAtQuestion.contains('\r'));
        // Back in the browser, queue emptied, batch file kept, no folder window.
        QVERIFY(f.form->KewlButtons2->isVisible() && f.form->File1->isVisible());
        QVERIFY(!f.form->txtOutput->isVisible());
        QCOMPARE(f.form->List1->count(), 0);
        QCOMPARE(f.form->List2->count(), 0);
        QVERIFY(batchFileIn(game.game()));
        QVERIFY(f.folders.opened.empty());
        QCOMPARE(f.endRequests, 0);

        // Start again at once: the queue is empty.
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.back().text, std::string("No files to compile."));
        QCOMPARE(f.messages.shown.back().style, 0);
    }

    void decompressesAndEndsOnYesWithOneResultsWindow() {
        test::GameFolder game;
        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        f.messages.answers = {platform::kIdNo};
        f.form->KewlButtons2->click();
        QCOMPARE(f.folders.opened, std::vector<std::string>{"C:\\UnrealTournament\\Compressed"});

        queueAll(*f.form, "C:\\UnrealTournament\\Compressed");
        f.form->Option2->setChecked(true);
        QString outputAtQuestion;
        f.messages.onShow = [&](const test::ShownBox&) {
            outputAtQuestion = f.form->txtOutput->toPlainText();
        };
        f.messages.answers = {platform::kIdYes};
        f.form->KewlButtons2->click();

        QCOMPARE(f.messages.shown.back().title, std::string("Success!"));
        QCOMPARE(f.endRequests, 1);
        QVERIFY(!batchFileIn(game.game()));
        QCOMPARE(f.folders.opened.size(), std::size_t(2));
        QCOMPARE(f.folders.opened[1], std::string("C:\\UnrealTournament\\Decompressed"));
        for (auto& [name, bytes] : game.packages) {
            QCOMPARE(test::readFile(game.decompressed() / name), bytes);
        }
        // The second job's box was emptied when it started.
        QVERIFY(!outputAtQuestion.contains("Compress C:\\UnrealTournament\\Maps"));
        QVERIFY(outputAtQuestion.contains("Decompress"));
    }

    void aJobThatProducesNothingIsNotReportedAsSuccess() {
        test::GameFolder game;
        fs::remove(game.system() / "ucc.exe");
        {
            std::ofstream tool(game.system() / "ucc.exe");
            tool << "#!/bin/sh\necho \"Failed to load package $2\"\nexit 1\n";
        }
        fs::permissions(game.system() / "ucc.exe", fs::perms::owner_all);
        // An older result of the same name does not count as this job's.
        std::ofstream(game.compressed() / "Beta.unr.uz") << "old";
        fs::last_write_time(game.compressed() / "Beta.unr.uz",
                            fs::file_time_type::clock::now() - std::chrono::hours(2));
        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        f.messages.answers = {platform::kIdNo};
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Compiling finished with errors. These files were not produced:\r\n"
                             "Alpha.unr.uz\r\nBeta.unr.uz\r\nGamma.unr.uz\r\n"
                             "Would you like to exit?"));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(f.messages.shown[0].style, 20);
        QCOMPARE(f.form->List1->count(), 0); // the No answer still empties the queue
    }

    void aRunnerFailureIsReportedAndTheQueueKept() {
        test::GameFolder game;
        ::setenv("ComSpec", "/nonexistent/cmd.exe", 1);
        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");
        f.form->KewlButtons2->click();
        ::unsetenv("ComSpec");
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Error!\r\nDescription: CreateProcess failed.\r\nLastDLLError: 2"));
        QCOMPARE(f.messages.shown[0].title, std::string("Error"));
        QCOMPARE(f.messages.shown[0].style, 16);
        QVERIFY(f.form->KewlButtons2->isVisible());
        QVERIFY(!f.form->txtOutput->isVisible());
        QCOMPARE(f.form->List1->count(), 3);
        QCOMPARE(f.form->List2->count(), 3);
    }

    void refusesJobsItCannotWriteAndKeepsTheView() {
        test::GameFolder game;
        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Maps");

        f.form->Option2->setChecked(true); // .unr files cannot be decompressed
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.back().text,
                 std::string("Only .uz files can be decompressed:\r\nGamma.unr\r\nBeta.unr\r\n"
                             "Alpha.unr"));
        QCOMPARE(f.messages.shown.back().style, 0);
        f.form->Option1->setChecked(true);

        game.prefix.writeSystemReg("");
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.back().text,
                 std::string("The game folder could not be found. Is the game installed?"));
        QCOMPARE(f.messages.shown.back().style, 16);

        game.prefix.setGameFolder("C:\\Gone");
        f.form->KewlButtons2->click();
        QVERIFY(f.messages.shown.back().text.starts_with(
            "The batch file C:\\Gone\\uccMake.Bat could not be written:\r\n"));
        QCOMPARE(f.messages.shown.back().style, 16);

        // Decompressing a file the game keeps in System would take the game's copy away.
        game.prefix.setGameFolder("C:\\UnrealTournament");
        std::ofstream(game.compressed() / "Core.u.uz") << "packed";
        std::ofstream(game.system() / "Core.u") << "the game's own";
        f.form->List1->clear();
        f.form->List2->clear();
        queueAll(*f.form, "C:\\UnrealTournament\\Compressed");
        f.form->Option2->setChecked(true);
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.back().text,
                 std::string("These files are already in the game's System folder. "
                             "Decompressing would replace them and then move them out of "
                             "it:\r\nCore.u"));
        QCOMPARE(f.messages.shown.back().style, 16);
        QCOMPARE(test::readFile(game.system() / "Core.u"), std::string("the game's own"));

        QCOMPARE(f.messages.shown.size(), std::size_t(4));
        QVERIFY(f.form->KewlButtons2->isVisible());
        QCOMPARE(f.form->List1->count(), 1);
        QVERIFY(!batchFileIn(game.game()));
    }

    void outputKeepsLineBreaksWhateverTheChunks() {
        test::Form1Fixture f;
        f.form->ReadOutput1_Starting();
        QCOMPARE(f.form->txtOutput->toPlainText(), QString());
        f.form->ReadOutput1_GotChunk("abc\r", false);
        f.form->ReadOutput1_GotChunk("\ndef\n", false);
        QCOMPARE(f.form->txtOutput->toPlainText(), QStringLiteral("abc\ndef\n"));
        f.form->ReadOutput1_GotChunk("10%\r20%\r", false);
        f.form->ReadOutput1_GotChunk("x\ny\r\n", false);
        f.form->ReadOutput1_GotChunk("", true);
        QCOMPARE(f.form->txtOutput->toPlainText(), QStringLiteral("abc\ndef\n10%20%x\ny\n"));
        const QTextCursor caret = f.form->txtOutput->textCursor();
        QVERIFY(!caret.hasSelection());
        QCOMPARE(caret.position(), f.form->txtOutput->document()->characterCount() - 1);
        f.form->ReadOutput1_Starting();
        QCOMPARE(f.form->txtOutput->toPlainText(), QString());
    }
};

QTEST_MAIN(Form1JobTest)
#include "test_form1_job.moc"
