#pragma once
// What /proc says about a process, for tests of programs started detached.

#include <QTest>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>

namespace tolvane::test {

struct ProcessFacts {
    bool exists = false;
    char state = 0; // 'Z' for a zombie
    int parent = 0;
    int session = 0;
    std::vector<std::string> arguments;
    std::map<int, std::string> descriptors; // open descriptor -> what it refers to
};

inline ProcessFacts processFacts(int pid) {
    ProcessFacts facts;
    const auto proc = std::filesystem::path("/proc") / std::to_string(pid);
    std::ifstream stat(proc / "stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return facts;
    }
    // The name in parentheses may hold blanks; the fields after it do not.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    int group = 0;
    rest >> facts.state >> facts.parent >> group >> facts.session;
    facts.exists = true;

    std::ifstream cmdline(proc / "cmdline", std::ios::binary);
    for (std::string arg; std::getline(cmdline, arg, '\0');) {
        facts.arguments.push_back(arg);
    }
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator(proc / "fd", ec)) {
        facts.descriptors[std::stoi(entry.path().filename().string())] =
            std::filesystem::read_symlink(entry.path(), ec).string();
    }
    return facts;
}

// Waits until the file exists and is complete (written by renaming it into place).
inline bool waitForFile(const std::filesystem::path& path, int milliseconds = 10000) {
    return QTest::qWaitFor([&] { return std::filesystem::exists(path); }, milliseconds);
}

// Ends a process this test started, by its id.
inline void endProcess(int pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
    }
}

} // namespace tolvane::test
