// The Zeta core's record exchange and its reset state.
#include "z80/zeta/run.h"
#include "z80/zeta/zeta.h"

namespace vimo {

namespace zeta {

// Everything but the memory image, the lists, the pending request and the
// R counter: AF = 0x0040 (only Z set), IX = IY = 0xFFFF, the other registers
// 0, interrupts disabled in mode 0, targets 0x38 and 0x66, not halted.
void resetRegisters(ZetaContext& c) {
    c.halted = 0;
    c.af = 0x0040;
    c.bc = c.de = c.hl = 0;
    c.af2 = c.bc2 = c.de2 = c.hl2 = 0;
    c.ix = c.iy = 0xFFFF;
    c.sp = 0;
    c.pc = 0;
    c.i = 0;
    c.r = 0;
    c.iff = 0;
    c.interruptMode = 0;
    c.interruptAddress = 0x38;
    c.nmiAddress = 0x66;
}

void applyRequestedReset(ZetaCore& z) {
    if (z.resetRequested) {
        z.resetRequested = false;
        resetRegisters(z.context);
    }
}

}  // namespace zeta

size_t zetaContextSize() { return sizeof(ZetaContext); }

void zetaSaveContext(const ZetaCore& z, ZetaContext* out) { *out = z.context; }

void zetaLoadContext(ZetaCore& z, const ZetaContext* in) { z.context = *in; }

// A reset asked for from a bus handler while the core is inside a run (or an
// acceptance) would otherwise be overwritten, in part, by the instruction
// still in progress: it waits until that instruction ends, and the run ends
// with it.
void zetaResetCpu(ZetaCore& z) {
    if (z.running || z.accepting) {
        z.resetRequested = true;
        zetaEndTimeslice(z);
        return;
    }
    zeta::resetRegisters(z.context);
}

}  // namespace vimo
