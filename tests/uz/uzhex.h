#pragma once
// Byte strings for the .uz tests, written as hex with optional blanks ("d2040000 04 41").

#include "uz/bytes.h"

#include <string_view>

namespace tolvane::test {

inline uz::Bytes hexBytes(std::string_view hex) {
    uz::Bytes out;
    int high = -1;
    for (char c : hex) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        }
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    return out;
}

inline uz::Bytes textBytes(std::string_view text) {
    return uz::Bytes(text.begin(), text.end());
}

} // namespace tolvane::test
