// The line renderer's own rules: what it draws into the margins, the
// 32-cell borders, the sprite list, the scroll entries, the window's extra
// cell, interlace, the layer switches, and that it never reads or writes
// outside its memories or the surface.
#include <gtest/gtest.h>

#include "reference.h"
#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::setRegister;
using test::Target;

constexpr uint32_t kPlaneA = 0xC000;
constexpr uint32_t kPlaneB = 0xE000;
constexpr uint32_t kWindow = 0xB000;
constexpr uint32_t kSprites = 0xD800;
constexpr uint32_t kHScroll = 0xDC00;
constexpr uint16_t kUntouched = 0xBEEF;  // surface contents before drawing

class RendererTest : public ::testing::Test {
protected:
    RendererTest() {
        setRegister(vdp, 1, 0x44);
        setRegister(vdp, 2, kPlaneA >> 10);
        setRegister(vdp, 3, kWindow >> 10);
        setRegister(vdp, 4, kPlaneB >> 13);
        setRegister(vdp, 5, kSprites >> 9);
        setRegister(vdp, 7, 0x00);
        setRegister(vdp, 12, 0x81);
        setRegister(vdp, 13, kHScroll >> 10);
        setRegister(vdp, 16, 0x01);  // 64 x 32 cells
        // 64 distinct colours: entry n has red n & 7, green n >> 3, blue 7 - (n & 7).
        for (uint32_t n = 0; n < 64; ++n) {
            colours[n] = static_cast<uint16_t>(((7 - (n & 7)) << 9) | ((n >> 3) << 5) | ((n & 7) << 1));
            test::writeColour(vdp, n, colours[n]);
        }
        surface.fill(kUntouched);
    }

    uint16_t colour(uint32_t index) const { return test::hostPixel(colours[index], vdp.pixelFormat); }

    void word(uint32_t address, uint32_t value) {
        vdp.vram[address & 0xFFFF] = static_cast<uint8_t>(value >> 8);
        vdp.vram[(address + 1) & 0xFFFF] = static_cast<uint8_t>(value);
    }
    // Every pixel of the tile in colour c.
    void solidTile(uint32_t tile, uint32_t c) {
        for (uint32_t i = 0; i < 32; ++i) vdp.vram[tile * 32 + i] = static_cast<uint8_t>(c * 0x11);
    }
    // Row r in colour r + 1.
    void rowTile(uint32_t tile) {
        for (uint32_t r = 0; r < 8; ++r)
            for (uint32_t b = 0; b < 4; ++b) vdp.vram[tile * 32 + r * 4 + b] = static_cast<uint8_t>((r + 1) * 0x11);
    }
    // Pixel column i in colour i + 1 on every row.
    void columnTile(uint32_t tile) {
        for (uint32_t r = 0; r < 8; ++r)
            for (uint32_t b = 0; b < 4; ++b)
                vdp.vram[tile * 32 + r * 4 + b] = static_cast<uint8_t>(((2 * b + 1) << 4) | (2 * b + 2));
    }
    void planeCell(uint32_t table, uint32_t widthCells, uint32_t column, uint32_t row, uint32_t pattern) {
        word(table + (row * widthCells + column) * 2, pattern);
    }
    void fillPlane(uint32_t table, uint32_t pattern, uint32_t cells = 64 * 32) {
        for (uint32_t c = 0; c < cells; ++c) word(table + 2 * c, pattern);
    }
    void sprite(uint32_t index, int x, int y, uint32_t widthCells, uint32_t heightCells, uint32_t pattern,
                uint32_t link) {
        const uint32_t e = kSprites + 8 * index;
        word(e, static_cast<uint32_t>(y + 128));
        vdp.vram[e + 2] = static_cast<uint8_t>(((widthCells - 1) << 2) | (heightCells - 1));
        vdp.vram[e + 3] = static_cast<uint8_t>(link);
        word(e + 4, pattern);
        word(e + 6, static_cast<uint32_t>(x + 128));
    }
    void render() { test::renderFrame(vdp, surface); }
    void renderLine(int line) {
        const FrameBufferDesc desc = surface.desc();
        vdp.renderLine(&desc, line);
    }
    uint16_t at(int line, int x) const { return surface.at(line, x); }

