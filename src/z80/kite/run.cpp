// The Kite core's run loop: the budget and its end rule, the owed cycles of
// interrupt acceptance, the halted state, the window after EI and the calls
// that end or extend a run.
//
// Owed cycles are counted as done by the next run without lengthening it:
// the run executes instructions for its own budget and reports the owed
// cycles on top, as the chip spends those cycles on the acceptance instead of
// on instructions. (kiteRun(0) thus still runs exactly one instruction.)
#include <limits>

#include "z80/kite/access.h"
#include "z80/kite/handlers.h"
#include "z80/kite/run.h"

namespace vimo {
namespace {

// Reached when an instruction leaves the count at 0 or below. Opens or closes
// the window; returns true when the run goes on.
bool instructionBoundary(KiteCore& k) {
    KiteContext& c = k.context;
    switch (k.eiWindow) {
        case kKiteWindowOpened:
            // The instruction after EI runs now, whatever the count: with the
            // count at 0 the dispatch loop runs exactly that one.
            k.eiWindow = kKiteWindowArmed;
            return true;
        case kKiteWindowArmed:
            // A handler that an acceptance calls may arm the window again
            // (an NMI or a reset asked for): that is served here at once.
            do {
                k.eiWindow = kKiteWindowClosed;
                k.cyclesLeft += k.eiSavedCycles;
                k.eiSavedCycles = 0;
                if (k.resetRequested) {
                    return false;
                }
                if (k.nmiRequested) {
                    k.nmiRequested = false;
                    kite::acceptNmi(k, k.pc);
                }
                if (c.irqLine != 0 && c.iff1 != 0) {
                    kite::acceptInterrupt(k, k.pc);
                }
            } while (k.eiWindow != kKiteWindowClosed);
            return c.halted == 0 && k.cyclesLeft > 0;
        default:
            return false;
    }
}

void dispatch(KiteCore& k) {
    const KiteHandler* main = k.tables->main;
    do {
        do {
            main[kite::fetchOpcode(k)](k);
        } while (k.cyclesLeft > 0);
    } while (instructionBoundary(k));
}

// Saturated to the 32-bit result (a budget near its top, or cycles a handler
// added or took away, could leave it).
int32_t cyclesDone(const KiteCore& k) {
    const int64_t done = k.cyclesBudget - kite::realCyclesLeft(k);
    if (done > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (done < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(done);
}

}  // namespace

int32_t kiteRun(KiteCore& k, int32_t cycles) {
    if (k.running || k.accepting) {
        return 0;  // called from a handler inside this core
    }
    KiteContext& c = k.context;
    const int64_t budget = cycles > 0 ? cycles : 0;
    k.cyclesBudget = budget + c.owedCycles;
    k.cyclesLeft = budget;
    c.owedCycles = 0;
    k.eiWindow = kKiteWindowClosed;
    k.eiSavedCycles = 0;
    c.flagBits35 = static_cast<uint8_t>(c.af >> 8);
    if (c.halted != 0) {
        k.cyclesLeft = kite::haltedCount(k.cyclesLeft);
        return cyclesDone(k);
    }
    k.tables = &kiteDecodeTables();
    kite::loadWorkingRegisters(k);
    k.running = true;
    dispatch(k);
    k.running = false;
    kite::storeWorkingRegisters(k);
    k.nmiRequested = false;
    if (k.resetRequested) {
        k.resetRequested = false;
        kite::resetRegisters(c);
    }
    return cyclesDone(k);
}

int32_t kiteCyclesDone(const KiteCore& k) { return cyclesDone(k); }

void kiteStop(KiteCore& k) {
    k.cyclesBudget -= kite::realCyclesLeft(k);
    k.cyclesLeft = 0;
    k.eiSavedCycles = 0;
}

void kiteEndTimeslice(KiteCore& k) {
    k.cyclesLeft = 0;
    k.eiSavedCycles = 0;
}

void kiteAddCycles(KiteCore& k, int32_t cycles) { k.cyclesBudget += cycles; }

}  // namespace vimo
