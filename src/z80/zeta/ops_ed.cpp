// The ED instructions other than ports and blocks: ADC and SBC HL,rr, the
// 16-bit loads through (nn), NEG, RETN, RETI, IM, the I and R transfers, RRD
// and RLD. ADC, SBC, the 16-bit loads, NEG and LD I,A are shared (ed_ops.h).
#include "z80/ed_ops.h"
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

// RETN restores IFF1 from IFF2; RETI leaves both alone. Both pop PC from the
// stack in the memory image.
void retn(ZetaCore& z) {
    z.pc = popImage(z);
    z.context.iff = (z.context.iff & 2u) != 0 ? 3u : 0u;
    charge(z, 14);
}

void reti(ZetaCore& z) {
    z.pc = popImage(z);
    charge(z, 14);
}

template <int Mode>
void im(ZetaCore& z) {
    z.context.interruptMode = Mode;
    if constexpr (Mode == 1) {
        z.context.interruptAddress = 0x38;
    }
    charge(z, 8);
}

void ldRA(ZetaCore& z) {
    z.context.r = z.reg[kA];
    charge(z, 9);
}

// LD A,I and LD A,R: S and Z from the value, H and N clear, P/V = IFF2, C and
// bits 3 and 5 kept.
void loadAWithFlags(ZetaCore& z, uint8_t value) {
    z.reg[kA] = value;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagC | kFlag3 | kFlag5)) | kSzFlags[value] |
                                     ((z.context.iff & 2u) != 0 ? kFlagPV : 0));
}

void ldAI(ZetaCore& z) {
    loadAWithFlags(z, z.context.i);
    charge(z, 9);
}

// R follows the cycle count, one step per four cycles: LD A,R returns the
// value the previous LD A,R prepared, then prepares the next one from the
// cycles counted since. Bit 7 keeps what LD R,A wrote.
void ldAR(ZetaCore& z) {
    ZetaContext& c = z.context;
    loadAWithFlags(z, c.r);
    const auto steps = static_cast<uint32_t>(z.rStart - z.cyclesLeft) + c.rCounter;
    c.r = static_cast<uint8_t>((c.r & 0x80u) | ((steps / 4) & 0x7Fu));
    z.rStart = z.cyclesLeft;
    charge(z, 9);
}

// RRD and RLD rotate a digit between A and (HL): S, Z and P/V from the new A,
// H and N clear, C and bits 3 and 5 kept.
template <bool Left>
void rotateDigit(ZetaCore& z) {
    const uint16_t address = regHL(z);
    const uint8_t value = readByte(z, address);
    const uint8_t a = z.reg[kA];
    uint8_t newValue;
    uint8_t newA;
    if constexpr (Left) {
        newValue = static_cast<uint8_t>((value << 4) | (a & 0x0F));
        newA = static_cast<uint8_t>((a & 0xF0) | (value >> 4));
    } else {
        newValue = static_cast<uint8_t>((a << 4) | (value >> 4));
        newA = static_cast<uint8_t>((a & 0xF0) | (value & 0x0F));
    }
    writeByte(z, address, newValue);
    z.reg[kA] = newA;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagC | kFlag3 | kFlag5)) | kSzpFlags[newA]);
    charge(z, 18);
}

}  // namespace

void installEdMisc(ZetaDecodeTables& t) {
    z80::installSharedEd<Cpu>(t);
    t.ed[0x45] = retn;
    t.ed[0x4D] = reti;
    t.ed[0x46] = im<0>;
    t.ed[0x56] = im<1>;
    t.ed[0x5E] = im<2>;
    t.ed[0x4F] = ldRA;
    t.ed[0x57] = ldAI;
    t.ed[0x5F] = ldAR;
    t.ed[0x67] = rotateDigit<false>;
    t.ed[0x6F] = rotateDigit<true>;
}

}  // namespace vimo::zeta
