// Unprefixed arithmetic: the eight ALU operations on A, INC and DEC of bytes
// and pairs, ADD HL,rr, the accumulator rotates, DAA, CPL, SCF and CCF.
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

// ALU A,r (4), ALU A,(HL) (7), ALU A,n (7).
template <int Y, int Src>
void aluRegister(ZetaCore& z) {
    if constexpr (Src == kMemoryOperand) {
        alu<aluOpOf(Y)>(z, readByte(z, regHL(z)));
        charge(z, 7);
    } else {
        alu<aluOpOf(Y)>(z, z.reg[Src]);
        charge(z, 4);
    }
}

template <int Y>
void aluImmediate(ZetaCore& z) {
    alu<aluOpOf(Y)>(z, fetchByte(z));
    charge(z, 7);
}

// INC r / DEC r (4); INC (HL) / DEC (HL) (11), read then written back.
template <int R, bool Increment>
void incDec8(ZetaCore& z) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(z);
        const uint8_t value = readByte(z, address);
        writeByte(z, address, Increment ? inc8(z, value) : dec8(z, value));
        charge(z, 11);
    } else {
        z.reg[R] = Increment ? inc8(z, z.reg[R]) : dec8(z, z.reg[R]);
        charge(z, 4);
    }
}

// INC rr / DEC rr (6): 16-bit wrap, no flags.
template <int P, bool Increment>
void incDec16(ZetaCore& z) {
    setRp<P>(z, static_cast<uint16_t>(getRp<P>(z) + (Increment ? 1 : 0xFFFF)));
    charge(z, 6);
}

template <int P>
void addHl(ZetaCore& z) {
    setPair(z, kH, kL, add16(z, regHL(z), getRp<P>(z)));
    charge(z, 11);
}

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

template <int Y, int... Src>
void installAluRow(ZetaDecodeTables& t, std::integer_sequence<int, Src...>) {
    ((t.main[0x80 | (Y << 3) | Src] = aluRegister<Y, Src>), ...);
    t.main[0xC6 | (Y << 3)] = aluImmediate<Y>;
}

template <int... Y>
void installAlu(ZetaDecodeTables& t, std::integer_sequence<int, Y...>) {
    (installAluRow<Y>(t, std::make_integer_sequence<int, 8>{}), ...);
}

template <int... R>
void installIncDec8(ZetaDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.main[0x04 | (R << 3)] = incDec8<R, true>), ...);
    ((t.main[0x05 | (R << 3)] = incDec8<R, false>), ...);
}

template <int... P>
void installPairArithmetic(ZetaDecodeTables& t, std::integer_sequence<int, P...>) {
    ((t.main[0x03 | (P << 4)] = incDec16<P, true>), ...);
    ((t.main[0x0B | (P << 4)] = incDec16<P, false>), ...);
    ((t.main[0x09 | (P << 4)] = addHl<P>), ...);
}

}  // namespace

void installArithmetic(ZetaDecodeTables& t) {
    installAlu(t, std::make_integer_sequence<int, 8>{});
    installIncDec8(t, std::make_integer_sequence<int, 8>{});
    installPairArithmetic(t, std::make_integer_sequence<int, 4>{});
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
