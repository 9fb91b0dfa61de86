#pragma once
// Splits one line of a batch file into fields, the way the interpreter reads a command.
//
// - Blanks (space, tab) outside double quotes separate fields; double quotes group and are
//   removed. A pair of quotes with nothing inside gives an empty field.
// - "%%" gives one "%". "%NAME%" gives the value of the variable NAME. The value is taken
//   literally: blanks and quotes inside it neither split nor group, so a variable can never
//   change how the rest of the line is read.
// - A name holds no blank and no quote, so a reference never reaches across fields.
// - An unknown "%NAME%" and a lone "%" stay as typed. The Windows interpreter drops them in a
//   batch file; keeping them means a hand-written path never loses characters without a trace.
// - & | < > ^ ( ) are ordinary characters: there is no chaining, redirection or escaping, so no
//   file name can ever start a second command.
//
// Pure: the environment comes in through the lookup, which makes the parser easy to test and
// to fuzz.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::cmd {

using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

std::vector<std::string> splitFields(std::string_view line, const VariableLookup& lookup);

// The line with its variable references expanded by the same rules and nothing else changed:
// what the interpreter echoes before it runs the line.
std::string expandVariables(std::string_view line, const VariableLookup& lookup);

// Looks a variable up in the process environment: the exact name first, else a name that
// differs only in ASCII letter case, as Windows variable names ignore case.
std::optional<std::string> environmentVariable(std::string_view name);

} // namespace tolvane::cmd
