// Unprefixed control transfers and CPU control: DJNZ, JR, JR cc, JP, JP cc,
// JP (HL), CALL, CALL cc, RET, RET cc, RST, HALT, DI and EI. Calls, returns
// and restarts keep their stack in the memory image.
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"
#include "z80/zeta/run.h"

namespace vimo::zeta {
namespace {

uint16_t relativeTarget(const ZetaCore& z, uint8_t displacement) {
    return static_cast<uint16_t>(z.pc + static_cast<int8_t>(displacement));
}

void djnz(ZetaCore& z) {
    const uint8_t displacement = fetchByte(z);
    z.reg[kB] = static_cast<uint8_t>(z.reg[kB] - 1);
    if (z.reg[kB] != 0) {
        z.pc = relativeTarget(z, displacement);
        charge(z, 13);
    } else {
        charge(z, 8);
    }
}

// JR e (12). A JR to itself is a wait loop that only an interrupt can leave:
// it ends the run at once with the whole budget counted and PC left on it.
void jr(ZetaCore& z) {
    const uint8_t displacement = fetchByte(z);
    if (displacement == 0xFE) {
        z.pc = static_cast<uint16_t>(z.pc - 2);
        endRunWithWholeBudget(z);
        return;
    }
    z.pc = relativeTarget(z, displacement);
    charge(z, 12);
}

// JR cc,e: 12 taken, 7 not (only NZ, Z, NC and C exist).
template <int Cc>
void jrConditional(ZetaCore& z) {
    const uint8_t displacement = fetchByte(z);
    if (condition<Cc>(z)) {
        z.pc = relativeTarget(z, displacement);
        charge(z, 12);
    } else {
        charge(z, 7);
    }
}

void jp(ZetaCore& z) {
    z.pc = fetchWord(z);
    charge(z, 10);
}

// JP cc,nn: 10 either way.
template <int Cc>
void jpConditional(ZetaCore& z) {
    const uint16_t target = fetchWord(z);
    if (condition<Cc>(z)) {
        z.pc = target;
    }
    charge(z, 10);
}

void jpHl(ZetaCore& z) {
    z.pc = regHL(z);
    charge(z, 4);
}

void call(ZetaCore& z) {
    const uint16_t target = fetchWord(z);
    pushImage(z, z.pc);
    z.pc = target;
    charge(z, 17);
}

// CALL cc,nn: 17 taken, 10 not.
template <int Cc>
void callConditional(ZetaCore& z) {
    const uint16_t target = fetchWord(z);
    if (condition<Cc>(z)) {
        pushImage(z, z.pc);
        z.pc = target;
        charge(z, 17);
    } else {
        charge(z, 10);
    }
}

void ret(ZetaCore& z) {
    z.pc = popImage(z);
    charge(z, 10);
}

// RET cc: 11 taken, 5 not.
template <int Cc>
void retConditional(ZetaCore& z) {
    if (condition<Cc>(z)) {
        z.pc = popImage(z);
        charge(z, 11);
    } else {
        charge(z, 5);
    }
}

template <int Y>
void rst(ZetaCore& z) {
    pushImage(z, z.pc);
    z.pc = static_cast<uint16_t>(Y * 8);
    charge(z, 11);
}

// HALT: PC stays after the HALT; the run ends with its whole budget counted,
// and later runs only count theirs until an interrupt, an NMI or a reset.
void halt(ZetaCore& z) {
    z.context.halted = 1;
    endRunWithWholeBudget(z);
}

void di(ZetaCore& z) {
    z.context.iff = 0;
    charge(z, 4);
}

// EI sets both flip-flops and opens the window: the next instruction runs at
// once, with no end-of-slice test and no interrupt before it (run.cpp closes
// the window). An EI inside the window charges the saved count and opens a
// new window for the instruction after it.
void ei(ZetaCore& z) {
    z.context.iff = 3;
    if (z.eiWindow != 0) {
        z.eiSavedCycles -= 4;
        return;
    }
    charge(z, 4);
    z.eiSavedCycles = z.cyclesLeft;
    z.cyclesLeft = 0;
    z.eiWindow = 1;
}

template <int... Cc>
void installConditionals(ZetaDecodeTables& t, std::integer_sequence<int, Cc...>) {
    ((t.main[0xC0 | (Cc << 3)] = retConditional<Cc>), ...);
    ((t.main[0xC2 | (Cc << 3)] = jpConditional<Cc>), ...);
    ((t.main[0xC4 | (Cc << 3)] = callConditional<Cc>), ...);
    ((t.main[0xC7 | (Cc << 3)] = rst<Cc>), ...);
}

}  // namespace

void installControl(ZetaDecodeTables& t) {
    t.main[0x10] = djnz;
    t.main[0x18] = jr;
    t.main[0x20] = jrConditional<0>;
    t.main[0x28] = jrConditional<1>;
    t.main[0x30] = jrConditional<2>;
    t.main[0x38] = jrConditional<3>;
    t.main[0xC3] = jp;
    t.main[0xE9] = jpHl;
    t.main[0xCD] = call;
    t.main[0xC9] = ret;
    installConditionals(t, std::make_integer_sequence<int, 8>{});
    t.main[0x76] = halt;
    t.main[0xF3] = di;
    t.main[0xFB] = ei;
}

}  // namespace vimo::zeta
