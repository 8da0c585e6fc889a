// "Kite v1.0", the second of the two interchangeable Z80 interpreters.
//
// This header is the map of the core: the handler types through which it
// reaches memory and ports, the page and range records of its memory map, the
// register record exchanged with its owner (`KiteContext`), the instance that
// holds that record together with the run state (`KiteCore`), and the free
// functions that drive it, grouped by the file that defines them.
//
// Memory is reached through 256-byte pages: fetch pages for opcode and
// operand bytes, read and write pages for data. A page either holds host
// memory for all of its 256 addresses or names a handler; a page that a range
// covers only in part is served by the range dispatcher. A fetch from a page
// that holds no host memory goes through the read path, so code may run from
// any address the read map answers (the console's RAM mirror, its bus).
//
// Host memory is never addressed as "memory minus the range's low address":
// a page keeps a pointer to the host byte of its own first address, and a
// range the pointer to the byte of its low address, so every pointer the core
// forms lies inside the memory it was given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vimo {

// Bus handlers. The address is the 16-bit Z80 address; the port is the 16-bit
// address the instruction puts on the bus. Reads return the byte in bits 0-7;
// writes get the byte in bits 0-7 of value. Memory and port handlers share
// these two types.
using KiteReadHandler = uint32_t (*)(uint32_t address);
using KiteWriteHandler = void (*)(uint32_t address, uint32_t value);
// RETI's callback and the spare slot: no arguments, no result.
using KiteCallback = void (*)();

// What a range holds.
enum KiteRangeType : uint32_t {
    kKiteRangeMemory = 0,   // host memory
    kKiteRangeHandler = 1,  // a handler
};

// One entry of the read or write page table.
struct KitePage {
    // Host memory that holds the whole page: the byte at Z80 address a is
    // memory[a & 0xFF]. Null when the page is served otherwise.
    uint8_t* memory = nullptr;
    // With no memory: the handler of the page (read pages use `read`, write
    // pages `write`); null answers like the default handlers (reads give 0xFF,
    // writes are dropped).
    KiteReadHandler read = nullptr;
    KiteWriteHandler write = nullptr;
    // A page covered only in part: the range dispatcher serves it
    // (kiteListRead / kiteListWrite), after the page's window if it has one.
    bool dispatch = false;
};

// The part of a page that kiteMapFetchPages, kiteMapReadPages or
// kiteMapWritePages mapped when the mapping covered the page only in part:
// the byte at page offset o (first <= o <= last) is memory[o - first].
struct KitePageWindow {
    uint8_t* memory = nullptr;  // null: the page has no window
    uint8_t first = 0;
    uint8_t last = 0;
};

// One slot of a range list. A free slot has low, high and type all ones and
// never matches; the list is searched from its first slot and the first slot
// with low <= a <= high wins.
struct KiteRange {
    uint32_t low = 0xFFFFFFFFu;   // first Z80 address (16-bit)
    uint32_t high = 0xFFFFFFFFu;  // last Z80 address (16-bit)
    uint32_t type = 0xFFFFFFFFu;  // KiteRangeType
    KiteReadHandler read = nullptr;    // type 1 on the read side
    KiteWriteHandler write = nullptr;  // type 1 on the write side
    uint8_t* memory = nullptr;         // type 0: the byte at address a is memory[a - low]
};

constexpr size_t kKitePageCount = 256;
constexpr size_t kKiteRangeSlots = 64;

// `KiteRegisterIndex`: the register numbers of kiteRegister and
// kiteStoreRegister. Every index above 18 reads and writes IR like 14.
enum KiteRegisterIndex : uint32_t {
    kKiteAF = 0,
    kKiteBC = 1,
    kKiteDE = 2,
    kKiteHL = 3,
    kKiteIX = 4,
    kKiteIY = 5,
    kKitePC = 6,
    kKiteSP = 7,
    kKiteAF2 = 8,
    kKiteBC2 = 9,
    kKiteDE2 = 10,
    kKiteHL2 = 11,
    kKiteIFF1 = 12,
    kKiteIFF2 = 13,
    kKiteIR = 14,
    kKiteIM = 15,
    kKiteIrqVector = 16,
    kKiteIrqLine = 17,
    kKiteHalted = 18,
};

