// Idle memory of tolvane: the real program, started on a demo game folder, is left alone until
// its main window is up, and its resident set is read then. Goal: 50 MB or less. Measured under
// the offscreen platform and, when Xvfb is installed, under a real X server as a user sees it.
// A bare Qt Widgets window is measured the same way, as the floor the toolkit sets.
//
// Usage: bench_memory DEMO_SCRIPT   (demo/make-demo-prefix.sh of the source tree)

#include "BenchSupport.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr auto kSettle = std::chrono::seconds(4); // the splash hands over after 2 s

pid_t spawn(std::vector<std::string> arguments, const std::vector<std::string>& extraEnvironment,
            bool quiet) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        environment.emplace_back(*e);
    }
    for (const auto& e : extraEnvironment) {
        const auto name = e.substr(0, e.find('=') + 1);
        std::erase_if(environment, [&](const std::string& x) { return x.starts_with(name); });
        environment.push_back(e);
    }
    std::vector<char*> argv;
    for (auto& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Resident set in MB, from /proc; nothing when the process is gone.
std::optional<double> residentMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return std::nullopt;
}

bool exited(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

std::optional<double> idleResident(const std::vector<std::string>& command,
                                   const std::vector<std::string>& environment) {
    const pid_t pid = spawn(command, environment, true);
    if (pid < 0) {
        return std::nullopt;
    }
    std::this_thread::sleep_for(kSettle);
    std::optional<double> resident;
    if (!exited(pid)) {
        resident = residentMegabytes(pid);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return resident;
}

// Starts Xvfb on a free display; returns its pid and display name.
std::optional<std::pair<pid_t, std::string>> startXvfb() {
    const char* candidates[] = {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"};
    for (const char* xvfb : candidates) {
        if (!fs::exists(xvfb)) {
            continue;
        }
        int ends[2];
        if (::pipe(ends) != 0) {
            return std::nullopt;
        }
        const pid_t pid = spawn({xvfb, "-displayfd", std::to_string(ends[1]), "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp"},
                                {}, true);
        ::close(ends[1]);
        std::string number;
        char c = 0;
        while (::read(ends[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        ::close(ends[0]);
        if (pid < 0 || number.empty()) {
            return std::nullopt;
        }
        return std::make_pair(pid, ":" + number);
    }
    return std::nullopt;
}

void report(const char* key, const char* what, std::optional<double> megabytes, bool withGoal) {
    if (!megabytes) {
        std::printf("%s: could not be measured (the program did not stay up)\n", what);
        return;
    }
    std::printf("%s: %.1f MB resident\n", what, *megabytes);
    if (withGoal) {
        tolvane::bench::result(key, *megabytes, "MB", "<=", 50);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--bare-window") {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(600, 500);
        window.show();
        return QApplication::exec();
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DEMO_SCRIPT\n", argv[0]);
        return 2;
    }
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string tolvane = (self.parent_path() / "tolvane").string();
    const std::string standin = (self.parent_path() / "ucc-standin").string();

    const tolvane::bench::TempFolder work("memory");
    const std::string prefix = work.path() / "prefix";
    const pid_t demo = spawn({"/bin/bash", argv[1], prefix, standin}, {}, true);
    int status = 0;
    if (demo < 0 || ::waitpid(demo, &status, 0) != demo || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the demo game folder could not be made\n");
        return 1;
    }
    const std::string winePrefix = "WINEPREFIX=" + prefix;

    report("idle_memory_offscreen", "tolvane, offscreen platform",
           idleResident({tolvane}, {"QT_QPA_PLATFORM=offscreen", winePrefix}), true);
    report("", "bare Qt Widgets window, offscreen platform",
           idleResident({self.string(), "--bare-window"}, {"QT_QPA_PLATFORM=offscreen"}), false);

    if (auto x = startXvfb()) {
        const std::string display = "DISPLAY=" + x->second;
        report("idle_memory_x11", "tolvane, X server (Xvfb)",
               idleResident({tolvane}, {"QT_QPA_PLATFORM=xcb", display, winePrefix}), true);
        report("", "bare Qt Widgets window, X server (Xvfb)",
               idleResident({self.string(), "--bare-window"}, {"QT_QPA_PLATFORM=xcb", display}),
               false);
        ::kill(x->first, SIGTERM);
        ::waitpid(x->first, nullptr, 0);
    } else {
        std::printf("no X server (Xvfb) here: measured offscreen only\n");
    }
    return 0;
}
