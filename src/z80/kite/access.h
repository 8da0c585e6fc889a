// Inline access paths of the Kite core, used by every instruction handler:
// the working registers, opcode and operand fetch through the fetch pages,
// data reads and writes through the read and write pages, the stack and the
// ports. The slow paths (handlers, dispatcher pages, windows, fetches outside
// the fetch pages) live in bus.cpp.
#pragma once

#include <cstdint>

#include "z80/kite/kite.h"
#include "z80/registers.h"

namespace vimo::kite {

// The working registers, their pairs and the other names both cores share.
using namespace z80;

// ---- working registers -----------------------------------------------------

// Between runs the record holds every register; during a run the working
// copies are authoritative and reach the record around every handler call
// and at the end of the run. The record keeps F's bits 3 and 5 in
// flagBits35 as well.
inline void storeWorkingRegisters(KiteCore& k) {
    KiteContext& c = k.context;
    c.af = static_cast<uint32_t>(k.reg[kA] | (k.reg[kF] << 8));
    c.bc = regBC(k);
    c.de = regDE(k);
    c.hl = regHL(k);
    c.pc = k.pc;
    c.flagBits35 = k.reg[kF];
}

// F's bits 3 and 5 come from flagBits35, as at the end of a run.
inline void loadWorkingRegisters(KiteCore& k) {
    const KiteContext& c = k.context;
    k.reg[kA] = static_cast<uint8_t>(c.af);
    k.reg[kF] = static_cast<uint8_t>((((c.af >> 8) & 0xFFu) & ~0x28u) | (c.flagBits35 & 0x28u));
    setPair(k, kB, kC, static_cast<uint16_t>(c.bc));
    setPair(k, kD, kE, static_cast<uint16_t>(c.de));
    setPair(k, kH, kL, static_cast<uint16_t>(c.hl));
    k.pc = static_cast<uint16_t>(c.pc);
}

// ---- cycle charge ----------------------------------------------------------

inline void charge(KiteCore& k, int cycles) { k.cyclesLeft -= cycles; }

// ---- bus.cpp: the slow paths ------------------------------------------------

// Handler calls with the record brought up to date before and the working
// registers reloaded after (outside a run the record is already current).
uint32_t callRead(KiteCore& k, KiteReadHandler handler, uint32_t address);
void callWrite(KiteCore& k, KiteWriteHandler handler, uint32_t address, uint32_t value);
void callRetiCallback(KiteCore& k);

uint8_t readSlow(KiteCore& k, uint16_t address);
void writeSlow(KiteCore& k, uint16_t address, uint8_t value);
uint8_t fetchSlow(KiteCore& k, uint16_t address);

uint8_t inPort(KiteCore& k, uint16_t port);
void outPort(KiteCore& k, uint16_t port, uint8_t value);

// ---- data accesses ---------------------------------------------------------

inline uint8_t readByte(KiteCore& k, uint16_t address) {
    const KitePage& page = k.context.readPages[address >> 8];
    if (page.memory != nullptr) [[likely]] {
        return page.memory[address & 0xFF];
    }
    return readSlow(k, address);
}

inline void writeByte(KiteCore& k, uint16_t address, uint8_t value) {
    const KitePage& page = k.context.writePages[address >> 8];
    if (page.memory != nullptr) [[likely]] {
        page.memory[address & 0xFF] = value;
        return;
    }
    writeSlow(k, address, value);
}

// 16-bit accesses: two byte accesses, the low byte first at the lower address
// (16-bit wrap).
inline uint16_t readWord(KiteCore& k, uint16_t address) {
    const uint8_t low = readByte(k, address);
    const uint8_t high = readByte(k, static_cast<uint16_t>(address + 1));
    return static_cast<uint16_t>((high << 8) | low);
}

inline void writeWord(KiteCore& k, uint16_t address, uint16_t value) {
    writeByte(k, address, static_cast<uint8_t>(value));
    writeByte(k, static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
}

// ---- fetch ------------------------------------------------------------------

// Operand bytes and displacements: through the fetch pages, PC wrapping at
// 0x10000.
inline uint8_t fetchByte(KiteCore& k) {
    const uint16_t address = k.pc;
    k.pc = static_cast<uint16_t>(address + 1);
    const uint8_t* page = k.context.fetchPages[address >> 8];
    if (page != nullptr) [[likely]] {
        return page[address & 0xFF];
    }
    return fetchSlow(k, address);
}

inline uint16_t fetchWord(KiteCore& k) {
    const uint8_t low = fetchByte(k);
    const uint8_t high = fetchByte(k);
    return static_cast<uint16_t>((high << 8) | low);
}

// A byte of code read without moving PC (LDIR looking at its own opcode).
inline uint8_t peekCode(KiteCore& k, uint16_t address) {
    const uint8_t* page = k.context.fetchPages[address >> 8];
    if (page != nullptr) [[likely]] {
        return page[address & 0xFF];
    }
    return fetchSlow(k, address);
}

// An opcode or prefix byte: R counts every one.
inline uint8_t fetchOpcode(KiteCore& k) {
    ++k.context.rCounter;
    return fetchByte(k);
}

// ---- stack -------------------------------------------------------------------

// The high byte goes to SP - 1 first, then the low byte to SP - 2.
inline void push(KiteCore& k, uint16_t value) {
    KiteContext& c = k.context;
    c.sp = static_cast<uint16_t>(c.sp - 1);
    writeByte(k, static_cast<uint16_t>(c.sp), static_cast<uint8_t>(value >> 8));
    c.sp = static_cast<uint16_t>(c.sp - 1);
    writeByte(k, static_cast<uint16_t>(c.sp), static_cast<uint8_t>(value));
}

inline uint16_t pop(KiteCore& k) {
    KiteContext& c = k.context;
    const uint8_t low = readByte(k, static_cast<uint16_t>(c.sp));
    c.sp = static_cast<uint16_t>(c.sp + 1);
    const uint8_t high = readByte(k, static_cast<uint16_t>(c.sp));
    c.sp = static_cast<uint16_t>(c.sp + 1);
    return static_cast<uint16_t>((high << 8) | low);
}

}  // namespace vimo::kite
