// tolvane-cmd: runs the batch files that Tolvane writes, as the Windows interpreter would, on
// a system that has none.
//
//     tolvane-cmd /c <batch file>
//
// The text after /c is read by the Windows interpreter's quote rule. The batch file is a Windows
// path resolved through the Wine prefix, or a host path (relative ones from the working folder).
// The exit status is the errorlevel of the last command; one above 255 (such as 9009, program not
// found) becomes 255, so a failure never reads as success once the system cuts it to eight bits.

#include "batchreader.h"
#include "console.h"
#include "executor.h"
#include "platform/codepage.h"
#include "platform/hostpath.h"
#include "platform/posix/foldernames.h"
#include "platform/winpath.h"
#include "slashc.h"
#include "workingfolder.h"

#include <csignal>
#include <sys/stat.h>

namespace {

using namespace tolvane;

// A Windows path (absolute, or from the working folder, letters in any case) or a host path.
std::optional<std::filesystem::path> locateBatch(const cmd::WorkingFolder& folder,
                                                 std::string_view name) {
    if (!name.empty() && name.front() == '/') {
        return std::filesystem::path(name);
    }
    return folder.resolve(name);
}

bool isFile(const std::optional<std::filesystem::path>& host) {
    struct stat info {};
    return host && ::stat(host->c_str(), &info) == 0 && S_ISREG(info.st_mode);
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
    const cmd::WorkingFolder folder;
    const auto namesFile = [&folder](std::string_view name) {
        return isFile(locateBatch(folder, name));
    };
    const std::string commandLine = cmd::joinArguments({argv + 2, argv + argc});
    const std::string name = cmd::firstWord(cmd::applyQuoteRule(commandLine, namesFile));
    const auto host = locateBatch(folder, name);
    if (!isFile(host)) {
        cmd::reportNotRecognized(name);
        return exitStatus(cmd::kNotRecognized);
    }
    std::string contents;
    if (auto error = cmd::readBatchFile(*host, contents)) {
        cmd::writeErr(cmd::windowsMessage(error.code) + "\r\n");
        return 1;
    }
    cmd::Executor executor(folder, cmd::linesAtATime());
    return exitStatus(executor.runBatch(cmd::splitBatch(contents)));
}

} // namespace

int main(int argc, char** argv) {
    // A job whose reader has gone (Tolvane closed meanwhile) still runs to its end, as on
    // Windows. The programs it starts inherit this, so they carry on as well.
    std::signal(SIGPIPE, SIG_IGN);
    // A big job moves thousands of results into one folder, each looked for there first.
    platform::rememberFolderEntries();
    return run(argc, argv);
}
