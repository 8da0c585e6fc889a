// 68000 programs that play known sounds through the machine, as a game's
// sound code does: the PSG through the VDP's PSG port, the YM2612 through the
// Z80 area with its busy flag polled, a DAC sample stream written line by
// line, and the timers polled and counted. The frames' sound is measured and
// compared with the chips' documented formulas:
//   PSG tone          clock / (32 × N), clock 3579540 Hz, 2 dB per attenuation step,
//                     levels 0 to 10922 (a square's fundamental is 2/π of that),
//                     each output sample the average over its own time;
//   PSG noise         one shift every 512 × 2^n clocks (control n = 0-2) or at
//                     tone 3's frequency (control 3); periodic noise repeats every
//                     15 shifts;
//   FM carrier        F-number × 2^(block − 1) × (7670442 / 144) / 2^20 × MUL,
//                     ±16383 at full level, 0.75 dB per total-level step;
//   DAC               (sample − 128) × 128;
//   timers            A: (1024 − N) × 18.7734 µs (144 chip clocks), B: (256 − N)
//                     × 300.375 µs, counted per line of 63.61323 µs.
// Every program runs at each of the four output rates; the tolerance of each
// measurement is stated where it is made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "machine/machine.h"
#include "machine_test_util.h"
#include "sound_programs.h"
#include "sound_test_util.h"

namespace vimo {
namespace {

using test::FrameSound;
using test::ReportRecorder;
using test::Signal;

constexpr double kFullCarrier = 16383.0;
constexpr double kPsgLevel = 10922.0;
constexpr double kPsgSquareFundamental = 2.0 / std::numbers::pi * kPsgLevel;
constexpr double kPsgClock = 3579540.0;

// The PSG's sample is the average of its output over the sample's time: a
// tone's fundamental keeps sin(x) / x of its amplitude, x = π f / rate.
double psgFundamental(double frequency, double rate) {
    const double x = std::numbers::pi * frequency / rate;
    return kPsgSquareFundamental * std::sin(x) / x;
}

constexpr uint32_t kResults = 0xFF0000;
constexpr uint16_t kPlayedMark = 0x600D;

class SoundProgram : public ::testing::TestWithParam<uint32_t> {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
    FrameSound sound;

    uint32_t rate() const { return GetParam(); }

    // Loads the program the way the front end does, at the test's rate (the
    // load re-initialises the chips, which brings the rate to them), and runs
    // it with sound.
    void play(std::span<const uint8_t> image, uint32_t frames) {
        machine->sampleRate = rate();
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
        ASSERT_EQ(machine->psg.rate, rate());
        test::runFramesWithSound(*machine, frames, sound);
        EXPECT_TRUE(recorder.errors.empty());
    }

    // The frames of score segment s (segments of `length` frames from frame
    // 1): an entry of frame f runs in the V blank before frame f, so frames
    // f to f + length − 2 hold the segment whole; the first of them is left
    // out too, for the chips to settle.
    Signal left(uint32_t s, uint32_t length) const { return sound.leftFrames(1 + length * s + 1, length - 2); }
    Signal right(uint32_t s, uint32_t length) const { return sound.rightFrames(1 + length * s + 1, length - 2); }

