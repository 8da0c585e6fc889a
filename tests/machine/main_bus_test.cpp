// The main 68000's cartridge memory map and the ROM-and-RAM access that VDP
// DMA and the Z80's window use.
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class MainBus : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
};

void expectDirect(const DataRegion& entry, uint32_t low, uint32_t high, const void* host) {
    EXPECT_EQ(entry.low, low);
    EXPECT_EQ(entry.high, high);
    EXPECT_EQ(entry.read, nullptr);
    EXPECT_EQ(entry.write, nullptr);
    EXPECT_EQ(entry.userData, host);
}

void expectReader(const DataRegion& entry, uint32_t low, uint32_t high, DataReadHandler handler) {
    EXPECT_EQ(entry.low, low);
    EXPECT_EQ(entry.high, high);
    EXPECT_EQ(entry.read, handler);
}

void expectWriter(const DataRegion& entry, uint32_t low, uint32_t high, DataWriteHandler handler) {
    EXPECT_EQ(entry.low, low);
    EXPECT_EQ(entry.high, high);
    EXPECT_EQ(entry.write, handler);
}

// The cartridge map of an image of `size` bytes (at most 4 MB mapped).
void expectCartridgeMap(const Machine& m, uint32_t mapped) {
    const ProgramRegion* fetch = m.mainTables.fetch.get();
    size_t i = 0;
    if (mapped > 0) {
        EXPECT_EQ(fetch[i].low, 0u);
        EXPECT_EQ(fetch[i].high, mapped - 1);
        EXPECT_EQ(fetch[i].offset, reinterpret_cast<uintptr_t>(m.rom.get()));
        ++i;
    }
    EXPECT_EQ(fetch[i].low, 0xFF0000u);
    EXPECT_EQ(fetch[i].high, 0xFFFFFFu);
    EXPECT_EQ(fetch[i].offset, reinterpret_cast<uintptr_t>(m.ram.get()) - 0xFF0000u);
    EXPECT_EQ(fetch[i + 1].low, 0xFFFFFFFFu);

    const struct {
        const DataRegion* list;
        DataReadHandler io, system, vdp;
    } reads[] = {
        {m.mainTables.readByte.get(), mainReadByteIo, mainReadByteSystem, mainReadByteVdp},
        {m.mainTables.readWord.get(), mainReadWordIo, mainReadWordSystem, mainReadWordVdp},
    };
    for (const auto& r : reads) {
        size_t e = 0;
        if (mapped > 0) expectDirect(r.list[e++], 0, mapped - 1, m.rom.get());
        expectReader(r.list[e++], 0xA00000, 0xA1001F, r.io);
        expectReader(r.list[e++], 0xA10020, 0xBFFFFF, r.system);
        expectReader(r.list[e++], 0xC00000, 0xDFFFFF, r.vdp);
        expectDirect(r.list[e++], 0xFF0000, 0xFFFFFF, m.ram.get());
        EXPECT_EQ(r.list[e].low, 0xFFFFFFFFu);
    }
    const struct {
        const DataRegion* list;
        DataWriteHandler io, system, vdp;
    } writes[] = {
        {m.mainTables.writeByte.get(), mainWriteByteIo, mainWriteByteSystem, mainWriteByteVdp},
        {m.mainTables.writeWord.get(), mainWriteWordIo, mainWriteWordSystem, mainWriteWordVdp},
    };
    for (const auto& w : writes) {
        expectWriter(w.list[0], 0xA00000, 0xA1001F, w.io);
        expectWriter(w.list[1], 0xA10020, 0xBFFFFF, w.system);
        expectWriter(w.list[2], 0xC00000, 0xDFFFFF, w.vdp);
        expectDirect(w.list[3], 0xFF0000, 0xFFFFFF, m.ram.get());
        EXPECT_EQ(w.list[4].low, 0xFFFFFFFFu);
    }

    // One map for both processor modes.
    Cpu68000Context context;
    m.mainCpu->getContext(&context);
    for (const Cpu68000ListSet& set : {context.supervisor, context.user}) {
        EXPECT_EQ(set.fetch, m.mainTables.fetch.get());
        EXPECT_EQ(set.readByte, m.mainTables.readByte.get());
        EXPECT_EQ(set.readWord, m.mainTables.readWord.get());
        EXPECT_EQ(set.writeByte, m.mainTables.writeByte.get());
        EXPECT_EQ(set.writeWord, m.mainTables.writeWord.get());
    }
}

