// A plain, pixel-at-a-time model of the picture, written from the
// documented formats of the name tables, patterns, sprite table, scroll
// tables and colours, and the console's layer priorities:
//
//   high sprite > high plane A / window > high plane B >
//   low sprite  > low plane A / window  > low plane B  > background
//
// where the window takes plane A's place wherever it lies, and among
// sprites the first one in the link chain with a non-transparent pixel
// wins. It knows nothing of how the renderer goes about it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vimo::test {

struct VdpImage {
    std::array<uint8_t, 0x10000> vram{};
    std::array<uint16_t, 64> cram{};   // colour words ----bbb-ggg-rrr-
    std::array<uint16_t, 40> vsram{};  // words; 0 plane A, 1 plane B
    std::array<uint8_t, 24> regs{};
};

// The 320 x 224 picture in 16-bit host pixels (pixelFormat 15 or 16). In
// 32-cell mode the 256-pixel picture is centred, with background colour on
// both sides.
std::vector<uint16_t> referencePicture(const VdpImage& image, uint32_t pixelFormat);

// One CRAM colour as a host pixel: each 3-bit level is the top of an 8-bit
// channel, packed into 5-6-5 or 5-5-5.
uint16_t hostPixel(uint16_t colour, uint32_t pixelFormat);

}  // namespace vimo::test
