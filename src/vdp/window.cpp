// The window plane: a fixed, unscrolled name table that covers a band of
// rows and, outside it, the cells left or right of a column boundary.
#include <algorithm>

#include "vdp/render_internal.h"
#include "vdp/tile_row.h"

namespace vimo {

// The rows above register 18's boundary (bit 7 clear) or from it down (bit 7
// set) belong to the window's vertical band.
bool Vdp::lineInWindowBand(int32_t line) const {
    const auto row = static_cast<uint32_t>(line) >> 3;
    const uint32_t boundary = regs[18] & 31;
    return (regs[18] & 0x80) != 0 ? row >= boundary : row < boundary;
}

void Vdp::drawWindow(int32_t line) {
    const auto row = static_cast<uint32_t>(line) >> 3;
    const bool wide = render::wideMode(regs);
    const uint32_t windowCells = wide ? 64 : 32;
    const uint32_t rowAddress = (static_cast<uint32_t>(regs[3]) << 10) + (row & 63) * windowCells * 2;
    const int32_t lastCell = wide ? 39 : 31;

    // In the band every cell; outside it the cells left of the boundary (bit
    // 7 clear) or from it on (bit 7 set). Cell -1 stands in the margin left
    // of the picture and shows the row's last cell; it is always drawn
    // with the cells on the left.
    int32_t first = -1;
    int32_t last = lastCell;
    if (!lineInWindowBand(line)) {
        const int32_t boundary = 2 * (regs[17] & 31);
        if ((regs[17] & 0x80) != 0) {
            first = boundary;
        } else {
            last = std::min(lastCell, boundary - 1);
        }
    }
    const uint32_t tileRow = static_cast<uint32_t>(line) & 7;
    uint8_t* low = layerColours + kLineOrigin + (wide ? 0 : render::kNarrowLeft);
    for (int32_t c = first; c <= last; ++c) {
        const uint32_t offset = static_cast<uint32_t>(2 * c) & (2 * windowCells - 2);
        const uint32_t pattern = render::vramEvenWord(vram, rowAddress + offset);
        uint8_t* destination = low + (pattern >> 15) * kLineBufferSize + 8 * c;
        if (render::interlaced(regs)) {
            render::drawTileRow<1>(vram, tileRow, destination, pattern);
        } else {
            render::drawTileRow<0>(vram, tileRow, destination, pattern);
        }
    }
}

}  // namespace vimo
