#pragma once
// A throw-away Wine-style prefix for tests: drives as links in dosdevices, a system.reg, and
// WINEPREFIX pointing at it for as long as the object lives.

#include "support/ScopedEnv.h"

#include <QTemporaryDir>

#include <filesystem>
#include <string>

namespace tolvane::test {

class TempPrefix {
public:
    TempPrefix();
    ~TempPrefix();

    std::filesystem::path root() const;
    // The folder behind drive C: (drive_c).
    std::filesystem::path driveC() const;
    // Adds a drive whose link points at `target` (created when missing).
    void addDrive(char letter, const std::filesystem::path& target);
    // Writes system.reg with the header, the given body, and optionally the win64 mark.
    void writeSystemReg(const std::string& body, bool win64 = false);
    // Writes a system.reg whose game folder value is `folder` (backslashes as typed).
    void setGameFolder(const std::string& folder, bool win64 = false);
    // Creates a file (and its folders) below the prefix's drive C:, e.g. "UT/Maps/A.unr".
    std::filesystem::path makeFile(const std::string& relative, const std::string& content = "x");
    std::filesystem::path makeFolder(const std::string& relative);

private:
    QTemporaryDir dir_;
    ScopedEnv wineprefix_;
};

// Escapes a Windows path for a registry file string: every backslash doubled.
std::string regEscape(const std::string& text);

std::string readFile(const std::filesystem::path& path);

} // namespace tolvane::test
