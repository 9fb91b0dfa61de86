#pragma once
// What the benchmarks share: their result lines, best-of-N timing, the offscreen platform as the
// default, a temporary folder that can be made a Wine prefix, message boxes nobody answers, and
// starting a program whose output the benchmark reads itself.

#include "ui/MessageBoxes.h"

#ifndef _WIN32
#include "platform/posix/spawn.h"

#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolvane::bench {

using Clock = std::chrono::steady_clock;

// One machine-readable line per figure, collected into a table by bench/run-all.sh:
//   RESULT <key> <value> <unit> goal <op> <number>
inline void result(const char* key, double value, const char* unit, const char* op, double goal) {
    std::printf("RESULT %s %.3f %s goal %s %g\n", key, value, unit, op, goal);
    std::fflush(stdout);
}

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Work> double timed(Work&& work) {
    const auto start = Clock::now();
    work();
    return secondsSince(start);
}

// The fastest of `rounds` runs of `work`, in seconds: the run a busy machine disturbed least.
// `prepare` runs before each, untimed.
template <typename Work, typename Prepare>
double bestOf(int rounds, Work&& work, Prepare&& prepare) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        best = std::min(best, timed(work));
    }
    return best;
}
template <typename Work> double bestOf(int rounds, Work&& work) {
    return bestOf(rounds, work, [] {});
}

// Benchmarks with windows run on the offscreen platform unless QT_QPA_PLATFORM names another.
inline void offscreenByDefault() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

// A folder of its own under /tmp for one run, removed at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string& name) {
        std::string pattern = "/tmp/tolvane-bench-" + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path_ = pattern;
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Makes the folder a Wine prefix whose drive C: is drive_c, and WINEPREFIX point at it.
    void makePrefix() const {
        std::filesystem::create_directories(path_ / "dosdevices");
        std::filesystem::create_directories(path_ / "drive_c");
        std::filesystem::create_symlink("../drive_c", path_ / "dosdevices" / "c:");
        ::setenv("WINEPREFIX", path_.c_str(), 1);
    }

private:
    std::filesystem::path path_;
};

// Message boxes no one answers: a benchmark's job must never ask anything.
class SilentMessageBoxes : public ui::MessageBoxes {
public:
    int show(const std::string& text, const std::string&, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        return ui::kIdOk;
    }
};

#ifndef _WIN32
// Starts a program (its name first) with its output and errors on a new pipe, and returns the
// pipe's read end. A program that cannot be started ends the benchmark.
inline int startReadingOutput(const std::vector<std::string>& arguments, pid_t& pid) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        std::perror("pipe2");
        std::exit(1);
    }
    platform::SpawnRequest request;
    request.program = arguments.front();
    request.arguments = arguments;
    request.output = ends[1];
    if (const int error = platform::spawnProcess(request, pid)) {
        std::fprintf(stderr, "cannot start %s: %s\n", request.program.c_str(),
                     std::strerror(error));
        std::exit(1);
    }
    ::close(ends[1]);
    return ends[0];
}
#endif

} // namespace tolvane::bench
