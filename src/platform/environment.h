#pragma once
// What the running program knows of its surroundings.

#include <string>
#include <string_view>

namespace tolvane::platform {

// The value of an environment variable (UTF-8); empty when it is not set.
std::string environmentVariable(std::string_view name);

// Sets an environment variable (UTF-8) for this program and the programs it starts from now on;
// an empty value removes it.
void setEnvironmentVariable(std::string_view name, std::string_view value);

// The folder of the running executable, ending in its separator; empty when it cannot be told.
std::string ownProgramFolder();

} // namespace tolvane::platform
