#pragma once
// Conversions between the program's UTF-8 text and the narrow Windows code page (Windows-1252),
// which batch files are written in and which the output of a job is decoded from.

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// Decodes Windows-1252 bytes into UTF-8. Every byte maps to one character; the five bytes that
// Windows-1252 leaves undefined map to the C1 control with the same number, as Windows does.
std::string narrowToUtf8(std::string_view bytes);

// Decodes a job's output, which arrives in pieces, into UTF-8. Each line is read as UTF-8 when it
// is valid UTF-8 (as programs built for this system write it) and as Windows-1252 otherwise (as
// Windows programs and the batch file's echoed lines give it): one piece can hold lines of both.
// A character cut off at the end of a piece is held back until the next piece completes it.
class OutputDecoder {
public:
    // Replaces `text` with the UTF-8 of the next piece, less any character held back.
    void decode(std::string_view bytes, std::string& text);
    // What is still held back once the output has ended, read as Windows-1252.
    std::string finish();

private:
    std::string held_;
    std::string line_;
};

// Encodes UTF-8 into Windows-1252. Returns nothing when a character has no byte in the code page
// or the input is not valid UTF-8.
std::optional<std::string> utf8ToNarrow(std::string_view text);

// Decodes one UTF-8 sequence at text[pos]; advances pos. Returns U+FFFD for a broken sequence.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t codePoint);

// Folds letter case the way Wine compares file names (each letter to its upper case), so that
// names typed in another case find the same file.
std::string foldCase(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace tolvane::platform
