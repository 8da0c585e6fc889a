// Block transfer and search: LDI, LDD, CPI, CPD (16) and LDIR, LDDR, CPIR,
// CPDR (21 per repetition, 16 for the last), reading through the read list
// and writing through the write list.
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

uint16_t decrementBc(ZetaCore& z) {
    const auto bc = static_cast<uint16_t>(regBC(z) - 1);
    setPair(z, kB, kC, bc);
    return bc;
}

// (DE) = (HL), HL and DE step, BC - 1. H and N clear, P/V set while BC is
// not 0; S, Z, C and bits 3 and 5 kept. Returns true while BC is not 0.
template <int Step>
bool transferStep(ZetaCore& z) {
    const uint16_t hl = regHL(z);
    const uint16_t de = regDE(z);
    writeByte(z, de, readByte(z, hl));
    setPair(z, kH, kL, static_cast<uint16_t>(regHL(z) + Step));
    setPair(z, kD, kE, static_cast<uint16_t>(regDE(z) + Step));
    const bool more = decrementBc(z) != 0;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagS | kFlagZ | kFlagC | kFlag3 | kFlag5)) |
                                     (more ? kFlagPV : 0));
    return more;
}

// Compare A with (HL), HL steps, BC - 1. S, Z and H from A - (HL), N set,
// P/V set while BC is not 0, C kept. Returns true while the search goes on
// (BC not 0 and no match).
template <int Step>
bool compareStep(ZetaCore& z) {
    const uint8_t a = z.reg[kA];
    const uint8_t value = readByte(z, regHL(z));
    const auto result = static_cast<uint8_t>(a - value);
    setPair(z, kH, kL, static_cast<uint16_t>(regHL(z) + Step));
    const bool more = decrementBc(z) != 0;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & kFlagC) | kSzFlags[result] | ((a ^ value ^ result) & kFlagH) |
                                     kFlagN | (more ? kFlagPV : 0));
    return more && result != 0;
}

template <int Step>
void transfer(ZetaCore& z) {
    transferStep<Step>(z);
    charge(z, 16);
}

template <int Step>
void compare(ZetaCore& z) {
    compareStep<Step>(z);
    charge(z, 16);
}

// The repeats loop here; when the count runs out while the condition still
// holds, PC goes back to the instruction (P/V stays set) and the run ends.
template <int Step>
void transferRepeat(ZetaCore& z) {
    while (transferStep<Step>(z)) {
        charge(z, 21);
        if (z.cyclesLeft < 0) {
            z.pc = static_cast<uint16_t>(z.pc - 2);
            return;
        }
    }
    charge(z, 16);
}

template <int Step>
void compareRepeat(ZetaCore& z) {
    while (compareStep<Step>(z)) {
        charge(z, 21);
        if (z.cyclesLeft < 0) {
            z.pc = static_cast<uint16_t>(z.pc - 2);
            return;
        }
    }
    charge(z, 16);
}

}  // namespace

void installBlockOps(ZetaDecodeTables& t) {
    t.ed[0xA0] = transfer<1>;
    t.ed[0xA8] = transfer<-1>;
    t.ed[0xA1] = compare<1>;
    t.ed[0xA9] = compare<-1>;
    t.ed[0xB0] = transferRepeat<1>;
    t.ed[0xB8] = transferRepeat<-1>;
    t.ed[0xB1] = compareRepeat<1>;
    t.ed[0xB9] = compareRepeat<-1>;
}

}  // namespace vimo::zeta
