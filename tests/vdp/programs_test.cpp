// 68000 programs running in the whole machine set up pictures through the
// VDP ports and by DMA; each frame the machine draws is compared pixel for
// pixel with the picture the plain reference model makes of the same scene,
// which the test builds from the formulas the program's tables follow (see
// the programs' headers) and the documented memory formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "reference.h"
#include "vdp_programs.h"
#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::VdpImage;

constexpr uint32_t kParams = 0xFF0000;
constexpr uint32_t kResults = 0xFF0100;
constexpr uint32_t kUnexpected = 0xFFFFF0;

class VdpProgram : public ::testing::Test {
protected:
    void load(std::span<const uint8_t> image) {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() /
            ("vimo_vdp_program_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".bin");
        FILE* file = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(image.data(), 1, image.size(), file), image.size());
        std::fclose(file);
        const int32_t result = machine->loadRomFile(path.string().c_str());
        std::filesystem::remove(path);
        ASSERT_EQ(result, 0);
    }
    // Work RAM holds each 68000 word with its bytes swapped.
    void setParam(uint32_t offset, uint16_t value) {
        const uint32_t a = (kParams + offset) & 0xFFFF;
        machine->ram[a ^ 1] = static_cast<uint8_t>(value >> 8);
        machine->ram[(a + 1) ^ 1] = static_cast<uint8_t>(value);
    }
    uint16_t ramWord(uint32_t address) const {
        const uint32_t a = address & 0xFFFF;
        return static_cast<uint16_t>((machine->ram[a ^ 1] << 8) | machine->ram[(a + 1) ^ 1]);
    }
    uint32_t ramLong(uint32_t address) const {
        return (static_cast<uint32_t>(ramWord(address)) << 16) | ramWord(address + 2);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    }
    std::vector<uint16_t> drawFrame() {
        test::Surface surface;
        const FrameBufferDesc desc = surface.desc();
        EXPECT_EQ(machine->runFrame(&desc, nullptr), 0);
        return test::picture(surface);
    }
    void expectPicture(const std::vector<uint16_t>& actual, const std::vector<uint16_t>& expected,
                       const std::string& name) {
        size_t mismatches = 0;
        size_t first = 0;
        for (size_t i = 0; i < actual.size(); ++i) {
            if (actual[i] != expected[i]) {
                if (mismatches++ == 0) first = i;
            }
        }
        if (mismatches != 0) {
            test::writePng(test::outputPath(name + "_actual.png"), actual, machine->vdp.pixelFormat);
            test::writePng(test::outputPath(name + "_expected.png"), expected, machine->vdp.pixelFormat);
        }
        EXPECT_EQ(mismatches, 0u) << name << ": first at x=" << first % 320 << " line=" << first / 320
                                  << " (PNGs written as " << name << "_actual.png / _expected.png)";
    }
    void TearDown() override {
        EXPECT_NE(ramLong(kUnexpected), 0xDEADDEADu) << "the program took an unexpected exception";
    }

    std::unique_ptr<Machine> machine = std::make_unique<Machine>();
};

// ---- colour bars from the H interrupt ---------------------------------------------

// Line n's colour: c = (37n + 5) mod 512 with red c & 7, green (c >> 3) & 7,
// blue c >> 6.
uint16_t barColour(uint32_t line) {
    const uint32_t c = (line * 37 + 5) & 511;
    return static_cast<uint16_t>(((c & 7) << 1) | (((c >> 3) & 7) << 5) | (((c >> 6) & 7) << 9));
}

TEST_F(VdpProgram, ColourBarsChangedPerLineFromTheHInterrupt) {
    for (uint32_t reg12 : {0x81u, 0x00u}) {
        for (uint32_t format : {kPixelFormatRgb565, kPixelFormatRgb555}) {
            machine = std::make_unique<Machine>();
            load(programs::vdp_colour_bars());
            setParam(0, static_cast<uint16_t>(reg12));
            run(3);
            machine->vdp.pixelFormat = format;
            const std::vector<uint16_t> actual = drawFrame();
            std::vector<uint16_t> expected(320 * 224);
            for (uint32_t line = 0; line < 224; ++line) {
                for (uint32_t x = 0; x < 320; ++x) expected[line * 320 + x] = test::hostPixel(barColour(line), format);
            }
            expectPicture(actual, expected,
                          "program_colour_bars_" + std::to_string(reg12) + "_" + std::to_string(format));
            EXPECT_GE(ramLong(kResults), 3u) << "V interrupts taken";
        }
    }
}

