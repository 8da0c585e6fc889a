// The FM chip's life cycle, its register decoding and the timers' register
// side: initialisation and shutdown, entry points without a chip, several
// chips, re-initialisation at another rate with a register replay, the shared
// frequency latch and the register numbers that do nothing.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <utility>

#include "fm_test_support.h"
#include "sound/fm_synth.h"

namespace vimo::test {
namespace {

// Renders n samples of one chip in a single call.
StereoSignal renderChip(int32_t chip, size_t n) {
    std::vector<int16_t> left(n, 0);
    std::vector<int16_t> right(n, 0);
    FmSynth::update(chip, {left.data(), right.data()}, static_cast<int32_t>(n));
    return {toSignal(left), toSignal(right)};
}

TEST(FmChipLifeTest, InitRefusesASecondArrayAndKeepsTheFirst) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    fmLoadVoice(0, sineVoice(800, 4));
    fmKey(0, 0xF);
    EXPECT_EQ(FmSynth::init(1, kFmClock, 22050, nullptr, nullptr), -1);
    // The first array still plays, at its own rate.
    const StereoSignal out = fmRender(44100, 44100 / 4);
    EXPECT_NEAR(zeroCrossingFrequency(out.left, 44100), fmFrequency(800, 4, 1), fmFrequency(800, 4, 1) * 0.002);
}

TEST(FmChipLifeTest, InitRefusesChipCountsOutOfRangeAndLeavesNoChip) {
    for (int32_t count : {0, -1, kFmMaxChips + 1}) {
        EXPECT_EQ(FmSynth::init(count, kFmClock, 44100, nullptr, nullptr), -1) << count;
        EXPECT_EQ(FmSynth::chipState(0), nullptr);
    }
    ASSERT_EQ(FmSynth::init(kFmMaxChips, kFmClock, 44100, nullptr, nullptr), 0);
    EXPECT_NE(FmSynth::chipState(kFmMaxChips - 1), nullptr);
    EXPECT_EQ(FmSynth::chipState(kFmMaxChips), nullptr);
    FmSynth::shutdown();
}

// After a failed or missing initialisation, the machine still writes, reads
// and renders: nothing may happen, and nothing may crash.
TEST(FmChipLifeTest, WithoutAChipEveryEntryPointDoesNothing) {
    FmSynth::shutdown();
    FmSynth::shutdown();
    EXPECT_EQ(FmSynth::write(0, 0, 0x28), 0);
    EXPECT_EQ(FmSynth::write(0, 1, 0xF0), 0);
    EXPECT_EQ(FmSynth::read(0, 0), 0);
    EXPECT_EQ(FmSynth::reset(0), -1);
    EXPECT_EQ(FmSynth::chipState(0), nullptr);
    std::array<int16_t, 8> left;
    std::array<int16_t, 8> right;
    left.fill(1234);
    right.fill(-1234);
    FmSynth::update(0, {left.data(), right.data()}, 8);
    for (int16_t s : left) EXPECT_EQ(s, 1234);
    for (int16_t s : right) EXPECT_EQ(s, -1234);
}

TEST(FmChipLifeTest, ChipIndexesOutsideTheArrayAreIgnored) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    for (int32_t chip : {-1, 1, 1000}) {
        EXPECT_EQ(FmSynth::write(chip, 1, 0x12), 0);
        EXPECT_EQ(FmSynth::read(chip, 0), 0);
        EXPECT_EQ(FmSynth::reset(chip), -1);
        std::array<int16_t, 4> left{1, 2, 3, 4};
        std::array<int16_t, 4> right{5, 6, 7, 8};
        FmSynth::update(chip, {left.data(), right.data()}, 4);
        EXPECT_EQ(left, (std::array<int16_t, 4>{1, 2, 3, 4}));
        EXPECT_EQ(right, (std::array<int16_t, 4>{5, 6, 7, 8}));
    }
}

