// Speed of the sound chips as the frame drives them: the FM chip with six
// keyed channels, the LFO and the DAC, plus the PSG with three tones and
// noise, rendered one scan line at a time (262 spans per frame, 60 frames per
// second of sound), each span zeroed, the PSG rendered and copied to the
// right buffer, the FM added. Prints the ratio to real time per output rate.
//
//   sound_bench [seconds of host time per figure, default 1]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sound/fm_synth.h"
#include "sound/sn76496.h"

namespace {

using namespace vimo;

constexpr int kLinesPerFrame = 262;

void fmWrite(uint32_t part, uint32_t reg, uint32_t value) {
    FmSynth::write(0, 2 * part, reg);
    FmSynth::write(0, 2 * part + 1, value);
}

// Six channels of a busy four-operator voice with feedback and LFO
// modulation, each at its own pitch, all keyed on.
void keyBusyVoices() {
    for (int channel = 0; channel < 6; ++channel) {
        const uint32_t part = channel < 3 ? 0 : 1;
        const uint32_t c = static_cast<uint32_t>(channel % 3);
        for (uint32_t op = 0; op < 16; op += 4) {
            fmWrite(part, 0x30 + op + c, 0x71);               // DT 7, MUL 1
            fmWrite(part, 0x40 + op + c, op == 12 ? 0 : 24);  // TL
            fmWrite(part, 0x50 + op + c, 0x5F);               // KS 1, AR 31
            fmWrite(part, 0x60 + op + c, 0x85);               // AM on, D1R 5
            fmWrite(part, 0x70 + op + c, 0x02);               // D2R 2
            fmWrite(part, 0x80 + op + c, 0x2F);               // SL 2, RR 15
        }
        fmWrite(part, 0xB0 + c, static_cast<uint32_t>((5 << 3) | (channel % 8)));  // FB 5, algorithm
        fmWrite(part, 0xB4 + c, 0xC0 | (2 << 4) | 3);                               // both sides, AMS 2, PMS 3
        fmWrite(part, 0xA4 + c, (4u << 3) | 2u);
        fmWrite(part, 0xA0 + c, 0x40u + 16u * c);
        fmWrite(0, 0x28, 0xF0 | (channel < 3 ? static_cast<uint32_t>(channel) : static_cast<uint32_t>(channel + 1)));
    }
    fmWrite(0, 0x22, 0x0B);   // LFO on, 6.37 Hz
}

void playPsgTones(Sn76496& psg) {
    const uint8_t writes[] = {0x8E, 0x0F, 0x90, 0xA5, 0x1A, 0xB2, 0xC3, 0x2C, 0xD4, 0xE4, 0xF3};
    for (uint8_t w : writes) psg.write(w);
}

struct Figure {
    double ratio;
    uint64_t samples;
};

Figure run(uint32_t rate, bool dac, double hostSeconds) {
    if (FmSynth::init(1, kFmClock, rate, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "FM init failed\n");
        std::exit(1);
    }
    Sn76496 psg;
    psg.init(kPsgClock, rate, 16);
    keyBusyVoices();
    playPsgTones(psg);
    if (dac) fmWrite(0, 0x2B, 0x80);

    const uint32_t perFrame = rate / 60;
    std::vector<int16_t> left(perFrame);
    std::vector<int16_t> right(perFrame);
    uint32_t dacValue = 0;
    uint64_t frames = 0;
    int64_t sink = 0;

    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    double elapsed = 0;
    while (elapsed < hostSeconds) {
        for (int frame = 0; frame < 60; ++frame, ++frames) {
            // A little register traffic per frame, as a sound driver makes.
            fmWrite(0, 0x28, (frames & 1) != 0 ? 0x00 : 0xF0);
            fmWrite(0, 0x28, 0xF0);
            fmWrite(1, 0xA1, 0x40u + static_cast<uint32_t>(frames & 0x3F));
            uint32_t first = 0;
            for (int line = 0; line < kLinesPerFrame; ++line) {
                const uint32_t end = std::min<uint32_t>(static_cast<uint32_t>(line + 1) * perFrame / kLinesPerFrame, perFrame);
                const int32_t n = static_cast<int32_t>(end - first);
                if (dac) fmWrite(0, 0x2A, (dacValue += 37) & 0xFF);
                std::fill(left.begin() + first, left.begin() + end, int16_t{0});
                std::fill(right.begin() + first, right.begin() + end, int16_t{0});
                psg.update(left.data() + first, n);
                std::copy(left.begin() + first, left.begin() + end, right.begin() + first);
                FmSynth::update(0, {left.data() + first, right.data() + first}, n);
                first = end;
            }
            sink += left[perFrame / 2] + right[perFrame / 3];
        }
        elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    }
    FmSynth::shutdown();
    if (sink == 1) std::printf(" ");   // keeps the output alive
    const double emulatedSeconds = static_cast<double>(frames) / 60.0;
    return {emulatedSeconds / elapsed, frames * perFrame};
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    std::printf("sound: FM (6 channels keyed, LFO) + PSG, rendered per line, 262 spans per frame\n");
    for (uint32_t rate : {44100u, 22050u, 11025u, 8000u}) {
        const Figure plain = run(rate, false, seconds);
        const Figure dac = run(rate, true, seconds);
        std::printf("  %5u Hz: %7.1fx real time (6 FM channels), %7.1fx real time (5 FM channels + DAC)\n", rate,
                    plain.ratio, dac.ratio);
    }
    std::printf("goal: at least 300x real time at 44100 Hz\n");
    return 0;
}
