#include "support/m68k_memory.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace vimo::test {

void swapBytePairs(std::span<uint8_t> bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::swap(bytes[i], bytes[i + 1]);
    }
}

namespace {

constexpr uint64_t kAddressSpace = 0x1000000;  // 24 address lines

std::string hex(uint32_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += digits[(value >> shift) & 0xF];
    }
    return text;
}

}  // namespace

M68kMemory::M68kMemory(uint32_t size, uint32_t base) : base_(base) {
    if (size == 0 || (size & 1) != 0 || (base & 1) != 0 ||
        uint64_t{base} + size > kAddressSpace) {
        throw std::invalid_argument("M68kMemory: bad size " + hex(size) + " or base " + hex(base));
    }
    host_.assign(size, 0);
    rebuildLists();
}

std::size_t M68kMemory::indexOf(uint32_t address, uint32_t width) const {
    if (width > 1 && (address & 1) != 0) {
        throw std::out_of_range("M68kMemory: odd address " + hex(address));
    }
    if (address < base_ || uint64_t{address} + width > uint64_t{base_} + host_.size()) {
        throw std::out_of_range("M68kMemory: address " + hex(address) + " outside the RAM");
    }
    return address - base_;
}

void M68kMemory::load(std::span<const uint8_t> image, uint32_t address) {
    if (image.empty()) {
        return;
    }
    if (address < base_ || address - base_ > host_.size() || image.size() > host_.size() - (address - base_)) {
        throw std::out_of_range("M68kMemory: image of " + std::to_string(image.size()) +
                                " bytes at " + hex(address) + " does not fit in the RAM");
    }
    std::size_t offset = address - base_;
    for (std::size_t i = 0; i < image.size(); ++i) {
        host_[(offset + i) ^ 1] = image[i];  // base is even, so parity of offset = parity of address
    }
}

uint8_t M68kMemory::readByte(uint32_t address) const {
    return host_[indexOf(address, 1) ^ 1];
}

uint16_t M68kMemory::readWord(uint32_t address) const {
    std::size_t i = indexOf(address, 2);
    return static_cast<uint16_t>(host_[i + 1] << 8 | host_[i]);
}

uint32_t M68kMemory::readLong(uint32_t address) const {
    indexOf(address, 4);
    return uint32_t{readWord(address)} << 16 | readWord(address + 2);
}

void M68kMemory::writeByte(uint32_t address, uint8_t value) {
    host_[indexOf(address, 1) ^ 1] = value;
}

void M68kMemory::writeWord(uint32_t address, uint16_t value) {
    std::size_t i = indexOf(address, 2);
    host_[i] = static_cast<uint8_t>(value);
    host_[i + 1] = static_cast<uint8_t>(value >> 8);
}

void M68kMemory::writeLong(uint32_t address, uint32_t value) {
    indexOf(address, 4);
    writeWord(address, static_cast<uint16_t>(value >> 16));
    writeWord(address + 2, static_cast<uint16_t>(value));
}

void M68kMemory::addFetchRegion(const ProgramRegion& region) {
    extraFetch_.push_back(region);
    rebuildLists();
}

void M68kMemory::addDataRegion(DataList list, const DataRegion& region) {
    extraData_[static_cast<int>(list)].push_back(region);
    rebuildLists();
}

void M68kMemory::rebuildLists() {
    fetch_ = extraFetch_;
    fetch_.push_back(ProgramRegion::map(low(), high(), host_.data()));
    fetch_.push_back(ProgramRegion::end());
    for (int list = 0; list < 4; ++list) {
        data_[list] = extraData_[list];
        data_[list].push_back(DataRegion::direct(low(), high(), host_.data()));
        data_[list].push_back(DataRegion::end());
    }
}

Cpu68000ListSet M68kMemory::lists() const {
    Cpu68000ListSet set;
    set.fetch = fetch_.data();
    set.readByte = data_[static_cast<int>(DataList::readByte)].data();
    set.readWord = data_[static_cast<int>(DataList::readWord)].data();
    set.writeByte = data_[static_cast<int>(DataList::writeByte)].data();
    set.writeWord = data_[static_cast<int>(DataList::writeWord)].data();
    return set;
}

void M68kMemory::mapInto(Cpu68000Context& context) const {
    context.current = lists();
    context.supervisor = context.current;
    context.user = context.current;
}

}  // namespace vimo::test
