// Compress and Decompress jobs under real Wine, from the batch file to the files in Compressed and
// Decompressed: the game folder from the registry of a prefix made by wineboot, the batch file
// written into "C:\Program Files (x86)\Unreal Tournament", run through the runner and an
// interpreter into the game's ucc.exe (the stand-in, built for Windows). The same file builds
// for Linux, where the jobs run through the bundled interpreter and through Wine's cmd, and for
// Windows, where it runs under Wine and its runner starts Wine's own cmd.exe.

#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include "common/Module1.h"
#include "job/BatchFile.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "runner/ReadOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

using namespace tolvane;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kGame = "C:\\Program Files (x86)\\Unreal Tournament";

// Blanks, parentheses and characters an interpreter treats specially. The Windows interpreter
// (Wine's too) reads a batch file in the console's OEM code page, not the ANSI one it is written
// in, so names with letters beyond ASCII go only through the bundled interpreter.
const std::vector<std::string> kPlainNames = {"CTF-Face.unr", "Sky Box (Night).utx",
                                              "Rock & Roll 100%.umx", "Wow!^.uax"};
const std::vector<std::string> kCodePageNames = {"CTF-Face.unr", "Œuvre été (1).unr",
                                                 "Señor Ärger & 5%.u"};

std::string packageBytes(const std::string& name) {
    std::string bytes = "\xc1\x83\x2a\x9e" + name;
    for (int i = 0; i < 3000; ++i) {
        bytes += static_cast<char>((i * 7 + static_cast<int>(name.size())) % 256);
    }
    return bytes;
}

