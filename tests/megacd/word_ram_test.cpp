// Word RAM: the RET/DMNA/MODE handshake from every state with every value
// from both sides, the maps of both CPUs after each change (instruction
// fetch and data reaching the same memory), the 1M accesses and dot image,
// the program-RAM window, the hard reset, and VDP DMA from word RAM.
// Sharing in 2M mode is shown by the word-RAM program.
#include <gtest/gtest.h>

#include "megacd/megacd.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;
using test::setSwappedWord;
using test::swappedWord;

// Marker words at 68000 address 0 of each block.
constexpr uint16_t k2MMark = 0xA002;
constexpr uint16_t kBank0Mark = 0xB000;
constexpr uint16_t kBank1Mark = 0xB001;

// The documented handshake, state (bit 0 RET, bit 1 DMNA, bit 2 MODE) by
// written value AND 7. Main side: in 2M, DMNA written gives word RAM to the
// sub CPU (RET 0, DMNA 1); in 1M, DMNA written swaps (RET 1, DMNA 0), else
// DMNA is set and RET kept.
constexpr uint8_t kMainNext[8][8] = {
    {0, 0, 2, 2, 0, 0, 2, 2}, {1, 1, 2, 2, 1, 1, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2},
    {3, 3, 2, 2, 3, 3, 2, 2}, {6, 6, 5, 5, 6, 6, 5, 5}, {7, 7, 5, 5, 7, 7, 5, 5},
    {6, 6, 5, 5, 6, 6, 5, 5}, {7, 7, 5, 5, 7, 7, 5, 5},
};
// Sub side: in 2M, MODE written switches to 1M keeping RET and DMNA, else RET
// written returns word RAM (RET 1, DMNA 0); in 1M, MODE clear goes to 2M with
// RET 0 and DMNA 0, else RET is taken from the value and DMNA cleared.
constexpr uint8_t kSubNext[8][8] = {
    {0, 1, 0, 1, 4, 4, 4, 4}, {1, 1, 1, 1, 5, 5, 5, 5}, {2, 1, 2, 1, 6, 6, 6, 6},
    {3, 1, 3, 1, 7, 7, 7, 7}, {0, 0, 0, 0, 4, 5, 4, 5}, {0, 0, 0, 0, 4, 5, 4, 5},
    {0, 0, 0, 0, 4, 5, 4, 5}, {0, 0, 0, 0, 4, 5, 4, 5},
};

class WordRam : public ::testing::Test {
protected:
    ReportRecorder recorder;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMegaCdMachine(folder);

    void markBlocks() {
        setSwappedWord(machine->wordRam.get(), 0, k2MMark);
        setSwappedWord(machine->wordRamBank0.get(), 0, kBank0Mark);
        setSwappedWord(machine->wordRamBank1.get(), 0, kBank1Mark);
    }

    // Puts the machine in `state` with the maps that state has.
    void enterState(uint32_t state) {
        machine->wordRamMode = state;
        if ((state & kWordRamMode1M) != 0) {
            machine->mapSubWordRam1M();
            machine->mapMainWordRamHandled();
            if ((state & kWordRamRet) != 0)
                machine->mapWordRam1MBank1Main();
            else
                machine->mapWordRam1MBank0Main();
        } else {
            machine->mapSubWordRam2M();
            machine->mapMainWordRam2M();
        }
    }

    // Both CPUs' fetch and data views of word RAM for the state.
    void expectMapsOf(uint32_t state, const std::string& where) {
        Cpu68000& main = *machine->mainCpu;
        Cpu68000& sub = *machine->subCpu;
        if ((state & kWordRamMode1M) == 0) {
            EXPECT_EQ(main.readWord(kMainWordRamLow), k2MMark) << where;
            EXPECT_EQ(main.fetchWord(kMainWordRamLow), k2MMark) << where;
            EXPECT_EQ(sub.readWord(kSubWordRamLow), k2MMark) << where;
            EXPECT_EQ(sub.fetchWord(kSubBankLow), -1) << where << ": no sub bank outside 1M";
            return;
        }
        const bool ret = (state & kWordRamRet) != 0;
        const uint16_t mainMark = ret ? kBank1Mark : kBank0Mark;
        const uint16_t subMark = ret ? kBank0Mark : kBank1Mark;
        EXPECT_EQ(main.readWord(kMainWordRamLow), mainMark) << where;
        EXPECT_EQ(main.fetchWord(kMainWordRamLow), mainMark) << where << ": main fetch";
        EXPECT_EQ(sub.readWord(kSubBankLow), subMark) << where;
        EXPECT_EQ(sub.fetchWord(kSubBankLow), subMark) << where << ": sub fetch";
        EXPECT_EQ(sub.readWord(kSubWordRamLow), 0) << where << ": the dot image reads 0";
    }
};

