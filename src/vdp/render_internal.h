// Register fields and memory reads shared by the renderer's files.
#pragma once

#include <cstdint>
#include <cstring>

#include "vdp/vdp.h"

namespace vimo::render {

// A 2-bit plane size field gives the plane's width or height in cells.
constexpr uint32_t kPlaneSizeCells[4] = {32, 64, 64, 128};

constexpr uint32_t kVramMask = kVramSize - 1;

inline bool displayEnabled(const uint8_t* regs) { return (regs[1] & 0x40) != 0; }
inline bool wideMode(const uint8_t* regs) { return (regs[12] & 0x01) != 0; }  // 40 cells
inline bool interlaced(const uint8_t* regs) { return (regs[12] & 0x02) != 0; }
inline uint32_t interlaceBit(const uint8_t* regs) { return (regs[12] >> 1) & 1; }

// Big-endian word of VRAM; the address is reduced into the 64 KB first, so
// an address formed from any register value stays inside.
inline uint32_t vramWord(const uint8_t* vram, uint32_t address) {
    return (static_cast<uint32_t>(vram[address & kVramMask]) << 8) | vram[(address + 1) & kVramMask];
}

// Big-endian word of VRAM at an even address, which never wraps.
inline uint32_t vramEvenWord(const uint8_t* vram, uint32_t address) {
    const uint8_t* at = vram + (address & kVramMask & ~1u);
    return (static_cast<uint32_t>(at[0]) << 8) | at[1];
}

// Screen x of the leftmost pixel of the 256-pixel picture in 32-cell mode.
constexpr int32_t kNarrowLeft = 32;

}  // namespace vimo::render
