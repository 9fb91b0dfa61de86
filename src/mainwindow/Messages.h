#pragma once
// Words the main window's handlers share with the user.

#include "job/Preflight.h"

namespace tolvane::messages {

inline constexpr const char* kErrorTitle = "Error~!";
using tolvane::kGameFolderMissing;

} // namespace tolvane::messages
