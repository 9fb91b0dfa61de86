#include "RunnerHarness.h"

#include <cerrno>
#include <fstream>

#include <sys/wait.h>

namespace tolvane::test {

ScriptedInterpreter::ScriptedInterpreter(const std::string& body) {
    addFile("interpreter", "#!/bin/sh\n" + body + "\n", true);
    comSpec_ = std::make_unique<ScopedEnv>("ComSpec", path().string());
}

std::filesystem::path ScriptedInterpreter::folder() const {
    return dir_.path().toStdString();
}

std::filesystem::path ScriptedInterpreter::path() const {
    return folder() / "interpreter";
}

std::filesystem::path ScriptedInterpreter::addFile(const std::string& name,
                                                   const std::string& content, bool executable) {
    const auto file = folder() / name;
    std::ofstream(file, std::ios::binary) << content;
    using std::filesystem::perms;
    std::filesystem::permissions(file, executable ? perms::owner_all | perms::group_read |
                                                        perms::group_exec | perms::others_read |
                                                        perms::others_exec
                                                  : perms::owner_read | perms::owner_write);
    return file;
}

EventLog::EventLog(ReadOutput& runner) : runner_(runner) {
    runner.Starting = [this] { events.push_back({"Starting", {}, 0, runner_.busy()}); };
    runner.GotChunk = [this](const std::string& sChunk, bool LastChunk) {
        events.push_back({LastChunk ? "LastChunk" : "GotChunk", sChunk, 0, runner_.busy()});
    };
    runner.Complete = [this] { events.push_back({"Complete", {}, 0, runner_.busy()}); };
    runner.Error = [this](const std::string& Error, std::int32_t LastDLLError) {
        events.push_back({"Error", Error, LastDLLError, runner_.busy()});
    };
}

std::string EventLog::sequence() const {
    std::string out;
    for (const auto& event : events) {
        out += (out.empty() ? "" : " ") + event.kind;
    }
    return out;
}

std::string EventLog::shape() const {
    std::string out;
    std::string previous;
    for (const auto& event : events) {
        if (event.kind == "GotChunk" && previous == "GotChunk") {
            continue;
        }
        out += (out.empty() ? "" : " ") + event.kind + (event.kind == "GotChunk" ? "*" : "");
        previous = event.kind;
    }
    return out;
}

std::string EventLog::output() const {
    std::string out;
    for (const auto& event : events) {
        if (event.kind == "GotChunk" || event.kind == "LastChunk") {
            out += event.text;
        }
    }
    return out;
}

std::chrono::milliseconds timedRun(ReadOutput& runner) {
    const auto begin = std::chrono::steady_clock::now();
    runner.ProcessCommand();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 begin);
}

int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

bool hasNoChildren() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

} // namespace tolvane::test
