// CRAM colours to host pixels: all 512 colours in both 16-bit layouts, and
// the palette staying in step with CRAM, the pixel format and reset.
#include <gtest/gtest.h>

#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::Target;

// A CRAM colour is ----bbb-ggg-rrr-. The display shows each 3-bit level as
// the top three bits of an 8-bit channel; the host layouts keep the top 5
// (or 6 for RGB565 green) bits of each channel.
struct Rgb8 {
    uint32_t r, g, b;
};
Rgb8 channels(uint16_t colour) {
    return {((colour >> 1) & 7u) << 5, ((colour >> 5) & 7u) << 5, ((colour >> 9) & 7u) << 5};
}
uint32_t expectedRgb565(uint16_t colour) {
    const Rgb8 c = channels(colour);
    return ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
}
uint32_t expectedRgb555(uint16_t colour) {
    const Rgb8 c = channels(colour);
    return ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
}
uint16_t colourOf(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>((b << 9) | (g << 5) | (r << 1));
}

TEST(VdpPalette, All512ColoursInRgb565) {
    Vdp vdp;
    vdp.setPixelFormat(kPixelFormatRgb565);
    for (uint32_t c = 0; c < 512; ++c) {
        const uint16_t colour = colourOf(c & 7, (c >> 3) & 7, c >> 6);
        const uint32_t entry = c & 63;
        test::writeColour(vdp, entry, colour);
        ASSERT_EQ(vdp.palette[entry], expectedRgb565(colour)) << std::hex << colour;
    }
}

TEST(VdpPalette, All512ColoursInRgb555) {
    Vdp vdp;
    vdp.setPixelFormat(kPixelFormatRgb555);
    for (uint32_t c = 0; c < 512; ++c) {
        const uint16_t colour = colourOf(c & 7, (c >> 3) & 7, c >> 6);
        const uint32_t entry = (c * 7) & 63;
        test::writeColour(vdp, entry, colour);
        ASSERT_EQ(vdp.palette[entry], expectedRgb555(colour)) << std::hex << colour;
    }
}

TEST(VdpPalette, WhiteAndPrimaries) {
    Vdp vdp;
    test::writeColour(vdp, 1, 0x0EEE);
    test::writeColour(vdp, 2, 0x000E);
    test::writeColour(vdp, 3, 0x00E0);
    test::writeColour(vdp, 4, 0x0E00);
    EXPECT_EQ(vdp.palette[1], 0xE71Cu);
    EXPECT_EQ(vdp.palette[2], 0xE000u);
    EXPECT_EQ(vdp.palette[3], 0x0700u);
    EXPECT_EQ(vdp.palette[4], 0x001Cu);
    vdp.setPixelFormat(kPixelFormatRgb555);
    EXPECT_EQ(vdp.palette[1], 0x739Cu);
    EXPECT_EQ(vdp.palette[2], 0x7000u);
    EXPECT_EQ(vdp.palette[3], 0x0380u);
    EXPECT_EQ(vdp.palette[4], 0x001Cu);
}

TEST(VdpPalette, UnusedColourBitsAreIgnored) {
    Vdp vdp;
    test::writeColour(vdp, 5, 0xF111);
    EXPECT_EQ(vdp.palette[5], 0u);
    test::writeColour(vdp, 5, 0xFFFF);
    EXPECT_EQ(vdp.palette[5], 0xE71Cu);
}

TEST(VdpPalette, EachCramByteUpdatesItsEntry) {
    Vdp vdp;
    test::setRegister(vdp, 15, 1);
    test::setAddress(vdp, Target::CramWrite, 0x21);  // low byte of entry 16
    vdp.dataPortByte(0x00);  // a byte arrives as 0x00vv: 0x00 at 0x21, 0xvv at 0x22
    EXPECT_EQ(vdp.cram[0x21], 0x00);
    EXPECT_EQ(vdp.cram[0x22], 0x00);
    vdp.writeCram(0x23, 0x0E);
    EXPECT_EQ(vdp.palette[17], 0xE000u);
    vdp.writeCram(0x22, 0x0E);
    EXPECT_EQ(vdp.palette[17], 0xE01Cu);
}

// The palette follows a change of pixel format at once, whether it is made
// through setPixelFormat or on the field itself (as the host's surface lock
// does).
TEST(VdpPalette, FormatChangeRebuildsThePalette) {
    Vdp vdp;
    test::writeColour(vdp, 9, 0x0EEE);
    ASSERT_EQ(vdp.palette[9], 0xE71Cu);
    vdp.setPixelFormat(kPixelFormatRgb555);
    EXPECT_EQ(vdp.palette[9], 0x739Cu);

    vdp.pixelFormat = kPixelFormatRgb565;
    test::writeColour(vdp, 10, 0x000E);  // any CRAM write brings every entry up to date
    EXPECT_EQ(vdp.palette[9], 0xE71Cu);
    EXPECT_EQ(vdp.palette[10], 0xE000u);

    vdp.pixelFormat = kPixelFormatRgb555;
    test::Surface surface;
    FrameBufferDesc desc = surface.desc();
    test::setRegister(vdp, 7, 9);
    vdp.renderLine(&desc, 0);  // drawing brings it up to date too
    EXPECT_EQ(vdp.palette[9], 0x739Cu);
    EXPECT_EQ(surface.at(0, 100), 0x739C);
}

TEST(VdpPalette, ResetRebuildsFromTheClearedCram) {
    Vdp vdp;
    for (uint32_t e = 0; e < 64; ++e) test::writeColour(vdp, e, 0x0AAA);
    vdp.reset();
    for (uint32_t e = 0; e < 64; ++e) EXPECT_EQ(vdp.palette[e], 0u) << e;
}

TEST(VdpPalette, ConvertPaletteRebuildsAfterCramIsLoadedDirectly) {
    Vdp vdp;
    for (uint32_t e = 0; e < 64; ++e) {
        vdp.cram[2 * e] = 0x0E;
        vdp.cram[2 * e + 1] = 0xEE;
    }
    vdp.convertPalette();
    for (uint32_t e = 0; e < 64; ++e) EXPECT_EQ(vdp.palette[e], 0xE71Cu) << e;
}

TEST(VdpPalette, AnOtherFormatLeavesTheEntriesAsTheyWere) {
    Vdp vdp;
    test::writeColour(vdp, 3, 0x0EEE);
    vdp.setPixelFormat(32);
    EXPECT_EQ(vdp.palette[3], 0xE71Cu);
    test::writeColour(vdp, 3, 0x0000);
    EXPECT_EQ(vdp.palette[3], 0xE71Cu);
    vdp.setPixelFormat(kPixelFormatRgb565);
    EXPECT_EQ(vdp.palette[3], 0u);
}

}  // namespace
}  // namespace vimo
