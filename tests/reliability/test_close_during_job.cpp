// Closing the window while a job runs, at several moments of the job: the program ends at once
// without a crash, and the job runs to its end on its own, leaving all its results and no process.

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1.h"
#include "mainwindow/GameFolder.h"
#include "support/RecordingFolderWindows.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <fstream>
#include <sys/prctl.h>
#include <sys/wait.h>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

[[noreturn]] void say(const char* what) {
    std::puts(what);
    std::fflush(stdout);
    std::_Exit(3);
}

// The program as the user runs it, without folder windows: queues the game's Maps files, presses
// Start and closes the main window `closeAfter` ms after the job started. It says "closing" just
// before; anything else it says means the close did not end the process at once.
int closeDuringJob(int argc, char* argv[], int closeAfter) {
    QApplication app(argc, argv);
    test::RecordingFolderWindows folders;
    Form1::Services services;
    services.folders = &folders;
    auto* form = new Form1(services);
    form->Show();
    form->Dir1->setPath(QStringLiteral("C:\\UnrealTournament\\Maps"));
    form->File1->selectAll();
    form->KewlButtons1->click();
    const auto starting = form->ReadOutput1.Starting;
    form->ReadOutput1.Starting = [=] {
        starting();
        QTimer::singleShot(closeAfter, form, [form] {
            std::puts("closing");
            std::fflush(stdout);
            form->close();
            say("still running after the close");
        });
    };
    form->ReadOutput1.Complete = [] { say("the job ended before the close"); };
    form->ReadOutput1.Error = [](const std::string& text, std::int32_t) { say(text.c_str()); };
    QTimer::singleShot(0, form, [form] { form->KewlButtons2->click(); });
    QApplication::exec();
    say("the event loop returned");
}

} // namespace

class CloseDuringJobTest : public QObject {
    Q_OBJECT
private slots:
    // Processes whose parent has gone are handed to this process, which collects them.
    void initTestCase() {
        ::unsetenv("ComSpec");
        QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    }

    // While the interpreter starts, while the tool waits, while it writes.
    void closingEndsTheProgramAndTheJobStillFinishes_data() {
        QTest::addColumn<int>("closeAfter");
        for (int milliseconds : {10, 60, 110, 160, 210}) {
            QTest::addRow("%d ms", milliseconds) << milliseconds;
        }
    }
    void closingEndsTheProgramAndTheJobStillFinishes() {
        QFETCH(int, closeAfter);
        test::GameFolder game;
        fs::remove(game.system() / "ucc.exe"); // a tool that takes its time
        std::ofstream(game.system() / "ucc.exe")
            << "#!/bin/sh\nsleep 0.15\nexec '" << test::GameFolder::binary("ucc-standin").string()
            << "' \"$@\"\n";
        fs::permissions(game.system() / "ucc.exe", fs::perms::owner_all);
        const auto results = [&] {
            return std::distance(fs::directory_iterator(game.compressed()), {});
        };

        QProcess probe; // on this game folder: WINEPREFIX is the game's prefix
        probe.start(QCoreApplication::applicationFilePath(),
                    {"--close-after", QString::number(closeAfter)});
        QVERIFY(probe.waitForFinished(30000));
        const QByteArray said = probe.readAllStandardOutput();
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0 &&
                     said == "closing\n",
                 (said + probe.readAllStandardError()).constData());
        QVERIFY2(results() < 3, "the job was over before the close");

        // Every process of the job came to this process when the window went: all of them end,
        // the interpreter with 0, and leave the job's results.
        int ended = 0;
        int failed = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                int status = 0;
                pid_t pid = 0;
                while ((pid = ::waitpid(-1, &status, WNOHANG)) > 0) {
                    ++ended;
                    failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
                }
                return pid < 0 && errno == ECHILD;
            }(),
            20000);
        QCOMPARE(std::pair(ended, failed), std::pair(1, 0));
        QCOMPARE(results(), 3);
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string_view(argv[1]) == "--close-after") {
        return closeDuringJob(argc, argv, std::atoi(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CloseDuringJobTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_close_during_job.moc"
