// Block transfer and search: LDI, LDD, CPI, CPD (16) and LDIR, LDDR, CPIR,
// CPDR. A repeating instruction loops here instead of being fetched again:
// 21 cycles for each iteration after which it repeats, 16 for the last. When
// the count runs out first, PC goes back to the instruction and the run ends,
// so the next run fetches it again. Each further iteration done here counts
// R once.
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

uint16_t decrementBc(KiteCore& k) {
    const auto bc = static_cast<uint16_t>(regBC(k) - 1);
    setPair(k, kB, kC, bc);
    return bc;
}

// Bits 3 and 5 of the block transfers and searches: bit 3 of n and bit 1 of
// n (moved to bit 5).
uint8_t blockBits35(uint8_t n) { return static_cast<uint8_t>((n & kFlag3) | ((n << 4) & kFlag5)); }

// (DE) = (HL), HL and DE step, BC - 1. H and N clear, P/V set while BC is not
// 0, S, Z and C kept; 5 and 3 from A + the byte. True while BC is not 0.
template <int Step>
bool transferStep(KiteCore& k) {
    const uint8_t value = readByte(k, regHL(k));
    writeByte(k, regDE(k), value);
    setHL(k, static_cast<uint16_t>(regHL(k) + Step));
    setPair(k, kD, kE, static_cast<uint16_t>(regDE(k) + Step));
    const bool more = decrementBc(k) != 0;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & (kFlagS | kFlagZ | kFlagC)) | (more ? kFlagPV : 0) |
                                     blockBits35(static_cast<uint8_t>(k.reg[kA] + value)));
    return more;
}

// A compared with (HL), HL steps, BC - 1. S, Z and H from A - (HL), N set,
// P/V set while BC is not 0, C kept; 5 and 3 from A - (HL) - H. True while
// the search goes on (BC not 0 and no match).
template <int Step>
bool compareStep(KiteCore& k) {
    const uint8_t a = k.reg[kA];
    const uint8_t value = readByte(k, regHL(k));
    const auto result = static_cast<uint8_t>(a - value);
    const uint8_t half = (a ^ value ^ result) & kFlagH;
    setHL(k, static_cast<uint16_t>(regHL(k) + Step));
    const bool more = decrementBc(k) != 0;
    const auto n = static_cast<uint8_t>(result - (half != 0 ? 1 : 0));
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kSzFlags[result] | half | kFlagN |
                                     (more ? kFlagPV : 0) | blockBits35(n));
    return more && result != 0;
}

template <int Step>
void transfer(KiteCore& k) {
    transferStep<Step>(k);
    charge(k, 16);
}

template <int Step>
void compare(KiteCore& k) {
    compareStep<Step>(k);
    charge(k, 16);
}

// LDIR alone looks, before each further iteration, at its own two bytes: a
// copy that has overwritten them ends the repetition there (16 cycles, the
// flags of the iteration just done) and execution goes on at the
// instruction's address with whatever now stands there.
bool ownOpcodeIntact(KiteCore& k, uint16_t start) {
    return peekCode(k, start) == 0xED && peekCode(k, static_cast<uint16_t>(start + 1)) == 0xB0;
}

template <int Step>
void transferRepeat(KiteCore& k) {
    const auto start = static_cast<uint16_t>(k.pc - 2);
    while (transferStep<Step>(k)) {
        if (Step > 0 && !ownOpcodeIntact(k, start)) {
            k.pc = start;
            break;
        }
        charge(k, 21);
        if (k.cyclesLeft <= 0) {
            k.pc = start;
            return;
        }
        ++k.context.rCounter;
    }
    charge(k, 16);
}

template <int Step>
void compareRepeat(KiteCore& k) {
    const auto start = static_cast<uint16_t>(k.pc - 2);
    while (compareStep<Step>(k)) {
        charge(k, 21);
        if (k.cyclesLeft <= 0) {
            k.pc = start;
            return;
        }
        ++k.context.rCounter;
    }
    charge(k, 16);
}

}  // namespace

void installBlockOps(KiteDecodeTables& t) {
    t.ed[0xA0] = transfer<1>;
    t.ed[0xA8] = transfer<-1>;
    t.ed[0xA1] = compare<1>;
    t.ed[0xA9] = compare<-1>;
    t.ed[0xB0] = transferRepeat<1>;
    t.ed[0xB8] = transferRepeat<-1>;
    t.ed[0xB1] = compareRepeat<1>;
    t.ed[0xB9] = compareRepeat<-1>;
}

}  // namespace vimo::kite
