#pragma once
// What the runner tests share: a scripted command interpreter that ComSpec names, and a record
// of every event a runner raised.

#include "runner/ReadOutput.h"
#include "support/ScopedEnv.h"

#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::test {

// A shell script in a temporary folder that stands in for the command interpreter: it is called
// with "/c" and the quoted command split into words, so "$2" is the command.
class ScriptedInterpreter {
public:
    explicit ScriptedInterpreter(const std::string& body);
    std::filesystem::path folder() const;
    std::filesystem::path path() const;
    // Writes another file into the folder; `executable` sets its execute bits.
    std::filesystem::path addFile(const std::string& name, const std::string& content,
                                  bool executable = false);

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScopedEnv> comSpec_;
};

struct RunEvent {
    std::string kind; // Starting, GotChunk, LastChunk, Complete, Error
    std::string text; // the chunk or the error message
    std::int32_t code = 0;
    bool busy = false; // the runner's busy flag while the handler ran
};

// Attaches to every event of a runner and records them in order.
class EventLog {
public:
    explicit EventLog(ReadOutput& runner);
    std::vector<RunEvent> events;

    // The kinds in order, separated by blanks, e.g. "Starting GotChunk LastChunk Complete".
    std::string sequence() const;
    // The sequence with every run of GotChunk folded into one "GotChunk*".
    std::string shape() const;
    // The chunks put together.
    std::string output() const;

private:
    ReadOutput& runner_;
};

// Runs the runner's stored command and returns how long ProcessCommand took.
std::chrono::milliseconds timedRun(ReadOutput& runner);

// The number of descriptors this process has open.
int openDescriptorCount();

// True when this process has no child at all, not even a zombie.
bool hasNoChildren();

} // namespace tolvane::test

// Failed comparisons of output show the text itself.
namespace QTest {
template <> inline char* toString(const std::string& text) {
    return toString(QString::fromStdString(text));
}
} // namespace QTest
