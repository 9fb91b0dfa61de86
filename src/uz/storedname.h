#pragma once
// The original file name a .uz file carries: the engine's string serialisation (a compact-index
// count including the terminating NUL, then Latin-1 bytes, or UTF-16LE units when the count is
// negative), and the check that makes such an untrusted name safe to create a file with.

#include "uz/bytes.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::uz {

// Appends `name` (UTF-8) as the engine writes it: Latin-1 when every character fits, else UTF-16.
void appendStoredName(Bytes& out, std::string_view name);

// Reads a stored name and returns it as UTF-8. Throws when it is truncated, not NUL-terminated,
// holds a NUL inside or is not valid UTF-16. Does not judge the name itself (see below).
std::string readStoredName(ByteReader& in);

// Why a name may not be used as a plain file name in a folder of our choosing: empty, "." or
// "..", or holding a path separator, a drive colon, a NUL or another control character. Nothing
// when it is a plain file name.
std::optional<std::string> storedNameProblem(std::string_view name);

} // namespace tolvane::uz