    Vdp vdp;
    test::Surface surface;
    uint16_t colours[64] = {};
};

// ---- the frame buffer -----------------------------------------------------------

TEST_F(RendererTest, NullFrameOrNullPixelsAreNeverDrawnThrough) {
    solidTile(1, 5);
    fillPlane(kPlaneB, 1);
    vdp.renderLine(nullptr, 0);
    vdp.fillBackground(nullptr, 0);
    vdp.drawLayers(nullptr, 0);
    FrameBufferDesc desc = surface.desc();
    desc.pixels = nullptr;
    for (int line = 0; line < 224; ++line) vdp.renderLine(&desc, line);
    SUCCEED();  // reaching here under the sanitizers is the check
}

TEST_F(RendererTest, SurfaceSmallerThanThePictureIsNotDrawn) {
    solidTile(1, 5);
    fillPlane(kPlaneB, 1);
    for (FrameBufferDesc desc : {FrameBufferDesc{surface.pixels.data(), 320, 240, 640, 16},
                                 FrameBufferDesc{surface.pixels.data(), 336, 224, 672, 16},
                                 FrameBufferDesc{surface.pixels.data(), 336, 240, 336, 8}}) {
        for (int line = 0; line < 224; ++line) vdp.renderLine(&desc, line);
    }
    for (uint16_t p : surface.pixels) ASSERT_EQ(p, kUntouched);
}

TEST_F(RendererTest, OnlyLines0To223AreDrawn) {
    for (int line : {-1, 224, 231, 239, 1000}) renderLine(line);
    for (uint16_t p : surface.pixels) ASSERT_EQ(p, kUntouched);
    renderLine(223);
    EXPECT_EQ(at(223, 0), colour(0));
    EXPECT_EQ(surface.pixels[232 * kSurfaceWidth + 8], kUntouched);  // row below the picture
}

TEST_F(RendererTest, LineIsDrawnInRowLinePlus8FromColumn8) {
    setRegister(vdp, 7, 0x21);
    renderLine(10);
    const size_t row = 18 * kSurfaceWidth;
    EXPECT_EQ(surface.pixels[row + 7], kUntouched);
    EXPECT_EQ(surface.pixels[row + 8], colour(0x21));
    EXPECT_EQ(surface.pixels[row + 327], colour(0x21));
    EXPECT_EQ(surface.pixels[row + 328], kUntouched);
    EXPECT_EQ(surface.pixels[17 * kSurfaceWidth + 8], kUntouched);
}

TEST_F(RendererTest, RenderLineIsBackgroundThenLayers) {
    solidTile(1, 3);
    planeCell(kPlaneB, 64, 0, 0, 1);
    test::Surface other;
    other.fill(kUntouched);
    const FrameBufferDesc desc = other.desc();
    vdp.fillBackground(&desc, 4);
    vdp.drawLayers(&desc, 4);
    renderLine(4);
    EXPECT_EQ(other.pixels, surface.pixels);
    EXPECT_EQ(at(4, 0), colour(3));
    EXPECT_EQ(at(4, 8), colour(0));
}

TEST_F(RendererTest, DrawLayersAloneStoresOnlyDrawnPixels) {
    solidTile(1, 3);
    planeCell(kPlaneB, 64, 2, 0, 1);
    const FrameBufferDesc desc = surface.desc();
    vdp.drawLayers(&desc, 0);
    EXPECT_EQ(at(0, 15), kUntouched);
    EXPECT_EQ(at(0, 16), colour(3));
    EXPECT_EQ(at(0, 23), colour(3));
    EXPECT_EQ(at(0, 24), kUntouched);
    // A background laid on another line does not stand in for this one.
    vdp.fillBackground(&desc, 5);
    vdp.drawLayers(&desc, 6);
    EXPECT_EQ(at(6, 0), kUntouched);
    EXPECT_EQ(at(6, 16), colour(3));
}

