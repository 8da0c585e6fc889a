// Unprefixed arithmetic: ADD, ADC, SUB, SBC, AND, XOR, OR and CP with a
// register, (HL) or an immediate; INC and DEC of registers, (HL) and pairs;
// ADD HL,rr; the rotates of A; DAA, CPL, SCF and CCF.
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

// ALU A,r (4), ALU A,(HL) (7).
template <int Y, int R>
void aluRegister(KiteCore& k) {
    if constexpr (R == kMemoryOperand) {
        alu<aluOpOf(Y)>(k, readByte(k, regHL(k)));
        charge(k, 7);
    } else {
        alu<aluOpOf(Y)>(k, k.reg[R]);
        charge(k, 4);
    }
}

// ALU A,n (7).
template <int Y>
void aluImmediate(KiteCore& k) {
    alu<aluOpOf(Y)>(k, fetchByte(k));
    charge(k, 7);
}

// INC r / DEC r (4), INC (HL) / DEC (HL) (11).
template <int R, bool Increment>
void incDec(KiteCore& k) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(k);
        const uint8_t value = readByte(k, address);
        writeByte(k, address, Increment ? inc8(k, value) : dec8(k, value));
        charge(k, 11);
    } else {
        k.reg[R] = Increment ? inc8(k, k.reg[R]) : dec8(k, k.reg[R]);
        charge(k, 4);
    }
}

// INC rr / DEC rr (6): no flags.
template <int P, int Delta>
void incDecPair(KiteCore& k) {
    setRp<P>(k, static_cast<uint16_t>(getRp<P>(k) + Delta));
    charge(k, 6);
}

// ADD HL,rr (11).
template <int P>
void addHl(KiteCore& k) {
    setHL(k, add16(k, regHL(k), getRp<P>(k)));
    charge(k, 11);
}

// RLCA, RRCA, RLA, RRA (4).
template <ShiftOp Op>
void rotateA(KiteCore& k) {
    shiftA<Op>(k);
    charge(k, 4);
}

// DAA (4): A and F from the tables, by H, N, C and A.
void daa(KiteCore& k) {
    const uint8_t f = k.reg[kF];
    const unsigned index = ((f & kFlagN) != 0 ? 512u : 0u) + ((f & kFlagC) != 0 ? 256u : 0u) + k.reg[kA];
    const uint16_t entry = kiteDaaTables[(f & kFlagH) != 0 ? 1 : 0][index];
    k.reg[kA] = static_cast<uint8_t>(entry);
    k.reg[kF] = static_cast<uint8_t>(entry >> 8);
    charge(k, 4);
}

// CPL (4): A inverted; H and N set, S, Z, P/V and C kept, 5 and 3 from the
// new A.
void cpl(KiteCore& k) {
    const auto result = static_cast<uint8_t>(~k.reg[kA]);
    k.reg[kA] = result;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & (kFlagS | kFlagZ | kFlagPV | kFlagC)) | bits35(result) |
                                     kFlagH | kFlagN);
    charge(k, 4);
}

// SCF and CCF (4): S, Z and P/V kept, N clear, 5 and 3 from A; SCF sets C
// and clears H, CCF moves the old C to H and inverts C.
void scf(KiteCore& k) {
    k.reg[kF] =
        static_cast<uint8_t>((k.reg[kF] & (kFlagS | kFlagZ | kFlagPV)) | bits35(k.reg[kA]) | kFlagC);
    charge(k, 4);
}

void ccf(KiteCore& k) {
    const uint8_t f = k.reg[kF];
    const uint8_t carry = f & kFlagC;
    k.reg[kF] = static_cast<uint8_t>((f & (kFlagS | kFlagZ | kFlagPV)) | bits35(k.reg[kA]) |
                                     (carry != 0 ? kFlagH : 0) | (carry ^ kFlagC));
    charge(k, 4);
}

template <int Y, int... R>
void installAluRow(KiteDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.main[0x80 | (Y << 3) | R] = aluRegister<Y, R>), ...);
}

template <int... Y>
void installAlu(KiteDecodeTables& t, std::integer_sequence<int, Y...>) {
    (installAluRow<Y>(t, std::make_integer_sequence<int, 8>{}), ...);
    ((t.main[0xC6 | (Y << 3)] = aluImmediate<Y>), ...);
    ((t.main[0x04 | (Y << 3)] = incDec<Y, true>), ...);
    ((t.main[0x05 | (Y << 3)] = incDec<Y, false>), ...);
}

template <int... P>
void installPairs(KiteDecodeTables& t, std::integer_sequence<int, P...>) {
    ((t.main[0x03 | (P << 4)] = incDecPair<P, 1>), ...);
    ((t.main[0x0B | (P << 4)] = incDecPair<P, -1>), ...);
    ((t.main[0x09 | (P << 4)] = addHl<P>), ...);
}

}  // namespace

void installArithmetic(KiteDecodeTables& t) {
    installAlu(t, std::make_integer_sequence<int, 8>{});
    installPairs(t, std::make_integer_sequence<int, 4>{});
    t.main[0x07] = rotateA<ShiftOp::rlc>;
    t.main[0x0F] = rotateA<ShiftOp::rrc>;
    t.main[0x17] = rotateA<ShiftOp::rl>;
    t.main[0x1F] = rotateA<ShiftOp::rr>;
    t.main[0x27] = daa;
    t.main[0x2F] = cpl;
    t.main[0x37] = scf;
    t.main[0x3F] = ccf;
}

}  // namespace vimo::kite
