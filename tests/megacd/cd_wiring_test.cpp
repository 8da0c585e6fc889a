// The CD unit as the machine wires it: the data controller's and the drive's
// registers through the sub side of the gate array (0xFF8004-0xFF800B,
// 0xFF8036-0xFF804B), the CD tick every 210 lines of the Mega-CD frame with
// the level-5 interrupt it delivers, the drive's level-4 interrupt at the end
// of a frame and at once on the host clock, and hostile register values.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "cd_test_util.h"
#include "megacd/megacd.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

// One access of a sequence: a write, or a read and the value it returns.
struct Step {
    uint32_t address;
    int size;  // 1 byte, 2 word
    bool write;
    uint32_t value;
};
constexpr Step wb(uint32_t address, uint32_t value) { return {address, 1, true, value}; }
constexpr Step ww(uint32_t address, uint32_t value) { return {address, 2, true, value}; }
constexpr Step rb(uint32_t address, uint32_t value) { return {address, 1, false, value}; }
constexpr Step rw(uint32_t address, uint32_t value) { return {address, 2, false, value}; }

struct RegisterSequence {
    const char* name;
    std::vector<Step> steps;
};

// From the register table of the gate array's sub side and the LC8951's and
// the drive's registers behind it. The reads have effects (the register
// pointer moves on), so each sequence runs in order.
const RegisterSequence kSequences[] = {
    {"CdcPointerAndRegisterData",
     {rb(0xFF8005, 0x00), wb(0xFF8005, 0x02), wb(0xFF8007, 0x34), wb(0xFF8007, 0x12),  // DBC
      rb(0xFF8005, 0x04), rw(0xFF8004, 0x0004), wb(0xFF8004, 0x05), rw(0xFF8004, 0x0504),
      rb(0xFF8004, 0x05),
      // A word write to 0x04 stores the mode byte but leaves the pointer.
      ww(0xFF8004, 0x0709), rb(0xFF8005, 0x04), rw(0xFF8004, 0x0704),
      // The pointer keeps to the 16 registers.
      wb(0xFF8005, 0x12), rb(0xFF8005, 0x02), rb(0xFF8007, 0x34), rw(0xFF8006, 0x0012),
      rb(0xFF8005, 0x04), wb(0xFF8005, 0xFF), rb(0xFF8005, 0x0F),
      // The stored bytes of 0x06 read back as written.
      wb(0xFF8006, 0xAB), rb(0xFF8006, 0xAB)}},
    {"CdcResetLeavesThePointerAtOne",
     {wb(0xFF8005, 0x02), wb(0xFF8007, 0x55), wb(0xFF8005, 0x0F), wb(0xFF8007, 0x00),
      rb(0xFF8005, 0x01), rb(0xFF8007, 0xFF) /* IFSTAT */, rb(0xFF8007, 0x00) /* DBC low */}},
    {"DmaAddressReadsShiftedAndItsBytesAsStored",
     {ww(0xFF800A, 0x1234), rw(0xFF800A, 0x0246), rb(0xFF800A, 0x12), rb(0xFF800B, 0x34)}},
    {"CddControlBytesAndWord",
     {rw(0xFF8036, 0x0100) /* bit 8 after the reset */, ww(0xFF8036, 0x0203), rw(0xFF8036, 0x0203),
      rb(0xFF8036, 0x02), rb(0xFF8037, 0x03), wb(0xFF8036, 0x00), rw(0xFF8036, 0x0003),
      wb(0xFF8037, 0x80), rw(0xFF8036, 0x0080)}},
    // Report 4 (first and last track) without a disc: nothing runs before
    // the word at 0x4A; the command bytes keep only their nibbles, the
    // stored bytes stay as written.
    {"CddCommandRunsOnTheLastWord",
     {ww(0xFF8042, 0xF200), ww(0xFF8044, 0x0004), ww(0xFF8046, 0x0000), ww(0xFF8048, 0x0000),
      rw(0xFF8038, 0x0000), rw(0xFF8036, 0x0100), ww(0xFF804A, 0x0000),
      rw(0xFF8038, 0x0404) /* paused, report 4 */, rw(0xFF803A, 0x0000), rw(0xFF803C, 0x0000),
      rw(0xFF803E, 0x0000), rw(0xFF8040, 0x0007) /* checksum of 4 + 4 */, rw(0xFF8036, 0x0000),
      rb(0xFF8042, 0xF2), rb(0xFF8038, 0x00) /* status bytes read as stored */,
      rw(0xFF8042, 0xF200)}},
    // A word at an odd address is the word at the even one.
    {"OddWordAddressesActOnTheEvenOne",
     {ww(0xFF800B, 0x0800), rw(0xFF800A, 0x0100), ww(0xFF8037, 0x0001), rw(0xFF8036, 0x0001)}},
};

