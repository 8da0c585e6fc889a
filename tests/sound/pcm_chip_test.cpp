// The RF5C164 PCM chip at register level: sign-magnitude samples, the volume
// and pan products (sample × (PAN nibble × ENV) >> 5), the step
// (FD << 15) / rate with 11 fraction bits (FD = 0x0800 plays 16 × 0x0800 bytes
// per second), the loop marker 0xFF, the ON/OFF register, the channel and bank
// selection of CTRL, and the play-position bytes the sub 68000 reads.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "signal_analysis.h"
#include "sound/pcm_chip.h"

namespace vimo::test {
namespace {

constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100};

// A rate at which FD 0x0800 steps exactly one byte per output sample.
constexpr uint32_t kOneBytePerSampleRate = 32768;

struct StereoSamples {
    std::vector<int16_t> left;
    std::vector<int16_t> right;
};

class PcmChipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pcm.waveRam);
        pcm.setRates(kOneBytePerSampleRate, kPcmClock);
        pcm.reset();
    }

    void select(uint32_t channel) { pcm.writeRegister(7, static_cast<uint8_t>(0xC0 | channel)); }
    void selectBank(uint32_t bank) { pcm.writeRegister(7, static_cast<uint8_t>(0x80 | bank)); }
    // Writes bytes to wave RAM from an absolute address on.
    void load(uint32_t address, const std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint32_t a = address + static_cast<uint32_t>(i);
            selectBank(a >> 12);
            pcm.writeRam(a & 0xFFF, bytes[i]);
        }
    }
    void setChannel(uint32_t channel, uint8_t env, uint8_t pan, uint32_t fd, uint8_t start, uint32_t loop) {
        select(channel);
        pcm.writeRegister(0, env);
        pcm.writeRegister(1, pan);
        pcm.writeRegister(2, static_cast<uint8_t>(fd & 0xFF));
        pcm.writeRegister(3, static_cast<uint8_t>(fd >> 8));
        pcm.writeRegister(4, static_cast<uint8_t>(loop & 0xFF));
        pcm.writeRegister(5, static_cast<uint8_t>(loop >> 8));
        pcm.writeRegister(6, start);
    }
    // ON/OFF: a set bit stops the channel; `playing` lists the channels to run.
    void play(uint8_t playing) {
        pcm.writeRegister(8, 0xFF);   // every channel back to its start
        pcm.writeRegister(8, static_cast<uint8_t>(~playing));
    }
    StereoSamples mix(size_t n) {
        StereoSamples out{std::vector<int16_t>(n, 0), std::vector<int16_t>(n, 0)};
        pcm.mix({out.left.data(), out.right.data()}, static_cast<int32_t>(n));
        return out;
    }
    uint32_t position(uint32_t channel) const {
        return pcm.channelAddressByte(4 * channel + 1) | pcm.channelAddressByte(4 * channel + 3) << 8;
    }

    PcmChip pcm;
};

// Full scale: sample 127 at ENV 255 and PAN nibble 15 is 127 × 3825 = 485775,
// 15180 after the shift by 5.
TEST_F(PcmChipTest, OneChannelAtFullScaleAdds15180) {
    load(0, std::vector<uint8_t>(64, 0x7F));
    setChannel(0, 255, 0xFF, 0x0800, 0, 0);
    play(0x01);
    const StereoSamples out = mix(32);
    for (size_t i = 0; i < 32; ++i) {
        ASSERT_EQ(out.left[i], 15180);
        ASSERT_EQ(out.right[i], 15180);
    }
    // The most negative playable sample, 0xFE (−126): −481950 >> 5, rounding down.
    load(0, std::vector<uint8_t>(64, 0xFE));
    play(0x01);
    EXPECT_EQ(mix(8).left[3], -15061);
}

TEST_F(PcmChipTest, SamplesAreSignMagnitude) {
    const std::vector<uint8_t> bytes = {0x01, 0x81, 0x80, 0x00, 0x7F, 0xFE, 0x40, 0xC0};
    load(0, bytes);
    load(8, {0xFF});
    // ENV 32 and PAN nibble 1 make the output equal to the sample (× 32 >> 5).
    setChannel(0, 32, 0x11, 0x0800, 0, 0);
    play(0x01);
    const StereoSamples out = mix(8);
    const int16_t expected[] = {1, -1, 0, 0, 127, -126, 64, -64};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(out.left[i], expected[i]) << "byte " << int{bytes[i]};
}

