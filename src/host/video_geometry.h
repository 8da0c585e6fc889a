// The decisions of the video output that need no DirectDraw call: which
// 16-bit layout a surface has, where the picture goes on the screen, and the
// conversion of the renderer's RGB565 pixels for displays of another depth.
#pragma once

#include <cstdint>

namespace vimo {

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;    // outside the rectangle
    int32_t bottom = 0;   // outside the rectangle

    bool operator==(const ScreenRect&) const = default;
};

// The picture inside the 336 x 240 back surface (rows and columns 8 on).
constexpr ScreenRect kPictureRect{8, 8, 328, 232};
// Fullscreen shows the picture's 320 columns with the surface's full height.
constexpr ScreenRect kFullscreenSourceRect{8, 0, 328, 240};

// What a lock of a surface with this layout hands the renderer.
struct PixelFormatRule {
    uint32_t bitsPerPixel;   // the FrameBufferDesc field
    uint32_t vdpFormat;      // the Vdp's pixelFormat to set (15 or 16)
    bool direct;             // true: the renderer draws into the surface itself
};

// A 16-bit surface is drawn directly: green mask 0x3E0 is RGB555, any other
// RGB565. The renderer writes 16-bit pixels only, so a surface of any other
// depth is drawn through an RGB565 buffer converted at unlock.
PixelFormatRule classifyPixelFormat(uint32_t bitCount, uint32_t greenMask);

// The windowed destination: the client area (in screen coordinates) less the
// status bar along its bottom. Never upside down.
ScreenRect windowedDestRect(const ScreenRect& clientOnScreen, int32_t statusBarHeight);

// The channel masks of a 24- or 32-bit surface.
struct SurfaceLayout {
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

// Copies a width x height block of RGB565 pixels into a surface of the given
// layout, each channel widened to its mask. Layouts other than 24 and 32 bits
// are left undrawn; returns whether the block was converted.
bool convertRgb565(const uint8_t* source, uint32_t sourcePitch, uint8_t* target,
                   uint32_t targetPitch, uint32_t width, uint32_t height,
                   const SurfaceLayout& layout);

}  // namespace vimo
