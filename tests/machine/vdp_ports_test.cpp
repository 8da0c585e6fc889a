// The VDP ports as the 68000 sees them: data and control ports, the status
// word with its read toggles, the HV counter, and what does not decode.
#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class VdpPorts : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    Vdp& vdp = machine->vdp;
};

TEST_F(VdpPorts, RegisterWriteAndTheTwoWordCommand) {
    machine->writeWordVdp(0xC00004, 0x8F02);
    EXPECT_EQ(vdp.regs[15], 2);
    EXPECT_EQ(vdp.commandPending, 0u);

    // With a first half pending, a register-write word is the second half.
    machine->writeWordVdp(0xC00006, 0x4000);
    EXPECT_EQ(vdp.commandPending, 1u);
    machine->writeWordVdp(0xC00004, 0x8F04);
    EXPECT_EQ(vdp.commandPending, 0u);
    EXPECT_EQ(vdp.regs[15], 2) << "taken as a command, not a register write";
    EXPECT_EQ(vdp.command, 0x40008F04u);
}

TEST_F(VdpPorts, DataPortAccessForgetsAHalfWrittenCommand) {
    machine->writeWordVdp(0xC00004, 0x4000);
    ASSERT_EQ(vdp.commandPending, 1u);
    machine->writeByteVdp(0xC00000, 0x12);
    EXPECT_EQ(vdp.commandPending, 0u);
    machine->writeWordVdp(0xC00004, 0x4000);
    machine->writeWordVdp(0xC00002, 0x3456);
    EXPECT_EQ(vdp.commandPending, 0u);
}

TEST_F(VdpPorts, DataWritesAndReadsReachVram) {
    machine->writeWordVdp(0xC00004, 0x8F02);
    machine->writeWordVdp(0xC00004, 0x4000);  // VRAM write at 0
    machine->writeWordVdp(0xC00004, 0x0000);
    machine->writeWordVdp(0xC00000, 0xABCD);
    machine->writeByteVdp(0xC00002, 0x5A);  // a byte arrives as the word 0x005A
    EXPECT_EQ(vdp.vram[0], 0xAB);
    EXPECT_EQ(vdp.vram[1], 0xCD);
    EXPECT_EQ(vdp.vram[2], 0x00);
    EXPECT_EQ(vdp.vram[3], 0x5A);

    machine->writeWordVdp(0xC00004, 0x0000);  // VRAM read at 0
    machine->writeWordVdp(0xC00004, 0x0000);
    EXPECT_EQ(machine->readWordVdp(0xC00000), 0xABCDu);
    EXPECT_EQ(machine->readWordVdp(0xC00002), 0x005Au);
    machine->writeWordVdp(0xC00004, 0x0000);
    machine->writeWordVdp(0xC00004, 0x0000);
    EXPECT_EQ(machine->readByteVdp(0xC00001), 0xABu);
    EXPECT_EQ(machine->readByteVdp(0xC00000), 0x00u);
}

TEST_F(VdpPorts, StatusHighByteReadsToggleBitNine) {
    vdp.status = 0x0008;
    const uint32_t first = machine->readByteVdp(0xC00004);
    const uint32_t second = machine->readByteVdp(0xC00004);
    EXPECT_EQ(first ^ second, 0x02u);
    EXPECT_EQ(machine->readByteVdp(0xC00005), 0x08u);
    EXPECT_EQ(vdp.status, 0x0008u) << "two reads restore bit 9";
}

TEST_F(VdpPorts, StatusWordReadsToggleBitEightAndReportVBlankWithTheDisplayOff) {
    vdp.regs[1] = 0x40;  // display on
    vdp.status = 0x0004;
    EXPECT_EQ(machine->readWordVdp(0xC00004), 0x0104u);
    EXPECT_EQ(machine->readWordVdp(0xC00006), 0x0004u);
    vdp.regs[1] = 0x00;  // display off: the read sets V-blank, which stays
    EXPECT_EQ(machine->readWordVdp(0xC00004), 0x010Cu);
    vdp.regs[1] = 0x40;
    EXPECT_EQ(machine->readWordVdp(0xC00004), 0x000Cu);
    EXPECT_EQ(vdp.status, 0x000Cu);
}

