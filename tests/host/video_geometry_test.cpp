// The video output's decisions: the 16-bit layout rule, the windowed
// destination and the RGB565 conversion for displays of other depths.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "host/video_geometry.h"

namespace vimo {
namespace {

TEST(VideoGeometry, PixelFormatRuleByDepthAndGreenMask) {
    const struct {
        uint32_t bitCount, greenMask, bitsPerPixel, vdpFormat;
        bool direct;
    } cases[] = {
        {16, 0x3E0, 15, 15, true}, {16, 0x7E0, 16, 16, true}, {16, 0x0F0, 16, 16, true},
        {32, 0xFF00, 16, 16, false}, {24, 0xFF00, 16, 16, false}, {8, 0, 16, 16, false},
    };
    for (const auto& c : cases) {
        const PixelFormatRule rule = classifyPixelFormat(c.bitCount, c.greenMask);
        EXPECT_EQ(rule.bitsPerPixel, c.bitsPerPixel) << c.bitCount << "/" << c.greenMask;
        EXPECT_EQ(rule.vdpFormat, c.vdpFormat) << c.bitCount << "/" << c.greenMask;
        EXPECT_EQ(rule.direct, c.direct) << c.bitCount << "/" << c.greenMask;
    }
}

TEST(VideoGeometry, WindowedDestinationIsTheClientAreaAboveTheStatusBar) {
    EXPECT_EQ(windowedDestRect({80, 95, 720, 543}, 20), (ScreenRect{80, 95, 720, 523}));
    EXPECT_EQ(windowedDestRect({80, 95, 720, 543}, -5), (ScreenRect{80, 95, 720, 543}));
    EXPECT_EQ(windowedDestRect({10, 10, 50, 20}, 30), (ScreenRect{10, 10, 50, 10}));   // never upside down
    EXPECT_EQ(kFullscreenSourceRect, (ScreenRect{8, 0, 328, 240}));
}

TEST(VideoGeometry, Rgb565IsWidenedIntoTheTargetsMasks) {
    const uint16_t source[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x8410, 0xAAAA};
    const struct {
        SurfaceLayout layout;
        uint32_t pitch, width, height;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {{32, 0xFF0000, 0xFF00, 0xFF}, 20, 5, 1,
         {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0x84, 0x82, 0x84, 0}},
        // Two rows of one pixel (source pitch 4), blue in the top byte, target pitch 4.
        {{24, 0xFF, 0xFF00, 0xFF0000}, 4, 1, 2, {0xFF, 0, 0, 0xEE, 0, 0, 0xFF, 0xEE}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> target(c.bytes.size(), 0xEE);
        const uint32_t sourcePitch = c.height > 1 ? 4 : 12;
        ASSERT_TRUE(convertRgb565(reinterpret_cast<const uint8_t*>(source), sourcePitch, target.data(), c.pitch,
                                  c.width, c.height, c.layout));
        EXPECT_EQ(target, c.bytes) << c.layout.bitCount;
    }
    std::vector<uint8_t> target(4, 0xEE);
    for (uint32_t bits : {8u, 16u}) {
        EXPECT_FALSE(convertRgb565(reinterpret_cast<const uint8_t*>(source), 2, target.data(), 4, 1, 1,
                                   {bits, 0x7C00, 0x3E0, 0x1F}));
    }
    EXPECT_EQ(target, std::vector<uint8_t>(4, 0xEE));
}

}  // namespace
}  // namespace vimo
