// tolvane-cmd running a batch file of 1,000 lines that each start a trivial host program,
// against bash running the same 1,000 commands. Prints both times and their ratio (goal: at
// most 1.5). Then tolvane-cmd moving 8,000 files into one folder against moving 2,000: a job's
// results all go into one folder, and each move must not take longer the fuller it is (four
// times the files in at most six times the time; reading the folder for every move made it 14).

#include "BenchSupport.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kLines = 1000;
constexpr int kRounds = 3;

// Runs the program with stdout and stderr thrown away, to its end.
void run(std::vector<std::string> arguments, const fs::path& folder) {
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
}

double bestOf(const std::vector<std::string>& arguments, const fs::path& folder) {
    return tolvane::bench::bestOf(kRounds, [&] { run(arguments, folder); });
}

std::string windowsPath(const fs::path& host) {
    std::string path = "Z:" + host.string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Moves `count` files from one folder into another, each by its own line.
double movingFiles(const fs::path& work, const fs::path& interpreter, int count) {
    const fs::path from = work / ("from" + std::to_string(count));
    const fs::path into = work / ("into" + std::to_string(count));
    const fs::path batch = work / ("move" + std::to_string(count) + ".bat");
    const auto nameOf = [](int i) { return "DM-Map" + std::to_string(10000 + i) + ".unr.uz"; };
    {
        std::ofstream out(batch, std::ios::binary);
        for (int i = 0; i < count; ++i) {
            out << "move " << windowsPath(from / nameOf(i)) << ' ' << windowsPath(into) << "\r\n";
        }
    }
    const auto refill = [&] {
        fs::remove_all(into);
        fs::create_directories(into);
        fs::create_directories(from);
        for (int i = 0; i < count; ++i) {
            std::ofstream(from / nameOf(i)) << 'x';
        }
    };
    return tolvane::bench::bestOf(
        kRounds,
        [&] {
            run({interpreter.string(), "/c", batch.string()}, work);
        },
        refill);
}

} // namespace

int main() {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path interpreter = self.parent_path() / "tolvane-cmd";
    const char* trueProgram = fs::exists("/bin/true") ? "/bin/true" : "/usr/bin/true";

    const tolvane::bench::TempFolder folder("cmd");
    const fs::path& work = folder.path();
    fs::create_directories(work / "prefix" / "dosdevices");
    fs::create_symlink("/", work / "prefix" / "dosdevices" / "z:");
    setenv("WINEPREFIX", (work / "prefix").c_str(), 1);

    const std::string windowsTrue = windowsPath(trueProgram);
    {
        std::ofstream batch(work / "job.bat", std::ios::binary);
        std::ofstream script(work / "job.sh", std::ios::binary);
        for (int i = 0; i < kLines; ++i) {
            batch << windowsTrue << " Compress Z:\\tmp\\Map" << i << ".unr\r\n";
            script << trueProgram << " Compress /tmp/Map" << i << ".unr\n";
        }
    }

    const double bash = bestOf({"/bin/bash", (work / "job.sh").string()}, work);
    const double cmd = bestOf({interpreter.string(), "/c", (work / "job.bat").string()}, work);

    std::printf("%d commands, best of %d runs\n", kLines, kRounds);
    std::printf("bash:        %8.1f ms\n", bash * 1000);
    std::printf("tolvane-cmd: %8.1f ms\n", cmd * 1000);
    std::printf("ratio tolvane-cmd/bash: %.2f (goal <= 1.5)\n", cmd / bash);
    tolvane::bench::result("interpreter_vs_bash_1000_lines", cmd / bash, "x", "<=", 1.5);

    const double few = movingFiles(work, interpreter, 2000);
    const double many = movingFiles(work, interpreter, 8000);
    std::printf("moving 2,000 files into one folder: %8.1f ms\n", few * 1000);
    std::printf("moving 8,000 files into one folder: %8.1f ms\n", many * 1000);
    tolvane::bench::result("interpreter_moves_8000_vs_2000", many / few, "x", "<=", 6);
    return 0;
}
