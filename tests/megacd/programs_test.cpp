// Synthetic BIOS programs booted through bootMegaCd: the main CPU loads and
// releases a sub program and the two talk through the gate array; the
// timer's period; word RAM handed over and split into banks; and a
// cartridge hammering the gate-array range. Results are read from work RAM
// (main side) and the comm status words (sub side).
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "megacd/megacd.h"
#include "megacd_programs.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

using test::ramLong;
using test::ramWord;
using test::ReportRecorder;
using test::statusWord;

constexpr uint32_t kResults = 0xFF0000;
constexpr uint32_t kUnexpected = 0xFFFFF0;
constexpr uint16_t kDone = 0x600D;

class BiosProgram : public ::testing::Test {
protected:
    ReportRecorder recorder;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    void boot(std::span<const uint8_t> program, size_t fileSize = 0x20000) {
        ASSERT_EQ(test::bootBios(*machine, folder, program, fileSize), 0);
        ASSERT_EQ(machine->megaCdMode, 1u);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    }
    void TearDown() override {
        EXPECT_NE(ramLong(*machine, kUnexpected), 0xDEADDEADu) << "the main program took an unexpected exception";
        EXPECT_NE(statusWord(*machine, 14), 0xDEADu) << "the sub program took an unexpected exception";
    }
};

void expectBootConversation(const Machine& machine) {
    EXPECT_EQ(ramWord(machine, kResults + 10), 0u) << "the sub CPU stays in reset until released";
    EXPECT_EQ(ramWord(machine, kResults), 0x5AB0u) << "the sub program started (past its RESET instruction)";
    EXPECT_EQ(ramWord(machine, kResults + 2), 0xB1B1u) << "program-RAM bank 1 written through the window";
    EXPECT_EQ(ramWord(machine, kResults + 4), 0x1235u) << "command answered through the comm words";
    EXPECT_EQ(ramWord(machine, kResults + 6), 2u) << "two level-2 interrupts";
    EXPECT_EQ(ramWord(machine, kResults + 8), kDone);
}

TEST_F(BiosProgram, BootsTheSubCpuAndTalksToIt) {
    boot(programs::mcd_boot());
    EXPECT_EQ(machine->romSize, 0x20000);
    run(3);
    expectBootConversation(*machine);

    // The sub program counts in its loop; resetting it through 0xA12001
    // starts it again from its reset vector.
    const uint16_t loops = statusWord(*machine, 8);
    run(1);
    EXPECT_NE(statusWord(*machine, 8), loops);
    machine->writeByteGateArray(0xA12001, 0x03);
    const uint16_t frozen = statusWord(*machine, 8);
    run(1);
    EXPECT_EQ(statusWord(*machine, 8), frozen) << "bus requested: the sub CPU stands still";
    machine->writeByteGateArray(0xA12001, 0x00);
    machine->writeWordGateArray(0xFF8020, 0);
    run(1);
    EXPECT_EQ(statusWord(*machine, 0), 0u) << "held in reset";
    machine->writeByteGateArray(0xA12001, 0x01);
    run(1);
    EXPECT_EQ(statusWord(*machine, 0), 0x5AB0u) << "restarted from the reset vector";
}

TEST_F(BiosProgram, AFourKilobyteBiosBootsAndKeepsItsSize) {
    const auto program = programs::mcd_boot();
    ASSERT_LE(program.size(), 4096u);
    boot(program, 4096);
    EXPECT_EQ(machine->romSize, 4096) << "the loaded size, for the ROM dump";
    run(3);
    expectBootConversation(*machine);
    EXPECT_EQ(machine->mainCpu->readWord(0x1FFFE), 0u) << "the BIOS block past the file reads zeros";
}

TEST_F(BiosProgram, TimerInterruptEveryFiveLinesForReloadTen) {
    boot(programs::mcd_timer());
    run(2);
    const uint16_t before = statusWord(*machine, 0);
    EXPECT_GT(before, 0u);
    run(5);
    // 5 frames are 1310 lines: 262 periods of 5 lines.
    EXPECT_EQ(static_cast<uint16_t>(statusWord(*machine, 0) - before), 262u);
}