// ---- display enable and widths ------------------------------------------------------

TEST_F(RendererTest, DisplayDisabledLeavesTheBackgroundInBothWidths) {
    solidTile(1, 7);
    fillPlane(kPlaneA, 0x8001);
    fillPlane(kPlaneB, 1);
    sprite(0, 0, 0, 4, 4, 0x8001, 0);
    setRegister(vdp, 7, 0x2A);
    for (uint32_t reg12 : {0x81u, 0x00u}) {
        setRegister(vdp, 12, reg12);
        setRegister(vdp, 1, 0x04);
        surface.fill(kUntouched);
        render();
        for (int line = 0; line < 224; ++line) {
            for (int x = 0; x < 320; ++x) ASSERT_EQ(at(line, x), colour(0x2A)) << line << "," << x;
            ASSERT_EQ(at(line, -1), kUntouched);
            ASSERT_EQ(at(line, 320), kUntouched);
        }
    }
}

TEST_F(RendererTest, NarrowModeKeepsBackgroundLeftAndRightOfThePicture) {
    setRegister(vdp, 12, 0x00);
    setRegister(vdp, 7, 0x11);
    solidTile(1, 6);
    solidTile(2, 9);
    fillPlane(kPlaneB, 1);
    // Sprites over both borders: at picture x -4 (screen 28) and 250 (screen 282).
    sprite(0, -4, 0, 1, 1, 2, 1);
    sprite(1, 250, 0, 2, 1, 2, 0);
    render();
    for (int x = 0; x < 32; ++x) EXPECT_EQ(at(3, x), colour(0x11)) << x;
    for (int x = 288; x < 320; ++x) EXPECT_EQ(at(3, x), colour(0x11)) << x;
    EXPECT_EQ(at(3, 32), colour(9));   // the sprite's last 4 pixels
    EXPECT_EQ(at(3, 36), colour(6));
    EXPECT_EQ(at(3, 282), colour(9));  // sprites stand 32 pixels right of X - 128
    EXPECT_EQ(at(3, 287), colour(9));
    EXPECT_EQ(at(3, 320), kUntouched);  // nothing of it reaches the right margin
    EXPECT_EQ(at(3, -1), kUntouched);
}

TEST_F(RendererTest, NarrowModeSpriteReachesTheRightMargin) {
    setRegister(vdp, 12, 0x00);
    solidTile(2, 9);
    sprite(0, 286, 0, 1, 1, 2, 0);  // screen x 318-325
    render();
    EXPECT_EQ(at(0, 317), colour(0));
    EXPECT_EQ(at(0, 318), colour(0));  // refilled
    EXPECT_EQ(at(0, 320), colour(9));
    EXPECT_EQ(at(0, 325), colour(9));
    EXPECT_EQ(at(0, 326), kUntouched);
}

// ---- planes ---------------------------------------------------------------------------

