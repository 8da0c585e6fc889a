// Speed of the Kite core on the same sound-driver-like program as Zeta's
// benchmark (tests/programs/z80/zeta_bench_driver.asm), mapped as the console
// maps it (fetch, read and write pages on the 8 KB RAM, one handler range
// for 0x2000-0xFFFF) and driven as the console drives its Z80: 262 line
// slices of 227 cycles per frame with the previous slice's overrun paid
// back, and one interrupt per frame. The bus behind 0x2000 is the stand-in of
// console_bus.h.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "console_bus.h"
#include "measure.h"
#include "z80/kite/kite.h"
#include "zeta_bench_programs.h"

namespace {

using vimo::bench::consoleBus;
using vimo::bench::kCyclesPerLine;
using vimo::bench::kInterruptLine;
using vimo::bench::kLinesPerFrame;

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
    consoleBus().ram = &ram;

    auto core = std::make_unique<vimo::KiteCore>();
    vimo::kiteBeginMemoryMap(*core);
    vimo::kiteMapFetchPages(*core, 0x0000, 0x1FFF, ram.data());
    vimo::kiteAddReadRange(*core, 0x0000, 0x1FFF, vimo::kKiteRangeMemory, ram.data());
    vimo::kiteAddReadRange(*core, 0x2000, 0xFFFF, vimo::kKiteRangeHandler, consoleRead);
    vimo::kiteAddWriteRange(*core, 0x0000, 0x1FFF, vimo::kKiteRangeMemory, ram.data());
    vimo::kiteAddWriteRange(*core, 0x2000, 0xFFFF, vimo::kKiteRangeHandler, consoleWrite);
    vimo::kiteEndMemoryMap(*core);
    vimo::kiteResetCpu(*core);

    vimo::bench::measure("kite", [&](int frames) { return runFrames(*core, frames); });
    return 0;
}