TEST_F(PcmChipTest, PanNibblesScaleEachSide) {
    load(0, std::vector<uint8_t>(16, 100));
    setChannel(0, 200, 0x3C, 0x0800, 0, 0);   // left 12, right 3
    play(0x01);
    const StereoSamples out = mix(4);
    EXPECT_EQ(out.left[0], (100 * 12 * 200) >> 5);
    EXPECT_EQ(out.right[0], (100 * 3 * 200) >> 5);
    setChannel(0, 200, 0xF0, 0x0800, 0, 0);   // right only
    const StereoSamples right = mix(4);
    EXPECT_EQ(right.left[0], 0);
    EXPECT_EQ(right.right[0], (100 * 15 * 200) >> 5);
}

// 0xFF is the loop marker: the channel jumps to its loop address and plays the
// byte there. A loop address that holds 0xFF itself plays it as −127, once per
// pass.
TEST_F(PcmChipTest, LoopMarkerSendsTheChannelToItsLoopAddress) {
    load(0x100, {10, 20, 30, 0xFF});
    setChannel(0, 32, 0x11, 0x0800, 0x01, 0x101);
    play(0x01);
    const StereoSamples out = mix(9);
    const int16_t expected[] = {10, 20, 30, 20, 30, 20, 30, 20, 30};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(out.left[i], expected[i]) << i;

    load(0x200, {5, 0xFF, 7, 0xFF});
    setChannel(1, 32, 0x11, 0x0800, 0x02, 0x201);
    play(0x02);
    const StereoSamples marker = mix(7);
    const int16_t expectedMarker[] = {5, -127, 7, -127, 7, -127, 7};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(marker.left[i], expectedMarker[i]) << i;
}

TEST_F(PcmChipTest, FdZeroRepeatsOneByte) {
    load(0x300, {42, 43, 44});
    setChannel(2, 32, 0x11, 0, 0x03, 0);
    play(0x04);
    const StereoSamples out = mix(100);
    for (int16_t s : out.left) ASSERT_EQ(s, 42);
    EXPECT_EQ(position(2), 0x300u);
}

// ON/OFF: a set bit stops the channel and puts its position back to its start
// (ST × 256); clearing it starts it from there. ST alone does not move a
// playing channel.
TEST_F(PcmChipTest, OnOffStopsRewindsAndStarts) {
    load(0x400, std::vector<uint8_t>(0x100, 50));
    setChannel(3, 32, 0x11, 0x0800, 0x04, 0);
    play(0x08);
    mix(0x20);
    EXPECT_EQ(position(3), 0x420u);
    select(3);
    pcm.writeRegister(6, 0x07);   // a new start while playing
    mix(0x10);
    EXPECT_EQ(position(3), 0x430u);

    pcm.writeRegister(8, 0x08);   // stop: back to the new start
    EXPECT_EQ(position(3), 0x700u);
    EXPECT_EQ(mix(16).left, std::vector<int16_t>(16, 0));
    EXPECT_EQ(position(3), 0x700u);
    pcm.writeRegister(8, 0x00);
    mix(3);
    EXPECT_EQ(position(3), 0x703u);
}

// The sub 68000 reads channel c's position at 0xFF0021 + 4c (low byte) and
// 0xFF0023 + 4c (high byte): offsets 1 + 4c and 3 + 4c.
TEST_F(PcmChipTest, PlayPositionBytesReadBackPerChannel) {
    for (uint32_t c = 0; c < 8; ++c) setChannel(c, 0, 0, 0x0800, static_cast<uint8_t>(0x10 * c + 1), 0);
    load(0, std::vector<uint8_t>(0x1000, 1));
    play(0x00);
    for (uint32_t c = 0; c < 8; ++c) {
        EXPECT_EQ(pcm.channelAddressByte(4 * c + 1), 0x00u) << c;
        EXPECT_EQ(pcm.channelAddressByte(4 * c + 3), 0x10 * c + 1) << c;
        EXPECT_EQ(pcm.channelAddressByte(4 * c + 0), 0x00u) << c;
        EXPECT_EQ(pcm.channelAddressByte(4 * c + 2), 0x10 * c + 1) << c;
    }
    play(0x20);
    mix(0x35);
    EXPECT_EQ(pcm.channelAddressByte(4 * 5 + 1), 0x35u);
    EXPECT_EQ(pcm.channelAddressByte(4 * 5 + 3), 0x51u);
}

