// Unprefixed loads and exchanges. None of them changes a flag (POP AF and
// EX AF,AF' move F whole). NOP, LD r,r', LD r,n, the one-byte loads through
// (HL), (BC), (DE) and (nn), LD rr,nn, LD SP,HL and EX DE,HL are the shared
// ones (load_ops.h); the 16-bit loads through memory, PUSH, POP, EX AF,AF',
// EXX and EX (SP),HL follow this core's own bus rules here.
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"
#include "z80/load_ops.h"

namespace vimo::kite {
namespace {

// LD (nn),HL and LD HL,(nn) (16): low byte at nn, high byte at nn + 1.
void ldAbsoluteHl(KiteCore& k) {
    writeWord(k, fetchWord(k), regHL(k));
    charge(k, 16);
}

void ldHlAbsolute(KiteCore& k) {
    setHL(k, readWord(k, fetchWord(k)));
    charge(k, 16);
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

}  // namespace

void installLoads(KiteDecodeTables& t) {
    z80::installSharedLoads<Cpu>(t);
    t.main[0x22] = ldAbsoluteHl;
    t.main[0x2A] = ldHlAbsolute;
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
    t.main[0xE3] = exSpHl;
}

}  // namespace vimo::kite
