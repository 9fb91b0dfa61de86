#pragma once
// Whole-file reading and all-or-nothing writing for the stand-in tool.

#include "uz/bytes.h"

#include <filesystem>
#include <string>

namespace tolvane::standin {

// Reads a whole file of at most `maxSize` bytes; on failure returns false with the reason.
bool readWholeFile(const std::filesystem::path& path, std::size_t maxSize, uz::Bytes& bytes,
                   std::string& error);

// Writes the bytes to a temporary file in the target's folder and renames it over the target
// once everything is on disk, so the target never holds half a file. On failure nothing is left
// behind and the reason is returned.
bool writeFileAtomically(const std::filesystem::path& target, const uz::Bytes& bytes,
                         std::string& error);

// The folder this program's executable lies in, and the executable's file name.
std::filesystem::path executableFolder();
std::filesystem::path executableName();

} // namespace tolvane::standin
