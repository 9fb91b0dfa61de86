#pragma once
// What the runner tests share: a scripted command interpreter that ComSpec names, and a record
// of every event a runner raised.

#include "runner/ReadOutput.h"
#include "support/ScopedEnv.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace tolvane::test {

// A shell script in a temporary folder standing in for the command interpreter: it is called
// with "/c" and the quoted command split into words, so "$2" is the command.
class ScriptedInterpreter {
public:
    // Its folder is also the Wine prefix, one without drives, unless a test makes another.
    explicit ScriptedInterpreter(const std::string& body)
        : comSpec_("ComSpec", addFile("interpreter", "#!/bin/sh\n" + body + "\n", true)),
          prefix_("WINEPREFIX", folder().string()) {}
    std::filesystem::path folder() const { return dir_.path().toStdString(); }
    std::string path() const { return (folder() / "interpreter").string(); }
    std::string addFile(const std::string& name, const std::string& content, bool executable) {
        const auto file = folder() / name;
        std::ofstream(file, std::ios::binary) << content;
        std::filesystem::permissions(file, executable ? std::filesystem::perms(0755)
                                                      : std::filesystem::perms(0600));
        return file.string();
    }

private:
    QTemporaryDir dir_;
    ScopedEnv comSpec_;
    ScopedEnv prefix_;
};

struct RunEvent {
    std::string kind; // Starting, GotChunk, LastChunk, Complete, Error
    std::string text; // the chunk or the error message
    std::int32_t code = 0;
    bool busy = false; // the runner's busy flag while the handler ran
};

// Attaches to every event of a runner and records them in order.
struct EventLog {
    explicit EventLog(ReadOutput& runner) {
        runner.Starting = [this, &runner] { events.push_back({"Starting", {}, 0, runner.busy()}); };
        runner.GotChunk = [this, &runner](const std::string& sChunk, bool LastChunk) {
            events.push_back({LastChunk ? "LastChunk" : "GotChunk", sChunk, 0, runner.busy()});
        };
        runner.Complete = [this, &runner] { events.push_back({"Complete", {}, 0, runner.busy()}); };
        runner.Error = [this, &runner](const std::string& Error, std::int32_t LastDLLError) {
            events.push_back({"Error", Error, LastDLLError, runner.busy()});
        };
    }
    // The kinds in order, with every run of GotChunk folded into one "GotChunk*".
    std::string shape() const {
        std::string out;
        for (std::size_t i = 0; i < events.size(); ++i) {
            const bool chunk = events[i].kind == "GotChunk";
            if (!chunk || i == 0 || events[i - 1].kind != "GotChunk") {
                out += (out.empty() ? "" : " ") + events[i].kind + (chunk ? "*" : "");
            }
        }
        return out;
    }
    std::string output() const {
        std::string out;
        for (const auto& event : events) {
            out += event.kind == "GotChunk" || event.kind == "LastChunk" ? event.text : "";
        }
        return out;
    }
    std::vector<RunEvent> events;
};

inline int openDescriptorCount() {
    const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

// True when this process has no child at all, not even a zombie.
inline bool hasNoChildren() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

} // namespace tolvane::test

// Failed comparisons of output show the text itself.
namespace QTest {
template <> inline char* toString(const std::string& text) {
    return toString(QString::fromStdString(text));
}
} // namespace QTest
