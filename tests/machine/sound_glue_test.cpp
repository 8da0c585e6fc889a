// The machine's sound glue against its documented behaviour: the YM2612
// ports with the register shadow and the status byte; the timers counted per
// line (timer A (1024 − N) × 18.7734 µs, timer B (256 − N) × 300.375 µs, a
// line 63.61323 µs, at most one overflow per timer and line); the re-initialisation
// that replays every written register; the per-line mixing with its mute, its
// per-chip enables and its saturating additions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "machine/machine.h"
#include "machine_programs.h"
#include "machine_test_util.h"
#include "sound/fm_synth.h"
#include "sound_test_util.h"

namespace vimo {
namespace {

using test::FrameSound;
using test::ReportRecorder;

// A carrier at full level reaches ±16383 at the output; one DAC step is 128
// ((data − 128) × 2^19, shifted right by 12); a PSG channel at attenuation 0
// swings between 0 and 10922, whose fundamental is 2/π of that.
constexpr double kFullCarrier = 16383.0;
constexpr double kPsgSquareFundamental = 2.0 / std::numbers::pi * 10922.0;

// The shadow entries that are not 0xFFFF.
int writtenEntries(const Machine& machine) {
    int count = 0;
    for (const auto& part : machine.fmShadow)
        for (uint16_t entry : part) count += entry != 0xFFFF ? 1 : 0;
    return count;
}

class SoundGlue : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    void SetUp() override { ASSERT_TRUE(machine->isUsable()); }
};

// ---- The ports ---------------------------------------------------------------------------

TEST_F(SoundGlue, AddressPortsLatchPerPartAndDataPortsFillTheShadow) {
    EXPECT_EQ(writtenEntries(*machine), 0) << "nothing written after construction";
    machine->writeFm(0x4000, 0x30);
    machine->writeFm(0x4002, 0xB4);
    EXPECT_EQ(machine->fmAddressLatch[0], 0x30u);
    EXPECT_EQ(machine->fmAddressLatch[1], 0xB4u);
    machine->writeFm(0x4001, 0x71);
    machine->writeFm(0x4003, 0x80);
    EXPECT_EQ(machine->fmShadow[0][0x30], 0x71);
    EXPECT_EQ(machine->fmShadow[1][0xB4], 0x80);
    EXPECT_EQ(writtenEntries(*machine), 2);

    // Only address bits 0 and 1 select the port; the latch stays after a data
    // write, so a second data byte goes to the same register.
    machine->writeFm(0x5FFD, 0x72);
    EXPECT_EQ(machine->fmShadow[0][0x30], 0x72);
    machine->writeFm(0x4FFF, 0x40);
    EXPECT_EQ(machine->fmShadow[1][0xB4], 0x40);

    // Only the low eight bits of an address or value count.
    machine->writeFm(0x4000, 0x1B2);
    EXPECT_EQ(machine->fmAddressLatch[0], 0xB2u);
    machine->writeFm(0x4001, 0x305);
    EXPECT_EQ(machine->fmShadow[0][0xB2], 0x05);
    EXPECT_EQ(writtenEntries(*machine), 3);
}

TEST_F(SoundGlue, BothCpusReachThePorts) {
    // The 68000 through 0xA04000-0xA04003.
    machine->writeByteIo(0xA04000, 0x26);
    machine->writeByteIo(0xA04001, 0x9A);
    EXPECT_EQ(machine->fmShadow[0][0x26], 0x9A);
    // The Z80 through 0x4000-0x4003.
    machine->z80Write(0x4002, 0x40);
    machine->z80Write(0x4003, 0x3F);
    EXPECT_EQ(machine->fmShadow[1][0x40], 0x3F);

    machine->fmStatus = 2;
    EXPECT_EQ(machine->readByteIo(0xA04000), 2u);
    EXPECT_EQ(machine->readByteIo(0xA04001), 0u);
    EXPECT_EQ(machine->z80Read(0x4000), 2u);
    EXPECT_EQ(machine->z80Read(0x4003), 0u);
}

TEST_F(SoundGlue, EveryByteGoesOnToTheChip) {
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    machine->writeFm(0x4000, 0xB0);
    EXPECT_EQ(chip->addressLatch, 0xB0);
    machine->writeFm(0x4001, 0x05);
    EXPECT_EQ(chip->channels[0].algorithm, 5);

    machine->writeFm(0x4002, 0xB2);
    EXPECT_EQ(chip->part1AddressLatch, 0xB2u);
    machine->writeFm(0x4003, 0x3A);   // FB 7, algorithm 2
    EXPECT_EQ(chip->channels[5].algorithm, 2);
    EXPECT_EQ(chip->channels[5].feedbackShift, 9 - 7);

    test::writeFmRegister(*machine, 0, 0x2B, 0x80);
    EXPECT_EQ(chip->dacEnable, 0x80u);
    test::keyFm(*machine, 4, 0xF);
    for (const FmSlot& slot : chip->channels[4].slots) EXPECT_EQ(slot.envelopePhase, EnvelopePhase::Attack);
}

TEST_F(SoundGlue, TheStatusIsReadAtEvenAddressesOfEitherPart) {
    machine->fmStatus = 3;
    EXPECT_EQ(machine->readFm(0x4000), 3u);
    EXPECT_EQ(machine->readFm(0x4002), 3u);
    EXPECT_EQ(machine->readFm(0x5FFE), 3u);
    EXPECT_EQ(machine->readFm(0x4001), 0u);
    EXPECT_EQ(machine->readFm(0x4003), 0u);
}

TEST_F(SoundGlue, Register27ClearsTheFlagsFromEitherPart) {
    machine->fmStatus = 3;
    test::writeFmRegister(*machine, 0, 0x27, 0x0F);   // load and enable bits: no clearing
    EXPECT_EQ(machine->fmStatus, 3);
    test::writeFmRegister(*machine, 0, 0x26, 0x30);   // the same bits in another register
    EXPECT_EQ(machine->fmStatus, 3);
    test::writeFmRegister(*machine, 1, 0x27, 0x10);   // part 1's 0x27 clears timer A's flag too
    EXPECT_EQ(machine->fmStatus, 2);
    test::writeFmRegister(*machine, 0, 0x27, 0x20);
    EXPECT_EQ(machine->fmStatus, 0);
    machine->fmStatus = 3;
    test::writeFmRegister(*machine, 0, 0x27, 0x30);
    EXPECT_EQ(machine->fmStatus, 0);
}

// ---- Timers ----------------------------------------------------------------------------------

// Unwritten registers read as −1: N = −1 for timer A (−4 from 0x24, 3 from
// 0x25) and for timer B, so the periods are 1025 × 18.7734 = 19242.7 µs and
// 257 × 300.375 = 77196.1 µs. 302 lines are 19211.2 µs, 303 lines 19274.8 µs:
// timer A overflows on line 303. 1213 lines are 77162.8 µs, 1214 lines
// 77226.5 µs.
TEST_F(SoundGlue, UnwrittenTimersRunAtTheirLongestPeriods) {
    EXPECT_NEAR(machine->fmTimerAPeriod(), 19242.698, 1e-3);
    EXPECT_NEAR(machine->fmTimerBPeriod(), 77196.073, 1e-3);
    for (int line = 1; line <= 1214; ++line) {
        machine->tickFmTimers();
        if (line == 302) {
            EXPECT_EQ(machine->fmStatus & 1, 0) << "line 302";
        }
        if (line == 303) {
            EXPECT_EQ(machine->fmStatus & 1, 1) << "line 303";
        }
        if (line == 1213) {
            EXPECT_EQ(machine->fmStatus & 2, 0) << "line 1213";
        }
    }
    EXPECT_EQ(machine->fmStatus & 2, 2) << "line 1214";
}

TEST_F(SoundGlue, TimerPeriodsFollowTheirRegisters) {
    struct Case {
        uint32_t r24, r25, r26;
        double stepsA, stepsB;
    };
    const Case cases[] = {
        {0xC8, 0x02, 0xC0, 1024 - 802, 256 - 192},
        {0xFF, 0x03, 0xFF, 1, 1},
        {0x00, 0x00, 0x00, 1024, 256},
        {0x80, 0xFE, 0x01, 1024 - 514, 255},   // only 0x25's low two bits count
    };
    for (const Case& c : cases) {
        test::writeFmRegister(*machine, 0, 0x24, c.r24);
        test::writeFmRegister(*machine, 0, 0x25, c.r25);
        test::writeFmRegister(*machine, 0, 0x26, c.r26);
        EXPECT_DOUBLE_EQ(machine->fmTimerAPeriod(), c.stepsA * test::kTimerAStep) << std::hex << c.r24 << " " << c.r25;
        EXPECT_DOUBLE_EQ(machine->fmTimerBPeriod(), c.stepsB * test::kTimerBStep) << std::hex << c.r26;
    }
    // Part 1's registers 0x24-0x26 are not the timers.
    test::writeFmRegister(*machine, 1, 0x24, 0x00);
    test::writeFmRegister(*machine, 1, 0x26, 0x00);
    EXPECT_DOUBLE_EQ(machine->fmTimerAPeriod(), (1024 - 514) * test::kTimerAStep);
    EXPECT_DOUBLE_EQ(machine->fmTimerBPeriod(), 255 * test::kTimerBStep);

    // 0x25 written while 0x24 is not: (−1 × 4) + 0 gives N = −4.
    ASSERT_EQ(machine->reset(), 0);
    test::writeFmRegister(*machine, 0, 0x25, 0x00);
    EXPECT_DOUBLE_EQ(machine->fmTimerAPeriod(), 1028 * test::kTimerAStep);
}

// Over 20 frames of lines, with each flag cleared as soon as it is seen, the
// overflows are the elapsed time over the period, give or take one.
TEST_F(SoundGlue, OverflowsPerLineMatchThePeriods) {
    test::writeFmRegister(*machine, 0, 0x24, 0xC8);   // N = 802: 4167.7 µs
    test::writeFmRegister(*machine, 0, 0x25, 0x02);
    test::writeFmRegister(*machine, 0, 0x26, 0xC0);   // N = 192: 19223.9 µs
    const int lines = 262 * 20;
    int overflowsA = 0;
    int overflowsB = 0;
    for (int line = 0; line < lines; ++line) {
        machine->tickFmTimers();
        if ((machine->readFm(0x4000) & 1) != 0) {
            ++overflowsA;
            test::writeFmRegister(*machine, 0, 0x27, 0x1F);
        }
        if ((machine->readFm(0x4000) & 2) != 0) {
            ++overflowsB;
            test::writeFmRegister(*machine, 0, 0x27, 0x2F);
        }
    }
    const double elapsed = lines * test::kLineMicroseconds;
    EXPECT_NEAR(overflowsA, elapsed / (222 * test::kTimerAStep), 1.0);
    EXPECT_NEAR(overflowsB, elapsed / (64 * test::kTimerBStep), 1.0);
}

// A period shorter than a line overflows on every line, and the accumulator
// keeps what one overflow per line cannot take away.
TEST_F(SoundGlue, APeriodShorterThanALineOverflowsOnEveryLine) {
    test::writeFmRegister(*machine, 0, 0x24, 0xFF);   // N = 1023: 18.8 µs
    test::writeFmRegister(*machine, 0, 0x25, 0x03);
    for (int line = 1; line <= 100; ++line) {
        machine->tickFmTimers();
        ASSERT_EQ(machine->fmStatus & 1, 1) << "line " << line;
        test::writeFmRegister(*machine, 0, 0x27, 0x10);
        ASSERT_EQ(machine->fmStatus & 1, 0);
    }
    EXPECT_NEAR(machine->fmTimerElapsed[0], 100 * (test::kLineMicroseconds - test::kTimerAStep), 1e-6);
}

// Both timers always count and always raise their flags, whatever register
// 0x27's load and enable bits say, and a flag stays until it is cleared.
TEST_F(SoundGlue, TimersRunWithoutTheirLoadAndEnableBits) {
    test::writeFmRegister(*machine, 0, 0x24, 0xFF);
    test::writeFmRegister(*machine, 0, 0x25, 0x03);
    test::writeFmRegister(*machine, 0, 0x26, 0xFF);   // 300.4 µs: 4.7 lines
    test::writeFmRegister(*machine, 0, 0x27, 0x00);
    for (int line = 0; line < 5; ++line) machine->tickFmTimers();
    EXPECT_EQ(machine->fmStatus, 3);
    for (int line = 0; line < 50; ++line) machine->tickFmTimers();
    EXPECT_EQ(machine->fmStatus, 3);
}

TEST_F(SoundGlue, HardResetClearsTheGlueButNotTheChip) {
    test::writeFmRegister(*machine, 0, 0xB0, 0x05);
    test::writeFmRegister(*machine, 1, 0xB1, 0x03);
    for (int line = 0; line < 310; ++line) machine->tickFmTimers();   // past timer A's longest period
    ASSERT_NE(machine->fmStatus, 0);
    ASSERT_EQ(machine->reset(), 0);
    EXPECT_EQ(writtenEntries(*machine), 0);
    EXPECT_EQ(machine->fmAddressLatch[0], 0u);
    EXPECT_EQ(machine->fmAddressLatch[1], 0u);
    EXPECT_EQ(machine->fmStatus, 0);
    EXPECT_EQ(machine->fmTimerElapsed[0], 0.0);
    EXPECT_EQ(machine->fmTimerElapsed[1], 0.0);
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->channels[0].algorithm, 5) << "the chip itself is not reset";
    EXPECT_EQ(chip->channels[4].algorithm, 3);
}

