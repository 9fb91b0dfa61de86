#include "support/TempPrefix.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tolvane::test {
namespace fs = std::filesystem;

TempPrefix::TempPrefix() : wineprefix_("WINEPREFIX", dir_.path().toStdString()) {
    fs::create_directories(root() / "dosdevices");
    fs::create_directories(driveC());
    fs::create_symlink("../drive_c", root() / "dosdevices" / "c:");
}

TempPrefix::~TempPrefix() = default;

fs::path TempPrefix::root() const {
    return fs::path(dir_.path().toStdString());
}

fs::path TempPrefix::driveC() const {
    return root() / "drive_c";
}

void TempPrefix::addDrive(char letter, const fs::path& target) {
    fs::create_directories(target);
    std::string name(1, static_cast<char>(std::tolower(letter)));
    name += ':';
    fs::create_symlink(target, root() / "dosdevices" / name);
}

void TempPrefix::writeSystemReg(const std::string& body, bool win64) {
    std::ofstream out(root() / "system.reg", std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
    if (win64) {
        out << "#arch=win64\n\n";
    }
    out << body;
}

void TempPrefix::setGameFolder(const std::string& folder, bool win64) {
    const std::string key = win64 ? "Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed "
                                    "Apps\\\\UnrealTournament"
                                  : "Software\\\\Unreal Technology\\\\Installed "
                                    "Apps\\\\UnrealTournament";
    writeSystemReg("[" + key + "] 1700000000\n#time=1d9a0b0c0d0e0f0\n\"Folder\"=\"" +
                       regEscape(folder) + "\"\n\"Version\"=\"436\"\n\n",
                   win64);
}

fs::path TempPrefix::makeFile(const std::string& relative, const std::string& content) {
    fs::path path = driveC() / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

fs::path TempPrefix::makeFolder(const std::string& relative) {
    fs::path path = driveC() / relative;
    fs::create_directories(path);
    return path;
}

std::string regEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace tolvane::test
