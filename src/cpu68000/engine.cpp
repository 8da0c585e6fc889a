// The run loop, cycle accounting and the odometer, reset, context exchange and
// the packed CCR.
#include "cpu68000/bus.h"
#include "cpu68000/decode.h"

namespace vimo {

namespace {
constexpr uint16_t kSrT = 0x8000;
constexpr uint16_t kSrS = 0x2000;
constexpr uint16_t kSrHighBits = 0xA700;  // T, S and the mask survive every SR write
constexpr uint8_t kStopped = 0x01;
}  // namespace

Cpu68000::Cpu68000() { init(); }

int32_t Cpu68000::init() {
    const PackedTable& table = packedOpcodeTable();
    size_t next = 0;
    for (const uint32_t run : table.runs) {
        const Handler handler = table.handlers[run & 0xFFFFFF];
        const size_t length = (run >> 24) + 1;
        for (size_t i = 0; i < length && next < jumpTable.size(); ++i) jumpTable[next++] = handler;
    }
    return 0;
}

// ---- the packed CCR --------------------------------------------------------------

uint16_t Cpu68000::packCcr() const {
    return static_cast<uint16_t>((flagX << 4) | ((flagN >> 31) << 3) | ((flagNotZ == 0 ? 1u : 0u) << 2) |
                                 (flagV << 1) | flagC);
}

void Cpu68000::unpackCcr(uint16_t ccr) {
    flagX = (ccr >> 4) & 1;
    flagN = (ccr & 0x08) ? 0x80000000u : 0;
    flagNotZ = (ccr & 0x04) ? 0 : 1;
    flagV = (ccr >> 1) & 1;
    flagC = ccr & 1;
}

uint16_t Cpu68000::statusRegister() const { return static_cast<uint16_t>((ctx.sr & 0xFF00) | packCcr()); }

// Every change of S exchanges A7 with the other stack pointer and puts the
// mode's lists in force.
void Cpu68000::setSupervisor(bool supervisor) {
    if (supervisorMode() == supervisor) return;
    const uint32_t sp = ctx.a[7];
    ctx.a[7] = ctx.otherSp;
    ctx.otherSp = sp;
    ctx.current = supervisor ? ctx.supervisor : ctx.user;
    ctx.sr = static_cast<uint16_t>(supervisor ? (ctx.sr | kSrS) : (ctx.sr & ~kSrS));
}

void Cpu68000::writeStatusRegister(uint16_t value) {
    setSupervisor((value & kSrS) != 0);
    ctx.sr = static_cast<uint16_t>((value & kSrHighBits) | (ctx.sr & 0x00FF));
    unpackCcr(value & 0xFF);
}

// After an instruction that wrote SR: a lowered mask or a set T must take
// effect before the next instruction. The rest of the slice is parked so that
// the end-of-slice step runs the interrupt check, then the trace arm follows.
void Cpu68000::afterStatusWrite() {
    if (cyclesLeft < 0) return;
    cyclesDeferred += cyclesLeft + 1;
    cyclesLeft = -1;
    rearmAfterSrWrite = true;
}

// Exactly one instruction runs before the trace exception.
void Cpu68000::armTrace() {
    tracePending = (ctx.sr & kSrT) != 0;
    if (!tracePending) return;
    cyclesDeferred += cyclesLeft + 1;
    cyclesLeft = -1;
}

void Cpu68000::requestExit(uint32_t result) {
    exitNow = true;
    exitResult = result;
    exitCyclesLeft = cyclesLeft;
    cyclesLeft = -1;
}

// ---- exec ---------------------------------------------------------------------------

uint32_t Cpu68000::exec(int32_t cycles) {
    if (ctx.interrupts[0] & kStopped) {
        if (ctx.pc & 1) return kExecOddPc;
        ctx.odometer += static_cast<uint32_t>(cycles);
        return kExecSliceEnded;
    }
    cyclesRequested = cycles;
    cyclesLeft = int64_t{cycles} - 1;
    unpackCcr(ctx.sr & 0xFF);
    executing = true;
    fetchFault = false;
    pc = ctx.pc;
    if (!mapPc(pc)) return finishExec(kExecFetchFault);
    cyclesDeferred = 0;
    return runSlice();
}

uint32_t Cpu68000::runSlice() {
    // Exec entry: interrupt check and trace arm.
    if (checkInterrupts()) {
        mapPc(pc);
        if (fetchFault) return finishExec(kExecFetchFault);
    }
    armTrace();

    for (;;) {
        // Dispatch: the first instruction always runs, the rest while cycles last.
        bool opcodeFault = false;
        do {
            const uint32_t at = pc;
            uint16_t opcode;
            if (at - fetchLow < fetchSpan) [[likely]] {
                opcode = m68k::loadHost16(fetchBase + at);
                pc = at + 2;
            } else if (!fetchOpcodeOutside(at, opcode)) {
                opcodeFault = true;
                break;
            }
            jumpTable[opcode](*this, opcode);
        } while (cyclesLeft >= 0);

        if (exitNow) [[unlikely]] {
            cyclesLeft = exitCyclesLeft;
            return finishExec(exitResult);
        }

        // End of slice.
        if (opcodeFault) tracePending = false;  // no instruction ran to be traced
        if (tracePending) {
            takeException(9);
            jumpTo(pc);
            cyclesLeft -= 34;
        }
        if (checkInterrupts()) {
            mapPc(pc);
            if (fetchFault) return finishExec(kExecFetchFault);
        }
        if (opcodeFault) return finishExec(kExecSliceEnded);
        cyclesLeft += cyclesDeferred;
        cyclesDeferred = 0;
        if (ctx.interrupts[0] & kStopped) {
            // Still stopped: the rest of the slice is spent waiting.
            if (cyclesLeft >= 0) cyclesLeft = -1;
            return finishExec(kExecSliceEnded);
        }
        // After an SR write the check above stood in for the one at exec
        // entry, so, as there, the next instruction runs even when a taken
        // interrupt used up the rest of the slice.
        if (cyclesLeft < 0 && !rearmAfterSrWrite) return finishExec(kExecSliceEnded);
        if (rearmAfterSrWrite) {
            rearmAfterSrWrite = false;
            armTrace();
        }
    }
}

// Every exit counts exactly the cycles run; parked cycles were not run.
uint32_t Cpu68000::finishExec(uint32_t result) {
    ctx.sr = statusRegister();
    ctx.pc = pc;
    ctx.odometer += static_cast<uint32_t>(cyclesRequested - (cyclesLeft + 1) - cyclesDeferred);
    cyclesDeferred = 0;
    cyclesRequested = 0;
    cyclesLeft = -1;
    executing = false;
    fetchFault = false;
    tracePending = false;
    rearmAfterSrWrite = false;
    exitNow = false;
    return result;
}

// ---- reset ----------------------------------------------------------------------------

int32_t Cpu68000::reset() {
    if (executing || ctx.supervisor.fetch == nullptr) return 1;
    fetchFault = false;
    for (uint32_t& r : ctx.d) r = 0;
    for (uint32_t& r : ctx.a) r = 0;
    ctx.otherSp = 0;
    ctx.sr = 0x2700;
    ctx.current = ctx.supervisor;
    ctx.pc = 1;
    ctx.interrupts[0] = kStopped;
    // Both vectors are read straight from the fetch block that holds address
    // 0; a block that does not reach address 7 counts as address 0 unmapped.
    if (!mapPc(0)) return 1;
    if (fetchHigh < 7) {
        fetchBase = 0;
        fetchLow = 0xFFFFFFFFu;
        fetchHigh = 0;
        fetchSpan = 0;
        fetchFault = true;
        return 1;
    }
    ctx.a[7] = m68k::exchangeHalves(m68k::loadHost32(fetchBase + 0));
    ctx.pc = m68k::exchangeHalves(m68k::loadHost32(fetchBase + 4));
    ctx.interrupts[0] = static_cast<uint8_t>(ctx.pc & 1);
    return (ctx.pc & 1) ? -1 : 0;
}

// ---- context ----------------------------------------------------------------------------

int32_t Cpu68000::getContext(Cpu68000Context* out) const {
    *out = ctx;
    return 0;
}

int32_t Cpu68000::setContext(const Cpu68000Context* in) {
    ctx = *in;
    return 0;
}

// ---- odometer ---------------------------------------------------------------------------

uint32_t Cpu68000::readOdometer() const {
    return ctx.odometer + static_cast<uint32_t>(cyclesRequested - (cyclesLeft + 1) - cyclesDeferred);
}

uint32_t Cpu68000::tripOdometer() {
    ctx.odometer += static_cast<uint32_t>(cyclesRequested - (cyclesLeft + 1) - cyclesDeferred);
    cyclesRequested = cyclesLeft + 1 + cyclesDeferred;
    const uint32_t total = ctx.odometer;
    ctx.odometer = 0;
    return total;
}

uint32_t Cpu68000::controlOdometer(int32_t trip) { return trip != 0 ? tripOdometer() : readOdometer(); }

int32_t Cpu68000::releaseTimeslice() {
    cyclesLeft -= cyclesRequested;
    cyclesRequested = 0;
    return 0;
}

uint32_t Cpu68000::readPc() const { return executing ? pc : ctx.pc; }

// One interrupt check on the stored context, outside exec; the new PC is not
// mapped.
void Cpu68000::flushInterrupts() {
    if (executing) return;
    unpackCcr(ctx.sr & 0xFF);
    pc = ctx.pc;
    const int64_t before = cyclesLeft;
    checkInterrupts();
    ctx.odometer += static_cast<uint32_t>(before - cyclesLeft);
    cyclesLeft = -1;
    ctx.pc = pc;
    ctx.sr = statusRegister();
}

// The word at `address` through supervisor.fetch; the fetch window in force
// is left alone.
int32_t Cpu68000::fetchWord(uint32_t address) {
    const ProgramRegion* entry = m68k::findRegion(ctx.supervisor.fetch, address & m68k::kAddressMask);
    if (entry == nullptr) return -1;
    const uint32_t a = address & m68k::kAddressMask;
    const uintptr_t host = entry->offset + a;
    if (a < entry->high) return m68k::loadHost16(host);
    return static_cast<int32_t>(0xFF00u | *reinterpret_cast<const uint8_t*>(host));
}

}  // namespace vimo
