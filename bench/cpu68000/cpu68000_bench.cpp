// Speed of the 68000 core on a game-like instruction mix: emulated cycles per
// host second and the ratio to a real 68000 at 7.67 MHz. It runs the core the
// way the machine does, in slices of one scan line (487 cycles).

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cpu68000/cpu68000.h"
#include "cpu68000_bench_programs.h"
#include "support/m68k_memory.h"

int main(int argc, char** argv) {
    constexpr double kRealClock = 7670454.0;  // NTSC main CPU clock
    constexpr int kCyclesPerLine = 487;
    double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;

    vimo::test::M68kMemory memory(0x10000);
    memory.load(vimo::programs::cpu68000_mix());
    vimo::Cpu68000 cpu;
    cpu.init();
    vimo::Cpu68000Context ctx{};
    memory.mapInto(ctx);
    cpu.setContext(&ctx);
    if (cpu.reset() != 0) {
        std::fprintf(stderr, "reset failed\n");
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    uint64_t cycles = 0;
    auto begin = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        for (int line = 0; line < 262 * 60; ++line) cpu.exec(kCyclesPerLine);
        cycles += cpu.tripOdometer();
        elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    }
    double perSecond = double(cycles) / elapsed;
    std::printf("cpu68000: %.0f emulated cycles per second, %.1fx real time (7.67 MHz)\n", perSecond,
                perSecond / kRealClock);
    return 0;
}
