#pragma once
// Small helpers for driving the card model as the program's driver layer would.

#include "sim/protocol/CardTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace simcard::test {

// The control format: PCM stereo 44100/16 with the extra bytes "CTRL" and a zero.
inline std::vector<std::uint8_t> ControlFormat() {
    return {1, 0, 2,  0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0,
            4, 0, 16, 0, 4,    0,    'C', 'T', 'R',  'L',  0};
}

inline std::vector<std::uint8_t> Bytes32(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

inline std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                     std::uint32_t(b[at + 3]) << 24);
}

} // namespace simcard::test
