// Sprites: the link chain through the attribute table, then the sprites that
// cross the line, last in the chain drawn first so that sprite 0 and the
// sprites early in the chain lie on top.
#include <algorithm>
#include <cstring>

#include "vdp/render_internal.h"
#include "vdp/tile_row.h"

namespace vimo {

namespace {

constexpr uint32_t kEntrySize = 8;

uint32_t spriteTableAddress(const uint8_t* regs) { return (static_cast<uint32_t>(regs[5]) << 9) & render::kVramMask; }

}  // namespace

// The attribute bytes of sprites 0 to length / 8 - 1, wrapping at the top of
// VRAM. Every entry starts at a multiple of 8, so no entry is split.
void Vdp::copySpriteTable(uint8_t* destination, uint32_t length) const {
    const uint32_t base = spriteTableAddress(regs);
    const uint32_t first = std::min(length, kVramSize - base);
    std::memcpy(destination, vram + base, first);
    std::memcpy(destination + first, vram, length - first);
}

// A walk reads only the entries of sprites 0 to the highest one listed, with
// the table base and register 12's width and interlace bits: the same
// bytes and registers give the same list.
bool Vdp::spriteTableUnchanged() const {
    if (spriteTableCopyLength == 0 || spriteTableBase != spriteTableAddress(regs) ||
        spriteTableMode != (regs[12] & 3)) {
        return false;
    }
    const uint32_t base = spriteTableBase;
    const uint32_t first = std::min(spriteTableCopyLength, kVramSize - base);
    return std::memcmp(spriteTableCopy, vram + base, first) == 0 &&
           std::memcmp(spriteTableCopy + first, vram, spriteTableCopyLength - first) == 0;
}

// Walks the chain from sprite 0: each sprite's link byte names the next;
// link 0 ends the chain, and a chain that never returns to 0 is cut after
// 256 sprites. Each listed sprite is decoded once.
void Vdp::walkSpriteChain() {
    const uint32_t base = spriteTableAddress(regs);
    const uint32_t interlace = render::interlaceBit(regs);
    const bool wide = render::wideMode(regs);
    uint32_t highest = 0;
    uint32_t sprite = 0;
    spriteList[0] = 0;
    spriteCount = 0;
    for (;;) {
        const uint8_t* entry = vram + ((base + kEntrySize * sprite) & render::kVramMask);
        ListedSprite& s = listed[spriteCount];
        const uint32_t yWord = ((static_cast<uint32_t>(entry[0]) << 8) | entry[1]) >> interlace;
        s.top = static_cast<int32_t>(yWord & 0x1FF) - 128;
        s.left = static_cast<int32_t>(((entry[6] & 1u) << 8) | entry[7]) - 128 + (wide ? 0 : render::kNarrowLeft);
        s.widthCells = ((entry[2] >> 2) & 3u) + 1;
        s.heightCells = (entry[2] & 3u) + 1;
        s.pattern = (static_cast<uint32_t>(entry[4]) << 8) | entry[5];
        const bool visible = s.left + 8 * (static_cast<int32_t>(s.widthCells) - 1) > -8 && s.left < 320;
        listedFirstLine[spriteCount] = visible ? s.top : 1;
        listedLastLine[spriteCount] = visible ? s.top + 8 * static_cast<int32_t>(s.heightCells) - 1 : 0;
        highest = std::max(highest, sprite);
        const uint32_t link = entry[3];
        ++spriteCount;
        if (link == 0 || spriteCount == kSpriteListSize) {
            break;
        }
        spriteList[spriteCount] = static_cast<uint8_t>(link);
        sprite = link;
    }
    sortIntoBands();
    spriteTableBase = base;
    spriteTableMode = regs[12] & 3;
    spriteTableCopyLength = (highest + 1) * kEntrySize;
    copySpriteTable(spriteTableCopy, spriteTableCopyLength);
}

void Vdp::buildSpriteList(int32_t line) {
    if (!spriteTableUnchanged()) {
        walkSpriteChain();
    }
    lineSpriteCount = 0;
    if (line < 0 || line >= kShownLines) {
        return;
    }
    const uint32_t band = static_cast<uint32_t>(line) >> 3;
    for (uint32_t k = bandStart[band]; k < bandStart[band + 1]; ++k) {
        const uint32_t i = bandSprites[k];
        if (listedFirstLine[i] <= line && line <= listedLastLine[i]) {
            lineSprites[lineSpriteCount++] = static_cast<uint8_t>(i);
        }
    }
}

// Files every listed sprite under the bands of 8 lines it covers, keeping
// list order within each band.
void Vdp::sortIntoBands() {
    uint16_t count[kBands + 1] = {};
    auto bandsOf = [this](uint32_t i, uint32_t& first, uint32_t& last) {
        const int32_t top = std::max(listedFirstLine[i], 0);
        const int32_t bottom = std::min(listedLastLine[i], kShownLines - 1);
        if (top > bottom) {
            return false;
        }
        first = static_cast<uint32_t>(top) >> 3;
        last = static_cast<uint32_t>(bottom) >> 3;
        return true;
    };
    uint32_t first = 0;
    uint32_t last = 0;
    for (uint32_t i = 0; i < spriteCount; ++i) {
        if (bandsOf(i, first, last)) {
            for (uint32_t b = first; b <= last; ++b) ++count[b];
        }
    }
    bandStart[0] = 0;
    for (uint32_t b = 0; b < kBands; ++b) {
        bandStart[b + 1] = static_cast<uint16_t>(bandStart[b] + count[b]);
        count[b] = bandStart[b];
    }
    for (uint32_t i = 0; i < spriteCount; ++i) {
        if (bandsOf(i, first, last)) {
            for (uint32_t b = first; b <= last; ++b) bandSprites[count[b]++] = static_cast<uint8_t>(i);
        }
    }
}

// Draws the sprites that cross the line into the rows of their priority,
// from the last in the list to the first. The cells of a sprite are
// numbered column by column; the cell number is added to the whole pattern
// word. Columns land mirrored with bit 11, cell rows with bit 12, and each
// cell's own row and pixels are flipped by the bits of its pattern word.
void Vdp::drawSprites(int32_t line) {
    buildSpriteList(line);
    const uint32_t interlace = render::interlaceBit(regs);
    uint8_t* low = layerColours + kLineOrigin;
    for (uint32_t i = lineSpriteCount; i-- > 0;) {
        const ListedSprite& s = listed[lineSprites[i]];
        const auto w = static_cast<int32_t>(s.widthCells);
        const auto h = static_cast<int32_t>(s.heightCells);
        const int32_t slot = (line - s.top) >> 3;  // cell row position, counted from the top
        const uint32_t tileRow = static_cast<uint32_t>(line - s.top) & 7;
        const int32_t r = (s.pattern & 0x1000) != 0 ? h - 1 - slot : slot;
        const bool mirrored = (s.pattern & 0x0800) != 0;
        uint8_t* row = low + (s.pattern >> 15) * kLineBufferSize;
        for (int32_t j = 0; j < w; ++j) {
            const int32_t x = s.left + 8 * (mirrored ? w - 1 - j : j);
            if (x <= -8 || x >= 320) {
                continue;
            }
            const uint32_t pattern = (s.pattern + static_cast<uint32_t>(j * h + r)) & 0xFFFF;
            if (interlace != 0) {
                render::drawTileRow<1>(vram, tileRow, row + x, pattern);
            } else {
                render::drawTileRow<0>(vram, tileRow, row + x, pattern);
            }
        }
    }
}

}  // namespace vimo
