// The data and control ports: register writes, the two-word command
// protocol, access codes, address stepping and the wrap of each memory.
#include <gtest/gtest.h>

#include <cstring>

#include "vdp_test_util.h"

namespace vimo {
namespace {

using test::setAddress;
using test::setRegister;
using test::Target;

TEST(VdpConstruction, StartsClearWithLayersShown) {
    Vdp vdp;
    EXPECT_EQ(vdp.showSprites, 1u);
    EXPECT_EQ(vdp.showWindow, 1u);
    EXPECT_EQ(vdp.showPlaneA, 1u);
    EXPECT_EQ(vdp.showPlaneB, 1u);
    EXPECT_EQ(vdp.status, 0u);
    EXPECT_EQ(vdp.command, 0u);
    EXPECT_EQ(vdp.commandPending, 0u);
    for (uint8_t r : vdp.regs) EXPECT_EQ(r, 0);
    for (uint32_t a = 0; a < kVramSize; ++a) ASSERT_EQ(vdp.vram[a], 0) << a;
    for (uint32_t a = 0; a < kCramSize; ++a) ASSERT_EQ(vdp.cram[a], 0) << a;
    for (uint32_t a = 0; a < kVsramSize; ++a) ASSERT_EQ(vdp.vsram[a], 0) << a;
}

TEST(VdpConstruction, GetMemoriesHandsOutTheFourBlocks) {
    Vdp vdp;
    VdpMemoryView view{};
    EXPECT_EQ(vdp.getMemories(&view), 0);
    EXPECT_EQ(view.vram, vdp.vram);
    EXPECT_EQ(view.cram, vdp.cram);
    EXPECT_EQ(view.vsram, vdp.vsram);
    EXPECT_EQ(view.registers, vdp.regs);
}

TEST(VdpReset, ClearsRegistersMemoriesAndCommandButKeepsLayerSwitches) {
    Vdp vdp;
    setRegister(vdp, 1, 0x74);
    setRegister(vdp, 15, 2);
    test::writeWords(vdp, Target::VramWrite, 0x1000, {0x1234});
    test::writeColour(vdp, 3, 0x0EEE);
    test::writeWords(vdp, Target::VsramWrite, 0, {0x0155});
    vdp.controlPortWord(0x4000);  // half a command
    vdp.status = 0x3FF;
    vdp.showPlaneA = 0;
    vdp.showSprites = 0;

    vdp.reset();
    for (uint8_t r : vdp.regs) EXPECT_EQ(r, 0);
    EXPECT_EQ(vdp.vram[0x1000], 0);
    EXPECT_EQ(vdp.cram[7], 0);
    EXPECT_EQ(vdp.vsram[1], 0);
    EXPECT_EQ(vdp.status, 0u);
    EXPECT_EQ(vdp.commandPending, 0u);
    EXPECT_EQ(vdp.command, 0u);
    EXPECT_EQ(vdp.accessCode, 0u);
    EXPECT_EQ(vdp.address, 0u);
    EXPECT_EQ(vdp.showPlaneA, 0u);
    EXPECT_EQ(vdp.showSprites, 0u);
    EXPECT_EQ(vdp.showPlaneB, 1u);
}

// ---- control port -------------------------------------------------------

TEST(VdpControlPort, RegisterWriteSetsRegisterAndClearsCodeAndAddress) {
    Vdp vdp;
    setAddress(vdp, Target::CramWrite, 0x22);
    ASSERT_EQ(vdp.accessCode, kAccessCramWrite);
    vdp.controlPortWord(0x8123);
    EXPECT_EQ(vdp.regs[1], 0x23);
    EXPECT_EQ(vdp.accessCode, 0u);
    EXPECT_EQ(vdp.address, 0u);
    EXPECT_EQ(vdp.commandPending, 0u);
}

TEST(VdpControlPort, EveryRegisterFrom0To23IsReachable) {
    Vdp vdp;
    for (uint32_t r = 0; r < 24; ++r) {
        setRegister(vdp, r, 0x40 + r);
    }
    for (uint32_t r = 0; r < 24; ++r) {
        EXPECT_EQ(vdp.regs[r], 0x40 + r) << r;
    }
}

// Indices 24-31 name no register: nothing of the Vdp's other state changes.
TEST(VdpControlPort, RegisterIndices24To31AreIgnored) {
    Vdp vdp;
    for (uint32_t r = 0; r < 24; ++r) setRegister(vdp, r, 0x11);
    vdp.status = 0x1234;
    vdp.dmaMode = 0;
    const uint32_t paletteBefore = vdp.palette[0];
    uint8_t before[kVdpRegisterCount];
    std::memcpy(before, vdp.regs, sizeof before);
    for (uint32_t r = 24; r < 32; ++r) {
        vdp.controlPortWord(0x8000 | (r << 8) | 0xFF);
        EXPECT_EQ(vdp.commandPending, 0u);
        EXPECT_EQ(vdp.accessCode, 0u);
        EXPECT_EQ(vdp.address, 0u);
    }
    EXPECT_EQ(std::memcmp(before, vdp.regs, sizeof before), 0);
    EXPECT_EQ(vdp.status, 0x1234u);
    EXPECT_EQ(vdp.dmaMode, 0u);
    EXPECT_EQ(vdp.palette[0], paletteBefore);
    EXPECT_EQ(vdp.showSprites, 1u);
    EXPECT_EQ(vdp.pixelFormat, kPixelFormatRgb565);
}

TEST(VdpControlPort, RegisterWordAfterAFirstHalfCompletesTheCommand) {
    Vdp vdp;
    vdp.controlPortWord(0x4000);
    EXPECT_EQ(vdp.commandPending, 1u);
    vdp.controlPortWord(0x8F02);
    EXPECT_EQ(vdp.commandPending, 0u);
    EXPECT_EQ(vdp.regs[15], 0);          // not a register write
    EXPECT_EQ(vdp.command, 0x40008F02u);
    // Code from bits 31-30 (01) and 6-4 (000): VRAM write; A15-A14 from the
    // low bits of the second word.
    EXPECT_EQ(vdp.accessCode, kAccessVramWrite);
    EXPECT_EQ(vdp.address, 0x8000u);
}

TEST(VdpControlPort, FirstHalfTakesEffectWithThePreviousLowHalf) {
    Vdp vdp;
    setAddress(vdp, Target::VsramWrite, 0);  // low half 0x0010 stays
    ASSERT_EQ(vdp.command & 0xFFFF, 0x0010u);
    vdp.controlPortWord(0x4123);  // first half of a VRAM write at 0x0123
    EXPECT_EQ(vdp.commandPending, 1u);
    EXPECT_EQ(vdp.command, 0x41230010u);
    EXPECT_EQ(vdp.accessCode, kAccessVsramWrite);  // CD2 from the old low half
    EXPECT_EQ(vdp.address, 0x0123u);
    vdp.controlPortWord(0x0002);  // second half: A15-A14 = 2, CD4-2 = 0
    EXPECT_EQ(vdp.commandPending, 0u);
    EXPECT_EQ(vdp.accessCode, kAccessVramWrite);
    EXPECT_EQ(vdp.address, 0x8123u);
}

TEST(VdpControlPort, AccessCodesOfTheStandardCommands) {
    struct Case {
        Target target;
        uint32_t code;
    } cases[] = {{Target::VramRead, kAccessVramRead},   {Target::VramWrite, kAccessVramWrite},
                 {Target::CramWrite, kAccessCramWrite}, {Target::VsramRead, kAccessVsramRead},
                 {Target::VsramWrite, kAccessVsramWrite}, {Target::CramRead, kAccessCramRead}};
    for (const Case& c : cases) {
        Vdp vdp;
        setAddress(vdp, c.target, 0xC05A);
        EXPECT_EQ(vdp.accessCode, c.code);
        EXPECT_EQ(vdp.address, 0xC05Au);
    }
}

TEST(VdpControlPort, DataWriteForgetsAHalfWrittenCommand) {
    Vdp vdp;
    vdp.controlPortWord(0x4000);
    ASSERT_EQ(vdp.commandPending, 1u);
    vdp.dataPortWord(0x1234);
    EXPECT_EQ(vdp.commandPending, 0u);
    vdp.controlPortWord(0x4000);
    vdp.dataPortByte(0x12);
    EXPECT_EQ(vdp.commandPending, 0u);
    // The next register-looking word is a register write again.
    vdp.controlPortWord(0x8F04);
    EXPECT_EQ(vdp.regs[15], 4);
}

TEST(VdpControlPort, ReadsLeaveAPendingHalf) {
    Vdp vdp;
    vdp.controlPortWord(0x0000);
    vdp.readDataWord();
    vdp.readDataByte();
    EXPECT_EQ(vdp.commandPending, 1u);
}

// ---- data port writes -----------------------------------------------------

TEST(VdpDataPort, WordWriteAtAnOddVramAddressPutsTheLowByteFirst) {
    Vdp vdp;
    setRegister(vdp, 15, 2);
    setAddress(vdp, Target::VramWrite, 0x0001);
    vdp.dataPortWord(0xABCD);
    EXPECT_EQ(vdp.vram[1], 0xCD);
    EXPECT_EQ(vdp.vram[2], 0xAB);
    EXPECT_EQ(vdp.vram[0], 0x00);
    EXPECT_EQ(vdp.address, 3u);
}

TEST(VdpDataPort, WordWriteAtEvenAddressIsBigEndian) {
    Vdp vdp;
    test::writeWords(vdp, Target::VramWrite, 0x1234, {0xBEEF, 0x0102});
    EXPECT_EQ(vdp.vram[0x1234], 0xBE);
    EXPECT_EQ(vdp.vram[0x1235], 0xEF);
    EXPECT_EQ(vdp.vram[0x1236], 0x01);
    EXPECT_EQ(vdp.vram[0x1237], 0x02);
}

TEST(VdpDataPort, VramWordAtTheTopWrapsToZero) {
    Vdp vdp;
    setAddress(vdp, Target::VramWrite, 0xFFFF);
    vdp.dataPortWord(0xABCD);
    EXPECT_EQ(vdp.vram[0xFFFF], 0xCD);
    EXPECT_EQ(vdp.vram[0x0000], 0xAB);
    EXPECT_EQ(vdp.vram[0xFFFE], 0x00);
}

TEST(VdpDataPort, AddressGrowsUnwrappedAndEachAccessReducesIt) {
    Vdp vdp;
    setRegister(vdp, 15, 0x80);
    setAddress(vdp, Target::VramWrite, 0xFF80);
    vdp.dataPortWord(0x1111);
    vdp.dataPortWord(0x2222);
    EXPECT_EQ(vdp.address, 0x10080u);
    EXPECT_EQ(vdp.vram[0xFF80], 0x11);
    EXPECT_EQ(vdp.vram[0x0000], 0x22);
    vdp.dataPortWord(0x3333);
    EXPECT_EQ(vdp.vram[0x0080], 0x33);
}

TEST(VdpDataPort, ByteWriteStoresTheByteAsALowWord) {
    Vdp vdp;
    setRegister(vdp, 15, 2);
    vdp.vram[0x100] = 0xEE;
    setAddress(vdp, Target::VramWrite, 0x0100);
    vdp.dataPortByte(0x5A);
    EXPECT_EQ(vdp.vram[0x100], 0x00);
    EXPECT_EQ(vdp.vram[0x101], 0x5A);
    EXPECT_EQ(vdp.address, 0x102u);
}

TEST(VdpDataPort, IncrementZeroKeepsTheAddress) {
    Vdp vdp;
    setRegister(vdp, 15, 0);
    setAddress(vdp, Target::VramWrite, 0x0040);
    vdp.dataPortWord(0x1111);
    vdp.dataPortWord(0x2222);
    EXPECT_EQ(vdp.address, 0x40u);
    EXPECT_EQ(vdp.vram[0x40], 0x22);
    EXPECT_EQ(vdp.vram[0x42], 0x00);
}

TEST(VdpDataPort, CramWordAtTheLastByteWraps) {
    Vdp vdp;
    setAddress(vdp, Target::CramWrite, 0x7F);
    vdp.dataPortWord(0x0ABC);
    EXPECT_EQ(vdp.cram[0x7F], 0x0A);
    EXPECT_EQ(vdp.cram[0x00], 0xBC);
}

TEST(VdpDataPort, CramAndVsramAddressesAreTakenModulo128) {
    Vdp vdp;
    test::writeWords(vdp, Target::CramWrite, 0x84, {0x0E0E});
    EXPECT_EQ(vdp.cram[4], 0x0E);
    EXPECT_EQ(vdp.cram[5], 0x0E);
    test::writeWords(vdp, Target::VsramWrite, 0xFE, {0x0123});
    EXPECT_EQ(vdp.vsram[0x7E], 0x01);
    EXPECT_EQ(vdp.vsram[0x7F], 0x23);
}

TEST(VdpDataPort, UnknownAndReadCodesStoreNothingButStep) {
    // (A code with CD1-CD0 = 10 would make the first word a register write.)
    for (uint32_t code : {0x00u, 0x04u, 0x07u, 0x08u, 0x09u, 0x0Bu, 0x0Du, 0x10u, 0x11u, 0x1Fu}) {
        Vdp vdp;
        setRegister(vdp, 15, 3);
        vdp.controlPortWord(test::commandFirst(code, 0x10));
        vdp.controlPortWord(test::commandSecond(code, 0x10));
        vdp.dataPortWord(0xFFFF);
        EXPECT_EQ(vdp.address, 0x13u) << code;
        for (uint32_t a = 0; a < kVramSize; ++a) ASSERT_EQ(vdp.vram[a], 0) << code;
        for (uint32_t a = 0; a < kCramSize; ++a) ASSERT_EQ(vdp.cram[a], 0) << code;
        for (uint32_t a = 0; a < kVsramSize; ++a) ASSERT_EQ(vdp.vsram[a], 0) << code;
    }
}

// ---- data port reads ------------------------------------------------------

TEST(VdpDataPort, ReadsEachMemoryAndSteps) {
    Vdp vdp;
    test::writeWords(vdp, Target::VramWrite, 0x2000, {0x1234, 0x5678});
    test::writeWords(vdp, Target::CramWrite, 0x10, {0x0246});
    test::writeWords(vdp, Target::VsramWrite, 0x04, {0x03FF});

    setAddress(vdp, Target::VramRead, 0x2000);
    EXPECT_EQ(vdp.readDataWord(), 0x1234);
    EXPECT_EQ(vdp.readDataWord(), 0x5678);
    setAddress(vdp, Target::VramRead, 0x2001);
    EXPECT_EQ(vdp.readDataWord(), 0x3456);  // two bytes from the address on
    setAddress(vdp, Target::CramRead, 0x10);
    EXPECT_EQ(vdp.readDataWord(), 0x0246);
    setAddress(vdp, Target::VsramRead, 0x04);
    EXPECT_EQ(vdp.readDataWord(), 0x03FF);

    setRegister(vdp, 15, 1);
    setAddress(vdp, Target::VramRead, 0x2000);
    EXPECT_EQ(vdp.readDataByte(), 0x12);
    EXPECT_EQ(vdp.readDataByte(), 0x34);
    EXPECT_EQ(vdp.address, 0x2002u);
    setAddress(vdp, Target::CramRead, 0x11);
    EXPECT_EQ(vdp.readDataByte(), 0x46);
    setAddress(vdp, Target::VsramRead, 0x84);  // modulo 128
    EXPECT_EQ(vdp.readDataByte(), 0x03);
}

TEST(VdpDataPort, ReadWordsWrapInTheirMemory) {
    Vdp vdp;
    vdp.vram[0xFFFF] = 0xAA;
    vdp.vram[0x0000] = 0xBB;
    vdp.cram[0x7F] = 0x0C;
    vdp.cram[0x00] = 0x0D;
    vdp.vsram[0x7F] = 0x01;
    vdp.vsram[0x00] = 0x02;
    setAddress(vdp, Target::VramRead, 0xFFFF);
    EXPECT_EQ(vdp.readDataWord(), 0xAABB);
    setAddress(vdp, Target::CramRead, 0x7F);
    EXPECT_EQ(vdp.readDataWord(), 0x0C0D);
    setAddress(vdp, Target::VsramRead, 0x7F);
    EXPECT_EQ(vdp.readDataWord(), 0x0102);
}

TEST(VdpDataPort, ReadingWithAWriteCodeGivesZeroAndSteps) {
    for (Target target : {Target::VramWrite, Target::CramWrite, Target::VsramWrite}) {
        Vdp vdp;
        std::memset(vdp.vram, 0x77, kVramSize);
        std::memset(vdp.cram, 0x77, kCramSize);
        std::memset(vdp.vsram, 0x77, kVsramSize);
        setRegister(vdp, 15, 2);
        setAddress(vdp, target, 0x20);
        EXPECT_EQ(vdp.readDataWord(), 0);
        EXPECT_EQ(vdp.readDataByte(), 0);
        EXPECT_EQ(vdp.address, 0x24u);
    }
}

}  // namespace
}  // namespace vimo