TEST_F(MainBus, WithoutAnImageNothingIsMappedAtZero) {
    expectCartridgeMap(*machine, 0);
    EXPECT_EQ(machine->mainCpu->readWord(0), 0xFFFF);
}

TEST_F(MainBus, CartridgeMapOfALoadedImageSurvivesTheHardReset) {
    ASSERT_EQ(test::loadImage(*machine, folder, test::patternImage(0x20000)), 0);
    expectCartridgeMap(*machine, 0x20000);
    machine->reset();
    expectCartridgeMap(*machine, 0x20000);
}

TEST_F(MainBus, ImagesAboveFourMegabytesMapTheirFirstFourMegabytes) {
    ASSERT_EQ(test::loadImage(*machine, folder, test::patternImage(0x480000)), 0);
    expectCartridgeMap(*machine, 0x400000);
}

TEST_F(MainBus, RomAndRamReaderSeesTheWorkRamMirrorThe68000DoesNot) {
    test::setRamByte(*machine, 0xFF1234, 0x5C);
    EXPECT_EQ(machine->readByteRomRam(0xE01234), 0x5Cu);
    EXPECT_EQ(machine->readByteRomRam(0xFE1234), 0x5Cu);
    EXPECT_EQ(machine->readByteRomRam(0xFF1234), 0x5Cu);
    EXPECT_EQ(machine->mainCpu->readByte(0xE01234), 0xFF) << "unmapped for the 68000";
    EXPECT_EQ(machine->mainCpu->readByte(0xFF1234), 0x5C);
}

TEST_F(MainBus, RomAndRamReaderOfTheImageAndOfNothing) {
    const auto image = test::patternImage(0x1001);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    EXPECT_EQ(machine->readByteRomRam(0x0000), image[0]);
    EXPECT_EQ(machine->readByteRomRam(0x1000), image[0x1000]);
    EXPECT_EQ(machine->readByteRomRam(0x1001), 0u) << "past the image";
    EXPECT_EQ(machine->readWordRomRam(0x0FFE), static_cast<uint32_t>((image[0xFFE] << 8) | image[0xFFF]));
    EXPECT_EQ(machine->readWordRomRam(0x1000), static_cast<uint32_t>(image[0x1000] << 8));
    for (uint32_t address : {0x400000u, 0xA00000u, 0xC00000u, 0xDFFFFFu, 0x1000000u, 0x1FF0000u})
        EXPECT_EQ(machine->readByteRomRam(address), 0u) << std::hex << address;
}

TEST_F(MainBus, RamWritesLandOnlyFromFF0000) {
    machine->writeByteRam(0xE00000, 0x11);
    machine->writeByteRam(0xFEFFFF, 0x22);
    machine->writeByteRam(0x001234, 0x33);
    machine->writeWordRam(0xE01000, 0x4444);
    for (uint32_t i = 0; i < kWorkRamSize; ++i) ASSERT_EQ(machine->ram[i], 0) << i;
    machine->writeByteRam(0xFF0001, 0x55);
    machine->writeWordRam(0xFF0010, 0xA1B2);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0001), 0x55);
    EXPECT_EQ(test::ramWord(*machine, 0xFF0010), 0xA1B2);
    EXPECT_EQ(machine->readWordRomRam(0xFF0010), 0xA1B2u);
}

}  // namespace
}  // namespace vimo
