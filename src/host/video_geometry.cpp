#include "host/video_geometry.h"

#include <bit>
#include <cstring>

namespace vimo {

namespace {

constexpr uint32_t kGreenMaskRgb555 = 0x3E0;

// Places an 8-bit channel value into the bits of its mask, keeping the top
// bits when the mask is narrower and repeating them when it is wider.
uint32_t placeChannel(uint32_t value8, uint32_t mask) {
    if (mask == 0) return 0;
    const int width = std::popcount(mask);
    const int shift = std::countr_zero(mask);
    uint32_t value = width <= 8 ? value8 >> (8 - width) : value8 << (width - 8);
    return (value << shift) & mask;
}

// The three channels of an RGB565 pixel widened to 8 bits, the top bits
// repeated into the low ones so that full intensity stays full.
uint32_t red8(uint16_t pixel) {
    const uint32_t v = (pixel >> 11) & 0x1F;
    return (v << 3) | (v >> 2);
}
uint32_t green8(uint16_t pixel) {
    const uint32_t v = (pixel >> 5) & 0x3F;
    return (v << 2) | (v >> 4);
}
uint32_t blue8(uint16_t pixel) {
    const uint32_t v = pixel & 0x1F;
    return (v << 3) | (v >> 2);
}

}  // namespace

PixelFormatRule classifyPixelFormat(uint32_t bitCount, uint32_t greenMask) {
    if (bitCount == 16) {
        if (greenMask == kGreenMaskRgb555) return {15, 15, true};
        return {16, 16, true};
    }
    return {16, 16, false};
}

ScreenRect windowedDestRect(const ScreenRect& clientOnScreen, int32_t statusBarHeight) {
    ScreenRect rect = clientOnScreen;
    rect.bottom -= statusBarHeight > 0 ? statusBarHeight : 0;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    if (rect.right < rect.left) rect.right = rect.left;
    return rect;
}

bool convertRgb565(const uint8_t* source, uint32_t sourcePitch, uint8_t* target,
                   uint32_t targetPitch, uint32_t width, uint32_t height,
                   const SurfaceLayout& layout) {
    if (layout.bitCount != 24 && layout.bitCount != 32) return false;
    const uint32_t bytesPerPixel = layout.bitCount / 8;
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* in = source + static_cast<size_t>(row) * sourcePitch;
        uint8_t* out = target + static_cast<size_t>(row) * targetPitch;
        for (uint32_t x = 0; x < width; ++x) {
            uint16_t pixel;
            std::memcpy(&pixel, in + 2 * x, sizeof pixel);
            const uint32_t value = placeChannel(red8(pixel), layout.redMask) |
                                   placeChannel(green8(pixel), layout.greenMask) |
                                   placeChannel(blue8(pixel), layout.blueMask);
            for (uint32_t b = 0; b < bytesPerPixel; ++b) {
                out[x * bytesPerPixel + b] = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
    return true;
}

}  // namespace vimo
