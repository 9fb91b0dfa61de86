// Whole jobs through the real runner, the bundled interpreter and the stand-in tool: the queue
// goes in, the results come out, and the end of the job asks the right question.

#include "common/Module1.h"
#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;
using Boxes = std::vector<test::ShownBox>;

namespace {

// A demo game folder and a shown main window on it, which keeps the text of the output box as
// it was when the last question came.
struct JobRun {
    test::GameFolder game;
    test::Form1Fixture f;
    Form1& form = *f.form;
    QString outputAtQuestion;
    bool outputViewAtQuestion = false;

    JobRun() {
        form.Show();
        f.messages.onShow = [this](const test::ShownBox&) {
            outputAtQuestion = form.txtOutput->toPlainText();
            outputViewAtQuestion = form.txtOutput->isVisible() && !form.File1->isVisible() &&
                                   !form.KewlButtons2->isVisible() && !form.List1->isVisible();
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
    // Written as uccMake.Bat; run and deleted as uccmake.bat, the same file.
    bool batchFileKept() const { return fs::exists(game.game() / "uccMake.Bat"); }
    bool inBrowserView() const { return form.File1->isVisible() && !form.txtOutput->isVisible(); }
};

} // namespace

class Form1JobTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ::unsetenv("ComSpec");
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tolvane"),
                  QStringLiteral("Tolvane"))
            .clear();
    }

    // Compress, No: back to the browser. Decompress, Yes: the end, with one results window for
    // each job. The end of the job looks where the job went, whatever the registry says by then.
    void compressesThenDecompressesAndEndsOnYes() {
        JobRun job;
        job.queueAll("C:\\UnrealTournament\\Maps");
        job.start({ui::kIdNo});
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
        QVERIFY(job.outputViewAtQuestion);
        QVERIFY(job.inBrowserView());
        QCOMPARE(job.form.List1->count() + job.form.List2->count(), 0);
        QVERIFY(job.batchFileKept());
        QCOMPARE(job.f.folders.opened,
                 std::vector<std::string>{"C:\\UnrealTournament\\Compressed"});

        job.queueAll("C:\\UnrealTournament\\Compressed");
        job.form.Option2->setChecked(true);
        QTimer::singleShot(0, &job.form, [&] { job.game.prefix.setGameFolder("C:\\Elsewhere"); });
        std::string gameAtQuestion;
        job.f.messages.onShow = [&](const test::ShownBox&) {
            gameAtQuestion = Module1::GetGameFolder();
        };
        job.start({ui::kIdYes});
        QCOMPARE(gameAtQuestion, std::string("C:\\Elsewhere"));
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
        QCOMPARE(job.form.txtOutput->toPlainText().count(QStringLiteral("Compress C:")), 0);
    }

    void aRunnerFailureIsReportedAndTheQueueKept() {
        JobRun job;
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

    // Names a Linux folder may hold, each beside a decoy that a wrong path would reach: the
    // browser shows it, and queueing, a whole job and Delete reach that file, or none.
    void hostileOnDiskNamesReachTheRightFileOrNone_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("decoy");
        QTest::addColumn<bool>("usable");
        QTest::newRow("backslash") << QByteArray("a\\b.unr") << QByteArray("a/b.unr") << false;
        for (const char* name : {"x*y.unr", "q?.unr", "c:d.unr", "l<t.unr", "g>t.unr", "p|p.unr",
                                 "q\"q.unr", "bad\xFF.unr"}) {
            QTest::newRow(name) << QByteArray(name) << QByteArray("x.unr") << false;
        }
        QTest::newRow("case twin")
            << QByteArray("ctf-face.unr") << QByteArray("CTF-Face.unr") << true;
    }
    void hostileOnDiskNamesReachTheRightFileOrNone() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, decoy);
        QFETCH(bool, usable);
        JobRun job;
        const fs::path maps = job.game.game() / "Maps";
        for (const QByteArray& file : {name, decoy}) {
            fs::create_directories((maps / file.toStdString()).parent_path());
            std::ofstream(maps / file.toStdString()) << test::GameFolder::package(file.data());
        }
        QVERIFY(job.form.Dir1->setPath(QStringLiteral("C:\\UnrealTournament\\Maps")));
        const auto select = [&] {
            const auto found = job.form.File1->findItems(QString::fromUtf8(name), Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            job.form.File1->setCurrentItem(found[0], QItemSelectionModel::ClearAndSelect);
        };
        select();
        job.form.File1_DblClick();
        QCOMPARE(job.form.List1->count(), usable ? 1 : 0);
        QCOMPARE(job.form.List2->count(), job.form.List1->count());
        if (usable) {
            job.start({7});
            const auto results = fs::directory_iterator(job.game.compressed());
            QCOMPARE(std::distance(begin(results), end(results)), 1);
            QVERIFY(fs::exists(job.game.compressed() / (name + ".uz").toStdString()));
        } else {
            QVERIFY(job.f.messages.shown.back().text.ends_with(
                ":\n\n" + QString::fromUtf8(name).toStdString()));
        }
        select();
        job.form.mnuDelete_Click();
        QCOMPARE(fs::exists(maps / name.toStdString()), !usable);
        QCOMPARE(test::readFile(maps / decoy.toStdString()),
                 test::GameFolder::package(decoy.data()));
    }

    void outputKeepsLineBreaksWhateverTheChunks() {
        test::Form1Fixture f;
        QPlainTextEdit* box = f.form->txtOutput;
        f.form->ReadOutput1_Starting();
        for (const char* chunk : {"abc\r", "\ndef\n", "10%\r20%\r", "x\ny\r\n", ""}) {
            f.form->ReadOutput1_GotChunk(chunk, !*chunk);
        }
        QCOMPARE(box->toPlainText(), QStringLiteral("abc\ndef\n10%20%x\ny\n"));
        QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    }

    // A redirect folder chosen as the output folder: Queue New Packages takes the packages whose
    // .uz there is missing or older, the job's results go there, and then all are up to date.
    void bringsTheOutputFolderChosenUpToDate() {
        JobRun job;
        const fs::path out = job.game.prefix.makeFolder("www/uz");
        const auto alpha = fs::last_write_time(job.game.game() / "Maps" / "Alpha.unr");
        for (const char* done : {"Alpha.unr.uz", "Beta.unr.uz"}) {
            std::ofstream(out / done) << "done";
        }
        fs::last_write_time(out / "Alpha.unr.uz", alpha + std::chrono::seconds(5));
        fs::last_write_time(out / "Beta.unr.uz", alpha - std::chrono::seconds(5)); // stale
        job.f.chooser.answers = {out.string()};
        job.form.mnuOutput->trigger();
        job.form.Option2->setChecked(true);
        job.form.mnuQueueNew->trigger();
        job.form.mnuQueueNew->trigger(); // nothing is queued twice
        QCOMPARE(job.form.List1->count(), 2);
        QCOMPARE(job.form.List1->item(0)->text(),
                 QStringLiteral("C:\\UnrealTournament\\Maps\\Beta.unr"));
        QVERIFY(job.form.Option1->isChecked());
        job.start({ui::kIdNo});
        QCOMPARE(job.f.messages.shown.back().title, std::string("Success!"));
        QCOMPARE(job.f.folders.opened, std::vector<std::string>{"C:\\www\\uz"});
        QVERIFY(fs::file_size(out / "Beta.unr.uz") > 100 && fs::exists(out / "Gamma.unr.uz"));
        QVERIFY(fs::is_empty(job.game.compressed()));
        job.form.mnuQueueNew->trigger();
        QCOMPARE(job.f.messages.shown.back(),
                 (test::ShownBox{"All packages are up to date.", "Success!", 0}));
        job.form.mnuOutputReset->trigger();
        job.form.mnuQueueNew->trigger();
        QCOMPARE(job.form.List1->count(), 3);
    }

    // Games without Wine: a native install's own Linux tool runs directly, takes full host paths
    // and leaves Decompress results in its own folder, so nothing stays in ~/.utpg; a folder of
    // packages without any tool gets Tolvane's own, whose Decompress results go into a System
    // folder it makes. Both are moved from there. Wine's cmd as ComSpec cannot start either.
    void runsTheGamesOwnToolOrTolvanesWithoutWine_data() {
        QTest::addColumn<QString>("tool"); // where the game folder holds its tool; empty: none
        QTest::addColumn<QString>("toolLine");
        QTest::addColumn<QString>("resultFolder");
        QTest::addColumn<bool>("chooseOwn"); // Options > Use Tolvane's Own Compressor
        QTest::newRow("native install") << "System64/ucc-bin-amd64"
                                        << "\\System64\\ucc-bin-amd64\" Compress \""
                                        << "System64" << false;
        QTest::newRow("folder of packages") << ""
                                            << "\\tolvane-ucc Compress \""
                                            << "System" << false;
        QTest::newRow("own tool chosen") << "System/ucc.exe"
                                         << "\\tolvane-ucc Compress \""
                                         << "System" << true;
    }
    void runsTheGamesOwnToolOrTolvanesWithoutWine() {
        QFETCH(QString, tool);
        QFETCH(QString, toolLine);
        QFETCH(QString, resultFolder);
        QFETCH(bool, chooseOwn);
        QTemporaryDir dir;
        const fs::path game = fs::path(dir.path().toStdString()) / "Unreal Tournament";
        fs::create_directories(game / "Maps");
        if (!tool.isEmpty()) {
            fs::create_directories((game / tool.toStdString()).parent_path());
            fs::copy_file(test::GameFolder::binary("ucc-standin"), game / tool.toStdString());
        }
        for (const char* name : {"CTF-Face.unr", "DM-Deck16.unr"}) {
            std::ofstream(game / "Maps" / name) << test::GameFolder::package(name);
        }
        test::Form1Fixture f;
        f.form = std::make_unique<Form1>(Form1::Services{&f.messages, [&f] { ++f.endRequests; },
                                                         &f.folders, &f.chooser, game.string()});
        Form1& form = *f.form;
        form.Show();
        form.mnuOwnTool->setChecked(chooseOwn);
        const QString windowsGame = "Z:" + QString::fromStdString(game.string()).replace('/', '\\');
        QCOMPARE(form.Dir1->path(), windowsGame);
        QString output;
        f.messages.onShow = [&](const test::ShownBox&) { output = form.txtOutput->toPlainText(); };
        const auto run = [&](const QString& folder, int answer) {
            QVERIFY(form.Dir1->setPath(windowsGame + folder));
            form.File1->selectAll();
            form.KewlButtons1->click();
            f.messages.answers = {answer};
            form.KewlButtons2->click();
        };
        const test::ShownBox done{"Compiling Completed! Would you like to eixt?", "Success!", 4};
        run(QStringLiteral("\\Maps"), ui::kIdNo);
        QCOMPARE(f.messages.shown.back(), done);
        // The folder's blank has its fields quoted.
        QVERIFY2(output.contains(toolLine + windowsGame + "\\Maps\\CTF-Face.unr\""),
                 qPrintable(output));
        form.Option2->setChecked(true);
        ::setenv("ComSpec", "wine cmd", 1);
        run(QStringLiteral("\\Compressed"), ui::kIdNo);
        ::unsetenv("ComSpec");
        QCOMPARE(f.messages.shown.back().title, std::string("Error~!"));
        QVERIFY(f.messages.shown.back().text.find(toolLine.contains("tolvane-ucc")
                                                      ? "Tolvane's own compressor is"
                                                      : "The game's tool") == 0);
        form.KewlButtons2->click();
        QCOMPARE(f.messages.shown.back(), done);
        for (const char* name : {"CTF-Face.unr", "DM-Deck16.unr"}) {
            QVERIFY(fs::exists(game / "Compressed" / (std::string(name) + ".uz")));
            QCOMPARE(test::readFile(game / "Decompressed" / name), test::GameFolder::package(name));
            QVERIFY(fs::is_directory(game / resultFolder.toStdString()));
            QVERIFY(!fs::exists(game / resultFolder.toStdString() / name));
        }
        const fs::path home = std::getenv("HOME");
        for (const auto& entry : fs::recursive_directory_iterator(home / ".utpg")) {
            QVERIFY2(entry.is_directory(), entry.path().c_str());
        }
    }
};

QTEST_MAIN(Form1JobTest)
#include "test_form1_job.moc"