class CdRegisters : public ::testing::TestWithParam<RegisterSequence> {};

TEST_P(CdRegisters, ActAsDocumented) {
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    auto machine = test::makeMegaCdMachine(folder);
    int index = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(testing::Message() << "step " << index++ << std::hex << " at 0x" << step.address);
        if (step.write) {
            if (step.size == 1)
                machine->writeByteGateArray(step.address, step.value);
            else
                machine->writeWordGateArray(step.address, step.value);
        } else {
            const uint32_t got = step.size == 1 ? machine->readByteGateArray(step.address)
                                                : machine->readWordGateArray(step.address);
            EXPECT_EQ(got, step.value) << std::hex << "size " << step.size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, CdRegisters, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return std::string(info.param.name); });

class CdWiring : public ::testing::Test {
protected:
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMegaCdMachine(folder);
    CdUnit& unit = machine->cdUnit;

    // The sub CPU neither runs nor is reset while the main CPU holds its bus,
    // so raised levels stay pending where a test can see them.
    void holdBus() { machine->writeByteGateArray(0xA12001, 0x03); }
    uint8_t pending() const {
        Cpu68000Context context;
        machine->subCpu->getContext(&context);
        return context.interrupts[0];
    }
    void clearPending() {
        Cpu68000Context context;
        machine->subCpu->getContext(&context);
        context.interrupts[0] = 0;
        machine->subCpu->setContext(&context);
    }
    void cdcWrite(uint32_t first, std::initializer_list<uint8_t> values) {
        machine->writeByteGateArray(0xFF8005, first);
        for (uint8_t value : values) machine->writeByteGateArray(0xFF8007, value);
    }
    void cddCommand(std::initializer_list<uint8_t> nibbles) {
        uint8_t n[kCddNibbles] = {};
        std::copy_n(nibbles.begin(), std::min<size_t>(nibbles.size(), kCddNibbles), n);
        for (uint32_t i = 0; i < kCddNibbles; i += 2)
            machine->writeWordGateArray(0xFF8042 + i, n[i] * 256u + n[i + 1]);
    }
    void openDisc(uint32_t sectors) {
        ASSERT_EQ(unit.openImage(folder.write("disc.iso", test::makePlainImage(sectors)).c_str()), 0);
        machine->reset();  // the table of contents comes from the image
        holdBus();
    }
    // Report the start of track 1, then play from 00:02:00 with the decoder
    // storing sectors and raising its interrupt.
    void playFromTheStart() {
        cddCommand({2, 0, 0, 5, 0, 1});
        cdcWrite(15, {0});
        cdcWrite(1, {kIfctrlDecien | kIfctrlDouten});
        cdcWrite(10, {kCtrl0Decen | kCtrl0Wrrq});
        cddCommand({3, 0, 0, 0, 0, 2, 0, 0});
    }
};

TEST_F(CdWiring, HostDataPortReadsTheCacheInDiscOrder) {
    for (uint32_t i = 0; i < 4; ++i) unit.cache[0x100 + i] = static_cast<uint8_t>(0x11 * (i + 1));
    cdcWrite(1, {kIfctrlDouten, 0x01, 0x00, 0x00, 0x01});  // IFCTRL, DBC = 1 word pair, DAC = 0x100
    machine->writeByteGateArray(0xFF8004, 0x02);            // destination: main CPU host reads
    EXPECT_EQ(machine->readWordGateArray(0xFF8008), 0x1122u);
    EXPECT_EQ(machine->readByteGateArray(0xFF8004) & kCdcModeEdt, 0u);
    EXPECT_EQ(machine->readWordGateArray(0xFF8008), 0x3344u) << "the read at DBC = 0 still gives data";
    EXPECT_EQ(machine->readByteGateArray(0xFF8004) & kCdcModeEdt, kCdcModeEdt);
    EXPECT_EQ(machine->cdcIrqRequest, 1u);
    EXPECT_EQ(machine->readByteGateArray(0xFF8008), 0x00u) << "byte reads give the stored byte";
}

