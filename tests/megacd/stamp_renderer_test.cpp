// The stamp renderer against a reference model written here from the
// operation's documented formulas, over seeded random registers and word RAM;
// a 90-degree rotation against a plainly rotated pattern; the documented edge
// cases; and the font register.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "machine_test_util.h"
#include "vdp_test_util.h"

namespace vimo {
namespace {

using Bytes = std::vector<uint8_t>;

// Word RAM in 68000 byte order (byte o at index o), which the model reads.
Bytes wordRam68k(const Machine& m) {
    Bytes out(kWordRamSize);
    for (uint32_t o = 0; o < kWordRamSize; ++o) out[o] = m.wordRam[o ^ 1];
    return out;
}

void setWordRam68k(Machine& m, uint32_t offset, uint8_t value) { m.wordRam[(offset % kWordRamSize) ^ 1] = value; }

void setRegisterWord(Machine& m, uint32_t reg, uint32_t value) {
    m.subGateArray[reg] = static_cast<uint8_t>(value >> 8);
    m.subGateArray[reg + 1] = static_cast<uint8_t>(value);
}

// The operation on a 68000-order copy of word RAM, one pixel at a time.
struct ReferenceStamp {
    Bytes& ram;
    uint32_t flags, mapBase, cellHeight, imageBase, offset, hDots, vDots, trace, mode;

    uint32_t word(uint32_t o) const { return ram[o % kWordRamSize] << 8 | ram[(o + 1) % kWordRamSize]; }
    uint32_t nibble(uint32_t o, bool low) const { return low ? ram[o % kWordRamSize] & 15 : ram[o % kWordRamSize] >> 4; }

    void run() {
        const bool repeat = flags & 1, big = flags & 2, map4096 = flags & 4;
        const int64_t n = big ? 32 : 16, dots = map4096 ? 4096 : 256;
        for (uint32_t line = 0; line < vDots; ++line) {
            const uint32_t entry = trace + 8 * line;
            int64_t x = int64_t{word(entry)} * 256, y = int64_t{word(entry + 2)} * 256;
            const auto delta = [&](uint32_t d) { return (d & 0x8000) ? -int64_t{d & 0x7FFF} : int64_t{d}; };
            for (uint32_t dot = 0; dot < hDots; ++dot) {
                int64_t px = (x >> 11) & 0x1FFF, py = (y >> 11) & 0x1FFF;
                if (repeat) px %= dots, py %= dots;
                uint32_t mapWord = 0;
                if (px < dots && py < dots)
                    mapWord = word(mapBase + static_cast<uint32_t>(((py / n) * (dots / n) + px / n) * 2));
                plot(mapWord, n, px % n, py % n, (offset & 7) + dot, (offset >> 3) + line);
                x += delta(word(entry + 4)), y += delta(word(entry + 6));
            }
        }
    }

