// The Z80's address space: its RAM and mirror, the YM2612 ports, the bank
// register, the PSG and VDP addresses and the window into the 68000's space.
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class Z80Bus : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;

    void setBank(uint32_t bank) {
        for (int i = 0; i < 9; ++i) machine->z80Write(0x6000, (bank >> i) & 1);
        ASSERT_EQ(machine->z80Bank, bank);
    }
};

TEST_F(Z80Bus, RamAndItsMirror) {
    machine->z80Write(0x0000, 0x11);
    machine->z80Write(0x1FFF, 0x22);
    machine->z80Write(0x2005, 0x33);  // the mirror writes the same RAM
    EXPECT_EQ(machine->z80Ram[0x0000], 0x11);
    EXPECT_EQ(machine->z80Ram[0x1FFF], 0x22);
    EXPECT_EQ(machine->z80Ram[0x0005], 0x33);
    EXPECT_EQ(machine->z80Read(0x2000), 0x11u);
    EXPECT_EQ(machine->z80Read(0x3FFF), 0x22u);
    EXPECT_EQ(machine->z80Read(0x10005), 0x33u) << "addresses are 16-bit";
}

TEST_F(Z80Bus, BankRegisterShiftsNineBitsIn) {
    const uint32_t bits[] = {1, 0, 0, 0, 0, 0, 0, 1, 1};
    for (uint32_t b : bits) machine->z80Write(0x6000, b);
    EXPECT_EQ(machine->z80Bank, 0x181u);  // 68000 window 0xC08000-0xC0FFFF
    machine->z80Write(0x60FF, 0xFE);       // anywhere in 0x6000-0x60FF, only bit 0 counts
    EXPECT_EQ(machine->z80Bank, 0x0C0u);
    machine->z80Write(0x6100, 1);          // past the register: dropped
    EXPECT_EQ(machine->z80Bank, 0x0C0u);
}

TEST_F(Z80Bus, YmPortsUnusedAreaAndPorts) {
    machine->fmStatus = 0x03;
    EXPECT_EQ(machine->z80Read(0x4000), 0x03u);
    EXPECT_EQ(machine->z80Read(0x5FFE), 0x03u) << "the status ignores the part bit";
    EXPECT_EQ(machine->z80Read(0x4001), 0x00u);
    machine->z80Write(0x4002, 0x30);  // part 1 address
    machine->z80Write(0x4003, 0x71);
    EXPECT_EQ(machine->fmAddressLatch[1], 0x30u);
    EXPECT_EQ(machine->fmShadow[1][0x30], 0x71);
    for (uint32_t address : {0x6000u, 0x6100u, 0x7EFFu}) EXPECT_EQ(machine->z80Read(address), 0xFFu);
    EXPECT_EQ(machine->z80ReadPort(0x00), 0xFFu);
    EXPECT_EQ(machine->z80ReadPort(0xBF), 0xFFu);
}

TEST_F(Z80Bus, VdpDataPortAcrossTheWholeRangeAndPsgAtOneAddress) {
    Vdp& vdp = machine->vdp;
    vdp.vram[0x40] = 0xA5;
    vdp.vram[0x41] = 0x5A;
    vdp.regs[15] = 1;
    vdp.accessCode = kAccessVramRead;
    vdp.address = 0x40;
    EXPECT_EQ(machine->z80Read(0x7F42), 0xA5u);
    EXPECT_EQ(machine->z80Read(0x7F00), 0x5Au);
    EXPECT_EQ(vdp.address, 0x42u);
    // Writes to the range other than 0x7F11 do not reach the VDP.
    vdp.accessCode = kAccessVramWrite;
    vdp.address = 0x40;
    machine->z80Write(0x7F00, 0x99);
    machine->z80Write(0x7F10, 0x99);
    EXPECT_EQ(vdp.vram[0x40], 0xA5);
    EXPECT_EQ(vdp.address, 0x40u);
}

TEST_F(Z80Bus, WindowOntoWorkRam) {
    setBank(0x1FE);  // 0xFF0000-0xFF7FFF
    machine->z80Write(0x8000, 0x12);
    machine->z80Write(0xFFFF, 0x34);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0000), 0x12);
    EXPECT_EQ(test::ramByte(*machine, 0xFF7FFF), 0x34);
    EXPECT_EQ(machine->z80Read(0x8000), 0x12u);
    // 0xE00000-0xFEFFFF reads the work RAM mirror but takes no writes.
    setBank(0x1C0);  // 0xE00000
    EXPECT_EQ(machine->z80Read(0x8000), 0x12u);
    machine->z80Write(0x8001, 0x56);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0001), 0x00);
}

TEST_F(Z80Bus, WindowOntoRomAndBeyondIt) {
    const auto image = test::patternImage(0x44000);  // reaches into bank 8
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    setBank(0x008);  // 0x040000-0x047FFF
    EXPECT_EQ(machine->z80Read(0x8000), image[0x40000]);
    EXPECT_EQ(machine->z80Read(0x8000 + 0x3FFF), image[0x43FFF]);
    EXPECT_EQ(machine->z80Read(0x8000 + 0x4000), 0u) << "past the image's end";
    machine->z80Write(0x8000, 0x77);  // ROM takes no writes
    EXPECT_EQ(machine->z80Read(0x8000), image[0x40000]);
    setBank(0x080);  // 0x400000: nothing there
    EXPECT_EQ(machine->z80Read(0x8000), 0u);
}

TEST_F(Z80Bus, WindowOntoTheIoSystemAndVdpRanges) {
    setBank(0x142);  // 0xA10000
    machine->country = 0xC0;
    EXPECT_EQ(machine->z80Read(0x8001), 0xC0u);  // version register
    setBank(0x142);
    machine->z80Write(0x8000 + 0x1100, 0x00);  // 0xA11100: release the Z80 bus
    EXPECT_EQ(machine->z80Running, 1u);
    EXPECT_EQ(machine->z80Read(0x8000 + 0x1100), 1u);
    setBank(0x180);  // 0xC00000
    machine->vdp.status = 0x0088;
    EXPECT_EQ(machine->z80Read(0x8005), 0x88u);
}

TEST_F(Z80Bus, WindowOntoTheZ80AreaComesBackIntoZ80Space) {
    machine->z80Ram[0x0123] = 0x4D;
    setBank(0x140);  // 0xA00000-0xA07FFF: the Z80's own RAM again
    EXPECT_EQ(machine->z80Read(0x8123), 0x4Du);
    machine->z80Write(0x8124, 0x4E);
    EXPECT_EQ(machine->z80Ram[0x0124], 0x4E);
}

TEST_F(Z80Bus, WindowOntoItselfEndsAtOnce) {
    // Bank 0x141 shows 0xA08000-0xA0FFFF, which is the window itself: the
    // access would come back here without end. It reads all ones and takes
    // no writes, from the Z80 and from the 68000 alike.
    setBank(0x141);
    EXPECT_EQ(machine->z80Read(0x8000), 0xFFu);
    EXPECT_EQ(machine->z80Read(0xFFFF), 0xFFu);
    machine->z80Write(0x9000, 0x12);
    EXPECT_EQ(machine->readByteIo(0xA08000), 0xFFu);
    machine->writeByteIo(0xA0FFFF, 0x12);
    EXPECT_EQ(machine->z80Bank, 0x141u);
}

}  // namespace
}  // namespace vimo
