// The locked picture surface the line renderer draws into. The host video
// output fills it when it locks its back surface; the machine's frame hands it
// to the renderer once per shown line.
#pragma once

#include <cstdint>

namespace vimo {

struct FrameBufferDesc {
    void* pixels = nullptr;     // first pixel of the surface; null when no lock is held
    uint32_t width = 0;         // pixels per row (336)
    uint32_t height = 0;        // rows (240)
    uint32_t pitch = 0;         // bytes from one row to the next
    uint32_t bitsPerPixel = 0;  // 15 for a 5-5-5 16-bit surface; the renderer never reads it
};

// Surface geometry: shown line n lies in row n + 8, its pixel x in column
// x + 8. The renderer writes columns 0-334 of rows 8-231 (16-bit pixels).
constexpr uint32_t kSurfaceWidth = 336;
constexpr uint32_t kSurfaceHeight = 240;
constexpr int32_t kSurfaceBorder = 8;

}  // namespace vimo
