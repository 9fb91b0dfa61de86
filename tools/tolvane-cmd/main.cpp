// tolvane-cmd: runs the batch files that Tolvane writes, as the Windows interpreter would, on
// a system that has none.
//
//     tolvane-cmd /c <batch file>
//
// The batch file is a Windows path resolved through the Wine prefix, or a host path. The exit
// status is the errorlevel of the last command; one above 255 (such as 9009, program not found)
// becomes 255, so a failure never reads as success once the system cuts it to eight bits.

#include "batchreader.h"
#include "console.h"
#include "executor.h"
#include "platform/codepage.h"
#include "platform/hostpath.h"
#include "platform/winpath.h"
#include "workingfolder.h"

#include <csignal>
#include <sys/stat.h>

namespace {

using namespace tolvane;

// The runner may hand the path over in quotes, or split at its blanks: put it back together.
std::string batchArgument(int argc, char** argv) {
    std::string text;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) {
            text += ' ';
        }
        text += argv[i];
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

std::optional<std::filesystem::path> locateBatch(const std::string& name) {
    if (platform::driveLetterOf(name) != 0) {
        return platform::toHostPath(name);
    }
    return std::filesystem::path(name);
}

int exitStatus(int errorlevel) {
    return errorlevel >= 0 && errorlevel <= 255 ? errorlevel : 255;
}

int run(int argc, char** argv) {
    if (argc < 3 || !platform::equalsIgnoringCase(argv[1], "/c")) {
        cmd::writeErr("Usage: tolvane-cmd /c <batch file>\r\n"
                      "Runs a batch file written by Tolvane as the Windows interpreter would.\r\n");
        return 1;
    }
    const std::string name = batchArgument(argc, argv);
    auto host = locateBatch(name);
    struct stat info {};
    if (!host || ::stat(host->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        cmd::reportNotRecognized(name);
        return exitStatus(cmd::kNotRecognized);
    }
    std::string contents;
    if (auto error = cmd::readBatchFile(*host, contents)) {
        cmd::writeErr(cmd::windowsMessage(error.code) + "\r\n");
        return 1;
    }
    const cmd::WorkingFolder folder;
    cmd::Executor executor(folder);
    return exitStatus(executor.runBatch(cmd::splitBatch(contents)));
}

} // namespace

int main(int argc, char** argv) {
    // A job whose reader has gone (Tolvane closed meanwhile) still runs to its end, as on
    // Windows. The programs it starts inherit this, so they carry on as well.
    std::signal(SIGPIPE, SIG_IGN);
    return run(argc, argv);
}
