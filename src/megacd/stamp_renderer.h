// The Mega-CD graphics operation: a rotated and scaled picture drawn into word
// RAM by following one trace vector per line across a map of stamps (16x16 or
// 32x32 tiles of 4-bit pixels), and the font register that expands one-bit
// pixels into two colours. Both run as Machine members inside the sub CPU's
// register writes; this header holds the operation's latched parameters.
#pragma once

#include <cstdint>

namespace vimo {

// How a stamp pixel meets the image buffer (sub memory-mode register, bits 3-4).
enum class StampWriteMode : uint32_t { overwrite = 0, underwrite = 1, nonZeroOnly = 2, none = 3 };

// The parameters of one operation, latched from the registers when it starts.
// Offsets are 68000 byte offsets into the 2M word RAM.
struct StampOperation {
    uint32_t repeat = 0;             // positions wrap around the map
    uint32_t stampSize32 = 0;        // 1: 32x32 stamps, 0: 16x16
    uint32_t mapSize4096 = 0;        // 1: a map of 4096x4096 dots, 0: 256x256
    uint32_t stampMapBase = 0;
    uint32_t imageCellHeight = 1;    // image buffer height in 8-line cells
    uint32_t imageBufferBase = 0;
    uint32_t imageOffset = 0;        // bits 0-2 first column, bits 3 and up first line
    uint32_t hDots = 0;              // pixels per line
    uint32_t vDots = 0;              // lines to draw
    uint32_t traceTableAddress = 0;  // advances by 8 per line
    StampWriteMode writeMode = StampWriteMode::overwrite;
};

}  // namespace vimo
