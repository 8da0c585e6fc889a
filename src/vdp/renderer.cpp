// The line entry points: background, layer order, and the write-out of the
// composed line into the host surface.
#include <bit>
#include <cstring>

#include "vdp/render_internal.h"
#include "vdp/tile_row.h"

namespace vimo {

namespace {

void storePixel(uint8_t* at, uint16_t pixel) { std::memcpy(at, &pixel, sizeof pixel); }

}  // namespace

// The renderer draws rows 8-231, columns 0-334 of a 336 x 240 surface of
// 16-bit pixels; anything smaller, a failed lock (null pixels) or a line
// outside the shown 224 is not drawn.
bool Vdp::frameUsable(const FrameBufferDesc* frame, int32_t line) const {
    return frame != nullptr && frame->pixels != nullptr && frame->width >= kSurfaceWidth &&
           frame->height >= kSurfaceHeight && frame->pitch >= 2 * kSurfaceWidth && line >= 0 &&
           line < kShownLines;
}

void Vdp::setRenderLine(const FrameBufferDesc* frame, int32_t line) {
    renderLinePtr = static_cast<uint8_t*>(frame->pixels) +
                    static_cast<size_t>(frame->pitch) * static_cast<size_t>(line + kSurfaceBorder) +
                    2 * kSurfaceBorder;
}

void Vdp::refreshPaletteFormat() {
    if (pixelFormat != paletteFormat) {
        convertPalette();
    }
}

uint16_t Vdp::backgroundPixel() const { return static_cast<uint16_t>(palette[regs[7] & 63]); }

void Vdp::renderLine(const FrameBufferDesc* frame, int32_t line) {
    fillBackground(frame, line);
    drawLayers(frame, line);
}

// The 320 picture pixels in the background colour, four pixels per store.
void Vdp::fillBackground(const FrameBufferDesc* frame, int32_t line) {
    if (!frameUsable(frame, line)) {
        return;
    }
    setRenderLine(frame, line);
    refreshPaletteFormat();
    const uint64_t pixel = backgroundPixel();
    const uint64_t four = pixel * 0x0001000100010001ull;
    for (int32_t x = 0; x < 320; x += 4) {
        std::memcpy(renderLinePtr + 2 * x, &four, sizeof four);
    }
    backgroundLinePtr = renderLinePtr;
    backgroundLaid = static_cast<uint16_t>(pixel);
}

// Layer order: plane B, plane A, window, sprites, first every cell of
// priority 0, then every cell of priority 1 over them, each layer only while
// its switch is on and only where its pixels are not transparent.
void Vdp::drawLayers(const FrameBufferDesc* frame, int32_t line) {
    if (!frameUsable(frame, line)) {
        return;
    }
    setRenderLine(frame, line);
    if (!render::displayEnabled(regs)) {
        backgroundLinePtr = nullptr;
        return;
    }
    refreshPaletteFormat();
    std::memset(layerColours, 0, sizeof layerColours);
    if (showPlaneB != 0) drawPlaneB(line);
    if (showPlaneA != 0) drawPlaneA(line);
    if (showWindow != 0) drawWindow(line);
    if (showSprites != 0) drawSprites(line);
    mergePriorities();
    writeLineColours();
    if (!render::wideMode(regs)) {
        refillNarrowBorders();
    }
    backgroundLinePtr = nullptr;
}

// Row 0 takes the priority-1 pixel wherever row 1 has one.
void Vdp::mergePriorities() {
    uint8_t* low = layerColours;
    const uint8_t* high = layerColours + kLineBufferSize;
    for (size_t i = 0; i < kLineBufferSize; i += 8) {
        uint64_t l;
        uint64_t h;
        std::memcpy(&l, low + i, 8);
        std::memcpy(&h, high + i, 8);
        // Colour indices are below 64, so adding 0x7F sets a byte's top bit
        // exactly when the byte is not zero, without carrying into the next.
        const uint64_t drawn = (((h + 0x7F * render::kAllBytes) & (0x80 * render::kAllBytes)) >> 7) * 0xFF;
        l = (l & ~drawn) | h;
        std::memcpy(low + i, &l, 8);
    }
}

// Every drawn index becomes its host pixel; undrawn pixels keep what the
// surface holds: the background inside the picture, older pixels in the
// margins.
void Vdp::writeLineColours() {
    const uint8_t* colours = layerColours;
    uint8_t* out = renderLinePtr - 2 * kLineOrigin;
    // Margins and, without a background laid on this line, the picture too:
    // only drawn pixels are stored.
    auto storeDrawn = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (colours[i] != 0) {
                storePixel(out + 2 * i, static_cast<uint16_t>(palette[colours[i] & 63]));
            }
        }
    };
    storeDrawn(0, kLineOrigin);
    storeDrawn(kLineOrigin + 320, kSurfaceWidth - 1);
    if (backgroundLinePtr != renderLinePtr) {
        storeDrawn(kLineOrigin, kLineOrigin + 320);
        return;
    }
    // Index 0 (nothing drawn) shows the background already laid there.
    uint16_t pixels[kPaletteSize];
    for (uint32_t n = 0; n < kPaletteSize; ++n) {
        pixels[n] = static_cast<uint16_t>(palette[n]);
    }
    pixels[0] = backgroundLaid;
    for (size_t x = 0; x < 320; x += 4) {
        const uint8_t* index = colours + kLineOrigin + x;
        const uint64_t p0 = pixels[index[0] & 63];
        const uint64_t p1 = pixels[index[1] & 63];
        const uint64_t p2 = pixels[index[2] & 63];
        const uint64_t p3 = pixels[index[3] & 63];
        // Four pixels per store, the leftmost at the lowest address.
        const uint64_t four = std::endian::native == std::endian::little
                                  ? p0 | (p1 << 16) | (p2 << 32) | (p3 << 48)
                                  : p3 | (p2 << 16) | (p1 << 32) | (p0 << 48);
        std::memcpy(renderLinePtr + 2 * x, &four, sizeof four);
    }
}

// The 256-pixel picture of 32-cell mode stands centred: pixels 0-31 and
// 288-319 show the background whatever was drawn there.
void Vdp::refillNarrowBorders() {
    const uint16_t pixel = backgroundPixel();
    for (int32_t x = 0; x < render::kNarrowLeft; ++x) {
        storePixel(renderLinePtr + 2 * x, pixel);
        storePixel(renderLinePtr + 2 * (x + 288), pixel);
    }
}

}  // namespace vimo