TEST_F(SoundGlue, TheZ80ResetControlResetsTheChipWhenWrittenWithZero) {
    test::writeFmRegister(*machine, 0, 0xB0, 0x05);
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    machine->writeByteSystem(0xA11200, 0x01);
    EXPECT_EQ(chip->channels[0].algorithm, 5);
    machine->writeByteSystem(0xA11201, 0x00);
    EXPECT_EQ(chip->channels[0].algorithm, 5) << "the odd byte is not the reset control";
    machine->writeByteSystem(0xA11200, 0x00);
    EXPECT_EQ(chip->channels[0].algorithm, 0);
    EXPECT_EQ(machine->fmShadow[0][0xB0], 0x05) << "the glue's shadow stays";
}

// ---- Re-initialisation -----------------------------------------------------------------------

TEST_F(SoundGlue, ReinitialisationBringsTheRateToEveryChip) {
    // A PCM channel's step is (FD << 15) / rate; it follows the new rate.
    machine->pcm.writeRegister(7, 0x40);   // channel 0
    machine->pcm.writeRegister(3, 0x08);   // FD 0x0800
    for (uint32_t rate : test::kOutputRates) {
        ASSERT_EQ(test::changeSampleRate(*machine, rate), 0);
        const FmChip* chip = FmSynth::chipState(0);
        ASSERT_NE(chip, nullptr);
        EXPECT_EQ(chip->rate, rate);
        EXPECT_EQ(chip->clock, 7670442u);
        EXPECT_EQ(machine->psg.rate, rate);
        EXPECT_EQ(machine->pcm.rate, rate);
        EXPECT_EQ(machine->pcm.clock, 12000000u);
        EXPECT_EQ(machine->pcm.channels[0].step, (0x0800u << 15) / rate);
    }
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(SoundGlue, TheReplayRestoresTheChipWithoutPassingThroughThePorts) {
    test::writeFmRegister(*machine, 0, 0xB1, 0x2C);   // channel 1: FB 5, algorithm 4
    test::writeFmRegister(*machine, 1, 0xB5, 0x40);   // channel 4: right only
    test::writeFmRegister(*machine, 0, 0x4C, 0x20);   // channel 0 op4 TL 32
    test::writeFmRegister(*machine, 0, 0x2B, 0x80);
    test::writeFmRegister(*machine, 0, 0x22, 0x0B);   // LFO on, rate 3
    machine->writeFm(0x4000, 0x31);                   // latches left elsewhere
    machine->writeFm(0x4002, 0x99);
    machine->fmStatus = 1;
    const std::vector<uint16_t> shadow(&machine->fmShadow[0][0], &machine->fmShadow[0][0] + 512);

    ASSERT_EQ(test::changeSampleRate(*machine, 22050), 0);
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->channels[1].algorithm, 4);
    EXPECT_EQ(chip->channels[1].feedbackShift, 9 - 5);
    EXPECT_EQ(chip->channels[4].pan, 1);
    EXPECT_EQ(chip->channels[3].pan, 3) << "unwritten: as the chip's reset left it";
    EXPECT_EQ(chip->channels[0].slots[kOp4].totalLevel, chip->channels[0].slots[kOp4].totalLevelInUse);
    EXPECT_NE(chip->channels[0].slots[kOp4].totalLevel, 0);
    EXPECT_EQ(chip->dacEnable, 0x80u);
    EXPECT_NE(chip->lfoStep, 0u);

    EXPECT_TRUE(std::equal(shadow.begin(), shadow.end(), &machine->fmShadow[0][0]));
    EXPECT_EQ(machine->fmStatus, 1);
    EXPECT_EQ(machine->fmAddressLatch[0], 0x31u);
    EXPECT_EQ(machine->fmAddressLatch[1], 0x99u);
}