// Scroll h = 3: the first cell starts at x = -5 and shows column W - 1.
TEST_F(RendererTest, HorizontalScrollThreeStartsAtMinusFive) {
    columnTile(1);
    solidTile(2, 15);
    planeCell(kPlaneB, 64, 63, 0, 1);
    planeCell(kPlaneB, 64, 0, 0, 2);
    word(kHScroll + 2, 3);
    renderLine(0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(at(0, -5 + i), colour(i + 1)) << i;
    EXPECT_EQ(at(0, 0), colour(6));
    EXPECT_EQ(at(0, 2), colour(8));
    EXPECT_EQ(at(0, 3), colour(15));
    EXPECT_EQ(at(0, -6), kUntouched);
}

TEST_F(RendererTest, UnscrolledPlaneDrawsItsLastColumnIntoTheLeftMargin) {
    solidTile(1, 4);
    planeCell(kPlaneA, 64, 63, 0, 1);
    renderLine(0);
    for (int x = -8; x < 0; ++x) EXPECT_EQ(at(0, x), colour(4)) << x;
    EXPECT_EQ(at(0, 0), colour(0));
}

TEST_F(RendererTest, ScrollModeEntriesOnLine10) {
    solidTile(1, 2);
    for (uint32_t c = 0; c < 64; ++c) planeCell(kPlaneB, 64, c, 1, c == 0 ? 1 : 0);
    // Entry n scrolls plane B by 8n, so the cell of column 0 shows at x = 8n.
    for (uint32_t n = 0; n < 224; ++n) word(kHScroll + 4 * n + 2, 8 * n);
    struct Case {
        uint32_t mode;
        int entry;
    } cases[] = {{0, 0}, {1, 2}, {2, 8}, {3, 10}};
    for (const Case& c : cases) {
        setRegister(vdp, 11, c.mode);
        surface.fill(kUntouched);
        renderLine(10);
        EXPECT_EQ(at(10, 8 * c.entry), colour(2)) << "mode " << c.mode;
        if (c.entry > 0) {
            EXPECT_EQ(at(10, 8 * c.entry - 1), colour(0)) << "mode " << c.mode;
        }
        EXPECT_EQ(at(10, 8 * c.entry + 8), colour(0)) << "mode " << c.mode;
    }
}

TEST_F(RendererTest, VerticalScrollPicksNameRowAndTileRow) {
    rowTile(1);
    solidTile(2, 14);
    planeCell(kPlaneA, 64, 0, 2, 1);
    planeCell(kPlaneA, 64, 0, 3, 2);
    planeCell(kPlaneA, 64, 0, 0, 2);
    vdp.vsram[0] = 0;
    vdp.vsram[1] = 21;  // plane A scrolled up 21 lines
    render();
    EXPECT_EQ(at(0, 0), colour(6));  // plane line 21: name row 2, tile row 5
    EXPECT_EQ(at(2, 0), colour(8));
    EXPECT_EQ(at(3, 0), colour(14));  // plane line 24: name row 3
    // 32 rows high: plane line 21 + 235 = 256 wraps to line 0, name row 0.
    EXPECT_EQ(at(0, 8), colour(0));
    vdp.vsram[1] = 256 - 5;
    render();
    EXPECT_EQ(at(5, 0), colour(14));
    EXPECT_EQ(at(4, 0), colour(0));
}

TEST_F(RendererTest, PlaneSizeFieldTwoIsSixtyFourCells) {
    solidTile(1, 12);
    setRegister(vdp, 16, 0x22);  // both fields 2
    planeCell(kPlaneB, 64, 0, 33, 1);  // a row stride of 64 cells, a height of 64
    vdp.vsram[2] = (33 * 8) >> 8;
    vdp.vsram[3] = (33 * 8) & 0xFF;
    word(kHScroll + 2, 64 * 8);  // a whole plane width: back where it started
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(12));
    EXPECT_EQ(at(0, 8), colour(0));
}

// ---- window -------------------------------------------------------------------------------

TEST_F(RendererTest, WindowBandFromTheTopCoversTheLineAndHidesPlaneA) {
    solidTile(1, 3);
    solidTile(2, 10);
    fillPlane(kPlaneA, 1);
    planeCell(kWindow, 64, 5, 0, 2);
    setRegister(vdp, 18, 0x80);  // every row is in the band
    renderLine(0);
    EXPECT_EQ(at(0, 40), colour(10));
    EXPECT_EQ(at(0, 0), colour(0));  // plane A not drawn on the line
    EXPECT_EQ(at(0, 48), colour(0));
}

TEST_F(RendererTest, NoWindowInThePictureButItsLastCellInTheLeftMargin) {
    solidTile(2, 10);
    solidTile(3, 13);
    planeCell(kWindow, 64, 0, 0, 2);
    planeCell(kWindow, 64, 63, 0, 3);
    renderLine(0);
    for (int x = 0; x < 320; ++x) ASSERT_EQ(at(0, x), colour(0)) << x;
    for (int x = -8; x < 0; ++x) EXPECT_EQ(at(0, x), colour(13)) << x;
}

