#pragma once
// Splits a Windows command line into arguments the way a Windows program's start-up code does,
// so that a command line formed for Windows reaches a POSIX program with the same arguments.

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// Blanks and tabs separate arguments; double quotes group. The program name (the first
// argument) takes no escapes: quotes only group. In later arguments 2n backslashes before a
// quote give n backslashes and the quote groups, 2n+1 give n backslashes and a literal quote,
// other backslashes are literal, and two quotes in a row inside a group give a literal quote.
std::vector<std::string> splitCommandLine(std::string_view line);

} // namespace tolvane::platform
