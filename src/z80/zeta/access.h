// Inline access paths of the Zeta core, used by every instruction handler:
// the working registers, opcode and operand fetch, the memory image (control
// transfers, interrupt pushes, IM 2 vectors), data accesses through the range
// lists and the port lists. Out-of-line parts live in bus.cpp.
#pragma once

#include <cstdint>

#include "z80/registers.h"
#include "z80/zeta/zeta.h"

namespace vimo::zeta {

// The working registers, their pairs and the other names both cores share.
using namespace z80;

// ---- working registers -----------------------------------------------------

// The register field of PUSH and POP: 0 BC, 1 DE, 2 HL, 3 AF.
template <int P>
inline uint16_t getRp2(const ZetaCore& z) {
    if constexpr (P == 3) {
        return pairOf(z, kA, kF);
    } else {
        return getRp<P>(z);
    }
}

template <int P>
inline void setRp2(ZetaCore& z, uint16_t value) {
    if constexpr (P == 3) {
        setPair(z, kA, kF, value);
    } else {
        setRp<P>(z, value);
    }
}

// Between runs the record holds every register; during a run the working
// copies are authoritative and reach the record at bus calls and at the end.
inline void storeWorkingRegisters(ZetaCore& z) {
    ZetaContext& c = z.context;
    c.af = pairOf(z, kA, kF);
    c.bc = regBC(z);
    c.de = regDE(z);
    c.hl = regHL(z);
    c.pc = z.pc;
}

inline void loadWorkingRegisters(ZetaCore& z) {
    const ZetaContext& c = z.context;
    setPair(z, kA, kF, c.af);
    setPair(z, kB, kC, c.bc);
    setPair(z, kD, kE, c.de);
    setPair(z, kH, kL, c.hl);
    z.pc = c.pc;
}

// ---- cycle charge ----------------------------------------------------------

inline void charge(ZetaCore& z, int cycles) { z.cyclesLeft -= cycles; }

// ---- bus.cpp: bus calls and the slow paths ------------------------------------

// A handler call with the context and the cycle counters brought up to date
// before it and the registers it may change reloaded after it.
uint8_t zetaCallMemoryRead(ZetaCore& z, const Z80MemRange& range, uint32_t address);
void zetaCallMemoryWrite(ZetaCore& z, const Z80MemRange& range, uint32_t address, uint8_t value);
uint8_t zetaCallPortRead(ZetaCore& z, const Z80PortRange& range, uint32_t port);
void zetaCallPortWrite(ZetaCore& z, const Z80PortRange& range, uint32_t port, uint8_t value);

// The 16-bit data accesses of the unprefixed family: one lookup, at the
// address of the low byte, serves both bytes.
uint16_t readWordOneLookup(ZetaCore& z, uint16_t address);
void writeWordOneLookup(ZetaCore& z, uint16_t address, uint16_t value);

uint8_t inPort(ZetaCore& z, uint8_t port);   // 0xFF when no record holds the port
void outPort(ZetaCore& z, uint8_t port, uint8_t value);

// ---- data accesses through the lists ------------------------------------------

inline const Z80MemRange* findMemRange(const Z80MemRange* range, uint32_t address) {
    if (range == nullptr) {
        return nullptr;
    }
    for (; (range->low & 0xFFFFu) != 0xFFFFu; ++range) {
        if (range->low <= address && address <= range->high) {
            return range;
        }
    }
    return nullptr;
}

inline const Z80PortRange* findPortRange(const Z80PortRange* range, uint32_t port) {
    if (range == nullptr) {
        return nullptr;
    }
    for (; range->low != 0xFFFF; ++range) {
        if (range->low <= port && port <= range->high) {
            return range;
        }
    }
    return nullptr;
}

// One data byte: the first record holding the address serves it (handler or
// host memory); an address no record holds is the image's, and beyond the
// image nothing answers: reads give 0xFF and writes are dropped.
inline uint8_t readData(ZetaCore& z, uint32_t address) {
    const ZetaContext& c = z.context;
    const Z80MemRange* range = findMemRange(c.memRead, address);
    if (range == nullptr) [[likely]] {
        return address < c.baseSize ? c.base[address] : 0xFF;
    }
    if (range->read == nullptr) {
        return static_cast<const uint8_t*>(range->user)[address - range->low];
    }
    return zetaCallMemoryRead(z, *range, address);
}

inline void writeData(ZetaCore& z, uint32_t address, uint8_t value) {
    const ZetaContext& c = z.context;
    const Z80MemRange* range = findMemRange(c.memWrite, address);
    if (range == nullptr) [[likely]] {
        if (address < c.baseSize) {
            c.base[address] = value;
        }
        return;
    }
    if (range->write == nullptr) {
        static_cast<uint8_t*>(range->user)[address - range->low] = value;
        return;
    }
    zetaCallMemoryWrite(z, *range, address, value);
}

// ---- memory image ----------------------------------------------------------

// Image accesses (fetches, control-transfer stack traffic, IM 2 vectors):
// inside the image they touch it directly; beyond it they take the normal
// data path, so an address the lists cover reaches its range.
inline uint8_t imageRead(ZetaCore& z, uint32_t address) {
    const ZetaContext& c = z.context;
    if (address < c.baseSize) [[likely]] {
        return c.base[address];
    }
    return readData(z, address);
}

inline void imageWrite(ZetaCore& z, uint32_t address, uint8_t value) {
    const ZetaContext& c = z.context;
    if (address < c.baseSize) [[likely]] {
        c.base[address] = value;
        return;
    }
    writeData(z, address, value);
}

// Sequential fetches wrap at 0x10000 like the chip's program counter.
inline uint8_t fetchByte(ZetaCore& z) {
    const uint16_t address = z.pc;
    z.pc = static_cast<uint16_t>(address + 1);
    return imageRead(z, address);
}

inline uint16_t fetchWord(ZetaCore& z) {
    const uint8_t low = fetchByte(z);
    const uint8_t high = fetchByte(z);
    return static_cast<uint16_t>((high << 8) | low);
}

inline uint16_t imageReadWord(ZetaCore& z, uint16_t address) {
    const uint8_t low = imageRead(z, address);
    const uint8_t high = imageRead(z, static_cast<uint16_t>(address + 1));
    return static_cast<uint16_t>((high << 8) | low);
}

inline void imageWriteWord(ZetaCore& z, uint16_t address, uint16_t value) {
    imageWrite(z, address, static_cast<uint8_t>(value));
    imageWrite(z, static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
}

// Stack traffic of CALL, RST, RET, RETN, RETI and the interrupts: SP is
// lowered by two first, then the low byte goes to SP and the high byte to
// SP + 1.
inline void pushImage(ZetaCore& z, uint16_t value) {
    const uint16_t sp = static_cast<uint16_t>(z.context.sp - 2);
    z.context.sp = sp;
    imageWriteWord(z, sp, value);
}

inline uint16_t popImage(ZetaCore& z) {
    const uint16_t sp = z.context.sp;
    const uint16_t value = imageReadWord(z, sp);
    z.context.sp = static_cast<uint16_t>(sp + 2);
    return value;
}

// Data read of one byte (LD r,(HL), ALU (HL), (IX+d), ...).
inline uint8_t readByte(ZetaCore& z, uint16_t address) { return readData(z, address); }
inline void writeByte(ZetaCore& z, uint16_t address, uint8_t value) { writeData(z, address, value); }

// 16-bit data accesses of the ED, DD and FD families: two byte accesses, each
// looked up on its own, low byte first.
inline uint16_t readWordTwoLookups(ZetaCore& z, uint16_t address) {
    const uint8_t low = readData(z, address);
    const uint8_t high = readData(z, static_cast<uint16_t>(address + 1));
    return static_cast<uint16_t>((high << 8) | low);
}

inline void writeWordTwoLookups(ZetaCore& z, uint16_t address, uint16_t value) {
    writeData(z, address, static_cast<uint8_t>(value));
    writeData(z, static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
}

}  // namespace vimo::zeta