// The replay writes register 0x28 once, with its last value: only the channel
// named there is keyed on again.
TEST_F(SoundGlue, TheReplayKeysOnOnlyTheChannelOfTheLastKeyWrite) {
    test::loadSineVoice(*machine, 0, 1083, 4);
    test::loadSineVoice(*machine, 1, 1083, 3);
    test::keyFm(*machine, 0, 0xF);
    test::keyFm(*machine, 1, 0xF);
    ASSERT_EQ(test::changeSampleRate(*machine, 22050), 0);
    FrameSound sound;
    test::mixFrames(*machine, 10, sound);
    const test::Signal out = sound.leftFrames(1, 9);
    EXPECT_NEAR(test::toneAmplitude(out, test::fmToneFrequency(1083, 3), 22050), kFullCarrier, kFullCarrier * 0.02);
    EXPECT_LT(test::toneAmplitude(out, test::fmToneFrequency(1083, 4), 22050), kFullCarrier * 0.01);
}

TEST_F(SoundGlue, ARefusedStartLeavesThePsgAndPcmAsTheyWere) {
    // The chip still exists (no shutdown first): the start is refused.
    machine->sampleRate = 8000;
    EXPECT_EQ(machine->initSoundChips(), 1);
    EXPECT_EQ(machine->psg.rate, 44100u);
    EXPECT_EQ(machine->pcm.rate, 44100u);
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->rate, 44100u) << "the chip that was there stays";
}

