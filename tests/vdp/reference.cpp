#include "reference.h"

#include <cstddef>

namespace vimo::test {

namespace {

struct LayerPixel {
    uint32_t colour = 0;  // palette line * 16 + index; 0 = transparent
    bool high = false;
};

uint32_t word(const VdpImage& m, uint32_t address) {
    address &= 0xFFFF;
    return (m.vram[address] << 8) | m.vram[(address + 1) & 0xFFFF];
}

// Pixel (px, py) of an 8 x 8 cell described by a pattern word, already
// placed with the cell's own flips.
LayerPixel cellPixel(const VdpImage& m, uint32_t pattern, uint32_t px, uint32_t py) {
    if (pattern & 0x0800) px = 7 - px;
    if (pattern & 0x1000) py = 7 - py;
    const uint32_t tile = pattern & 0x7FF;
    const uint8_t byte = m.vram[(tile * 32 + py * 4 + px / 2) & 0xFFFF];
    const uint32_t index = (px % 2 == 0) ? (byte >> 4) : (byte & 0xF);
    LayerPixel p;
    p.high = (pattern & 0x8000) != 0;
    p.colour = index == 0 ? 0 : ((pattern >> 13) & 3) * 16 + index;
    return p;
}

bool wide(const VdpImage& m) { return (m.regs[12] & 1) != 0; }

uint32_t planeCells(uint32_t field) {
    switch (field) {
    case 0: return 32;
    case 1: return 64;
    default: return 128;  // field 3; field 2 is not used by the scenes
    }
}

// Plane A (planeB false) or B at picture pixel x of line y.
LayerPixel planePixel(const VdpImage& m, bool planeB, int x, int y) {
    const uint32_t widthPx = planeCells(m.regs[16] & 3) * 8;
    const uint32_t heightPx = planeCells((m.regs[16] >> 4) & 3) * 8;
    const uint32_t table = planeB ? m.regs[4] * 0x2000u : m.regs[2] * 0x400u;

    const uint32_t scrollBase = (m.regs[13] & 0x3F) * 0x400u;
    uint32_t entry = 0;
    switch (m.regs[11] & 3) {
    case 0: entry = 0; break;
    case 2: entry = static_cast<uint32_t>(y / 8 * 8); break;
    case 3: entry = static_cast<uint32_t>(y); break;
    default: entry = static_cast<uint32_t>(y % 8); break;
    }
    const uint32_t hScroll = word(m, scrollBase + entry * 4 + (planeB ? 2 : 0));
    const uint32_t vScroll = m.vsram[planeB ? 1 : 0];

    // Scrolling right by h shows plane column (x - h).
    const uint32_t planeX = (static_cast<uint32_t>(x) - hScroll) % widthPx;
    const uint32_t planeY = (static_cast<uint32_t>(y) + vScroll) % heightPx;
    const uint32_t cellIndex = (planeY / 8) * (widthPx / 8) + planeX / 8;
    return cellPixel(m, word(m, table + cellIndex * 2), planeX % 8, planeY % 8);
}

bool windowCovers(const VdpImage& m, int x, int y) {
    const int row = y / 8;
    const int rows = m.regs[18] & 31;
    const bool fromBottom = (m.regs[18] & 0x80) != 0;
    if (fromBottom ? row >= rows : row < rows) return true;
    const int column = x / 8;
    const int columns = 2 * (m.regs[17] & 31);
    const bool fromRight = (m.regs[17] & 0x80) != 0;
    return fromRight ? column >= columns : column < columns;
}

LayerPixel windowPixel(const VdpImage& m, int x, int y) {
    const uint32_t rowCells = wide(m) ? 64 : 32;
    const uint32_t cellIndex = static_cast<uint32_t>(y / 8) * rowCells + static_cast<uint32_t>(x / 8);
    return cellPixel(m, word(m, m.regs[3] * 0x400u + cellIndex * 2), static_cast<uint32_t>(x % 8),
                     static_cast<uint32_t>(y % 8));
}

// The whole sprite is mirrored as one picture: a horizontally flipped sprite
// shows its pixel columns right to left, and so on.
LayerPixel spritePixel(const VdpImage& m, int x, int y) {
    const uint32_t table = m.regs[5] * 0x200u;
    uint32_t sprite = 0;
    for (int visited = 0; visited < 80; ++visited) {
        const uint32_t e = (table + sprite * 8) & 0xFFFF;
        const int top = static_cast<int>(word(m, e) & 0x1FF) - 128;
        const int left = static_cast<int>(word(m, e + 6) & 0x1FF) - 128;
        const int w = ((m.vram[e + 2] >> 2) & 3) + 1;
        const int h = (m.vram[e + 2] & 3) + 1;
        const uint32_t pattern = word(m, e + 4);
        if (x >= left && x < left + 8 * w && y >= top && y < top + 8 * h) {
            int sx = x - left;
            int sy = y - top;
            if (pattern & 0x0800) sx = 8 * w - 1 - sx;
            if (pattern & 0x1000) sy = 8 * h - 1 - sy;
            const uint32_t tile = (pattern & 0x7FF) + static_cast<uint32_t>((sx / 8) * h + sy / 8);
            // The cell is read unflipped: the flip is already in sx, sy.
            const LayerPixel p = cellPixel(m, (pattern & 0xE000) | tile, static_cast<uint32_t>(sx % 8),
                                           static_cast<uint32_t>(sy % 8));
            if (p.colour != 0) return p;
        }
        sprite = m.vram[e + 3];
        if (sprite == 0) break;
    }
    return {};
}

}  // namespace

uint16_t hostPixel(uint16_t colour, uint32_t pixelFormat) {
    const uint32_t r8 = ((colour >> 1) & 7u) << 5;
    const uint32_t g8 = ((colour >> 5) & 7u) << 5;
    const uint32_t b8 = ((colour >> 9) & 7u) << 5;
    if (pixelFormat == 15) {
        return static_cast<uint16_t>(((r8 >> 3) << 10) | ((g8 >> 3) << 5) | (b8 >> 3));
    }
    return static_cast<uint16_t>(((r8 >> 3) << 11) | ((g8 >> 2) << 5) | (b8 >> 3));
}

std::vector<uint16_t> referencePicture(const VdpImage& m, uint32_t pixelFormat) {
    std::vector<uint16_t> out(320 * 224);
    const uint16_t background = hostPixel(m.cram[m.regs[7] & 63], pixelFormat);
    const bool display = (m.regs[1] & 0x40) != 0;
    const int pictureWidth = wide(m) ? 320 : 256;
    const int offset = wide(m) ? 0 : 32;
    for (int y = 0; y < 224; ++y) {
        for (int sx = 0; sx < 320; ++sx) {
            uint16_t pixel = background;
            const int x = sx - offset;
            if (display && x >= 0 && x < pictureWidth) {
                const LayerPixel b = planePixel(m, true, x, y);
                const LayerPixel a = windowCovers(m, x, y) ? windowPixel(m, x, y) : planePixel(m, false, x, y);
                const LayerPixel s = spritePixel(m, x, y);
                const LayerPixel order[] = {s.high ? s : LayerPixel{}, a.high ? a : LayerPixel{},
                                            b.high ? b : LayerPixel{}, s.high ? LayerPixel{} : s,
                                            a.high ? LayerPixel{} : a, b.high ? LayerPixel{} : b};
                for (const LayerPixel& p : order) {
                    if (p.colour != 0) {
                        pixel = hostPixel(m.cram[p.colour], pixelFormat);
                        break;
                    }
                }
            }
            out[static_cast<std::size_t>(y) * 320 + static_cast<std::size_t>(sx)] = pixel;
        }
    }
    return out;
}

}  // namespace vimo::test