TEST_F(RendererTest, WindowLeftOfTheBoundaryIsDrawnOverPlaneAWhichShowsThroughIt) {
    solidTile(1, 3);
    // A window tile with its left half transparent.
    for (uint32_t r = 0; r < 8; ++r) {
        vdp.vram[2 * 32 + r * 4 + 0] = 0x00;
        vdp.vram[2 * 32 + r * 4 + 1] = 0x00;
        vdp.vram[2 * 32 + r * 4 + 2] = 0xAA;
        vdp.vram[2 * 32 + r * 4 + 3] = 0xAA;
    }
    fillPlane(kPlaneA, 1);
    for (uint32_t c = 0; c < 64; ++c) planeCell(kWindow, 64, c, 0, 2);
    setRegister(vdp, 17, 0x02);  // cells 0-3 on the left
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(3));   // plane A through the window's transparent pixels
    EXPECT_EQ(at(0, 4), colour(10));
    EXPECT_EQ(at(0, 28), colour(10));
    EXPECT_EQ(at(0, 32), colour(3));  // right of the window: plane A only
    EXPECT_EQ(at(0, 36), colour(3));
}

TEST_F(RendererTest, WindowRightOfTheBoundaryInNarrowMode) {
    setRegister(vdp, 12, 0x00);
    solidTile(2, 10);
    for (uint32_t c = 0; c < 32; ++c) planeCell(kWindow, 32, c, 0, 2);  // rows of 32 cells
    setRegister(vdp, 17, 0x8F);  // cells 30 and 31
    renderLine(0);
    EXPECT_EQ(at(0, 32 + 8 * 29 + 7), colour(0));
    EXPECT_EQ(at(0, 32 + 8 * 30), colour(10));
    EXPECT_EQ(at(0, 32 + 8 * 31 + 7), colour(10));
}

// ---- sprites ---------------------------------------------------------------------------------

TEST_F(RendererTest, SpriteListFollowsTheLinks) {
    sprite(0, 0, 0, 1, 1, 0, 5);
    sprite(5, 0, 0, 1, 1, 0, 2);
    sprite(2, 0, 0, 1, 1, 0, 0);
    vdp.buildSpriteList(0);
    EXPECT_EQ(vdp.spriteCount, 3u);
    EXPECT_EQ(vdp.spriteList[0], 0);
    EXPECT_EQ(vdp.spriteList[1], 5);
    EXPECT_EQ(vdp.spriteList[2], 2);
}

TEST_F(RendererTest, ChainThatNeverEndsIsCutAt256) {
    for (uint32_t i = 0; i < 255; ++i) sprite(i, 0, 0, 1, 1, 0, i + 1);
    sprite(255, 0, 0, 1, 1, 0, 1);  // back into the chain
    vdp.buildSpriteList(0);
    EXPECT_EQ(vdp.spriteCount, 256u);
    for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(vdp.spriteList[i], i);
    sprite(3, 0, 0, 1, 1, 0, 3);  // a loop on itself
    vdp.buildSpriteList(0);
    EXPECT_EQ(vdp.spriteCount, 256u);
    EXPECT_EQ(vdp.spriteList[255], 3);
    solidTile(1, 4);
    sprite(3, 10, 0, 1, 1, 1, 3);
    render();  // drawn 253 times over, without running away
    EXPECT_EQ(at(0, 10), colour(4));
}

TEST_F(RendererTest, SpriteAtMinus15OnlyDrawsItsSecondColumn) {
    solidTile(1, 5);
    solidTile(2, 9);
    sprite(0, -15, 0, 2, 1, 1, 0);  // tiles 1 (x = -15) and 2 (x = -7)
    renderLine(0);
    for (int x = -7; x < 1; ++x) EXPECT_EQ(at(0, x), colour(9)) << x;
    EXPECT_EQ(at(0, -8), kUntouched);  // the first column is not drawn
    EXPECT_EQ(at(0, 1), colour(0));
}

