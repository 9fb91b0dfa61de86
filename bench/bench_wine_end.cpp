// How soon a job under Wine ends after the tool's last line: a batch file that runs one Windows
// program (Wine's hostname.exe) through the bundled interpreter and the runner, with no wineserver
// running before the job (the job's first wine starts it, and Wine's own processes with it, which
// inherit the output) and with one running for good (`wineserver -p`). The baseline, measured in
// the same run, is the bundled interpreter alone on the same batch file, from its start to its own
// end: the job through the runner should take no longer than that.

#include "BenchSupport.h"
#include "runner/ReadOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRounds = 5;
constexpr double kGiveUpSeconds = 10; // a job still running this long after its last line
constexpr const char* kBatchFile = "C:\\bench\\uccmake.bat";

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

void setServer(bool running) {
    shell("wineserver -k 2>/dev/null; wineserver -w");
    if (running) {
        shell("wineserver -p");
    }
}

struct Run {
    double whole = 0;     // from the start to the end
    double afterLast = 0; // from the last output to the end
};

// The job through the runner, to Complete; capped when it does not end.
Run job() {
    tolvane::ReadOutput runner;
    const Clock::time_point begin = Clock::now();
    Clock::time_point last = begin;
    bool ended = false;
    runner.GotChunk = [&](const std::string& chunk, bool) {
        if (!chunk.empty()) {
            last = Clock::now();
        }
    };
    runner.Complete = [&] { ended = true; };
    runner.yield = [&] {
        if (seconds(Clock::now() - last) > kGiveUpSeconds) {
            throw std::runtime_error("no end");
        }
    };
    runner.SetCommand(kBatchFile);
    try {
        runner.ProcessCommand();
    } catch (const std::runtime_error&) {
    }
    const Clock::time_point end = ended ? Clock::now() : last + std::chrono::seconds(10);
    return {seconds(end - begin), seconds(end - last)};
}

// The interpreter alone, to its own end, which is waited for rather than the end of the pipe,
// since Wine's own processes may hold that open.
Run interpreterAlone() {
    const std::string interpreter =
        (fs::read_symlink("/proc/self/exe").parent_path() / "tolvane-cmd").string();
    const Clock::time_point begin = Clock::now();
    pid_t pid = 0;
    const int output = tolvane::bench::startReadingOutput({interpreter, "/c", kBatchFile}, pid);
    Clock::time_point last = begin;
    for (;;) {
        pollfd ready{output, POLLIN, 0};
        char buffer[256];
        if (::poll(&ready, 1, 1) > 0 && ::read(output, buffer, sizeof buffer) > 0) {
            last = Clock::now();
        } else if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            break;
        }
    }
    const Clock::time_point end = Clock::now();
    ::close(output);
    return {seconds(end - begin), seconds(end - last)};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    if (std::system("command -v wine >/dev/null 2>&1") != 0) {
        std::printf("bench_wine_end: wine is not installed; skipped\n");
        return 0;
    }
    const fs::path prefix =
        fs::temp_directory_path() / ("tolvane-bench-wine-" + std::to_string(::getpid()));
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    ::unsetenv("ComSpec"); // the bundled interpreter
    std::printf("making a Wine prefix in %s\n", prefix.c_str());
    shell("wineboot -i >/dev/null 2>&1");
    fs::create_directories(prefix / "drive_c" / "bench");
    std::ofstream(prefix / "drive_c" / "bench" / "uccmake.bat", std::ios::binary)
        << "C:\\windows\\system32\\hostname.exe\r\n";

    for (const bool running : {false, true}) {
        std::vector<double> jobWhole, jobAfterLast, aloneWhole, aloneAfterLast;
        for (int round = 0; round < kRounds; ++round) {
            // Alternating which goes first evens out what a warm cache gives the second.
            Run a, b;
            for (int which : {round % 2, 1 - round % 2}) {
                setServer(running);
                (which == 0 ? a : b) = which == 0 ? job() : interpreterAlone();
            }
            jobWhole.push_back(a.whole);
            jobAfterLast.push_back(a.afterLast);
            aloneWhole.push_back(b.whole);
            aloneAfterLast.push_back(b.afterLast);
        }
        const char* server = running ? "with_server" : "no_server";
        std::printf("%s: job %.3f s, of which %.3f s after the last line; interpreter alone "
                    "%.3f s, of which %.3f s after its last line\n",
                    server, median(jobWhole), median(jobAfterLast), median(aloneWhole),
                    median(aloneAfterLast));
        tolvane::bench::result(("wine_end_" + std::string(server)).c_str(), median(jobAfterLast),
                               "s", "<=", 0.3);
        tolvane::bench::result(("wine_job_" + std::string(server) + "_vs_cmd").c_str(),
                               median(jobWhole) / median(aloneWhole), "x", "<=", 1.5);
    }
    shell("wineserver -k 2>/dev/null; wineserver -w");
    fs::remove_all(prefix);
    return 0;
}
