// DMA: 68000-to-VDP transfers from a test source, VRAM fill and VRAM copy,
// with their lengths, enables, wraps and the fill's arming rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::setAddress;
using test::setRegister;
using test::Target;

// A 68000 memory seen by the DMA: every read is recorded; the word at an
// address is derived from it so each source word is distinct.
struct TestSource {
    std::vector<uint32_t> reads;
    static uint32_t wordAt(uint32_t address) { return (address * 0x0101u + 0x1357u) & 0xFFFF; }
    static uint32_t read(void* context, uint32_t address) {
        auto* self = static_cast<TestSource*>(context);
        self->reads.push_back(address);
        return wordAt(address);
    }
    void attach(Vdp& vdp) {
        vdp.dmaReadWord = &TestSource::read;
        vdp.dmaReadContext = this;
    }
};

void setLength(Vdp& vdp, uint32_t length) {
    setRegister(vdp, 19, length & 0xFF);
    setRegister(vdp, 20, (length >> 8) & 0xFF);
}

// Registers 21-23 hold the source address shifted right by one.
void setSource(Vdp& vdp, uint32_t address, uint32_t mode) {
    setRegister(vdp, 21, (address >> 1) & 0xFF);
    setRegister(vdp, 22, (address >> 9) & 0xFF);
    setRegister(vdp, 23, ((address >> 17) & 0x7F) | (mode << 6));
}

constexpr uint32_t kDisplayAndDma = 0x54;  // display on, DMA on, mode 5

TEST(VdpDmaRegisters, LengthAndSourceComeFromRegisters19To23) {
    Vdp vdp;
    setLength(vdp, 0xBEEF);
    EXPECT_EQ(vdp.dmaLength(), 0xBEEFu);
    setSource(vdp, 0xFF1234, 0);
    EXPECT_EQ(vdp.dmaSource(), 0xFF1234u);
    setRegister(vdp, 23, 0xBF);  // bit 7 (mode) does not reach the source; bit 6 does
    EXPECT_EQ(vdp.dmaSource(), 0x7F1234u);
}

// ---- 68000 to VDP -----------------------------------------------------------

TEST(VdpDma68000, CopiesWordsToVramFromConsecutiveSourceWords) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, 2);
    setLength(vdp, 3);
    setSource(vdp, 0x012340, 0);
    setAddress(vdp, Target::VramWrite, 0x0800, true);
    ASSERT_EQ(source.reads, (std::vector<uint32_t>{0x012340, 0x012342, 0x012344}));
    for (uint32_t i = 0; i < 3; ++i) {
        const uint32_t word = TestSource::wordAt(0x012340 + 2 * i);
        EXPECT_EQ(vdp.vram[0x800 + 2 * i], word >> 8);
        EXPECT_EQ(vdp.vram[0x801 + 2 * i], word & 0xFF);
    }
    EXPECT_EQ(vdp.vram[0x806], 0);
    EXPECT_EQ(vdp.address, 0x806u);
}

TEST(VdpDma68000, ModeBitSixIsPartOfTheSourceAndStillATransfer) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, kDisplayAndDma);
    setLength(vdp, 1);
    setSource(vdp, 0xFF0000, 0);  // register 23 = 0x7F: mode bits 01
    ASSERT_EQ(vdp.regs[23], 0x7F);
    setAddress(vdp, Target::VramWrite, 0, true);
    EXPECT_EQ(vdp.dmaMode, 1u);
    EXPECT_EQ(source.reads, (std::vector<uint32_t>{0xFF0000}));
}

TEST(VdpDma68000, LoadsCramAndVsramTooAndCramUpdatesThePalette) {
    Vdp vdp;
    std::vector<uint16_t> words = {0x0E00, 0x00E0, 0x000E};
    struct Source {
        std::vector<uint16_t>* words;
        static uint32_t read(void* c, uint32_t a) { return (*static_cast<Source*>(c)->words)[(a - 0x1000) / 2]; }
    } src{&words};
    vdp.dmaReadWord = &Source::read;
    vdp.dmaReadContext = &src;
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, 2);
    setLength(vdp, 3);
    setSource(vdp, 0x1000, 0);
    setAddress(vdp, Target::CramWrite, 2, true);
    EXPECT_EQ(vdp.cram[2], 0x0E);
    EXPECT_EQ(vdp.cram[3], 0x00);
    EXPECT_EQ(vdp.cram[5], 0xE0);
    EXPECT_EQ(vdp.cram[6], 0x00);
    EXPECT_EQ(vdp.cram[7], 0x0E);
    // Entry 1: blue 7; entry 2: green 7; entry 3: red 7 (RGB565).
    EXPECT_EQ(vdp.palette[1], 0x001Cu);
    EXPECT_EQ(vdp.palette[2], 0x0700u);
    EXPECT_EQ(vdp.palette[3], 0xE000u);

    setLength(vdp, 2);
    setSource(vdp, 0x1000, 0);
    setAddress(vdp, Target::VsramWrite, 0, true);
    EXPECT_EQ(vdp.vsram[0], 0x0E);
    EXPECT_EQ(vdp.vsram[3], 0xE0);
}