// A start that fails leaves no FM chip: every port, the reset control, the
// replay and the mixing go on without it, and FM is simply not heard. The
// next successful start brings the registers written meanwhile back.
TEST_F(SoundGlue, WithoutAnFmChipNothingFailsAndFmIsSilent) {
    machine->shutdownFm();
    ASSERT_EQ(FmSynth::init(1, kFmClock, 44100, nullptr, nullptr), 0);   // someone else's chip
    EXPECT_EQ(machine->initSoundChips(), 1);
    FmSynth::shutdown();
    ASSERT_EQ(FmSynth::chipState(0), nullptr);

    test::loadSineVoice(*machine, 0, 1083, 4);
    test::keyFm(*machine, 0, 0xF);
    test::writeFmRegister(*machine, 0, 0x2B, 0x80);
    test::writeFmRegister(*machine, 0, 0x2A, 0xFF);
    test::writeFmRegister(*machine, 0, 0x2B, 0x00);
    machine->writeByteSystem(0xA11200, 0x00);
    EXPECT_EQ(machine->readFm(0x4000), 0u);
    EXPECT_EQ(machine->replayFmRegisters(), 0);
    FrameSound silent;
    test::mixFrames(*machine, 3, silent);
    EXPECT_EQ(test::peak(silent.leftFrames(0, 3)), 0.0);
    EXPECT_EQ(test::peak(silent.rightFrames(0, 3)), 0.0);

    EXPECT_EQ(machine->shutdownFm(), 0);
    ASSERT_EQ(machine->initSoundChips(), 0);
    ASSERT_NE(FmSynth::chipState(0), nullptr);
    FrameSound sound;
    test::mixFrames(*machine, 6, sound);
    EXPECT_NEAR(test::toneAmplitude(sound.leftFrames(1, 5), test::fmToneFrequency(1083, 4), 44100), kFullCarrier,
                kFullCarrier * 0.02);
}

