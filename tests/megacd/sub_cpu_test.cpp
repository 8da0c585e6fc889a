// The sub 68000's peripheral bus (backup RAM, PCM chip) and the interrupt
// bookkeeping of its line step: levels 2 and 1, the level-3 timer and the
// stopwatch. The reset hold and bus request are shown by the boot program.
#include <gtest/gtest.h>

#include "megacd/megacd.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

class SubCpu : public ::testing::Test {
protected:
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMegaCdMachine(folder);
    Cpu68000& sub = *machine->subCpu;

    // Levels raised but not taken: with its bus held the sub CPU does not run.
    uint8_t pending() const {
        Cpu68000Context context;
        machine->subCpu->getContext(&context);
        return context.interrupts[0];
    }
    void holdBus() { machine->writeByteGateArray(0xA12001, 0x03); }
};

TEST_F(SubCpu, BackupRamAndPcmSitOnTheOddBytes) {
    sub.writeByte(0xFE0001, 0x11);
    sub.writeByte(0xFE3FFF, 0x22);
    sub.writeWord(0xFE0002, 0x3344);  // the high byte goes to an even address: dropped
    sub.writeByte(0xFE4001, 0x66);    // past the backup RAM
    EXPECT_EQ(machine->backupRam[0], 0x11);
    EXPECT_EQ(machine->backupRam[0x1FFF], 0x22);
    EXPECT_EQ(machine->backupRam[1], 0x44);
    EXPECT_EQ(sub.readWord(0xFE0000), 0x0011) << "a word reads 0 in its high byte";
    EXPECT_EQ(sub.readByte(0xFE4001), 0x00);

    sub.writeByte(0xFF000F, 0xC2);  // CTRL: sound on, channel 2
    sub.writeByte(0xFF0001, 0x80);  // ENV
    sub.writeByte(0xFF000D, 0x12);  // ST: start at 0x1200
    sub.writeByte(0xFF0011, 0x04);  // ON/OFF: channel 2 stopped and rewound to its start
    EXPECT_EQ(machine->pcm.channels[2].env, 0x80);
    EXPECT_EQ(sub.readByte(0xFF0029), 0x00u) << "channel 2 play position, low byte";
    EXPECT_EQ(sub.readWord(0xFF002A), 0x12u) << "high byte, one read as a word";
    EXPECT_EQ(sub.readByte(0xFF0001), 0x00u) << "registers cannot be read";
    sub.writeByte(0xFF000F, 0x83);  // CTRL: wave bank 3
    sub.writeWord(0xFF3FFE, 0x00A5);
    EXPECT_EQ(machine->pcm.waveRam[0x3FFF], 0xA5);
    EXPECT_EQ(sub.readByte(0xFF3FFF), 0x00u) << "wave RAM cannot be read here";
    EXPECT_EQ(sub.readWord(0x100000), 0xFFFFu) << "unmapped";
}

TEST_F(SubCpu, LevelTwoWaitsForItsMaskBit) {
    holdBus();
    machine->writeByteGateArray(0xA12000, 0x01);
    for (int line = 0; line < 3; ++line) machine->stepSubCpuTo(0);
    EXPECT_EQ(machine->readByteGateArray(0xA12000), 0x01u) << "still requested";
    EXPECT_EQ(pending() & 0x04, 0);
    machine->writeByteGateArray(0xFF8033, 0x04);
    machine->stepSubCpuTo(0);
    EXPECT_EQ(pending() & 0x04, 0x04) << "level 2 raised on the next line step";
    EXPECT_EQ(machine->readByteGateArray(0xA12000), 0x00u) << "and the request taken";
}

TEST_F(SubCpu, GraphicsInterruptComesOnTheThirdLineStepThatFindsItPending) {
    holdBus();
    machine->graphicsIrqRequest = 1;
    machine->stepSubCpuTo(0);
    EXPECT_EQ(machine->graphicsIrqDelay, 2) << "masked: the delay does not run";
    machine->writeByteGateArray(0xFF8033, 0x02);
    for (int round = 0; round < 2; ++round) {
        machine->graphicsIrqRequest = 1;
        for (int step = 1; step <= 3; ++step) {
            EXPECT_EQ(machine->graphicsIrqRequest, 1u) << "round " << round << " before step " << step;
            machine->stepSubCpuTo(0);
        }
        EXPECT_EQ(machine->graphicsIrqRequest, 0u) << "round " << round;
        EXPECT_EQ(pending() & 0x02, 0x02) << "round " << round;
    }
}

TEST_F(SubCpu, TimerStopsCountingDownWhenOffAndReloadsWhenOn) {
    machine->writeByteGateArray(0xFF8031, 10);
    for (int line = 0; line < 10000; ++line) machine->tickMegaCdTimers();
    EXPECT_EQ(machine->subTimer, kSubTimerFloor) << "masked: it runs down to its floor and stays";
    EXPECT_EQ(pending() & 0x08, 0);
    machine->writeByteGateArray(0xFF8033, 0x08);
    machine->tickMegaCdTimers();
    EXPECT_EQ(pending() & 0x08, 0x08);
    EXPECT_EQ(machine->subTimer, 8) << "reloaded with 10, then counted";
}

TEST_F(SubCpu, StopwatchReloadsFromItsRegister) {
    machine->writeWordGateArray(0xFF800C, 100);
    std::vector<uint32_t> seen;
    for (int line = 0; line < 51; ++line) {
        machine->tickMegaCdTimers();
        seen.push_back(machine->readWordGateArray(0xA1200C));
    }
    EXPECT_EQ(seen[0], 98u);
    EXPECT_EQ(seen[49], 0u);
    EXPECT_EQ(seen[50], 98u) << "below 1 it reloads 100 and counts on";
}

}  // namespace
}  // namespace vimo