TEST(VdpDma68000, LengthZeroMoves65535Words) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, 2);
    setLength(vdp, 0);
    setSource(vdp, 0, 0);
    setAddress(vdp, Target::VramWrite, 0, true);
    EXPECT_EQ(source.reads.size(), 65535u);
    EXPECT_EQ(source.reads.back(), 2u * 65534u);
}

TEST(VdpDma68000, SourceIsNotWrappedAtAnyBoundary) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, kDisplayAndDma);
    setLength(vdp, 2);
    setSource(vdp, 0x01FFFE, 0);
    setAddress(vdp, Target::VramWrite, 0, true);
    EXPECT_EQ(source.reads, (std::vector<uint32_t>{0x01FFFE, 0x020000}));
}

TEST(VdpDma68000, NothingMovesWhileDmaIsDisabledButTheModeIsTaken) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, 0x44);
    setLength(vdp, 4);
    setSource(vdp, 0x1000, 0);
    setAddress(vdp, Target::VramWrite, 0, true);
    EXPECT_TRUE(source.reads.empty());
    EXPECT_EQ(vdp.dmaMode, 0u);
    setRegister(vdp, 23, 0xC0);
    setAddress(vdp, Target::VramWrite, 0, true);
    EXPECT_EQ(vdp.dmaMode, 3u);
}

TEST(VdpDma68000, StartsOnlyAtTheSecondHalf) {
    Vdp vdp;
    TestSource source;
    source.attach(vdp);
    setRegister(vdp, 1, kDisplayAndDma);
    setLength(vdp, 1);
    setSource(vdp, 0x2000, 0);
    // Leave a low half with CD5 set, then write a first half alone.
    setAddress(vdp, Target::VramWrite, 0, true);
    source.reads.clear();
    vdp.controlPortWord(0x4010);
    EXPECT_TRUE(source.reads.empty());
    vdp.controlPortWord(0x0080);
    EXPECT_EQ(source.reads.size(), 1u);
}

TEST(VdpDma68000, WithoutASourceReaderTheWordsAreZero) {
    Vdp vdp;
    std::memset(vdp.vram, 0xFF, 16);
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, 2);
    setLength(vdp, 2);
    setSource(vdp, 0x2000, 0);
    setAddress(vdp, Target::VramWrite, 0, true);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(vdp.vram[i], 0) << i;
    EXPECT_EQ(vdp.vram[4], 0xFF);
}

// ---- fill -----------------------------------------------------------------

void armFill(Vdp& vdp, uint32_t address, uint32_t length, uint32_t increment, Target target = Target::VramWrite) {
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, increment);
    setLength(vdp, length);
    setRegister(vdp, 23, 0x80);
    setAddress(vdp, target, address, true);
}

TEST(VdpDmaFill, WordFillAtAnOddAddressPutsTheLowByteBelow) {
    Vdp vdp;
    armFill(vdp, 0x0001, 1, 2);
    EXPECT_EQ(vdp.dmaMode, kDmaModeFill);
    vdp.dataPortWord(0xABCD);
    EXPECT_EQ(vdp.vram[1], 0xAB);
    EXPECT_EQ(vdp.vram[0], 0xCD);
    EXPECT_EQ(vdp.vram[3], 0xAB);
    EXPECT_EQ(vdp.vram[2], 0xCD);
    EXPECT_EQ(vdp.vram[4], 0x00);
    EXPECT_EQ(vdp.vram[5], 0x00);
    EXPECT_EQ(vdp.dmaMode, 0u);
    EXPECT_EQ(vdp.address, 5u);
}

TEST(VdpDmaFill, LengthLFillsLPlusOnePlaces) {
    Vdp vdp;
    armFill(vdp, 0x0100, 4, 2);
    vdp.dataPortWord(0x1122);
    for (uint32_t a = 0x100; a < 0x10A; a += 2) {
        EXPECT_EQ(vdp.vram[a], 0x11) << a;
        EXPECT_EQ(vdp.vram[a + 1], 0x22) << a;
    }
    EXPECT_EQ(vdp.vram[0x10A], 0);
    EXPECT_EQ(vdp.vram[0x0FF], 0);
}

