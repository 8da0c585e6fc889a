#include "cd_test_util.h"

#include <algorithm>

namespace vimo::test {

uint8_t sectorByte(uint32_t sector, uint32_t i, uint8_t region) {
    if (sector == 0 && i == kRegionByte) return region;
    if (i < 4) return static_cast<uint8_t>(sector >> (8 * (3 - i)));
    return static_cast<uint8_t>(sector * 7 + i * 13 + (i >> 8));
}

// Sectors of `size` bytes, the user data `offset` bytes in.
static std::vector<uint8_t> makeImage(uint32_t sectors, uint8_t region, uint32_t size, uint32_t offset) {
    std::vector<uint8_t> image(size_t{sectors} * size);
    for (uint32_t n = 0; n < sectors; ++n)
        for (uint32_t i = 0; i < kSectorDataSize; ++i) image[size_t{n} * size + offset + i] = sectorByte(n, i, region);
    return image;
}

std::vector<uint8_t> makePlainImage(uint32_t sectors, uint8_t region) {
    return makeImage(sectors, region, kSectorDataSize, 0);
}

std::vector<uint8_t> makeRawImage(uint32_t sectors, uint8_t region) {
    std::vector<uint8_t> image = makeImage(sectors, region, kRawSectorSize, kRawSectorDataOffset);
    for (uint32_t n = 0; n < sectors; ++n) {
        uint8_t* sector = &image[size_t{n} * kRawSectorSize];
        std::fill(sector + 1, sector + 11, 0xFF);  // sync: 00, ten FF, 00
        const uint32_t block = n + kFirstDataBlock;
        sector[12] = toBcd(block / 4500);
        sector[13] = toBcd(block % 4500 / 75);
        sector[14] = toBcd(block % 75);
        sector[15] = 1;  // mode 1; the error codes after the data stay zero
    }
    return image;
}

uint8_t prgRamByte(const Machine& machine, uint32_t address) {
    return machine.prgRam[address ^ 1];
}

void writeCdcRegisters(CdUnit& unit, uint32_t first, std::initializer_list<uint8_t> values) {
    unit.setCdcRegisterAddress(first);
    for (uint8_t value : values) unit.writeCdcRegister(value);
}

void sendCddCommand(CdUnit& unit, std::initializer_list<uint8_t> nibbles) {
    uint8_t n[kCddNibbles] = {};
    std::copy_n(nibbles.begin(), std::min<size_t>(nibbles.size(), kCddNibbles), n);
    for (uint32_t index = 0; index < kCddNibbles; index += 2) unit.writeCddCommand(index, n[index] * 256u + n[index + 1]);
}

}  // namespace vimo::test
