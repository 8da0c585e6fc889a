// The lamps: which brush fills which rectangle for each lamp state.
#include <gtest/gtest.h>

#include "frontend/status_lamps.h"

namespace vimo {
namespace {

TEST(StatusLamps, BitOneLightsGreenAndBitZeroRedInsideTheirFrames) {
    const struct {
        uint8_t bits;
        LampBrush green, red;
    } cases[] = {{0, kBrushGreenDark, kBrushRedDark}, {1, kBrushGreenDark, kBrushRed},
                 {2, kBrushGreen, kBrushRedDark},     {0xFF, kBrushGreen, kBrushRed},
                 {0xFC, kBrushGreenDark, kBrushRedDark}};
    for (const auto& c : cases) {
        const auto fills = lampFills(c.bits);
        EXPECT_EQ(fills[0].brush, kBrushFrame);
        EXPECT_EQ(fills[1].brush, c.green) << int(c.bits);
        EXPECT_EQ(fills[3].brush, c.red) << int(c.bits);
        EXPECT_EQ(fills[1].rect, (ScreenRect{6, 6, 20, 17}));
        EXPECT_EQ(fills[2].rect, (ScreenRect{26, 5, 42, 18}));
    }
    EXPECT_EQ(kLampBrushColours[kBrushRed], 0x0000FFu);   // COLORREF order: pure red
}

}  // namespace
}  // namespace vimo
