// The measuring part that both Z80 benchmarks share: a warm-up second, then
// five rounds of 3000 frames, the best round counting; prints the workload
// the bus stand-in saw (so the two cores can be seen doing the same work),
// the emulated T-states per host second and the ratio to a real Z80.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "console_bus.h"

namespace vimo::bench {

// `runFrames(frames)` runs that many frames of the driver and returns the
// T-states it counted.
template <class RunFrames>
void measure(const char* core, RunFrames runFrames) {
    runFrames(60);  // warm up: the driver's set-up and a second of play

    constexpr int kFrames = 3000;  // 50 emulated seconds per round
    ConsoleBus& bus = consoleBus();
    bus.clearCounts();
    double best = 0;
    uint64_t tStates = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        tStates = runFrames(kFrames);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(tStates) / seconds.count());
    }
    constexpr double kFramesRun = 5.0 * kFrames;
    std::printf("%s: %llu T-states per round of %d frames; per frame %.0f bus handler calls, "
                "%.1f key-ons, %.0f DAC samples, %.1f PSG writes\n",
                core, static_cast<unsigned long long>(tStates), kFrames,
                static_cast<double>(bus.accesses) / kFramesRun, static_cast<double>(bus.keyOns) / kFramesRun,
                static_cast<double>(bus.dacSamples) / kFramesRun, static_cast<double>(bus.psgWrites) / kFramesRun);
    std::printf("%s: %.1f million emulated T-states per host second\n", core, best / 1e6);
    std::printf("%s: %.0fx a real 3.58 MHz Z80 (goal: at least 200x)\n", core, best / kRealZ80Hz);
}

}  // namespace vimo::bench