TEST(FmChipLifeTest, UpdateWithoutSamplesOrBuffersLeavesEverythingAlone) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    fmWrite(0, 0x2B, 0x80);
    fmWrite(0, 0x2A, 0xFF);
    std::array<int16_t, 4> left{};
    std::array<int16_t, 4> right{};
    FmSynth::update(0, {left.data(), right.data()}, 0);
    FmSynth::update(0, {left.data(), right.data()}, -5);
    FmSynth::update(0, {nullptr, right.data()}, 4);
    FmSynth::update(0, {left.data(), nullptr}, 4);
    EXPECT_EQ(left, (std::array<int16_t, 4>{}));
    EXPECT_EQ(right, (std::array<int16_t, 4>{}));
    // The samples are added to what the buffers hold.
    left.fill(100);
    FmSynth::update(0, {left.data(), right.data()}, 4);
    EXPECT_EQ(left[3], 100 + 127 * 128);
    EXPECT_EQ(right[3], 127 * 128);
}

// Tests build and tear down the chip many times in one process; each new
// chip starts from the same state, whatever the previous one did.
TEST(FmChipLifeTest, ReinitialisesCleanlyManyTimes) {
    std::map<uint32_t, Signal> first;
    for (int32_t round = 0; round < 40; ++round) {
        const uint32_t rate = kSampleRates[round % 4];
        ASSERT_EQ(FmSynth::init(1, kFmClock, rate, nullptr, nullptr), 0) << round;
        FmVoice voice = sineVoice(900, 4);
        voice.op[0].tl = 20;
        voice.feedback = 5;
        voice.ams = 2;
        voice.op[3].am = 1;
        fmLoadVoice(0, voice);
        fmWrite(0, 0x22, 0x0D);
        fmKey(0, 0xF);
        const Signal out = renderChip(0, 512).left;
        if (round < 4)
            first[rate] = out;
        else
            EXPECT_EQ(out, first[rate]) << "round " << round;
        // Leave something behind for the next round to ignore.
        fmWrite(0, 0x2B, 0x80);
        FmSynth::shutdown();
    }
}

TEST(FmChipLifeTest, ChipsOfOneArrayAreIndependent) {
    ASSERT_EQ(FmSynth::init(2, kFmClock, 44100, nullptr, nullptr), 0);
    // Chip 1 plays a DAC level; chip 0 stays silent.
    FmSynth::write(1, 0, 0x2B);
    FmSynth::write(1, 1, 0x80);
    FmSynth::write(1, 0, 0x2A);
    FmSynth::write(1, 1, 0x00);
    EXPECT_EQ(peak(renderChip(0, 64).left), 0.0);
    EXPECT_EQ(renderChip(1, 64).left[10], -128.0 * 128.0);
    EXPECT_EQ(peak(renderChip(0, 64).left), 0.0);
    FmSynth::shutdown();
}

// A rate of 0 has no frequency base: every table is 0 and the chip is silent.
// A very low rate makes products beyond 32 bits; they must wrap as phases do.
TEST(FmChipLifeTest, ExtremeRatesStayDefined) {
    ASSERT_EQ(FmSynth::init(1, kFmClock, 0, nullptr, nullptr), 0);
    fmLoadVoice(0, sineVoice(800, 4));
    fmKey(0, 0xF);
    EXPECT_EQ(peak(renderChip(0, 256).left), 0.0);
    FmSynth::shutdown();

    for (uint32_t rate : {1000u, 200u, 50u}) {
        ASSERT_EQ(FmSynth::init(1, kFmClock, rate, nullptr, nullptr), 0);
        for (int32_t channel = 0; channel < 6; ++channel) {
            FmVoice voice = sineVoice(0x7FF, 7, 15);
            for (FmOperatorSetting& op : voice.op) {
                op.tl = 0;
                op.dt = 3;
                op.am = 1;
                op.d1r = 31;
                op.d2r = 31;
                op.sl = 8;
                op.ssg = 0xA;
            }
            voice.pms = 7;
            voice.ams = 3;
            voice.feedback = 7;
            voice.algorithm = static_cast<uint8_t>(channel);
            fmLoadVoice(channel, voice);
            fmKey(channel, 0xF);
        }
        fmWrite(0, 0x22, 0x0F);
        const Signal out = renderChip(0, 2000).left;
        EXPECT_GT(peak(out), 0.0) << rate;
        FmSynth::shutdown();
    }

    // At 1000 Hz a low note still has its pitch.
    ASSERT_EQ(FmSynth::init(1, kFmClock, 1000, nullptr, nullptr), 0);
    fmLoadVoice(0, sineVoice(1000, 3));
    fmKey(0, 0xF);
    EXPECT_NEAR(zeroCrossingFrequency(renderChip(0, 4000).left, 1000), fmFrequency(1000, 3, 1),
                fmFrequency(1000, 3, 1) * 0.005);
    FmSynth::shutdown();
}