    void plot(uint32_t mapWord, int64_t n, int64_t sx, int64_t sy, uint32_t ix, uint32_t iy) {
        const int64_t l = n - 1;
        const std::array<std::pair<int64_t, int64_t>, 8> turned = {
            {{sx, sy}, {sy, sx}, {l - sx, l - sy}, {l - sy, l - sx}, {l - sx, sy}, {sy, l - sx}, {sx, l - sy}, {l - sy, sx}}};
        const auto [tx, ty] = turned[mapWord >> 13];
        const uint32_t stamp = n == 16 ? (mapWord & 0x7FF) * 128 : ((mapWord >> 2) & 0x1FF) * 512;
        const uint32_t source = nibble(stamp + static_cast<uint32_t>((tx / 8) * n * 4 + ty * 4 + (tx % 8) / 2), tx % 2);
        const uint32_t o = (imageBase + (iy + cellHeight * 8 * (ix / 8)) * 4 + (ix / 2) % 4) % kWordRamSize;
        const uint32_t old = nibble(o, ix % 2);
        if (mode == 3 || (mode == 1 && old != 0) || (mode == 2 && source == 0)) return;
        ram[o] = static_cast<uint8_t>(ix % 2 ? (ram[o] & 0xF0) | source : (ram[o] & 0x0F) | source << 4);
    }
};

class StampRenderer : public ::testing::Test {
protected:
    test::ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    void setRegisters(uint32_t flags, uint32_t map, uint32_t cells, uint32_t image, uint32_t offset, uint32_t h,
                      uint32_t v, uint32_t trace, uint32_t mode) {
        machine->subGateArray[0x59] = static_cast<uint8_t>(flags);
        setRegisterWord(*machine, 0x5A, map);
        machine->subGateArray[0x5D] = static_cast<uint8_t>(cells);
        setRegisterWord(*machine, 0x5E, image);
        setRegisterWord(*machine, 0x60, offset);
        setRegisterWord(*machine, 0x62, h);
        setRegisterWord(*machine, 0x64, v);
        setRegisterWord(*machine, 0x66, trace);
        machine->subGateArray[0x03] = static_cast<uint8_t>(mode << 3);
    }
};

// Every map and stamp size, orientation and write mode, with registers that
// place tables anywhere (near the end of word RAM included) and positions that
// run off the map in both directions.
TEST_F(StampRenderer, MatchesTheReferenceModel) {
    std::mt19937 random(1234);
    const auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    for (int round = 0; round < 64; ++round) {
        SCOPED_TRACE(round);
        for (uint32_t o = 0; o < kWordRamSize; ++o) machine->wordRam[o] = static_cast<uint8_t>(random());
        const uint32_t flags = round % 8, mode = (round / 8) % 4;
        const uint32_t map = below(0x10000), cells = below(32), image = below(0x10000), offset = below(0x10000);
        const uint32_t h = below(200), v = below(24), trace = below(0x10000);
        setRegisters(flags, map, cells, image, offset, h, v, trace, mode);
        // Tame trace entries in half the rounds, so most pixels land on the map.
        if (round < 32)
            for (uint32_t line = 0; line < v; ++line) {
                const uint32_t entry = trace * 4 + 8 * line;
                const uint32_t values[4] = {below(2048 * 8), below(2048 * 8), below(0x1000) | (below(2) << 15),
                                            below(0x1000) | (below(2) << 15)};
                for (uint32_t i = 0; i < 4; ++i) {
                    setWordRam68k(*machine, entry + 2 * i, static_cast<uint8_t>(values[i] >> 8));
                    setWordRam68k(*machine, entry + 2 * i + 1, static_cast<uint8_t>(values[i]));
                }
            }
        Bytes expected = wordRam68k(*machine);
        ReferenceStamp{expected, flags, map * 4, cells + 1, image * 4, offset, h, v, trace * 4, mode}.run();

        machine->graphicsIrqRequest = 0;
        machine->runStampOperation();
        ASSERT_TRUE(wordRam68k(*machine) == expected);
        EXPECT_EQ(machine->graphicsIrqRequest, 1u);
        EXPECT_EQ(machine->subGateArray[0x64] | machine->subGateArray[0x65], 0);
    }
}

// A 256x224 image of a 256x256 pattern turned by 90 degrees through the trace
// table (each line walks up one column of the pattern), against the pattern
// rotated by index arithmetic.
TEST_F(StampRenderer, RotatesAPatternByNinetyDegrees) {
    const auto pattern = [](uint32_t px, uint32_t py) { return (px / 16 + py / 16 * 3 + (px ^ py) / 5) & 15; };
    // 256-dot map of 16x16 stamps, stamp k at map entry k; stamps from 0x8000.
    constexpr uint32_t kMap = 0x4000, kImage = 0x20000, kTrace = 0x30000;
    for (uint32_t k = 0; k < 256; ++k) {
        setWordRam68k(*machine, kMap + 2 * k, static_cast<uint8_t>((0x100 + k) >> 8));
        setWordRam68k(*machine, kMap + 2 * k + 1, static_cast<uint8_t>(0x100 + k));
    }
    for (uint32_t py = 0; py < 256; ++py)
        for (uint32_t px = 0; px < 256; px += 2) {
            const uint32_t stamp = (0x100 + py / 16 * 16 + px / 16) * 128, sx = px % 16, sy = py % 16;
            setWordRam68k(*machine, stamp + (sx < 8 ? 0 : 64) + sy * 4 + (sx % 8) / 2,
                          static_cast<uint8_t>(pattern(px, py) << 4 | pattern(px + 1, py)));
        }
    for (uint32_t line = 0; line < 224; ++line) {
        const uint32_t entry[4] = {line * 8, 255 * 8 + 4, 0, 0x8800};   // X = line, Y = 255 going up
        for (uint32_t i = 0; i < 4; ++i) {
            setWordRam68k(*machine, kTrace + 8 * line + 2 * i, static_cast<uint8_t>(entry[i] >> 8));
            setWordRam68k(*machine, kTrace + 8 * line + 2 * i + 1, static_cast<uint8_t>(entry[i]));
        }
    }
    setRegisters(0, kMap / 4, 27, kImage / 4, 0, 256, 224, kTrace / 4, 0);
    machine->runStampOperation();

    std::vector<uint16_t> actual(320 * 224, 0), expected(320 * 224, 0);
    bool same = true;
    for (uint32_t y = 0; y < 224; ++y)
        for (uint32_t x = 0; x < 256; ++x) {
            const uint8_t byte = machine->wordRam[(kImage + (y + 28 * 8 * (x / 8)) * 4 + (x / 2) % 4) ^ 1];
            const uint32_t got = x % 2 ? byte & 15 : byte >> 4, want = pattern(y, 255 - x);
            same = same && got == want;
            actual[y * 320 + x] = static_cast<uint16_t>(got * 0x1084);
            expected[y * 320 + x] = static_cast<uint16_t>(want * 0x1084);
        }
    if (!same) {
        test::writePng(test::outputPath("stamp_rotation_actual.png"), actual, 16);
        test::writePng(test::outputPath("stamp_rotation_expected.png"), expected, 16);
    }
    EXPECT_TRUE(same) << "see stamp_rotation_actual.png and stamp_rotation_expected.png";
}

TEST_F(StampRenderer, DocumentedCases) {
    // Orientation 2 on a 16x16 stamp: image pixel (0, 0) shows stamp pixel
    // (15, 15). Position (32, 16), like (40, 20), uses entry 18 of a 256-dot
    // map of 16x16 stamps.
    setWordRam68k(*machine, 0x1000 + 36, 0x40), setWordRam68k(*machine, 0x1000 + 37, 0x02);   // stamp 2, orient. 2
    setWordRam68k(*machine, 2 * 128 + 64 + 15 * 4 + 3, 0x0C);        // stamp 2 pixel (15, 15) = 0xC
    const uint32_t entry[4] = {32 * 8 + 4, 16 * 8, 0, 0};
    for (uint32_t i = 0; i < 4; ++i) setWordRam68k(*machine, 0x2000 + 2 * i + 1, static_cast<uint8_t>(entry[i]));
    setWordRam68k(*machine, 0x2000, static_cast<uint8_t>(entry[0] >> 8));
    setRegisters(0, 0x1000 / 4, 0, 0x3000 / 4, 0, 1, 1, 0x2000 / 4, 0);
    machine->runStampOperation();
    EXPECT_EQ(machine->wordRam[0x3000 ^ 1], 0xC0);

    // vDots 0: nothing drawn, the interrupt requested at once.
    const Bytes before = wordRam68k(*machine);
    machine->graphicsIrqRequest = 0;
    setRegisters(0, 0, 0, 0, 0, 100, 0, 0, 0);
    machine->runStampOperation();
    EXPECT_TRUE(wordRam68k(*machine) == before);
    EXPECT_EQ(machine->graphicsIrqRequest, 1u);

    // Font colours 0x31 and bits 0x8001.
    machine->fontColour = 0x31;
    machine->fontBits = 0x8001;
    machine->expandFontBits();
    EXPECT_EQ(Bytes(machine->fontData, machine->fontData + 8), (Bytes{0x31, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13}));
}

}  // namespace
}  // namespace vimo
