// Interrupt requests, the interrupt check, exception entry, privilege
// violations and the traps with their stacked PCs.
#include "cpu68000/bus.h"

namespace vimo {

namespace {
constexpr uint8_t kStopped = 0x01;
constexpr int kInterruptCycles = 44;
constexpr int kFaultCycles = 34;
}  // namespace

int32_t Cpu68000::interrupt(int32_t level, int32_t vector) {
    if (static_cast<uint32_t>(level) - 1 >= 7 || vector > 255 || vector < -2) return 2;
    if (vector == -2) vector = 24;               // spurious interrupt
    else if (vector == -1) vector = 24 + level;  // autovector
    const uint8_t bit = static_cast<uint8_t>(1u << level);
    if (ctx.interrupts[0] & bit) return 1;
    ctx.interrupts[0] |= bit;
    ctx.interrupts[level] = static_cast<uint8_t>(vector);
    const int mask = (ctx.sr >> 8) & 7;
    if ((ctx.interrupts[0] & kStopped) && (level == 7 || level > mask))
        ctx.interrupts[0] &= static_cast<uint8_t>(~kStopped);
    // Inside exec the slice ends after the current instruction, the check
    // runs, and the slice goes on with the cycles it had.
    cyclesDeferred += cyclesLeft + 1;
    cyclesLeft = -1;
    return 0;
}

// Level 7 is taken whatever the mask; the others only above it. One level at
// most; lower ones wait for the next check.
bool Cpu68000::checkInterrupts() {
    const uint32_t pending = ctx.interrupts[0] & 0xFEu;
    if (pending == 0) return false;
    const int mask = (ctx.sr >> 8) & 7;
    for (int level = 7; level >= 1; --level) {
        if (level != 7 && level <= mask) break;
        if ((pending & (1u << level)) == 0) continue;
        ctx.interrupts[0] &= static_cast<uint8_t>(~(1u << level));
        takeException(ctx.interrupts[level]);
        ctx.sr = static_cast<uint16_t>((ctx.sr & ~0x0700) | (level << 8));
        cyclesLeft -= kInterruptCycles;
        return true;
    }
    return false;
}

// The short frame: SR at A7, PC at A7 + 2, on the supervisor stack. The vector
// is read through the lists in force when the exception begins.
void Cpu68000::takeException(uint32_t vector) {
    ctx.interrupts[0] &= static_cast<uint8_t>(~kStopped);
    const uint32_t newPc = busReadLong(vector * 4);
    const uint16_t image = statusRegister();
    setSupervisor(true);
    ctx.sr &= 0x27FF;  // T cleared: the handler is not traced
    tracePending = false;
    const uint32_t sp = ctx.a[7];
    busWriteLong(sp - 4, pc);
    busWriteWord(sp - 6, image);
    ctx.a[7] = sp - 6;
    pc = newPc;
}

// Traps that stack the address of the next instruction.
void Cpu68000::trapTo(uint32_t vector, int cycles) {
    takeException(vector);
    jumpTo(pc);
    cyclesLeft -= cycles;
}

// Exceptions that stack the opcode's own address (the PC is just past it).
void Cpu68000::faultAtOpcode(uint32_t vector) {
    pc -= 2;
    trapTo(vector, kFaultCycles);
}

void Cpu68000::privilegeViolation() { faultAtOpcode(8); }

}  // namespace vimo
