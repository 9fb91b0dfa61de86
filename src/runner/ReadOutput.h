#pragma once
// ReadOutput runs one command line through the command interpreter, with standard output and
// standard error captured through one pipe, and hands the output to its host piece by piece
// while the command runs. Everything happens on the caller's thread: between reads the runner
// calls the host's yield, so a window stays responsive and its handlers may run nested inside
// ProcessCommand.

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane {

namespace platform {
class CommandProcess;
}

class ReadOutput {
public:
    // Events, raised synchronously on the thread that called ProcessCommand.
    std::function<void(const std::string& Error, std::int32_t LastDLLError)> Error;
    // sChunk is UTF-8: each line of the output decoded from UTF-8 when it is UTF-8, else from
    // Windows-1252. A character cut between two reads comes whole with the second.
    std::function<void(const std::string& sChunk, bool LastChunk)> GotChunk;
    std::function<void()> Complete;
    std::function<void()> Starting;

    // Lets the host's user interface process pending events; called before every read and
    // between the waiting slices while the command is silent.
    std::function<void()> yield;

    ReadOutput();
    ~ReadOutput();
    ReadOutput(const ReadOutput&) = delete;
    ReadOutput& operator=(const ReadOutput&) = delete;

    // The stored command. Setting it during a run does not touch the running command.
    void SetCommand(const std::string& sCommandVal) { command_ = sCommandVal; }
    const std::string& SetCommand() const { return command_; }

    // Checks and runs the stored command; returns when the run is over (after Complete or
    // Error has been raised and handled).
    void ProcessCommand();

    bool busy() const { return busy_; }

    // Ends the running command and everything it started; the run then ends the usual way,
    // with the output so far, the final chunk and Complete. Does nothing when idle.
    void Stop();

private:
    void RunCommand(const std::string& quotedCommand);

    std::string command_;
    bool busy_ = false;
    platform::CommandProcess* running_ = nullptr;
};

} // namespace tolvane
