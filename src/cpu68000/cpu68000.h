// The 68000 interpreter: one class, used as two independent instances (the
// Mega Drive's main CPU and the Mega-CD's sub CPU). This header is the map of
// the chip: the records exchanged with the owner, the public entry points and
// the bus operations the instruction handlers use.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vimo {

namespace m68k {
enum class Size : uint8_t;  // operand size (operands.h)
enum class Mode : uint8_t;  // addressing mode (operands.h)
}  // namespace m68k

static_assert(std::endian::native == std::endian::little,
              "the word-swapped memory layout assumes a little-endian host");

struct DataRegion;

// Bus handlers. The address is the 24-bit bus address; a read returns the
// byte in bits 0-7 or the word in bits 0-15 (higher bits are ignored), a write
// receives the byte or word zero-extended.
using DataReadHandler = uint32_t (*)(uint32_t address, const DataRegion* entry);
using DataWriteHandler = void (*)(uint32_t address, uint32_t data, const DataRegion* entry);

// Instruction-fetch region. The host block holds the 68000 bytes low..high
// (inclusive) in the word-swapped layout; `offset` is the host address of the
// block minus `low`, so the host word for PC p is at offset + p.
// A list ends with an entry whose low is 0xFFFFFFFF.
struct ProgramRegion {
    uint32_t low;
    uint32_t high;
    uintptr_t offset;

    static ProgramRegion map(uint32_t low, uint32_t high, void* host) {
        return {low, high, reinterpret_cast<uintptr_t>(host) - low};
    }
    static constexpr ProgramRegion end() { return {0xFFFFFFFFu, 0xFFFFFFFFu, 0}; }
};

// Data region of a read or write list. A read list looks only at `read`, a
// write list only at `write`; a null handler means direct access to the host
// block at `userData`, which holds the 68000 bytes low..high (inclusive) in the
// word-swapped layout. For a handler entry `userData` is the handler's own.
// A list ends with an entry whose low is 0xFFFFFFFF.
struct DataRegion {
    uint32_t low;
    uint32_t high;
    DataReadHandler read;
    DataWriteHandler write;
    void* userData;

    static constexpr DataRegion direct(uint32_t low, uint32_t high, void* host) {
        return {low, high, nullptr, nullptr, host};
    }
    static constexpr DataRegion reader(uint32_t low, uint32_t high, DataReadHandler handler,
                                       void* user = nullptr) {
        return {low, high, handler, nullptr, user};
    }
    static constexpr DataRegion writer(uint32_t low, uint32_t high, DataWriteHandler handler,
                                       void* user = nullptr) {
        return {low, high, nullptr, handler, user};
    }
    static constexpr DataRegion end() { return {0xFFFFFFFFu, 0xFFFFFFFFu, nullptr, nullptr, nullptr}; }
};

// The five lists one mode uses. A null pointer reads as an empty list.
struct Cpu68000ListSet {
    const ProgramRegion* fetch = nullptr;
    const DataRegion* readByte = nullptr;
    const DataRegion* readWord = nullptr;   // word and long reads
    const DataRegion* writeByte = nullptr;
    const DataRegion* writeWord = nullptr;  // word and long writes
};

// The register and map record exchanged by getContext and setContext.
struct Cpu68000Context {
    Cpu68000ListSet current;     // the lists in use; every change of S copies supervisor or user here
    Cpu68000ListSet supervisor;
    Cpu68000ListSet user;
    void (*resetCallback)() = nullptr;  // called by the RESET instruction; null: exec returns instead
    uint32_t d[8] = {};
    uint32_t a[8] = {};          // A7 is always the active stack pointer
    uint32_t otherSp = 0;        // USP while S = 1, SSP while S = 0
    uint32_t pc = 0;             // all 32 bits kept and stacked; the low 24 map
    uint32_t odometer = 0;       // cycles counted since the last trip
    uint8_t interrupts[8] = {};  // [0]: bit 0 stopped, bit n level n pending; [n]: vector for level n
    uint16_t sr = 0;             // T 15, S 13, mask 10-8, X N Z V C 4-0
};

// Exec results.
constexpr uint32_t kExecSliceEnded = 0x80000000u;
constexpr uint32_t kExecFetchFault = 0x80000001u;
constexpr uint32_t kExecOddPc = 0xFFFFFFFFu;
// Any result below 0x80000000 is the 24-bit address of a RESET instruction met
// while resetCallback is null.

class Cpu68000 {
public:
    Cpu68000();
    Cpu68000(const Cpu68000&) = delete;
    Cpu68000& operator=(const Cpu68000&) = delete;

