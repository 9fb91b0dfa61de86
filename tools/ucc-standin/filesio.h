#pragma once
// Whole-file reading and all-or-nothing writing for the stand-in tool.

#include "uz/bytes.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::standin {

// Reads a whole file of at most `maxSize` bytes; on failure returns false with the reason.
bool readWholeFile(const std::filesystem::path& path, std::size_t maxSize, uz::Bytes& bytes,
                   std::string& error);

// Writes the bytes to a temporary file in the target's folder and renames it over the target
// once everything is on disk, so the target never holds half a file. On failure nothing is left
// behind and the reason is returned.
bool writeFileAtomically(const std::filesystem::path& target, const uz::Bytes& bytes,
                         std::string& error);

// A path from the program's UTF-8 text, and the UTF-8 text of a path. On Linux both are the bytes;
// on Windows, where a path is UTF-16, the narrow forms would go through the ANSI code page.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8Of(const std::filesystem::path& path);

// The command line's arguments after the program's name, as UTF-8.
std::vector<std::string> commandArguments(int argc, char** argv);

// The folder this program's executable lies in, and the executable's file name.
std::filesystem::path executableFolder();
std::filesystem::path executableName();

} // namespace tolvane::standin
