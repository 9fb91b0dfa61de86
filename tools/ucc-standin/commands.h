#pragma once
// The stand-in's two commands. Each prints progress lines as the game's tool does, and returns
// false after printing one error line.

#include <filesystem>
#include <iosfwd>
#include <string>

namespace tolvane::standin {

struct Output {
    std::ostream& out;
    std::ostream& err;
    // As the game's native tool: files are host paths only, and are shown as given.
    bool native = false;
};

// Writes `<file>.uz` beside the file, storing the file's name.
bool compressFile(const std::string& argument, Output output);

// Writes the file's .uz to `target`, or beside the file when `target` is empty.
bool compressFileTo(const std::string& argument, const std::filesystem::path& target,
                    Output output);

// Writes the name stored in the .uz file into `targetFolder`.
bool decompressFile(const std::string& argument, const std::filesystem::path& targetFolder,
                    Output output);

} // namespace tolvane::standin
