// A Z80 sound program in the machine, loaded and started by a 68000 program
// as a game does: it plays known sounds through the Z80's own ports (the PSG
// at 0x7F11, the YM2612 at 0x4000-0x4003), streams DAC samples paced by the
// V counter read through its bank window, and counts the timers' overflows
// from the status it reads at 0x4000. The sound and the counts are compared
// with the chips' documented formulas, at each output rate:
//   PSG tone      3579540 / (32 × N) Hz; a square from 0 to 10922, each output
//                 sample its average over the sample's time;
//   FM carrier    F × 2^(B − 1) × (7670442 / 144) / 2^20 Hz, ±16383 at full level;
//   DAC           (sample − 128) × 128, here one sample per line of 262 × 60 a second;
//   timers        A: (1024 − N) × 18.7734 µs, B: (256 − N) × 300.375 µs.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "machine/machine.h"
#include "machine_test_util.h"
#include "sound_test_util.h"
#include "sound_z80_programs.h"
#include "z80_side_test_util.h"
#include "z80side_host_programs.h"

namespace vimo {
namespace {

using test::FrameSound;
using test::ReportRecorder;
using test::Signal;

constexpr double kFullCarrier = 16383.0;
constexpr uint32_t kSegment = 16;
constexpr uint32_t kDacSamples = 262 * 30;
constexpr uint32_t kCountFrames = 30;

class Z80SoundProgram : public ::testing::TestWithParam<uint32_t> {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
    FrameSound sound;
    uint32_t firstSounding = 0;   // the frame in whose V blank the score's first note starts

    uint32_t rate() const { return GetParam(); }

    void SetUp() override {
        machine->sampleRate = rate();
        const auto image = test::z80Cartridge(programs::machine_z80_host(), programs::sound_z80_driver());
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
        test::runFramesWithSound(*machine, 130, sound);
        ASSERT_EQ(test::z80Word(*machine, 2), 3) << "the Z80 program reached its last stage";
        while (firstSounding < sound.frames() && test::peak(sound.leftFrames(firstSounding, 1)) == 0.0)
            ++firstSounding;
        ASSERT_LT(firstSounding, 10u) << "no sound from the Z80 program";
    }

    // Score segment s: it starts in the V blank of frame firstSounding + 16 s;
    // the 13 frames from the second one after that are measured.
    Signal left(uint32_t s) const { return sound.leftFrames(firstSounding + kSegment * s + 2, 13); }
    Signal right(uint32_t s) const { return sound.rightFrames(firstSounding + kSegment * s + 2, 13); }
};

// Zero crossings, 0.3 %; the PSG level within 2 %.
TEST_P(Z80SoundProgram, PsgToneThroughThePsgPort) {
    const double frequency = test::psgToneFrequency(254);
    const Signal out = left(0);
    EXPECT_NEAR(test::zeroCrossingFrequency(out, rate()), frequency, frequency * 0.003);
    const double x = std::numbers::pi * frequency / rate();
    const double level = 2.0 / std::numbers::pi * 10922.0 * std::sin(x) / x;
    EXPECT_NEAR(test::toneAmplitude(out, frequency, rate()), level, level * 0.02);
    EXPECT_EQ(out, right(0));
}

// Zero crossings, 0.3 %; the carrier's level within 2 %. Channel 4 is panned
// left: nothing reaches the right side.
TEST_P(Z80SoundProgram, FmCarriersThroughBothParts) {
    const double first = test::fmToneFrequency(1083, 4);
    EXPECT_NEAR(test::zeroCrossingFrequency(left(1), rate()), first, first * 0.003);
    EXPECT_NEAR(test::toneAmplitude(left(1), first, rate()), kFullCarrier, kFullCarrier * 0.02);
    EXPECT_EQ(left(1), right(1));

    const double second = test::fmToneFrequency(800, 4);
    EXPECT_NEAR(test::zeroCrossingFrequency(left(2), rate()), second, second * 0.003);
    EXPECT_NEAR(test::toneAmplitude(left(2), second, rate()), kFullCarrier, kFullCarrier * 0.02);
    EXPECT_EQ(test::peak(right(2)), 0.0);
}

// The stream starts in the V blank of frame firstSounding + 48 and lasts
// 7860 lines (30 frames); 26 frames inside it are measured at the emulated
// rate (60 frames of rate / 60 samples a second): 262 × 60 / 32 = 491.25 Hz
// (0.3 %) and 100 steps of 128 held a line each (3 %).
TEST_P(Z80SoundProgram, DacStreamPacedByTheVCounter) {
    EXPECT_EQ(test::z80Word(*machine, 4), kDacSamples);
    const double emulatedRate = (rate() / 60) * 60.0;
    const double frequency = 262.0 * 60.0 / 32.0;
    const double level = 100 * 128 * std::sin(std::numbers::pi / 32) / (std::numbers::pi / 32);
    const Signal out = sound.leftFrames(firstSounding + 3 * kSegment + 2, 26);
    EXPECT_NEAR(test::zeroCrossingFrequency(out, emulatedRate), frequency, frequency * 0.003);
    EXPECT_NEAR(test::toneAmplitude(out, frequency, emulatedRate), level, level * 0.03);
    EXPECT_EQ(out, sound.rightFrames(firstSounding + 3 * kSegment + 2, 26));
}

// Over 30 frames (30 × 262 lines of 63.61323 µs) timer A (N = 768, 4806 µs)
// and timer B (N = 200, 16821 µs) overflow the elapsed time over their
// periods, give or take one.
TEST_P(Z80SoundProgram, TimerOverflowsReadFromTheStatus) {
    const double elapsed = kCountFrames * test::kFrameMicroseconds;
    EXPECT_NEAR(test::z80Word(*machine, 6), elapsed / ((1024 - 768) * test::kTimerAStep), 1.0);
    EXPECT_NEAR(test::z80Word(*machine, 8), elapsed / ((256 - 200) * test::kTimerBStep), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, Z80SoundProgram, ::testing::ValuesIn(test::kOutputRates));

}  // namespace
}  // namespace vimo