std::string readFile(const std::string& winPath) {
    std::ifstream in(platform::toHostPath(winPath).value_or(""), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct JobRecord {
    std::string events; // runs of non-empty chunks count once
    std::string output;
    double secondsFromLastOutputToComplete = -1;
};

// Runs one command through the runner, as the window does, and stops it once its output holds
// `stopAt`.
JobRecord runCommand(const std::string& command, const std::string& stopAt = {}) {
    JobRecord job;
    Clock::time_point lastOutput = Clock::now();
    ReadOutput runner;
    const auto note = [&](const std::string& event) {
        job.events += event == "Chunk" && job.events.ends_with(" Chunk") ? "" : " " + event;
    };
    runner.Starting = [&] { note("Starting"); };
    runner.GotChunk = [&](const std::string& chunk, bool last) {
        note(last ? "Last:" + chunk : "Chunk");
        job.output += chunk;
        lastOutput = chunk.empty() ? lastOutput : Clock::now();
    };
    runner.Complete = [&] {
        note("Complete");
        job.secondsFromLastOutputToComplete =
            std::chrono::duration<double>(Clock::now() - lastOutput).count();
    };
    runner.Error = [&](const std::string& message, std::int32_t code) {
        note("Error: " + message + " " + std::to_string(code));
    };
    // A job that never ends fails here instead of holding up the whole test run.
    runner.yield = [&] {
        if (!stopAt.empty() && job.output.find(stopAt) != std::string::npos) {
            runner.Stop();
        }
        if (Clock::now() - lastOutput > std::chrono::seconds(30)) {
            throw std::runtime_error("no end of the job 30 s after its last output:\n" +
                                     job.output);
        }
    };
    runner.SetCommand(command);
    try {
        runner.ProcessCommand();
    } catch (const std::exception& e) {
        FAIL_CHECK(e.what());
    }
    return job;
}

JobRecord runJob(const std::vector<std::string>& paths, const std::vector<std::string>& names,
                 JobMode mode) {
    const BatchText text = makeBatchText(BatchJob{kGame, paths, names, mode});
    REQUIRE(text.ok());
    REQUIRE_FALSE(platform::writeFileBytes(kGame + "\\uccMake.Bat", batchBytes(text)));
    const JobRecord job = runCommand(kGame + "\\uccmake.bat");
    CHECK_FALSE(platform::deleteFile(kGame + "\\uccmake.bat", true));
    return job;
}

void compressAndDecompress(const std::vector<std::string>& names) {
    REQUIRE(Module1::GetGameFolder() == kGame);
    std::vector<std::string> sources, compressed, compressedNames;
    for (const auto& name : names) {
        sources.push_back(kGame + "\\Maps\\" + name);
        compressed.push_back(kGame + "\\Compressed\\" + name + ".uz");
        compressedNames.push_back(name + ".uz");
        REQUIRE_FALSE(platform::writeFileBytes(sources.back(), packageBytes(name)));
    }
    std::sort(sources.begin(), sources.end()); // the selection list is sorted
    std::sort(compressed.begin(), compressed.end());

    const JobRecord compress = runJob(sources, names, JobMode::Compress);
    const JobRecord decompress = runJob(compressed, compressedNames, JobMode::Decompress);
    for (const JobRecord* job : {&compress, &decompress}) {
        INFO(job->output);
        CHECK(job->events == " Starting Chunk Last: Complete");
        // The interpreter ends a moment after its last line; the job ends with it, even while
        // Wine's own processes, started by the job, still hold the output pipe.
        CHECK(job->secondsFromLastOutputToComplete < 1.5);
    }
    for (const auto& name : names) {
        // The tool's own lines, decoded from the code page as they came.
        CHECK_MESSAGE(compress.output.find("Compressed " + kGame + "\\Maps\\" + name + " -> ") !=
                          std::string::npos,
                      compress.output);
        const bool sameBytes = readFile(kGame + "\\Decompressed\\" + name) == packageBytes(name);
        CHECK_MESSAGE(sameBytes, decompress.output);
        for (const std::string& file :
             {kGame + "\\Maps\\" + name, kGame + "\\Decompressed\\" + name,
              kGame + "\\Compressed\\" + name + ".uz"}) {
            CHECK_FALSE(platform::deleteFile(file, false));
            CHECK_FALSE(platform::fileExists(file));
        }
    }
}

} // namespace

// The quotes around a path with blanks but no parentheses survive the interpreter's /c rule
// differently from those around "(x86)": Wine's own cmd must run both.
TEST_CASE("Wine's cmd runs a batch file in a folder with blanks and no parentheses") {
    const std::string folder = "C:\\Games\\Unreal Tournament";
    platform::createFolder("C:\\Games");
    platform::createFolder(folder);
    REQUIRE_FALSE(platform::writeFileBytes(folder + "\\uccMake.Bat", "echo ran in %CD%\r\n"));
#ifndef _WIN32
    ::setenv("ComSpec", "wine cmd", 1);
#endif
    const JobRecord job = runCommand(folder + "\\uccmake.bat");
#ifndef _WIN32
    ::unsetenv("ComSpec");
#endif
    CHECK(job.events.ends_with(" Complete"));
    CHECK_MESSAGE(job.output.find("\nran in ") != std::string::npos, job.output);
}

#ifdef _WIN32

TEST_CASE("A job through the Windows runner and Wine's cmd.exe") {
    compressAndDecompress(kPlainNames);
}

#else

// Sets the interpreter and the state of the wineserver for one case, and clears both after it.
// With no server left over from the case before, the job's first wine starts one, and with it
// Wine's own processes, which inherit the job's output pipe.
struct InterpreterAndServer {
    InterpreterAndServer(const char* comSpec, bool persistentServer) {
        stopServer();
        REQUIRE((!persistentServer || std::system("wineserver -p") == 0));
        comSpec ? ::setenv("ComSpec", comSpec, 1) : ::unsetenv("ComSpec");
    }
    ~InterpreterAndServer() {
        ::unsetenv("ComSpec");
        stopServer();
    }
    static void stopServer() { std::system("wineserver -k 2>/dev/null; wineserver -w"); }
};

TEST_CASE("Jobs through both interpreters, with and without a wineserver running for good") {
    struct Case {
        const char* comSpec; // none: the bundled interpreter
        bool persistentServer;
        const std::vector<std::string>& names;
    };
    for (const Case& c :
         {Case{nullptr, false, kCodePageNames}, Case{"wine cmd", false, kPlainNames},
          Case{nullptr, true, kCodePageNames}, Case{"wine cmd", true, kPlainNames}}) {
        CAPTURE(std::string(c.comSpec ? c.comSpec : "the bundled interpreter"));
        CAPTURE(c.persistentServer);
        const InterpreterAndServer setting(c.comSpec, c.persistentServer);
        compressAndDecompress(c.names);
    }
}

// Wine's cmd starts each program as a process of its own, outside the one the runner started.
TEST_CASE("Stop ends Wine's cmd and the program it is running") {
    REQUIRE_FALSE(platform::writeFileBytes(kGame + "\\uccMake.Bat",
                                           "cmd /c uccLoop.bat\r\necho not stopped\r\n"));
    REQUIRE_FALSE(platform::writeFileBytes(kGame + "\\uccLoop.bat",
                                           "@echo inner running\r\n:again\r\n@goto again\r\n"));
    const InterpreterAndServer setting("wine cmd", false);
    const JobRecord job = runCommand(kGame + "\\uccmake.bat", "inner running");
    CHECK(job.events.ends_with(" Complete"));
    CHECK(job.output.find("not stopped") == std::string::npos);
    // A killed Wine process takes a moment to be torn down; one that runs on never goes.
    const auto survivor = [] {
        for (const auto& process : std::filesystem::directory_iterator("/proc")) {
            std::ifstream in(process.path() / "cmdline");
            const std::string line{std::istreambuf_iterator<char>(in), {}};
            if (line.find("uccLoop.bat") != std::string::npos) {
                return process.path().string();
            }
        }
        return std::string();
    };
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    std::string left = survivor();
    while (!left.empty() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        left = survivor();
    }
    CHECK_MESSAGE(left.empty(), left);
    CHECK_FALSE(platform::deleteFile(kGame + "\\uccmake.bat", true));
    CHECK_FALSE(platform::deleteFile(kGame + "\\uccLoop.bat", true));
}

#endif
