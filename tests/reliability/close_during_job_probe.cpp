// The program as the user runs it, except that folder windows are not opened: it queues the game's
// Maps files, presses Start, and closes the main window shortly after the job has started. The
// close must end the process at once, with status 0, while the job runs on by itself.
//
//     close_during_job_probe <milliseconds after the job's start>
//
// The Wine prefix comes from WINEPREFIX. Prints "closing <monotonic ns>" just before the close;
// anything else it prints means the close did not end the process.

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class NoFolderWindows : public tolvane::platform::FolderWindowLauncher {
public:
    tolvane::platform::SystemError open(const std::string&) override { return {}; }
};

long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

[[noreturn]] void fail(const char* why, int status) {
    std::puts(why);
    std::fflush(stdout);
    std::_Exit(status);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int closeAfter = argc > 1 ? std::atoi(argv[1]) : 30;
    NoFolderWindows folders;
    tolvane::Form1::Services services;
    services.folders = &folders;
    auto* form = new tolvane::Form1(services);
    form->Show();
    if (!form->Dir1->setPath(QStringLiteral("C:\\UnrealTournament\\Maps"))) {
        fail("no Maps folder", 5);
    }
    form->File1->selectAll();
    form->KewlButtons1->click();
    if (form->List1->count() == 0) {
        fail("nothing queued", 5);
    }

    const auto starting = form->ReadOutput1.Starting;
    form->ReadOutput1.Starting = [=] {
        starting();
        QTimer::singleShot(closeAfter, form, [form] {
            std::printf("closing %lld\n", monotonicNanoseconds());
            std::fflush(stdout);
            form->close();
            std::puts("still running after the close");
        });
    };
    form->ReadOutput1.Complete = [] { fail("the job ended before the close", 4); };
    form->ReadOutput1.Error = [](const std::string& text, std::int32_t code) {
        std::printf("the job could not start: %s (%d)\n", text.c_str(), code);
        fail("", 6);
    };
    QTimer::singleShot(0, form, [form] {
        form->KewlButtons2->click();
        std::puts("Start returned");
    });
    QApplication::exec();
    std::puts("event loop returned");
    return 3;
}
