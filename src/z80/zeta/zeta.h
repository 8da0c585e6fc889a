// "Zeta v1.0", the first of the two interchangeable Z80 interpreters.
//
// This header is the map of the core: the range records through which it
// reaches memory and ports, the register record exchanged with its owner
// (`ZetaContext`), the instance that holds that record together with the run
// state (`ZetaCore`), and the free functions that drive it, grouped by the file
// that defines them.
//
// Opcode and operand bytes, the stack traffic of control transfers and the
// IM 2 vector come from a flat memory image; data accesses and I/O ports go
// through four range lists. Every access that falls outside the image goes
// through the normal read and write paths instead of reaching past it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vimo {

struct Z80MemRange;
struct Z80PortRange;

// Bus handlers. The address is the 16-bit Z80 address, the port the 8-bit
// port number (zero-extended). Reads return the byte in bits 0-7; writes get
// the byte in bits 0-7 of value. The handler receives the record it matched.
using Z80MemReadHandler = uint32_t (*)(uint32_t address, const Z80MemRange* range);
using Z80MemWriteHandler = void (*)(uint32_t address, uint32_t value, const Z80MemRange* range);
using Z80PortReadHandler = uint32_t (*)(uint32_t port, const Z80PortRange* range);
using Z80PortWriteHandler = void (*)(uint32_t port, uint32_t value, const Z80PortRange* range);

// One record of a memory list. A read list looks only at `read`, a write list
// only at `write`. With no handler the range is host memory: the byte at Z80
// address a is user[a - low] for low <= a <= high. With a handler, `user` is
// the handler's own. A list ends at the first record whose low has its low 16
// bits all ones, so no range can begin at 0xFFFF.
struct Z80MemRange {
    uint32_t low;
    uint32_t high;
    Z80MemReadHandler read;
    Z80MemWriteHandler write;
    void* user;

    static constexpr Z80MemRange reader(uint32_t low, uint32_t high, Z80MemReadHandler handler,
                                        void* user = nullptr) {
        return {low, high, handler, nullptr, user};
    }
    static constexpr Z80MemRange writer(uint32_t low, uint32_t high, Z80MemWriteHandler handler,
                                        void* user = nullptr) {
        return {low, high, nullptr, handler, user};
    }
    static constexpr Z80MemRange direct(uint32_t low, uint32_t high, uint8_t* host) {
        return {low, high, nullptr, nullptr, host};
    }
    static constexpr Z80MemRange end() { return {0xFFFFFFFFu, 0xFFFFFFFFu, nullptr, nullptr, nullptr}; }
};

// One record of a port list. A matched record's handler is called; a record
// without a handler for the direction in use reads 0xFF and ignores writes.
// A list ends at the first record whose low port is 0xFFFF.
struct Z80PortRange {
    uint16_t low;
    uint16_t high;
    Z80PortReadHandler read;
    Z80PortWriteHandler write;
    void* user;

    static constexpr Z80PortRange reader(uint16_t low, uint16_t high, Z80PortReadHandler handler,
                                         void* user = nullptr) {
        return {low, high, handler, nullptr, user};
    }
    static constexpr Z80PortRange writer(uint16_t low, uint16_t high, Z80PortWriteHandler handler,
                                         void* user = nullptr) {
        return {low, high, nullptr, handler, user};
    }
    static constexpr Z80PortRange end() { return {0xFFFF, 0xFFFF, nullptr, nullptr, nullptr}; }
};

// The register record exchanged by zetaSaveContext and zetaLoadContext.
// Register pairs are 16-bit values in Z80 order (F, C, E, L in bits 0-7).
struct ZetaContext {
    // The memory image: the byte at Z80 address a is base[a] for a < baseSize.
    // The owner sets both (the console: its 8 KB Z80 RAM and 0x2000). Fetches,
    // stack traffic, IM 2 vectors and data accesses at or above baseSize take
    // the lists; where no record holds them, reads give 0xFF and writes vanish.
    uint8_t* base = nullptr;
    uint32_t baseSize = 0;
    const Z80MemRange* memRead = nullptr;    // null reads as an empty list
    const Z80MemRange* memWrite = nullptr;
    const Z80PortRange* portRead = nullptr;
    const Z80PortRange* portWrite = nullptr;
    uint32_t iff = 0;            // bit 0 IFF1, bit 1 IFF2
    uint32_t interruptMode = 0;  // 0, 1 or 2
    uint32_t halted = 0;         // 1 from HALT until the halt ends
    uint16_t af = 0, bc = 0, de = 0, hl = 0;
    uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0;
    uint16_t ix = 0, iy = 0, sp = 0, pc = 0;
    uint16_t nmiAddress = 0;        // 0x66 after reset
    uint16_t interruptAddress = 0;  // mode 0 and 1 target; 0x38 after reset and IM 1
    uint32_t rCounter = 0;          // running total of counted cycles; R derives from it
    uint8_t i = 0;
    uint8_t r = 0;
    uint8_t interruptPending = 0;   // 1 while a maskable request waits for IFF1
};

