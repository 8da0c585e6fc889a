// Run-loop plumbing of the Kite core shared by EI, HALT, the interrupt paths
// and the calls a bus handler may make during a run.
#pragma once

#include <cstdint>

#include "z80/kite/kite.h"

namespace vimo::kite {

// The cycles really left: while a window is not closed the count is parked
// in eiSavedCycles and cyclesLeft counts from 0.
inline int64_t realCyclesLeft(const KiteCore& k) {
    return k.cyclesLeft + (k.eiWindow != kKiteWindowClosed ? k.eiSavedCycles : 0);
}

// Makes the dispatch loop stop after the current instruction, whose cost is
// still charged, so that the window check runs (the same way the window
// after EI works). Used when a handler raises an interrupt, an NMI or a reset.
inline void endAtInstructionBoundary(KiteCore& k) {
    if (k.eiWindow == kKiteWindowClosed) {
        k.eiSavedCycles = k.cyclesLeft;
        k.cyclesLeft = 0;
        k.eiWindow = kKiteWindowArmed;
    }
}

// The rest of a halted run is taken up as if by 4-cycle steps: a count left
// of at least 1 becomes (left & 3) - 4. A count already used up (a HALT
// inside the window after an EI that ended the budget) is charged 4 more.
inline int64_t haltedCount(int64_t left) {
    if (left <= 0) {
        return left - 4;
    }
    return static_cast<int64_t>(static_cast<uint64_t>(left) & 3u) - 4;
}

// ---- interrupts.cpp ---------------------------------------------------------
// Accept the raised interrupt, or an NMI, pushing `pc` and loading the target
// into it; the acceptance cycles are owed to the next run.
void acceptInterrupt(KiteCore& k, uint16_t& pc);
void acceptNmi(KiteCore& k, uint16_t& pc);

// ---- context.cpp ------------------------------------------------------------
// The register part of the reset state (the record's map stays).
void resetRegisters(KiteContext& c);

}  // namespace vimo::kite