// The FM chip is one per process. A machine built while another exists takes
// it over, as it takes over the process-wide machine pointer, and the older
// machine's end does not take it away.
TEST(SoundGlueMachines, ANewerMachineTakesTheChipOver) {
    ReportRecorder recorder;
    auto older = test::makeMachine();
    auto newer = test::makeMachine();
    ASSERT_TRUE(newer->isUsable());
    EXPECT_TRUE(recorder.errors.empty());
    test::loadSineVoice(*newer, 2, 1083, 4);
    test::keyFm(*newer, 2, 0xF);
    older.reset();
    ASSERT_NE(FmSynth::chipState(0), nullptr);
    FrameSound sound;
    test::mixFrames(*newer, 4, sound);
    EXPECT_NEAR(test::toneAmplitude(sound.leftFrames(1, 3), test::fmToneFrequency(1083, 4), 44100), kFullCarrier,
                kFullCarrier * 0.02);
    newer.reset();
    EXPECT_EQ(FmSynth::chipState(0), nullptr) << "the owner's end frees it";
}

// ---- Mixing -----------------------------------------------------------------------------------

TEST_F(SoundGlue, MixingWritesOnlyItsSpanAndNeverPastTheFrame) {
    std::vector<int16_t> left(110, 0x1234), right(110, 0x1234);
    SoundFrameDesc desc{left.data(), right.data(), 100};
    auto untouched = [](const std::vector<int16_t>& buffer, size_t from, size_t to) {
        return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(from),
                           buffer.begin() + static_cast<std::ptrdiff_t>(to), [](int16_t s) { return s == 0x1234; });
    };
    EXPECT_EQ(machine->mixSound(&desc, 10, 20), 0);
    for (size_t i = 10; i < 20; ++i) ASSERT_TRUE(left[i] == 0 && right[i] == 0) << i;
    EXPECT_TRUE(untouched(left, 0, 10) && untouched(left, 20, 110));
    EXPECT_TRUE(untouched(right, 0, 10) && untouched(right, 20, 110));

    EXPECT_EQ(machine->mixSound(&desc, 95, 300), 0);   // capped at the frame's 100 samples
    EXPECT_TRUE(untouched(left, 100, 110) && untouched(right, 100, 110));
    EXPECT_EQ(left[99], 0);

    EXPECT_EQ(machine->mixSound(&desc, 50, 50), 0);
    EXPECT_EQ(machine->mixSound(&desc, 60, 40), 0);
    EXPECT_EQ(machine->mixSound(&desc, 150, 160), 0);
    EXPECT_TRUE(untouched(left, 20, 95) && untouched(right, 20, 95));
    EXPECT_EQ(machine->mixSound(nullptr, 0, 10), 0);
}

