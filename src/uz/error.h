#pragma once
// The one failure a .uz reader reports: the file is not a well-formed .uz file, or it would
// decompress to more than the caller allows. The text says what is wrong, for one line of output.

#include <stdexcept>
#include <string>

namespace tolvane::uz {

class UzError : public std::runtime_error {
public:
    explicit UzError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace tolvane::uz
