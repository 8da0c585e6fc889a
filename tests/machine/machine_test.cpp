// Construction, destruction, the hard reset and the byte-pair swap.
#include <algorithm>
#include <array>
#include <cstring>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

bool allBytesAre(const uint8_t* block, size_t size, uint8_t value) {
    return std::all_of(block, block + size, [value](uint8_t b) { return b == value; });
}

TEST(MachineConstruction, DefaultsWithoutAnImage) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    ASSERT_TRUE(machine->isUsable());
    EXPECT_EQ(globalMachine, machine.get());
    EXPECT_EQ(machine->vdp.machine, machine.get());
    EXPECT_EQ(machine->cdUnit.machine, machine.get());

    EXPECT_EQ(machine->country, 0xFF1u);  // autodetect
    EXPECT_EQ(machine->z80Core, 1u);
    EXPECT_EQ(machine->hInterrupts, 1u);
    EXPECT_EQ(machine->megaCdMode, 0u);
    EXPECT_EQ(machine->romBankMode, 0u);
    EXPECT_EQ(machine->romSize, 0);
    EXPECT_EQ(machine->rom, nullptr);
    EXPECT_EQ(machine->romCopy, nullptr);
    EXPECT_EQ(machine->gymLogging, 0u);
    EXPECT_EQ(machine->gymLogDac, 0u);
    EXPECT_EQ(machine->psgEnabled, 1u);
    EXPECT_EQ(machine->fmEnabled, 1u);
    EXPECT_EQ(machine->pcmEnabled, 1u);
    EXPECT_EQ(machine->soundMuted, 0u);
    EXPECT_EQ(machine->sampleRate, 44100u);
    EXPECT_EQ(machine->sound16Bit, 1u);
    EXPECT_EQ(machine->vdp.pixelFormat, 16u);
    for (const auto& path : machine->biosPaths) EXPECT_STREQ(path, "");
    for (const auto& part : machine->fmShadow)
        for (uint16_t entry : part) EXPECT_EQ(entry, 0xFFFF);

    // Both pads read as nothing pressed: TH low gives Start, A, Down, Up
    // released (0x33), TH high C, B and the directions released (0x7F).
    EXPECT_EQ(machine->pads[0], kPadsReleased);
    EXPECT_EQ(machine->pads[1], kPadsReleased);
    EXPECT_EQ(machine->readByteIo(0xA10003), 0x33u);
    EXPECT_EQ(machine->readByteIo(0xA10005), 0x33u);
    machine->writeByteIo(0xA10003, 0x40);
    machine->writeByteIo(0xA10005, 0x40);
    EXPECT_EQ(machine->readByteIo(0xA10003), 0x7Fu);
    EXPECT_EQ(machine->readByteIo(0xA10005), 0x7Fu);

    // Construction ends with a hard reset, which darkens both lamps.
    ASSERT_FALSE(recorder.lamps.empty());
    EXPECT_EQ(recorder.lamps.back(), 0);
    EXPECT_TRUE(recorder.errors.empty());
}

TEST(MachineConstruction, DestructorReleasesAndClearsTheGlobalPointer) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    EXPECT_EQ(globalMachine, machine.get());
    machine.reset();
    EXPECT_EQ(globalMachine, nullptr);

    // A second machine is built exactly like the first.
    auto second = test::makeMachine();
    EXPECT_EQ(globalMachine, second.get());
    EXPECT_TRUE(second->isUsable());
    EXPECT_EQ(second->country, 0xFF1u);
}

// Fails the n-th block allocation (counting from 0) and every one after it.
int allocationsBeforeFailure = 0;
uint8_t* failingAllocator(size_t bytes) {
    if (allocationsBeforeFailure-- <= 0) return nullptr;
    return allocateZeroedBlock(bytes);
}

class AllocationFailure : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { blockAllocator = allocateZeroedBlock; }
};

