// Run-loop plumbing of the Zeta core shared by the handlers that end a run
// (HALT, JR to itself, the invalid-instruction exit) and by the interrupt and
// reset paths.
#pragma once

#include <cstdint>

#include "z80/zeta/zeta.h"

namespace vimo::zeta {

// HALT and JR to itself: leave through the slice end with the whole budget
// counted (the slice end sets the count to 0 before it closes the window).
inline void endRunWithWholeBudget(ZetaCore& z) {
    z.stop = ZetaStop::wholeBudget;
    z.savedCycles = 0;
    z.cyclesLeft = -1;
}

// An instruction the core does not implement, `length` bytes fetched so far:
// the run stops with PC on its first prefix byte.
inline void stopAtInvalid(ZetaCore& z, int length) {
    z.stop = ZetaStop::invalid;
    z.stopAddress = static_cast<uint16_t>(z.pc - length);
    z.cyclesLeft = -1;
}

// ---- interrupts.cpp ---------------------------------------------------------
// During a run (start of the run, end of the EI window): ends a halt, and
// when IFF1 allows takes the pending request, charging its cost to the run.
void takePendingInterrupt(ZetaCore& z);
// Between runs: the NMI, counting its 11 cycles as elapsed.
void takeNmi(ZetaCore& z);

// ---- context.cpp ------------------------------------------------------------
// The register part of the reset state.
void resetRegisters(ZetaContext& c);
// A reset asked for while the core was inside a run or an acceptance.
void applyRequestedReset(ZetaCore& z);

}  // namespace vimo::zeta
