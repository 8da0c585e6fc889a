#include "frontend/status_lamps.h"

namespace vimo {

namespace {

constexpr ScreenRect kGreenFrame{5, 5, 21, 18};
constexpr ScreenRect kGreenInside{6, 6, 20, 17};
constexpr ScreenRect kRedFrame{26, 5, 42, 18};
constexpr ScreenRect kRedInside{27, 6, 41, 17};

}  // namespace

std::array<LampFill, 4> lampFills(uint8_t lampBits) {
    const bool greenLit = (lampBits & 2) != 0;
    const bool redLit = (lampBits & 1) != 0;
    return {{
        {kGreenFrame, kBrushFrame},
        {kGreenInside, greenLit ? kBrushGreen : kBrushGreenDark},
        {kRedFrame, kBrushFrame},
        {kRedInside, redLit ? kBrushRed : kBrushRedDark},
    }};
}

}  // namespace vimo
