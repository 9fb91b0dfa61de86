#pragma once
// A throw-away Wine-style prefix: drive C: linked in dosdevices, a system.reg, and WINEPREFIX
// pointing at it while the object lives. Relative paths given here are below drive C:.

#include "support/ScopedEnv.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tolvane::test {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TempPrefix {
public:
    TempPrefix() { addDrive('C', driveC()); }
    std::filesystem::path root() const { return dir_.path().toStdString(); }
    std::filesystem::path driveC() const { return root() / "drive_c"; }
    // A drive whose link points at `target`, which is created when missing.
    void addDrive(char letter, const std::filesystem::path& target) {
        std::filesystem::create_directories(target);
        std::filesystem::create_directories(root() / "dosdevices");
        const std::string name{static_cast<char>(letter | 0x20), ':'};
        std::filesystem::create_symlink(target, root() / "dosdevices" / name);
    }
    void writeSystemReg(const std::string& body, bool win64 = false) {
        std::ofstream(root() / "system.reg", std::ios::binary)
            << "WINE REGISTRY Version 2\n\n"
            << (win64 ? "#arch=win64\n\n" : "") << body;
    }
    // The game folder's value (backslashes as typed), in the view a 32-bit program reads.
    void setGameFolder(const std::string& folder, bool win64 = false) {
        const QString value =
            QString::fromStdString(folder).replace('\\', "\\\\").replace('"', "\\\"");
        writeSystemReg(std::string("[Software\\\\") + (win64 ? "Wow6432Node\\\\" : "") +
                           "Unreal Technology\\\\Installed Apps\\\\UnrealTournament] 1\n"
                           "\"Folder\"=\"" +
                           value.toStdString() + "\"\n",
                       win64);
    }
    // The game installed in a folder below C: (its tool is a placeholder), and the registry
    // naming it.
    void installGame(const std::string& relative) {
        makeFile(relative + "/System/ucc.exe", "MZ");
        setGameFolder("C:\\" + relative);
    }
    std::filesystem::path makeFile(const std::string& relative, const std::string& content = "x") {
        makeFolder(std::filesystem::path(relative).parent_path().string());
        std::ofstream(driveC() / relative, std::ios::binary) << content;
        return driveC() / relative;
    }
    std::filesystem::path makeFolder(const std::string& relative) {
        std::filesystem::create_directories(driveC() / relative);
        return driveC() / relative;
    }

private:
    QTemporaryDir dir_;
    ScopedEnv wineprefix_{"WINEPREFIX", dir_.path().toStdString()};
};

} // namespace tolvane::test
