#pragma once
// Reads a batch file: Windows-1252 bytes, lines ending in CR LF or a bare LF.

#include "platform/files.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::cmd {

struct BatchLine {
    std::string bytes; // as stored, without the line end; echoed exactly like this
    std::string text;  // the same in UTF-8, which the fields are taken from
};

// Splits file contents into lines. Lines holding nothing but blanks are left out, as the
// interpreter skips them silently. A last line without a line end still counts.
std::vector<BatchLine> splitBatch(std::string_view contents);

// Reads the whole file at once, so that a file changed while a job runs cannot shift lines.
platform::SystemError readBatchFile(const std::filesystem::path& hostPath, std::string& contents);

} // namespace tolvane::cmd
