// The Z80 core router: the machine holds two interchangeable Z80 cores and
// sends every reset, interrupt and run slice to the one z80Core selects. Both
// cores get the same map, the Z80 bus of z80_bus.cpp. Switching cores moves
// the whole register state, so the sound program goes on where it was.
//
// Each operation has one branch per core.
#include "machine/machine.h"

namespace vimo {

namespace {

// Core 1 takes 0x0000-0x1FFF from its memory image, the Z80 RAM; the lists
// send everything above it (the RAM mirror included) to the Z80 bus.
constexpr uint32_t kZ80BusLow = 0x2000;
constexpr uint32_t kZ80BusHigh = 0xFFFF;
constexpr uint16_t kZ80PortLow = 0x00;
constexpr uint16_t kZ80PortHigh = 0xFF;

constexpr Z80MemRange kZetaMemoryRead[] = {
    Z80MemRange::reader(kZ80BusLow, kZ80BusHigh, z80ReadMemoryZeta),
    Z80MemRange::end(),
};
constexpr Z80MemRange kZetaMemoryWrite[] = {
    Z80MemRange::writer(kZ80BusLow, kZ80BusHigh, z80WriteMemoryZeta),
    Z80MemRange::end(),
};
constexpr Z80PortRange kZetaPortRead[] = {
    Z80PortRange::reader(kZ80PortLow, kZ80PortHigh, z80ReadPortZeta),
    Z80PortRange::end(),
};
constexpr Z80PortRange kZetaPortWrite[] = {
    Z80PortRange::writer(kZ80PortLow, kZ80PortHigh, z80WritePortZeta),
    Z80PortRange::end(),
};

// The data-bus byte each core is given with the frame's interrupt.
constexpr uint32_t kZetaFrameVector = 1;
constexpr uint8_t kKiteFrameVector = 0xFF;

// The budget of a slice of `cycles` after a previous slice that counted
// `elapsed`: what that slice ran past its own budget is taken off this one.
// False when even the whole slice does not pay it back (the frame's slices
// never owe that much); the slice is then skipped.
bool paidBackBudget(uint32_t cycles, uint32_t elapsed, uint32_t& budget) {
    const uint32_t over = elapsed > cycles ? elapsed - cycles : 0;
    if (over > cycles) return false;
    budget = cycles - over;
    return true;
}

// Core 2 counts what its last run did until it runs again; this makes it
// count nothing, as after a reset of its budget.
void clearKiteCount(KiteCore& k) {
    k.cyclesBudget = 0;
    k.cyclesLeft = 0;
    k.eiSavedCycles = 0;
}

}  // namespace

int32_t Machine::initZ80Cores() {
    // Core 2: fetch, read and write pages on the Z80 RAM, the Z80 bus above it.
    kiteBeginMemoryMap(kiteCore);
    kiteMapFetchPages(kiteCore, 0x0000, kZ80RamSize - 1, z80Ram.get());
    kiteAddReadRange(kiteCore, 0x0000, kZ80RamSize - 1, kKiteRangeMemory, z80Ram.get());
    kiteAddReadRange(kiteCore, kZ80BusLow, kZ80BusHigh, kKiteRangeHandler, z80ReadMemoryKite);
    kiteAddWriteRange(kiteCore, 0x0000, kZ80RamSize - 1, kKiteRangeMemory, z80Ram.get());
    kiteAddWriteRange(kiteCore, kZ80BusLow, kZ80BusHigh, kKiteRangeHandler, z80WriteMemoryKite);
    kiteSetPortReader(kiteCore, z80ReadPortKite);
    kiteSetPortWriter(kiteCore, z80WritePortKite);
    kiteEndMemoryMap(kiteCore);
    kiteResetCpu(kiteCore);

    // Core 1: its record from a reset, then the memory image and the lists.
    zetaContext = ZetaContext{};
    zetaResetCpu(zetaCore);
    zetaSaveContext(zetaCore, &zetaContext);
    zetaContext.base = z80Ram.get();
    zetaContext.baseSize = kZ80RamSize;
    zetaContext.memRead = kZetaMemoryRead;
    zetaContext.memWrite = kZetaMemoryWrite;
    zetaContext.portRead = kZetaPortRead;
    zetaContext.portWrite = kZetaPortWrite;
    zetaLoadContext(zetaCore, &zetaContext);
    zetaResetCpu(zetaCore);

    z80Core = kZetaCore;
    return 0;
}

void Machine::resetZ80() {
    // Called from inside a run (the Z80 writing 0xA11200 through its window),
    // a core finishes the instruction in progress, then resets and ends the run.
    zetaResetCpu(zetaCore);
    kiteResetCpu(kiteCore);
}

void Machine::interruptZ80() {
    switch (z80Core) {
    case kZetaCore:
        zetaInterrupt(zetaCore, kZetaFrameVector);
        break;
    case kKiteCore:
        kiteRaiseIrq(kiteCore, kKiteFrameVector);
        break;
    default:
        break;
    }
}

void Machine::runZ80(int32_t cycles) {
    if (z80Running == 0) return;
    const uint32_t slice = cycles > 0 ? static_cast<uint32_t>(cycles) : 0;
    uint32_t budget = 0;
    switch (z80Core) {
    case kZetaCore:
        // A stop at an instruction the core does not implement needs nothing
        // here: the program stays stopped there.
        if (paidBackBudget(slice, zetaTakeElapsed(zetaCore, 1), budget)) zetaRun(zetaCore, budget);
        break;
    case kKiteCore: {
        // The last run's count includes the acceptance cycles it owed, so an
        // interrupt taken between slices is paid back like an overrun.
        const int32_t done = kiteCyclesDone(kiteCore);
        const uint32_t elapsed = done > 0 ? static_cast<uint32_t>(done) : 0;
        // A skipped slice pays the debt, as on core 1; without clearing the
        // count the core would owe the same debt for ever and never run again.
        if (paidBackBudget(slice, elapsed, budget))
            kiteRun(kiteCore, static_cast<int32_t>(budget));
        else
            clearKiteCount(kiteCore);
        break;
    }
    default:
        break;
    }
}

int32_t Machine::selectZ80Core(uint32_t core) {
    if (core == z80Core) return 0;
    Z80RegisterState state;
    if (!saveZ80State(z80Core, state)) return 0;
    if (!loadZ80State(core, state)) return 0;
    z80Core = core;
    return 0;
}

bool Machine::saveZ80State(uint32_t core, Z80RegisterState& state) {
    switch (core) {
    case kZetaCore: {
        zetaSaveContext(zetaCore, &zetaContext);
        const ZetaContext& c = zetaContext;
        state.af = c.af;
        state.bc = c.bc;
        state.de = c.de;
        state.hl = c.hl;
        state.af2 = c.af2;
        state.bc2 = c.bc2;
        state.de2 = c.de2;
        state.hl2 = c.hl2;
        state.ix = c.ix;
        state.iy = c.iy;
        state.sp = c.sp;
        state.pc = c.pc;
        state.i = c.i;
        state.r = c.r;
        state.iff1 = (c.iff & 1u) != 0 ? 1 : 0;
        state.iff2 = (c.iff & 2u) != 0 ? 1 : 0;
        state.interruptMode = static_cast<uint8_t>(c.interruptMode);
        state.halted = c.halted != 0 ? 1 : 0;
        state.interruptPending = c.interruptPending != 0 ? 1 : 0;
        state.interruptVector = zetaCore.pendingVector;
        return true;
    }
    case kKiteCore: {
        const auto pair = [this](uint32_t index) { return static_cast<uint16_t>(kiteRegister(kiteCore, index)); };
        state.af = pair(kKiteAF);  // in Z80 order, as the other pairs
        state.bc = pair(kKiteBC);
        state.de = pair(kKiteDE);
        state.hl = pair(kKiteHL);
        state.af2 = pair(kKiteAF2);
        state.bc2 = pair(kKiteBC2);
        state.de2 = pair(kKiteDE2);
        state.hl2 = pair(kKiteHL2);
        state.ix = pair(kKiteIX);
        state.iy = pair(kKiteIY);
        state.sp = pair(kKiteSP);
        state.pc = pair(kKitePC);
        const uint16_t ir = pair(kKiteIR);
        state.i = static_cast<uint8_t>(ir >> 8);
        state.r = static_cast<uint8_t>(ir);
        state.iff1 = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteIFF1));
        state.iff2 = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteIFF2));
        state.interruptMode = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteIM));
        state.halted = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteHalted));
        state.interruptPending = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteIrqLine));
        state.interruptVector = static_cast<uint8_t>(kiteRegister(kiteCore, kKiteIrqVector));
        return true;
    }
    default:
        return false;
    }
}

