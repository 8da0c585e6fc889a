// Region-list accesses that leave the inline paths: handler longs, accesses at
// the end of a host block, fetch mapping and stream words outside the block.
#include "cpu68000/bus.h"

namespace vimo {

using m68k::kAddressMask;

// ---- words at the last byte of a block ---------------------------------------
// A word at a == high has its first host byte in the block and its second past
// the end: the missing byte reads as 0xFF and is not written.

uint16_t Cpu68000::readPartialWord(const DataRegion& entry, uint32_t a) {
    const auto* host = reinterpret_cast<const uint8_t*>(m68k::hostOf(entry, a));
    return static_cast<uint16_t>(0xFF00u | *host);
}

void Cpu68000::writePartialWord(const DataRegion& entry, uint32_t a, uint16_t data) {
    auto* host = reinterpret_cast<uint8_t*>(m68k::hostOf(entry, a));
    *host = static_cast<uint8_t>(data);
}

// ---- longs that are not one host access ---------------------------------------

uint32_t Cpu68000::readLongSplit(const DataRegion& entry, uint32_t a) {
    const uint32_t next = (a + 2) & kAddressMask;
    const uint32_t high = readWordIn(entry, a);
    uint32_t low;
    if (entry.read != nullptr && a + 2 <= entry.high)
        low = entry.read(next, &entry) & 0xFFFF;
    else
        low = busReadWord(next);  // the second word lies past this entry's block
    return (high << 16) | low;
}

void Cpu68000::writeLongSplit(const DataRegion& entry, uint32_t a, uint32_t data) {
    const uint32_t next = (a + 2) & kAddressMask;
    writeWordIn(entry, a, static_cast<uint16_t>(data >> 16));
    if (entry.write != nullptr && a + 2 <= entry.high)
        entry.write(next, data & 0xFFFF, &entry);
    else
        busWriteWord(next, static_cast<uint16_t>(data));
}

// ---- the public accesses -------------------------------------------------------

uint8_t Cpu68000::readByte(uint32_t address) { return busReadByte(address); }
uint16_t Cpu68000::readWord(uint32_t address) { return busReadWord(address); }
uint32_t Cpu68000::readLong(uint32_t address) { return busReadLong(address); }
void Cpu68000::writeByte(uint32_t address, uint8_t data) { busWriteByte(address, data); }
void Cpu68000::writeWord(uint32_t address, uint16_t data) { busWriteWord(address, data); }
void Cpu68000::writeLong(uint32_t address, uint32_t data) { busWriteLong(address, data); }

// ---- fetch mapping ------------------------------------------------------------

// Looks the PC up in current.fetch. The window keeps the PC's top byte, so
// bounds tests work on the full 32-bit PC. A PC that no region holds ends the
// slice after the current instruction with the cycle count intact.
bool Cpu68000::mapPc(uint32_t newPc) {
    const ProgramRegion* entry = m68k::findRegion(ctx.current.fetch, newPc & kAddressMask);
    if (entry != nullptr) {
        const uint32_t top = newPc & ~kAddressMask;
        const uint32_t high = entry->high < kAddressMask ? entry->high : kAddressMask;
        fetchLow = entry->low | top;
        fetchHigh = high | top;
        fetchSpan = fetchHigh - fetchLow;
        fetchBase = entry->offset - top;
        return true;
    }
    fetchBase = 0;
    fetchLow = 0xFFFFFFFFu;
    fetchHigh = 0;
    fetchSpan = 0;
    cyclesLeft -= cyclesRequested;
    cyclesRequested = 0;
    fetchFault = true;
    return false;
}

// The stream word at `at`, which lies in the current block; its second byte
// may lie past the block's end.
uint16_t Cpu68000::wordInFetchBlock(uint32_t at) const {
    if (at - fetchLow < fetchSpan) return m68k::loadHost16(fetchBase + at);
    const auto* host = reinterpret_cast<const uint8_t*>(fetchBase + at);
    return static_cast<uint16_t>(0xFF00u | *host);
}

// The opcode word lies outside the block: look the PC up again. On a fault the
// PC stays at the unmapped address and nothing runs.
bool Cpu68000::fetchOpcodeOutside(uint32_t at, uint16_t& opcode) {
    if (!mapPc(at)) return false;
    opcode = wordInFetchBlock(at);
    pc = at + 2;
    return true;
}

// An extension word outside the block: look the PC up again; an unmapped
// word reads as 0xFFFF and the slice ends after this instruction.
uint16_t Cpu68000::fetchExtensionOutside() {
    const uint32_t at = pc;
    pc = at + 2;
    if (!mapPc(at)) return 0xFFFF;
    return wordInFetchBlock(at);
}

}  // namespace vimo
