#pragma once
// What the interpreter writes: its own lines in Windows-1252 with CR LF, straight to the
// descriptors it shares with the programs it starts, so everything arrives in order.

#include <string>
#include <string_view>

namespace tolvane::cmd {

// Unbuffered writes. A failure (the reader has gone) is ignored: the job goes on regardless.
void writeOut(std::string_view bytes);
void writeErr(std::string_view bytes);

// UTF-8 text in Windows-1252; a character the code page lacks becomes '?'.
std::string toConsole(std::string_view utf8);

// The Windows interpreter's words for an error code, without the line end.
std::string windowsMessage(int code);

// "'name' is not recognized ..." in its two lines, and the same written to our error output.
std::string notRecognized(std::string_view nameUtf8);
void reportNotRecognized(std::string_view nameUtf8);

constexpr int kNotRecognized = 9009;

} // namespace tolvane::cmd
