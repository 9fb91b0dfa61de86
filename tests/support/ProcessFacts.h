#pragma once
// What /proc says about a process, for tests of programs started detached.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace tolvane::test {

struct ProcessFacts {
    bool exists = false;
    char state = 0; // 'Z' for a zombie
    int parent = 0;
    int session = 0;
    std::map<int, std::string> descriptors; // open descriptor -> what it refers to
};

inline ProcessFacts processFacts(int pid) {
    const auto proc = std::filesystem::path("/proc") / std::to_string(pid);
    std::string stat;
    std::getline(std::ifstream(proc / "stat"), stat);
    // The name in parentheses may hold blanks; the fields after it do not.
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    ProcessFacts facts;
    int group = 0;
    facts.exists = !!(fields >> facts.state >> facts.parent >> group >> facts.session);
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator(proc / "fd", ec)) {
        facts.descriptors[std::stoi(fd.path().filename())] = read_symlink(fd.path(), ec);
    }
    return facts;
}

} // namespace tolvane::test