// ---- scenes through the ports and DMA --------------------------------------------------

struct SceneParams {
    const char* name;
    uint16_t reg11, reg12, reg16, reg17, reg18;
    uint16_t planeALow;
    uint16_t vScrollA, vScrollB;
    uint16_t hScrollA, hStepA, hScrollB, hStepB;
    uint16_t sprites;
};

// The tables of vdp_scene.s, entry by entry.
uint32_t mod(uint32_t v, uint32_t m) { return v % m; }

uint8_t patternPixel(uint32_t t, uint32_t x, uint32_t y) {
    if (t == 0) return 0;
    const uint32_t v = t + x + 3 * y;
    return static_cast<uint8_t>(t < 96 ? (v & 15) : 1 + mod(v, 15));
}

uint16_t sceneColour(uint32_t i) {
    return static_cast<uint16_t>((((5 * i + 1) & 7) << 1) | (((3 * i + 2) & 7) << 5) | (((7 * i + 5) & 7) << 9));
}

uint16_t planeAEntry(uint32_t k, bool low) {
    return static_cast<uint16_t>((1 + mod(7 * k, 95)) | (((k >> 1) & 3) << 13) | (low ? 0 : (((5 * k) >> 2) & 1) << 15) |
                                 (((k >> 2) & 1) << 11) | (((k >> 3) & 1) << 12));
}

uint16_t planeBEntry(uint32_t k) {
    return static_cast<uint16_t>((1 + mod(11 * k, 95)) | (((k >> 2) & 3) << 13) | ((((3 * k) >> 1) & 1) << 15) |
                                 (((k >> 1) & 1) << 11) | (((k >> 4) & 1) << 12));
}

uint16_t windowEntry(uint32_t k) {
    return static_cast<uint16_t>((96 + (k & 31)) | (((k >> 1) & 3) << 13) | (((k >> 3) & 1) << 15) | ((k & 1) << 11) |
                                 (((k >> 2) & 1) << 12));
}

struct SceneSprite {
    int x, y, w, h, link, tile, palette, priority, hflip, vflip;
};
constexpr SceneSprite kSceneSprites[] = {
    {20, 20, 1, 1, 1, 1, 0, 0, 0, 0},      {24, 24, 2, 2, 13, 10, 1, 0, 1, 0},   {60, 10, 3, 1, 3, 20, 2, 1, 0, 1},
    {100, 10, 4, 1, 4, 30, 3, 1, 1, 1},    {150, 30, 1, 2, 7, 40, 0, 0, 0, 0},   {170, 30, 2, 3, 6, 50, 1, 1, 1, 0},
    {200, 40, 3, 4, 2, 60, 2, 1, 0, 1},    {-12, 70, 4, 2, 8, 5, 3, 0, 1, 0},    {300, 80, 4, 4, 9, 70, 0, 1, 0, 1},
    {140, -10, 2, 4, 10, 80, 1, 0, 0, 0},  {240, 210, 1, 4, 15, 90, 2, 1, 1, 1}, {40, 120, 4, 3, 5, 3, 2, 0, 0, 0},
    {56, 128, 3, 3, 11, 33, 3, 0, 0, 1},   {64, 136, 2, 1, 12, 44, 0, 0, 0, 0},  {160, 160, 1, 3, 16, 15, 1, 1, 0, 0},
    {164, 168, 3, 2, 14, 25, 2, 1, 1, 0},  {200, 100, 4, 4, 17, 35, 3, 0, 1, 1}, {250, 150, 2, 2, 18, 55, 1, 1, 0, 0},
    {280, 20, 3, 2, 19, 65, 2, 0, 0, 0},   {10, 180, 4, 1, 0, 75, 3, 1, 0, 1},
};

void putWord(VdpImage& m, uint32_t address, uint32_t value) {
    m.vram[address & 0xFFFF] = static_cast<uint8_t>(value >> 8);
    m.vram[(address + 1) & 0xFFFF] = static_cast<uint8_t>(value);
}

