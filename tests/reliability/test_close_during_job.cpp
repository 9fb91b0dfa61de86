// Closing the window while a job runs: the program ends at once, without a crash, and the job
// runs to its end on its own, leaving all its results and no process behind.

#include "mainwindow/GameFolder.h"
#include "uz/uzfile.h"

#include <QEventLoop>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tolvane;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kPackages[] = {"Alpha.unr", "Beta.unr", "Gamma.unr"};
constexpr int kPackageCount = 3;
constexpr int kAtOnce = 2; // windows closed side by side
// How long a job may take to finish after the window closed, and its processes to go after it.
constexpr auto kJobBound = std::chrono::seconds(20);
constexpr auto kLingerBound = std::chrono::seconds(5);

// A game folder whose tool takes its time, so that the window is closed while the job runs.
struct SlowGameFolder : test::GameFolder {
    SlowGameFolder() {
        fs::remove(system() / "ucc.exe");
        std::ofstream(system() / "ucc.exe")
            << "#!/bin/sh\nsleep 0.15\nexec '" << binary("ucc-standin").string() << "' \"$@\"\n";
        fs::permissions(system() / "ucc.exe", fs::perms::owner_all);
    }
    int resultCount() const {
        return static_cast<int>(
            std::count_if(std::begin(kPackages), std::end(kPackages), [this](const char* name) {
                return fs::exists(compressed() / (std::string(name) + ".uz"));
            }));
    }
};