// The chip's timers are kept by the machine: the chip stores the values of
// 0x24-0x26 (timer A is 10 bits, 0x24 the high eight, 0x25 the low two), counts
// no time, never raises a status bit or its IRQ line.
TEST(FmChipRegisterTest, TimerRegistersAreStoredButNeverRun) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    fmWrite(0, 0x24, 0xAB);
    fmWrite(0, 0x25, 0xFE);
    fmWrite(0, 0x26, 0x5C);
    EXPECT_EQ(FmSynth::write(0, 0, 0x27), 0);
    EXPECT_EQ(FmSynth::write(0, 1, 0x0F), 0);   // load and enable both, IRQs on
    const FmChip* chip = FmSynth::chipState(0);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->timerAValue, (0xABu << 2) | 2u);
    EXPECT_EQ(chip->timerBValue, 0x5C);
    fmWrite(0, 0x24, 0x01);
    EXPECT_EQ(chip->timerAValue, (0x01u << 2) | 2u);
    fmWrite(0, 0x25, 0x01);
    EXPECT_EQ(chip->timerAValue, (0x01u << 2) | 1u);

    fmRender(44100, 44100);
    for (uint32_t port = 0; port < 4; ++port) EXPECT_EQ(FmSynth::read(0, port), 0) << port;
    EXPECT_EQ(chip->irqLine, 0);
    EXPECT_EQ(chip->timerACount, 0);
    EXPECT_EQ(chip->timerBCount, 0);
}

// One latch (0xA4-0xA6 of either part) holds the block and F-number high bits
// for the next F-number low write of any channel.
TEST(FmChipRegisterTest, FrequencyLatchIsSharedByEveryChannelAndBothParts) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    FmVoice voice = sineVoice(0, 0);
    fmLoadVoice(1, voice);
    fmWrite(0, 0xA4, (4u << 3) | 3u);     // channel 1's latch register
    fmWrite(0, 0xA1, 0x20);               // channel 2's F-number
    fmKey(1, 0xF);
    double expected = fmFrequency(0x320, 4, 1);
    EXPECT_NEAR(zeroCrossingFrequency(fmRender(44100, 22050).left, 44100), expected, expected * 0.002);

    ASSERT_EQ(FmSynth::reset(0), 0);
    fmLoadVoice(1, voice);
    fmWrite(1, 0xA6, (3u << 3) | 2u);     // part 1, channel 6's latch register
    fmWrite(0, 0xA1, 0x80);               // part 0, channel 2's F-number
    fmKey(1, 0xF);
    expected = fmFrequency(0x280, 3, 1);
    EXPECT_NEAR(zeroCrossingFrequency(fmRender(44100, 22050).left, 44100), expected, expected * 0.002);
}

