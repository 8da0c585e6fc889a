// Discs booted the way the menu boots them (Machine::loadCdImage) and read
// by a BIOS-like sub program through the real paths: the gate array, the CD
// tick and the CD interrupts of the Mega-CD frame, the drive commands and
// the data controller's DMA. Also the BIOS chosen by the disc's region in
// autodetect, and a disc that cannot be loaded.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cd_test_util.h"
#include "megacd/megacd.h"
#include "megacd_programs.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

using test::ramByte;
using test::ramWord;
using test::statusWord;
using test::swappedWord;

constexpr uint32_t kResults = 0xFF0000;
constexpr uint32_t kTocResults = 0x18000;   // sub address, program RAM
constexpr uint32_t kSectorSlots = 0x20000;  // 16 slots of 0x800 bytes
constexpr uint32_t kBiosMarker = 0x1F0;     // the byte the main program reports
constexpr uint32_t kSlotUsa = 0, kSlotJapan = 1, kSlotEurope = 2;

// Status words of the read program.
constexpr uint32_t kStage = 0, kMoved = 2, kDriveInterrupts = 4, kLastSector = 6, kAfterPlay = 8;

class CdRead : public ::testing::Test {
protected:
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    // The read program as the BIOS of one country, told apart by its marker.
    void writeBios(uint32_t slot, char marker) {
        const auto program = programs::mcd_cdread();
        std::vector<uint8_t> file(program.begin(), program.end());
        file.resize(0x20000, 0);
        file[kBiosMarker] = static_cast<uint8_t>(marker);
        const std::string path = folder.write("bios" + std::to_string(slot) + ".bin", file);
        std::snprintf(machine->biosPaths[slot], kBiosPathSize, "%s", path.c_str());
    }
    void writeAllBioses() {
        writeBios(kSlotUsa, 'U');
        writeBios(kSlotJapan, 'J');
        writeBios(kSlotEurope, 'E');
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    }
    // Runs until the program has moved `sectors` sectors (or gives up).
    void runUntilMoved(uint32_t sectors) {
        for (int frame = 0; frame < 200 && statusWord(*machine, kMoved) < sectors; ++frame) run(1);
    }
    uint16_t tocResult(uint32_t index) const { return swappedWord(machine->prgRam.get(), kTocResults + 2 * index); }
    void TearDown() override {
        EXPECT_NE(statusWord(*machine, 14), 0xDEADu) << "the sub program took an unexpected exception";
    }
};