long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The text of a /proc file; empty when the process ended meanwhile (a read then fails with
// ESRCH, which the stream library would throw from its iterator).
std::string fileText(const fs::path& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// Processes other than this one whose command line or environment names `text`: the job's
// interpreter carries the prefix in its environment, the tool its files on its command line.
std::vector<int> processesMentioning(const std::string& text) {
    std::vector<int> found;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator("/proc", code)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(name) == ::getpid()) {
            continue;
        }
        if (fileText(entry.path() / "cmdline").find(text) != std::string::npos ||
            fileText(entry.path() / "environ").find(text) != std::string::npos) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

struct ProbeRun {
    bool ended = false; // exited 0 at once after printing only the close
    std::string output;
    double closeToExitMs = 0;
    int resultsAtExit = 0;
};

// Runs a probe on each game folder at the same time, each closing its window the given time
// after its job started, and notes what each left at the moment it exited.
std::vector<ProbeRun> runProbes(const std::vector<std::pair<const SlowGameFolder*, int>>& plan) {
    std::vector<ProbeRun> runs(plan.size());
    std::vector<std::unique_ptr<QProcess>> probes;
    std::vector<long long> exitSeen(plan.size(), 0);
    QEventLoop loop;
    std::size_t running = plan.size();
    for (std::size_t i = 0; i < plan.size(); ++i) {
        auto probe = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("WINEPREFIX", QString::fromStdString(plan[i].first->prefix.root().string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("ComSpec");
        probe->setProcessEnvironment(env);
        QObject::connect(probe.get(), &QProcess::finished, &loop, [&, i] {
            exitSeen[i] = monotonicNanoseconds();
            runs[i].resultsAtExit = plan[i].first->resultCount();
            if (--running == 0) {
                loop.quit();
            }
        });
        probe->start(QCoreApplication::applicationDirPath() + "/close_during_job_probe",
                     {QString::number(plan[i].second)});
        probes.push_back(std::move(probe));
    }
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (running > 0) {
        loop.exec();
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
        QProcess& probe = *probes[i];
        const bool finished = exitSeen[i] != 0;
        if (!finished) {
            probe.kill();
            probe.waitForFinished();
        }
        ProbeRun& run = runs[i];
        run.output = probe.readAllStandardOutput().toStdString();
        long long closing = 0;
        char rest = 0;
        const bool onlyTheClose =
            std::sscanf(run.output.c_str(), "closing %lld\n%c", &closing, &rest) == 1;
        run.ended = finished && probe.exitStatus() == QProcess::NormalExit &&
                    probe.exitCode() == 0 && onlyTheClose;
        run.closeToExitMs = static_cast<double>(exitSeen[i] - closing) / 1e6;
        if (!run.ended) {
            run.output += "[exit status " + std::to_string(probe.exitCode()) + "] " +
                          probe.readAllStandardError().toStdString();
        }
    }
    return runs;
}

// Interpreters whose window has gone are handed to this process (a subreaper), which collects
// them. Only called while no probe runs, so no status of the probes is taken away from QProcess.
struct Orphans {
    int collected = 0;
    int failed = 0;
    void collect() {
        int status = 0;
        while (::waitpid(-1, &status, WNOHANG) > 0) {
            ++collected;
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                ++failed;
            }
        }
    }
    // An interpreter that has just left /proc may not have been handed over yet: waits a little
    // for the number expected.
    void collectUntil(int expected) {
        const auto start = Clock::now();
        collect();
        while (collected < expected && Clock::now() - start < kLingerBound) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            collect();
        }
    }
};

// A job whose window was closed, watched until it has left its results and its processes gone.
struct ClosedJob {
    std::unique_ptr<SlowGameFolder> game;
    Clock::time_point closed;
    std::optional<Clock::time_point> resultsSeen;
};

enum class JobState { Running, Done, Incomplete, Blocked };

JobState stateOf(ClosedJob& job) {
    const auto now = Clock::now();
    if (!job.resultsSeen) {
        if (job.game->resultCount() == kPackageCount) {
            job.resultsSeen = now;
        } else {
            return now - job.closed > kJobBound ? JobState::Incomplete : JobState::Running;
        }
    }
    const std::vector<int> left = processesMentioning(job.game->prefix.root().string());
    if (left.empty()) {
        return JobState::Done;
    }
    if (now - *job.resultsSeen > kLingerBound) {
        for (int pid : left) {
            ::kill(pid, SIGKILL); // not to leave them behind after the test
        }
        return JobState::Blocked;
    }
    return JobState::Running;
}

int closeDelayOf(int run) {
    return 10 + (run % 7) * 20;
}

int runCount() {
    if (const char* count = std::getenv("TOLVANE_CLOSE_RUNS")) {
        return std::max(1, std::atoi(count));
    }
#if defined(__SANITIZE_ADDRESS__)
    return 25; // every program of the job is several times slower under the sanitizers
#else
    return 100;
#endif
}

} // namespace

class CloseDuringJobTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        ::unsetenv("ComSpec");
        QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    }

    void closingEndsTheProgramAndTheJobStillProducesItsResults() {
        auto folder = std::make_unique<SlowGameFolder>();
        const SlowGameFolder& game = *folder;
        const ProbeRun probe = runProbes({{&game, 30}}).front();
        QVERIFY2(probe.ended, probe.output.c_str());
        QVERIFY2(probe.resultsAtExit < kPackageCount, "the job was over before the close");

        Orphans orphans;
        ClosedJob job{std::move(folder), Clock::now(), {}};
        JobState state = JobState::Running;
        while ((state = stateOf(job)) == JobState::Running) {
            orphans.collect();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        orphans.collectUntil(1);
        QVERIFY(state == JobState::Done);
        QCOMPARE(orphans.collected, 1);
        QCOMPARE(orphans.failed, 0);
        for (const char* name : kPackages) {
            const std::string packed =
                test::readFile(game.compressed() / (std::string(name) + ".uz"));
            const uz::UzContents contents = uz::decompressUz(
                uz::ByteSpan(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size()));
            QCOMPARE(contents.name, std::string(name));
            QCOMPARE(std::string(contents.data.begin(), contents.data.end()),
                     game.packages.at(name));
            QCOMPARE(test::readFile(game.game() / "Maps" / name), game.packages.at(name));
            QVERIFY(!fs::exists(game.game() / "Maps" / (std::string(name) + ".uz")));
        }
    }

    void closingDuringAJobManyTimes() {
        const int runs = runCount();
        int crashes = 0;
        int blocked = 0;
        int results = 0;
        double slowestClose = 0;
        std::string firstFailure;
        Orphans orphans;
        std::deque<ClosedJob> watched;

        auto settle = [&](std::size_t keep) {
            while (watched.size() > keep) {
                orphans.collect();
                for (auto it = watched.begin(); it != watched.end();) {
                    const JobState state = stateOf(*it);
                    if (state == JobState::Running) {
                        ++it;
                        continue;
                    }
                    results += it->game->resultCount();
                    blocked += state == JobState::Blocked ? 1 : 0;
                    it = watched.erase(it);
                }
                if (watched.size() > keep) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            }
        };

        const auto start = Clock::now();
        // Two windows at a time, each closed at a different moment of its job: while the
        // interpreter starts, while the tool waits, while it writes.
        for (int i = 0; i < runs; i += kAtOnce) {
            std::vector<std::unique_ptr<SlowGameFolder>> games;
            std::vector<std::pair<const SlowGameFolder*, int>> plan;
            for (int k = i; k < std::min(runs, i + kAtOnce); ++k) {
                games.push_back(std::make_unique<SlowGameFolder>());
                plan.emplace_back(games.back().get(), closeDelayOf(k));
            }
            const std::vector<ProbeRun> probes = runProbes(plan);
            for (std::size_t k = 0; k < probes.size(); ++k) {
                const ProbeRun& probe = probes[k];
                if (!probe.ended || probe.resultsAtExit == kPackageCount) {
                    ++crashes;
                    if (firstFailure.empty()) {
                        firstFailure =
                            "run " + std::to_string(i + static_cast<int>(k)) + ": " + probe.output;
                    }
                }
                slowestClose = std::max(slowestClose, probe.closeToExitMs);
                watched.push_back(ClosedJob{std::move(games[k]), Clock::now(), {}});
            }
            settle(4); // a few jobs finish in the background while the next windows run
        }
        settle(0);
        orphans.collectUntil(runs);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

        std::printf(
            "reliability: close during a job: %d runs, %d crashes, %d blocked, %d/%d "
            "results (%d interpreters ended on their own, %d with an error; "
            "closed %d to %d ms after the start, close to exit at most %.0f ms; %.1f s)%s\n",
            runs, crashes, blocked, results, runs * kPackageCount, orphans.collected,
            orphans.failed, closeDelayOf(0), closeDelayOf(6), slowestClose, seconds,
            runCount() != 100 ? " [fewer runs: sanitizer build or TOLVANE_CLOSE_RUNS]" : "");
        QVERIFY2(crashes == 0, firstFailure.c_str());
        QCOMPARE(blocked, 0);
        QCOMPARE(results, runs * kPackageCount);
        QCOMPARE(orphans.collected, runs);
        QCOMPARE(orphans.failed, 0);
    }
};

QTEST_GUILESS_MAIN(CloseDuringJobTest)
#include "test_close_during_job.moc"
