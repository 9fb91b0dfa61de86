#pragma once
// The stand-in's two commands. Each prints progress lines as the game's tool does, and returns
// false after printing one error line.

#include "uz/bytes.h"
#include <filesystem>

#include <iosfwd>
#include <optional>
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

// Where Tolvane's own tool leaves decompressed files: the System folder of the game folder that
// TOLVANE_GAME_FOLDER names (a Windows or host path), else of the working folder; made when
// missing, and never the tool's own folder. Nothing, with the reason, when it cannot be.
std::optional<std::filesystem::path> gameSystemFolder(std::string& error);

// Whether the .uz file at `target` decodes to exactly `data` stored under `name`; false with the
// reason when it does not or cannot be read.
bool uzFileHolds(const std::filesystem::path& target, const uz::Bytes& data,
                 const std::string& name, std::string& error);

} // namespace tolvane::standin