    // ---- engine.cpp ----------------------------------------------------
    int32_t init();                      // builds the jump table; always 0
    uint32_t exec(int32_t cycles);       // runs a slice; see the exec results above
    int32_t reset();                     // 0 done, 1 refused / address 0 unmapped, -1 odd initial PC
    int32_t getContext(Cpu68000Context* out) const;
    int32_t setContext(const Cpu68000Context* in);
    uint32_t readOdometer() const;
    uint32_t tripOdometer();
    uint32_t controlOdometer(int32_t trip);
    int32_t releaseTimeslice();
    uint32_t readPc() const;
    void flushInterrupts();
    static constexpr size_t contextSize() { return sizeof(Cpu68000Context); }
    int32_t fetchWord(uint32_t address);  // through supervisor.fetch; -1 when unmapped

    // ---- exceptions.cpp ------------------------------------------------
    int32_t interrupt(int32_t level, int32_t vector);  // 0 taken on, 1 already pending, 2 bad arguments

    // ---- bus.cpp / bus.h: accesses through the current lists -----------
    uint8_t readByte(uint32_t address);
    uint16_t readWord(uint32_t address);
    uint32_t readLong(uint32_t address);
    void writeByte(uint32_t address, uint8_t data);
    void writeWord(uint32_t address, uint16_t data);
    void writeLong(uint32_t address, uint32_t data);

    // ---- decode.cpp ------------------------------------------------------
    // The name of the instruction the decode table sends `opcode` to: the
    // lower-case Motorola mnemonic, with ".b", ".w" or ".l" appended where the
    // instruction has an operand size (each ops_*.cpp names its family), or
    // "illegal", "linea", "linef". Used to check the table, not at run time.
    static const char* opcodeName(uint16_t opcode);

    // Internal run state and handler plumbing follow (private or internal
    // sections, grouped by the file that defines them).
private:
    // One handler per opcode word class; both register fields (bits 2-0 and
    // 11-9) are read from the opcode when it runs.
    using Handler = void (*)(Cpu68000&, uint16_t opcode);

    // The instruction families; each is a struct of handler templates in its
    // own file, reaching the run state below.
    friend struct MoveOps;    // ops_move.cpp: MOVE, MOVEA, MOVEQ, moves to and from SR, CCR, USP
    friend struct ArithOps;   // ops_arith.cpp: ADD, SUB, CMP and their A/I/Q/X forms, NEG, NEGX, CLR, TST, EXT
    friend struct LogicOps;   // ops_logic.cpp: AND, OR, EOR, NOT and their immediate forms, to CCR and SR
    friend struct BitOps;     // ops_bits.cpp: BTST, BCHG, BCLR, BSET
    friend struct ShiftOps;   // ops_shift.cpp: ASx, LSx, ROXx, ROx on registers and memory
    friend struct BcdOps;     // ops_bcd.cpp: ABCD, SBCD, NBCD
    friend struct MulDivOps;  // ops_muldiv.cpp: MULU, MULS, DIVU, DIVS
    friend struct BranchOps;  // ops_branch.cpp: Bcc, BRA, BSR, DBcc, Scc, JMP, JSR, RTS, RTR
    friend struct SystemOps;  // ops_system.cpp: LEA, PEA, LINK, UNLK, SWAP, EXG, TRAP, TRAPV, CHK, TAS,
                              // NOP, STOP, RESET, RTE, illegal, line A, line F
    friend struct MovemOps;   // ops_movem.cpp: MOVEM, MOVEP

    // ---- engine.cpp: run state ------------------------------------------
    Cpu68000Context ctx;            // d, a, otherSp, interrupts, lists and the SR high byte are live
    int64_t cyclesRequested = 0;    // the running exec's argument, 0 outside exec
    int64_t cyclesLeft = -1;        // slice counter; -1 outside exec
    int64_t cyclesDeferred = 0;     // parked so the slice ends after the current instruction
    uint32_t pc = 0;                // the live PC (next instruction-stream word) during exec
    // Unpacked CCR: N is bit 31 of flagN, Z is "flagNotZ == 0", V, C and X are 0 or 1.
    uint32_t flagN = 0;
    uint32_t flagNotZ = 1;
    uint32_t flagV = 0;
    uint32_t flagC = 0;
    uint32_t flagX = 0;
    bool executing = false;
    bool fetchFault = false;
    bool tracePending = false;
    bool rearmAfterSrWrite = false;  // an SR write asked for the interrupt check and trace arm
    bool exitNow = false;            // RESET without callback: leave exec at once
    uint32_t exitResult = 0;
    int64_t exitCyclesLeft = 0;