// The finished operation raises level 1 on the third line step that finds
// it pending: 3 lines, 6 stopwatch steps, after the operation.
TEST_F(BiosProgram, StampOperationInterruptsOnceAfterItsDelay) {
    boot(programs::mcd_stamp());
    run(3);
    EXPECT_EQ(statusWord(*machine, 0), 1u) << "one level-1 interrupt";
    EXPECT_EQ(static_cast<uint16_t>(statusWord(*machine, 2) - statusWord(*machine, 4)), 6u);
    EXPECT_EQ(statusWord(*machine, 6), 0u) << "no V dots left";
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(machine->wordRam[(0x3000 + i) ^ 1], 0x55) << i;
    EXPECT_EQ(machine->wordRam[0x3004 ^ 1], 0x00) << "8 dots only";
}

TEST_F(BiosProgram, WordRamHandedOverThenSplitIntoBanks) {
    boot(programs::mcd_word_ram());
    run(3);
    EXPECT_EQ(test::ramByte(*machine, kResults + 16), 0x02) << "RET 0, DMNA 1 after the hand-over";
    EXPECT_EQ(statusWord(*machine, 0), 0x2222u) << "the sub CPU reads the main CPU's word in 2M mode";
    EXPECT_EQ(statusWord(*machine, 2), 0x02u) << "and the same mode register";
    EXPECT_EQ(statusWord(*machine, 4), 0x2400u) << "dots 2 and 4 in its bank's first byte";
    EXPECT_EQ(statusWord(*machine, 6), 0u) << "the dot image reads 0";
    EXPECT_EQ(ramWord(*machine, kResults), 0xC0DEu) << "the routine ran from the main CPU's bank";
    EXPECT_EQ(ramWord(*machine, kResults + 2), 0x33FCu) << "its first word, move.w #imm,(xxx).l";
    EXPECT_EQ(ramWord(*machine, kResults + 4), 0x33FCu) << "0x220000 reads the same bank";
    EXPECT_EQ(ramWord(*machine, kResults + 6), 0u) << "the 2M block's contents stay in the 2M block";
    EXPECT_EQ(ramWord(*machine, kResults + 8), kDone);
}

TEST_F(BiosProgram, CartridgeHammeringTheGateArrayLeavesItsRomAndMap) {
    const auto program = programs::mcd_cart_hammer();
    ASSERT_EQ(test::loadImage(*machine, folder, program), 0);
    ASSERT_EQ(machine->megaCdMode, 0u);
    const std::vector<uint8_t> rom(machine->rom.get(), machine->rom.get() + machine->romSize);
    run(2);
    EXPECT_EQ(ramWord(*machine, kResults), kDone);
    EXPECT_TRUE(std::equal(rom.begin(), rom.end(), machine->rom.get())) << "the ROM is unchanged";
    EXPECT_EQ(machine->mainTables.fetch[2].low, ProgramRegion::end().low);
    const uint32_t counter = ramLong(*machine, kResults + 12);
    run(1);
    EXPECT_GT(ramLong(*machine, kResults + 12), counter) << "the program runs on from ROM";
}

TEST(MegaCdBoot, EachCountryBootsItsOwnBiosOrSaysWhichIsMissing) {
    ReportRecorder recorder;
    test::ScratchFolder folder;
    struct Country {
        uint32_t value;
        uint32_t slot;
        const char* missing;
    };
    const Country countries[] = {
        {kCountryUsa, 0, "Please configure the SegaCD USA bios"},
        {kCountryJapan, 1, "Please configure the MegaCD JAP bios"},
        {kCountryEurope, 2, "Please configure the MegaCD EUR bios"},
    };
    for (const Country& c : countries) {
        auto machine = test::makeMachine();
        machine->country = c.value;
        recorder.clear();
        EXPECT_EQ(machine->bootMegaCd(), 1);
        EXPECT_EQ(recorder.errors, std::vector<std::string>{c.missing});
        EXPECT_EQ(machine->megaCdMode, 0u);

        // Only the slot of the country is read.
        std::vector<uint8_t> bios(0x20000, 0);
        bios[0x100] = static_cast<uint8_t>(c.slot);
        std::snprintf(machine->biosPaths[c.slot], kBiosPathSize, "%s",
                      folder.write("bios" + std::to_string(c.slot) + ".bin", bios).c_str());
        EXPECT_EQ(machine->bootMegaCd(), 0);
        EXPECT_EQ(machine->megaCdMode, 1u);
        EXPECT_EQ(machine->readWordRomRam(0x100) >> 8, c.slot);
    }
}

}  // namespace
}  // namespace vimo
