// Inline access paths over the region lists: the first matching entry wins,
// direct entries are read and written here without a call, handler entries
// and accesses that would leave a host block go out of line (bus.cpp).
//
// Host blocks hold 68000 words in host order (the word-swapped layout): the
// 68000 byte at a is the host byte at (a - low) XOR 1, a word at a is the host
// 16-bit value at a - low, a long the host 32-bit value with its halves
// exchanged. A block holds exactly the host bytes 0 .. high - low.
#pragma once

#include "cpu68000/cpu68000.h"

#include <cstdint>
#include <cstring>

namespace vimo {
namespace m68k {

inline constexpr uint32_t kAddressMask = 0xFFFFFF;
inline constexpr uint32_t kListEnd = 0xFFFFFFFFu;

inline uint16_t loadHost16(uintptr_t host) {
    uint16_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(host), sizeof value);
    return value;
}

inline uint32_t loadHost32(uintptr_t host) {
    uint32_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(host), sizeof value);
    return value;
}

inline void storeHost16(uintptr_t host, uint16_t value) {
    std::memcpy(reinterpret_cast<void*>(host), &value, sizeof value);
}

inline void storeHost32(uintptr_t host, uint32_t value) {
    std::memcpy(reinterpret_cast<void*>(host), &value, sizeof value);
}

inline uint32_t exchangeHalves(uint32_t value) { return (value << 16) | (value >> 16); }

inline uintptr_t hostOf(const DataRegion& entry, uint32_t a) {
    return reinterpret_cast<uintptr_t>(entry.userData) + (a - entry.low);
}

// The walk: the first entry holding a; a null head or the end entry: none.
template <typename Region>
inline const Region* findRegion(const Region* entry, uint32_t a) {
    if (entry == nullptr) return nullptr;
    for (;; ++entry) {
        if (a >= entry->low && a <= entry->high) return entry;
        if (entry->low == kListEnd) return nullptr;
    }
}

}  // namespace m68k

// ---- words inside one entry -------------------------------------------------

inline uint16_t Cpu68000::readWordIn(const DataRegion& entry, uint32_t a) {
    if (entry.read != nullptr) return static_cast<uint16_t>(entry.read(a, &entry));
    if (a < entry.high) [[likely]] return m68k::loadHost16(m68k::hostOf(entry, a));
    return readPartialWord(entry, a);
}

inline void Cpu68000::writeWordIn(const DataRegion& entry, uint32_t a, uint16_t data) {
    if (entry.write != nullptr) {
        entry.write(a, data, &entry);
    } else if (a < entry.high) [[likely]] {
        m68k::storeHost16(m68k::hostOf(entry, a), data);
    } else {
        writePartialWord(entry, a, data);
    }
}

// ---- accesses through the current lists ------------------------------------

inline uint8_t Cpu68000::busReadByte(uint32_t address) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.readByte, a);
    if (entry == nullptr) return 0xFF;
    if (entry->read != nullptr) return static_cast<uint8_t>(entry->read(a, entry));
    const uint32_t offset = (a - entry->low) ^ 1;
    if (offset > entry->high - entry->low) return 0xFF;  // the pair's other half lies past the block
    return *reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(entry->userData) + offset);
}

inline uint16_t Cpu68000::busReadWord(uint32_t address) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.readWord, a);
    if (entry == nullptr) return 0xFFFF;
    return readWordIn(*entry, a);
}

inline uint32_t Cpu68000::busReadLong(uint32_t address) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.readWord, a);
    if (entry == nullptr) return 0xFFFFFFFFu;
    if (entry->read == nullptr && a + 3 <= entry->high) [[likely]]
        return m68k::exchangeHalves(m68k::loadHost32(m68k::hostOf(*entry, a)));
    return readLongSplit(*entry, a);
}

inline void Cpu68000::busWriteByte(uint32_t address, uint8_t data) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.writeByte, a);
    if (entry == nullptr) return;
    if (entry->write != nullptr) {
        entry->write(a, data, entry);
        return;
    }
    const uint32_t offset = (a - entry->low) ^ 1;
    if (offset > entry->high - entry->low) return;
    *reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(entry->userData) + offset) = data;
}

inline void Cpu68000::busWriteWord(uint32_t address, uint16_t data) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.writeWord, a);
    if (entry != nullptr) writeWordIn(*entry, a, data);
}

inline void Cpu68000::busWriteLong(uint32_t address, uint32_t data) {
    const uint32_t a = address & m68k::kAddressMask;
    const DataRegion* entry = m68k::findRegion(ctx.current.writeWord, a);
    if (entry == nullptr) {
        // The high word is dropped; the low word may still land at a + 2.
        busWriteWord(a + 2, static_cast<uint16_t>(data));
        return;
    }
    if (entry->write == nullptr && a + 3 <= entry->high) [[likely]] {
        m68k::storeHost32(m68k::hostOf(*entry, a), m68k::exchangeHalves(data));
        return;
    }
    writeLongSplit(*entry, a, data);
}

// ---- the instruction stream -------------------------------------------------

inline uint16_t Cpu68000::fetchExtension() {
    const uint32_t at = pc;
    if (at - fetchLow >= fetchSpan) [[unlikely]] return fetchExtensionOutside();
    pc = at + 2;
    return m68k::loadHost16(fetchBase + at);
}

inline uint32_t Cpu68000::fetchLongExtension() {
    const uint32_t high = fetchExtension();
    return (high << 16) | fetchExtension();
}

inline void Cpu68000::jumpTo(uint32_t newPc) {
    pc = newPc;
    if (newPc < fetchLow || newPc > fetchHigh) mapPc(newPc);
}

}  // namespace vimo
