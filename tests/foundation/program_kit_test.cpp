// The test-program kit: sources assembled at build time must arrive in the
// test as the exact bytes the 68000 (or Z80) would fetch, first byte at
// address 0. Expected bytes are the instructions' published encodings.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "vimo_foundation_m68k_programs.h"
#include "vimo_foundation_z80_programs.h"

namespace {

std::vector<uint8_t> bytesAt(std::span<const uint8_t> image, std::size_t offset, std::size_t count) {
    if (offset + count > image.size()) {
        ADD_FAILURE() << "image of " << image.size() << " bytes has no bytes " << offset << ".."
                      << offset + count - 1;
        return {};
    }
    return {image.begin() + static_cast<std::ptrdiff_t>(offset),
            image.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

using Bytes = std::vector<uint8_t>;

TEST(M68kProgramKit, ImageStartsWithTheVectorTableAtAddressZero) {
    auto image = vimo::programs::kit_vectors();
    // Initial SSP 0x00008000 and initial PC 0x00000100, big-endian longs.
    EXPECT_EQ(bytesAt(image, 0, 4), (Bytes{0x00, 0x00, 0x80, 0x00}));
    EXPECT_EQ(bytesAt(image, 4, 4), (Bytes{0x00, 0x00, 0x01, 0x00}));
    // .org fills the gap between the vectors and the code with zeros.
    EXPECT_EQ(bytesAt(image, 8, 0xF8), Bytes(0xF8, 0x00));
}

TEST(M68kProgramKit, InstructionsHaveTheirDocumentedEncodings) {
    auto image = vimo::programs::kit_vectors();
    ASSERT_EQ(image.size(), 0x110u);  // code at 0x100, 16 bytes of it
    EXPECT_EQ(bytesAt(image, 0x100, 2), (Bytes{0x4E, 0x71}));              // nop
    EXPECT_EQ(bytesAt(image, 0x102, 2), (Bytes{0x70, 0x01}));              // moveq #1,d0
    EXPECT_EQ(bytesAt(image, 0x104, 4), (Bytes{0x32, 0x3C, 0x12, 0x34}));  // move.w #$1234,d1
    EXPECT_EQ(bytesAt(image, 0x108, 4), (Bytes{0x4E, 0x72, 0x27, 0x00}));  // stop #$2700
    EXPECT_EQ(bytesAt(image, 0x10C, 2), (Bytes{0x4A, 0xFC}));              // illegal
    EXPECT_EQ(bytesAt(image, 0x10E, 2), (Bytes{0x4E, 0x75}));              // rts
}

TEST(M68kProgramKit, DataDirectivesAreBigEndianAndAligned) {
    auto image = vimo::programs::kit_data();
    // Bytes in order, one pad byte from .even, then a word and a long high
    // byte first, the short branch to itself, and a last odd byte.
    EXPECT_EQ(bytesAt(image, 0, 13),
              (Bytes{0x11, 0x22, 0x33, 0x00, 0xAB, 0xCD, 0x01, 0x23, 0x45, 0x67, 0x60, 0xFE, 0x5A}));
    // The assembler rounds a section up to its alignment, so an image may end
    // in zero padding, but never more than 3 bytes of it.
    ASSERT_GE(image.size(), 13u);
    EXPECT_LE(image.size(), 16u);
    for (std::size_t i = 13; i < image.size(); ++i) {
        EXPECT_EQ(image[i], 0x00) << "padding byte " << i;
    }
}

TEST(M68kProgramKit, ImagesAreDistinctAndStable) {
    // Each call returns the same embedded block; two programs do not share it.
    EXPECT_EQ(vimo::programs::kit_vectors().data(), vimo::programs::kit_vectors().data());
    EXPECT_NE(vimo::programs::kit_vectors().data(), vimo::programs::kit_data().data());
}

TEST(Z80ProgramKit, InstructionsHaveTheirDocumentedEncodings) {
    auto image = vimo::programs::kit_z80();
    // nop; ld a,$12; ld hl,$1234 (little-endian operand); jp $0100; halt
    EXPECT_EQ(bytesAt(image, 0, image.size()),
              (Bytes{0x00, 0x3E, 0x12, 0x21, 0x34, 0x12, 0xC3, 0x00, 0x01, 0x76}));
}

}  // namespace
