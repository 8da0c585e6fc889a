// The Kite core's flag tables: INC and DEC of every operand value and the
// DAA results, with the undocumented bits 3 and 5 of F included. Built at
// compile time from the rules they encode.
#pragma once

#include <array>
#include <cstdint>

#include "z80/flags.h"

namespace vimo {

// F after INC of each operand value, C excluded: S, 5, 3 from the result, Z
// when it is 0, H when the operand's low nibble is 0xF, P/V when the operand
// is 0x7F, N clear.
inline constexpr std::array<uint8_t, 256> kiteIncFlags = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned v = 0; v < 256; ++v) {
        const auto result = static_cast<uint8_t>(v + 1);
        t[v] = static_cast<uint8_t>(z80::kSzFlags[result] | (result & (z80::kFlag3 | z80::kFlag5)) |
                                    ((v & 0x0F) == 0x0F ? z80::kFlagH : 0) | (v == 0x7F ? z80::kFlagPV : 0));
    }
    return t;
}();

// F after DEC of each operand value, C excluded: S, 5, 3 from the result, Z
// when it is 0, H when the operand's low nibble is 0, P/V when the operand is
// 0x80, N set.
inline constexpr std::array<uint8_t, 256> kiteDecFlags = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned v = 0; v < 256; ++v) {
        const auto result = static_cast<uint8_t>(v - 1);
        t[v] = static_cast<uint8_t>(z80::kSzFlags[result] | (result & (z80::kFlag3 | z80::kFlag5)) |
                                    ((v & 0x0F) == 0 ? z80::kFlagH : 0) | (v == 0x80 ? z80::kFlagPV : 0) |
                                    z80::kFlagN);
    }
    return t;
}();

// DAA: two tables of 1024 entries, the first for H clear and the second for H
// set, indexed by N x 512 + C x 256 + A; each entry holds the new A in bits
// 0-7 and the new F in bits 8-15.
inline constexpr std::array<std::array<uint16_t, 1024>, 2> kiteDaaTables = [] {
    std::array<std::array<uint16_t, 1024>, 2> t{};
    for (unsigned h = 0; h < 2; ++h) {
        for (unsigned index = 0; index < 1024; ++index) {
            const unsigned a = index & 0xFF;
            const bool carry = (index & 0x100) != 0;
            const bool subtract = (index & 0x200) != 0;
            const unsigned lowNibble = a & 0x0F;
            unsigned correction = 0;
            if (h != 0 || lowNibble > 9) {
                correction |= 0x06;
            }
            const bool carryOut = carry || a > 0x99;
            if (carryOut) {
                correction |= 0x60;
            }
            const auto result = static_cast<uint8_t>(subtract ? a - correction : a + correction);
            const bool halfOut = subtract ? (h != 0 && lowNibble < 6) : lowNibble > 9;
            const auto f = static_cast<uint8_t>(z80::kSzpFlags[result] | (result & (z80::kFlag3 | z80::kFlag5)) |
                                                (halfOut ? z80::kFlagH : 0) | (subtract ? z80::kFlagN : 0) |
                                                (carryOut ? z80::kFlagC : 0));
            t[h][index] = static_cast<uint16_t>(result | (f << 8));
        }
    }
    return t;
}();

}  // namespace vimo
