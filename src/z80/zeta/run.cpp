// The Zeta core's run loop: the slice budget and its end rule, the window
// after EI, the invalid-instruction exit and the elapsed-cycle counter.
#include "z80/zeta/access.h"
#include "z80/zeta/handlers.h"
#include "z80/zeta/run.h"

namespace vimo {
namespace {

// The slice end: reached when an instruction takes the count below 0 (or
// ends the run itself). Closes the window after EI, which may let the run go
// on; returns true when the run is over.
bool sliceEnded(ZetaCore& z) {
    if (z.stop == ZetaStop::invalid) {
        return true;
    }
    if (z.stop == ZetaStop::wholeBudget) {
        z.stop = ZetaStop::none;
        z.cyclesLeft = 0;
    }
    if (z.eiWindow == 0) {
        return true;
    }
    // The window's instruction ran on a count of 0: hand back the saved
    // count less its cost, and only now look at a pending request.
    z.eiWindow = 0;
    z.cyclesLeft += z.eiSavedCycles;
    if (z.cyclesLeft < 0) {
        return true;
    }
    if (z.context.interruptPending != 0) {
        zeta::takePendingInterrupt(z);
    }
    if (z.context.halted != 0) {  // a HALT in the window that no request ended
        z.cyclesLeft = 0;
        return true;
    }
    return false;
}

// Each handler charges its cost; while the count stays at 0 or above the
// next opcode is fetched and dispatched.
void dispatch(ZetaCore& z) {
    const ZetaHandler* main = z.tables->main;
    do {
        do {
            main[zeta::fetchByte(z)](z);
        } while (z.cyclesLeft >= 0);
    } while (!sliceEnded(z));
}

uint32_t finishRun(ZetaCore& z) {
    uint32_t result = kZetaSliceEnded;
    if (z.stop == ZetaStop::invalid) {
        // Not counted: the next run meets the same instruction again.
        z.pc = z.stopAddress;
        result = z.stopAddress;
    } else {
        const auto executed = static_cast<uint32_t>(z.syncBase - z.cyclesLeft);
        z.elapsedCycles += executed;
        z.context.rCounter += executed;
    }
    z.stop = ZetaStop::none;
    z.eiWindow = 0;
    z.running = false;
    zeta::storeWorkingRegisters(z);
    if (z.resetRequested) {
        zeta::applyRequestedReset(z);
        result = kZetaSliceEnded;
    }
    return result;
}

}  // namespace

uint32_t zetaRun(ZetaCore& z, uint32_t cycles) {
    ZetaContext& c = z.context;
    const int64_t budget = cycles;
    z.cyclesLeft = budget;
    z.syncBase = budget;
    z.savedCycles = budget;
    z.rStart = budget;
    z.eiWindow = 0;
    z.stop = ZetaStop::none;
    if (z.nmiRequested) {
        z.nmiRequested = false;
        zeta::takeNmi(z);
    }
    if (c.halted != 0) {
        z.elapsedCycles += cycles;
        c.rCounter += cycles;
        z.savedCycles = 0;
        return kZetaSliceEnded;
    }
    z.tables = &zetaDecodeTables();
    zeta::loadWorkingRegisters(z);
    z.running = true;
    if (c.interruptPending != 0) {
        zeta::takePendingInterrupt(z);  // no end test: the first instruction runs regardless
    }
    dispatch(z);
    return finishRun(z);
}

uint32_t zetaTakeElapsed(ZetaCore& z, uint32_t clear) {
    const uint32_t elapsed = z.elapsedCycles;
    if (clear != 0) {
        z.elapsedCycles = 0;
    }
    return elapsed;
}

// For a bus handler: the run ends right after the current instruction, whose
// cost still counts. The bus call has just synchronised the counters, so the
// real count left is dropped from both the base and the saved count.
void zetaEndTimeslice(ZetaCore& z) {
    if (!z.running || !z.inBusCall) {
        return;
    }
    z.syncBase -= z.savedCycles + (z.eiWindow != 0 ? z.eiSavedCycles : 0);
    z.savedCycles = 0;
    if (z.eiWindow != 0) {
        z.eiSavedCycles = 0;
    }
}

}  // namespace vimo