TEST_F(CdRead, ABiosLikeProgramReadsTheTableOfContentsAndStreamsSectorsByDma) {
    constexpr uint8_t kRegion = 0x7A;
    const std::string disc = folder.write("GAME.BIN", test::makeRawImage(64, kRegion));
    machine->country = kCountryUsa;
    writeBios(kSlotUsa, 'U');
    ASSERT_EQ(machine->loadCdImage(disc.c_str()), 0);
    ASSERT_EQ(machine->megaCdMode, 1u);
    ASSERT_EQ(machine->cdUnit.imageMode, 1u);

    runUntilMoved(20);
    EXPECT_EQ(ramByte(*machine, kResults), 'U');
    EXPECT_EQ(ramWord(*machine, kResults + 2), 0x600Du);
    EXPECT_EQ(statusWord(*machine, kStage), 2u);

    // The table of contents of an image: one data track, lead-out 73:59:74.
    const uint16_t expected[] = {
        0x0404, 0x0001, 0x0001,          // report 4: paused; first track 01, last track 01
        0x0403, 0x0703, 0x0509, 0x0704,  // report 3: lead-out 73:59:74
        0x0405, 0x0000, 0x0000, 0x0800,  // report 5: track 1 starts at 00:00:(8)0, data
        0x010D,                          // [8] = 1 and the checksum
    };
    for (uint32_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(tocResult(i), expected[i]) << "result " << i;
    EXPECT_EQ(statusWord(*machine, kAfterPlay), 0x0102u) << "playing, play reported";
    EXPECT_EQ(statusWord(*machine, kDriveInterrupts), 4u) << "one level-4 interrupt for each command";

    // The play command stores sector 0 itself and every CD tick after it
    // stores one more. The handler moves the sector that the header and PT
    // name when its interrupt comes, so it never sees sector 0: it moves
    // sectors 1, 2, 3 ... in order, one per interrupt.
    const uint32_t moved = statusWord(*machine, kMoved);
    const uint32_t last = statusWord(*machine, kLastSector);
    ASSERT_GE(moved, 20u);
    EXPECT_EQ(last, moved) << "sectors 1, 2, 3 ... one per interrupt";
    for (uint32_t k = 0; k < 16; ++k) {
        const uint32_t sector = last - k;
        const uint32_t slot = kSectorSlots + (sector & 15) * kSectorDataSize;
        for (uint32_t i = 0; i < kSectorDataSize; ++i)
            ASSERT_EQ(test::prgRamByte(*machine, slot + i), test::sectorByte(sector, i, kRegion))
                << "sector " << sector << " byte " << i;
    }
}

TEST_F(CdRead, AutodetectBootsTheBiosOfTheDiscsRegion) {
    struct Case {
        uint8_t region;
        char bios;
    };
    const Case cases[] = {{0x64, 'E'}, {0xA1, 'J'}, {0x7A, 'U'}, {0x00, 'U'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "region byte 0x" << std::hex << int{c.region});
        machine = test::makeMachine();
        ASSERT_EQ(machine->country, kCountryAutodetectStartup);
        writeAllBioses();
        const std::string disc = folder.write("disc.iso", test::makePlainImage(32, c.region));
        ASSERT_EQ(machine->loadCdImage(disc.c_str()), 0);
        ASSERT_EQ(machine->megaCdMode, 1u);
        runUntilMoved(4);
        EXPECT_EQ(ramByte(*machine, kResults), static_cast<uint8_t>(c.bios));
        EXPECT_GE(statusWord(*machine, kMoved), 4u) << "the disc streams";
    }
    // The menu's autodetect value, and a second disc replacing the first.
    machine->country = kCountryAutodetectMenu;
    const std::string europe = folder.write("europe.iso", test::makePlainImage(32, 0x64));
    ASSERT_EQ(machine->loadCdImage(europe.c_str()), 0);
    EXPECT_STREQ(machine->cdUnit.imagePath, europe.c_str());
    runUntilMoved(2);
    EXPECT_EQ(ramByte(*machine, kResults), 'E');
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(CdRead, ADiscThatCannotBeOpenedChangesNothing) {
    const std::string disc = folder.write("disc.iso", test::makePlainImage(32));
    machine->country = kCountryJapan;
    writeBios(kSlotJapan, 'J');
    ASSERT_EQ(machine->loadCdImage(disc.c_str()), 0);
    runUntilMoved(3);

    const uint8_t* rom = machine->rom.get();
    const int32_t romSize = machine->romSize;
    const uint32_t lba = machine->cdUnit.lba;
    const uint16_t moved = statusWord(*machine, kMoved);
    const std::vector<uint8_t> prgRam(machine->prgRam.get(), machine->prgRam.get() + kPrgRamSize);
    const std::string missing = folder.path("missing.iso").string();
    recorder.clear();
    EXPECT_EQ(machine->loadCdImage(missing.c_str()), 1);
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0], "Couldn't load: " + missing);
    EXPECT_EQ(machine->megaCdMode, 1u);
    EXPECT_EQ(machine->rom.get(), rom);
    EXPECT_EQ(machine->romSize, romSize);
    EXPECT_EQ(machine->cdUnit.imageMode, 1u);
    EXPECT_STREQ(machine->cdUnit.imagePath, disc.c_str());
    EXPECT_EQ(machine->cdUnit.lba, lba);
    EXPECT_EQ(statusWord(*machine, kMoved), moved);
    EXPECT_TRUE(std::equal(prgRam.begin(), prgRam.end(), machine->prgRam.get()));
    run(2);
    EXPECT_GT(statusWord(*machine, kMoved), moved) << "the disc goes on streaming";

    // Without a BIOS for the country the image opens, the boot fails and the
    // load still reports success, as the menu expects.
    machine->biosPaths[kSlotJapan][0] = '\0';
    recorder.clear();
    EXPECT_EQ(machine->loadCdImage(disc.c_str()), 0);
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0], "Please configure the MegaCD JAP bios");
    EXPECT_EQ(machine->megaCdMode, 0u);
}

TEST_F(CdRead, ACartridgeStaysWhenTheDiscCannotBeOpened) {
    ASSERT_EQ(test::loadImage(*machine, folder, test::patternImage(0x8000)), 0);
    const uint8_t* rom = machine->rom.get();
    const std::string missing = folder.path("nowhere/disc.bin").string();
    EXPECT_EQ(machine->loadCdImage(missing.c_str()), 1);
    EXPECT_EQ(machine->megaCdMode, 0u);
    EXPECT_EQ(machine->rom.get(), rom);
    EXPECT_EQ(machine->romSize, 0x8000);
    EXPECT_EQ(machine->cdUnit.imageMode, 0u);
}

}  // namespace
}  // namespace vimo