TEST(VdpDmaFill, ByteFillWritesTheOtherByteOfEachWord) {
    Vdp vdp;
    armFill(vdp, 0x0200, 2, 1);
    vdp.dataPortByte(0x5A);
    // Addresses 0x200, 0x201, 0x202 with bit 0 flipped.
    EXPECT_EQ(vdp.vram[0x201], 0x5A);
    EXPECT_EQ(vdp.vram[0x200], 0x5A);
    EXPECT_EQ(vdp.vram[0x203], 0x5A);
    EXPECT_EQ(vdp.vram[0x202], 0x00);
    EXPECT_EQ(vdp.vram[0x204], 0x00);
}

TEST(VdpDmaFill, LengthZeroWrites65536Times) {
    Vdp vdp;
    armFill(vdp, 0x0000, 0, 1);
    vdp.dataPortByte(0xA5);
    for (uint32_t a = 0; a < kVramSize; ++a) ASSERT_EQ(vdp.vram[a], 0xA5) << a;
    EXPECT_EQ(vdp.address, 0x10000u);
}

TEST(VdpDmaFill, IncrementZeroFillsOnePlace) {
    Vdp vdp;
    armFill(vdp, 0x0300, 9, 0);
    vdp.dataPortWord(0x1234);
    EXPECT_EQ(vdp.vram[0x300], 0x12);
    EXPECT_EQ(vdp.vram[0x301], 0x34);
    EXPECT_EQ(vdp.vram[0x302], 0x00);
}

TEST(VdpDmaFill, DestinationWrapsPastTheTopOfVram) {
    Vdp vdp;
    armFill(vdp, 0xFFFE, 1, 2);
    vdp.dataPortWord(0x7788);
    EXPECT_EQ(vdp.vram[0xFFFE], 0x77);
    EXPECT_EQ(vdp.vram[0xFFFF], 0x88);
    EXPECT_EQ(vdp.vram[0x0000], 0x77);
    EXPECT_EQ(vdp.vram[0x0001], 0x88);
}

TEST(VdpDmaFill, AlwaysWritesVramWhateverTheAccessCode) {
    Vdp vdp;
    armFill(vdp, 0x0010, 0x01, 2, Target::CramWrite);
    vdp.dataPortWord(0x0EEE);
    EXPECT_EQ(vdp.vram[0x10], 0x0E);
    EXPECT_EQ(vdp.vram[0x11], 0xEE);
    for (uint32_t a = 0; a < kCramSize; ++a) EXPECT_EQ(vdp.cram[a], 0) << a;
}

TEST(VdpDmaFill, DisabledBeforeTheDataWriteConsumesItAndDisarms) {
    Vdp vdp;
    armFill(vdp, 0x0400, 3, 2);
    setRegister(vdp, 1, 0x44);
    setAddress(vdp, Target::VramWrite, 0x0400);  // a plain command keeps the fill armed
    EXPECT_EQ(vdp.dmaMode, kDmaModeFill);
    vdp.dataPortWord(0x1234);
    for (uint32_t a = 0x3F0; a < 0x410; ++a) EXPECT_EQ(vdp.vram[a], 0) << a;
    EXPECT_EQ(vdp.dmaMode, 0u);
    // The next write is an ordinary one.
    vdp.dataPortWord(0x5678);
    EXPECT_EQ(vdp.vram[0x400], 0x56);
    EXPECT_EQ(vdp.vram[0x401], 0x78);
}

TEST(VdpDmaFill, PlainCommandInBetweenKeepsTheFillArmed) {
    Vdp vdp;
    armFill(vdp, 0x0000, 1, 2);
    setAddress(vdp, Target::VramWrite, 0x0600);
    vdp.dataPortWord(0x4242);
    EXPECT_EQ(vdp.vram[0x600], 0x42);
    EXPECT_EQ(vdp.vram[0x602], 0x42);
    EXPECT_EQ(vdp.vram[0x601], 0x42);
    EXPECT_EQ(vdp.dmaMode, 0u);
}

