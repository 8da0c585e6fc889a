// Unprefixed control transfers and CPU control: DJNZ, JR, JR cc, JP, JP cc,
// JP (HL), CALL, CALL cc, RET, RET cc, RST, HALT, DI and EI. The stack goes
// through the read and write pages like any data.
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"
#include "z80/kite/run.h"

namespace vimo::kite {
namespace {

uint16_t relativeTarget(const KiteCore& k, uint8_t displacement) {
    return static_cast<uint16_t>(k.pc + static_cast<int8_t>(displacement));
}

// DJNZ (13 taken, 8 not).
void djnz(KiteCore& k) {
    const uint8_t displacement = fetchByte(k);
    k.reg[kB] = static_cast<uint8_t>(k.reg[kB] - 1);
    if (k.reg[kB] != 0) {
        k.pc = relativeTarget(k, displacement);
        charge(k, 13);
    } else {
        charge(k, 8);
    }
}

void jr(KiteCore& k) {
    const uint8_t displacement = fetchByte(k);
    k.pc = relativeTarget(k, displacement);
    charge(k, 12);
}

// JR cc,e (12 taken, 7 not; only NZ, Z, NC and C exist).
template <int Cc>
void jrConditional(KiteCore& k) {
    const uint8_t displacement = fetchByte(k);
    if (condition<Cc>(k)) {
        k.pc = relativeTarget(k, displacement);
        charge(k, 12);
    } else {
        charge(k, 7);
    }
}

void jp(KiteCore& k) {
    k.pc = fetchWord(k);
    charge(k, 10);
}

// JP cc,nn (10 either way).
template <int Cc>
void jpConditional(KiteCore& k) {
    const uint16_t target = fetchWord(k);
    if (condition<Cc>(k)) {
        k.pc = target;
    }
    charge(k, 10);
}

void jpHl(KiteCore& k) {
    k.pc = regHL(k);
    charge(k, 4);
}

void call(KiteCore& k) {
    const uint16_t target = fetchWord(k);
    push(k, k.pc);
    k.pc = target;
    charge(k, 17);
}

// CALL cc,nn (17 taken, 10 not).
template <int Cc>
void callConditional(KiteCore& k) {
    const uint16_t target = fetchWord(k);
    if (condition<Cc>(k)) {
        push(k, k.pc);
        k.pc = target;
        charge(k, 17);
    } else {
        charge(k, 10);
    }
}

void ret(KiteCore& k) {
    k.pc = pop(k);
    charge(k, 10);
}

// RET cc (11 taken, 5 not).
template <int Cc>
void retConditional(KiteCore& k) {
    if (condition<Cc>(k)) {
        k.pc = pop(k);
        charge(k, 11);
    } else {
        charge(k, 5);
    }
}

template <int Y>
void rst(KiteCore& k) {
    push(k, k.pc);
    k.pc = static_cast<uint16_t>(Y * 8);
    charge(k, 11);
}

// HALT: the CPU halts with PC after the HALT and the run ends, its rest
// taken up by 4-cycle steps (the count left becomes (left & 3) - 4). Inside
// the window after EI the window's check still runs and may accept an
// interrupt, which ends the halt.
void halt(KiteCore& k) {
    k.context.halted = 1;
    const int64_t saved = k.eiWindow != kKiteWindowClosed ? k.eiSavedCycles : 0;
    k.cyclesLeft = haltedCount(k.cyclesLeft + saved) - saved;
}

void di(KiteCore& k) {
    k.context.iff1 = 0;
    k.context.iff2 = 0;
    charge(k, 4);
}

// EI (4) sets both flip-flops and opens the window: the instruction after it
// runs before any interrupt is looked at, even when EI used up the count
// (the run loop parks the count and runs that one instruction). An EI inside
// the window opens a new one.
void ei(KiteCore& k) {
    k.context.iff1 = kKiteIffSet;
    k.context.iff2 = kKiteIffSet;
    charge(k, 4);
    if (k.eiWindow == kKiteWindowClosed) {
        k.eiSavedCycles = k.cyclesLeft;
    } else {
        k.eiSavedCycles += k.cyclesLeft;
    }
    k.cyclesLeft = 0;
    k.eiWindow = kKiteWindowOpened;
}

template <int... Cc>
void installConditionals(KiteDecodeTables& t, std::integer_sequence<int, Cc...>) {
    ((t.main[0xC0 | (Cc << 3)] = retConditional<Cc>), ...);
    ((t.main[0xC2 | (Cc << 3)] = jpConditional<Cc>), ...);
    ((t.main[0xC4 | (Cc << 3)] = callConditional<Cc>), ...);
    ((t.main[0xC7 | (Cc << 3)] = rst<Cc>), ...);
}

}  // namespace

void installControl(KiteDecodeTables& t) {
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

}  // namespace vimo::kite
