// Unprefixed loads and exchanges. None of them changes a flag (POP AF and
// EX AF,AF' move F whole). NOP, LD r,r', LD r,n, the one-byte loads through
// (HL), (BC), (DE) and (nn), LD rr,nn, LD SP,HL and EX DE,HL are the shared
// ones (load_ops.h); the 16-bit loads through memory, PUSH, POP, EX AF,AF',
// EXX and EX (SP),HL follow this core's own bus rules here.
#include <utility>

#include "z80/load_ops.h"
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

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

// EX (SP),HL exchanges with the stack in the memory image (19).
void exSpHl(ZetaCore& z) {
    const uint16_t sp = z.context.sp;
    const uint16_t value = imageReadWord(z, sp);
    imageWriteWord(z, sp, regHL(z));
    setPair(z, kH, kL, value);
    charge(z, 19);
}

template <int... P>
void installPushPop(ZetaDecodeTables& t, std::integer_sequence<int, P...>) {
    ((t.main[0xC1 | (P << 4)] = pop<P>), ...);
    ((t.main[0xC5 | (P << 4)] = push<P>), ...);
}

}  // namespace

void installLoads(ZetaDecodeTables& t) {
    z80::installSharedLoads<Cpu>(t);
    installPushPop(t, std::make_integer_sequence<int, 4>{});
    t.main[0x22] = ldAbsoluteHl;
    t.main[0x2A] = ldHlAbsolute;
    t.main[0x08] = exAfAf;
    t.main[0xD9] = exx;
    t.main[0xE3] = exSpHl;
}

}  // namespace vimo::zeta
