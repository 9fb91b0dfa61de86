#include "platform/folderwindow.h"

#include "platform/posix/errors.h"
#include "platform/posix/spawn.h"

#include <filesystem>
#include <string>

namespace tolvane::platform {

namespace {

SystemError startFailure(const std::string& program, int err) {
    SystemError error = errorFromErrno(err);
    error.message = program + ": " + error.message;
    return error;
}

} // namespace

DetachedFolderWindowLauncher::DetachedFolderWindowLauncher(std::string program)
    : program_(std::move(program)) {
    // A window opened later must find the program whatever folder this process is in by then.
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(program_, ec);
    if (!ec && program_.find('/') != std::string::npos) {
        program_ = absolute.string();
    }
}

SystemError DetachedFolderWindowLauncher::open(const std::string& winPath) {
    return start(winPath, nullptr);
}

SystemError DetachedFolderWindowLauncher::start(const std::string& winPath, int* processId) {
    SpawnRequest request;
    if (int error = findProgram(program_, request.program)) {
        return startFailure(program_, error);
    }
    request.arguments = {program_, winPath};
    request.workingFolder = "/"; // the window program must not keep any folder of ours busy
    request.kind = SpawnRequest::Kind::Detached;
    pid_t pid = 0;
    if (int error = spawnProcess(request, pid)) {
        return startFailure(program_, error);
    }
    if (processId) {
        *processId = static_cast<int>(pid);
    }
    return {};
}

} // namespace tolvane::platform