// zetaRun's result when the cycles are used up; any other result is the
// address of an instruction the core does not implement.
constexpr uint32_t kZetaSliceEnded = 0x80000000u;

// Why a run is leaving its dispatch loop early (run.cpp).
enum class ZetaStop : uint8_t {
    none,
    wholeBudget,  // HALT or JR to itself: count the whole budget and end
    invalid,      // an instruction the core does not implement
};

struct ZetaDecodeTables;

// One Z80: the register record plus the run state beside it. The record is
// what save and load exchange; the run state is neither saved nor touched by
// reset. The owner (the machine) holds one instance.
struct ZetaCore {
    ZetaContext context;

    // ---- run.cpp: run state ----------------------------------------------
    // The counts are 64-bit so that no 32-bit budget, with its overrun, can
    // overflow them.
    uint32_t elapsedCycles = 0;    // cycles counted since zetaTakeElapsed last cleared it
    int64_t cyclesLeft = 0;        // during a run; the run ends when it goes below 0
    int64_t syncBase = 0;          // real count at the start of the run or the last bus call
    int64_t savedCycles = 0;       // cyclesLeft while a bus handler runs
    int64_t rStart = 0;            // cyclesLeft at the start of the run or the last LD A,R
    int64_t eiSavedCycles = 0;     // the real count while the window after EI is open
    uint8_t eiWindow = 0;          // 1 from EI to the end of the next instruction
    uint8_t pendingVector = 0;     // data-bus byte of an interrupt left pending
    bool running = false;          // inside zetaRun
    bool accepting = false;        // an interrupt or NMI between runs is being taken
    bool inBusCall = false;        // a bus handler is running
    bool resetRequested = false;   // zetaResetCpu called by a handler inside the core
    bool nmiRequested = false;     // zetaNmi called by a handler inside the core
    ZetaStop stop = ZetaStop::none;
    uint16_t stopAddress = 0;      // first byte of the invalid instruction

    // Working registers during a run (the record holds them between runs):
    // B C D E H L F A, indexed like the Z80's register field with F in the
    // (HL) slot; SP, IX, IY, I, R and the interrupt state stay in the record.
    uint8_t reg[8] = {};
    uint16_t pc = 0;
    uint16_t indexAddress = 0;     // IX + d or IY + d handed to the DD CB / FD CB handlers
    const ZetaDecodeTables* tables = nullptr;
};

// ---- context.cpp: record exchange and reset ---------------------------------
size_t zetaContextSize();
void zetaSaveContext(const ZetaCore& core, ZetaContext* out);
void zetaLoadContext(ZetaCore& core, const ZetaContext* in);
// The reset state. Called by a bus handler during a run, it takes effect when
// the current instruction ends, which also ends the run.
void zetaResetCpu(ZetaCore& core);

// ---- run.cpp: the run loop and cycle accounting -------------------------------
uint32_t zetaRun(ZetaCore& core, uint32_t cycles);
uint32_t zetaTakeElapsed(ZetaCore& core, uint32_t clear);
void zetaEndTimeslice(ZetaCore& core);

// ---- interrupts.cpp ---------------------------------------------------------
// Meant for between runs. Called by a bus handler inside the core, a maskable
// request is left pending and an NMI is taken at the start of the next run.
int32_t zetaInterrupt(ZetaCore& core, uint32_t vector);  // 0 taken, -1 left pending
void zetaDropPendingInterrupt(ZetaCore& core);
int32_t zetaNmi(ZetaCore& core);                         // always 0

}  // namespace vimo
