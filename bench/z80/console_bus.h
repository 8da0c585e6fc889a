// The stand-in for the console's Z80 bus that the Z80 benchmarks run their
// sound-driver program against: RAM mirror, YM2612 registers and status,
// bank register, PSG and a bank window onto a ROM image. It counts what the
// driver does so the benchmarks can show that the workload is the same.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vimo::bench {

constexpr double kRealZ80Hz = 3579545.0;
constexpr int kLinesPerFrame = 262;
constexpr int kInterruptLine = 224;
constexpr uint32_t kCyclesPerLine = 227;

struct ConsoleBus {
    std::vector<uint8_t>* ram = nullptr;
    std::vector<uint8_t> rom = std::vector<uint8_t>(0x80000);
    std::array<uint8_t, 512> ymRegisters{};
    uint16_t ymAddress = 0;
    uint32_t bank = 0;
    uint8_t psg = 0;
    uint64_t accesses = 0;
    uint64_t keyOns = 0;
    uint64_t dacSamples = 0;
    uint64_t psgWrites = 0;

    ConsoleBus() {
        for (size_t i = 0; i < rom.size(); ++i) {
            rom[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        }
    }

    uint8_t read(uint32_t address) {
        ++accesses;
        if (address < 0x4000) {
            return (*ram)[address & 0x1FFF];
        }
        if (address < 0x6000) {
            return 0x00;  // YM2612 status: never busy, no timer overflow
        }
        if (address >= 0x8000) {
            return rom[((bank << 15) | (address & 0x7FFF)) % rom.size()];
        }
        return 0xFF;
    }

    void write(uint32_t address, uint32_t value) {
        ++accesses;
        const auto byte = static_cast<uint8_t>(value);
        if (address < 0x4000) {
            (*ram)[address & 0x1FFF] = byte;
        } else if (address < 0x6000) {
            const uint32_t port = address & 3;
            if ((port & 1) == 0) {
                ymAddress = static_cast<uint16_t>(((port & 2) << 7) | byte);
            } else {
                ymRegisters[ymAddress] = byte;
                keyOns += ymAddress == 0x28 && (byte & 0xF0) != 0 ? 1 : 0;
                dacSamples += ymAddress == 0x2A ? 1 : 0;
            }
        } else if (address < 0x6100) {
            bank = ((bank >> 1) | ((byte & 1u) << 8)) & 0x1FF;
        } else if (address == 0x7F11) {
            psg = byte;
            ++psgWrites;
        }
    }

    void clearCounts() { accesses = keyOns = dacSamples = psgWrites = 0; }
};

inline ConsoleBus& consoleBus() {
    static ConsoleBus bus;
    return bus;
}

}  // namespace vimo::bench
