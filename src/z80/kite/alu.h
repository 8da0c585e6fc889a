// Arithmetic and flag rules of the Kite core, shared by the unprefixed, CB,
// ED and index families. Every rule produces F whole, bits 3 and 5 included,
// from the source byte the instruction defines for them (the result, the
// operand of CP, A for SCF and CCF, the high byte of a 16-bit result ...);
// rules that leave bits 3 and 5 alone keep them from the current F.
#pragma once

#include <cstdint>

#include "z80/flags.h"
#include "z80/kite/access.h"
#include "z80/kite/tables.h"

namespace vimo::kite {

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

constexpr uint8_t kFlags35 = kFlag3 | kFlag5;

inline uint8_t bits35(unsigned source) { return static_cast<uint8_t>(source & kFlags35); }

enum class AluOp { add, adc, sub, sbc, and_, xor_, or_, cp };

constexpr AluOp aluOpOf(int y) { return static_cast<AluOp>(y); }

// ADD, ADC, SUB, SBC, AND, XOR, OR and CP of A with a byte. Bits 3 and 5 come
// from the result, for CP from the operand.
template <AluOp Op>
inline void alu(KiteCore& k, uint8_t value) {
    const uint8_t a = k.reg[kA];
    if constexpr (Op == AluOp::add || Op == AluOp::adc) {
        const unsigned carry = Op == AluOp::adc ? (k.reg[kF] & kFlagC) : 0u;
        const unsigned sum = a + value + carry;
        const auto result = static_cast<uint8_t>(sum);
        const unsigned overflow = ((a ^ value ^ 0x80u) & (a ^ result) & 0x80u) >> 5;
        k.reg[kF] = static_cast<uint8_t>(kSzFlags[result] | bits35(result) | ((a ^ value ^ result) & kFlagH) |
                                         overflow | (sum >> 8));
        k.reg[kA] = result;
    } else if constexpr (Op == AluOp::sub || Op == AluOp::sbc || Op == AluOp::cp) {
        const unsigned carry = Op == AluOp::sbc ? (k.reg[kF] & kFlagC) : 0u;
        const unsigned difference = a - value - carry;  // unsigned wrap: bit 8 is the borrow
        const auto result = static_cast<uint8_t>(difference);
        const unsigned overflow = ((a ^ value) & (a ^ result) & 0x80u) >> 5;
        const uint8_t source = Op == AluOp::cp ? value : result;
        k.reg[kF] = static_cast<uint8_t>(kSzFlags[result] | bits35(source) | ((a ^ value ^ result) & kFlagH) |
                                         overflow | kFlagN | ((difference >> 8) & kFlagC));
        if constexpr (Op != AluOp::cp) {
            k.reg[kA] = result;
        }
    } else {
        uint8_t result;
        uint8_t half = 0;
        if constexpr (Op == AluOp::and_) {
            result = static_cast<uint8_t>(a & value);
            half = kFlagH;
        } else if constexpr (Op == AluOp::xor_) {
            result = static_cast<uint8_t>(a ^ value);
        } else {
            result = static_cast<uint8_t>(a | value);
        }
        k.reg[kF] = static_cast<uint8_t>(kSzpFlags[result] | bits35(result) | half);
        k.reg[kA] = result;
    }
}

// INC and DEC of a byte: F from the tables, C kept.
inline uint8_t inc8(KiteCore& k, uint8_t value) {
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kiteIncFlags[value]);
    return static_cast<uint8_t>(value + 1);
}

inline uint8_t dec8(KiteCore& k, uint8_t value) {
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kiteDecFlags[value]);
    return static_cast<uint8_t>(value - 1);
}

// The CB rotates and shifts by opcode bits 5-3: RLC RRC RL RR SLA SRA SLL SRL.
enum class ShiftOp { rlc, rrc, rl, rr, sla, sra, sll, srl };

constexpr ShiftOp shiftOpOf(int y) { return static_cast<ShiftOp>(y); }

// The rotated or shifted byte and the bit shifted out.
template <ShiftOp Op>
inline uint8_t shifted(uint8_t value, unsigned carryIn, unsigned& carryOut) {
    if constexpr (Op == ShiftOp::rlc) {
        carryOut = value >> 7;
        return static_cast<uint8_t>((value << 1) | (value >> 7));
    } else if constexpr (Op == ShiftOp::rrc) {
        carryOut = value & 1u;
        return static_cast<uint8_t>((value >> 1) | (value << 7));
    } else if constexpr (Op == ShiftOp::rl) {
        carryOut = value >> 7;
        return static_cast<uint8_t>((value << 1) | carryIn);
    } else if constexpr (Op == ShiftOp::rr) {
        carryOut = value & 1u;
        return static_cast<uint8_t>((value >> 1) | (carryIn << 7));
    } else if constexpr (Op == ShiftOp::sla) {
        carryOut = value >> 7;
        return static_cast<uint8_t>(value << 1);
    } else if constexpr (Op == ShiftOp::sra) {
        carryOut = value & 1u;
        return static_cast<uint8_t>((value >> 1) | (value & 0x80u));
    } else if constexpr (Op == ShiftOp::sll) {
        carryOut = value >> 7;
        return static_cast<uint8_t>((value << 1) | 1u);
    } else {
        carryOut = value & 1u;
        return static_cast<uint8_t>(value >> 1);
    }
}

