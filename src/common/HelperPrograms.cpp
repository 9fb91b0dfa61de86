#include "common/HelperPrograms.h"

#include "platform/environment.h"
#include "platform/hostpath.h"

namespace tolvane {

namespace {

#ifdef _WIN32
constexpr const char* kExecutableSuffix = ".exe";
#else
constexpr const char* kExecutableSuffix = "";
#endif

std::string besideThisProgram(const std::string& name) {
    // With the folder unknown, the bare name is looked up on PATH.
    return platform::ownProgramFolder() + name + kExecutableSuffix;
}

} // namespace

std::string commandInterpreter() {
    std::string comSpec = platform::environmentVariable("ComSpec");
#ifdef _WIN32
    // Windows always has one; not set, the empty string makes the start fail as it should.
    return comSpec;
#else
    if (!comSpec.empty()) {
        return comSpec;
    }
    const std::string bundled = besideThisProgram("tolvane-cmd");
    if (bundled.find_first_of(" \t") != std::string::npos) {
        return '"' + bundled + '"';
    }
    return bundled;
#endif
}

bool bundledInterpreter() {
#ifdef _WIN32
    return false;
#else
    return platform::environmentVariable("ComSpec").empty();
#endif
}

std::optional<std::string> ownToolProgram() {
    return platform::toWindowsPath(besideThisProgram("tolvane-ucc"));
}

std::string folderWindowProgram() {
    return besideThisProgram("tolvane-folder");
}

} // namespace tolvane
