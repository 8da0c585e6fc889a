// Unprefixed control transfers and CPU control. DJNZ, JR cc, JP, JP cc,
// JP (HL), CALL, CALL cc, RET, RET cc and RST are the shared ones
// (control_ops.h); JR, HALT, DI and EI follow this core's own rules here.
#include "z80/control_ops.h"
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"
#include "z80/zeta/run.h"

namespace vimo::zeta {
namespace {

// JR e (12). A JR to itself is a wait loop that only an interrupt can leave:
// it ends the run at once with the whole budget counted and PC left on it.
void jr(ZetaCore& z) {
    const uint8_t displacement = fetchByte(z);
    if (displacement == 0xFE) {
        z.pc = static_cast<uint16_t>(z.pc - 2);
        endRunWithWholeBudget(z);
        return;
    }
    z.pc = z80::relativeTarget(z, displacement);
    charge(z, 12);
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

}  // namespace

void installControl(ZetaDecodeTables& t) {
    z80::installSharedControl<Cpu>(t);
    t.main[0x18] = jr;
    t.main[0x76] = halt;
    t.main[0xF3] = di;
    t.main[0xFB] = ei;
}

}  // namespace vimo::zeta
