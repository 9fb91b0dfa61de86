#pragma once
// Move-to-front over the 256 byte values, in place.

#include "uz/bytes.h"

namespace tolvane::uz {

void mtfEncode(Bytes& data);
void mtfDecode(Bytes& data);

} // namespace tolvane::uz
