#include "runner/ReadOutput.h"

#include "common/HelperPrograms.h"
#include "platform/codepage.h"
#include "platform/process.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace tolvane {

namespace {

constexpr std::size_t kReadSize = 256;

// While the command is silent the runner waits this long at a time and then yields again, well
// inside the 50 ms after which a window starts to feel stuck.
constexpr int kSilentSliceMilliseconds = 25;

constexpr std::int32_t kInvalidCommand = 1200;
constexpr std::int32_t kAlreadyRunning = 1201;

// Raises an event through a copy of the handler, so that a handler which replaces itself does
// not destroy the function it is running in.
template <typename Event, typename... Args> void raise(const Event& event, Args&&... args) {
    if (event) {
        Event handler = event;
        handler(std::forward<Args>(args)...);
    }
}

} // namespace

ReadOutput::ReadOutput() = default;

ReadOutput::~ReadOutput() = default;

void ReadOutput::ProcessCommand() {
    if (command_.empty()) {
        raise(Error, std::string("Invalid Command."), kInvalidCommand);
        return;
    }
    if (busy_) {
        raise(Error, std::string("Currently processing a command!"), kAlreadyRunning);
        return;
    }
    // Quotes inside the command are passed on as they are; the interpreter sees what it gets.
    RunCommand('"' + command_ + '"');
}

void ReadOutput::Stop() {
    if (running_) {
        running_->terminate();
    }
}

void ReadOutput::RunCommand(const std::string& quotedCommand) {
    busy_ = true;
    // The flag drops however the run is left, also when a handler throws; the process object,
    // destroyed before it, releases the pipe.
    struct ClearBusy {
        bool& flag;
        platform::CommandProcess*& running;
        ~ClearBusy() {
            flag = false;
            running = nullptr;
        }
    } clearBusy{busy_, running_};
    platform::CommandProcess process;
    running_ = &process;

    if (std::int32_t code = process.createPipe()) {
        busy_ = false;
        raise(Error, std::string("CreatePipe failed."), code);
        return;
    }
    if (std::int32_t code =
            process.start(platform::interpreterInvocation(commandInterpreter(), quotedCommand))) {
        busy_ = false;
        raise(Error, std::string("CreateProcess failed."), code);
        return;
    }

    raise(Starting);
    char buffer[kReadSize];
    std::string chunk;
    platform::OutputDecoder decoder;
    for (;;) {
        raise(yield);
        std::size_t count = 0;
        auto status = process.read(buffer, sizeof buffer, count, kSilentSliceMilliseconds);
        while (status == platform::CommandProcess::ReadStatus::Silent) {
            raise(yield);
            status = process.read(buffer, sizeof buffer, count, kSilentSliceMilliseconds);
        }
        if (status == platform::CommandProcess::ReadStatus::Ended) {
            break;
        }
        decoder.decode(std::string_view(buffer, count), chunk);
        if (!chunk.empty()) {
            raise(GotChunk, std::as_const(chunk), false);
        }
    }
    // A character the output broke off in the middle is shown as it came.
    if (std::string rest = decoder.finish(); !rest.empty()) {
        raise(GotChunk, std::as_const(rest), false);
    }
    // The failed read that ended the output returned nothing: the last chunk is empty.
    raise(GotChunk, std::string(), true);
    raise(Complete);

    process.release();
    busy_ = false;
}

} // namespace tolvane