TEST_F(WordRam, HandshakeFromEveryStateWithEveryValueOnBothSides) {
    for (int side = 0; side < 2; ++side) {
        for (uint32_t state = 0; state < 8; ++state) {
            for (uint32_t value = 0; value < 8; ++value) {
                markBlocks();
                enterState(state);
                const uint32_t expected = side == 0 ? kMainNext[state][value] : kSubNext[state][value];
                // Bits above 2 carry no handshake meaning; bank bits 0 keep the window.
                machine->writeByteGateArray(side == 0 ? 0xA12003 : 0xFF8003, value | 0x08);
                const std::string where = std::string(side == 0 ? "main" : "sub") + " writes " +
                                          std::to_string(value) + " in state " + std::to_string(state);
                EXPECT_EQ(machine->wordRamMode, expected) << where;
                EXPECT_EQ(machine->readByteGateArray(0xA12003) & 7, expected) << where;
                EXPECT_EQ(machine->readByteGateArray(0xFF8003) & 7, expected) << where;
                expectMapsOf(expected, where);
            }
        }
    }
}

// The banks, the dot image and the main side's upper half beyond what the
// word-RAM program shows.
TEST_F(WordRam, OneMegabitBanksAndTheDotImage) {
    machine->mainCpu->writeWord(0x200000, 0x1111);   // into the 2M block
    machine->writeByteGateArray(0xFF8003, 0x04);     // 1M keeping RET 1: main bank 1, sub bank 0
    machine->mainCpu->writeWord(0x200000, 0x2222);
    machine->mainCpu->writeWord(0x230000, 0x5555);
    EXPECT_EQ(swappedWord(machine->wordRamBank1.get(), 0), 0x2222);
    EXPECT_EQ(swappedWord(machine->wordRamBank1.get(), 0x10000), 0) << "writes to the upper half are ignored";

    machine->writeByteGateArray(0xFF8003, 0x04);     // RET 0: the banks change hands
    EXPECT_EQ(machine->subCpu->readWord(0x0C0000), 0x2222);
    machine->subCpu->writeByte(0x080002, 0x05);      // dots at an even and an odd address
    machine->subCpu->writeByte(0x080003, 0x06);
    EXPECT_EQ(machine->wordRamBank1[0], 0x56);

    machine->writeByteGateArray(0xFF8003, 0x00);     // back to 2M with RET 0, DMNA 0
    EXPECT_EQ(machine->readByteGateArray(0xFF8003) & 7, 0u);
    EXPECT_EQ(machine->mainCpu->readWord(0x200000), 0x1111) << "the 2M block kept its contents";
    EXPECT_EQ(machine->subCpu->readWord(0x080000), 0x1111);
}

TEST_F(WordRam, ProgramRamWindowFollowsTheBankBitsUntilTheHardReset) {
    for (uint32_t bank = 0; bank < 4; ++bank) {
        setSwappedWord(machine->prgRam.get(), bank * 0x20000 + 0x100, static_cast<uint16_t>(0x7000 + bank));
        machine->writeByteGateArray(0xA12003, bank << 6);
        EXPECT_EQ(machine->mainCpu->readWord(0x020100), 0x7000 + bank) << bank;
        EXPECT_EQ(machine->mainCpu->fetchWord(0x020100), static_cast<int32_t>(0x7000 + bank)) << bank;
    }
    // From bank 3 and 1M mode, the hard reset returns to 2M and bank 0, for
    // fetch as for data.
    machine->writeByteGateArray(0xFF8003, 0x05);
    machine->reset();
    markBlocks();
    setSwappedWord(machine->prgRam.get(), 0x100, 0x0B00);
    EXPECT_EQ(machine->readByteGateArray(0xA12003), 0x01u);
    expectMapsOf(1, "after reset");
    EXPECT_EQ(machine->mainCpu->readWord(0x020100), 0x0B00);
    EXPECT_EQ(machine->mainCpu->fetchWord(0x020100), 0x0B00);
}

TEST_F(WordRam, VdpDmaReadsTheBlockOfTheMode) {
    markBlocks();
    setSwappedWord(machine->wordRam.get(), 2, 0xA004);
    // The DMA source address is 2 ahead of the word it reads.
    EXPECT_EQ(machine->readWordRomRam(0x200002), k2MMark) << "2M: the 2M block";
    EXPECT_EQ(machine->readWordRomRam(0x200004), 0xA004);
    machine->writeByteGateArray(0xFF8003, 0x04);  // 1M, RET 1 after reset: main bank 1
    EXPECT_EQ(machine->readWordRomRam(0x200002), kBank1Mark) << "1M: the main CPU's bank";
}

}  // namespace
}  // namespace vimo
