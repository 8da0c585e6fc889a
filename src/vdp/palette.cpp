// CRAM colours (----bbb-ggg-rrr-) to 16-bit host pixels. Each 3-bit component
// lands in the top three bits of its host field, the lower bits are 0.
#include "vdp/vdp.h"

namespace vimo {

void Vdp::convertPaletteEntry(uint32_t entry) {
    entry &= kPaletteSize - 1;
    const uint32_t hi = cram[2 * entry];
    const uint32_t lo = cram[2 * entry + 1];
    const uint32_t b = (hi >> 1) & 7;
    const uint32_t g = (lo >> 5) & 7;
    const uint32_t r = (lo >> 1) & 7;
    if (pixelFormat == kPixelFormatRgb555) {
        palette[entry] = (r << 12) | (g << 7) | (b << 2);
    } else if (pixelFormat == kPixelFormatRgb565) {
        palette[entry] = (r << 13) | (g << 8) | (b << 2);
    }
    // Any other format has no 16-bit layout: the entry keeps its value.
}

void Vdp::convertPalette() {
    for (uint32_t entry = 0; entry < kPaletteSize; ++entry) {
        convertPaletteEntry(entry);
    }
    paletteFormat = pixelFormat;
}

void Vdp::setPixelFormat(uint32_t format) {
    pixelFormat = format;
    convertPalette();
}

}  // namespace vimo