VdpImage sceneImage(const SceneParams& p) {
    VdpImage m;
    for (uint32_t t = 0; t < 128; ++t)
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t b = 0; b < 4; ++b)
                m.vram[t * 32 + y * 4 + b] =
                    static_cast<uint8_t>((patternPixel(t, 2 * b, y) << 4) | patternPixel(t, 2 * b + 1, y));
    for (uint32_t i = 0; i < 64; ++i) m.cram[i] = sceneColour(i);
    for (uint32_t k = 0; k < 4096; ++k) {
        putWord(m, 0xC000 + 2 * k, planeAEntry(k, p.planeALow != 0));
        putWord(m, 0xE000 + 2 * k, planeBEntry(k));
    }
    for (uint32_t k = 0; k < 2048; ++k) putWord(m, 0xB000 + 2 * k, windowEntry(k));
    if (p.sprites != 0) {
        for (uint32_t s = 0; s < std::size(kSceneSprites); ++s) {
            const SceneSprite& sp = kSceneSprites[s];
            const uint32_t e = 0xAC00 + 8 * s;
            putWord(m, e, static_cast<uint32_t>(sp.y + 128));
            m.vram[e + 2] = static_cast<uint8_t>(((sp.w - 1) << 2) | (sp.h - 1));
            m.vram[e + 3] = static_cast<uint8_t>(sp.link);
            putWord(m, e + 4,
                    static_cast<uint32_t>(sp.tile | (sp.palette << 13) | (sp.priority << 15) | (sp.hflip << 11) |
                                          (sp.vflip << 12)));
            putWord(m, e + 6, static_cast<uint32_t>(sp.x + 128));
        }
    }
    uint16_t a = p.hScrollA;
    uint16_t b = p.hScrollB;
    for (uint32_t line = 0; line < 224; ++line) {
        putWord(m, 0xA800 + 4 * line, a);
        putWord(m, 0xA800 + 4 * line + 2, b);
        a = static_cast<uint16_t>(a + p.hStepA);
        b = static_cast<uint16_t>(b + p.hStepB);
    }
    m.vsram[0] = p.vScrollA;
    m.vsram[1] = p.vScrollB;
    m.regs[1] = 0x44;
    m.regs[2] = 0xC000 >> 10;
    m.regs[3] = 0xB000 >> 10;
    m.regs[4] = 0xE000 >> 13;
    m.regs[5] = 0xAC00 >> 9;
    m.regs[7] = 0x2B;
    m.regs[11] = static_cast<uint8_t>(p.reg11);
    m.regs[12] = static_cast<uint8_t>(p.reg12);
    m.regs[13] = 0xA800 >> 10;
    m.regs[15] = 2;
    m.regs[16] = static_cast<uint8_t>(p.reg16);
    m.regs[17] = static_cast<uint8_t>(p.reg17);
    m.regs[18] = static_cast<uint8_t>(p.reg18);
    return m;
}

// Plane A keeps no horizontal scroll and low priority wherever a window
// takes a part of its lines.
constexpr SceneParams kScenes[] = {
    {"whole_64x32", 0, 0x81, 0x01, 0, 0, 0, 13, 0x105, 5, 0, 0x3F3, 0, 1},
    {"cells_32x64", 2, 0x81, 0x10, 0, 0, 0, 0x1F7, 40, 3, 7, 0x200, 0xFFF5, 1},
    {"lines_128x32", 3, 0x81, 0x03, 0, 0, 0, 2, 0x3F0, 0, 3, 0x80, 0xFFFE, 1},
    {"lines_64x64", 3, 0x81, 0x11, 0, 0, 0, 0x123, 0x1FF, 0x3FF, 1, 17, 5, 1},
    {"whole_32x128", 0, 0x81, 0x30, 0, 0, 0, 0x3A0, 77, 0x111, 0, 0x222, 0, 1},
    {"h32_cells_32x32", 2, 0x00, 0x00, 0, 0, 0, 9, 250, 0xFFF0, 2, 6, 0xFFFD, 1},
    {"h32_lines_64x32", 3, 0x00, 0x01, 0, 0, 0, 0, 0, 1, 1, 0x1F0, 3, 1},
    {"window_left", 3, 0x81, 0x01, 0x05, 0, 1, 31, 19, 0, 0, 0x15, 1, 1},
    {"window_right", 2, 0x81, 0x01, 0x8C, 0, 1, 7, 3, 0, 0, 0x333, 0xFFF8, 1},
    {"window_top", 0, 0x81, 0x11, 0, 0x07, 1, 100, 200, 0, 0, 0x2A, 0, 1},
    {"window_bottom", 3, 0x81, 0x01, 0, 0x95, 0, 70, 5, 9, 2, 0x10, 1, 1},
    {"window_h32_right_and_top", 0, 0x00, 0x01, 0x8A, 0x04, 1, 1, 2, 0, 0, 0x99, 0, 1},
    {"no_sprites", 3, 0x81, 0x01, 0, 0, 0, 4, 8, 16, 1, 32, 2, 0},
};

