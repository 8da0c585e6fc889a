// Whole pictures: scenes are built as memory images, loaded into the Vdp
// through its ports (or by DMA), rendered line by line, and compared pixel
// for pixel with the plain reference model. On a mismatch the actual and
// expected pictures are written as PNG files.
//
// The scenes stay within what the console itself draws the same way: no
// interlace, no plane size field 2, at most 20 sprites and 320 sprite pixels
// on a line, no sprite at X = 0, overlapping sprites share a priority,
// window cells are opaque, and plane A under a horizontal window keeps low
// priority and no horizontal scroll.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "reference.h"
#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::setAddress;
using test::setRegister;
using test::Target;
using test::VdpImage;

// Small deterministic generator, so every scene is the same on every run.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t below(uint32_t n) { return next() % n; }
    bool chance(uint32_t percent) { return below(100) < percent; }

private:
    uint32_t state_;
};

// VRAM layout of the scenes: patterns from 0, tables from 0x8000.
constexpr uint32_t kPlaneA = 0x8000;
constexpr uint32_t kPlaneB = 0xA000;
constexpr uint32_t kWindow = 0xC000;
constexpr uint32_t kSprites = 0xD000;
constexpr uint32_t kHScroll = 0xD400;
constexpr uint32_t kTileCount = 0x400;  // tiles 0-1023 at 0x0000-0x7FFF
constexpr uint32_t kOpaqueTiles = 0x380;  // tiles from here on have no transparent pixel

struct SceneOptions {
    uint32_t planeWidthField = 1;
    uint32_t planeHeightField = 0;
    uint32_t hScrollMode = 0;
    bool wideMode = true;
    uint32_t sprites = 0;
    uint32_t reg17 = 0;
    uint32_t reg18 = 0;
    bool scrollPlaneA = true;
    bool planeAHighAllowed = true;
};

void putWord(VdpImage& m, uint32_t address, uint32_t value) {
    m.vram[address & 0xFFFF] = static_cast<uint8_t>(value >> 8);
    m.vram[(address + 1) & 0xFFFF] = static_cast<uint8_t>(value);
}

uint32_t randomPattern(Random& rng, uint32_t firstTile, uint32_t tiles, bool highAllowed) {
    uint32_t p = firstTile + rng.below(tiles);
    p |= rng.below(4) << 13;
    if (rng.chance(30)) p |= 0x0800;
    if (rng.chance(30)) p |= 0x1000;
    if (highAllowed && rng.chance(35)) p |= 0x8000;
    return p;
}

void fillTiles(VdpImage& m, Random& rng) {
    for (uint32_t tile = 1; tile < kTileCount; ++tile) {
        const bool opaque = tile >= kOpaqueTiles;
        for (uint32_t row = 0; row < 8; ++row) {
            const bool emptyRow = !opaque && rng.chance(10);
            for (uint32_t b = 0; b < 4; ++b) {
                uint32_t byte = 0;
                for (int half = 0; half < 2; ++half) {
                    uint32_t nibble = emptyRow ? 0 : rng.below(16);
                    if (opaque && nibble == 0) nibble = 1 + rng.below(15);
                    if (!opaque && rng.chance(20)) nibble = 0;
                    byte = (byte << 4) | nibble;
                }
                m.vram[tile * 32 + row * 4 + b] = static_cast<uint8_t>(byte);
            }
        }
    }
}

struct SpriteBox {
    int left, top, width, height;
    bool high;
};

