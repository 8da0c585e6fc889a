// Stamp renderer speed: a full 256x224 image of a 4096-dot map of 32x32
// stamps, rotated by 30 degrees and scaled, with the repeat flag set, as a
// game redrawing its rotated background every frame does. Reports the time
// per image in the Time column (a frame lasts 16.7 ms).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "machine/machine.h"

namespace {

using vimo::Machine;

void put68kWord(Machine& m, uint32_t offset, uint32_t value) {
    m.wordRam[offset ^ 1] = static_cast<uint8_t>(value >> 8);
    m.wordRam[(offset + 1) ^ 1] = static_cast<uint8_t>(value);
}

void setRegisterWord(Machine& m, uint32_t reg, uint32_t value) {
    m.subGateArray[reg] = static_cast<uint8_t>(value >> 8);
    m.subGateArray[reg + 1] = static_cast<uint8_t>(value);
}

// Sign-magnitude delta with 11 fraction bits.
uint32_t delta(double step) {
    const uint32_t magnitude = static_cast<uint32_t>(std::lround(std::fabs(step) * 2048)) & 0x7FFF;
    return step < 0 ? 0x8000 | magnitude : magnitude;
}

void StampImage(benchmark::State& state) {
    Machine machine;
    uint32_t seed = 1;
    for (uint32_t o = 0; o < vimo::kWordRamSize; ++o) {
        seed = seed * 1103515245 + 12345;
        machine.wordRam[o] = static_cast<uint8_t>(seed >> 16);
    }
    constexpr uint32_t kMap = 0x20000, kImage = 0x30000, kTrace = 0x3E000;
    const double angle = std::numbers::pi / 6, scale = 1.3;
    const double c = std::cos(angle) * scale, s = std::sin(angle) * scale;
    for (uint32_t line = 0; line < 224; ++line) {
        const double x = 1000 - s * line, y = 1000 + c * line;
        put68kWord(machine, kTrace + 8 * line, static_cast<uint32_t>(x * 8));
        put68kWord(machine, kTrace + 8 * line + 2, static_cast<uint32_t>(y * 8));
        put68kWord(machine, kTrace + 8 * line + 4, delta(c));
        put68kWord(machine, kTrace + 8 * line + 6, delta(s));
    }
    machine.subGateArray[0x59] = 0x07;   // repeat, 32x32 stamps, 4096-dot map
    setRegisterWord(machine, 0x5A, kMap / 4);
    machine.subGateArray[0x5D] = 27;     // 28 cells: 224 lines
    setRegisterWord(machine, 0x5E, kImage / 4);
    setRegisterWord(machine, 0x62, 256);
    for (auto _ : state) {
        setRegisterWord(machine, 0x64, 224);
        setRegisterWord(machine, 0x66, kTrace / 4);
        machine.runStampOperation();
        benchmark::DoNotOptimize(machine.wordRam[kImage]);
    }
}
BENCHMARK(StampImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