// IFF1 and IFF2 hold 0 or this value: the P/V bit of F, so LD A,I and LD A,R
// can OR IFF2 straight into F.
constexpr uint8_t kKiteIffSet = 0x04;

// The register and map record exchanged by kiteSaveContext and
// kiteLoadContext. Each register pair lives in a 32-bit slot whose upper half
// stays 0; AF holds A in bits 0-7 and F in bits 8-15 (the reverse of the other
// pairs, which keep B, D, H and the index registers' high bytes in bits 8-15).
struct KiteContext {
    uint32_t af = 0;
    uint32_t bc = 0;
    uint32_t de = 0;
    uint32_t hl = 0;
    uint32_t ix = 0;
    uint32_t iy = 0;
    uint32_t pc = 0;
    uint32_t sp = 0;
    uint32_t af2 = 0;
    uint32_t bc2 = 0;
    uint32_t de2 = 0;
    uint32_t hl2 = 0;
    uint8_t iff1 = 0;  // 0 or kKiteIffSet
    uint8_t iff2 = 0;
    uint32_t rCounter = 0;  // one per opcode or prefix fetch and interrupt acceptance: R bits 0-6
    uint32_t rHigh = 0;     // the last value written to R: R bit 7
    uint8_t i = 0;
    // During a run, bits 3 and 5 of this byte are F's undocumented bits 3 and 5
    // (brought up to date whenever a handler is called and at the end of the run).
    uint8_t flagBits35 = 0;
    uint8_t im = 0;
    uint8_t irqVector = 0;
    uint8_t irqLine = 0;   // nonzero while an interrupt is raised and not yet accepted
    uint8_t halted = 0;    // nonzero from HALT until an interrupt, an NMI or a reset
    uint32_t owedCycles = 0;  // acceptance cycles that the next run counts as done

    // The byte at Z80 address a is fetchPages[a >> 8][a & 0xFF]; a null page
    // (never mapped, or mapped only in part) is fetched through its window or
    // else through the read path.
    uint8_t* fetchPages[kKitePageCount] = {};
    KitePage readPages[kKitePageCount];
    KitePage writePages[kKitePageCount];
    KiteReadHandler portRead = nullptr;    // null reads 0xFF
    KiteWriteHandler portWrite = nullptr;  // null drops the byte
    KiteCallback retiCallback = nullptr;   // null does nothing
    KiteCallback spareCallback = nullptr;  // stored, never called
    KiteRange readRanges[kKiteRangeSlots];
    KiteRange writeRanges[kKiteRangeSlots];
    KitePageWindow fetchWindows[kKitePageCount];
    KitePageWindow readWindows[kKitePageCount];
    KitePageWindow writeWindows[kKitePageCount];
};

struct KiteDecodeTables;

// The window after EI (and the same mechanism when a bus handler asks for
// something to happen at the end of the current instruction).
enum KiteWindow : uint8_t {
    kKiteWindowClosed = 0,
    kKiteWindowOpened = 1,  // EI has just run; the instruction after it is still to come
    kKiteWindowArmed = 2,   // the instruction in the window is running: the window closes after it
};

// One Z80: the record plus the run state beside it. Save and load exchange
// the record only; the run state is neither saved nor touched by reset. The
// owner (the machine) holds one instance.
struct KiteCore {
    KiteContext context;

    // ---- run.cpp: run state ----------------------------------------------
    // 64-bit so that a budget near the top of the 32-bit range, with the owed
    // cycles and the overrun on top, cannot overflow.
    int64_t cyclesLeft = 0;     // instruction cycles left in the current run
    int64_t cyclesBudget = 0;   // cycles given to the current run, owed cycles included
    int64_t eiSavedCycles = 0;  // the real count left while a window is not closed
    uint8_t eiWindow = kKiteWindowClosed;

    bool running = false;         // inside kiteRun
    bool accepting = false;       // an interrupt or NMI is being accepted between runs
    bool resetRequested = false;  // kiteResetCpu called by a handler during a run or an acceptance
    bool nmiRequested = false;    // kiteNmi called by a handler during a run or an acceptance

