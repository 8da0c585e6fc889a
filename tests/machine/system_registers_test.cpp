// The system registers: Z80 bus request and reset, the TMSS bytes, the
// cartridge bank registers, and the addresses that do not decode.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class SystemRegisters : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
};

TEST_F(SystemRegisters, Z80BusRequest) {
    EXPECT_EQ(machine->readByteSystem(0xA11100), 0u) << "held after reset";
    machine->writeWordSystem(0xA11100, 0x0000);
    EXPECT_EQ(machine->readByteSystem(0xA11100), 1u);
    EXPECT_EQ(machine->z80Running, 1u);
    machine->writeWordSystem(0xA11100, 0x0100);
    EXPECT_EQ(machine->readByteSystem(0xA11100), 0u);
    EXPECT_EQ(machine->readWordSystem(0xA11100), 0x0000u);
    machine->writeByteSystem(0xA11100, 0xFE);  // only bit 0 counts
    EXPECT_EQ(machine->readByteSystem(0xA11100), 1u);
    EXPECT_EQ(machine->readWordSystem(0xA11100), 0x0100u);
    machine->writeByteSystem(0xA11101, 0x01);  // no effect
    EXPECT_EQ(machine->z80Running, 1u);
    EXPECT_EQ(machine->readByteSystem(0xA11101), 0u);
}

TEST_F(SystemRegisters, Z80ResetReadsAllOnesAndLeavesTheBusRequest) {
    EXPECT_EQ(machine->readByteSystem(0xA11200), 0xFFu);
    EXPECT_EQ(machine->readByteSystem(0xA11201), 0xFFu);
    EXPECT_EQ(machine->readWordSystem(0xA11200), 0xFFFFu);
    machine->writeByteSystem(0xA11100, 0x00);
    machine->writeByteSystem(0xA11200, 0x00);
    EXPECT_EQ(machine->z80Running, 1u);
    machine->writeByteSystem(0xA11100, 0x01);
    machine->writeByteSystem(0xA11200, 0x01);
    EXPECT_EQ(machine->z80Running, 0u);
}

TEST_F(SystemRegisters, TmssBytesAreStoredAndReadBack) {
    const char sega[] = "SEGA";
    for (uint32_t i = 0; i < 4; ++i) machine->writeByteSystem(0xA14000 + i, static_cast<uint8_t>(sega[i]));
    EXPECT_EQ(std::memcmp(machine->tmssBytes, sega, 4), 0);
    EXPECT_EQ(machine->readWordSystem(0xA14000), 0x5345u);
    EXPECT_EQ(machine->readWordSystem(0xA14002), 0x4741u);
    machine->writeWordSystem(0xA14002, 0x1234);
    EXPECT_EQ(machine->tmssBytes[2], 0x12);
    EXPECT_EQ(machine->tmssBytes[3], 0x34);
    machine->writeByteSystem(0xA14004, 0x77);
    EXPECT_EQ(machine->readByteSystem(0xA14004), 0u);
}

TEST_F(SystemRegisters, UndecodedAddressesReadZero) {
    for (uint32_t address : {0xA10020u, 0xA11000u, 0xA11001u, 0xA11102u, 0xA11300u, 0xA130F1u,
                             0xA130F3u, 0xA13000u, 0xA15000u, 0xBFFFFFu}) {
        machine->writeByteSystem(address, 0x5A);
        EXPECT_EQ(machine->readByteSystem(address), 0u) << std::hex << address;
    }
    EXPECT_EQ(machine->z80Running, 0u);
    EXPECT_TRUE(recorder.errors.empty());
}

// ---- Bank registers --------------------------------------------------------------

class BankRegisters : public SystemRegisters {
protected:
    std::vector<uint8_t> image;

    void load(size_t size) {
        image = test::patternImage(size);
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    }
    // True when 68000 addresses base..base+length show the natural image from `from`.
    ::testing::AssertionResult shows(uint32_t base, size_t from, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            const uint32_t got = machine->readByteRomRam(base + static_cast<uint32_t>(i));
            if (got != image[from + i])
                return ::testing::AssertionFailure() << "at 0x" << std::hex << base + i << ": 0x"
                                                     << got << " instead of 0x" << +image[from + i];
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(BankRegisters, WithoutBankingModeWritesDoNothing) {
    load(0x400000);
    ASSERT_EQ(machine->romBankMode, 0u);
    for (uint32_t address = 0xA130F3; address <= 0xA130FF; ++address) machine->writeByteSystem(address, 1);
    EXPECT_TRUE(shows(0, 0, 0x400000));
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(BankRegisters, OddAddressesCopyFiveHundredTwelveKilobyteBlocks) {
    load(0x500000);  // blocks 0-9
    ASSERT_EQ(machine->romBankMode, 1u);
    machine->writeByteSystem(0xA130FF, 0x09);
    EXPECT_TRUE(shows(0x380000, 0x480000, 0x80000));
    machine->writeByteSystem(0xA130F3, 0x08);
    EXPECT_TRUE(shows(0x080000, 0x400000, 0x80000));
    machine->writeByteSystem(0xA130F5, 0x00);
    EXPECT_TRUE(shows(0x100000, 0x000000, 0x80000));
    EXPECT_TRUE(shows(0x000000, 0x000000, 0x80000)) << "slot 0 never changes";
    machine->writeByteSystem(0xA130FF, 0x07);
    EXPECT_TRUE(shows(0x380000, 0x380000, 0x80000));
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(BankRegisters, EvenAddressesReportAndChangeNothing) {
    load(0x500000);
    machine->writeByteSystem(0xA130F4, 0x09);
    machine->writeByteSystem(0xA130FE, 0x09);
    EXPECT_TRUE(shows(0, 0, 0x400000));
    EXPECT_EQ(recorder.errors, (std::vector<std::string>{"Rom banking mode 4 not implemented",
                                                         "Rom banking mode 14 not implemented"}));
}

TEST_F(BankRegisters, BlocksPastTheEndOfTheImageAreNotCopied) {
    load(0x4C0001);  // blocks 0-8 whole, block 9 is one byte long
    machine->writeByteSystem(0xA130FF, 0x0A);  // wholly past the end
    machine->writeByteSystem(0xA130FD, 0xFF);
    EXPECT_TRUE(shows(0, 0, 0x400000));
    machine->writeByteSystem(0xA130FF, 0x09);  // only the existing part
    EXPECT_TRUE(shows(0x380000, 0x480000, 0x40001));
    EXPECT_TRUE(shows(0x3C0002, 0x3C0002, 0x3FFFE));
}

TEST_F(BankRegisters, TheSixtyEightThousandSeesTheNewBank) {
    load(0x500000);
    machine->writeByteSystem(0xA130FF, 0x09);
    // Fetch and read lists map the image directly: a word read through the
    // core's lists sees the bytes of block 9.
    const uint16_t expected = static_cast<uint16_t>((image[0x480010] << 8) | image[0x480011]);
    EXPECT_EQ(machine->mainCpu->readWord(0x380010), expected);
}

}  // namespace
}  // namespace vimo
