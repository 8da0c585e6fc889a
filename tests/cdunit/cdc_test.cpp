// The data controller: register map, RESET, host reads, DMA by destination
// and word-RAM mode, and the decoder's store into the ring.
#include <gtest/gtest.h>

#include <cstring>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

TEST(CdcRegisters, MapPointerAndReset) {
    CdUnit unit;
    unit.reset();
    // DBC 0x1234, DAC 0x5678 (registers 2-5), WA 0x0ABC (8, 9), PT 0x0DEF (12, 13).
    writeCdcRegisters(unit, 2, {0x34, 0x12, 0x78, 0x56});
    writeCdcRegisters(unit, 8, {0xBC, 0x0A});
    writeCdcRegisters(unit, 12, {0xEF, 0x0D});
    writeCdcRegisters(unit, 10, {kCtrl0Stat3Flag});
    EXPECT_EQ(unit.dac, 0x5678);
    unit.cdcRead[0] = 0x11;
    unit.cdcRead[kCdcStat0] = 0x80;
    unit.ifstat = 0x9F;
    std::memcpy(unit.head, "\x01\x02\x03\x01", 4);
    const uint32_t expected[16] = {0x11, 0x9F, 0x34, 0x12, 0x01, 0x02, 0x03, 0x01,
                                   0xEF, 0x0D, 0xBC, 0x0A, 0x80, 0x00, 0x00, 0x20};
    unit.setCdcRegisterAddress(0xFFFFFFF0);  // only the low 4 bits count
    for (uint32_t index = 0; index < 16; ++index) EXPECT_EQ(unit.readCdcRegister(), expected[index]) << index;
    EXPECT_EQ(unit.cdcRegisterAddress(), 0u) << "the pointer wraps inside the 16 registers";
    EXPECT_EQ(unit.ifstat, 0x9F | kIfstatDeci) << "reading STAT3 acknowledges the decoder";

    unit.ifstat = 0;
    writeCdcRegisters(unit, 15, {0});  // RESET
    EXPECT_EQ(unit.cdcWrite[kCdcCtrl0], 0);
    EXPECT_EQ(unit.dbc | unit.dac | unit.pt | unit.wa, 0);
    EXPECT_EQ(unit.head[0], 0x01) << "the header survives RESET";
    EXPECT_EQ(unit.cdcRegisterAddress(), 1u);
    EXPECT_EQ(unit.readCdcRegister(), 0xFFu) << "the next access is IFSTAT";
}

TEST(CdcRegisters, HostReadsCountWordsAndEndWithTheReadAtZero) {
    CdUnit unit;
    unit.reset();
    std::memcpy(&unit.cache[0xFFFE], "\xAB\xCD", 2);
    std::memcpy(&unit.cache[0x0000], "\xEF\x01", 2);
    writeCdcRegisters(unit, 2, {0x01, 0x00, 0xFE, 0xFF});  // DBC 1, DAC 0xFFFE
    EXPECT_EQ(unit.readHostData(), 0xABCDu);
    EXPECT_EQ(unit.dbc, 0);
    EXPECT_EQ(unit.ifstat, 0xFF) << "no end flag yet";
    EXPECT_EQ(unit.readHostData(), 0xEF01u) << "DAC wraps inside the cache";
    EXPECT_EQ(unit.dbc, 0xFFFF);
    EXPECT_EQ(unit.ifstat & (kIfstatDtei | kIfstatDtbsy), kIfstatDtbsy);
}

// DMA runs against a whole machine: the destinations are its memories.
class CdcDma : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = makeMachine();
    CdUnit& unit = machine->cdUnit;

    void SetUp() override {
        for (uint32_t i = 0; i < kCdcCacheSize; ++i) unit.cache[i] = static_cast<uint8_t>(i * 3 + (i >> 8));
        writeCdcRegisters(unit, 1, {kIfctrlDouten});
    }
    // DBC, DAC, the destination and the DMA address, then DTTRG.
    void transfer(uint16_t count, uint16_t from, uint8_t destination, uint16_t address) {
        writeCdcRegisters(unit, 2, {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                    static_cast<uint8_t>(from), static_cast<uint8_t>(from >> 8)});
        machine->subGateArray[4] = destination;
        unit.setDmaAddress(address);
        machine->cdcIrqRequest = 0;
        unit.ifstat = 0xFF;
        writeCdcRegisters(unit, 6, {0});
    }
    bool ended() const {
        return (unit.ifstat & (kIfstatDtei | kIfstatDtbsy)) == kIfstatDtbsy &&
               (machine->subGateArray[4] & kCdcModeEdt) && machine->cdcIrqRequest == 1;
    }
};