// CB rotates and shifts: S, Z, P/V, 5 and 3 from the result, H and N clear,
// C the bit shifted out.
template <ShiftOp Op>
inline uint8_t shift(KiteCore& k, uint8_t value) {
    unsigned carryOut = 0;
    const uint8_t result = shifted<Op>(value, k.reg[kF] & kFlagC, carryOut);
    k.reg[kF] = static_cast<uint8_t>(kSzpFlags[result] | bits35(result) | carryOut);
    return result;
}

// RLCA, RRCA, RLA, RRA: S, Z and P/V kept, 5 and 3 from the new A, H and N
// clear, C the bit shifted out.
template <ShiftOp Op>
inline void shiftA(KiteCore& k) {
    unsigned carryOut = 0;
    const uint8_t result = shifted<Op>(k.reg[kA], k.reg[kF] & kFlagC, carryOut);
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & (kFlagS | kFlagZ | kFlagPV)) | bits35(result) | carryOut);
    k.reg[kA] = result;
}

// BIT y: Z and P/V set when the bit is 0, H set, N clear, S only for a set
// bit 7, C kept; bits 3 and 5 from `source` (the register for BIT y,r, the
// high byte of the address for BIT y,(IX+d), F itself for BIT y,(HL), which
// keeps them).
inline void bitTest(KiteCore& k, int y, uint8_t value, uint8_t source) {
    const bool set = ((value >> y) & 1u) != 0;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | bits35(source) | kFlagH |
                                     (set ? 0 : (kFlagZ | kFlagPV)) | (set && y == 7 ? kFlagS : 0));
}

// ADD HL,rr / ADD IX,rr: H from bit 11, C from bit 15, N clear, S, Z and
// P/V kept, 5 and 3 from the result's high byte.
inline uint16_t add16(KiteCore& k, uint16_t left, uint16_t right) {
    const unsigned sum = static_cast<unsigned>(left) + right;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & (kFlagS | kFlagZ | kFlagPV)) | bits35(sum >> 8) |
                                     (((left ^ right ^ sum) >> 8) & kFlagH) | (sum >> 16));
    return static_cast<uint16_t>(sum);
}

// ADC HL,rr and SBC HL,rr: 16-bit S and Z, H from bit 11, P/V the overflow,
// 5 and 3 from the result's high byte.
inline uint16_t adc16(KiteCore& k, uint16_t left, uint16_t right) {
    const unsigned sum = static_cast<unsigned>(left) + right + (k.reg[kF] & kFlagC);
    const auto result = static_cast<uint16_t>(sum);
    const unsigned overflow = ((left ^ right ^ 0x8000u) & (left ^ result) & 0x8000u) >> 13;
    k.reg[kF] = static_cast<uint8_t>(((result >> 8) & (kFlagS | kFlags35)) | (result == 0 ? kFlagZ : 0) |
                                     (((left ^ right ^ result) >> 8) & kFlagH) | overflow | (sum >> 16));
    return result;
}

inline uint16_t sbc16(KiteCore& k, uint16_t left, uint16_t right) {
    const unsigned difference = static_cast<unsigned>(left) - right - (k.reg[kF] & kFlagC);
    const auto result = static_cast<uint16_t>(difference);
    const unsigned overflow = ((left ^ right) & (left ^ result) & 0x8000u) >> 13;
    k.reg[kF] = static_cast<uint8_t>(((result >> 8) & (kFlagS | kFlags35)) | (result == 0 ? kFlagZ : 0) |
                                     (((left ^ right ^ result) >> 8) & kFlagH) | overflow | kFlagN |
                                     ((difference >> 16) & kFlagC));
    return result;
}

// The condition field of JP cc, JR cc, CALL cc and RET cc: NZ Z NC C PO PE P M.
template <int Cc>
inline bool condition(const KiteCore& k) {
    const uint8_t f = k.reg[kF];
    constexpr uint8_t kMasks[4] = {kFlagZ, kFlagC, kFlagPV, kFlagS};
    const bool set = (f & kMasks[Cc >> 1]) != 0;
    return (Cc & 1) != 0 ? set : !set;
}

}  // namespace vimo::kite
