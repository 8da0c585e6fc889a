// Helpers of the Z80-side tests: Z80 programs put straight into Z80 RAM or
// into a cartridge that a 68000 program starts, and the results the Z80
// programs keep in their RAM.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "machine/machine.h"

namespace vimo::test {

// Where the Z80 programs keep their results (tests/programs/machine/z80side.inc).
constexpr uint32_t kZ80Results = 0x1800;
// Where the 68000 programs find the Z80 program in the cartridge, and how
// much of it they copy (tests/programs/machine/z80_host.i).
constexpr uint32_t kZ80ImageInRom = 0x8000;
constexpr uint32_t kZ80ImageSize = 0x2000;

inline uint8_t z80Byte(const Machine& machine, uint32_t offset) {
    return machine.z80Ram[kZ80Results + offset];
}

// Z80 words are little-endian.
inline uint16_t z80Word(const Machine& machine, uint32_t offset) {
    return static_cast<uint16_t>(z80Byte(machine, offset) | (z80Byte(machine, offset + 1) << 8));
}

// Copies a Z80 program into Z80 RAM at `address`.
inline void putZ80Program(Machine& machine, std::span<const uint8_t> program, uint32_t address = 0) {
    if (address + program.size() > kZ80RamSize) throw std::length_error("Z80 program too large");
    std::copy(program.begin(), program.end(), machine.z80Ram.get() + address);
}

// A cartridge image of `size` bytes: the 68000 program from address 0 and the
// Z80 program at kZ80ImageInRom.
inline std::vector<uint8_t> z80Cartridge(std::span<const uint8_t> host, std::span<const uint8_t> z80,
                                         size_t size = 0x10000) {
    if (host.size() > kZ80ImageInRom || z80.size() > kZ80ImageSize || size < kZ80ImageInRom + kZ80ImageSize)
        throw std::length_error("programs do not fit the cartridge");
    std::vector<uint8_t> image(size, 0);
    std::copy(host.begin(), host.end(), image.begin());
    std::copy(z80.begin(), z80.end(), image.begin() + kZ80ImageInRom);
    return image;
}

}  // namespace vimo::test
