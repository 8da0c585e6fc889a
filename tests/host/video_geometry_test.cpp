// The video output's decisions: the 16-bit layout rule, the windowed
// destination and the RGB565 conversion for displays of other depths.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "host/video_geometry.h"

namespace vimo {
namespace {

struct FormatCase {
    uint32_t bitCount;
    uint32_t greenMask;
    PixelFormatRule expected;
};

TEST(VideoGeometry, PixelFormatRuleByDepthAndGreenMask) {
    const FormatCase cases[] = {
        {16, 0x3E0, {15, 15, true}},     // RGB555
        {16, 0x7E0, {16, 16, true}},     // RGB565
        {16, 0x0F0, {16, 16, true}},     // any other 16-bit layout counts as 565
        {32, 0xFF00, {16, 16, false}},   // drawn through the RGB565 buffer
        {24, 0xFF00, {16, 16, false}},
        {8, 0, {16, 16, false}},
    };
    for (const FormatCase& c : cases) {
        const PixelFormatRule rule = classifyPixelFormat(c.bitCount, c.greenMask);
        EXPECT_EQ(rule.bitsPerPixel, c.expected.bitsPerPixel) << c.bitCount << "/" << c.greenMask;
        EXPECT_EQ(rule.vdpFormat, c.expected.vdpFormat) << c.bitCount << "/" << c.greenMask;
        EXPECT_EQ(rule.direct, c.expected.direct) << c.bitCount << "/" << c.greenMask;
    }
}

TEST(VideoGeometry, WindowedDestinationIsTheClientAreaAboveTheStatusBar) {
    // Wine's default metrics: client (80,95) 640 x 448, status bar 20 high.
    EXPECT_EQ(windowedDestRect({80, 95, 720, 543}, 20), (ScreenRect{80, 95, 720, 523}));
    EXPECT_EQ(windowedDestRect({80, 95, 720, 543}, 0), (ScreenRect{80, 95, 720, 543}));
    EXPECT_EQ(windowedDestRect({80, 95, 720, 543}, -5), (ScreenRect{80, 95, 720, 543}));
    // A window smaller than its status bar never gets an upside-down rectangle.
    EXPECT_EQ(windowedDestRect({10, 10, 50, 20}, 30), (ScreenRect{10, 10, 50, 10}));
}

TEST(VideoGeometry, FullscreenShowsThePicturesColumnsAndAllRows) {
    EXPECT_EQ(kFullscreenSourceRect, (ScreenRect{8, 0, 328, 240}));
    EXPECT_EQ(kPictureRect, (ScreenRect{8, 8, 328, 232}));
}

std::vector<uint8_t> pixelsOf(std::initializer_list<uint16_t> values) {
    std::vector<uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

uint32_t read32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

TEST(VideoGeometry, Rgb565BecomesXrgb8888WithFullIntensityKept) {
    const auto source = pixelsOf({0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410});
    std::vector<uint8_t> target(6 * 4, 0xEE);
    const SurfaceLayout layout{32, 0xFF0000, 0xFF00, 0xFF};
    ASSERT_TRUE(convertRgb565(source.data(), 12, target.data(), 24, 6, 1, layout));
    EXPECT_EQ(read32(&target[0]), 0xFF0000u);
    EXPECT_EQ(read32(&target[4]), 0x00FF00u);
    EXPECT_EQ(read32(&target[8]), 0x0000FFu);
    EXPECT_EQ(read32(&target[12]), 0xFFFFFFu);
    EXPECT_EQ(read32(&target[16]), 0x000000u);
    EXPECT_EQ(read32(&target[20]), 0x848284u);   // 0x10, 0x20, 0x10 widened
}

TEST(VideoGeometry, ConversionFollowsTheMasksRowsAndPitches) {
    // Two rows of one pixel each, a 24-bit target with blue in the top byte.
    const auto source = pixelsOf({0xF800, 0xAAAA, 0x001F});   // row pitch 4: second word is padding
    std::vector<uint8_t> target(2 * 5, 0xEE);
    const SurfaceLayout layout{24, 0xFF, 0xFF00, 0xFF0000};
    ASSERT_TRUE(convertRgb565(source.data(), 4, target.data(), 5, 1, 2, layout));
    EXPECT_EQ(target[0], 0xFF);   // red in the low byte
    EXPECT_EQ(target[1], 0x00);
    EXPECT_EQ(target[2], 0x00);
    EXPECT_EQ(target[3], 0xEE);   // past the row's pixels: untouched
    EXPECT_EQ(target[5], 0x00);
    EXPECT_EQ(target[7], 0xFF);   // blue in the top byte
}

TEST(VideoGeometry, ConversionRefusesDepthsItCannotWrite) {
    const auto source = pixelsOf({0xFFFF});
    std::vector<uint8_t> target(4, 0xEE);
    for (uint32_t bits : {8u, 15u, 16u}) {
        EXPECT_FALSE(convertRgb565(source.data(), 2, target.data(), 4, 1, 1, {bits, 0x7C00, 0x3E0, 0x1F}));
    }
    EXPECT_EQ(read32(target.data()), 0xEEEEEEEEu);
}

}  // namespace
}  // namespace vimo
