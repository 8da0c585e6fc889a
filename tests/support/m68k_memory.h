// Test helpers for 68000 memory: the word-swapped host layout the cores read
// and write, and region lists for a flat RAM that a test program runs in.
//
// In the word-swapped layout the 68000 byte at address a is the host byte at
// a XOR 1, so a 68000 word at an even address is one little-endian host
// 16-bit word.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cpu68000/cpu68000.h"

namespace vimo::test {

// Exchanges the two bytes of every 16-bit pair, in place. The same call turns
// 68000 byte order into the word-swapped layout and back. A last odd byte has
// no partner and stays where it is.
void swapBytePairs(std::span<uint8_t> bytes);

// A flat RAM that a 68000 sees at addresses low()..high(), held word-swapped,
// together with the five region lists that map it. Extra regions (bus
// handlers, other blocks) can be put in front of the RAM's own entries; a list
// is walked in order and the first entry that holds the address wins.
class M68kMemory {
public:
    enum class DataList { readByte, readWord, writeByte, writeWord };

    // `size` bytes from `base`; both must be even and the RAM must lie within
    // the 24-bit address space. Violations throw std::invalid_argument.
    explicit M68kMemory(uint32_t size, uint32_t base = 0);

    uint32_t low() const { return base_; }
    uint32_t high() const { return base_ + static_cast<uint32_t>(host_.size()) - 1; }
    uint32_t size() const { return static_cast<uint32_t>(host_.size()); }

    // The host block, word-swapped; the RAM's direct regions point at it.
    std::span<uint8_t> host() { return host_; }
    std::span<const uint8_t> host() const { return host_; }

    // Copies an image in 68000 byte order (as the kit embeds it) to `address`.
    void load(std::span<const uint8_t> image, uint32_t address);
    void load(std::span<const uint8_t> image) { load(image, base_); }

    // The RAM as the 68000 sees it (big-endian). Words and longs need an even
    // address. Anything outside the RAM throws std::out_of_range.
    uint8_t readByte(uint32_t address) const;
    uint16_t readWord(uint32_t address) const;
    uint32_t readLong(uint32_t address) const;
    void writeByte(uint32_t address, uint8_t value);
    void writeWord(uint32_t address, uint16_t value);
    void writeLong(uint32_t address, uint32_t value);

    // Region list building. Regions added here come before the RAM's own
    // entry, in the order added.
    void addFetchRegion(const ProgramRegion& region);
    void addDataRegion(DataList list, const DataRegion& region);

    // The five lists: the added regions, then the RAM, then the end entry.
    // The pointers stay valid until the next add or the end of the object.
    Cpu68000ListSet lists() const;

    // Sets current, supervisor and user of `context` to lists().
    void mapInto(Cpu68000Context& context) const;

private:
    std::size_t indexOf(uint32_t address, uint32_t width) const;
    void rebuildLists();

    uint32_t base_;
    std::vector<uint8_t> host_;
    std::vector<ProgramRegion> extraFetch_;
    std::vector<DataRegion> extraData_[4];
    std::vector<ProgramRegion> fetch_;
    std::vector<DataRegion> data_[4];
};

}  // namespace vimo::test