TEST_F(RendererTest, SpriteAtTheRightEdgeReachesTheMargin) {
    solidTile(1, 5);
    sprite(0, 316, 0, 2, 1, 1, 0);  // x = 316 drawn, x = 324 not
    renderLine(0);
    EXPECT_EQ(at(0, 316), colour(5));
    EXPECT_EQ(at(0, 323), colour(5));
    EXPECT_EQ(at(0, 324), kUntouched);
}

TEST_F(RendererTest, TilesAreNumberedColumnByColumnAndFlipsMirrorTheSprite) {
    for (uint32_t t = 0; t < 6; ++t) solidTile(10 + t, t + 1);
    // 2 columns x 3 rows: column 0 holds tiles 10, 11, 12; column 1 13, 14, 15.
    sprite(0, 0, 0, 2, 3, 10, 1);
    sprite(1, 40, 0, 2, 3, 10 | 0x0800, 2);
    sprite(2, 80, 0, 2, 3, 10 | 0x1000, 0);
    render();
    EXPECT_EQ(at(0, 0), colour(1));
    EXPECT_EQ(at(8, 0), colour(2));
    EXPECT_EQ(at(16, 8), colour(6));
    EXPECT_EQ(at(0, 40), colour(4));  // h-flip: column 1 on the left
    EXPECT_EQ(at(16, 48), colour(3));
    EXPECT_EQ(at(0, 80), colour(3));  // v-flip: cell row 2 on top
    EXPECT_EQ(at(16, 88), colour(4));
}

TEST_F(RendererTest, FlipsApplyWithinEachCell) {
    columnTile(1);
    rowTile(2);
    sprite(0, 0, 0, 1, 1, 1 | 0x0800, 1);
    sprite(1, 16, 0, 1, 1, 2 | 0x1000, 0);
    render();
    EXPECT_EQ(at(0, 0), colour(8));
    EXPECT_EQ(at(0, 7), colour(1));
    EXPECT_EQ(at(0, 16), colour(8));
    EXPECT_EQ(at(7, 16), colour(1));
}

// The cell offset is added to the whole pattern word: past tile 0x7FF it
// carries into the flip and palette bits.
TEST_F(RendererTest, SpriteTileNumberCarriesIntoThePatternBits) {
    columnTile(0);  // tile 2047 lies at 0xFFE0
    for (uint32_t i = 0; i < 32; ++i) vdp.vram[0xFFE0 + i] = 0x22;
    sprite(0, 0, 0, 2, 1, 0x7FF, 0);  // second column: pattern 0x0800 = tile 0, h-flip
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(2));
    EXPECT_EQ(at(0, 8), colour(8));  // tile 0 mirrored
    EXPECT_EQ(at(0, 15), colour(1));
}

TEST_F(RendererTest, EarlierSpriteInTheChainLiesOnTopAndPrioritiesPassesOrder) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    sprite(0, 0, 0, 1, 1, 1, 1);          // low, first in chain
    sprite(1, 4, 0, 1, 1, 2, 2);          // low, overlaps sprite 0
    sprite(2, 2, 0, 1, 1, 3 | 0x8000, 0); // high, last in chain
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(1));
    EXPECT_EQ(at(0, 1), colour(1));
    EXPECT_EQ(at(0, 2), colour(3));  // the high pass comes after the low one
    EXPECT_EQ(at(0, 9), colour(3));
    EXPECT_EQ(at(0, 10), colour(2));
}

TEST_F(RendererTest, SpritePrioritiesAgainstAHighPlaneACell) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    planeCell(kPlaneA, 64, 0, 0, 1 | 0x8000);
    sprite(0, 0, 0, 1, 1, 2 | 0x8000, 1);
    sprite(1, 4, 0, 1, 1, 3, 0);
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(2));  // high sprite over high plane A
    EXPECT_EQ(at(0, 8), colour(3));  // low sprite where plane A is transparent
    planeCell(kPlaneA, 64, 1, 0, 1 | 0x8000);
    renderLine(0);
    EXPECT_EQ(at(0, 8), colour(1));  // low sprite under high plane A
}