// Register numbers whose low two bits are 3, 0x28 writes naming channel 3 or
// 7, 0xB8-0xBF, and part 1's 0x20-0x2F and 0xA8-0xAE change nothing.
TEST(FmChipRegisterTest, UnassignedRegistersChangeNothing) {
    auto play = [](bool withNoise) {
        FmSession session(44100);   // each from a new chip
        EXPECT_TRUE(session.ok());
        FmVoice voice = sineVoice(700, 4);
        voice.op[0].tl = 30;
        voice.feedback = 3;
        voice.algorithm = 4;
        voice.op[1].tl = 10;
        fmLoadVoice(2, voice);
        fmWrite(0, 0x27, 0x40);   // channel 3 special mode, so 0xA8-0xAE matter
        fmWrite(0, 0xAD, 0x22);
        fmWrite(0, 0xA9, 0x50);   // op1's own pitch
        fmKey(2, 0xF);
        if (withNoise) {
            for (uint32_t part = 0; part < 2; ++part)
                for (uint32_t group = 0x30; group <= 0xB0; group += 0x10)
                    for (uint32_t reg : {group + 3, group + 7, group + 0xB, group + 0xF}) fmWrite(part, reg, 0xFF);
            for (uint32_t reg = 0xB8; reg <= 0xBF; ++reg) fmWrite(0, reg, 0xFF);
            fmWrite(0, 0x28, 0x03);
            fmWrite(0, 0x28, 0x07);
            for (uint32_t reg = 0x20; reg <= 0x2F; ++reg) fmWrite(1, reg, 0xFF);
            for (uint32_t reg = 0xA8; reg <= 0xAE; ++reg) fmWrite(1, reg, 0x3F);
        }
        return fmRender(44100, 4096);
    };
    const StereoSignal clean = play(false);
    const StereoSignal noisy = play(true);
    EXPECT_GT(peak(clean.left), 1000.0);
    EXPECT_EQ(noisy.left, clean.left);
    EXPECT_EQ(noisy.right, clean.right);
}

// The chip's data bus is 8 bits wide: whatever a caller passes above those
// bits is not seen, on the address port or the data port.
TEST(FmChipRegisterTest, OnlyTheLowEightBitsOfAWriteReachTheChip) {
    // Channel 1, algorithm 2 with feedback 6: op1 (TL 12) modulates op4 (MUL 2,
    // KS 3, D1R 9, SL 4); op2 and op3 silent.
    const std::pair<uint32_t, uint32_t> voice[] = {
        {0x30, 0x01}, {0x3C, 0x02}, {0x40, 0x0C}, {0x44, 0x7F}, {0x48, 0x7F}, {0x4C, 0x00},
        {0x50, 0x1F}, {0x5C, 0xDF}, {0x6C, 0x09}, {0x8C, 0x4F}, {0xB0, 0x32}, {0xB4, 0xC0},
        {0xA4, 0x22}, {0xA0, 0x84}, {0x28, 0xF0},
    };
    auto play = [&voice](uint32_t high) {
        FmSession session(44100);   // each from a new chip
        EXPECT_TRUE(session.ok());
        for (const auto& [reg, value] : voice) {
            FmSynth::write(0, 0, high | reg);
            FmSynth::write(0, 1, high | value);
        }
        return fmRender(44100, 4096).left;
    };
    const Signal plain = play(0);
    EXPECT_GT(peak(plain), 1000.0);
    EXPECT_EQ(play(0xFFFFFF00), plain);

    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    FmSynth::write(0, 0, 0x12B);
    FmSynth::write(0, 1, 0x180);   // DAC on
    FmSynth::write(0, 0, 0x22A);
    FmSynth::write(0, 1, 0x3FF);   // sample 0xFF
    EXPECT_EQ(fmRender(44100, 4).left[2], 127.0 * 128.0);
}

