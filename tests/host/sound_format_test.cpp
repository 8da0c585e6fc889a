// The sound ring's arithmetic: format and sizes per setting, the sample
// conversions, silence and the segment under a play position.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "host/sound_format.h"

namespace vimo {
namespace {

TEST(SoundFormat, FormatAndSizesPerSetting) {
    const struct {
        uint32_t rate, bits, stereo, playRate, samplesPerFrame, blockAlign;
    } cases[] = {
        {44100, 16, 1, 44100, 735, 4}, {22050, 16, 1, 22050, 367, 4}, {11025, 16, 0, 11025, 183, 2},
        {8000, 8, 0, 8000, 133, 1},    {8000, 8, 1, 8000, 133, 2},    {44100, 7, 1, 44100, 735, 4},
        {32000, 16, 1, 44100, 533, 4}, {96000, 16, 1, 44100, 735, 4}, {0, 16, 1, 44100, 0, 4},
    };
    for (const auto& c : cases) {
        const SoundFormat f = soundFormatFor(c.rate, c.bits, c.stereo);
        EXPECT_EQ(f.playRate, c.playRate) << c.rate;
        EXPECT_EQ(f.samplesPerFrame, c.samplesPerFrame) << c.rate;
        EXPECT_EQ(f.blockAlign, c.blockAlign) << c.rate;
        EXPECT_EQ(f.bufferBytes, 8 * c.blockAlign * c.samplesPerFrame) << c.rate;
    }
    for (int64_t rate : {8000, 11025, 22050, 44100}) EXPECT_TRUE(isSupportedSoundRate(rate));
    for (int64_t rate : {0, -44100, 32000, 96000}) EXPECT_FALSE(isSupportedSoundRate(rate));
    EXPECT_EQ(normalisedSoundBits(8), 8u);
    EXPECT_EQ(normalisedSoundBits(12), 16u);
}

TEST(SoundFormat, ConversionsPerBitsAndChannels) {
    const struct {
        uint32_t bits, stereo;
        std::vector<int16_t> left, right;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {8, 0, {-32768, 32767, 0, -1}, {-32768, 32767, 0, -1}, {0, 254, 128, 126}},
        {8, 1, {-1, 32767}, {0, -32768}, {0x7F, 0x80, 0xFF, 0x00}},
        {16, 0, {32767, 3}, {32767, -3}, {0xFE, 0x7F, 0xFF, 0xFF}},   // 32766, -1
        {16, 1, {1, -2}, {300, -400}, {1, 0, 0x2C, 1, 0xFE, 0xFF, 0x70, 0xFE}},
    };
    for (const auto& c : cases) {
        const SoundFormat format = soundFormatFor(44100, c.bits, c.stereo);
        std::vector<uint8_t> out(c.bytes.size() + 1, 0xEE);
        convertSegment(c.left.data(), c.right.data(), static_cast<uint32_t>(c.left.size()), format, out.data());
        EXPECT_EQ(out.back(), 0xEE) << c.bits << "/" << c.stereo << ": wrote past the segment";
        out.pop_back();
        EXPECT_EQ(out, c.bytes) << c.bits << "/" << c.stereo;
    }
    EXPECT_EQ(silenceByte(soundFormatFor(44100, 8, 1)), 0x80);
    EXPECT_EQ(silenceByte(soundFormatFor(44100, 16, 1)), 0x00);
}

TEST(SoundFormat, SegmentOfAPlayPosition) {
    const SoundFormat f = soundFormatFor(44100, 16, 1);   // 2940 bytes a segment
    const uint32_t cases[][2] = {{0, 0}, {2939, 0}, {2940, 1}, {8 * 2940 - 1, 7}, {8 * 2940, 7}, {0xFFFFFFFF, 7}};
    for (const auto& c : cases) EXPECT_EQ(segmentOf(c[0], f), c[1]) << c[0];
    EXPECT_EQ(segmentOf(100, soundFormatFor(0, 16, 1)), 0u);   // no segment size: no division
}

}  // namespace
}  // namespace vimo