bool overlaps(const SpriteBox& a, const SpriteBox& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Sprites placed at random, the screen edges included, then linked in a
// shuffled order.
void placeSprites(VdpImage& m, Random& rng, uint32_t count, bool wideMode) {
    const int pictureWidth = wideMode ? 320 : 256;
    const int maxPerLine = wideMode ? 20 : 16;
    std::vector<SpriteBox> boxes;
    std::vector<uint32_t> patterns;
    std::vector<int> perLine(512, 0), pixelsPerLine(512, 0);
    int attempts = 0;
    while (boxes.size() < count && attempts++ < 20000) {
        SpriteBox box{};
        box.width = 8 * static_cast<int>(1 + rng.below(4));
        box.height = 8 * static_cast<int>(1 + rng.below(4));
        box.left = static_cast<int>(rng.below(static_cast<uint32_t>(pictureWidth + 40))) - 36;
        box.top = static_cast<int>(rng.below(224 + 40)) - 36;
        box.high = rng.chance(50);
        if (box.left + 128 <= 0) continue;  // X = 0 has a meaning of its own on the console
        bool fits = true;
        for (int y = box.top; y < box.top + box.height; ++y) {
            if (perLine[static_cast<size_t>(y + 128)] + 1 > maxPerLine ||
                pixelsPerLine[static_cast<size_t>(y + 128)] + box.width > pictureWidth) {
                fits = false;
            }
        }
        for (const SpriteBox& other : boxes) {
            if (overlaps(box, other) && other.high != box.high) fits = false;
        }
        if (!fits) continue;
        for (int y = box.top; y < box.top + box.height; ++y) {
            perLine[static_cast<size_t>(y + 128)] += 1;
            pixelsPerLine[static_cast<size_t>(y + 128)] += box.width;
        }
        boxes.push_back(box);
        uint32_t pattern = 1 + rng.below(kOpaqueTiles - 20);
        pattern |= rng.below(4) << 13;
        if (rng.chance(40)) pattern |= 0x0800;
        if (rng.chance(40)) pattern |= 0x1000;
        if (box.high) pattern |= 0x8000;
        patterns.push_back(pattern);
    }
    // Chain order: a shuffled list starting at sprite 0.
    std::vector<uint32_t> order(boxes.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    for (size_t i = order.size(); i > 2; --i) {
        std::swap(order[i - 1], order[1 + rng.below(static_cast<uint32_t>(i - 1))]);
    }
    for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t i = order[k];
        const SpriteBox& box = boxes[i];
        const uint32_t e = kSprites + 8 * i;
        putWord(m, e, static_cast<uint32_t>(box.top + 128));
        m.vram[e + 2] = static_cast<uint8_t>(((box.width / 8 - 1) << 2) | (box.height / 8 - 1));
        m.vram[e + 3] = static_cast<uint8_t>(k + 1 < order.size() ? order[k + 1] : 0);
        putWord(m, e + 4, patterns[i]);
        putWord(m, e + 6, static_cast<uint32_t>(box.left + 128));
    }
}

VdpImage buildScene(uint32_t seed, const SceneOptions& o) {
    Random rng(seed);
    VdpImage m;
    fillTiles(m, rng);
    for (uint32_t i = 0; i < 64; ++i) m.cram[i] = static_cast<uint16_t>(rng.next() & 0x0EEE);

    m.regs[0] = 0x04;
    m.regs[1] = 0x44;  // display on
    m.regs[2] = kPlaneA >> 10;
    m.regs[3] = kWindow >> 10;
    m.regs[4] = kPlaneB >> 13;
    m.regs[5] = kSprites >> 9;
    m.regs[7] = static_cast<uint8_t>(rng.below(64));
    m.regs[11] = static_cast<uint8_t>(o.hScrollMode);
    m.regs[12] = o.wideMode ? 0x81 : 0x00;
    m.regs[13] = kHScroll >> 10;
    m.regs[15] = 2;
    m.regs[16] = static_cast<uint8_t>((o.planeHeightField << 4) | o.planeWidthField);
    m.regs[17] = static_cast<uint8_t>(o.reg17);
    m.regs[18] = static_cast<uint8_t>(o.reg18);

    const uint32_t cells = 8192 / 2;  // the largest plane: 8 KB of name table
    for (uint32_t c = 0; c < cells; ++c) {
        putWord(m, kPlaneA + 2 * c, randomPattern(rng, 1, kTileCount - 1, o.planeAHighAllowed));
        putWord(m, kPlaneB + 2 * c, randomPattern(rng, 1, kTileCount - 1, true));
    }
    for (uint32_t c = 0; c < 64 * 32; ++c) {
        putWord(m, kWindow + 2 * c, randomPattern(rng, kOpaqueTiles, kTileCount - kOpaqueTiles, true));
    }
    for (uint32_t line = 0; line < 224; ++line) {
        putWord(m, kHScroll + 4 * line, o.scrollPlaneA ? rng.below(0x400) : 0);
        putWord(m, kHScroll + 4 * line + 2, rng.below(0x400));
    }
    m.vsram[0] = static_cast<uint16_t>(rng.below(0x400));
    m.vsram[1] = static_cast<uint16_t>(rng.below(0x400));
    placeSprites(m, rng, o.sprites, o.wideMode);
    return m;
}

// Loads an image through the ports the way a program does: registers, then
// VRAM, CRAM and VSRAM word by word with an increment of 2.
void loadThroughPorts(Vdp& vdp, const VdpImage& m) {
    for (uint32_t r = 0; r < 24; ++r) {
        if (r != 1) setRegister(vdp, r, m.regs[r]);
    }
    setRegister(vdp, 15, 2);
    setAddress(vdp, Target::VramWrite, 0);
    for (uint32_t a = 0; a < 0x10000; a += 2) {
        vdp.dataPortWord(static_cast<uint32_t>((m.vram[a] << 8) | m.vram[a + 1]));
    }
    setAddress(vdp, Target::CramWrite, 0);
    for (uint16_t c : m.cram) vdp.dataPortWord(c);
    setAddress(vdp, Target::VsramWrite, 0);
    for (uint16_t v : m.vsram) vdp.dataPortWord(v);
    setRegister(vdp, 15, m.regs[15]);
    setRegister(vdp, 1, m.regs[1]);
}

void expectPicture(Vdp& vdp, const VdpImage& m, uint32_t pixelFormat, const std::string& name) {
    vdp.setPixelFormat(pixelFormat);
    test::Surface surface;
    test::renderFrame(vdp, surface);
    const std::vector<uint16_t> actual = test::picture(surface);
    const std::vector<uint16_t> expected = test::referencePicture(m, pixelFormat);
    size_t mismatches = 0;
    size_t first = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            if (mismatches == 0) first = i;
            ++mismatches;
        }
    }
    if (mismatches != 0) {
        test::writePng(test::outputPath(name + "_actual.png"), actual, pixelFormat);
        test::writePng(test::outputPath(name + "_expected.png"), expected, pixelFormat);
    }
    EXPECT_EQ(mismatches, 0u) << name << ": first at x=" << first % 320 << " line=" << first / 320
                              << " actual " << std::hex << actual[first] << " expected " << expected[first]
                              << " (PNGs written as " << name << "_actual.png / _expected.png)";
}

