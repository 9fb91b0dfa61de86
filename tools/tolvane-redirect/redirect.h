#pragma once
// One headless run that brings an output folder up to date.

#include <iosfwd>
#include <string>

namespace tolvane::redirect {

constexpr int kAllDone = 0;
constexpr int kSomeFailed = 1;
constexpr int kBadArguments = 2;

enum class Tool { Default, Own, Game };

struct Options {
    std::string gameFolder; // host paths
    std::string outputFolder;
    int jobs = 0; // tool lines at a time; 0: one per core
    Tool tool = Tool::Default;
};

// Runs the job and returns the exit status. SIGINT and SIGTERM stop it as Stop does in the
// window: files done are kept, and nothing half written stays under a result's name.
int run(const Options& options, std::ostream& out, std::ostream& err);

} // namespace tolvane::redirect
