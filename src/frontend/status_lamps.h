// The two Mega-CD lamps in the status bar's owner-drawn part: the green one
// (lamp bit 1) on the left, the red one (bit 0) on the right, each a grey
// frame around a lit or dark inside.
#pragma once

#include <array>
#include <cstdint>

#include "host/video_geometry.h"

namespace vimo {

// The five brushes made at start-up, as COLORREF values (0x00BBGGRR).
enum LampBrush : uint32_t { kBrushGreen, kBrushRed, kBrushFrame, kBrushGreenDark, kBrushRedDark };
constexpr uint32_t kLampBrushColours[5] = {0x00FF00, 0x0000FF, 0x7F7F7F, 0xCDCDCD, 0xCDCDCD};

// The status-bar area the lamps cover, repainted when they change.
constexpr ScreenRect kLampArea{5, 5, 47, 18};

struct LampFill {
    ScreenRect rect;
    LampBrush brush;
};

// The four fills in painting order: green frame, green inside, red frame,
// red inside. Bits other than 0 and 1 have no effect.
std::array<LampFill, 4> lampFills(uint8_t lampBits);

}  // namespace vimo
