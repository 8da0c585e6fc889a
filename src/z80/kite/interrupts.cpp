// Maskable interrupts and the NMI of the Kite core. The return address goes
// to the stack through the write pages and the mode 2 vector comes through
// the read pages; the acceptance cycles are owed to the next run.
#include "z80/kite/access.h"
#include "z80/kite/run.h"

namespace vimo {

namespace kite {

// Modes 0 and 1 cost 13 cycles, mode 2 19. In mode 0 the data-bus byte is
// taken as an RST opcode: 0xC7 + 8n gives the restart address 8n (0xFF gives
// 0x38).
void acceptInterrupt(KiteCore& k, uint16_t& pc) {
    KiteContext& c = k.context;
    c.irqLine = 0;
    c.iff1 = 0;
    c.iff2 = 0;
    c.halted = 0;
    ++c.rCounter;
    push(k, pc);
    switch (c.im) {
        case 0:
            pc = static_cast<uint16_t>((c.irqVector - 0xC7u) & 0xFFu);
            c.owedCycles += 13;
            break;
        case 1:
            pc = 0x0038;
            c.owedCycles += 13;
            break;
        default:
            pc = readWord(k, static_cast<uint16_t>((c.i << 8) | c.irqVector));
            c.owedCycles += 19;
            break;
    }
}

// IFF2 keeps its value, so RETN can give IFF1 back.
void acceptNmi(KiteCore& k, uint16_t& pc) {
    KiteContext& c = k.context;
    c.iff1 = 0;
    c.halted = 0;
    c.owedCycles += 11;
    ++c.rCounter;
    push(k, pc);
    pc = 0x0066;
}

}  // namespace kite

namespace {

// Between runs the record holds PC: the acceptance works on it. A handler
// that the pushes call may ask for an NMI or a reset; both wait until this
// acceptance is complete.
template <void (*Accept)(KiteCore&, uint16_t&)>
void acceptBetweenRuns(KiteCore& k) {
    KiteContext& c = k.context;
    k.accepting = true;
    uint16_t pc = static_cast<uint16_t>(c.pc);
    Accept(k, pc);
    while (k.nmiRequested && !k.resetRequested) {
        k.nmiRequested = false;
        kite::acceptNmi(k, pc);
    }
    c.pc = pc;
    k.accepting = false;
    k.nmiRequested = false;
    if (k.resetRequested) {
        k.resetRequested = false;
        kite::resetRegisters(c);
    }
}

}  // namespace

void kiteRaiseIrq(KiteCore& k, uint8_t vector) {
    KiteContext& c = k.context;
    c.irqLine = 1;
    c.irqVector = vector;
    if (c.iff1 == 0 || k.accepting) {
        return;
    }
    if (k.running) {
        // Mid-instruction: pushing PC now would return into the middle of it.
        kite::endAtInstructionBoundary(k);
        return;
    }
    acceptBetweenRuns<kite::acceptInterrupt>(k);
}

void kiteLowerIrq(KiteCore& k) { k.context.irqLine = 0; }

void kiteNmi(KiteCore& k) {
    if (k.accepting) {
        k.nmiRequested = true;
        return;
    }
    if (k.running) {
        k.nmiRequested = true;
        kite::endAtInstructionBoundary(k);
        return;
    }
    acceptBetweenRuns<kite::acceptNmi>(k);
}

}  // namespace vimo