TEST_P(AllocationFailure, ReportsItsBlockAndLeavesAMachineThatRefusesToRun) {
    static const char* const kMessages[] = {
        "Couldn't allocate 64KB of ram",
        "Couldn't allocate 8KB of sound ram",
        "Couldn't allocate 512KB of program ram",
        "Couldn't allocate 256 KB of word ram",
        "Couldn't allocate 128 KB of word ram bank 0",
        "Couldn't allocate 128 KB of word ram bank 1",
        "Couldn't allocate 8 KB of backup ram",
    };
    const int failing = GetParam();
    ReportRecorder recorder;
    test::ScratchFolder folder;
    const std::vector<uint8_t> image(0x400, 0);
    const std::string romPath = folder.write("game.bin", image);

    allocationsBeforeFailure = failing;
    blockAllocator = failingAllocator;
    auto machine = test::makeMachine();
    blockAllocator = allocateZeroedBlock;

    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0], kMessages[failing]);
    EXPECT_FALSE(machine->isUsable());
    EXPECT_EQ(globalMachine, nullptr);
    EXPECT_TRUE(recorder.lamps.empty()) << "no hard reset ran";
    // The blocks after the failing one were never allocated.
    const bool allocated[] = {machine->ram != nullptr,          machine->z80Ram != nullptr,
                              machine->prgRam != nullptr,       machine->wordRam != nullptr,
                              machine->wordRamBank0 != nullptr, machine->wordRamBank1 != nullptr,
                              machine->backupRam != nullptr};
    for (int block = 0; block < 7; ++block) EXPECT_EQ(allocated[block], block < failing) << block;

    // Nothing may run on the missing blocks.
    EXPECT_EQ(machine->runFrame(nullptr, nullptr), 1);
    EXPECT_EQ(machine->reset(), 1);
    EXPECT_EQ(machine->loadRomFile(romPath.c_str()), 1);
    EXPECT_EQ(machine->romSize, 0);
    EXPECT_EQ(machine->saveBackupRam(folder.path("b.brm").string().c_str()), 1);
    machine.reset();  // and it can still be destroyed
}

INSTANTIATE_TEST_SUITE_P(EachBlock, AllocationFailure, ::testing::Range(0, 7));

TEST(HardReset, ClearsEveryMemoryButTheBackupRamAndTheImage) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    test::ScratchFolder folder;
    const auto image = test::patternImage(0x1000);
    ASSERT_EQ(machine->loadRomFile(folder.write("game.bin", image).c_str()), 0);

    std::memset(machine->ram.get(), 0x11, kWorkRamSize);
    std::memset(machine->z80Ram.get(), 0x22, kZ80RamSize);
    std::memset(machine->prgRam.get(), 0x33, kPrgRamSize);
    std::memset(machine->wordRam.get(), 0x44, kWordRamSize);
    std::memset(machine->wordRamBank0.get(), 0x55, kWordRamBankSize);
    std::memset(machine->wordRamBank1.get(), 0x66, kWordRamBankSize);
    std::memset(machine->backupRam.get(), 0x77, kBackupRamSize);

    EXPECT_EQ(machine->reset(), 0);
    EXPECT_TRUE(allBytesAre(machine->ram.get(), kWorkRamSize, 0));
    EXPECT_TRUE(allBytesAre(machine->z80Ram.get(), kZ80RamSize, 0));
    EXPECT_TRUE(allBytesAre(machine->prgRam.get(), kPrgRamSize, 0));
    EXPECT_TRUE(allBytesAre(machine->wordRam.get(), kWordRamSize, 0));
    EXPECT_TRUE(allBytesAre(machine->wordRamBank0.get(), kWordRamBankSize, 0));
    EXPECT_TRUE(allBytesAre(machine->wordRamBank1.get(), kWordRamBankSize, 0));
    EXPECT_TRUE(allBytesAre(machine->backupRam.get(), kBackupRamSize, 0x77));
    for (uint32_t a = 0; a < image.size(); ++a)
        ASSERT_EQ(machine->readByteRomRam(a), image[a]) << a;
}

