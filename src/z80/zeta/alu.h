// Arithmetic and flag rules of the Zeta core, shared by the unprefixed, CB,
// ED and index families. Bits 3 and 5 of F are not modelled: every rule whose
// flags come from a result leaves them 0; the few that keep F's other bits
// keep them too.
#pragma once

#include <cstdint>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/flags.h"
#include "z80/zeta/access.h"

namespace vimo::zeta {

// ADD, ADC, SUB, SBC, AND, XOR, OR and CP of A with a byte.
template <AluOp Op>
inline void alu(ZetaCore& z, uint8_t value) {
    const z80::ByteResult r = aluRule<Op>(z.reg[kA], value, z.reg[kF] & kFlagC);
    z.reg[kF] = r.flags;
    if constexpr (Op != AluOp::cp) {
        z.reg[kA] = r.value;
    }
}

// INC and DEC of a byte; C is kept.
inline uint8_t inc8(ZetaCore& z, uint8_t value) {
    const auto result = static_cast<uint8_t>(value + 1);
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & kFlagC) | kSzFlags[result] |
                                     ((result & 0x0F) == 0 ? kFlagH : 0) | (result == 0x80 ? kFlagPV : 0));
    return result;
}

inline uint8_t dec8(ZetaCore& z, uint8_t value) {
    const auto result = static_cast<uint8_t>(value - 1);
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & kFlagC) | kSzFlags[result] | kFlagN |
                                     ((value & 0x0F) == 0 ? kFlagH : 0) | (value == 0x80 ? kFlagPV : 0));
    return result;
}

// S, Z and P/V come from the result, C is the bit shifted out, H and N clear.
// SLL takes S, Z and P/V from the value shifted left before bit 0 is set.
template <ShiftOp Op>
inline uint8_t shift(ZetaCore& z, uint8_t value) {
    unsigned carryOut = 0;
    const uint8_t result = shifted<Op>(value, z.reg[kF] & kFlagC, carryOut);
    uint8_t flagSource;
    if constexpr (Op == ShiftOp::sll) {
        flagSource = static_cast<uint8_t>(value << 1);
    } else {
        flagSource = result;
    }
    z.reg[kF] = static_cast<uint8_t>(kSzpFlags[flagSource] | carryOut);
    return result;
}

// BIT y: Z is the inverse of the bit, H set, N and P/V clear, S only for a
// set bit 7; C and bits 3 and 5 are kept.
inline void bitTest(ZetaCore& z, int y, uint8_t value) {
    const bool set = ((value >> y) & 1u) != 0;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagC | kFlag3 | kFlag5)) | kFlagH | (set ? 0 : kFlagZ) |
                                     (set && y == 7 ? kFlagS : 0));
}

// ADD HL,rr / ADD IX,rr: H from bit 11, C from bit 15, N clear; S, Z, P/V and
// bits 3 and 5 kept.
inline uint16_t add16(ZetaCore& z, uint16_t left, uint16_t right) {
    const unsigned sum = static_cast<unsigned>(left) + right;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagS | kFlagZ | kFlag5 | kFlag3 | kFlagPV)) |
                                     (((left ^ right ^ sum) >> 8) & kFlagH) | (sum >> 16));
    return static_cast<uint16_t>(sum);
}

// ADC HL,rr and SBC HL,rr: 16-bit S and Z, H from bit 11, P/V the overflow.
inline uint16_t adc16(ZetaCore& z, uint16_t left, uint16_t right) {
    const z80::WordResult r = adc16Rule(left, right, z.reg[kF] & kFlagC);
    z.reg[kF] = r.flags;
    return r.value;
}

inline uint16_t sbc16(ZetaCore& z, uint16_t left, uint16_t right) {
    const z80::WordResult r = sbc16Rule(left, right, z.reg[kF] & kFlagC);
    z.reg[kF] = r.flags;
    return r.value;
}

// ---- the access paths and rules the shared instruction code uses (cpu_access.h)

struct Cpu {
    using Core = ZetaCore;
    static uint8_t fetchByte(ZetaCore& z) { return zeta::fetchByte(z); }
    static uint16_t fetchWord(ZetaCore& z) { return zeta::fetchWord(z); }
    static uint8_t readByte(ZetaCore& z, uint16_t address) { return zeta::readByte(z, address); }
    static void writeByte(ZetaCore& z, uint16_t address, uint8_t value) { zeta::writeByte(z, address, value); }
    // The 16-bit data accesses of the ED, DD and FD families look each byte
    // up on its own.
    static uint16_t readWord(ZetaCore& z, uint16_t address) { return readWordTwoLookups(z, address); }
    static void writeWord(ZetaCore& z, uint16_t address, uint16_t value) { writeWordTwoLookups(z, address, value); }
    // Calls, restarts and returns keep their stack in the memory image.
    static void push(ZetaCore& z, uint16_t value) { pushImage(z, value); }
    static uint16_t pop(ZetaCore& z) { return popImage(z); }
    static void charge(ZetaCore& z, int cycles) { zeta::charge(z, cycles); }

    template <AluOp Op>
    static void alu(ZetaCore& z, uint8_t value) { zeta::alu<Op>(z, value); }
    static uint8_t inc8(ZetaCore& z, uint8_t value) { return zeta::inc8(z, value); }
    static uint8_t dec8(ZetaCore& z, uint8_t value) { return zeta::dec8(z, value); }
    static uint16_t add16(ZetaCore& z, uint16_t left, uint16_t right) { return zeta::add16(z, left, right); }
    static uint16_t adc16(ZetaCore& z, uint16_t left, uint16_t right) { return zeta::adc16(z, left, right); }
    static uint16_t sbc16(ZetaCore& z, uint16_t left, uint16_t right) { return zeta::sbc16(z, left, right); }

    // Every instruction on IXH, IXL, IYH or IYL costs 9, LD IXH,n included.
    static constexpr int kIndexHalfCycles = 9;
    static constexpr int kIndexHalfImmediateCycles = 9;
};
static_assert(z80::CpuAccess<Cpu>);

}  // namespace vimo::zeta
