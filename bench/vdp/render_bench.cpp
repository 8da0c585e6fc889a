// Renderer speed: a busy frame (both planes with per-line scroll, a window
// on the right and a band at the bottom, 80 sprites of every size, cells of
// both priorities everywhere) drawn 224 lines at a time into a 16-bit
// surface. Reports the time per frame and the ratio to real time (60 frames
// a second).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "vdp/vdp.h"

namespace {

using vimo::Vdp;

class Random {
public:
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t below(uint32_t n) { return next() % n; }

private:
    uint32_t state_ = 0x12345678u;
};

void setRegister(Vdp& vdp, uint32_t reg, uint32_t value) { vdp.controlPortWord(0x8000 | (reg << 8) | value); }

void putWord(Vdp& vdp, uint32_t address, uint32_t value) {
    vdp.vram[address & 0xFFFF] = static_cast<uint8_t>(value >> 8);
    vdp.vram[(address + 1) & 0xFFFF] = static_cast<uint8_t>(value);
}

void buildBusyScene(Vdp& vdp) {
    Random rng;
    // Tiles 1-1023 at 0x0000-0x7FFF: random pixels, about one in five transparent.
    for (uint32_t a = 32; a < 0x8000; ++a) {
        uint32_t byte = rng.next() & 0xFF;
        if (rng.below(5) == 0) byte &= 0x0F;
        if (rng.below(5) == 0) byte &= 0xF0;
        vdp.vram[a] = static_cast<uint8_t>(byte);
    }
    for (uint32_t n = 0; n < 64; ++n) {
        vdp.writeCram(2 * n, static_cast<uint8_t>(rng.next() & 0x0E));
        vdp.writeCram(2 * n + 1, static_cast<uint8_t>(rng.next() & 0xEE));
    }
    auto pattern = [&rng]() { return (1 + rng.below(1023)) | ((rng.next() & 0xF800u) & 0xF800u); };
    for (uint32_t c = 0; c < 4096; ++c) {
        putWord(vdp, 0x8000 + 2 * c, pattern());  // plane A, 64 x 64
        putWord(vdp, 0xA000 + 2 * c, pattern());  // plane B
    }
    for (uint32_t c = 0; c < 64 * 32; ++c) putWord(vdp, 0xC000 + 2 * c, pattern());  // window
    for (uint32_t line = 0; line < 224; ++line) {
        putWord(vdp, 0xD400 + 4 * line, rng.below(1024));
        putWord(vdp, 0xD400 + 4 * line + 2, rng.below(1024));
    }
    for (uint32_t s = 0; s < 80; ++s) {
        const uint32_t e = 0xD000 + 8 * s;
        putWord(vdp, e, 128 + rng.below(224 + 16) - 16);
        vdp.vram[e + 2] = static_cast<uint8_t>(rng.below(16));
        vdp.vram[e + 3] = static_cast<uint8_t>(s + 1 < 80 ? s + 1 : 0);
        putWord(vdp, e + 4, pattern());
        putWord(vdp, e + 6, 128 + rng.below(320 + 16) - 16);
    }
    vdp.vsram[0] = 0x00;
    vdp.vsram[1] = 0x35;
    vdp.vsram[2] = 0x01;
    vdp.vsram[3] = 0x07;

    setRegister(vdp, 1, 0x44);   // display on
    setRegister(vdp, 2, 0x20);   // plane A at 0x8000
    setRegister(vdp, 3, 0x30);   // window at 0xC000
    setRegister(vdp, 4, 0x05);   // plane B at 0xA000
    setRegister(vdp, 5, 0x68);   // sprites at 0xD000
    setRegister(vdp, 7, 0x21);
    setRegister(vdp, 11, 0x03);  // a scroll value per line
    setRegister(vdp, 12, 0x81);  // 40 cells
    setRegister(vdp, 13, 0x35);  // scroll table at 0xD400
    setRegister(vdp, 16, 0x11);  // 64 x 64 cells
    setRegister(vdp, 17, 0x90);  // window from cell 32 on the right
    setRegister(vdp, 18, 0x98);  // and in rows 24-27
}

void BM_RenderBusyFrame(benchmark::State& state) {
    Vdp vdp;
    buildBusyScene(vdp);
    std::vector<uint16_t> pixels(vimo::kSurfaceWidth * vimo::kSurfaceHeight);
    const vimo::FrameBufferDesc frame{pixels.data(), vimo::kSurfaceWidth, vimo::kSurfaceHeight,
                                      vimo::kSurfaceWidth * 2, 16};
    for (auto _ : state) {
        for (int32_t line = 0; line < vimo::kShownLines; ++line) {
            vdp.renderLine(&frame, line);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    // Emulated seconds per elapsed second: 1/60 s of picture per frame.
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / 60.0, benchmark::Counter::kIsRate);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderBusyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
