// Speed of the Zeta core on a sound-driver-like program (see
// tests/programs/z80/zeta_bench_driver.asm), driven as the console drives its
// Z80: 262 line slices of 227 cycles per frame with the previous slice's
// overrun paid back, and one interrupt per frame. The bus behind 0x2000 is a
// small stand-in for the console's (console_bus.h).
//
// Prints the emulated T-states per host second and the ratio to a real Z80
// at 3.579545 MHz.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "console_bus.h"
#include "z80/zeta/zeta.h"
#include "zeta_bench_programs.h"

namespace {

using vimo::bench::consoleBus;
using vimo::bench::kCyclesPerLine;
using vimo::bench::kInterruptLine;
using vimo::bench::kLinesPerFrame;
using vimo::bench::kRealZ80Hz;

uint32_t consoleRead(uint32_t address, const vimo::Z80MemRange*) { return consoleBus().read(address); }

void consoleWrite(uint32_t address, uint32_t value, const vimo::Z80MemRange*) { consoleBus().write(address, value); }

const vimo::Z80MemRange kReads[] = {vimo::Z80MemRange::reader(0x2000, 0xFFFF, consoleRead),
                                    vimo::Z80MemRange::end()};
const vimo::Z80MemRange kWrites[] = {vimo::Z80MemRange::writer(0x2000, 0xFFFF, consoleWrite),
                                     vimo::Z80MemRange::end()};

// Runs `frames` frames and returns the T-states counted.
uint64_t runFrames(vimo::ZetaCore& core, int frames) {
    uint64_t total = 0;
    for (int frame = 0; frame < frames; ++frame) {
        for (int line = 0; line < kLinesPerFrame; ++line) {
            if (line == kInterruptLine) {
                vimo::zetaInterrupt(core, 1);
            }
            const uint32_t elapsed = vimo::zetaTakeElapsed(core, 1);
            total += elapsed;
            const uint32_t over = elapsed > kCyclesPerLine ? elapsed - kCyclesPerLine : 0;
            vimo::zetaRun(core, kCyclesPerLine - std::min(over, kCyclesPerLine));
        }
    }
    return total + vimo::zetaTakeElapsed(core, 1);
}

}  // namespace

int main() {
    std::vector<uint8_t> ram(0x2000, 0);
    const auto program = vimo::programs::zeta_bench_driver();
    std::copy(program.begin(), program.end(), ram.begin());
    vimo::bench::ConsoleBus& bus = consoleBus();
    bus.ram = &ram;

    vimo::ZetaCore core;
    core.context.base = ram.data();
    core.context.baseSize = static_cast<uint32_t>(ram.size());
    core.context.memRead = kReads;
    core.context.memWrite = kWrites;
    vimo::zetaResetCpu(core);

    runFrames(core, 60);  // warm up: the driver's set-up and a second of play

    constexpr int kFrames = 3000;  // 50 emulated seconds per round
    bus.clearCounts();
    double best = 0;
    uint64_t tStates = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        tStates = runFrames(core, kFrames);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(tStates) / seconds.count());
    }
    constexpr double kFramesRun = 5.0 * kFrames;
    std::printf("zeta: %llu T-states per round of %d frames; per frame %.0f bus handler calls, "
                "%.1f key-ons, %.0f DAC samples, %.1f PSG writes\n",
                static_cast<unsigned long long>(tStates), kFrames, static_cast<double>(bus.accesses) / kFramesRun,
                static_cast<double>(bus.keyOns) / kFramesRun, static_cast<double>(bus.dacSamples) / kFramesRun,
                static_cast<double>(bus.psgWrites) / kFramesRun);
    std::printf("zeta: %.1f million emulated T-states per host second\n", best / 1e6);
    std::printf("zeta: %.0fx a real 3.58 MHz Z80 (goal: at least 200x)\n", best / kRealZ80Hz);
    return 0;
}
