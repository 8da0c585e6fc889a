// Maskable interrupts and the NMI of the Zeta core. The return address goes
// to the stack in the memory image; mode 2 reads its vector word there too.
#include "z80/zeta/access.h"
#include "z80/zeta/run.h"

namespace vimo {
namespace {

// Pushes pc, loads the target into it and returns the acceptance cost:
// 13 cycles in modes 0 and 1 (to ZetaContext::interruptAddress), 19 in mode 2
// (to the word at I x 256 + vector).
int acceptInterrupt(ZetaCore& z, uint16_t& pc, uint8_t vector) {
    ZetaContext& c = z.context;
    c.interruptPending = 0;
    c.iff = 0;
    zeta::pushImage(z, pc);
    if (c.interruptMode == 2) {
        pc = zeta::imageReadWord(z, static_cast<uint16_t>((c.i << 8) | vector));
        return 19;
    }
    pc = c.interruptAddress;
    return 13;
}

bool insideCore(const ZetaCore& z) { return z.running || z.accepting; }

}  // namespace

namespace zeta {

void takePendingInterrupt(ZetaCore& z) {
    ZetaContext& c = z.context;
    c.halted = 0;
    if ((c.iff & 1u) == 0) {
        return;
    }
    const int cost = acceptInterrupt(z, z.pc, z.pendingVector);
    z.cyclesLeft -= cost;
    c.rCounter += static_cast<uint32_t>(cost);
}

void takeNmi(ZetaCore& z) {
    ZetaContext& c = z.context;
    c.halted = 0;
    c.iff = (c.iff & 1u) != 0 ? 2u : 0u;  // IFF2 keeps IFF1, IFF1 clear
    z.accepting = true;
    uint16_t pc = c.pc;
    pushImage(z, pc);
    c.pc = c.nmiAddress;
    z.accepting = false;
    z.elapsedCycles += 11;
    c.rCounter += 11;
    applyRequestedReset(z);
}

}  // namespace zeta

int32_t zetaInterrupt(ZetaCore& z, uint32_t vector) {
    ZetaContext& c = z.context;
    const auto vectorByte = static_cast<uint8_t>(vector);
    if (insideCore(z)) {
        c.interruptPending = 1;
        z.pendingVector = vectorByte;
        return -1;
    }
    c.halted = 0;
    if ((c.iff & 1u) == 0) {
        c.interruptPending = 1;
        z.pendingVector = vectorByte;
        return -1;
    }
    z.accepting = true;
    uint16_t pc = c.pc;
    const int cost = acceptInterrupt(z, pc, vectorByte);
    c.pc = pc;
    z.accepting = false;
    z.elapsedCycles += static_cast<uint32_t>(cost);
    c.rCounter += static_cast<uint32_t>(cost);
    zeta::applyRequestedReset(z);
    return 0;
}

void zetaDropPendingInterrupt(ZetaCore& z) { z.context.interruptPending = 0; }

int32_t zetaNmi(ZetaCore& z) {
    if (insideCore(z)) {
        z.nmiRequested = true;
        return 0;
    }
    zeta::takeNmi(z);
    return 0;
}

}  // namespace vimo
