// Arithmetic and flag rules that both Z80 cores share: the 8-bit ALU
// operations, the 16-bit ADC and SBC, the CB rotates and shifts, and the
// condition field. The rules give F without bits 3 and 5; a core that models
// those bits adds them from the source byte its own rules name.
#pragma once

#include <cstdint>

#include "z80/flags.h"
#include "z80/registers.h"

namespace vimo::z80 {

// The ALU operation of opcode bits 5-3: ADD ADC SUB SBC AND XOR OR CP.
enum class AluOp { add, adc, sub, sbc, and_, xor_, or_, cp };

constexpr AluOp aluOpOf(int y) { return static_cast<AluOp>(y); }

// A result byte or word and the flags the rule gives it (bits 3 and 5 clear).
struct ByteResult {
    uint8_t value;
    uint8_t flags;
};

struct WordResult {
    uint16_t value;
    uint8_t flags;
};

// ADD, ADC, SUB, SBC, AND, XOR, OR and CP of `a` with a byte; `carryIn` is
// F's C (only ADC and SBC use it). For CP the value is the difference, which
// the instruction does not keep.
template <AluOp Op>
inline ByteResult aluRule(uint8_t a, uint8_t value, unsigned carryIn) {
    if constexpr (Op == AluOp::add || Op == AluOp::adc) {
        const unsigned carry = Op == AluOp::adc ? carryIn : 0u;
        const unsigned sum = a + value + carry;
        const auto result = static_cast<uint8_t>(sum);
        const unsigned overflow = ((a ^ value ^ 0x80u) & (a ^ result) & 0x80u) >> 5;
        return {result,
                static_cast<uint8_t>(kSzFlags[result] | ((a ^ value ^ result) & kFlagH) | overflow | (sum >> 8))};
    } else if constexpr (Op == AluOp::sub || Op == AluOp::sbc || Op == AluOp::cp) {
        const unsigned carry = Op == AluOp::sbc ? carryIn : 0u;
        const unsigned difference = a - value - carry;  // unsigned wrap: bit 8 is the borrow
        const auto result = static_cast<uint8_t>(difference);
        const unsigned overflow = ((a ^ value) & (a ^ result) & 0x80u) >> 5;
        return {result, static_cast<uint8_t>(kSzFlags[result] | ((a ^ value ^ result) & kFlagH) | overflow |
                                             kFlagN | ((difference >> 8) & kFlagC))};
    } else if constexpr (Op == AluOp::and_) {
        const auto result = static_cast<uint8_t>(a & value);
        return {result, static_cast<uint8_t>(kSzpFlags[result] | kFlagH)};
    } else if constexpr (Op == AluOp::xor_) {
        const auto result = static_cast<uint8_t>(a ^ value);
        return {result, kSzpFlags[result]};
    } else {
        const auto result = static_cast<uint8_t>(a | value);
        return {result, kSzpFlags[result]};
    }
}

// ADC HL,rr and SBC HL,rr: 16-bit S and Z, H from bit 11, P/V the overflow.
inline WordResult adc16Rule(uint16_t left, uint16_t right, unsigned carryIn) {
    const unsigned sum = static_cast<unsigned>(left) + right + carryIn;
    const auto result = static_cast<uint16_t>(sum);
    const unsigned overflow = ((left ^ right ^ 0x8000u) & (left ^ result) & 0x8000u) >> 13;
    return {result, static_cast<uint8_t>(((result >> 8) & kFlagS) | (result == 0 ? kFlagZ : 0) |
                                         (((left ^ right ^ result) >> 8) & kFlagH) | overflow | (sum >> 16))};
}

inline WordResult sbc16Rule(uint16_t left, uint16_t right, unsigned carryIn) {
    const unsigned difference = static_cast<unsigned>(left) - right - carryIn;
    const auto result = static_cast<uint16_t>(difference);
    const unsigned overflow = ((left ^ right) & (left ^ result) & 0x8000u) >> 13;
    return {result,
            static_cast<uint8_t>(((result >> 8) & kFlagS) | (result == 0 ? kFlagZ : 0) |
                                 (((left ^ right ^ result) >> 8) & kFlagH) | overflow | kFlagN |
                                 ((difference >> 16) & kFlagC))};
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

// The condition field of JP cc, JR cc, CALL cc and RET cc: NZ Z NC C PO PE P M.
template <int Cc, class Core>
inline bool condition(const Core& core) {
    const uint8_t f = core.reg[kF];
    constexpr uint8_t kMasks[4] = {kFlagZ, kFlagC, kFlagPV, kFlagS};
    const bool set = (f & kMasks[Cc >> 1]) != 0;
    return (Cc & 1) != 0 ? set : !set;
}

}  // namespace vimo::z80