TEST_F(RendererTest, HighPlaneBCoversLowPlaneAAndLowSprites) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    solidTile(4, 4);
    planeCell(kPlaneB, 64, 0, 0, 1 | 0x8000);
    planeCell(kPlaneA, 64, 0, 0, 2);
    sprite(0, 0, 0, 1, 1, 3, 0);
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(1));
    planeCell(kPlaneA, 64, 0, 0, 2 | 0x8000);
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(2));
}

// The sprite table is read anew for every line: a change between two lines
// shows from the next line on, whichever way it is made.
TEST_F(RendererTest, SpriteTableChangesBetweenLinesShowOnTheNextLine) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    sprite(0, 0, 0, 1, 4, 1, 0);  // 32 lines tall, tiles 1-4
    solidTile(4, 1);
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(1));
    // Through the data port: the pattern word becomes tile 2.
    test::writeWords(vdp, Target::VramWrite, kSprites + 4, {2});
    renderLine(1);
    EXPECT_EQ(at(1, 0), colour(2));
    // Directly in VRAM, as a loaded state does: a second sprite linked in.
    sprite(7, 40, 0, 1, 4, 3, 0);
    vdp.vram[kSprites + 3] = 7;
    renderLine(2);
    EXPECT_EQ(at(2, 40), colour(3));
    // Another table: sprite 0 there sits at x = 80.
    const uint32_t other = 0xDA00;
    word(other, 128);
    vdp.vram[other + 2] = 0x03;
    vdp.vram[other + 3] = 0;
    word(other + 4, 3);
    word(other + 6, 128 + 80);
    setRegister(vdp, 5, other >> 9);
    renderLine(3);
    EXPECT_EQ(at(3, 0), colour(0));
    EXPECT_EQ(at(3, 80), colour(3));
    // Interlace halves Y: Y word 128 is now line -64, off the screen.
    setRegister(vdp, 12, 0x83);
    renderLine(4);
    EXPECT_NE(at(4, 80), colour(3));
    // 32-cell mode moves sprites 32 pixels right.
    setRegister(vdp, 12, 0x00);
    renderLine(5);
    EXPECT_EQ(at(5, 80), colour(0));
    EXPECT_EQ(at(5, 112), colour(3));
}

TEST_F(RendererTest, TallSpritesAcrossBandsAndScreenEdges) {
    solidTile(1, 1);
    for (uint32_t t = 2; t < 6; ++t) solidTile(t, 2);
    sprite(0, 0, -20, 1, 4, 1, 1);   // lines -20 to 11, tile 1 above the screen
    sprite(1, 16, 205, 1, 4, 2, 2);  // lines 205 to 236
    sprite(2, 32, 3, 1, 4, 2, 0);    // lines 3 to 34: five bands
    render();
    EXPECT_EQ(at(0, 0), colour(2));
    EXPECT_EQ(at(11, 0), colour(2));
    EXPECT_EQ(at(12, 0), colour(0));
    EXPECT_EQ(at(204, 16), colour(0));
    EXPECT_EQ(at(205, 16), colour(2));
    EXPECT_EQ(at(223, 16), colour(2));
    EXPECT_EQ(at(2, 32), colour(0));
    EXPECT_EQ(at(3, 32), colour(2));
    EXPECT_EQ(at(34, 32), colour(2));
    EXPECT_EQ(at(35, 32), colour(0));
}

// ---- layer switches ---------------------------------------------------------------------

TEST_F(RendererTest, LayerSwitchesRemoveTheirLayer) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    solidTile(4, 4);
    planeCell(kPlaneB, 64, 0, 0, 1);
    planeCell(kPlaneA, 64, 1, 0, 2);
    planeCell(kWindow, 64, 2, 27, 3);
    setRegister(vdp, 18, 0x9B);  // row 27 in the band
    sprite(0, 24, 0, 1, 1, 4, 0);
    struct Case {
        uint32_t Vdp::*flag;
        int line, x;
        uint32_t shown;
    } cases[] = {{&Vdp::showPlaneB, 0, 0, 1},
                 {&Vdp::showPlaneA, 0, 8, 2},
                 {&Vdp::showWindow, 216, 16, 3},
                 {&Vdp::showSprites, 0, 24, 4}};
    for (const Case& c : cases) {
        render();
        EXPECT_EQ(at(c.line, c.x), colour(c.shown));
        vdp.*c.flag = 0;
        render();
        EXPECT_EQ(at(c.line, c.x), colour(0));
        vdp.*c.flag = 1;
    }
}