TEST_F(SoundGlue, AMutedSpanIsSilent) {
    test::setPsgTone(*machine, 0, 254, 0);
    test::loadSineVoice(*machine, 0, 1083, 4);
    test::keyFm(*machine, 0, 0xF);
    machine->soundMuted = 1;
    std::vector<int16_t> left(735, 0x1234), right(735, 0x1234);
    SoundFrameDesc desc{left.data(), right.data(), 735};
    EXPECT_EQ(machine->mixSound(&desc, 0, 735), 0);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](int16_t s) { return s == 0; }));

    machine->soundMuted = 0;
    EXPECT_EQ(machine->mixSound(&desc, 0, 735), 0);
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 10000);
}

// The PSG is rendered into the left buffer and copied to the right one; FM
// adds to each side by its pan.
TEST_F(SoundGlue, ThePsgIsCentredAndFmKeepsItsPan) {
    const double psgFrequency = test::psgToneFrequency(254);
    const double fmFrequency = test::fmToneFrequency(617, 5);
    test::setPsgTone(*machine, 0, 254, 0);
    test::loadSineVoice(*machine, 0, 617, 5);
    test::writeFmChannel(*machine, 0, 0xB4, 0x80);   // left only
    test::keyFm(*machine, 0, 0xF);

    FrameSound both;
    test::mixFrames(*machine, 10, both);
    const test::Signal left = both.leftFrames(1, 9);
    const test::Signal right = both.rightFrames(1, 9);
    // Neither side reaches the 16-bit limits, so left − right is FM alone.
    test::Signal difference(left.size());
    for (size_t i = 0; i < left.size(); ++i) difference[i] = left[i] - right[i];
    EXPECT_NEAR(test::toneAmplitude(right, psgFrequency, 44100), kPsgSquareFundamental, kPsgSquareFundamental * 0.02);
    EXPECT_LT(test::toneAmplitude(right, fmFrequency, 44100), kFullCarrier * 0.005);
    EXPECT_NEAR(test::toneAmplitude(difference, fmFrequency, 44100), kFullCarrier, kFullCarrier * 0.02);
    EXPECT_LT(test::toneAmplitude(difference, psgFrequency, 44100), kFullCarrier * 0.005);

    // Without the PSG nothing is copied: the right side stays silent.
    machine->psgEnabled = 0;
    FrameSound fmOnly;
    test::mixFrames(*machine, 3, fmOnly);
    EXPECT_EQ(test::peak(fmOnly.rightFrames(0, 3)), 0.0);
    EXPECT_GT(test::peak(fmOnly.leftFrames(0, 3)), 10000.0);

    // Without FM both sides are the PSG.
    machine->psgEnabled = 1;
    machine->fmEnabled = 0;
    FrameSound psgOnly;
    test::mixFrames(*machine, 3, psgOnly);
    EXPECT_EQ(psgOnly.left, psgOnly.right);
    EXPECT_GT(test::peak(psgOnly.leftFrames(0, 3)), 10000.0);
}

