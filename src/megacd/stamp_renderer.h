// The Mega-CD graphics operation: a rotated and scaled picture drawn into word
// RAM by following one trace vector per line across a map of stamps (16x16 or
// 32x32 tiles of 4-bit pixels), and the font register that expands one-bit
// pixels into two colours. Both run as Machine members inside the sub CPU's
// register writes; this header holds the operation's latched parameters.
#pragma once

#include <cstdint>

namespace vimo {

// Sub-side gate-array registers of the graphics unit (offsets from 0xFF8000).
constexpr uint32_t kFontColourRegister = 0x4C;
constexpr uint32_t kFontBitsRegister = 0x4E;
constexpr uint32_t kFontDataRegister = 0x50;     // 0x50-0x57
constexpr uint32_t kStampSizeRegister = 0x58;    // 0x59: repeat, stamp size, map size
constexpr uint32_t kStampMapRegister = 0x5A;
constexpr uint32_t kImageHeightRegister = 0x5C;  // 0x5D: cells - 1
constexpr uint32_t kImageBufferRegister = 0x5E;
constexpr uint32_t kImageOffsetRegister = 0x60;
constexpr uint32_t kImageHDotsRegister = 0x62;
constexpr uint32_t kImageVDotsRegister = 0x64;
constexpr uint32_t kTraceTableRegister = 0x66;

// How a stamp pixel meets the image buffer (sub register 0x03, bits 3-4).
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