TEST_F(VdpPorts, VCounterByteAndHvWord) {
    machine->vCounter = 0x37;
    EXPECT_EQ(machine->readByteVdp(0xC00008), 0x37u);
    EXPECT_EQ(machine->readWordVdp(0xC00008) >> 8, 0x37u);
    EXPECT_EQ(machine->readWordVdp(0xC00008) & 0xFF, static_cast<uint32_t>(machine->hCounter()) & 0xFF);
}

TEST_F(VdpPorts, OtherAddressesAndAccessesDoNothing) {
    vdp.status = 0x1234;
    machine->writeWordVdp(0xC00004, 0x8F02);
    const uint32_t statusBefore = vdp.status;
    // Byte reads of the odd halves of the ports, and reads beyond them.
    for (uint32_t address : {0xC00002u, 0xC00003u, 0xC00006u, 0xC00007u, 0xC0000Au, 0xC00010u,
                             0xC00020u, 0xC10004u, 0xDFFFFFu})
        EXPECT_EQ(machine->readByteVdp(address), 0u) << std::hex << address;
    for (uint32_t address : {0xC0000Au, 0xC0000Cu, 0xC00010u, 0xC10000u, 0xC10004u})
        EXPECT_EQ(machine->readWordVdp(address), 0u) << std::hex << address;
    EXPECT_EQ(vdp.status, statusBefore);

    // Control-port bytes, writes to mirrors and PSG words are dropped.
    machine->writeByteVdp(0xC00004, 0x81);
    machine->writeByteVdp(0xC00005, 0x44);
    machine->writeWordVdp(0xC10004, 0x8144);
    machine->writeWordVdp(0xC00010, 0x8144);
    machine->writeWordVdp(0xC00008, 0x8144);
    EXPECT_EQ(vdp.regs[1], 0);
    EXPECT_EQ(vdp.commandPending, 0u);
    EXPECT_EQ(vdp.regs[15], 2);
}

TEST_F(VdpPorts, RegisterWritesBeyondTwentyThreeReachNothing) {
    uint8_t before[kVdpRegisterCount];
    for (uint32_t i = 0; i < kVdpRegisterCount; ++i) before[i] = vdp.regs[i] = static_cast<uint8_t>(i + 1);
    const uint32_t statusBefore = vdp.status;
    for (uint32_t index = 24; index < 32; ++index)
        machine->writeWordVdp(0xC00004, 0x8000 | (index << 8) | 0xFF);
    for (uint32_t i = 0; i < kVdpRegisterCount; ++i) EXPECT_EQ(vdp.regs[i], before[i]) << i;
    EXPECT_EQ(vdp.status, statusBefore);
    EXPECT_EQ(vdp.commandPending, 0u);
}

TEST_F(VdpPorts, DmaFromRomReadsTheImageThroughTheMachine) {
    // A 68000-to-VRAM DMA of four words from ROM address 0x100.
    test::ScratchFolder folder;
    auto image = test::patternImage(0x400);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    machine->writeWordVdp(0xC00004, 0x8114);  // DMA enabled, display off
    machine->writeWordVdp(0xC00004, 0x8F02);
    machine->writeWordVdp(0xC00004, 0x9304);  // length 4 words
    machine->writeWordVdp(0xC00004, 0x9400);
    machine->writeWordVdp(0xC00004, 0x9580);  // source 0x100 >> 1 = 0x80
    machine->writeWordVdp(0xC00004, 0x9600);
    machine->writeWordVdp(0xC00004, 0x9700);
    machine->writeWordVdp(0xC00004, 0x4000);  // VRAM write at 0 with DMA
    machine->writeWordVdp(0xC00004, 0x0080);
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(vdp.vram[i], image[0x100 + i]) << i;
    EXPECT_EQ(vdp.vram[8], 0);
}

}  // namespace
}  // namespace vimo
