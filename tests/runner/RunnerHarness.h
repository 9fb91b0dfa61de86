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
#include <string>
#include <vector>

#include <sys/wait.h>

namespace tolvane::test {

// A shell script in a temporary folder standing in for the command interpreter: it is called
// with "/c" and the quoted command split into words, so "$2" is the command. Its folder is also
// the Wine prefix, one without drives, unless a test makes another.
class ScriptedInterpreter {
public:
    explicit ScriptedInterpreter(const std::string& body)
        : comSpec_("ComSpec", addFile("interpreter", "#!/bin/sh\n" + body + "\n", true)),
          prefix_("WINEPREFIX", folder().string()) {}
    std::filesystem::path folder() const { return dir_.path().toStdString(); }
    std::string path() const { return (folder() / "interpreter").string(); }
    std::string addFile(const std::string& name, const std::string& content, bool executable) {
        std::ofstream(folder() / name, std::ios::binary) << content;
        std::filesystem::permissions(folder() / name,
                                     std::filesystem::perms(executable ? 0755 : 0600));
        return (folder() / name).string();
    }

private:
    QTemporaryDir dir_;
    ScopedEnv comSpec_;
    ScopedEnv prefix_;
};

// Its kind (Starting, GotChunk, LastChunk, Complete, Error), the chunk or the error message and
// code, and the runner's busy flag while the handler ran.
struct RunEvent {
    std::string kind, text;
    std::int32_t code = 0;
    bool busy = false;
};

// A runner whose events are recorded in order: each event, the output, and the shape (the kinds
// in order, every run of GotChunk folded into one "GotChunk*").
struct EventLog {
    EventLog() {
        runner.Starting = [this] { add("Starting"); };
        runner.GotChunk = [this](const std::string& sChunk, bool LastChunk) {
            add(LastChunk ? "LastChunk" : "GotChunk", sChunk);
        };
        runner.Complete = [this] { add("Complete"); };
        runner.Error = [this](const std::string& Error, std::int32_t LastDLLError) {
            add("Error", Error, LastDLLError);
        };
    }
    void add(const std::string& kind, const std::string& text = {}, std::int32_t code = 0) {
        events.push_back({kind, text, code, runner.busy()});
        output += kind.ends_with("Chunk") ? text : "";
        if (kind != "GotChunk" || !shape.ends_with("GotChunk*")) {
            shape += (shape.empty() ? "" : " ") + kind + (kind == "GotChunk" ? "*" : "");
        }
    }
    // Runs the command on a fresh record and gives its output.
    std::string run(const std::string& command) {
        events.clear();
        output = shape = {};
        runner.SetCommand(command);
        runner.ProcessCommand();
        return output;
    }
    ReadOutput runner;
    std::vector<RunEvent> events;
    std::string output, shape;
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