bool Machine::loadZ80State(uint32_t core, const Z80RegisterState& state) {
    switch (core) {
    case kZetaCore: {
        // The memory image, the lists, the NMI target and the R counter stay
        // the core's own.
        zetaSaveContext(zetaCore, &zetaContext);
        ZetaContext& c = zetaContext;
        c.af = state.af;
        c.bc = state.bc;
        c.de = state.de;
        c.hl = state.hl;
        c.af2 = state.af2;
        c.bc2 = state.bc2;
        c.de2 = state.de2;
        c.hl2 = state.hl2;
        c.ix = state.ix;
        c.iy = state.iy;
        c.sp = state.sp;
        c.pc = state.pc;
        c.i = state.i;
        c.r = state.r;
        c.iff = (state.iff1 != 0 ? 1u : 0u) | (state.iff2 != 0 ? 2u : 0u);
        c.interruptMode = state.interruptMode <= 2 ? state.interruptMode : 0;
        if (c.interruptMode == 1) c.interruptAddress = 0x38;  // as IM 1 sets it
        c.halted = state.halted != 0 ? 1 : 0;
        c.interruptPending = state.interruptPending != 0 ? 1 : 0;
        zetaLoadContext(zetaCore, &zetaContext);
        // A request left pending is the frame's interrupt: it goes on with
        // the data byte this core is given for it (kept beside the record).
        zetaCore.pendingVector =
            state.interruptVector == kKiteFrameVector ? kZetaFrameVector : state.interruptVector;
        // Taking over, the core owes nothing for slices it ran before.
        zetaTakeElapsed(zetaCore, 1);
        return true;
    }
    case kKiteCore: {
        // The map stays the core's own; only registers are stored.
        KiteCore& k = kiteCore;
        kiteStoreRegister(k, kKiteAF, state.af);
        kiteStoreRegister(k, kKiteBC, state.bc);
        kiteStoreRegister(k, kKiteDE, state.de);
        kiteStoreRegister(k, kKiteHL, state.hl);
        kiteStoreRegister(k, kKiteAF2, state.af2);
        kiteStoreRegister(k, kKiteBC2, state.bc2);
        kiteStoreRegister(k, kKiteDE2, state.de2);
        kiteStoreRegister(k, kKiteHL2, state.hl2);
        kiteStoreRegister(k, kKiteIX, state.ix);
        kiteStoreRegister(k, kKiteIY, state.iy);
        kiteStoreRegister(k, kKiteSP, state.sp);
        kiteStoreRegister(k, kKitePC, state.pc);
        kiteStoreRegister(k, kKiteIR, static_cast<uint32_t>((state.i << 8) | state.r));
        kiteStoreRegister(k, kKiteIFF1, state.iff1);
        kiteStoreRegister(k, kKiteIFF2, state.iff2);
        kiteStoreRegister(k, kKiteIM, state.interruptMode <= 2 ? state.interruptMode : 0);
        kiteStoreRegister(k, kKiteHalted, state.halted);
        // Taking over, the core owes nothing: neither acceptance cycles nor
        // the overrun of a run it made before an earlier switch.
        k.context.owedCycles = 0;
        clearKiteCount(k);
        // A request left pending is the frame's interrupt: it goes on with the
        // data byte this core is given for it. Allowed by IFF1, it is accepted
        // now, as core 1 would take it at the start of its next run.
        const uint8_t vector = state.interruptVector == kZetaFrameVector ? kKiteFrameVector : state.interruptVector;
        kiteLowerIrq(k);
        kiteStoreRegister(k, kKiteIrqVector, vector);
        if (state.interruptPending != 0) kiteRaiseIrq(k, vector);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vimo
