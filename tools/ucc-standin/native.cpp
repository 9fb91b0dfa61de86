#include "native.h"

#include "filesio.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstdlib>
#include <fnmatch.h>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace tolvane::standin {

namespace {

// The user's folder of settings and logs, which every run makes; its System folder is where the
// tool's relative paths start.
fs::path homeSystemFolder() {
    const char* home = std::getenv("HOME");
    const fs::path folder = fs::path(home && *home ? home : "/tmp") / ".utpg" / "System";
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return folder;
}

// The files a Compress argument names: a wildcard in its last part matches every file of that
// folder, in name order.
std::vector<fs::path> matches(const fs::path& argument) {
    const std::string pattern = argument.filename().string();
    if (pattern.find_first_of("*?") == std::string::npos) {
        return {argument};
    }
    std::vector<fs::path> found;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(argument.parent_path(), code)) {
        if (entry.is_regular_file(code) &&
            ::fnmatch(pattern.c_str(), entry.path().filename().c_str(), 0) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

bool runsAsNativeTool() {
    return executableName().string().rfind("ucc-bin", 0) == 0;
}

int runNative(const std::vector<std::string>& args, Output output) {
    const fs::path home = homeSystemFolder();
    const bool compress = !args.empty() && platform::equalsIgnoringCase(args[0], "compress");
    const bool decompress = !args.empty() && platform::equalsIgnoringCase(args[0], "decompress");
    const bool noHomeDir = decompress && args.size() == 3 && args[2] == "-nohomedir";
    bool done = (compress || decompress) && (args.size() == 2 || noHomeDir);
    if (done && compress) {
        const fs::path given(args[1]);
        const auto files = matches(given.is_absolute() ? given : fs::current_path() / given);
        done = !files.empty();
        for (const auto& file : files) {
            // A relative path is taken from the home System folder for the result's place.
            const fs::path target = given.is_absolute()
                                        ? fs::path(file.string() + ".uz")
                                        : (home / given.parent_path() / file.filename())
                                              .lexically_normal()
                                              .concat(".uz");
            done = done && compressFileTo(file.string(), target, output);
        }
    } else if (done) {
        done = decompressFile(args[1], noHomeDir ? executableFolder() : home, output);
    }
    if (!done) {
        output.err << "Exiting due to error" << std::endl;
        return 1;
    }
    return 0;
}

} // namespace tolvane::standin
