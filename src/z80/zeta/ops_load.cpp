// Unprefixed loads and exchanges: NOP, LD r,r', LD r,n, the loads through
// (HL), (BC), (DE) and (nn), LD rr,nn, PUSH, POP, EX and EXX. None of them
// changes a flag (POP AF and EX AF,AF' move F whole).
#include <utility>

#include "z80/zeta/access.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

constexpr int kMemoryOperand = 6;  // the (HL) slot of the register field

void nop(ZetaCore& z) { charge(z, 4); }

// LD r,r' (4), LD r,(HL) (7), LD (HL),r (7).
template <int Dst, int Src>
void ldRegReg(ZetaCore& z) {
    if constexpr (Src == kMemoryOperand) {
        z.reg[Dst] = readByte(z, regHL(z));
        charge(z, 7);
    } else if constexpr (Dst == kMemoryOperand) {
        writeByte(z, regHL(z), z.reg[Src]);
        charge(z, 7);
    } else {
        z.reg[Dst] = z.reg[Src];
        charge(z, 4);
    }
}

// LD r,n (7) and LD (HL),n (10).
template <int Dst>
void ldRegImmediate(ZetaCore& z) {
    const uint8_t value = fetchByte(z);
    if constexpr (Dst == kMemoryOperand) {
        writeByte(z, regHL(z), value);
        charge(z, 10);
    } else {
        z.reg[Dst] = value;
        charge(z, 7);
    }
}

// LD rr,nn (10).
template <int P>
void ldPairImmediate(ZetaCore& z) {
    setRp<P>(z, fetchWord(z));
    charge(z, 10);
}

// LD (BC),A and LD (DE),A (7); LD A,(BC) and LD A,(DE) (7).
template <int P>
void ldIndirectA(ZetaCore& z) {
    writeByte(z, getRp<P>(z), z.reg[kA]);
    charge(z, 7);
}

template <int P>
void ldAIndirect(ZetaCore& z) {
    z.reg[kA] = readByte(z, getRp<P>(z));
    charge(z, 7);
}

void ldAbsoluteA(ZetaCore& z) {
    writeByte(z, fetchWord(z), z.reg[kA]);
    charge(z, 13);
}

void ldAAbsolute(ZetaCore& z) {
    z.reg[kA] = readByte(z, fetchWord(z));
    charge(z, 13);
}

void ldAbsoluteHl(ZetaCore& z) {
    writeWordOneLookup(z, fetchWord(z), regHL(z));
    charge(z, 16);
}

void ldHlAbsolute(ZetaCore& z) {
    setPair(z, kH, kL, readWordOneLookup(z, fetchWord(z)));
    charge(z, 16);
}

// PUSH rr (11) and POP rr (10) go through the lists with one lookup serving
// both bytes.
template <int P>
void push(ZetaCore& z) {
    const auto sp = static_cast<uint16_t>(z.context.sp - 2);
    z.context.sp = sp;
    writeWordOneLookup(z, sp, getRp2<P>(z));
    charge(z, 11);
}

template <int P>
void pop(ZetaCore& z) {
    const uint16_t value = readWordOneLookup(z, z.context.sp);
    z.context.sp = static_cast<uint16_t>(z.context.sp + 2);
    setRp2<P>(z, value);
    charge(z, 10);
}

void exAfAf(ZetaCore& z) {
    const uint16_t af = pairOf(z, kA, kF);
    setPair(z, kA, kF, z.context.af2);
    z.context.af2 = af;
    charge(z, 4);
}

void exx(ZetaCore& z) {
    ZetaContext& c = z.context;
    const uint16_t bc = regBC(z);
    const uint16_t de = regDE(z);
    const uint16_t hl = regHL(z);
    setPair(z, kB, kC, c.bc2);
    setPair(z, kD, kE, c.de2);
    setPair(z, kH, kL, c.hl2);
    c.bc2 = bc;
    c.de2 = de;
    c.hl2 = hl;
    charge(z, 4);
}

void exDeHl(ZetaCore& z) {
    const uint16_t de = regDE(z);
    setPair(z, kD, kE, regHL(z));
    setPair(z, kH, kL, de);
    charge(z, 4);
}

// EX (SP),HL exchanges with the stack in the memory image (19).
void exSpHl(ZetaCore& z) {
    const uint16_t sp = z.context.sp;
    const uint16_t value = imageReadWord(z, sp);
    imageWriteWord(z, sp, regHL(z));
    setPair(z, kH, kL, value);
    charge(z, 19);
}

void ldSpHl(ZetaCore& z) {
    z.context.sp = regHL(z);
    charge(z, 6);
}

template <int Dst, int Src>
void installLdRegReg(ZetaDecodeTables& t) {
    if constexpr (!(Dst == kMemoryOperand && Src == kMemoryOperand)) {  // 0x76 is HALT
        t.main[0x40 | (Dst << 3) | Src] = ldRegReg<Dst, Src>;
    }
}

template <int Dst, int... Src>
void installLdRow(ZetaDecodeTables& t, std::integer_sequence<int, Src...>) {
    (installLdRegReg<Dst, Src>(t), ...);
}

template <int... Dst>
void installLdBlock(ZetaDecodeTables& t, std::integer_sequence<int, Dst...>) {
    (installLdRow<Dst>(t, std::make_integer_sequence<int, 8>{}), ...);
}

template <int... R>
void installLdImmediates(ZetaDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.main[0x06 | (R << 3)] = ldRegImmediate<R>), ...);
}

template <int... P>
void installPairOps(ZetaDecodeTables& t, std::integer_sequence<int, P...>) {
    ((t.main[0x01 | (P << 4)] = ldPairImmediate<P>), ...);
    ((t.main[0xC1 | (P << 4)] = pop<P>), ...);
    ((t.main[0xC5 | (P << 4)] = push<P>), ...);
}

}  // namespace

void installLoads(ZetaDecodeTables& t) {
    t.main[0x00] = nop;
    installLdBlock(t, std::make_integer_sequence<int, 8>{});
    installLdImmediates(t, std::make_integer_sequence<int, 8>{});
    installPairOps(t, std::make_integer_sequence<int, 4>{});
    t.main[0x02] = ldIndirectA<0>;
    t.main[0x12] = ldIndirectA<1>;
    t.main[0x0A] = ldAIndirect<0>;
    t.main[0x1A] = ldAIndirect<1>;
    t.main[0x22] = ldAbsoluteHl;
    t.main[0x2A] = ldHlAbsolute;
    t.main[0x32] = ldAbsoluteA;
    t.main[0x3A] = ldAAbsolute;
    t.main[0x08] = exAfAf;
    t.main[0xD9] = exx;
    t.main[0xEB] = exDeHl;
    t.main[0xE3] = exSpHl;
    t.main[0xF9] = ldSpHl;
}

}  // namespace vimo::zeta
