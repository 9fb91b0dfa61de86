#pragma once

#include "platform/files.h"

namespace tolvane::platform {

// The Windows error code that matches an errno value, and the system's text for it.
int windowsCodeForErrno(int err);
SystemError errorFromErrno(int err);

} // namespace tolvane::platform
