// Unprefixed arithmetic: ADD, ADC, SUB, SBC, AND, XOR, OR and CP with a
// register, (HL) or an immediate; INC and DEC of registers, (HL) and pairs;
// ADD HL,rr (shared, arithmetic_ops.h); this core's own rotates of A, DAA,
// CPL, SCF and CCF.
#include "z80/arithmetic_ops.h"
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

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

}  // namespace

void installArithmetic(KiteDecodeTables& t) {
    z80::installSharedArithmetic<Cpu>(t);
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
