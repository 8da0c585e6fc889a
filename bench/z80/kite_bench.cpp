// Speed of the Kite core on the same sound-driver-like program as Zeta's
// benchmark (tests/programs/z80/zeta_bench_driver.asm), mapped as the console
// maps it (fetch, read and write pages on the 8 KB RAM, one handler range
// for 0x2000-0xFFFF) and driven as the console drives its Z80: 262 line
// slices of 227 cycles per frame with the previous slice's overrun paid
// back, and one interrupt per frame. The bus behind 0x2000 is the stand-in of
// console_bus.h.
//
// Prints the emulated T-states per host second and the ratio to a real Z80
// at 3.579545 MHz.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "console_bus.h"
#include "z80/kite/kite.h"
#include "zeta_bench_programs.h"

namespace {

using vimo::bench::consoleBus;
using vimo::bench::kCyclesPerLine;
using vimo::bench::kInterruptLine;
using vimo::bench::kLinesPerFrame;
using vimo::bench::kRealZ80Hz;

uint32_t consoleRead(uint32_t address) { return consoleBus().read(address); }

void consoleWrite(uint32_t address, uint32_t value) { consoleBus().write(address, value); }

// Runs `frames` frames and returns the T-states counted.
uint64_t runFrames(vimo::KiteCore& core, int frames) {
    uint64_t total = 0;
    for (int frame = 0; frame < frames; ++frame) {
        for (int line = 0; line < kLinesPerFrame; ++line) {
            if (line == kInterruptLine) {
                vimo::kiteRaiseIrq(core, 0xFF);
            }
            const auto cycles = static_cast<int32_t>(kCyclesPerLine);
            const int32_t over = std::max(vimo::kiteCyclesDone(core) - cycles, 0);
            total += static_cast<uint64_t>(vimo::kiteRun(core, std::max(cycles - over, 0)));
        }
    }
    return total;
}

}  // namespace

int main() {
    std::vector<uint8_t> ram(0x2000, 0);
    const auto program = vimo::programs::zeta_bench_driver();
    std::copy(program.begin(), program.end(), ram.begin());
    vimo::bench::ConsoleBus& bus = consoleBus();
    bus.ram = &ram;

    auto core = std::make_unique<vimo::KiteCore>();
    vimo::kiteBeginMemoryMap(*core);
    vimo::kiteMapFetchPages(*core, 0x0000, 0x1FFF, ram.data());
    vimo::kiteAddReadRange(*core, 0x0000, 0x1FFF, vimo::kKiteRangeMemory, ram.data());
    vimo::kiteAddReadRange(*core, 0x2000, 0xFFFF, vimo::kKiteRangeHandler, consoleRead);
    vimo::kiteAddWriteRange(*core, 0x0000, 0x1FFF, vimo::kKiteRangeMemory, ram.data());
    vimo::kiteAddWriteRange(*core, 0x2000, 0xFFFF, vimo::kKiteRangeHandler, consoleWrite);
    vimo::kiteEndMemoryMap(*core);
    vimo::kiteResetCpu(*core);

    runFrames(*core, 60);  // warm up: the driver's set-up and a second of play

    constexpr int kFrames = 3000;  // 50 emulated seconds per round
    bus.clearCounts();
    double best = 0;
    uint64_t tStates = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        tStates = runFrames(*core, kFrames);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(tStates) / seconds.count());
    }
    constexpr double kFramesRun = 5.0 * kFrames;
    std::printf("kite: %llu T-states per round of %d frames; per frame %.0f bus handler calls, "
                "%.1f key-ons, %.0f DAC samples, %.1f PSG writes\n",
                static_cast<unsigned long long>(tStates), kFrames, static_cast<double>(bus.accesses) / kFramesRun,
                static_cast<double>(bus.keyOns) / kFramesRun, static_cast<double>(bus.dacSamples) / kFramesRun,
                static_cast<double>(bus.psgWrites) / kFramesRun);
    std::printf("kite: %.1f million emulated T-states per host second\n", best / 1e6);
    std::printf("kite: %.0fx a real 3.58 MHz Z80 (goal: at least 200x)\n", best / kRealZ80Hz);
    return 0;
}
