// Planes A and B: name-table lookup with vertical scroll of the whole plane
// and the four horizontal scroll modes.
#include "vdp/render_internal.h"
#include "vdp/tile_row.h"

namespace vimo {

namespace {

// Entry of the horizontal scroll table used on a line, by register 11's mode.
uint32_t hScrollEntry(uint32_t mode, uint32_t line) {
    switch (mode & 3) {
    case 0:
        return 0;  // whole screen
    case 1:
        return line & 7;  // the first eight entries, repeating
    case 2:
        return line & ~7u;  // one value per 8 lines
    default:
        return line;  // one value per line
    }
}

struct PlaneTables {
    uint32_t nameTable;
    uint32_t vsramOffset;    // the plane's word in VSRAM
    uint32_t hScrollOffset;  // the plane's word in a scroll table entry
};

// The cells of a plane row that cross the line, from `x` on, each 8 pixels
// right of the last, each into the row of its priority.
template <uint32_t Interlace>
void drawCells(const uint8_t* vram, uint32_t rowAddress, uint32_t column, uint32_t width, uint32_t tileRow,
               int32_t x, int32_t cells, uint8_t* low, size_t highOffset) {
    for (int32_t cell = 0; cell < cells; ++cell) {
        const uint32_t pattern = render::vramEvenWord(vram, rowAddress + column * 2);
        render::drawTileRow<Interlace>(vram, tileRow, low + (pattern >> 15) * highOffset + x, pattern);
        x += 8;
        column = (column + 1) & (width - 1);
    }
}

// Draws the cells of one plane that cross the line, starting with the cell
// that sticks out on the left.
void drawPlane(const Vdp& vdp, int32_t line, const PlaneTables& plane, uint8_t* low, size_t highOffset) {
    const uint8_t* regs = vdp.regs;
    const uint8_t* vram = vdp.vram;
    const auto l = static_cast<uint32_t>(line);
    const uint32_t width = render::kPlaneSizeCells[regs[16] & 3];
    const uint32_t height = render::kPlaneSizeCells[(regs[16] >> 4) & 3];
    const uint32_t interlace = render::interlaceBit(regs);

    const uint32_t vScroll =
        ((static_cast<uint32_t>(vdp.vsram[plane.vsramOffset]) << 8) | vdp.vsram[plane.vsramOffset + 1]) >> interlace;
    const uint32_t y = vScroll + l;
    const uint32_t tileRow = y & 7;
    const uint32_t rowAddress = plane.nameTable + ((y >> 3) & (height - 1)) * width * 2;

    const uint32_t hScrollTable = static_cast<uint32_t>(regs[13] & 63) << 10;
    const uint32_t hScroll =
        render::vramWord(vram, hScrollTable + hScrollEntry(regs[11], l) * 4 + plane.hScrollOffset);

    const bool wide = render::wideMode(regs);
    const int32_t cells = wide ? 41 : 33;
    const int32_t x = static_cast<int32_t>(hScroll & 7) + (wide ? -8 : 24);
    const uint32_t column = (0u - 1u - (hScroll >> 3)) & (width - 1);
    if (interlace != 0) {
        drawCells<1>(vram, rowAddress, column, width, tileRow, x, cells, low, highOffset);
    } else {
        drawCells<0>(vram, rowAddress, column, width, tileRow, x, cells, low, highOffset);
    }
}

}  // namespace

// Plane A gives way to the window on the lines of the window's vertical band.
void Vdp::drawPlaneA(int32_t line) {
    if (lineInWindowBand(line)) {
        return;
    }
    drawPlane(*this, line, {static_cast<uint32_t>(regs[2]) << 10, 0, 0}, layerColours + kLineOrigin,
              kLineBufferSize);
}

void Vdp::drawPlaneB(int32_t line) {
    drawPlane(*this, line, {static_cast<uint32_t>(regs[4]) << 13, 2, 2}, layerColours + kLineOrigin,
              kLineBufferSize);
}

}  // namespace vimo
