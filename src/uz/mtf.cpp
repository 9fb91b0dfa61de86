#include "uz/mtf.h"

#include <array>
#include <cstring>
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
    std::uint8_t* front = list.data();
    for (std::uint8_t* byte = data.data(); byte != data.data() + data.size(); ++byte) {
        const std::uint8_t value = *byte;
        std::uint8_t* at = front;
        while (*at != value) {
            ++at;
        }
        const auto index = static_cast<std::size_t>(at - front);
        std::memmove(front + 1, front, index);
        *front = value;
        *byte = static_cast<std::uint8_t>(index);
    }
}

void mtfDecode(Bytes& data) {
    auto list = identityList();
    std::uint8_t* front = list.data();
    for (std::uint8_t* byte = data.data(); byte != data.data() + data.size(); ++byte) {
        const std::size_t index = *byte;
        const std::uint8_t value = front[index];
        std::memmove(front + 1, front, index);
        *front = value;
        *byte = value;
    }
}

} // namespace tolvane::uz
