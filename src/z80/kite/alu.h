// Arithmetic and flag rules of the Kite core, shared by the unprefixed, CB,
// ED and index families. Every rule produces F whole, bits 3 and 5 included,
// from the source byte the instruction defines for them (the result, the
// operand of CP, A for SCF and CCF, the high byte of a 16-bit result ...);
// rules that leave bits 3 and 5 alone keep them from the current F.
#pragma once

#include <cstdint>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/flags.h"
#include "z80/kite/access.h"
#include "z80/kite/tables.h"

namespace vimo::kite {

constexpr uint8_t kFlags35 = kFlag3 | kFlag5;

inline uint8_t bits35(unsigned source) { return static_cast<uint8_t>(source & kFlags35); }

// ADD, ADC, SUB, SBC, AND, XOR, OR and CP of A with a byte. Bits 3 and 5 come
// from the result, for CP from the operand.
template <AluOp Op>
inline void alu(KiteCore& k, uint8_t value) {
    const z80::ByteResult r = aluRule<Op>(k.reg[kA], value, k.reg[kF] & kFlagC);
    k.reg[kF] = static_cast<uint8_t>(r.flags | bits35(Op == AluOp::cp ? value : r.value));
    if constexpr (Op != AluOp::cp) {
        k.reg[kA] = r.value;
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
    const z80::WordResult r = adc16Rule(left, right, k.reg[kF] & kFlagC);
    k.reg[kF] = static_cast<uint8_t>(r.flags | bits35(r.value >> 8));
    return r.value;
}

inline uint16_t sbc16(KiteCore& k, uint16_t left, uint16_t right) {
    const z80::WordResult r = sbc16Rule(left, right, k.reg[kF] & kFlagC);
    k.reg[kF] = static_cast<uint8_t>(r.flags | bits35(r.value >> 8));
    return r.value;
}

// ---- the access paths and rules the shared instruction code uses (cpu_access.h)

struct Cpu {
    using Core = KiteCore;
    static uint8_t fetchByte(KiteCore& k) { return kite::fetchByte(k); }
    static uint16_t fetchWord(KiteCore& k) { return kite::fetchWord(k); }
    static uint8_t readByte(KiteCore& k, uint16_t address) { return kite::readByte(k, address); }
    static void writeByte(KiteCore& k, uint16_t address, uint8_t value) { kite::writeByte(k, address, value); }
    static uint16_t readWord(KiteCore& k, uint16_t address) { return kite::readWord(k, address); }
    static void writeWord(KiteCore& k, uint16_t address, uint16_t value) { kite::writeWord(k, address, value); }
    // The stack goes through the read and write pages like any data.
    static void push(KiteCore& k, uint16_t value) { kite::push(k, value); }
    static uint16_t pop(KiteCore& k) { return kite::pop(k); }
    static void charge(KiteCore& k, int cycles) { kite::charge(k, cycles); }

    template <AluOp Op>
    static void alu(KiteCore& k, uint8_t value) { kite::alu<Op>(k, value); }
    static uint8_t inc8(KiteCore& k, uint8_t value) { return kite::inc8(k, value); }
    static uint8_t dec8(KiteCore& k, uint8_t value) { return kite::dec8(k, value); }
    static uint16_t add16(KiteCore& k, uint16_t left, uint16_t right) { return kite::add16(k, left, right); }
    static uint16_t adc16(KiteCore& k, uint16_t left, uint16_t right) { return kite::adc16(k, left, right); }
    static uint16_t sbc16(KiteCore& k, uint16_t left, uint16_t right) { return kite::sbc16(k, left, right); }

    // INC, DEC and LD between registers on IXH, IXL, IYH or IYL cost 8,
    // LD IXH,n and its kin 11.
    static constexpr int kIndexHalfCycles = 8;
    static constexpr int kIndexHalfImmediateCycles = 11;
};
static_assert(z80::CpuAccess<Cpu>);

}  // namespace vimo::kite