TEST_F(CdWiring, DmaToProgramRamThroughTheRegisters) {
    for (uint32_t i = 0; i < 16; ++i) unit.cache[0x200 + i] = static_cast<uint8_t>(0xA0 + i);
    cdcWrite(1, {kIfctrlDouten, 0x0F, 0x00, 0x00, 0x02});  // DBC 15 (16 bytes), DAC 0x200
    machine->writeByteGateArray(0xFF8004, kCdcDestinationPrgRam);
    machine->writeWordGateArray(0xFF800A, 0x0100);          // program RAM 0x800
    cdcWrite(6, {0});                                        // DTTRG
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(test::prgRamByte(*machine, 0x800 + i), 0xA0 + i) << i;
    EXPECT_EQ(machine->readByteGateArray(0xFF8004), kCdcModeEdt | kCdcModeDsr | kCdcDestinationPrgRam);
    EXPECT_EQ(machine->subCpu->readWord(0x800), 0xA0A1u) << "the sub CPU reads the disc's byte order";
}

TEST_F(CdWiring, HostClockRaisesLevelFourAtOnceOnItsRisingEdge) {
    holdBus();
    machine->writeWordGateArray(0xFF8036, 0x0004);
    EXPECT_EQ(pending() & 0x10, 0) << "masked";
    machine->writeWordGateArray(0xFF8036, 0x0000);
    machine->writeByteGateArray(0xFF8033, 0x10);
    machine->writeByteGateArray(0xFF8036, 0x04);
    EXPECT_EQ(pending() & 0x10, 0) << "the high byte carries no host clock";
    machine->writeByteGateArray(0xFF8037, 0x04);
    EXPECT_EQ(pending() & 0x10, 0x10) << "low byte: the clock rose";
    clearPending();
    machine->writeWordGateArray(0xFF8036, 0x0004);
    EXPECT_EQ(pending() & 0x10, 0) << "still set: no edge";
    machine->writeWordGateArray(0xFF8036, 0x0000);
    machine->writeWordGateArray(0xFF8036, 0x0104);
    EXPECT_EQ(pending() & 0x10, 0x10) << "word write: the clock rose";
    EXPECT_EQ(machine->cddIrqRequest, 0u) << "the edge leaves the drive's request alone";
}

TEST_F(CdWiring, DriveInterruptComesAtTheEndOfTheFrameWhenTheMaskAllows) {
    holdBus();
    cddCommand({0, 1});  // nibble 1 set: nothing runs, the interrupt is still requested
    EXPECT_EQ(machine->cddIrqRequest, 1u);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->cddIrqRequest, 1u) << "masked: the request waits";
    EXPECT_EQ(pending() & 0x10, 0);
    machine->writeByteGateArray(0xFF8033, 0x10);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->cddIrqRequest, 0u);
    EXPECT_EQ(pending() & 0x10, 0x10);
}

TEST_F(CdWiring, CdTickEvery210LinesAcrossFramesStreamsTheDisc) {
    openDisc(40);
    machine->cdTickCounter = 0;
    machine->writeByteGateArray(0xFF8033, 0x20);
    playFromTheStart();
    ASSERT_EQ(unit.lba, kFirstDataBlock + 1) << "the play command stores the first sector at once";
    ASSERT_EQ(machine->cdcIrqRequest, 1u);
    ASSERT_EQ(unit.tickPending, 1u);

    // The tick falls on line 209 of the first frame, line 157 of the
    // second, 105 of the third...: floor(262 n / 210) ticks after n frames,
    // at least one in every frame.
    for (uint32_t frames = 1; frames <= 12; ++frames) {
        SCOPED_TRACE(frames);
        machine->runFrame(nullptr, nullptr);
        const uint32_t lines = 262 * frames;
        EXPECT_EQ(machine->cdTickCounter, lines % 210);
        EXPECT_EQ(unit.lba, kFirstDataBlock + 1 + lines / 210);
        EXPECT_EQ(unit.tickPending, 1u);
        // Each tick delivers the request first, then the new sector asks again.
        EXPECT_EQ(pending() & 0x20, 0x20);
        EXPECT_EQ(machine->cdcIrqRequest, 1u);
        clearPending();
    }
}

TEST_F(CdWiring, TickFindsThe210thLineAndKeepsTheRequestWhileMasked) {
    openDisc(8);
    machine->cdTickCounter = 0;
    playFromTheStart();
    const uint32_t lba = unit.lba;
    for (uint32_t line = 1; line < kCdTickLines; ++line) machine->tickCdData();
    EXPECT_EQ(unit.lba, lba) << "209 lines: no tick yet";
    EXPECT_EQ(unit.tickPending, 1u);
    machine->tickCdData();
    EXPECT_EQ(unit.lba, lba + 1) << "the 210th line reads the next sector";
    EXPECT_EQ(machine->cdTickCounter, 0u);
    EXPECT_EQ(machine->cdcIrqRequest, 1u) << "masked: kept";
    EXPECT_EQ(pending() & 0x20, 0);

    // A stop ends the stream after the tick already due.
    cddCommand({1});
    for (uint32_t line = 0; line < kCdTickLines; ++line) machine->tickCdData();
    EXPECT_EQ(unit.lba, lba + 2);
    EXPECT_EQ(unit.tickPending, 0u);
    for (uint32_t line = 0; line < kCdTickLines; ++line) machine->tickCdData();
    EXPECT_EQ(unit.lba, lba + 2) << "stopped";

    // Unmasked, the request waiting since then goes out at the next tick.
    machine->writeByteGateArray(0xFF8033, 0x20);
    for (uint32_t line = 0; line < kCdTickLines; ++line) machine->tickCdData();
    EXPECT_EQ(pending() & 0x20, 0x20);
    EXPECT_EQ(machine->cdcIrqRequest, 0u);
}

