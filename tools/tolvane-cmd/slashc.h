#pragma once
// How the interpreter reads the command that follows "/c", as the Windows interpreter does.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::cmd {

// Our arguments after "/c" put back into one command line, the way wine builds a Windows
// command line from its arguments: an argument with a blank or tab, or an empty one, is quoted.
std::string joinArguments(const std::vector<std::string>& arguments);

// The Windows interpreter's rule for the text after "/c". The quotes are kept when the text
// holds exactly two, with at least one blank and none of & < > ( ) @ ^ | between them, and the
// text between them names an existing file. Otherwise, when the text starts with a quote, that
// quote and the last quote of the text are removed. So "C:\Program Files (x86)\x.bat" loses its
// quotes (and then fails at the first blank), and ""C:\Program Files (x86)\x.bat"" keeps one pair.
std::string applyQuoteRule(std::string_view text,
                           const std::function<bool(std::string_view)>& namesFile);

// The command's first word: from an opening quote to the next quote, else up to the first blank.
std::string firstWord(std::string_view text);

} // namespace tolvane::cmd
