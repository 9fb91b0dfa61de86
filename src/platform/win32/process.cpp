// Starting a command with captured output on Windows: an inheritable anonymous pipe, the
// interpreter started hidden with both output streams on the pipe's write end, and reads from
// the read end until the interpreter has ended and its output is read, or every holder of the
// write end has closed it.

#include "platform/process.h"

#include "platform/win32/wide.h"

#include <vector>

#include <windows.h>

namespace tolvane::platform {

struct CommandProcess::Handles {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    HANDLE job = nullptr; // holds the interpreter and every process it starts, for a stop
};

namespace {

std::int32_t lastError() {
    return static_cast<std::int32_t>(GetLastError());
}

void closeHandle(HANDLE& handle) {
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

// Default security; handles made with these attributes are inherited by child processes.
SECURITY_ATTRIBUTES inheritableAttributes() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = static_cast<DWORD>(sizeof attributes);
    attributes.lpSecurityDescriptor = nullptr;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

// The command line in the system's narrow code page, as CreateProcessA expects it.
std::string toNarrowCodePage(std::string_view utf8) {
    const std::wstring wide = widen(utf8);
    if (wide.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

} // namespace

Invocation interpreterInvocation(const std::string& interpreter, const std::string& quotedCommand) {
    return {interpreter + " /c \"" + quotedCommand + '"', {}};
}

CommandProcess::CommandProcess() : handles_(std::make_unique<Handles>()) {}

CommandProcess::~CommandProcess() {
    release();
}

std::int32_t CommandProcess::createPipe() {
    SECURITY_ATTRIBUTES attributes = inheritableAttributes();
    if (!CreatePipe(&handles_->readEnd, &handles_->writeEnd, &attributes,
                    static_cast<DWORD>(kPipeBytes))) {
        const std::int32_t error = lastError();
        handles_->readEnd = nullptr;
        handles_->writeEnd = nullptr;
        return error;
    }
    return 0;
}

std::int32_t CommandProcess::start(const Invocation& invocation) {
    SECURITY_ATTRIBUTES attributes = inheritableAttributes();

    STARTUPINFOA startup{};
    startup.cb = static_cast<DWORD>(sizeof startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = handles_->writeEnd;
    startup.hStdError = handles_->writeEnd;

    // CreateProcessA may write into the command line, so it gets a buffer of its own.
    const std::string narrow = toNarrowCodePage(invocation.commandLine);
    std::vector<char> line(narrow.begin(), narrow.end());
    line.push_back('\0');

    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), &attributes, &attributes, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &started)) {
        const std::int32_t error = lastError();
        closeHandle(handles_->readEnd);
        closeHandle(handles_->writeEnd);
        return error;
    }
    handles_->process = started.hProcess;
    handles_->thread = started.hThread;
    closeHandle(handles_->writeEnd);
    // What the interpreter starts from now on joins its job object, so a stop reaches it too.
    // The job does not end with its handle: a job outlives a closed Tolvane.
    handles_->job = CreateJobObjectW(nullptr, nullptr);
    if (handles_->job && !AssignProcessToJobObject(handles_->job, handles_->process)) {
        closeHandle(handles_->job);
    }
    return 0;
}

CommandProcess::ReadStatus CommandProcess::read(char* buffer, std::size_t capacity,
                                                std::size_t& count, int waitMilliseconds) {
    count = 0;
    if (!handles_->readEnd) {
        return ReadStatus::Ended;
    }
    // An anonymous pipe cannot be waited on with a time limit: peek in short naps until output
    // is there, the pipe has broken (the read below then fails), the interpreter has ended, or
    // the time is up. The job ends with the interpreter: processes it started may live on and
    // hold the pipe (Wine's own services do), but what it wrote before it ended is in the pipe
    // already, so once that is read there is nothing more to wait for.
    const ULONGLONG begin = GetTickCount64();
    for (;;) {
        const bool ended = handles_->process == nullptr ||
                           WaitForSingleObject(handles_->process, 0) == WAIT_OBJECT_0;
        DWORD available = 0;
        if (!PeekNamedPipe(handles_->readEnd, nullptr, 0, nullptr, &available, nullptr) ||
            available > 0) {
            break;
        }
        if (ended) {
            return ReadStatus::Ended;
        }
        const ULONGLONG elapsed = GetTickCount64() - begin;
        if (elapsed >= static_cast<ULONGLONG>(waitMilliseconds)) {
            return ReadStatus::Silent;
        }
        const ULONGLONG left = static_cast<ULONGLONG>(waitMilliseconds) - elapsed;
        Sleep(static_cast<DWORD>(left < 10 ? left : 10));
    }
    DWORD received = 0;
    if (!ReadFile(handles_->readEnd, buffer, static_cast<DWORD>(capacity), &received, nullptr)) {
        return ReadStatus::Ended;
    }
    count = received;
    return ReadStatus::Data;
}

void CommandProcess::terminate() {
    if (handles_->job) {
        TerminateJobObject(handles_->job, 1);
    } else if (handles_->process) {
        TerminateProcess(handles_->process, 1);
    }
}

void CommandProcess::release() {
    closeHandle(handles_->job);
    closeHandle(handles_->process);
    closeHandle(handles_->thread);
    closeHandle(handles_->readEnd);
    closeHandle(handles_->writeEnd);
}

} // namespace tolvane::platform