TEST(FmChipRegisterTest, ResetSilencesEveryChannelAndCentresThePan) {
    FmSession session(44100);
    ASSERT_TRUE(session.ok());
    FmVoice voice = sineVoice(800, 4);
    voice.right = false;
    for (int32_t channel = 0; channel < 6; ++channel) {
        fmLoadVoice(channel, voice);
        fmKey(channel, 0xF);
    }
    fmWrite(0, 0x2B, 0x80);
    fmWrite(0, 0x2A, 0x10);
    ASSERT_GT(peak(fmRender(44100, 1024).left), 0.0);

    ASSERT_EQ(FmSynth::reset(0), 0);
    EXPECT_EQ(peak(fmRender(44100, 1024).left), 0.0);
    // A note keyed after the reset without a pan write sounds on both sides.
    FmVoice plain = sineVoice(800, 4);
    for (int32_t op = 1; op <= 4; ++op) {
        fmWriteOperator(0, op, 0x30, 0x01);
        fmWriteOperator(0, op, 0x50, 0x1F);
    }
    for (int32_t op = 1; op <= 3; ++op) fmWriteOperator(0, op, 0x40, 0x7F);
    fmWrite(0, 0xB0, 0x07);
    fmSetFrequency(0, plain.fnumber, plain.block);
    fmKey(0, 0xF);
    const StereoSignal out = fmRender(44100, 4096);
    EXPECT_NEAR(toneAmplitude(out.left, fmFrequency(800, 4, 1), 44100), 16383.0, 16383.0 * 0.01);
    EXPECT_EQ(out.left, out.right);
}

// Re-initialisation at another rate rebuilds the chip; the machine then
// replays the registers it shadowed. Replaying each channel's latch
// (0xA4-0xA6, 0xAC-0xAE) before its F-number (0xA0-0xA2, 0xA8-0xAA) brings
// every channel back at its own pitch, measured at the new rate.
TEST(FmChipRegisterTest, RegisterReplayAfterARateChangeKeepsEveryPitch) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> shadow;   // (part, register) -> value
    auto write = [&shadow](uint32_t part, uint32_t reg, uint32_t value) {
        shadow[{part, reg}] = value;
        fmWrite(part, reg, value);
    };
    const uint32_t fnumbers[6] = {500, 620, 740, 860, 980, 1100};

    ASSERT_EQ(FmSynth::init(1, kFmClock, 44100, nullptr, nullptr), 0);
    for (int32_t channel = 0; channel < 6; ++channel) {
        const uint32_t part = channel < 3 ? 0 : 1;
        const uint32_t c = static_cast<uint32_t>(channel % 3);
        write(part, 0x3C + c, 0x01);   // op4 MUL 1
        write(part, 0x4C + c, 0x00);   // op4 TL 0
        write(part, 0x5C + c, 0x1F);   // op4 AR 31
        write(part, 0x8C + c, 0x0F);   // op4 RR 15
        for (uint32_t op : {0x40u, 0x44u, 0x48u}) write(part, op + c, 0x7F);
        write(part, 0xB0 + c, 0x07);
        write(part, 0xB4 + c, 0xC0);
        write(part, 0xA4 + c, (3u << 3) | (fnumbers[channel] >> 8));
        write(part, 0xA0 + c, fnumbers[channel] & 0xFF);
    }
    FmSynth::shutdown();

    const uint32_t newRate = 22050;
    ASSERT_EQ(FmSynth::init(1, kFmClock, newRate, nullptr, nullptr), 0);
    for (uint32_t part = 0; part < 2; ++part) {
        for (uint32_t reg = 0; reg < 256; ++reg) {
            if ((reg & 0xF8) == 0xA0) continue;   // frequencies below, latch first
            const auto found = shadow.find({part, reg});
            if (found != shadow.end()) fmWrite(part, reg, found->second);
        }
        for (uint32_t c = 0; c < 3; ++c) {
            for (uint32_t reg : {0xA4 + c, 0xA0 + c, 0xAC + c, 0xA8 + c}) {
                const auto found = shadow.find({part, reg});
                if (found != shadow.end()) fmWrite(part, reg, found->second);
            }
        }
    }
    for (int32_t channel = 0; channel < 6; ++channel) {
        for (int32_t other = 0; other < 6; ++other) fmKey(other, 0);
        fmRender(newRate, 2048);
        fmKey(channel, 0xF);
        const double expected = fmFrequency(fnumbers[channel], 3, 1);
        EXPECT_NEAR(zeroCrossingFrequency(fmRender(newRate, newRate / 2).left, newRate), expected,
                    expected * 0.002)
            << "channel " << channel;
    }
    FmSynth::shutdown();
}

}  // namespace
}  // namespace vimo::test
