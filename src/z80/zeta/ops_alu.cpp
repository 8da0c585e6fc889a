// Unprefixed arithmetic: the eight ALU operations on A, INC and DEC of bytes
// and pairs and ADD HL,rr (shared, arithmetic_ops.h), and this core's own
// accumulator rotates, DAA, CPL, SCF and CCF.
#include "z80/arithmetic_ops.h"
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

// RLCA, RRCA, RLA, RRA: C is the bit shifted out, H and N and bits 3 and 5
// clear, S, Z and P/V kept.
enum class AccumulatorRotate { rlca, rrca, rla, rra };

template <AccumulatorRotate Op>
void rotateA(ZetaCore& z) {
    const uint8_t a = z.reg[kA];
    const unsigned carryIn = z.reg[kF] & kFlagC;
    uint8_t result;
    unsigned carryOut;
    if constexpr (Op == AccumulatorRotate::rlca) {
        result = static_cast<uint8_t>((a << 1) | (a >> 7));
        carryOut = a >> 7;
    } else if constexpr (Op == AccumulatorRotate::rrca) {
        result = static_cast<uint8_t>((a >> 1) | (a << 7));
        carryOut = a & 1u;
    } else if constexpr (Op == AccumulatorRotate::rla) {
        result = static_cast<uint8_t>((a << 1) | carryIn);
        carryOut = a >> 7;
    } else {
        result = static_cast<uint8_t>((a >> 1) | (carryIn << 7));
        carryOut = a & 1u;
    }
    z.reg[kA] = result;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagS | kFlagZ | kFlagPV)) | carryOut);
    charge(z, 4);
}

// DAA. The low correction sets H whenever it is applied; after a subtraction
// it also sets C when it borrows from the high digit. S, Z and P/V come from
// the new A; N and bits 3 and 5 are kept.
void daa(ZetaCore& z) {
    const uint8_t f = z.reg[kF];
    const uint8_t oldA = z.reg[kA];
    const bool oldCarry = (f & kFlagC) != 0;
    const bool lowAdjust = (oldA & 0x0F) > 9 || (f & kFlagH) != 0;
    const bool highAdjust = oldA > 0x99 || oldCarry;
    uint8_t a = oldA;
    bool halfCarry = false;
    bool carry;
    if ((f & kFlagN) == 0) {
        if (lowAdjust) {
            a = static_cast<uint8_t>(a + 0x06);
            halfCarry = true;
        }
        carry = highAdjust;
        if (highAdjust) {
            a = static_cast<uint8_t>(a + 0x60);
        }
    } else {
        carry = false;
        if (lowAdjust) {
            carry = oldCarry || oldA < 0x06;
            a = static_cast<uint8_t>(a - 0x06);
            halfCarry = true;
        }
        if (highAdjust) {
            a = static_cast<uint8_t>(a - 0x60);
            carry = true;
        }
    }
    z.reg[kA] = a;
    z.reg[kF] = static_cast<uint8_t>((f & (kFlagN | kFlag5 | kFlag3)) | kSzpFlags[a] | (halfCarry ? kFlagH : 0) |
                                     (carry ? kFlagC : 0));
    charge(z, 4);
}

void cpl(ZetaCore& z) {
    z.reg[kA] = static_cast<uint8_t>(~z.reg[kA]);
    z.reg[kF] = static_cast<uint8_t>(z.reg[kF] | kFlagH | kFlagN);
    charge(z, 4);
}

void scf(ZetaCore& z) {
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagS | kFlagZ | kFlag5 | kFlag3 | kFlagPV)) | kFlagC);
    charge(z, 4);
}

// CCF: H takes the old carry, C is inverted.
void ccf(ZetaCore& z) {
    const uint8_t f = z.reg[kF];
    z.reg[kF] = static_cast<uint8_t>((f & (kFlagS | kFlagZ | kFlag5 | kFlag3 | kFlagPV)) |
                                     ((f & kFlagC) != 0 ? kFlagH : kFlagC));
    charge(z, 4);
}

}  // namespace

void installArithmetic(ZetaDecodeTables& t) {
    z80::installSharedArithmetic<Cpu>(t);
    t.main[0x07] = rotateA<AccumulatorRotate::rlca>;
    t.main[0x0F] = rotateA<AccumulatorRotate::rrca>;
    t.main[0x17] = rotateA<AccumulatorRotate::rla>;
    t.main[0x1F] = rotateA<AccumulatorRotate::rra>;
    t.main[0x27] = daa;
    t.main[0x2F] = cpl;
    t.main[0x37] = scf;
    t.main[0x3F] = ccf;
}

}  // namespace vimo::zeta