// A hard reset disarms an armed fill, so the first data write of the next
// program is stored as written.
TEST(VdpDmaFill, ResetDisarmsTheFill) {
    Vdp vdp;
    armFill(vdp, 0x0000, 5, 2);
    ASSERT_EQ(vdp.dmaMode, kDmaModeFill);
    vdp.reset();
    EXPECT_EQ(vdp.dmaMode, 0u);
    setRegister(vdp, 15, 2);
    setAddress(vdp, Target::VramWrite, 0x0020);
    vdp.dataPortWord(0x9ABC);
    EXPECT_EQ(vdp.vram[0x20], 0x9A);
    EXPECT_EQ(vdp.vram[0x21], 0xBC);
}

// ---- copy -------------------------------------------------------------------

void armCopy(Vdp& vdp, uint32_t sourceAddress, uint32_t destination, uint32_t length, uint32_t increment) {
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, increment);
    setLength(vdp, length);
    setRegister(vdp, 21, sourceAddress & 0xFF);
    setRegister(vdp, 22, (sourceAddress >> 8) & 0xFF);
    setRegister(vdp, 23, 0xC0);
    // A copy is started with the VRAM-copy code (CD5 and CD4 set).
    vdp.controlPortWord(test::commandFirst(0x30, destination));
    vdp.controlPortWord(test::commandSecond(0x30, destination) | 0x80);
}

TEST(VdpDmaCopy, CopiesBytesForwardWithTheIncrement) {
    Vdp vdp;
    for (uint32_t i = 0; i < 8; ++i) vdp.vram[0x1000 + i] = static_cast<uint8_t>(0x10 + i);
    armCopy(vdp, 0x1000, 0x2000, 4, 1);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(vdp.vram[0x2000 + i], 0x10 + i) << i;
    EXPECT_EQ(vdp.vram[0x2004], 0);
    armCopy(vdp, 0x1000, 0x3000, 3, 2);
    EXPECT_EQ(vdp.vram[0x3000], 0x10);
    EXPECT_EQ(vdp.vram[0x3001], 0x00);
    EXPECT_EQ(vdp.vram[0x3002], 0x11);
    EXPECT_EQ(vdp.vram[0x3004], 0x12);
    EXPECT_EQ(vdp.vram[0x3006], 0x00);
}

TEST(VdpDmaCopy, LengthZeroCopiesNothing) {
    Vdp vdp;
    vdp.vram[0x1000] = 0x99;
    armCopy(vdp, 0x1000, 0x2000, 0, 1);
    EXPECT_EQ(vdp.vram[0x2000], 0);
    EXPECT_EQ(vdp.dmaMode, kDmaModeCopy);
}

TEST(VdpDmaCopy, DisabledCopiesNothing) {
    Vdp vdp;
    vdp.vram[0x1000] = 0x99;
    armCopy(vdp, 0x1000, 0x2000, 1, 1);
    vdp.vram[0x2000] = 0;
    setRegister(vdp, 1, 0x44);
    vdp.controlPortWord(test::commandFirst(0x30, 0x2000));
    vdp.controlPortWord(test::commandSecond(0x30, 0x2000) | 0x80);
    EXPECT_EQ(vdp.vram[0x2000], 0);
}

TEST(VdpDmaCopy, SourceAndDestinationWrapAndRegister23LowBitsAreIgnored) {
    Vdp vdp;
    vdp.vram[0xFFFF] = 0xA1;
    vdp.vram[0x0000] = 0xA2;
    setRegister(vdp, 23, 0xFF);
    armCopy(vdp, 0xFFFF, 0xFFFF, 2, 1);
    ASSERT_EQ(vdp.regs[23], 0xC0);
    setRegister(vdp, 23, 0xFF);  // mode 3 with source bits set
    vdp.controlPortWord(test::commandFirst(0x30, 0x8000));
    vdp.controlPortWord(test::commandSecond(0x30, 0x8000) | 0x80);
    EXPECT_EQ(vdp.vram[0x8000], 0xA1);
    EXPECT_EQ(vdp.vram[0x8001], 0xA2);
}

TEST(VdpDmaCopy, IgnoresTheAccessCode) {
    Vdp vdp;
    vdp.vram[0x0100] = 0x0E;
    setRegister(vdp, 1, kDisplayAndDma);
    setRegister(vdp, 15, 1);
    setLength(vdp, 1);
    setRegister(vdp, 21, 0x00);
    setRegister(vdp, 22, 0x01);
    setRegister(vdp, 23, 0xC0);
    setAddress(vdp, Target::CramWrite, 0x0010, true);
    EXPECT_EQ(vdp.vram[0x0010], 0x0E);
    EXPECT_EQ(vdp.cram[0x10], 0);
}

}  // namespace
}  // namespace vimo