    uint32_t runSlice();                 // interrupt check, trace arm, dispatch and the end-of-slice steps
    uint32_t finishExec(uint32_t result);  // stores PC and CCR, counts the cycles run
    void armTrace();
    uint16_t packCcr() const;
    void unpackCcr(uint16_t ccr);
    uint16_t statusRegister() const;     // SR with the live CCR
    void writeStatusRegister(uint16_t value);  // mode switch, high byte AND 0xA7, CCR
    void setSupervisor(bool supervisor);
    void afterStatusWrite();             // interrupt check and trace arm before the next instruction
    void requestExit(uint32_t result);
    uint32_t& reg(unsigned index) { return index < 8 ? ctx.d[index] : ctx.a[index & 7]; }

    // ---- bus.cpp / bus.h: region walks, fetch mapping, instruction stream --
    uint32_t fetchLow = 0xFFFFFFFFu;
    uint32_t fetchHigh = 0;
    uint32_t fetchSpan = 0;      // a stream word at p lies in the block when p - fetchLow < fetchSpan
    uintptr_t fetchBase = 0;     // host address of the word at p is fetchBase + p

    bool mapPc(uint32_t newPc);
    void jumpTo(uint32_t newPc);          // maps only when the new PC leaves fetchLow..fetchHigh
    bool fetchOpcodeOutside(uint32_t at, uint16_t& opcode);  // false: the fetch faulted, nothing runs
    uint16_t fetchExtension();
    uint32_t fetchLongExtension();
    uint16_t fetchExtensionOutside();
    uint16_t wordInFetchBlock(uint32_t at) const;  // bytes past the block read 0xFF
    uint8_t busReadByte(uint32_t address);
    uint16_t busReadWord(uint32_t address);
    uint32_t busReadLong(uint32_t address);
    void busWriteByte(uint32_t address, uint8_t data);
    void busWriteWord(uint32_t address, uint16_t data);
    void busWriteLong(uint32_t address, uint32_t data);
    static uint16_t readWordIn(const DataRegion& entry, uint32_t a);
    static void writeWordIn(const DataRegion& entry, uint32_t a, uint16_t data);
    static uint16_t readPartialWord(const DataRegion& entry, uint32_t a);
    static void writePartialWord(const DataRegion& entry, uint32_t a, uint16_t data);
    uint32_t readLongSplit(const DataRegion& entry, uint32_t a);
    void writeLongSplit(const DataRegion& entry, uint32_t a, uint32_t data);

    // ---- operands.h: effective addresses, operands and flags --------------
    uint16_t decodeBriefExtension(uint32_t base, uint32_t& address);
    template <m68k::Size S> uint32_t readMem(uint32_t address);
    template <m68k::Size S> void writeMem(uint32_t address, uint32_t data);
    template <m68k::Size S, m68k::Mode M> uint32_t eaAddress(unsigned reg);
    template <m68k::Size S, m68k::Mode M> uint32_t readEa(unsigned reg);
    template <m68k::Size S, m68k::Mode M> void writeEa(unsigned reg, uint32_t value);
    template <m68k::Size S, m68k::Mode M> uint32_t readEaModify(unsigned reg, uint32_t& address);
    template <m68k::Size S, m68k::Mode M> void writeEaModify(unsigned reg, uint32_t address, uint32_t value);
    template <m68k::Size S> void writeD(unsigned reg, uint32_t value);
    template <m68k::Size S> void setNZ(uint32_t result);
    template <m68k::Size S> void setLogicFlags(uint32_t result);
    template <m68k::Size S> uint32_t addWithFlags(uint32_t source, uint32_t dest, uint32_t extend);
    template <m68k::Size S> uint32_t subWithFlags(uint32_t source, uint32_t dest, uint32_t extend);
    template <m68k::Size S> void compareFlags(uint32_t source, uint32_t dest);
    template <unsigned Cond> bool condition() const;

    // ---- exceptions.cpp: interrupts, exception entry, privilege, trace ----
    bool checkInterrupts();               // takes at most one level; true when one was taken
    void takeException(uint32_t vector);  // frame, mode switch; the new PC is left in pc, unmapped
    void trapTo(uint32_t vector, int cycles);  // exception with the next instruction stacked
    void faultAtOpcode(uint32_t vector);  // illegal, line A/F, privilege: the opcode's address stacked
    void privilegeViolation();
    bool supervisorMode() const { return (ctx.sr & 0x2000) != 0; }

    // ---- decode.cpp: the shared packed table ------------------------------
    struct PackedTable;
    static const PackedTable& packedOpcodeTable();

    // ---- engine.cpp: the instance's own decode table (init) ---------------
    std::array<Handler, 65536> jumpTable{};
};

}  // namespace vimo