void runScene(const SceneOptions& options, uint32_t seed, uint32_t pixelFormat, const std::string& name) {
    const VdpImage image = buildScene(seed, options);
    Vdp vdp;
    loadThroughPorts(vdp, image);
    expectPicture(vdp, image, pixelFormat, name);
}

// ---- planes -------------------------------------------------------------

struct PlaneCase {
    uint32_t widthField;
    uint32_t heightField;
};
constexpr PlaneCase kPlaneSizes[] = {{0, 0}, {1, 0}, {3, 0}, {0, 1}, {1, 1}, {0, 3}};

TEST(VdpScenePlanes, EveryLegalSizeInEachScrollMode) {
    uint32_t seed = 100;
    for (uint32_t mode : {0u, 2u, 3u}) {
        for (const PlaneCase& size : kPlaneSizes) {
            SceneOptions o;
            o.planeWidthField = size.widthField;
            o.planeHeightField = size.heightField;
            o.hScrollMode = mode;
            const uint32_t w = (size.widthField == 3) ? 128u : 32u << size.widthField;
            const uint32_t h = (size.heightField == 3) ? 128u : 32u << size.heightField;
            runScene(o, ++seed, kPixelFormatRgb565,
                     "planes_mode" + std::to_string(mode) + "_" + std::to_string(w) + "x" + std::to_string(h));
        }
    }
}

TEST(VdpScenePlanes, ThirtyTwoCellModeInEachScrollMode) {
    uint32_t seed = 200;
    for (uint32_t mode : {0u, 2u, 3u}) {
        SceneOptions o;
        o.wideMode = false;
        o.hScrollMode = mode;
        o.planeWidthField = mode == 3 ? 3 : 0;
        runScene(o, ++seed, kPixelFormatRgb565, "planes_h32_mode" + std::to_string(mode));
    }
}