// ---- interlace ---------------------------------------------------------------------------

TEST_F(RendererTest, InterlaceHalvesSpriteYAndScrollAndReadsRowsEightBytesApart) {
    setRegister(vdp, 12, 0x83);
    // Tile 1 in the 64-byte layout: row r at 64 + 8r, only its first 4 bytes drawn.
    for (uint32_t r = 0; r < 8; ++r) {
        for (uint32_t b = 0; b < 4; ++b) vdp.vram[64 + r * 8 + b] = static_cast<uint8_t>((r + 1) * 0x11);
        for (uint32_t b = 4; b < 8; ++b) vdp.vram[64 + r * 8 + b] = 0xFF;
    }
    planeCell(kPlaneB, 64, 0, 1, 1);
    vdp.vsram[2] = 0;
    vdp.vsram[3] = 2 * 10;  // halved: 10 lines
    word(kHScroll + 2, 0);
    renderLine(0);
    EXPECT_EQ(at(0, 0), colour(3));  // plane line 10: name row 1, tile row 2
    EXPECT_EQ(at(0, 8), colour(0));
    // Sprite Y word 2 * (128 + 20) lands on line 20.
    const uint32_t e = kSprites;
    word(e, 2 * (128 + 20));
    vdp.vram[e + 2] = 0;
    vdp.vram[e + 3] = 0;
    word(e + 4, 1);
    word(e + 6, 128 + 100);
    renderLine(19);
    renderLine(20);
    EXPECT_EQ(at(19, 100), colour(0));
    EXPECT_EQ(at(20, 100), colour(1));
}

// ---- addresses past the end of VRAM -------------------------------------------------------

TEST_F(RendererTest, TableAddressesFromLargeRegisterValuesWrapIntoVram) {
    solidTile(1, 1);
    solidTile(2, 2);
    solidTile(3, 3);
    setRegister(vdp, 2, 0xFF);   // plane A at 0x3FC00 -> 0xFC00
    setRegister(vdp, 4, 0xFF);   // plane B at 0x1FE000 -> 0xE000
    setRegister(vdp, 5, 0xFF);   // sprites at 0x1FE00 -> 0xFE00
    setRegister(vdp, 13, 0xBE);  // scroll table at 0xF800 (bits 6-7 unused)
    setRegister(vdp, 16, 0x11);
    word(0xFC00 + 4, 1);                   // plane A cell 2
    word(0xE000 + 6, 2);                   // plane B cell 3
    const uint32_t e = 0xFE00;
    word(e, 128);
    vdp.vram[e + 2] = 0;
    vdp.vram[e + 3] = 0;
    word(e + 4, 3);
    word(e + 6, 128 + 40);
    renderLine(0);
    EXPECT_EQ(at(0, 16), colour(1));
    EXPECT_EQ(at(0, 24), colour(2));
    EXPECT_EQ(at(0, 40), colour(3));
}

TEST_F(RendererTest, EveryRegisterAtItsLargestValueStaysInsideItsMemories) {
    for (uint32_t r = 0; r < 24; ++r) setRegister(vdp, r, 0xFF);
    for (uint32_t a = 0; a < kVramSize; ++a) vdp.vram[a] = static_cast<uint8_t>(a * 7 + 3);
    for (uint32_t a = 0; a < kVsramSize; ++a) vdp.vsram[a] = 0xFF;
    render();
    setRegister(vdp, 12, 0xFE);
    render();
    // The interlaced tile 0x7FF reads its rows at 0x1FFC0 + 8r, that is 0xFFC0 + 8r.
    SUCCEED();  // the sanitizers watch every access
}

}  // namespace
}  // namespace vimo
