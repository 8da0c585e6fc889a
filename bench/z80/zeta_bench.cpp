// Speed of the Zeta core on a sound-driver-like program (see
// tests/programs/z80/zeta_bench_driver.asm), driven as the console drives its
// Z80: 262 line slices of 227 cycles per frame with the previous slice's
// overrun paid back, and one interrupt per frame. The bus behind 0x2000 is a
// small stand-in for the console's (console_bus.h).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "console_bus.h"
#include "measure.h"
#include "z80/zeta/zeta.h"
#include "zeta_bench_programs.h"

namespace {

using vimo::bench::consoleBus;
using vimo::bench::kCyclesPerLine;
using vimo::bench::kInterruptLine;
using vimo::bench::kLinesPerFrame;

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
    consoleBus().ram = &ram;

    vimo::ZetaCore core;
    core.context.base = ram.data();
    core.context.baseSize = static_cast<uint32_t>(ram.size());
    core.context.memRead = kReads;
    core.context.memWrite = kWrites;
    vimo::zetaResetCpu(core);

    vimo::bench::measure("zeta", [&](int frames) { return runFrames(core, frames); });
    return 0;
}
