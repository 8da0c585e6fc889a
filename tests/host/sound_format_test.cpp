// The sound ring's arithmetic: format and sizes per setting, the sample
// conversions, silence and the segment under a play position.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "host/sound_format.h"

namespace vimo {
namespace {

struct FormatCase {
    uint32_t rate, bits, stereo;
    uint32_t playRate, samplesPerFrame, blockAlign, segmentBytes;
};

TEST(SoundFormat, FormatAndSizesPerSetting) {
    const FormatCase cases[] = {
        {44100, 16, 1, 44100, 735, 4, 2940},
        {22050, 16, 1, 22050, 367, 4, 1468},
        {11025, 16, 0, 11025, 183, 2, 366},
        {8000, 8, 0, 8000, 133, 1, 133},
        {8000, 8, 1, 8000, 133, 2, 266},
        {44100, 7, 1, 44100, 735, 4, 2940},     // odd bits are 16, sizes and format alike
        {32000, 16, 1, 44100, 533, 4, 2132},    // plays at 44100, as before
        {96000, 16, 1, 44100, 735, 4, 2940},    // never more than the sample buffers hold
        {0, 16, 1, 44100, 0, 4, 0},
    };
    for (const FormatCase& c : cases) {
        const SoundFormat f = soundFormatFor(c.rate, c.bits, c.stereo);
        EXPECT_EQ(f.playRate, c.playRate) << c.rate;
        EXPECT_EQ(f.samplesPerFrame, c.samplesPerFrame) << c.rate;
        EXPECT_EQ(f.blockAlign, c.blockAlign) << c.rate;
        EXPECT_EQ(f.segmentBytes, c.segmentBytes) << c.rate;
        EXPECT_EQ(f.bufferBytes, 8 * c.segmentBytes) << c.rate;
        EXPECT_EQ(f.bytesPerSecond, c.blockAlign * c.playRate) << c.rate;
        EXPECT_LE(f.samplesPerFrame, kMaxSamplesPerFrame);
    }
}

TEST(SoundFormat, OnlyTheFourRatesAreSupportedAndBitsAreEightOrSixteen) {
    for (int64_t rate : {8000, 11025, 22050, 44100}) EXPECT_TRUE(isSupportedSoundRate(rate)) << rate;
    for (int64_t rate : {0, -44100, 32000, 44101, 96000}) EXPECT_FALSE(isSupportedSoundRate(rate)) << rate;
    EXPECT_EQ(normalisedSoundBits(8), 8u);
    for (int64_t bits : {16, 0, 7, 24, -8}) EXPECT_EQ(normalisedSoundBits(bits), 16u) << bits;
}

std::vector<uint8_t> convert(std::vector<int16_t> left, std::vector<int16_t> right, uint32_t bits,
                             uint32_t stereo) {
    const SoundFormat format = soundFormatFor(44100, bits, stereo);
    std::vector<uint8_t> out(left.size() * format.blockAlign + 1, 0xEE);
    convertSegment(left.data(), right.data(), static_cast<uint32_t>(left.size()), format, out.data());
    EXPECT_EQ(out.back(), 0xEE) << "wrote past the segment";
    out.pop_back();
    return out;
}

std::vector<int16_t> words(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}

TEST(SoundFormat, EightBitMonoAddsTheQuarters) {
    EXPECT_EQ(convert({-32768, 32767, 0, -1}, {-32768, 32767, 0, -1}, 8, 0),
              (std::vector<uint8_t>{0, 254, 128, 126}));
}

TEST(SoundFormat, EightBitStereoKeepsTheHighBytesWithTheTopBitInverted) {
    EXPECT_EQ(convert({-1, 32767}, {0, -32768}, 8, 1), (std::vector<uint8_t>{0x7F, 0x80, 0xFF, 0x00}));
}

TEST(SoundFormat, SixteenBitMonoAddsTheHalves) {
    EXPECT_EQ(words(convert({32767, -32768, 3}, {32767, -32768, -3}, 16, 0)),
              (std::vector<int16_t>{32766, -32768, -1}));
}

TEST(SoundFormat, SixteenBitStereoInterleavesLeftThenRight) {
    EXPECT_EQ(words(convert({1, -2}, {300, -400}, 16, 1)), (std::vector<int16_t>{1, 300, -2, -400}));
}

TEST(SoundFormat, SilenceIsTheMidpointOfTheSampleFormat) {
    EXPECT_EQ(silenceByte(soundFormatFor(44100, 8, 1)), 0x80);
    EXPECT_EQ(silenceByte(soundFormatFor(44100, 16, 1)), 0x00);
    EXPECT_EQ(silenceByte(soundFormatFor(44100, 12, 1)), 0x00);
}

TEST(SoundFormat, SegmentOfAPlayPosition) {
    const SoundFormat f = soundFormatFor(44100, 16, 1);   // 2940 bytes a segment
    const struct {
        uint32_t position, segment;
    } cases[] = {
        {0, 0}, {2939, 0}, {2940, 1}, {8 * 2940 - 1, 7}, {8 * 2940, 7}, {0xFFFFFFFF, 7},
    };
    for (const auto& c : cases) EXPECT_EQ(segmentOf(c.position, f), c.segment) << c.position;
    EXPECT_EQ(segmentOf(100, soundFormatFor(0, 16, 1)), 0u);   // no segment size: no division
}

}  // namespace
}  // namespace vimo
