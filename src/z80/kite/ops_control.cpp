// Unprefixed control transfers and CPU control. DJNZ, JR cc, JP, JP cc,
// JP (HL), CALL, CALL cc, RET, RET cc and RST are the shared ones
// (control_ops.h); JR, HALT, DI and EI follow this core's own rules here.
#include "z80/control_ops.h"
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"
#include "z80/kite/run.h"

namespace vimo::kite {
namespace {

// JR e (12).
void jr(KiteCore& k) {
    const uint8_t displacement = fetchByte(k);
    k.pc = z80::relativeTarget(k, displacement);
    charge(k, 12);
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

}  // namespace

void installControl(KiteDecodeTables& t) {
    z80::installSharedControl<Cpu>(t);
    t.main[0x18] = jr;
    t.main[0x76] = halt;
    t.main[0xF3] = di;
    t.main[0xFB] = ei;
}

}  // namespace vimo::kite
