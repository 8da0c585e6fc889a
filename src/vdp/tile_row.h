// One 8-pixel row of a pattern cell, drawn into a line of colour indices.
// The row's four bytes are spread to one byte per pixel and merged with an
// 8-byte mask: a handful of word operations and no per-pixel branch; a row
// whose 32 bits are all zero is skipped with one test.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "vdp/render_internal.h"

namespace vimo::render {

constexpr uint64_t kAllBytes = 0x0101010101010101ull;

constexpr uint64_t byteSwap(uint64_t v) {
    v = ((v & 0x00FF00FF00FF00FFull) << 8) | ((v >> 8) & 0x00FF00FF00FF00FFull);
    v = ((v & 0x0000FFFF0000FFFFull) << 16) | ((v >> 16) & 0x0000FFFF0000FFFFull);
    return (v << 32) | (v >> 32);
}

// Spreads the 8 nibbles of a row to 8 bytes: byte k (k = 0 least
// significant) holds nibble k, which is pixel 7 - k of the row.
constexpr uint64_t spreadNibbles(uint32_t rowBits) {
    uint64_t x = rowBits;
    x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
    x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
    x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Full;
    return x;
}

// The row as it lies in memory, first byte leftmost on screen: pixel i at
// byte i, or at byte 7 - i when mirrored.
constexpr uint64_t screenOrder(uint64_t spread, uint32_t mirrored) {
    const uint64_t swapped = byteSwap(spread);
    const uint64_t reversed = std::endian::native == std::endian::little ? swapped : spread;
    const uint64_t straight = std::endian::native == std::endian::little ? spread : swapped;
    const uint64_t select = 0 - static_cast<uint64_t>(mirrored & 1);
    return (straight & select) | (reversed & ~select);
}

static_assert(screenOrder(spreadNibbles(0x12345678u), 0) ==
              (std::endian::native == std::endian::little ? 0x0807060504030201ull : 0x0102030405060708ull));

// Palette line bits of a pattern word, as the high nibble of every byte.
constexpr uint64_t kPaletteBytes[4] = {0, 0x10 * kAllBytes, 0x20 * kAllBytes, 0x30 * kAllBytes};

// Draws row `row` (0-7, before the vertical flip) of the cell that the
// pattern word names at `destination`, its leftmost pixel. Interlace selects
// 64-byte cells with 8 bytes a row, of which the first 4 are drawn.
template <uint32_t Interlace>
inline void drawTileRow(const uint8_t* vram, uint32_t row, uint8_t* destination, uint32_t pattern) {
    constexpr uint32_t kTileShift = 5 + Interlace;
    constexpr uint32_t kRowShift = 2 + Interlace;
    const uint32_t rowOffset = ((pattern & 0x1000) != 0 ? 7 - row : row) << kRowShift;
    // A multiple of 4 below 0x10000 (the interlaced layout reaches 128 KB
    // and is reduced), so the row's four bytes never wrap.
    const uint32_t address = (((pattern & 0x7FF) << kTileShift) + rowOffset) & kVramMask;
    uint32_t rowBits;
    std::memcpy(&rowBits, vram + address, sizeof rowBits);
    if (rowBits == 0) {
        return;
    }
    if constexpr (std::endian::native == std::endian::little) {
        rowBits = static_cast<uint32_t>(byteSwap(rowBits) >> 32);
    }
    const uint64_t pixels = screenOrder(spreadNibbles(rowBits), pattern >> 11);
    // A non-zero nibble sets the high bit of its byte in the sum (a nibble
    // is at most 0x0F, so no carry crosses a byte).
    const uint64_t opaque = (((pixels + 0x7F * kAllBytes) & (0x80 * kAllBytes)) >> 7) * 0xFF;
    uint64_t line;
    std::memcpy(&line, destination, sizeof line);
    line = (line & ~opaque) | pixels | (kPaletteBytes[(pattern >> 13) & 3] & opaque);
    std::memcpy(destination, &line, sizeof line);
}

}  // namespace vimo::render
