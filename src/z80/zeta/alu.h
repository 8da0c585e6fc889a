// Arithmetic and flag rules of the Zeta core, shared by the unprefixed, CB,
// ED and index families. Bits 3 and 5 of F are not modelled: every rule whose
// flags come from a result leaves them 0; the few that keep F's other bits
// keep them too.
#pragma once

#include <cstdint>

#include "z80/flags.h"
#include "z80/zeta/access.h"

namespace vimo::zeta {

using z80::kFlag3;
using z80::kFlag5;
using z80::kFlagC;
using z80::kFlagH;
using z80::kFlagN;
using z80::kFlagPV;
using z80::kFlagS;
using z80::kFlagZ;
using z80::kSzFlags;
using z80::kSzpFlags;

enum class AluOp { add, adc, sub, sbc, and_, xor_, or_, cp };

// ADD, ADC, SUB, SBC, AND, XOR, OR and CP of A with a byte.
template <AluOp Op>
inline void alu(ZetaCore& z, uint8_t value) {
    const uint8_t a = z.reg[kA];
    if constexpr (Op == AluOp::add || Op == AluOp::adc) {
        const unsigned carry = Op == AluOp::adc ? (z.reg[kF] & kFlagC) : 0u;
        const unsigned sum = a + value + carry;
        const auto result = static_cast<uint8_t>(sum);
        const unsigned overflow = ((a ^ value ^ 0x80u) & (a ^ result) & 0x80u) >> 5;
        z.reg[kF] = static_cast<uint8_t>(kSzFlags[result] | ((a ^ value ^ result) & kFlagH) | overflow |
                                         (sum >> 8));
        z.reg[kA] = result;
    } else if constexpr (Op == AluOp::sub || Op == AluOp::sbc || Op == AluOp::cp) {
        const unsigned carry = Op == AluOp::sbc ? (z.reg[kF] & kFlagC) : 0u;
        const unsigned difference = a - value - carry;  // wraps: bit 8 is the borrow
        const auto result = static_cast<uint8_t>(difference);
        const unsigned overflow = ((a ^ value) & (a ^ result) & 0x80u) >> 5;
        z.reg[kF] = static_cast<uint8_t>(kSzFlags[result] | ((a ^ value ^ result) & kFlagH) | overflow |
                                         kFlagN | ((difference >> 8) & kFlagC));
        if constexpr (Op != AluOp::cp) {
            z.reg[kA] = result;
        }
    } else if constexpr (Op == AluOp::and_) {
        const auto result = static_cast<uint8_t>(a & value);
        z.reg[kF] = static_cast<uint8_t>(kSzpFlags[result] | kFlagH);
        z.reg[kA] = result;
    } else if constexpr (Op == AluOp::xor_) {
        const auto result = static_cast<uint8_t>(a ^ value);
        z.reg[kF] = kSzpFlags[result];
        z.reg[kA] = result;
    } else {
        const auto result = static_cast<uint8_t>(a | value);
        z.reg[kF] = kSzpFlags[result];
        z.reg[kA] = result;
    }
}

// The ALU operation of opcode bits 5-3 (ADD ADC SUB SBC AND XOR OR CP).
constexpr AluOp aluOpOf(int y) { return static_cast<AluOp>(y); }

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

// The CB rotates and shifts by opcode bits 5-3: RLC RRC RL RR SLA SRA SLL SRL.
enum class ShiftOp { rlc, rrc, rl, rr, sla, sra, sll, srl };

constexpr ShiftOp shiftOpOf(int y) { return static_cast<ShiftOp>(y); }

// S, Z and P/V come from the result, C is the bit shifted out, H and N clear.
// SLL takes S, Z and P/V from the value shifted left before bit 0 is set.
template <ShiftOp Op>
inline uint8_t shift(ZetaCore& z, uint8_t value) {
    const unsigned carryIn = z.reg[kF] & kFlagC;
    uint8_t result;
    unsigned carryOut;
    uint8_t flagSource;
    if constexpr (Op == ShiftOp::rlc) {
        result = static_cast<uint8_t>((value << 1) | (value >> 7));
        carryOut = value >> 7;
    } else if constexpr (Op == ShiftOp::rrc) {
        result = static_cast<uint8_t>((value >> 1) | (value << 7));
        carryOut = value & 1u;
    } else if constexpr (Op == ShiftOp::rl) {
        result = static_cast<uint8_t>((value << 1) | carryIn);
        carryOut = value >> 7;
    } else if constexpr (Op == ShiftOp::rr) {
        result = static_cast<uint8_t>((value >> 1) | (carryIn << 7));
        carryOut = value & 1u;
    } else if constexpr (Op == ShiftOp::sla) {
        result = static_cast<uint8_t>(value << 1);
        carryOut = value >> 7;
    } else if constexpr (Op == ShiftOp::sra) {
        result = static_cast<uint8_t>((value >> 1) | (value & 0x80u));
        carryOut = value & 1u;
    } else if constexpr (Op == ShiftOp::sll) {
        result = static_cast<uint8_t>((value << 1) | 1u);
        carryOut = value >> 7;
    } else {
        result = static_cast<uint8_t>(value >> 1);
        carryOut = value & 1u;
    }
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
    const unsigned sum = static_cast<unsigned>(left) + right + (z.reg[kF] & kFlagC);
    const auto result = static_cast<uint16_t>(sum);
    const unsigned overflow = ((left ^ right ^ 0x8000u) & (left ^ result) & 0x8000u) >> 13;
    z.reg[kF] = static_cast<uint8_t>(((result >> 8) & kFlagS) | (result == 0 ? kFlagZ : 0) |
                                     (((left ^ right ^ result) >> 8) & kFlagH) | overflow | (sum >> 16));
    return result;
}

inline uint16_t sbc16(ZetaCore& z, uint16_t left, uint16_t right) {
    const unsigned difference = static_cast<unsigned>(left) - right - (z.reg[kF] & kFlagC);
    const auto result = static_cast<uint16_t>(difference);
    const unsigned overflow = ((left ^ right) & (left ^ result) & 0x8000u) >> 13;
    z.reg[kF] = static_cast<uint8_t>(((result >> 8) & kFlagS) | (result == 0 ? kFlagZ : 0) |
                                     (((left ^ right ^ result) >> 8) & kFlagH) | overflow | kFlagN |
                                     ((difference >> 16) & kFlagC));
    return result;
}

// The condition field of JP cc, JR cc, CALL cc and RET cc: NZ Z NC C PO PE P M.
template <int Cc>
inline bool condition(const ZetaCore& z) {
    const uint8_t f = z.reg[kF];
    constexpr uint8_t kMasks[4] = {kFlagZ, kFlagC, kFlagPV, kFlagS};
    const bool set = (f & kMasks[Cc >> 1]) != 0;
    return (Cc & 1) != 0 ? set : !set;
}

}  // namespace vimo::zeta