// PCM full scale by the chip's formula: sample 127 × (PAN 15 × ENV 255),
// shifted right by 5, is 15180 on each side.
TEST_F(SoundGlue, PcmIsMixedOnlyInMegaCdModeAndWhileEnabled) {
    ASSERT_TRUE(machine->pcm.waveRam);
    std::fill(machine->pcm.waveRam.get(), machine->pcm.waveRam.get() + kPcmWaveRamSize, uint8_t{0x7F});
    PcmChip& pcm = machine->pcm;
    pcm.writeRegister(7, 0xC0);   // sound on, channel 0
    pcm.writeRegister(0, 0xFF);   // ENV
    pcm.writeRegister(1, 0xFF);   // PAN: 15 left, 15 right
    pcm.writeRegister(3, 0x08);   // FD 0x0800
    pcm.writeRegister(8, 0xFE);   // channel 0 on
    const double fullScale = (127 * 15 * 255) >> 5;

    FrameSound cartridge;
    test::mixFrames(*machine, 2, cartridge);
    EXPECT_EQ(test::peak(cartridge.leftFrames(0, 2)), 0.0) << "never mixed in cartridge mode";

    machine->megaCdMode = 1;
    FrameSound megaCd;
    test::mixFrames(*machine, 2, megaCd);
    for (size_t i = 0; i < megaCd.left.size(); ++i) {
        ASSERT_EQ(megaCd.left[i], fullScale) << i;
        ASSERT_EQ(megaCd.right[i], fullScale) << i;
    }

    machine->pcmEnabled = 0;
    FrameSound disabled;
    test::mixFrames(*machine, 2, disabled);
    EXPECT_EQ(test::peak(disabled.leftFrames(0, 2)), 0.0);
    machine->megaCdMode = 0;
}

// Each chip's addition saturates at the 16-bit range on its own: the mix is
// clamp(clamp(PSG + FM) + PCM), sample by sample. Two PSG tones in phase
// (0 or 21844), two FM carriers in phase (±32766) and a PCM channel at
// sample −126 reach past both ends. Each part is rendered once alone on a
// fresh machine with the same writes, then all together.
TEST(SoundGlueMixing, EveryAdditionSaturatesOnItsOwn) {
    struct Parts {
        bool psg, fm, pcm;
    };
    auto render = [](Parts parts) {
        ReportRecorder recorder;
        auto machine = test::makeMachine();
        machine->psgEnabled = parts.psg;
        machine->fmEnabled = parts.fm;
        machine->pcmEnabled = parts.pcm;
        machine->megaCdMode = 1;
        test::setPsgTone(*machine, 0, 254, 0);
        test::setPsgTone(*machine, 1, 254, 0);
        for (int32_t channel : {0, 4}) {
            test::loadSineVoice(*machine, channel, 1083, 4);
            test::keyFm(*machine, channel, 0xF);
        }
        std::fill(machine->pcm.waveRam.get(), machine->pcm.waveRam.get() + kPcmWaveRamSize, uint8_t{0xFE});
        machine->pcm.writeRegister(7, 0xC0);
        machine->pcm.writeRegister(0, 0xFF);
        machine->pcm.writeRegister(1, 0xFF);
        machine->pcm.writeRegister(3, 0x08);
        machine->pcm.writeRegister(8, 0xFE);
        FrameSound sound;
        test::mixFrames(*machine, 3, sound);
        machine->megaCdMode = 0;
        return sound;
    };
    const FrameSound psg = render({true, false, false});
    const FrameSound fm = render({false, true, false});
    const FrameSound pcm = render({false, false, true});
    const FrameSound all = render({true, true, true});
    ASSERT_EQ(all.left.size(), psg.left.size());
    int highClamps = 0;
    int lowClamps = 0;
    for (size_t i = 0; i < all.left.size(); ++i) {
        const int32_t psgFm = psg.left[i] + fm.left[i];
        highClamps += psgFm > 32767 ? 1 : 0;
        const int32_t first = std::clamp(psgFm, -32768, 32767);
        lowClamps += first + pcm.left[i] < -32768 ? 1 : 0;
        const int32_t expected = std::clamp(first + pcm.left[i], -32768, 32767);
        ASSERT_EQ(all.left[i], expected) << "sample " << i;
    }
    EXPECT_GT(highClamps, 10);
    EXPECT_GT(lowClamps, 10);
}

