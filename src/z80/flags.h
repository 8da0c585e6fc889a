// Flag bits of the Z80's F register and the sign / zero / parity tables that
// both Z80 cores use. The tables never set bits 3 and 5: a core that models
// those bits adds them from its own source byte.
#pragma once

#include <array>
#include <cstdint>

namespace vimo::z80 {

inline constexpr uint8_t kFlagC = 0x01;   // carry
inline constexpr uint8_t kFlagN = 0x02;   // subtract
inline constexpr uint8_t kFlagPV = 0x04;  // parity / overflow
inline constexpr uint8_t kFlag3 = 0x08;   // undocumented bit 3
inline constexpr uint8_t kFlagH = 0x10;   // half carry
inline constexpr uint8_t kFlag5 = 0x20;   // undocumented bit 5
inline constexpr uint8_t kFlagZ = 0x40;   // zero
inline constexpr uint8_t kFlagS = 0x80;   // sign

// True when v has an even number of set bits (P/V as parity).
constexpr bool evenParity(uint8_t v) {
    unsigned bits = 0;
    for (unsigned b = 0; b < 8; ++b) {
        bits += (v >> b) & 1u;
    }
    return (bits & 1u) == 0;
}

// S and Z of a byte result.
inline constexpr std::array<uint8_t, 256> kSzFlags = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned v = 0; v < 256; ++v) {
        t[v] = static_cast<uint8_t>((v & kFlagS) | (v == 0 ? kFlagZ : 0));
    }
    return t;
}();

// S, Z and P/V (even parity) of a byte result.
inline constexpr std::array<uint8_t, 256> kSzpFlags = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned v = 0; v < 256; ++v) {
        t[v] = static_cast<uint8_t>(kSzFlags[v] | (evenParity(static_cast<uint8_t>(v)) ? kFlagPV : 0));
    }
    return t;
}();

}  // namespace vimo::z80