// CTRL: bit 7 is sound on; bit 6 set selects the channel (bits 0-2), clear
// selects the wave-RAM bank (bits 0-3), and leaves the other alone.
TEST_F(PcmChipTest, CtrlSelectsTheChannelOrTheBank) {
    pcm.writeRegister(7, 0x85);
    EXPECT_EQ(pcm.bank, 0x5000u);
    EXPECT_EQ(pcm.soundOn, 0x80u);
    pcm.writeRegister(7, 0x43);
    EXPECT_EQ(pcm.currentChannel, 3u);
    EXPECT_EQ(pcm.bank, 0x5000u);
    EXPECT_EQ(pcm.soundOn, 0u);
    pcm.writeRegister(7, 0x8F);
    EXPECT_EQ(pcm.bank, 0xF000u);
    EXPECT_EQ(pcm.currentChannel, 3u);
    pcm.writeRegister(0, 77);   // ENV of channel 3
    EXPECT_EQ(pcm.channels[3].env, 77);
    // Register numbers above 8 are not decoded.
    for (uint32_t reg = 9; reg < 16; ++reg) pcm.writeRegister(reg, 0xFF);
    EXPECT_EQ(pcm.bank, 0xF000u);
    EXPECT_EQ(pcm.currentChannel, 3u);
    EXPECT_EQ(pcm.channels[3].env, 77);
}

TEST_F(PcmChipTest, WaveRamWindowFollowsTheBank) {
    selectBank(0x5);
    pcm.writeRam(0x123, 0xAB);
    EXPECT_EQ(pcm.waveRam[0x5123], 0xAB);
    EXPECT_EQ(pcm.readRam(0x123), 0xAB);
    selectBank(0x6);
    EXPECT_EQ(pcm.readRam(0x123), 0x00);
    // The window is 4 KB: an offset beyond it stays inside the window.
    selectBank(0xF);
    pcm.writeRam(0x1FFF, 0xCD);
    EXPECT_EQ(pcm.waveRam[0xFFFF], 0xCD);
}

TEST_F(PcmChipTest, SoundOffMixesNothing) {
    load(0, std::vector<uint8_t>(64, 0x7F));
    setChannel(0, 255, 0xFF, 0x0800, 0, 0);
    play(0x01);
    pcm.writeRegister(7, 0x40);   // sound off
    const StereoSamples out = mix(16);
    EXPECT_EQ(out.left, std::vector<int16_t>(16, 0));
    EXPECT_EQ(position(0), 0u);
}

TEST_F(PcmChipTest, EightLoudChannelsSaturate) {
    load(0, std::vector<uint8_t>(16, 0x7F));
    load(0x100, std::vector<uint8_t>(16, 0xFE));
    for (uint32_t c = 0; c < 8; ++c) setChannel(c, 255, 0xFF, 0x0800, 0, 0);
    play(0xFF);
    EXPECT_EQ(mix(4).left[2], 32767);
    for (uint32_t c = 0; c < 8; ++c) setChannel(c, 255, 0xFF, 0x0800, 0x01, 0);
    play(0xFF);
    EXPECT_EQ(mix(4).right[2], -32768);
}

// The play position's integer part is 16 bits: past 0xFFFF it wraps to 0.
TEST_F(PcmChipTest, PlayPositionWrapsAt64Kilobytes) {
    load(0xFF00, std::vector<uint8_t>(0x100, 3));
    load(0x0000, std::vector<uint8_t>(0x10, 9));
    setChannel(0, 32, 0x11, 0x0800, 0xFF, 0);
    play(0x01);
    const StereoSamples out = mix(0x108);
    EXPECT_EQ(out.left[0xFF], 3);
    EXPECT_EQ(out.left[0x100], 9);
    EXPECT_EQ(position(0), 0x0008u);
}

// Hard reset: wave RAM and the channel registers cleared, sound off; the
// current channel, the bank and the off flags stay.
TEST_F(PcmChipTest, ResetClearsRamAndRegistersButKeepsSelections) {
    load(0x2345, {0x12});
    setChannel(6, 10, 0x22, 0x1234, 0x05, 0x4321);
    pcm.writeRegister(8, static_cast<uint8_t>(~0x40));
    selectBank(0x9);
    select(6);
    pcm.reset();
    EXPECT_EQ(pcm.waveRam[0x2345], 0);
    EXPECT_EQ(pcm.soundOn, 0u);
    EXPECT_EQ(pcm.currentChannel, 6u);
    EXPECT_EQ(pcm.bank, 0x9000u);
    EXPECT_EQ(pcm.channels[6].off, 0u);
    EXPECT_NE(pcm.channels[5].off, 0u);
    const PcmChannel& ch = pcm.channels[6];
    EXPECT_EQ(ch.env, 0);
    EXPECT_EQ(ch.pan, 0);
    EXPECT_EQ(ch.fd, 0u);
    EXPECT_EQ(ch.step, 0u);
    EXPECT_EQ(ch.loopStart, 0u);
    EXPECT_EQ(ch.start, 0u);
    EXPECT_EQ(ch.address, 0u);
}