    void TearDown() override {
        EXPECT_NE(test::ramLong(*machine, 0xFFFFF0), 0xDEADDEADu) << "the program took an unexpected exception";
    }
};

// The lag near k × `expected` samples at which a signal best matches itself,
// divided by k: the length of a repeating pattern.
double measuredRepeat(const Signal& signal, double expected, int repeats) {
    const auto centre = static_cast<size_t>(std::lround(repeats * expected));
    const auto reach = static_cast<size_t>(0.03 * repeats * expected) + 1;
    size_t best = centre;
    double bestCorrelation = -2;
    for (size_t lag = centre - reach; lag <= centre + reach; ++lag) {
        const double c = test::autocorrelation(signal, lag);
        if (c > bestCorrelation) {
            bestCorrelation = c;
            best = lag;
        }
    }
    return static_cast<double>(best) / repeats;
}

// ---- PSG -----------------------------------------------------------------------------------

constexpr uint32_t kPsgSegment = 16;
constexpr uint32_t kPsgFrames = 1 + 13 * kPsgSegment;

class PsgProgram : public SoundProgram {
protected:
    void SetUp() override { play(programs::sound_psg(), kPsgFrames); }
};

// Zero crossings over 14 frames (233 ms): 0.3 % covers the measurement. A
// tone above a quarter of the output rate is not measured. The PSG is
// centred: both sides are the same.
TEST_P(PsgProgram, TonesPlayAtClockOver32N) {
    EXPECT_EQ(test::ramWord(*machine, kResults + 2), kPlayedMark);
    const uint32_t periods[4] = {254, 127, 1017, 40};
    for (uint32_t s = 0; s < 4; ++s) {
        const double expected = test::psgToneFrequency(periods[s]);
        if (expected > rate() / 4.0) continue;
        const Signal out = left(s, kPsgSegment);
        EXPECT_NEAR(test::zeroCrossingFrequency(out, rate()), expected, expected * 0.003) << "N " << periods[s];
        // A square between 0 and full level, averaged per sample (2 %).
        const double level = psgFundamental(expected, rate());
        EXPECT_NEAR(test::toneAmplitude(out, expected, rate()), level, level * 0.02) << "N " << periods[s];
        EXPECT_EQ(out, right(s, kPsgSegment)) << "N " << periods[s];
    }
}

// Segments 4-7: attenuation 0, 2, 4 and 8 on tone 2: 2 dB a step (0.2 dB).
TEST_P(PsgProgram, AttenuationStepsAreTwoDecibels) {
    const double frequency = test::psgToneFrequency(254);
    const double reference = test::toneAmplitude(left(4, kPsgSegment), frequency, rate());
    EXPECT_NEAR(reference, psgFundamental(frequency, rate()), psgFundamental(frequency, rate()) * 0.02);
    const uint32_t attenuations[3] = {2, 4, 8};
    for (uint32_t i = 0; i < 3; ++i) {
        const double amplitude = test::toneAmplitude(left(5 + i, kPsgSegment), frequency, rate());
        EXPECT_NEAR(test::decibels(amplitude, reference), -2.0 * attenuations[i], 0.2)
            << "attenuation " << attenuations[i];
    }
}

// Segment 8: tone 0 (N 254, attenuation 0) and tone 1 (N 169, attenuation 4)
// add up: each at its own frequency and level (0.3 dB).
TEST_P(PsgProgram, TwoTonesSoundTogether) {
    const Signal out = left(8, kPsgSegment);
    const double f1 = test::psgToneFrequency(254);
    const double f2 = test::psgToneFrequency(169);
    const double first = test::toneAmplitude(out, f1, rate());
    const double second = test::toneAmplitude(out, f2, rate());
    EXPECT_NEAR(first, psgFundamental(f1, rate()), psgFundamental(f1, rate()) * 0.03);
    EXPECT_NEAR(test::decibels(second / psgFundamental(f2, rate()), first / psgFundamental(f1, rate())), -8.0, 0.3);
}

// Segment 9: periodic noise shifting at clock / 2048 repeats every 15
// shifts (1 %); segment 10: white noise at the same rate has no such
// pattern; segment 11: periodic noise shifted by tone 3 (N 100) repeats every
// 15 periods of tone 3 (1 %). Segment 12 is silent.
TEST_P(PsgProgram, NoiseShiftsAtItsDocumentedRates) {
    const double shiftRate = kPsgClock / 2048.0;
    const double pattern = 15.0 * rate() / shiftRate;
    const Signal periodic = left(9, kPsgSegment);
    EXPECT_GT(test::acRms(periodic), 1000.0);
    EXPECT_NEAR(measuredRepeat(periodic, pattern, 10), pattern, pattern * 0.01);
    EXPECT_GT(test::autocorrelation(periodic, static_cast<size_t>(std::lround(10 * pattern))), 0.8);

    const Signal white = left(10, kPsgSegment);
    EXPECT_GT(test::acRms(white), 1000.0);
    EXPECT_LT(std::fabs(test::autocorrelation(white, static_cast<size_t>(std::lround(pattern)))), 0.3);
    // A white bit changes on about half of the shifts (10 %).
    EXPECT_NEAR(test::meanCrossings(white) / (white.size() / static_cast<double>(rate())), shiftRate / 2.0,
                shiftRate / 2.0 * 0.1);

    const double toneShift = test::psgToneFrequency(100);
    const double tonePattern = 15.0 * rate() / toneShift;
    const Signal followsTone = left(11, kPsgSegment);
    EXPECT_NEAR(measuredRepeat(followsTone, tonePattern, 5), tonePattern, tonePattern * 0.01);

    EXPECT_EQ(test::peak(left(12, kPsgSegment)), 0.0);
    EXPECT_EQ(test::peak(right(12, kPsgSegment)), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, PsgProgram, ::testing::ValuesIn(test::kOutputRates));

// ---- FM: carriers, pan, total level ----------------------------------------------------

constexpr uint32_t kVoiceSegment = 12;
constexpr uint32_t kVoiceFrames = 1 + 13 * kVoiceSegment;

class FmVoiceProgram : public SoundProgram {
protected:
    void SetUp() override { play(programs::sound_fm_voice(), kVoiceFrames); }
};

// Zero crossings over 10 frames (167 ms), 0.3 %; the level of a full carrier
// within 2 %, on both sides alike.
TEST_P(FmVoiceProgram, CarriersPlayAtTheirFnumberAndBlock) {
    EXPECT_EQ(test::ramWord(*machine, kResults + 2), kPlayedMark);
    struct Case {
        uint32_t segment, fnumber, block;
    };
    const Case cases[] = {{0, 1083, 4}, {1, 1083, 3}, {2, 1083, 5}, {3, 617, 4}, {4, 800, 4}};
    for (const Case& c : cases) {
        const double expected = test::fmToneFrequency(c.fnumber, c.block);
        const Signal out = left(c.segment, kVoiceSegment);
        EXPECT_NEAR(test::zeroCrossingFrequency(out, rate()), expected, expected * 0.003) << "segment " << c.segment;
        EXPECT_NEAR(test::toneAmplitude(out, expected, rate()), kFullCarrier, kFullCarrier * 0.02)
            << "segment " << c.segment;
        EXPECT_EQ(out, right(c.segment, kVoiceSegment)) << "segment " << c.segment;
    }
}

// Segments 5, 6 and 7: register 0xB5 bit 7 left, bit 6 right. An enabled side
// has the full carrier (2 %), a disabled one nothing at all; centred, both
// sides are equal (0.01 dB).
TEST_P(FmVoiceProgram, PanSendsTheChannelLeftRightOrBoth) {
    const double frequency = test::fmToneFrequency(1083, 4);
    const Signal leftOnlyL = left(5, kVoiceSegment);
    EXPECT_NEAR(test::toneAmplitude(leftOnlyL, frequency, rate()), kFullCarrier, kFullCarrier * 0.02);
    EXPECT_EQ(test::peak(right(5, kVoiceSegment)), 0.0);

    EXPECT_EQ(test::peak(left(6, kVoiceSegment)), 0.0);
    EXPECT_NEAR(test::toneAmplitude(right(6, kVoiceSegment), frequency, rate()), kFullCarrier, kFullCarrier * 0.02);

    const double l = test::toneAmplitude(left(7, kVoiceSegment), frequency, rate());
    const double r = test::toneAmplitude(right(7, kVoiceSegment), frequency, rate());
    EXPECT_NEAR(l, kFullCarrier, kFullCarrier * 0.02);
    EXPECT_NEAR(test::decibels(l, r), 0.0, 0.01);
}

// Segments 8-11: op4's total level 4, 8, 16 and 32 against segment 7's 0:
// 0.75 dB a step; 0.1 dB plus 1 % of the attenuation.
TEST_P(FmVoiceProgram, TotalLevelStepsAreThreeQuartersOfADecibel) {
    const double frequency = test::fmToneFrequency(1083, 4);
    const double reference = test::toneAmplitude(left(7, kVoiceSegment), frequency, rate());
    const uint32_t levels[4] = {4, 8, 16, 32};
    for (uint32_t i = 0; i < 4; ++i) {
        const double amplitude = test::toneAmplitude(left(8 + i, kVoiceSegment), frequency, rate());
        EXPECT_NEAR(test::decibels(amplitude, reference), -0.75 * levels[i], 0.1 + 0.0075 * levels[i])
            << "TL " << levels[i];
    }
    EXPECT_EQ(test::peak(left(12, kVoiceSegment)), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, FmVoiceProgram, ::testing::ValuesIn(test::kOutputRates));

// ---- FM: algorithms ---------------------------------------------------------------------

constexpr uint32_t kAlgorithmSegment = 6;
constexpr uint32_t kAlgorithmFrames = 1 + 34 * kAlgorithmSegment;

class FmAlgorithmProgram : public SoundProgram {
protected:
    void SetUp() override { play(programs::sound_fm_algorithms(), kAlgorithmFrames); }

    // The segment's key is on from the V blank before its first frame to the
    // V blank of its fourth: its first three frames.
    Signal keyed(uint32_t s) const { return sound.leftFrames(1 + kAlgorithmSegment * s, 3); }
};

// The operators that reach the output (carriers) in each algorithm, from the
// chip's documented connection diagrams: bit 0 op1 ... bit 3 op4.
constexpr uint32_t kCarriers[8] = {0x8, 0x8, 0x8, 0x8, 0xA, 0xE, 0xE, 0xF};
constexpr uint32_t kMultiples[4] = {1, 2, 3, 5};

// An operator keyed alone is heard at its own frequency and full level (3 %)
// when it is a carrier; a modulator keyed alone modulates carriers that are
// off, so nothing at all is heard.
TEST_P(FmAlgorithmProgram, EachAlgorithmHearsItsCarriersOnly) {
    EXPECT_EQ(test::ramWord(*machine, kResults + 2), kPlayedMark);
    for (uint32_t algorithm = 0; algorithm < 8; ++algorithm) {
        for (uint32_t op = 0; op < 4; ++op) {
            const Signal out = keyed(4 * algorithm + op);
            if ((kCarriers[algorithm] & (1u << op)) != 0) {
                const double frequency = test::fmToneFrequency(1083, 3, kMultiples[op]);
                EXPECT_NEAR(test::toneAmplitude(out, frequency, rate()), kFullCarrier, kFullCarrier * 0.03)
                    << "algorithm " << algorithm << " op" << op + 1;
            } else {
                EXPECT_EQ(test::peak(out), 0.0) << "algorithm " << algorithm << " op" << op + 1;
            }
        }
    }
}

// Op3 (24 dB down) and op4 keyed together: in algorithm 7 both are carriers
// and the output is their two tones and nothing else; in algorithm 0 op3
// modulates op4, so op3's own tone is absent and op4's energy spreads into
// sidebands at f4 ± f3: much of the power lies outside the two tones.
TEST_P(FmAlgorithmProgram, AModulatorChangesItsCarrierInsteadOfSounding) {
    const double f3 = test::fmToneFrequency(1083, 3, 3);
    const double f4 = test::fmToneFrequency(1083, 3, 5);
    const double op3Level = kFullCarrier * std::pow(10.0, -0.75 * 32 / 20);
    auto outsideTheTones = [&](const Signal& out) {
        const double a3 = test::toneAmplitude(out, f3, rate());
        const double a4 = test::toneAmplitude(out, f4, rate());
        const double total = test::acRms(out) * test::acRms(out);
        return (total - (a3 * a3 + a4 * a4) / 2.0) / total;
    };
    const Signal modulated = keyed(32);
    const Signal separate = keyed(33);
    // 0.1 dB plus 1 % of the 24 dB, as for the total-level steps.
    EXPECT_NEAR(test::decibels(test::toneAmplitude(separate, f3, rate()), op3Level), 0.0, 0.1 + 0.0075 * 32);
    EXPECT_NEAR(test::toneAmplitude(separate, f4, rate()), kFullCarrier, kFullCarrier * 0.03);
    EXPECT_LT(outsideTheTones(separate), 0.02);

    EXPECT_LT(test::toneAmplitude(modulated, f3, rate()), op3Level * 0.05);
    EXPECT_GT(test::toneAmplitude(modulated, f4 + f3, rate()), kFullCarrier * 0.1);
    EXPECT_GT(test::toneAmplitude(modulated, f4 - f3, rate()), kFullCarrier * 0.1);
    EXPECT_GT(outsideTheTones(modulated), 0.3);
}

INSTANTIATE_TEST_SUITE_P(Rates, FmAlgorithmProgram, ::testing::ValuesIn(test::kOutputRates));

// ---- DAC ---------------------------------------------------------------------------------

constexpr uint32_t kDacStopFrame = 40;

class DacProgram : public SoundProgram {
protected:
    void SetUp() override { play(programs::sound_dac(), kDacStopFrame + 4); }
};

// One sample per line of a 32-step sine: 15720 / 32 = 491.25 Hz (0.3 %). Its
// amplitude is 100 DAC steps of 128, held for a line each, which keeps
// sin(π/32) / (π/32) of the fundamental (3 %, for the line-long steps falling
// on whole output samples). The stream keeps the emulated time, in which a
// second holds 60 frames of rate / 60 samples (whole samples), so it is
// measured at that rate.
TEST_P(DacProgram, ASampleStreamPlaysAtTheLineRate) {
    EXPECT_EQ(test::ramWord(*machine, kResults + 4), 0x0FF0) << "the stream ended";
    const uint32_t written = test::ramLong(*machine, kResults + 6);
    EXPECT_NEAR(written, 262.0 * kDacStopFrame, 262.0) << "one sample per line";

    const double frequency = 262.0 * 60.0 / 32.0;
    const double hold = std::sin(std::numbers::pi / 32) / (std::numbers::pi / 32);
    const double emulatedRate = (rate() / 60) * 60.0;
    const Signal out = sound.leftFrames(2, kDacStopFrame - 4);
    EXPECT_NEAR(test::zeroCrossingFrequency(out, emulatedRate), frequency, frequency * 0.003);
    EXPECT_NEAR(test::toneAmplitude(out, frequency, emulatedRate), 100 * 128 * hold, 100 * 128 * hold * 0.03);
    EXPECT_EQ(out, sound.rightFrames(2, kDacStopFrame - 4)) << "channel 6 on both sides";

    // Switched off, the DAC is not heard.
    EXPECT_EQ(test::peak(sound.leftFrames(kDacStopFrame + 1, 3)), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, DacProgram, ::testing::ValuesIn(test::kOutputRates));

// ---- Timers -------------------------------------------------------------------------------

// The program polls the status and counts the overflows of each frame (V
// interrupt to V interrupt: 262 lines, 16666.67 µs). Each phase of 40 frames
// sets other periods; its first two frames are left out, as the counts of
// the previous periods run out there. Per frame a timer overflows
// frame / period times, so each frame's count is that rounded down or up, and
// the 38 frames' total is within one of 38 × frame / period: the period in
// lines measured over 38 frames. Timer A's shortest period, 18.8 µs, is
// shorter than a line: it overflows on every line, once.
TEST(TimerProgram, OverflowsPerFrameMatchThePeriods) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    test::ScratchFolder folder;
    ASSERT_EQ(test::loadImage(*machine, folder, programs::sound_timers()), 0);
    for (int frame = 0; frame < 170; ++frame) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    ASSERT_EQ(test::ramWord(*machine, kResults + 2), kPlayedMark);

    struct Phase {
        uint32_t a, b;
    };
    const Phase phases[4] = {{768, 200}, {1000, 0}, {0, 255}, {1023, 128}};
    for (uint32_t p = 0; p < 4; ++p) {
        const double periodA = (1024.0 - phases[p].a) * test::kTimerAStep;
        const double periodB = (256.0 - phases[p].b) * test::kTimerBStep;
        const double perFrameA = std::min(test::kFrameMicroseconds / periodA, 262.0);
        const double perFrameB = test::kFrameMicroseconds / periodB;
        double totalA = 0;
        double totalB = 0;
        const uint32_t first = 40 * p + 2;
        const uint32_t last = 40 * p + 40;
        for (uint32_t k = first; k < last; ++k) {
            const uint16_t a = test::ramWord(*machine, kResults + 0x100 + 2 * k);
            const uint16_t b = test::ramWord(*machine, kResults + 0x400 + 2 * k);
            EXPECT_LT(std::fabs(a - perFrameA), 1.0) << "phase " << p << " frame " << k << " timer A";
            EXPECT_LT(std::fabs(b - perFrameB), 1.0) << "phase " << p << " frame " << k << " timer B";
            totalA += a;
            totalB += b;
        }
        const double frames = last - first;
        EXPECT_NEAR(totalA, frames * perFrameA, 1.0) << "phase " << p << " timer A";
        EXPECT_NEAR(totalB, frames * perFrameB, 1.0) << "phase " << p << " timer B";
    }
}

}  // namespace
}  // namespace vimo
