// A read loop as a BIOS runs it, through the unit's register interface: ask
// for the start of track 1, play from 00:02:00, and on each decoder interrupt
// move the sector just stored from the ring into program RAM by DMA.
#include <gtest/gtest.h>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

uint16_t readRegisterPair(CdUnit& unit, uint32_t index) {
    unit.setCdcRegisterAddress(index);
    const uint32_t low = unit.readCdcRegister();
    return static_cast<uint16_t>(low | (unit.readCdcRegister() << 8));
}

TEST(CdReadLoop, SixteenSectorsFromTheDiscReachProgramRamByDma) {
    constexpr uint32_t kSectors = 16;
    ReportRecorder recorder;
    ScratchFolder folder;
    auto machine = makeMachine();
    CdUnit& unit = machine->cdUnit;
    ASSERT_EQ(unit.openImage(folder.write("DISC.BIN", makeRawImage(kSectors + 4)).c_str()), 0);
    machine->reset();  // as a load does: the table of contents comes from the image

    sendCddCommand(unit, {2, 0, 0, 5, 0, 1});  // start of track 1
    ASSERT_EQ(unit.dataMode, 1u);
    writeCdcRegisters(unit, 15, {0});  // RESET
    writeCdcRegisters(unit, 1, {kIfctrlDecien | kIfctrlDouten});
    writeCdcRegisters(unit, 10, {kCtrl0Decen | kCtrl0Wrrq | kCtrl0WriteFirst});
    machine->cdcIrqRequest = 0;
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});  // play 00:02:00

    for (uint32_t sector = 0; sector < kSectors; ++sector) {
        SCOPED_TRACE(sector);
        if (sector > 0) {
            ASSERT_EQ(unit.tickPending, 1u);
            unit.tickPending = 0;
            unit.readNextSector();
        }
        ASSERT_EQ(machine->cdcIrqRequest, 1u) << "decoder interrupt";
        machine->cdcIrqRequest = 0;
        unit.setCdcRegisterAddress(15);
        unit.readCdcRegister();  // STAT3 acknowledges it

        // The header in front of the stored sector gives its time in BCD.
        const uint16_t stored = static_cast<uint16_t>(readRegisterPair(unit, 8) - kRawSectorSize) & kCdcRingMask;
        const uint32_t block = sector + kFirstDataBlock;
        EXPECT_EQ(unit.cache[stored + 1], toBcd(block / 75 % 60));
        EXPECT_EQ(unit.cache[stored + 2], toBcd(block % 75));

        const uint16_t from = static_cast<uint16_t>(stored + kSectorHeaderSize);
        writeCdcRegisters(unit, 2, {0xFF, 0x07, static_cast<uint8_t>(from), static_cast<uint8_t>(from >> 8)});
        machine->subGateArray[4] = kCdcDestinationPrgRam;
        unit.setDmaAddress(0x1000 + sector * (kSectorDataSize / 8));
        writeCdcRegisters(unit, 6, {0});  // DTTRG
        ASSERT_TRUE(machine->subGateArray[4] & kCdcModeEdt);
        writeCdcRegisters(unit, 7, {0});  // DTACK
        machine->cdcIrqRequest = 0;
    }
    sendCddCommand(unit, {1});  // stop: the stream ends after the tick already due
    unit.tickPending = 0;
    unit.readNextSector();
    EXPECT_EQ(unit.tickPending, 0u);
    for (uint32_t sector = 0; sector < kSectors; ++sector)
        for (uint32_t i = 0; i < kSectorDataSize; ++i)
            ASSERT_EQ(prgRamByte(*machine, 0x8000 + sector * kSectorDataSize + i), sectorByte(sector, i))
                << "sector " << sector << " byte " << i;
}

}  // namespace
}  // namespace vimo::test
