#include "uz/mtf.h"

#include <array>
#include <numeric>

namespace tolvane::uz {

namespace {
std::array<std::uint8_t, 256> identityList() {
    std::array<std::uint8_t, 256> list{};
    std::iota(list.begin(), list.end(), 0);
    return list;
}
} // namespace

void mtfEncode(Bytes& data) {
    auto list = identityList();
    for (std::uint8_t& byte : data) {
        const std::uint8_t value = byte;
        std::size_t index = 0;
        while (list[index] != value) {
            ++index;
        }
        for (std::size_t i = index; i > 0; --i) {
            list[i] = list[i - 1];
        }
        list[0] = value;
        byte = static_cast<std::uint8_t>(index);
    }
}

void mtfDecode(Bytes& data) {
    auto list = identityList();
    for (std::uint8_t& byte : data) {
        const std::size_t index = byte;
        const std::uint8_t value = list[index];
        for (std::size_t i = index; i > 0; --i) {
            list[i] = list[i - 1];
        }
        list[0] = value;
        byte = value;
    }
}

} // namespace tolvane::uz
