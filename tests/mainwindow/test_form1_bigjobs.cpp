// Big jobs through the real window, runner, interpreter and tool: progress, Stop, reading the
// output, leaving out what is done, the warning about larger results, files dropped onto the queue.

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"
#include "ui/QtMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

struct BigJob {
    test::GameFolder game;
    test::Form1Fixture f;
    Form1& form = *f.form;
    fs::path maps = game.game() / "Maps";

    BigJob() {
        form.Show();
        form.mnuOpen->setChecked(false);
    }
    void queue() {
        QVERIFY(form.Dir1->setPath(QStringLiteral("C:\\UnrealTournament\\Maps")));
        form.File1->selectAll();
        form.KewlButtons1->click();
    }
    std::vector<test::ShownBox> start(std::deque<int> answers = {}) {
        f.messages.answers = std::move(answers);
        form.KewlButtons2->click();
        return f.messages.shown;
    }
};

} // namespace

class Form1BigJobsTest : public QObject {
    Q_OBJECT
private slots:
    void progressCountsTheLinesAndLargerResultsAreNamed() {
        BigJob job;
        std::ofstream(job.maps / "Tiny.u") << "x"; // its .uz holds more than its one byte
        job.queue();
        QSignalSpy titles(&job.form, &QWidget::windowTitleChanged);
        const auto boxes = job.start();
        QStringList seen;
        for (const auto& title : titles) {
            seen << title.at(0).toString();
        }
        // A chunk may hold several echoed lines, so a caption may be passed over.
        QCOMPARE(seen.front(), QStringLiteral("Compressing 0 of 4"));
        QCOMPARE(seen.mid(seen.size() - 2), (QStringList{"Moving 4 of 4", "Tolvane"}));
        QVERIFY(!job.form.ProgressBar1->isVisible() && !job.form.mnuStop->isEnabled());
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(boxes[0], (test::ShownBox{"These .uz files are not smaller than their packages. "
                                           "Game clients older than version 469 crash when they "
                                           "download them:\r\nTiny.u.uz",
                                           "Warning", 48}));
        QCOMPARE(boxes[1].title, std::string("Success!"));
        QVERIFY(fs::exists(job.game.compressed() / "Tiny.u.uz")); // kept
    }

    void stopEndsTheSlowToolAndRemovesOnlyAHalfWrittenResultItMade() {
        BigJob job;
        // A slow tool: it starts writing its result, then takes its time.
        const fs::path tool = job.game.system() / "ucc.exe";
        std::ofstream(tool, std::ios::trunc)
            << "#!/bin/sh\nprintf half > \"$2.uz\"\necho \"working on $2\"\nsleep 30\n";
        fs::permissions(tool, fs::perms(0755));
        QTimer poll;
        QString barAtStop;
        // The first line's step comes at once after the job's start, and is shown all the same
        // while the tool takes its time.
        connect(&poll, &QTimer::timeout, &job.form, [&] {
            if (job.form.txtOutput->toPlainText().contains(QStringLiteral("working on")) &&
                job.form.windowTitle() == QStringLiteral("Compressing 1 of 3")) {
                poll.stop();
                barAtStop = job.form.ProgressBar1->text();
                QTest::keyClick(&job.form, Qt::Key_Escape);
            }
        });
        // Once with the first result's place taken by an earlier job's file, once free.
        for (bool earlier : {true, false}) {
            if (earlier) {
                std::ofstream(job.maps / "Alpha.unr.uz") << "an earlier job's";
            }
            job.form.Dir1->setPath(QStringLiteral("C:\\UnrealTournament\\Maps"));
            for (const char* name : {"Alpha.unr", "Beta.unr", "Gamma.unr"}) {
                job.form.File1->setCurrentItem(
                    job.form.File1->findItems(QString::fromLatin1(name), Qt::MatchExactly)[0]);
                job.form.File1_DblClick();
            }
            job.f.messages.shown.clear();
            poll.start(20);
            const auto boxes = job.start({ui::kIdYes, ui::kIdNo});
            QCOMPARE(boxes.size(), std::size_t{2});
            QCOMPARE(boxes[0],
                     (test::ShownBox{"Stop the job? Files already done are kept.", "Stop", 292}));
            QCOMPARE(barAtStop, QStringLiteral("33%")); // a file of three, as the title says
            QVERIFY(boxes[1].text.ends_with("\r\nAlpha.unr.uz\r\nBeta.unr.uz\r\nGamma.unr.uz"
                                            "\r\nWould you like to exit?"));
            QCOMPARE(fs::exists(job.maps / "Alpha.unr.uz"), earlier);
            QVERIFY(!job.form.txtOutput->toPlainText().contains(QStringLiteral("Beta")));
            fs::remove(job.maps / "Alpha.unr.uz");
        }
    }

