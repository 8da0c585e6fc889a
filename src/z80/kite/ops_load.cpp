// Unprefixed loads and exchanges: NOP, LD r,r', LD r,n, the loads through
// (HL), (BC), (DE) and (nn), LD rr,nn, LD SP,HL, PUSH, POP, EX and EXX. None
// of them changes a flag (POP AF and EX AF,AF' move F whole).
#include <utility>

#include "z80/kite/access.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

void nop(KiteCore& k) { charge(k, 4); }

// LD r,r' (4), LD r,(HL) (7), LD (HL),r (7).
template <int Dst, int Src>
void ldRegReg(KiteCore& k) {
    if constexpr (Src == kMemoryOperand) {
        k.reg[Dst] = readByte(k, regHL(k));
        charge(k, 7);
    } else if constexpr (Dst == kMemoryOperand) {
        writeByte(k, regHL(k), k.reg[Src]);
        charge(k, 7);
    } else {
        k.reg[Dst] = k.reg[Src];
        charge(k, 4);
    }
}

// LD r,n (7) and LD (HL),n (10).
template <int Dst>
void ldRegImmediate(KiteCore& k) {
    const uint8_t value = fetchByte(k);
    if constexpr (Dst == kMemoryOperand) {
        writeByte(k, regHL(k), value);
        charge(k, 10);
    } else {
        k.reg[Dst] = value;
        charge(k, 7);
    }
}

// LD rr,nn (10).
template <int P>
void ldPairImmediate(KiteCore& k) {
    setRp<P>(k, fetchWord(k));
    charge(k, 10);
}

// LD (BC),A and LD (DE),A, LD A,(BC) and LD A,(DE) (7).
template <int P>
void ldIndirectA(KiteCore& k) {
    writeByte(k, getRp<P>(k), k.reg[kA]);
    charge(k, 7);
}

template <int P>
void ldAIndirect(KiteCore& k) {
    k.reg[kA] = readByte(k, getRp<P>(k));
    charge(k, 7);
}

// LD (nn),A and LD A,(nn) (13).
void ldAbsoluteA(KiteCore& k) {
    writeByte(k, fetchWord(k), k.reg[kA]);
    charge(k, 13);
}

void ldAAbsolute(KiteCore& k) {
    k.reg[kA] = readByte(k, fetchWord(k));
    charge(k, 13);
}

// LD (nn),HL and LD HL,(nn) (16): low byte at nn, high byte at nn + 1.
void ldAbsoluteHl(KiteCore& k) {
    writeWord(k, fetchWord(k), regHL(k));
    charge(k, 16);
}

void ldHlAbsolute(KiteCore& k) {
    setHL(k, readWord(k, fetchWord(k)));
    charge(k, 16);
}

void ldSpHl(KiteCore& k) {
    k.context.sp = regHL(k);
    charge(k, 6);
}

// PUSH rr (11) and POP rr (10), rr = BC, DE, HL, AF. F goes whole, bits 3
// and 5 included.
template <int High, int Low>
void pushPair(KiteCore& k) {
    push(k, pairOf(k, High, Low));
    charge(k, 11);
}

template <int High, int Low>
void popPair(KiteCore& k) {
    setPair(k, High, Low, pop(k));
    charge(k, 10);
}

void exAfAf(KiteCore& k) {
    KiteContext& c = k.context;
    const uint32_t other = c.af2;  // A in bits 0-7, F in bits 8-15
    c.af2 = static_cast<uint32_t>(k.reg[kA] | (k.reg[kF] << 8));
    k.reg[kA] = static_cast<uint8_t>(other);
    k.reg[kF] = static_cast<uint8_t>(other >> 8);
    charge(k, 4);
}

void exx(KiteCore& k) {
    KiteContext& c = k.context;
    const uint16_t bc = regBC(k);
    const uint16_t de = regDE(k);
    const uint16_t hl = regHL(k);
    setPair(k, kB, kC, static_cast<uint16_t>(c.bc2));
    setPair(k, kD, kE, static_cast<uint16_t>(c.de2));
    setPair(k, kH, kL, static_cast<uint16_t>(c.hl2));
    c.bc2 = bc;
    c.de2 = de;
    c.hl2 = hl;
    charge(k, 4);
}

void exDeHl(KiteCore& k) {
    const uint16_t de = regDE(k);
    setPair(k, kD, kE, regHL(k));
    setHL(k, de);
    charge(k, 4);
}

// EX (SP),HL (19): both bytes read, then the high byte written at SP + 1 and
// the low byte at SP.
void exSpHl(KiteCore& k) {
    const auto sp = static_cast<uint16_t>(k.context.sp);
    const uint16_t value = readWord(k, sp);
    writeByte(k, static_cast<uint16_t>(sp + 1), k.reg[kH]);
    writeByte(k, sp, k.reg[kL]);
    setHL(k, value);
    charge(k, 19);
}

template <int Dst, int... Src>
void installLdRow(KiteDecodeTables& t, std::integer_sequence<int, Src...>) {
    ((t.main[0x40 | (Dst << 3) | Src] = ldRegReg<Dst, Src>), ...);
}

template <int... Dst>
void installLdBlock(KiteDecodeTables& t, std::integer_sequence<int, Dst...>) {
    (installLdRow<Dst>(t, std::make_integer_sequence<int, 8>{}), ...);
    ((t.main[0x06 | (Dst << 3)] = ldRegImmediate<Dst>), ...);
}

}  // namespace

void installLoads(KiteDecodeTables& t) {
    t.main[0x00] = nop;
    installLdBlock(t, std::make_integer_sequence<int, 8>{});  // 0x76 is HALT (ops_control.cpp)
    t.main[0x01] = ldPairImmediate<0>;
    t.main[0x11] = ldPairImmediate<1>;
    t.main[0x21] = ldPairImmediate<2>;
    t.main[0x31] = ldPairImmediate<3>;
    t.main[0x02] = ldIndirectA<0>;
    t.main[0x12] = ldIndirectA<1>;
    t.main[0x0A] = ldAIndirect<0>;
    t.main[0x1A] = ldAIndirect<1>;
    t.main[0x32] = ldAbsoluteA;
    t.main[0x3A] = ldAAbsolute;
    t.main[0x22] = ldAbsoluteHl;
    t.main[0x2A] = ldHlAbsolute;
    t.main[0xF9] = ldSpHl;
    t.main[0xC5] = pushPair<kB, kC>;
    t.main[0xD5] = pushPair<kD, kE>;
    t.main[0xE5] = pushPair<kH, kL>;
    t.main[0xF5] = pushPair<kA, kF>;
    t.main[0xC1] = popPair<kB, kC>;
    t.main[0xD1] = popPair<kD, kE>;
    t.main[0xE1] = popPair<kH, kL>;
    t.main[0xF1] = popPair<kA, kF>;
    t.main[0x08] = exAfAf;
    t.main[0xD9] = exx;
    t.main[0xEB] = exDeHl;
    t.main[0xE3] = exSpHl;
}

}  // namespace vimo::kite
