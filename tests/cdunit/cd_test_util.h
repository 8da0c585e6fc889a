// Synthetic discs for the CD unit's tests, built from the documented sector
// layout: plain images of 2048-byte sectors, and raw images of 2352-byte
// sectors (sync, BCD header, mode 1, user data, zeroed error codes).
#pragma once

#include <cstdint>
#include <vector>

#include "cdunit/cdunit.h"
#include "machine/machine.h"

namespace vimo::test {

constexpr uint32_t kRegionByte = 0x20B;

// User-data byte i of image sector n: differs between neighbouring bytes and
// sectors; sector 0 carries `region` at 0x20B.
uint8_t sectorByte(uint32_t sector, uint32_t i, uint8_t region = 0x7A);

std::vector<uint8_t> makePlainImage(uint32_t sectors, uint8_t region = 0x7A);
std::vector<uint8_t> makeRawImage(uint32_t sectors, uint8_t region = 0x7A);

// The 68000's view of program RAM (word-swapped inside the machine).
uint8_t prgRamByte(const Machine& machine, uint32_t address);

// Writes CDC registers from `first` on through the register pointer.
void writeCdcRegisters(CdUnit& unit, uint32_t first, std::initializer_list<uint8_t> values);
// Sends a CDD command: ten nibbles as five words, the last executes.
void sendCddCommand(CdUnit& unit, std::initializer_list<uint8_t> nibbles);

}  // namespace vimo::test