    // Working registers during a run (the record holds them between runs and
    // whenever a handler runs): B C D E H L F A, indexed like the Z80's
    // register field with F in the (HL) slot.
    uint8_t reg[8] = {};
    uint16_t pc = 0;
    const KiteDecodeTables* tables = nullptr;
};

// ---- context.cpp: registers, reset, record exchange -------------------------
uint32_t kiteRegister(const KiteCore& core, uint32_t index);
void kiteStoreRegister(KiteCore& core, uint32_t index, uint32_t value);  // value cut to 16 bits
// Called by a bus handler during a run, the reset takes effect when the
// current instruction ends, which also ends the run.
void kiteResetCpu(KiteCore& core);
size_t kiteContextSize();
void kiteSaveContext(const KiteCore& core, KiteContext* destination);
void kiteLoadContext(KiteCore& core, const KiteContext* source);

// ---- memory_map.cpp: map set-up ---------------------------------------------
// Called in this order: begin, then any of the map, range and port calls,
// then end, then kiteResetCpu.
void kiteBeginMemoryMap(KiteCore& core);
void kiteMapFetchPages(KiteCore& core, uint16_t low, uint16_t high, uint8_t* memory);
// The last argument is the handler of a type 1 range or the host memory
// holding address low of a type 0 range; what is passed decides the range's
// type (null memory makes a range that answers like the default handlers).
// At most 63 ranges per side: the last slot is kept for the catch-all, and a
// range that finds no slot is not added.
void kiteAddReadRange(KiteCore& core, uint16_t low, uint16_t high, uint32_t type, KiteReadHandler handler);
void kiteAddReadRange(KiteCore& core, uint16_t low, uint16_t high, uint32_t type, uint8_t* memory);
void kiteAddWriteRange(KiteCore& core, uint16_t low, uint16_t high, uint32_t type, KiteWriteHandler handler);
void kiteAddWriteRange(KiteCore& core, uint16_t low, uint16_t high, uint32_t type, uint8_t* memory);
void kiteSetPortReader(KiteCore& core, KiteReadHandler handler);
void kiteSetPortWriter(KiteCore& core, KiteWriteHandler handler);
void kiteEndMemoryMap(KiteCore& core);
void kiteMapReadPages(KiteCore& core, uint16_t low, uint16_t high, uint8_t* memory);
void kiteMapWritePages(KiteCore& core, uint16_t low, uint16_t high, uint8_t* memory);
void kiteSetRetiCallback(KiteCore& core, KiteCallback callback);
void kiteSetSpareCallback(KiteCore& core, KiteCallback callback);

// ---- bus.cpp: default handlers and the range dispatcher ------------------------
uint32_t kiteDefaultRead(uint32_t address);  // 0xFF
void kiteDefaultWrite(uint32_t address, uint32_t value);  // nothing
void kiteDefaultWrite();  // the callbacks' default: nothing
// The dispatcher of partly covered pages: the first range holding the address
// serves it; no range (a map without its catch-all) reads 0xFF or drops the
// byte. Both are bounded by the 64 slots of the list.
uint8_t kiteListRead(KiteCore& core, uint32_t address);
void kiteListWrite(KiteCore& core, uint32_t address, uint32_t value);

// ---- run.cpp: the run loop and its cycle accounting -------------------------
// Runs at least one instruction (none when halted) and returns the cycles
// done: the owed cycles plus the instructions' cycles, which reach at least
// the budget. A negative budget counts as 0.
int32_t kiteRun(KiteCore& core, int32_t cycles);
int32_t kiteCyclesDone(const KiteCore& core);
// For a bus handler during a run: the run ends after the current instruction.
void kiteStop(KiteCore& core);          // counting only the cycles actually run
void kiteEndTimeslice(KiteCore& core);  // counting the whole budget
void kiteAddCycles(KiteCore& core, int32_t cycles);

// ---- interrupts.cpp ------------------------------------------------------------
// Between runs an interrupt allowed by IFF1, and every NMI, is accepted at
// once; raised by a bus handler during a run, it is accepted when the current
// instruction ends.
void kiteRaiseIrq(KiteCore& core, uint8_t vector);
void kiteLowerIrq(KiteCore& core);
void kiteNmi(KiteCore& core);

}  // namespace vimo