TEST(HardReset, PutsPortsPadsSoundGlueAndGateArrayBack) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    Machine& m = *machine;
    m.vCounter = 77;
    m.thLevel[0] = m.thLevel[1] = 1;
    m.sixButtonCount[0] = m.sixButtonCount[1] = 3;
    m.linesSinceThWrite[0] = m.linesSinceThWrite[1] = 9;
    m.pads[0] = m.pads[1] = 0;
    for (auto& c : m.ioControl) c = 0x40;
    for (auto& t : m.txData) t = 1;
    for (auto& r : m.rxData) r = 1;
    m.extData = 0;
    for (auto& t : m.tmssBytes) t = 'S';
    m.fmShadow[1][0x28] = 0xF0;
    m.fmAddressLatch[0] = m.fmAddressLatch[1] = 0x2A;
    m.fmStatus = 3;
    m.fmTimerElapsed[0] = m.fmTimerElapsed[1] = 100.0;
    m.line = 100;
    m.hIntCounter = 5;
    m.mainGateArray[0x10] = m.subGateArray[0x20] = m.commArea[3] = 9;
    m.commFlags = 0x1234;
    m.hIntVector = 0x4321;
    m.wordRamMode = 4;
    m.graphicsIrqRequest = m.cddIrqRequest = m.cdcIrqRequest = 1;
    m.subTimer = m.stopwatch = 50;
    m.fontColour = 1;
    m.fontBits = 2;
    m.fontData[7] = 3;
    m.cdUnit.cddControl = 0;
    m.z80Running = 1;
    m.z80Bank = 0x1FF;
    recorder.clear();

    ASSERT_EQ(m.reset(), 0);
    EXPECT_EQ(m.vCounter, 0);
    for (int pad = 0; pad < 2; ++pad) {
        EXPECT_EQ(m.thLevel[pad], 0);
        EXPECT_EQ(m.sixButtonCount[pad], 0);
        EXPECT_EQ(m.linesSinceThWrite[pad], 0);
        EXPECT_EQ(m.pads[pad], 0xF303Fu);
    }
    for (auto c : m.ioControl) EXPECT_EQ(c, 0u);
    for (auto t : m.txData) EXPECT_EQ(t, 0xFFu);
    for (auto r : m.rxData) EXPECT_EQ(r, 0u);
    EXPECT_EQ(m.extData, 0x7Fu);
    for (auto t : m.tmssBytes) EXPECT_EQ(t, 0);
    EXPECT_EQ(m.fmShadow[1][0x28], 0xFFFF);
    EXPECT_EQ(m.fmAddressLatch[0], 0u);
    EXPECT_EQ(m.fmAddressLatch[1], 0u);
    EXPECT_EQ(m.fmStatus, 0);
    EXPECT_EQ(m.fmTimerElapsed[0], 0.0);
    EXPECT_EQ(m.fmTimerElapsed[1], 0.0);
    EXPECT_EQ(m.line, 0);
    EXPECT_EQ(m.hIntCounter, 0);

    // Gate array: both files cleared, then the reset values.
    for (uint32_t i = 0; i < sizeof m.mainGateArray; ++i) {
        const uint8_t expected = i == 0x03 ? 1 : (i == 0x06 || i == 0x07) ? 0xFF : 0;
        EXPECT_EQ(m.mainGateArray[i], expected) << i;
    }
    for (uint32_t i = 0; i < sizeof m.subGateArray; ++i)
        EXPECT_EQ(m.subGateArray[i], i == 0x03 ? 1 : 0) << i;
    for (auto b : m.commArea) EXPECT_EQ(b, 0);
    EXPECT_EQ(m.commFlags, 0);
    EXPECT_EQ(m.hIntVector, 0);
    EXPECT_EQ(m.wordRamMode, 1u);
    EXPECT_EQ(m.cdUnit.cddControl & 0x100, 0x100u);
    EXPECT_EQ(m.graphicsIrqRequest, 0u);
    EXPECT_EQ(m.cddIrqRequest, 0u);
    EXPECT_EQ(m.cdcIrqRequest, 0u);
    EXPECT_EQ(m.subTimer, 0);
    EXPECT_EQ(m.stopwatch, 0);
    EXPECT_EQ(m.fontColour, 0);
    EXPECT_EQ(m.fontBits, 0);
    EXPECT_EQ(m.fontData[7], 0);

    // The Z80 waits for the 68000 to release its bus, with bank 0.
    EXPECT_EQ(m.z80Running, 0u);
    EXPECT_EQ(m.z80Bank, 0u);
    EXPECT_EQ(recorder.lamps, std::vector<uint8_t>{0});
}

TEST(HardReset, ResetsTheVdp) {
    ReportRecorder recorder;
    auto machine = test::makeMachine();
    machine->vdp.regs[1] = 0x44;
    machine->vdp.status = 0x88;
    machine->vdp.vram[0x100] = 0x12;
    machine->reset();
    EXPECT_EQ(machine->vdp.regs[1], 0);
    EXPECT_EQ(machine->vdp.status, 0u);
    EXPECT_EQ(machine->vdp.vram[0x100], 0);
}

TEST(SwapBytePairs, SwapsCompletePairsAndLeavesAnOddByte) {
    std::array<uint8_t, 5> bytes{1, 2, 3, 4, 5};
    EXPECT_EQ(swapBytePairs(bytes.data(), 5), 0);
    EXPECT_EQ(bytes, (std::array<uint8_t, 5>{2, 1, 4, 3, 5}));
    swapBytePairs(bytes.data(), 5);
    EXPECT_EQ(bytes, (std::array<uint8_t, 5>{1, 2, 3, 4, 5}));
}

TEST(SwapBytePairs, LengthsBelowOneChangeNothing) {
    std::array<uint8_t, 2> bytes{1, 2};
    swapBytePairs(bytes.data(), 0);
    swapBytePairs(bytes.data(), -4);
    swapBytePairs(bytes.data(), 1);
    EXPECT_EQ(bytes, (std::array<uint8_t, 2>{1, 2}));
    EXPECT_EQ(swapBytePairs(nullptr, 8), 0);
}

}  // namespace
}  // namespace vimo