TEST_F(CdcDma, ReachesEachDestinationInTheSubCpusByteOrder) {
    struct Case {
        uint32_t wordRamMode;
        uint8_t destination;
        uint16_t address;
        uint8_t* memory;
        uint32_t offset;
    };
    const Case cases[] = {
        {1, kCdcDestinationPrgRam, 0x0100, machine->prgRam.get(), 0x800},
        {1, kCdcDestinationWordRam, 0x8040, machine->wordRam.get(), 0x200},       // 2M
        {4, kCdcDestinationWordRam, 0x4010, machine->wordRamBank1.get(), 0x80},   // 1M, RET 0
        {5, kCdcDestinationWordRam, 0x0020, machine->wordRamBank0.get(), 0x100},  // 1M, RET 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wordRamMode);
        machine->wordRamMode = c.wordRamMode;
        for (int pass = 0; pass < 2; ++pass) {  // the same bytes sent twice arrive the same
            transfer(0x07FF, 0x0104, c.destination, c.address);
            EXPECT_TRUE(ended());
            EXPECT_EQ(unit.dbc, 0);
            for (uint32_t i = 0; i < 2048; ++i)
                ASSERT_EQ(c.memory[(c.offset + i) ^ 1], unit.cache[0x104 + i]) << "pass " << pass << " byte " << i;
        }
    }
}

TEST_F(CdcDma, PcmOnlyEndsOtherDestinationsAndNoDataOutputDoNothing) {
    struct Case {
        uint8_t ifctrl, destination;
        bool ends;
    };
    const Case cases[] = {{kIfctrlDouten, kCdcDestinationPcm, true}, {kIfctrlDouten, 0, false},
                          {kIfctrlDouten, 3, false}, {kIfctrlDouten, 6, false}, {0, kCdcDestinationPrgRam, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.destination});
        writeCdcRegisters(unit, 1, {c.ifctrl});
        transfer(0x0010, 0, c.destination, 0);
        EXPECT_EQ(ended(), c.ends);
        EXPECT_EQ(unit.dbc, 0x0010) << "DBC kept";
        EXPECT_EQ((machine->subGateArray[4] & kCdcModeDsr) != 0, c.ifctrl != 0);
        EXPECT_EQ(machine->prgRam[1], 0);
    }
}

TEST_F(CdcDma, StopsAtTheEndOfTheCacheAndOfTheDestination) {
    transfer(0x07FF, 0xFFF0, kCdcDestinationPrgRam, 0);  // 16 cache bytes left
    EXPECT_TRUE(ended());
    EXPECT_EQ(prgRamByte(*machine, 15), unit.cache[0xFFFF]);
    EXPECT_EQ(prgRamByte(*machine, 16), 0);
    const std::pair<uint32_t, const uint8_t*> lastBytes[] = {
        {1, &machine->wordRam[kWordRamSize - 2]}, {5, &machine->wordRamBank0[kWordRamBankSize - 2]}};
    transfer(0x07FF, 0x0100, kCdcDestinationPrgRam, 0xFFFF);  // the last 8 bytes of each memory
    EXPECT_EQ(prgRamByte(*machine, kPrgRamSize - 1), unit.cache[0x107]);
    for (const auto& [mode, last] : lastBytes) {
        machine->wordRamMode = mode;
        transfer(0x07FF, 0x0100, kCdcDestinationWordRam, 0xFFFF);
        EXPECT_TRUE(ended());
        EXPECT_EQ(*last, unit.cache[0x107]);
    }
}

TEST(CdcDecoder, StoresEachSectorInTheRingAndRaisesTheDecoderInterrupt) {
    struct Case {
        uint16_t pt;
        uint8_t ctrl0;
        uint32_t storedAt;
        uint16_t ptAfter;
    };
    const Case cases[] = {
        {0x3FF0, kCtrl0Decen | kCtrl0Wrrq, 0x0920, 0x0920},                     // move on, then store
        {0x0100, kCtrl0Decen | kCtrl0Wrrq | kCtrl0WriteFirst, 0x0100, 0x0A30},  // store, then move on
        {0xFFF0, kCtrl0Decen | kCtrl0Wrrq | kCtrl0WriteFirst, 0xFFF0, 0x0920},  // hostile PT: inside 64 KB
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pt);
        CdUnit unit;
        unit.reset();
        for (uint32_t i = 0; i < kSectorDataSize; ++i) unit.sectorBuffer[i] = sectorByte(5, i);
        std::memcpy(unit.head, "\x00\x02\x05\x01", 4);
        writeCdcRegisters(unit, 12, {static_cast<uint8_t>(c.pt), static_cast<uint8_t>(c.pt >> 8)});
        writeCdcRegisters(unit, 1, {kIfctrlDecien});
        writeCdcRegisters(unit, 10, {c.ctrl0});
        unit.lba = 155;
        unit.decodeSector();
        EXPECT_EQ(unit.pt, c.ptAfter);
        EXPECT_EQ(unit.wa, 2352);
        EXPECT_EQ(unit.lba, 156u);
        for (uint32_t i = 0; i < 4 + kSectorDataSize; ++i)
            ASSERT_EQ(unit.cache[(c.storedAt + i) & 0xFFFF], i < 4 ? unit.head[i] : sectorByte(5, i - 4)) << i;
        EXPECT_EQ(unit.ifstat, 0xFF & ~kIfstatDeci);
        EXPECT_EQ(unit.cdcRead[kCdcStat0], 0x80);
    }
}

}  // namespace
}  // namespace vimo::test