// ---- At every rate -------------------------------------------------------------------------

class SoundGlueRates : public ::testing::TestWithParam<uint32_t> {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    uint32_t rate() const { return GetParam(); }
};

// Six channels at different blocks and F-number high bits (so that any
// channel given another channel's latch would change pitch) are played at
// 44100 Hz, the rate changes, and each channel is then keyed alone: every
// one plays at its own F-number and block by the chip's formula, measured by
// zero crossings over 18 frames with a tolerance of 0.3 %.
TEST_P(SoundGlueRates, EveryChannelKeepsItsPitchAcrossARateChange) {
    struct Pitch {
        uint32_t fnumber, block;
    };
    const Pitch pitches[6] = {{1083, 4}, {700, 5}, {1500, 3}, {617, 5}, {900, 4}, {1200, 3}};
    for (int32_t channel = 0; channel < 6; ++channel)
        test::loadSineVoice(*machine, channel, pitches[channel].fnumber, pitches[channel].block);
    for (int32_t channel = 0; channel < 6; ++channel) test::keyFm(*machine, channel, 0xF);
    FrameSound before;
    test::mixFrames(*machine, 1, before);

    ASSERT_EQ(test::changeSampleRate(*machine, rate()), 0);
    for (int32_t channel = 0; channel < 6; ++channel) {
        for (int32_t other = 0; other < 6; ++other) test::keyFm(*machine, other, 0);
        FrameSound release;
        test::mixFrames(*machine, 2, release);
        test::keyFm(*machine, channel, 0xF);
        FrameSound sound;
        test::mixFrames(*machine, 20, sound);
        const double expected = test::fmToneFrequency(pitches[channel].fnumber, pitches[channel].block);
        EXPECT_NEAR(test::zeroCrossingFrequency(sound.leftFrames(2, 18), rate()), expected, expected * 0.003)
            << "channel " << channel;
    }
}

// Every sample of a frame is mixed, each by exactly one line: with the DAC
// holding 0xC0, every sample of both buffers reads (0xC0 − 128) × 128.
TEST_P(SoundGlueRates, TheFrameMixesEverySampleOfItsBuffers) {
    test::ScratchFolder folder;
    ASSERT_EQ(test::loadImage(*machine, folder, programs::machine_boot()), 0);
    ASSERT_EQ(test::changeSampleRate(*machine, rate()), 0);
    test::writeFmRegister(*machine, 0, 0x2B, 0x80);
    test::writeFmRegister(*machine, 0, 0x2A, 0xC0);
    const uint32_t n = rate() / 60;
    std::vector<int16_t> left(n, 0x5555), right(n, 0x5555);
    SoundFrameDesc desc{left.data(), right.data(), n};
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(machine->runFrame(nullptr, &desc), 0);
        for (uint32_t i = 0; i < n; ++i) {
            ASSERT_EQ(left[i], 64 * 128) << "sample " << i;
            ASSERT_EQ(right[i], 64 * 128) << "sample " << i;
        }
        std::fill(left.begin(), left.end(), int16_t{0x5555});
        std::fill(right.begin(), right.end(), int16_t{0x5555});
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, SoundGlueRates, ::testing::ValuesIn(test::kOutputRates));

}  // namespace
}  // namespace vimo