TEST_F(VdpProgram, ScenesThroughThePortsAndDma) {
    for (const SceneParams& p : kScenes) {
        SCOPED_TRACE(p.name);
        machine = std::make_unique<Machine>();
        load(programs::vdp_scene());
        const uint16_t params[] = {p.reg11,  p.reg12,  p.reg16,  p.reg17,  p.reg18,  p.planeALow, p.vScrollA,
                                   p.vScrollB, p.hScrollA, p.hStepA, p.hScrollB, p.hStepB, p.sprites};
        for (uint32_t i = 0; i < std::size(params); ++i) setParam(2 * i, params[i]);
        run(2);
        ASSERT_EQ(ramLong(kResults), 0x5CE7E000u) << "the program did not finish its set-up";
        const std::vector<uint16_t> actual = drawFrame();
        expectPicture(actual, test::referencePicture(sceneImage(p), machine->vdp.pixelFormat),
                      std::string("program_scene_") + p.name);
    }
}

TEST_F(VdpProgram, SceneInRgb555) {
    const SceneParams& p = kScenes[3];
    load(programs::vdp_scene());
    const uint16_t params[] = {p.reg11,  p.reg12,  p.reg16,  p.reg17,  p.reg18,  p.planeALow, p.vScrollA,
                               p.vScrollB, p.hScrollA, p.hStepA, p.hScrollB, p.hStepB, p.sprites};
    for (uint32_t i = 0; i < std::size(params); ++i) setParam(2 * i, params[i]);
    run(2);
    machine->vdp.pixelFormat = kPixelFormatRgb555;
    expectPicture(drawFrame(), test::referencePicture(sceneImage(p), kPixelFormatRgb555), "program_scene_rgb555");
}

// ---- DMA and the data port read back ----------------------------------------------------

TEST_F(VdpProgram, DmaFillAndCopyReadBackThroughTheDataPort) {
    load(programs::vdp_dma_readback());
    run(1);
    ASSERT_EQ(ramLong(kResults + 0x80), 0xD0A1D0A1u) << "the program did not finish";
    auto source = [](uint32_t i) { return static_cast<uint16_t>(0x1357 * i + 0x2468); };
    auto sourceByte = [&](uint32_t n) { return static_cast<uint8_t>(n % 2 == 0 ? source(n / 2) >> 8 : source(n / 2)); };

    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(ramWord(kResults + 2 * i), source(i)) << "transfer word " << i;

    // 20 bytes copied one by one from 0x1000 to 0x2001.
    std::vector<uint8_t> copied(24, 0);
    for (uint32_t n = 0; n < 20; ++n) copied[1 + n] = sourceByte(n);
    for (uint32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(ramWord(kResults + 0x20 + 2 * i), (copied[2 * i] << 8) | copied[2 * i + 1]) << "copy word " << i;
    }

    // The fill reaches every byte from 0x3000 on; nothing before it.
    EXPECT_EQ(ramWord(kResults + 0x40), 0x0000);
    for (uint32_t i = 1; i < 9; ++i) EXPECT_EQ(ramWord(kResults + 0x40 + 2 * i), 0x5A5A) << "fill word " << i;

    const uint16_t cram[] = {0x0E00, 0x00E0, 0x000E, 0x0AC6};
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ramWord(kResults + 0x60 + 2 * i), cram[i]);
    EXPECT_EQ(ramWord(kResults + 0x68), 0x0123);
    EXPECT_EQ(ramWord(kResults + 0x6A), 0x03FF);
    for (uint32_t i = 0; i < 8; ++i) {
        const uint32_t colour = (((3 * i) & 7) << 1) | (((5 * i + 1) & 7) << 5) | (((7 - i) & 7) << 9);
        EXPECT_EQ(ramWord(kResults + 0x70 + 2 * i), colour) << "CRAM word " << i;
    }
}

}  // namespace
}  // namespace vimo