TEST_F(CdWiring, TheTickCounterIsKeptAcrossResetsAndCartridgeFramesDoNotCount) {
    machine->cdTickCounter = 100;
    machine->reset();
    EXPECT_EQ(machine->cdTickCounter, 100u);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->cdTickCounter, (100u + 262u) % 210u);
    machine->megaCdMode = 0;  // a cartridge frame has no CD tick
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->cdTickCounter, (100u + 262u) % 210u);
}

// Hostile values through the gate array, for the sanitizers: a write
// pointer near the end of the cache, DMA from the cache's end into the end of
// each destination, tracks 0, 99 and 165 and a table of contents claiming
// 255 tracks, and every CD register written with every extreme value.
TEST_F(CdWiring, HostileRegisterValuesStayInsideEveryBuffer) {
    openDisc(4);
    machine->writeByteGateArray(0xFF8033, 0x30);

    cdcWrite(12, {0xF0, 0xFF});  // PT 0xFFF0
    playFromTheStart();
    cdcWrite(12, {0xF0, 0xFF});
    unit.tickPending = 0;
    unit.readNextSector();
    EXPECT_EQ(unit.pt, (0xFFF0 + kRawSectorSize) & kCdcRingMask);

    const uint8_t destinations[] = {kCdcDestinationPrgRam, kCdcDestinationWordRam, kCdcDestinationPcm, 2, 3};
    for (uint8_t destination : destinations) {
        for (uint32_t mode : {0u, 1u}) {
            machine->wordRamMode = mode == 0 ? kWordRamRet : kWordRamMode1M;
            cdcWrite(1, {kIfctrlDouten, 0xFF, 0xFF, 0xF0, 0xFF});  // DBC 0xFFFF, DAC 0xFFF0
            machine->writeByteGateArray(0xFF8004, destination);
            machine->writeWordGateArray(0xFF800A, 0xFFFF);
            cdcWrite(6, {0});
        }
    }
    machine->wordRamMode = kWordRamRet;
    cdcWrite(4, {0xFF, 0xFF});  // DAC 0xFFFF: host reads wrap
    for (int i = 0; i < 4; ++i) machine->readWordGateArray(0xFF8008);

    for (uint8_t tens : {0, 9, 15}) {
        for (uint8_t ones : {0, 9, 15}) {
            cddCommand({2, 0, 0, 5, tens, ones});  // tracks 0 ... 165
            cddCommand({4, 0, tens, ones, tens, ones, tens, ones});  // seek to 165:165:165
            cddCommand({3, 0, tens, ones, tens, ones, tens, ones});  // play there
        }
    }
    unit.imageMode = 0;  // a drive's table claiming 255 tracks
    unit.toc[2] = 1;
    unit.toc[3] = 255;
    cddCommand({2, 0, 0, 3});
    cddCommand({2, 0, 0, 5, 9, 9});
    EXPECT_EQ(machine->readWordGateArray(0xFF803A), 0u) << "no entry 256: zero digits";

    for (uint32_t offset = 0x04; offset < 0x4C; ++offset) {
        for (uint32_t value : {0x00u, 0xFFu, 0x80u, 0x7Fu}) {
            machine->writeByteGateArray(0xFF8000 + offset, value);
            machine->readByteGateArray(0xFF8000 + offset);
        }
        for (uint32_t value : {0x0000u, 0xFFFFu, 0x8000u, 0x7FFFu}) {
            machine->writeWordGateArray(0xFF8000 + offset, value);
            machine->readWordGateArray(0xFF8000 + offset);
        }
    }
    for (int frame = 0; frame < 3; ++frame) machine->runFrame(nullptr, nullptr);
    EXPECT_LT(unit.cdcRegisterIndex, kCdcRegisterCount);
    EXPECT_TRUE(recorder.errors.empty());
}

}  // namespace
}  // namespace vimo