// ---- sprites --------------------------------------------------------------

TEST(VdpSceneSprites, ChainWithOverlapsSizesFlipsAndEdges) {
    for (uint32_t seed = 300; seed < 306; ++seed) {
        SceneOptions o;
        o.sprites = 80;
        runScene(o, seed, kPixelFormatRgb565, "sprites_" + std::to_string(seed));
    }
}

TEST(VdpSceneSprites, ThirtyTwoCellMode) {
    for (uint32_t seed = 320; seed < 323; ++seed) {
        SceneOptions o;
        o.sprites = 64;
        o.wideMode = false;
        runScene(o, seed, kPixelFormatRgb565, "sprites_h32_" + std::to_string(seed));
    }
}

// ---- window ------------------------------------------------------------------

struct WindowCase {
    const char* name;
    uint32_t reg17;
    uint32_t reg18;
};
constexpr WindowCase kWindows[] = {
    {"left", 0x06, 0x00},   {"right", 0x8B, 0x00}, {"top", 0x00, 0x09},
    {"bottom", 0x00, 0x94}, {"full", 0x00, 0x80},  {"left_and_bottom", 0x03, 0x98},
};

TEST(VdpSceneWindow, OnEachSide) {
    uint32_t seed = 400;
    for (bool wideMode : {true, false}) {
        for (const WindowCase& w : kWindows) {
            SceneOptions o;
            o.wideMode = wideMode;
            o.reg17 = w.reg17;
            o.reg18 = w.reg18;
            o.sprites = 30;
            o.scrollPlaneA = false;
            o.planeAHighAllowed = false;
            runScene(o, ++seed, kPixelFormatRgb565,
                     std::string("window_") + w.name + (wideMode ? "_h40" : "_h32"));
        }
    }
}

// In the window's vertical band plane A is not drawn at all, so plane A
// keeps its scroll and priorities there.
TEST(VdpSceneWindow, BandsWithScrolledPlaneA) {
    uint32_t seed = 450;
    for (uint32_t reg18 : {0x0Cu, 0x8Au, 0x80u}) {
        SceneOptions o;
        o.reg18 = reg18;
        o.sprites = 40;
        o.hScrollMode = 3;
        runScene(o, ++seed, kPixelFormatRgb565, "window_band_" + std::to_string(reg18));
    }
}

// ---- everything at once, both pixel formats ------------------------------------

TEST(VdpSceneBusy, AllLayersInBothPixelFormats) {
    for (uint32_t format : {kPixelFormatRgb565, kPixelFormatRgb555}) {
        SceneOptions o;
        o.sprites = 80;
        o.hScrollMode = 2;
        o.planeWidthField = 1;
        o.planeHeightField = 1;
        o.reg18 = 0x96;
        runScene(o, 500 + format, format, "busy_" + std::to_string(format));
    }
}

TEST(VdpSceneBusy, DisplayDisabledShowsOnlyTheBackground) {
    for (bool wideMode : {true, false}) {
        SceneOptions o;
        o.sprites = 40;
        o.wideMode = wideMode;
        VdpImage image = buildScene(600, o);
        image.regs[1] = 0x04;
        Vdp vdp;
        loadThroughPorts(vdp, image);
        expectPicture(vdp, image, kPixelFormatRgb565, wideMode ? "display_off_h40" : "display_off_h32");
    }
}

// ---- loaded by DMA ---------------------------------------------------------------

// A 68000 memory for the DMA: the scene's words laid out from 0xFF0000.
struct WorkRam {
    std::vector<uint16_t> words = std::vector<uint16_t>(0x8000, 0);
    static uint32_t read(void* context, uint32_t address) {
        const auto* self = static_cast<const WorkRam*>(context);
        return self->words[((address - 0xFF0000) >> 1) & 0x7FFF];
    }
};

