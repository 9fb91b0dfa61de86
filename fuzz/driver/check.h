#pragma once
// Property checks for fuzz targets. A failed check throws, so the built-in driver can record the
// input and carry on; under libFuzzer the exception ends the run as a crash with the input saved.

#include <stdexcept>
#include <string>

namespace tolvane::fuzz {

struct PropertyFailure : std::logic_error {
    using std::logic_error::logic_error;
};

[[noreturn]] inline void failProperty(const char* file, int line, const std::string& what) {
    throw PropertyFailure(std::string(file) + ":" + std::to_string(line) + ": " + what);
}

} // namespace tolvane::fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::tolvane::fuzz::failProperty(__FILE__, __LINE__, "check failed: " #condition);        \
        }                                                                                          \
    } while (false)
