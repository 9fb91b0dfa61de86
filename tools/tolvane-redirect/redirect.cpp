#include "redirect.h"

#include "common/GameSearch.h"
#include "common/HelperPrograms.h"
#include "common/Module1.h"
#include "job/GamePaths.h"
#include "job/Job.h"
#include "job/NameList.h"
#include "job/NewPackages.h"
#include "job/Preflight.h"
#include "job/Progress.h"
#include "job/ResultCheck.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "runner/ReadOutput.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <ostream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::redirect {

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

void requestStop(int) {
    gStopRequested = 1;
}

// Holds the output folder's lock file for the run: two runs into one folder would each compress
// and move the same packages.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder) {
        descriptor_ =
            ::open((folder / ".tolvane-redirect.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        error_ = descriptor_ < 0 ? errno : 0;
        if (descriptor_ >= 0 && ::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
            busy_ = true;
        }
    }
    ~FolderLock() {
        if (descriptor_ >= 0) {
            ::close(descriptor_); // also lets the lock go
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int error() const { return error_; }
    bool busy() const { return busy_; }

private:
    int descriptor_ = -1;
    int error_ = 0;
    bool busy_ = false;
};

// The part of a path after the game folder, as a line of the report names a file: "Maps/X.unr".
std::string underGame(const std::string& path, const std::string& gameFolder) {
    std::string part =
        path.rfind(gameFolder + "\\", 0) == 0 ? path.substr(gameFolder.size() + 1) : path;
    std::replace(part.begin(), part.end(), '\\', '/');
    return part;
}

bool gameFolderHoldsPackages(const std::string& gameFolder) {
    for (auto suffix : gamepaths::kPackageFolders) {
        if (platform::folderExists(gamepaths::under(gameFolder, suffix))) {
            return true;
        }
    }
    return false;
}

} // namespace

int run(const Options& options, std::ostream& out, std::ostream& err) {
    const auto bad = [&err](const std::string& problem) {
        err << "tolvane-redirect: " << problem << "\n";
        return kBadArguments;
    };
    std::string whyNot;
    const auto location = locateFolder(options.gameFolder, whyNot);
    if (!location) {
        return bad(whyNot);
    }
    Module1::setGameLocation(*location);
    const std::string game = location->folder;
    if (!gameFolderHoldsPackages(game)) {
        return bad(options.gameFolder +
                   " is not a game folder: it has none of Maps, Music, Sounds, Textures, System.");
    }

    std::error_code code;
    const fs::path outHost = fs::absolute(options.outputFolder, code).lexically_normal();
    fs::create_directories(outHost, code);
    if (!fs::is_directory(outHost, code)) {
        return bad("The output folder " + options.outputFolder + " cannot be made.");
    }
    const auto outFolder = platform::toWindowsPath(outHost);
    if (!outFolder) {
        return bad("No drive of the Wine prefix holds the output folder " + options.outputFolder +
                   ".");
    }
    const FolderLock lock(outHost);
    if (lock.error()) {
        return bad("The output folder " + options.outputFolder +
                   " cannot be written: " + std::strerror(lock.error()));
    }
    if (lock.busy()) {
        err << "tolvane-redirect: another run is bringing " << options.outputFolder
            << " up to date; nothing done.\n";
        return kSomeFailed;
    }

    std::size_t upToDate = 0;
    BatchJob batch = newPackagesJob(game, *outFolder, upToDate);
    const ToolChoice choice{options.tool == Tool::Own, bundledInterpreter()};
    batch.tool = gameTool(game, choice);
    if (options.tool == Tool::Game && isOwnTool(*batch.tool)) {
        return bad(options.gameFolder + " has no game tool of its own; use --tool own.");
    }
    if (batch.paths.empty()) {
        out << "0 compressed, " << upToDate << " up to date, 0 failed\n";
        return kAllDone;
    }
    Job job = takeJob(std::move(batch));
    if (auto refusal = preflight(job)) {
        err << "tolvane-redirect: " << refusal->text << "\n";
        return kSomeFailed;
    }
    const std::string batchFile = gamepaths::batchFileWritten(game);
    if (auto error = platform::writeFileBytes(batchFile, batchBytes(job.text))) {
        return bad("The batch file " + batchFile + " cannot be written: " + error.message);
    }

    platform::setEnvironmentVariable("TOLVANE_GAME_FOLDER", game);
    platform::setEnvironmentVariable(
        "TOLVANE_PARALLEL", options.jobs > 0 ? std::to_string(options.jobs) : std::string());
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    ::sigaction(SIGINT, &stop, nullptr);
    ::sigaction(SIGTERM, &stop, nullptr);

    ReadOutput runner;
    JobProgress progress(job.text.lines, JobMode::Compress);
    std::string output;
    std::string failure;
    bool stopped = false;
    runner.GotChunk = [&](const std::string& sChunk, bool) {
        output += sChunk;
        progress.add(sChunk);
    };
    runner.Error = [&](const std::string& error, std::int32_t code) {
        failure = error + " (" + std::to_string(code) + ")";
    };
    runner.yield = [&] {
        if (gStopRequested && !stopped) {
            stopped = true;
            runner.Stop();
        }
    };
    runner.SetCommand(gamepaths::batchFileRun(game));
    runner.ProcessCommand();
    if (!failure.empty()) {
        err << "tolvane-redirect: the job could not run: " << failure << "\n";
        return kSomeFailed;
    }
    if (stopped) {
        removeHalfWritten(job, progress.toolLineRunning());
    }
    (void)platform::deleteFile(gamepaths::batchFileRun(game), true);

    FolderIndex afterJob;
    const auto larger = resultsNotSmaller(job, afterJob);
    const auto missing = missingResults(job, afterJob);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < job.batch.paths.size(); ++i) {
        const bool done =
            std::find(missing.begin(), missing.end(), job.results[i].name) == missing.end();
        failed += done ? 0 : 1;
        out << (done ? "compressed " : "FAILED     ") << underGame(job.batch.paths[i], game)
            << "\n";
    }
    out << job.batch.paths.size() - failed << " compressed, " << upToDate << " up to date, "
        << failed << " failed" << (stopped ? " (stopped)" : "") << "\n";
    if (!larger.empty()) {
        out << "Warning: these .uz files are not smaller than their packages; game clients older "
               "than version 469 crash when they download them:"
            << listedNames(larger, "\n") << "\n";
    }
    if (failed > 0 && !stopped) {
        err << "The job's output:\n" << output;
    }
    return failed == 0 && !stopped ? kAllDone : kSomeFailed;
}

} // namespace tolvane::redirect