void dmaFromRam(Vdp& vdp, WorkRam& ram, Target target, uint32_t destination, const uint8_t* bytes,
                uint32_t wordCount) {
    for (uint32_t i = 0; i < wordCount; ++i) {
        ram.words[i] = static_cast<uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    }
    setRegister(vdp, 19, wordCount & 0xFF);
    setRegister(vdp, 20, wordCount >> 8);
    setRegister(vdp, 21, 0x00);
    setRegister(vdp, 22, 0x80);
    setRegister(vdp, 23, 0x7F);  // source 0xFF0000
    setAddress(vdp, target, destination, true);
}

// The scene reaches the Vdp by 68000 DMA in 16 KB pieces, its plane B name
// table by a copy of plane A's and a fill, as a program would set it up.
TEST(VdpSceneDma, SceneLoadedByTransferFillAndCopy) {
    SceneOptions o;
    o.sprites = 60;
    o.hScrollMode = 3;
    VdpImage image = buildScene(700, o);
    // Plane B: the first 2 KB are plane A's, the rest one repeated word.
    std::copy(image.vram.begin() + kPlaneA, image.vram.begin() + kPlaneA + 0x800, image.vram.begin() + kPlaneB);
    for (uint32_t a = kPlaneB + 0x800; a < kPlaneB + 0x2000; a += 2) putWord(image, a, 0xA123);

    Vdp vdp;
    WorkRam ram;
    vdp.dmaReadWord = &WorkRam::read;
    vdp.dmaReadContext = &ram;
    for (uint32_t r = 0; r < 24; ++r) setRegister(vdp, r, image.regs[r]);
    setRegister(vdp, 1, 0x14);  // DMA on, display off while loading
    setRegister(vdp, 15, 2);
    // Everything but plane B's name table, in pieces of at most 16 KB.
    const uint32_t ranges[][2] = {{0x0000, kPlaneB}, {kPlaneB + 0x2000, 0x10000}};
    for (const auto& range : ranges) {
        for (uint32_t at = range[0]; at < range[1]; at += 0x4000) {
            const uint32_t bytes = std::min<uint32_t>(0x4000, range[1] - at);
            dmaFromRam(vdp, ram, Target::VramWrite, at, image.vram.data() + at, bytes / 2);
        }
    }
    uint8_t cramBytes[128];
    for (uint32_t i = 0; i < 64; ++i) {
        cramBytes[2 * i] = static_cast<uint8_t>(image.cram[i] >> 8);
        cramBytes[2 * i + 1] = static_cast<uint8_t>(image.cram[i]);
    }
    dmaFromRam(vdp, ram, Target::CramWrite, 0, cramBytes, 64);
    uint8_t vsramBytes[80];
    for (uint32_t i = 0; i < 40; ++i) {
        vsramBytes[2 * i] = static_cast<uint8_t>(image.vsram[i] >> 8);
        vsramBytes[2 * i + 1] = static_cast<uint8_t>(image.vsram[i]);
    }
    dmaFromRam(vdp, ram, Target::VsramWrite, 0, vsramBytes, 40);

    // Copy plane A's first 2 KB of name table to plane B, byte by byte.
    setRegister(vdp, 15, 1);
    setRegister(vdp, 19, 0x00);
    setRegister(vdp, 20, 0x08);
    setRegister(vdp, 21, kPlaneA & 0xFF);
    setRegister(vdp, 22, kPlaneA >> 8);
    setRegister(vdp, 23, 0xC0);
    vdp.controlPortWord(test::commandFirst(0x30, kPlaneB));
    vdp.controlPortWord(test::commandSecond(0x30, kPlaneB) | 0x80);

    // Fill the rest with 0xA123: the first data word is the fill value.
    setRegister(vdp, 15, 2);
    setRegister(vdp, 19, 0xFF);
    setRegister(vdp, 20, 0x0B);  // 0xBFF + 1 = 3072 words
    setRegister(vdp, 23, 0x80);
    setAddress(vdp, Target::VramWrite, kPlaneB + 0x800, true);
    vdp.dataPortWord(0xA123);

    setRegister(vdp, 15, image.regs[15]);
    setRegister(vdp, 1, image.regs[1]);
    expectPicture(vdp, image, kPixelFormatRgb565, "dma_scene");
}

}  // namespace
}  // namespace vimo
