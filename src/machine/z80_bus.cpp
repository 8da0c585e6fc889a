// The Z80's address space: its RAM, the YM2612, the bank register, the PSG,
// the VDP data port and the window into the 68000's address space. The 68000
// reaches the same decode through 0xA00000-0xA0FFFF, and both Z80 cores
// reach it through the callbacks at the end.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kWindowSelf = 0xA08000;   // 68000 addresses of the Z80's own window
constexpr uint32_t kWindowSelfEnd = 0xA0FFFF;

// 68000 address that Z80 window address `address` shows with bank `bank`.
uint32_t windowAddress(uint32_t bank, uint32_t address) {
    return (bank << 15) + (address & 0x7FFF);
}

}  // namespace

uint32_t Machine::z80Read(uint32_t address) {
    address &= 0xFFFF;
    if (address < 0x2000) return z80Ram[address];
    if (address < 0x4000) return z80Ram[address - 0x2000];
    if (address < 0x6000) return readFm(address) & 0xFF;
    if (address < 0x7F00) return 0xFF;
    if (address < 0x8000) return vdp.readDataByte();  // every address of the range

    const uint32_t a = windowAddress(z80Bank, address);
    // A window onto the window itself would come straight back here without
    // end; like an undecoded address it reads all ones.
    if (a >= kWindowSelf && a <= kWindowSelfEnd) return 0xFF;
    if (a >= 0xA00000 && a <= 0xA1001F) return readByteIo(a);
    if (a >= 0xA10020 && a <= 0xBFFFFF) return readByteSystem(a);
    if (a >= 0xC00000 && a <= 0xDFFFFF) return readByteVdp(a);
    if (a >= 0x400000 && a <= 0xDFFFFF) return 0;
    return readByteRomRam(a);  // ROM below 0x400000 and 0xE00000-0xFFFFFF
}

void Machine::z80Write(uint32_t address, uint32_t byte) {
    address &= 0xFFFF;
    byte &= 0xFF;
    if (address < 0x2000) {
        z80Ram[address] = static_cast<uint8_t>(byte);
    } else if (address < 0x4000) {
        z80Ram[address - 0x2000] = static_cast<uint8_t>(byte);
    } else if (address < 0x6000) {
        writeFm(address, byte);
    } else if (address < 0x6100) {
        // Nine writes shift the bank in, bit 0 of the first ending in bit 0.
        z80Bank = (z80Bank >> 1) | ((byte & 1) << 8);
    } else if (address == 0x7F11) {
        if (gymLogging != 0) gymWritePsg(byte);
        psg.write(static_cast<uint8_t>(byte));
    } else if (address >= 0x8000) {
        const uint32_t a = windowAddress(z80Bank, address);
        if (a >= kWindowSelf && a <= kWindowSelfEnd) return;  // see z80Read
        if (a >= 0xA00000 && a <= 0xA1001F)
            writeByteIo(a, byte);
        else if (a >= 0xA10020 && a <= 0xBFFFFF)
            writeByteSystem(a, byte);
        else if (a >= 0xC00000 && a <= 0xDFFFFF)
            writeByteVdp(a, byte);
        else if (a >= 0xE00000)
            writeByteRam(a, byte);  // only 0xFF0000 upward lands
        // below 0xA00000: dropped
    }
    // 0x6100-0x7EFF and the rest of 0x7F00-0x7FFF: dropped
}

uint32_t Machine::z80ReadPort(uint32_t /*port*/) {
    return 0xFF;
}

void Machine::z80WritePort(uint32_t /*port*/, uint32_t /*byte*/) {}

// ---- Bus callbacks of the cores ----------------------------------------------------

uint32_t z80ReadMemoryZeta(uint32_t address, const Z80MemRange*) {
    return globalMachine->z80Read(address);
}
void z80WriteMemoryZeta(uint32_t address, uint32_t value, const Z80MemRange*) {
    globalMachine->z80Write(address, value & 0xFF);
}
uint32_t z80ReadPortZeta(uint32_t port, const Z80PortRange*) {
    return globalMachine->z80ReadPort(port);
}
void z80WritePortZeta(uint32_t port, uint32_t value, const Z80PortRange*) {
    globalMachine->z80WritePort(port, value & 0xFF);
}

uint32_t z80ReadMemoryKite(uint32_t address) {
    return globalMachine->z80Read(address);
}
void z80WriteMemoryKite(uint32_t address, uint32_t value) {
    globalMachine->z80Write(address, value & 0xFF);
}
uint32_t z80ReadPortKite(uint32_t port) {
    return globalMachine->z80ReadPort(port);
}
void z80WritePortKite(uint32_t port, uint32_t value) {
    globalMachine->z80WritePort(port, value & 0xFF);
}

}  // namespace vimo