    // A reflex Enter after the Esc that asks to stop must not end the job.
    void enterAnswersTheSecondButtonWhenItIsTheDefault() {
        QtMessageBoxes boxes(nullptr);
        for (auto [style, answer] : {std::pair{36, ui::kIdYes}, std::pair{292, ui::kIdNo}}) {
            QTimer::singleShot(
                0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
            QCOMPARE(boxes.show("Stop the job?", "Stop", style), answer);
        }
    }

    // While a job streams, its end stays in view unless the user holds a selection or has
    // scrolled away; back at the end with nothing selected, it follows again. After the job, its
    // output can be read again until Esc.
    void theUserReadsAStreamingJobAndTheLastOne() {
        BigJob job;
        QPlainTextEdit* box = job.form.txtOutput;
        QScrollBar* lines = box->verticalScrollBar();
        const fs::path done = job.game.game() / "done";
        std::ofstream(job.game.system() / "ucc.exe", std::ios::trunc)
            << "#!/bin/sh\nseq 60\nwhile [ ! -e '" << done.string()
            << "' ]; do echo more; sleep 0.02; done\n";
        job.queue();
        auto atEnd = [&] {
            return box->textCursor().atEnd() && box->viewport()->rect().contains(box->cursorRect());
        };
        QString selected;
        int step = 0, sizeAtStep = 0;
        std::vector<bool> seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &job.form, [&] {
            // Each step waits for output added after the one before.
            if (lines->maximum() == 0 || box->document()->characterCount() < sizeAtStep + 100) {
                return;
            }
            sizeAtStep = box->document()->characterCount();
            switch (step++) {
            case 0:
                seen.push_back(atEnd() && !job.form.mnuLastOutput->isEnabled());
                QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
                selected = box->textCursor().selectedText();
                break;
            case 1:
                seen.push_back(!selected.isEmpty() && box->textCursor().selectedText() == selected);
                box->moveCursor(QTextCursor::Start); // nothing selected, the view at the top
                break;
            case 2:
                seen.push_back(lines->value() == 0);
                lines->setValue(lines->maximum());
                break;
            default:
                seen.push_back(atEnd());
                poll.stop();
                std::ofstream{done};
            }
        });
        poll.start(20);
        job.start();
        QCOMPARE(seen, (std::vector<bool>{true, true, true, true}));
        QVERIFY(!box->isVisible() && job.form.mnuLastOutput->isEnabled());
        job.form.mnuLastOutput->trigger();
        QVERIFY(box->isVisible() && !job.form.File1->isVisible() &&
                box->toPlainText().count("more") > 9);
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!box->isVisible() && job.form.File1->isVisible());
    }

    void skipLeavesOutWhatIsDoneAndRunsNothingWhenAllIs() {
        BigJob job;
        job.form.mnuSkip->trigger();
        // Alpha's result is newer than its package, so done; Beta's is older.
        for (auto [name, age] : {std::pair{"Alpha.unr.uz", 60}, std::pair{"Beta.unr.uz", -60}}) {
            std::ofstream(job.game.compressed() / name)
                << (age > 0 ? "done before" : "out of date");
            fs::last_write_time(job.game.compressed() / name,
                                fs::file_time_type::clock::now() + std::chrono::seconds(age));
        }
        job.queue();
        auto boxes = job.start();
        QVERIFY(job.form.txtOutput->toPlainText().startsWith(
            QStringLiteral("Left out 1 queued file already done.\n")));
        QCOMPARE(boxes.back().title, std::string("Success!"));
        QCOMPARE(test::readFile(job.game.compressed() / "Alpha.unr.uz"),
                 std::string("done before"));
        QVERIFY(test::readFile(job.game.compressed() / "Beta.unr.uz") != "out of date");

        fs::remove(job.game.game() / "uccMake.Bat");
        job.queue(); // all three are done now
        boxes = job.start();
        QCOMPARE(boxes.back(),
                 (test::ShownBox{"All queued files are already done.", "Success!", 0}));
        QVERIFY(!fs::exists(job.game.game() / "uccMake.Bat"));
        QCOMPARE(job.form.List1->count(), 3);
    }

    void droppedFilesAndFoldersAreQueuedAndThoseOutsideTheDrivesRefused() {
        test::TempPrefix prefix; // only C:, so the prefix's own folder lies outside every drive
        prefix.installGame("UT");
        prefix.makeFile("UT/Maps/DM-A.unr");
        prefix.makeFile("UT/Maps/readme.txt");
        prefix.makeFile("UT/Music/Song.umx");
        const fs::path outside = prefix.root() / "Outside.unr";
        std::ofstream(outside) << "x";
        test::Form1Fixture f;
        f.form->Show();
        QMimeData dropped; // as a file manager gives it: host paths as URLs, over the queue
        dropped.setUrls(
            {QUrl::fromLocalFile(QString::fromStdString((prefix.driveC() / "UT/Maps").string())),
             QUrl::fromLocalFile(
                 QString::fromStdString((prefix.driveC() / "UT/Music/Song.umx").string())),
             QUrl::fromLocalFile(QString::fromStdString(outside.string()))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(f.form->List1->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form->List1->viewport(), &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        QCOMPARE(f.form->List1->item(0)->text(), QStringLiteral("C:\\UT\\Maps\\DM-A.unr"));
        QCOMPARE(f.form->List1->item(1)->text(), QStringLiteral("C:\\UT\\Music\\Song.umx"));
        QCOMPARE(f.form->List2->count(), 2);
        QCOMPARE(f.messages.shown.size(), std::size_t{1});
        QCOMPARE(f.messages.shown[0].text,
                 "These files lie outside every drive of the Wine prefix, "
                 "so they were not queued:\r\n" +
                     outside.string());
    }
};

QTEST_MAIN(Form1BigJobsTest)
#include "test_form1_bigjobs.moc"