// A missing wave RAM (its allocation failed) leaves a chip that takes every
// write and read and stays silent.
TEST_F(PcmChipTest, WithoutWaveRamEverythingIsHarmless) {
    setChannel(0, 255, 0xFF, 0x0800, 0, 0);
    play(0xFF);
    pcm.waveRam.reset();
    pcm.writeRam(0x10, 0x55);
    EXPECT_EQ(pcm.readRam(0x10), 0);
    pcm.reset();
    pcm.writeRegister(7, 0xC0);
    std::array<int16_t, 8> left;
    std::array<int16_t, 8> right;
    left.fill(5);
    right.fill(-5);
    pcm.mix({left.data(), right.data()}, 8);
    for (int16_t s : left) EXPECT_EQ(s, 5);
    for (int16_t s : right) EXPECT_EQ(s, -5);
}

// An output rate of 0 gives no steps (no division by zero): channels stand.
TEST_F(PcmChipTest, RateZeroLeavesChannelsStanding) {
    pcm.setRates(0, kPcmClock);
    load(0x500, {33, 34});
    setChannel(0, 32, 0x11, 0x0800, 0x05, 0);
    play(0x01);
    const StereoSamples out = mix(10);
    for (int16_t s : out.left) EXPECT_EQ(s, 33);
    EXPECT_EQ(pcm.channels[0].step, 0u);
}

TEST_F(PcmChipTest, NullBuffersAndEmptySpansAreIgnored) {
    load(0, std::vector<uint8_t>(16, 0x7F));
    setChannel(0, 255, 0xFF, 0x0800, 0, 0);
    play(0x01);
    std::array<int16_t, 4> left{};
    pcm.mix({left.data(), nullptr}, 4);
    pcm.mix({nullptr, left.data()}, 4);
    pcm.mix({left.data(), left.data()}, 0);
    EXPECT_EQ(left, (std::array<int16_t, 4>{}));
    EXPECT_EQ(position(0), 0u);
}

// Pitch at the system's rates: a 32-byte square wave played at FD plays
// 16 × FD bytes per second, so its frequency is FD / 2 Hz, also after a
// change of the output rate (the steps are recomputed for the new rate).
class PcmRateTest : public PcmChipTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    void loadSquareWave() {
        std::vector<uint8_t> wave;
        for (int32_t period = 0; period < 128; ++period) {
            for (int32_t i = 0; i < 16; ++i) wave.push_back(0x40);
            for (int32_t i = 0; i < 16; ++i) wave.push_back(0xC0);
        }
        wave.push_back(0xFF);   // loop back to 0
        load(0, wave);
    }
    Signal render(double seconds, uint32_t rate) {
        const size_t n = static_cast<size_t>(seconds * rate);
        std::vector<int16_t> left(n, 0);
        std::vector<int16_t> right(n, 0);
        const uint32_t perFrame = rate / 60;
        size_t done = 0;
        while (done < n) {
            uint32_t first = 0;
            for (uint32_t line = 0; line < 262 && done < n; ++line) {
                const uint32_t end = (line + 1) * perFrame / 262;
                const size_t count = std::min<size_t>(end - first, n - done);
                pcm.mix({left.data() + done, right.data() + done}, static_cast<int32_t>(count));
                done += count;
                first = end;
            }
        }
        return toSignal(left);
    }
};

TEST_P(PcmRateTest, SquareWavePlaysAtHalfItsFd) {
    const uint32_t rate = GetParam();
    pcm.setRates(rate, kPcmClock);
    loadSquareWave();
    for (uint32_t fd : {0x0100u, 0x0400u, 0x0800u, 0x0C00u}) {
        const double expected = fd / 2.0;
        if (expected > rate / 4.0) continue;
        setChannel(0, 255, 0xFF, fd, 0, 0);
        play(0x01);
        // The step is truncated to 11 fraction bits at the output rate.
        EXPECT_NEAR(zeroCrossingFrequency(render(1.0, rate), rate), expected, expected * 0.003) << "FD " << fd;
    }
}

TEST_P(PcmRateTest, RateChangeKeepsThePitch) {
    const uint32_t before = GetParam();
    const uint32_t after = before == 44100 ? 8000 : 44100;
    pcm.setRates(before, kPcmClock);
    loadSquareWave();
    setChannel(0, 255, 0xFF, 0x0400, 0, 0);
    play(0x01);
    render(0.1, before);
    pcm.setRates(after, kPcmClock);
    EXPECT_NEAR(zeroCrossingFrequency(render(1.0, after), after), 512.0, 512.0 * 0.003);
}

INSTANTIATE_TEST_SUITE_P(Rates, PcmRateTest, ::testing::ValuesIn(kRates));

}  // namespace
}  // namespace vimo::test
