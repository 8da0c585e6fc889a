// The Kite core's register access by number, its reset state and the record
// exchange.
#include "z80/kite/kite.h"
#include "z80/kite/run.h"

namespace vimo {
namespace {

// AF and AF' keep F in bits 8-15 of the record; by number they read and
// write in Z80 order, A in bits 8-15.
uint32_t swapBytes(uint32_t value) { return ((value & 0xFFu) << 8) | ((value >> 8) & 0xFFu); }

uint32_t* pairSlot(KiteContext& c, uint32_t index) {
    switch (index) {
        case kKiteAF: return &c.af;
        case kKiteBC: return &c.bc;
        case kKiteDE: return &c.de;
        case kKiteHL: return &c.hl;
        case kKiteIX: return &c.ix;
        case kKiteIY: return &c.iy;
        case kKitePC: return &c.pc;
        case kKiteSP: return &c.sp;
        case kKiteAF2: return &c.af2;
        case kKiteBC2: return &c.bc2;
        case kKiteDE2: return &c.de2;
        case kKiteHL2: return &c.hl2;
        default: return nullptr;
    }
}

uint32_t flagValue(uint8_t byte) { return byte != 0 ? 1u : 0u; }
uint8_t flagByte(uint32_t value) { return value != 0 ? kKiteIffSet : 0; }

}  // namespace

namespace kite {

void resetRegisters(KiteContext& c) {
    c.af = c.bc = c.de = c.hl = 0;
    c.af2 = c.bc2 = c.de2 = c.hl2 = 0;
    c.pc = c.sp = 0;
    c.iff1 = c.iff2 = 0;
    c.rCounter = c.rHigh = 0;
    c.i = 0;
    c.flagBits35 = 0;
    c.im = 0;
    c.irqVector = 0;
    c.irqLine = 0;
    c.halted = 0;
    c.owedCycles = 0;
    c.ix = c.iy = 0xFFFF;
    c.af = swapBytes(0x0040);  // A = 0, F = Z
}

}  // namespace kite

uint32_t kiteRegister(const KiteCore& k, uint32_t index) {
    const KiteContext& c = k.context;
    switch (index) {
        case kKiteAF: return swapBytes(c.af);
        case kKiteAF2: return swapBytes(c.af2);
        case kKiteBC: return c.bc;
        case kKiteDE: return c.de;
        case kKiteHL: return c.hl;
        case kKiteIX: return c.ix;
        case kKiteIY: return c.iy;
        case kKitePC: return c.pc;
        case kKiteSP: return c.sp;
        case kKiteBC2: return c.bc2;
        case kKiteDE2: return c.de2;
        case kKiteHL2: return c.hl2;
        case kKiteIFF1: return flagValue(c.iff1);
        case kKiteIFF2: return flagValue(c.iff2);
        case kKiteIM: return c.im;
        case kKiteIrqVector: return c.irqVector;
        case kKiteIrqLine: return flagValue(c.irqLine);
        case kKiteHalted: return flagValue(c.halted);
        default:  // IR
            return (static_cast<uint32_t>(c.i) << 8) | (c.rHigh & 0x80u) | (c.rCounter & 0x7Fu);
    }
}

void kiteStoreRegister(KiteCore& k, uint32_t index, uint32_t value) {
    KiteContext& c = k.context;
    value &= 0xFFFFu;
    if (uint32_t* slot = pairSlot(c, index); slot != nullptr) {
        *slot = (index == kKiteAF || index == kKiteAF2) ? swapBytes(value) : value;
        if (index == kKiteAF) {
            // F is taken whole: its bits 3 and 5 too, also during a run.
            c.flagBits35 = static_cast<uint8_t>(value);
        }
        return;
    }
    switch (index) {
        case kKiteIFF1: c.iff1 = flagByte(value); return;
        case kKiteIFF2: c.iff2 = flagByte(value); return;
        case kKiteIrqLine: c.irqLine = flagByte(value); return;
        case kKiteHalted: c.halted = flagByte(value); return;
        case kKiteIM: c.im = static_cast<uint8_t>(value); return;
        case kKiteIrqVector: c.irqVector = static_cast<uint8_t>(value); return;
        default:  // IR
            c.i = static_cast<uint8_t>(value >> 8);
            c.rHigh = value;
            c.rCounter = value;
            return;
    }
}

// A reset asked for by a bus handler while the core runs would otherwise be
// overwritten, in part, by the instruction still in progress: it waits until
// that instruction ends, and the run ends with it, counting what it ran.
void kiteResetCpu(KiteCore& k) {
    if (k.accepting) {
        k.resetRequested = true;
        return;
    }
    if (k.running) {
        k.resetRequested = true;
        kiteStop(k);
        return;
    }
    kite::resetRegisters(k.context);
}

size_t kiteContextSize() { return sizeof(KiteContext); }

void kiteSaveContext(const KiteCore& k, KiteContext* destination) {
    if (destination != nullptr) {
        *destination = k.context;
    }
}

void kiteLoadContext(KiteCore& k, const KiteContext* source) {
    if (source != nullptr) {
        k.context = *source;
    }
}

}  // namespace vimo
