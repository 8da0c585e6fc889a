// The I/O range: version register and country autodetect, the pads with the
// three- and six-button protocol, the control and serial bytes, and the Z80
// area as the 68000 sees it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

// PadState bits, active low.
constexpr uint32_t kUp = 1u << 0, kDown = 1u << 1, kLeft = 1u << 2, kRight = 1u << 3;
constexpr uint32_t kB = 1u << 4, kC = 1u << 5, kA = 1u << 12, kStart = 1u << 13;
constexpr uint32_t kZ = 1u << 16, kY = 1u << 17, kX = 1u << 18, kMode = 1u << 19;

constexpr uint32_t press(uint32_t buttons) { return kPadsReleased & ~buttons; }

// The data byte a pad returns, built from the documented button lines: with
// TH high bit 6 reads 1 and bits 5-0 are C, B, Right, Left, Down, Up; with TH
// low bits 5-4 are Start, A and bits 1-0 Down, Up. Bits read 0 when pressed.
uint32_t bit(uint32_t pad, uint32_t button, int position) {
    return (pad & button) != 0 ? 1u << position : 0;
}
uint32_t thHighByte(uint32_t pad) {
    return 0x40 | bit(pad, kC, 5) | bit(pad, kB, 4) | bit(pad, kRight, 3) | bit(pad, kLeft, 2) |
           bit(pad, kDown, 1) | bit(pad, kUp, 0);
}
uint32_t thLowByte(uint32_t pad) {
    return bit(pad, kStart, 5) | bit(pad, kA, 4) | bit(pad, kDown, 1) | bit(pad, kUp, 0);
}
// Third pulse, TH high: C, B, then Mode, X, Y, Z.
uint32_t extraButtonsByte(uint32_t pad) {
    return 0x40 | bit(pad, kC, 5) | bit(pad, kB, 4) | bit(pad, kMode, 3) | bit(pad, kX, 2) |
           bit(pad, kY, 1) | bit(pad, kZ, 0);
}

class IoPorts : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    uint32_t writeThAndRead(uint32_t dataAddress, uint32_t th) {
        machine->writeByteIo(dataAddress, th);
        return machine->readByteIo(dataAddress);
    }
};

TEST_F(IoPorts, ThreeButtonReadsFollowTh) {
    const uint32_t pads[] = {kPadsReleased, press(kUp | kA), press(kDown | kB | kStart),
                             press(kLeft | kRight | kC), 0};
    for (uint32_t pad : pads) {
        machine->pads[0] = pad;
        machine->pads[1] = pad;
        for (uint32_t data : {0xA10003u, 0xA10005u}) {
            EXPECT_EQ(writeThAndRead(data, 0x40), thHighByte(pad)) << std::hex << pad;
            EXPECT_EQ(writeThAndRead(data, 0x00), thLowByte(pad)) << std::hex << pad;
            // The even byte of the port reads the same, and bit 7 reads 0
            // whatever was written.
            EXPECT_EQ(machine->readByteIo(data - 1), thLowByte(pad));
            machine->sixButtonCount[0] = machine->sixButtonCount[1] = 0;
        }
    }
    // Nothing pressed: 0x7F with TH high, 0x33 with TH low.
    machine->pads[0] = kPadsReleased;
    EXPECT_EQ(writeThAndRead(0xA10003, 0xC0), 0x7Fu);
    EXPECT_EQ(writeThAndRead(0xA10003, 0x80), 0x33u);
}

TEST_F(IoPorts, SixButtonProtocolThroughFourPulses) {
    const uint32_t pad = press(kA | kC | kUp | kX | kMode);
    machine->pads[0] = pad;
    std::vector<uint32_t> reads;
    for (int pulse = 0; pulse < 4; ++pulse) {
        reads.push_back(writeThAndRead(0xA10003, 0x40));
        reads.push_back(writeThAndRead(0xA10003, 0x00));
    }
    reads.push_back(writeThAndRead(0xA10003, 0x40));
    const std::vector<uint32_t> expected = {
        thHighByte(pad), thLowByte(pad),              // first pulse: a three-button pad
        thHighByte(pad), thLowByte(pad),              // second
        thHighByte(pad), thLowByte(pad) & 0x30,       // third low: all four direction bits low
        extraButtonsByte(pad), (thLowByte(pad) & 0x30) | 0x0F,  // fourth low: low nibble set
        thHighByte(pad),
    };
    EXPECT_EQ(reads, expected);
    EXPECT_EQ(machine->sixButtonCount[0], 4);
    EXPECT_EQ(machine->sixButtonCount[1], 0) << "pad 2 has its own count";
}

TEST_F(IoPorts, OnlyHighToLowThWritesCount) {
    machine->writeByteIo(0xA10003, 0x00);  // TH already low after reset
    machine->writeByteIo(0xA10003, 0x00);
    EXPECT_EQ(machine->sixButtonCount[0], 0);
    machine->writeByteIo(0xA10003, 0x40);
    machine->writeByteIo(0xA10003, 0x40);
    EXPECT_EQ(machine->sixButtonCount[0], 0);
    machine->writeByteIo(0xA10003, 0xBF);  // bit 6 clear: TH low
    EXPECT_EQ(machine->sixButtonCount[0], 1);
    EXPECT_EQ(machine->thLevel[0], 0);
    machine->linesSinceThWrite[0] = 20;
    machine->writeByteIo(0xA10002, 0x40);  // the even byte is not the data port
    EXPECT_EQ(machine->thLevel[0], 0);
    EXPECT_EQ(machine->linesSinceThWrite[0], 20);
    machine->writeByteIo(0xA10003, 0x40);
    EXPECT_EQ(machine->linesSinceThWrite[0], 0);
}

TEST_F(IoPorts, AHugeCountStaysBounded) {
    machine->sixButtonCount[0] = 0xC00000;
    machine->thLevel[0] = 1;
    machine->writeByteIo(0xA10003, 0x00);
    EXPECT_EQ(machine->sixButtonCount[0], 0xC00001 & ~(1 << 22));
}

TEST_F(IoPorts, WordReadOfAPadPortGivesTheDataInBothBytes) {
    machine->pads[0] = press(kStart | kDown);
    machine->writeWordIo(0xA10002, 0x0040);  // high byte dropped, TH high through the low byte
    EXPECT_EQ(machine->thLevel[0], 1);
    const uint32_t data = thHighByte(machine->pads[0]);
    EXPECT_EQ(machine->readWordIo(0xA10002), (data << 8) | data);
}

TEST_F(IoPorts, ControlAndSerialBytesAreOnlyStored) {
    const uint32_t controls[] = {0xA10009, 0xA1000B, 0xA1000D, 0xA10013, 0xA10019, 0xA1001F};
    for (int i = 0; i < 6; ++i) {
        machine->writeByteIo(controls[i], 0x40 + i);
        EXPECT_EQ(machine->ioControl[i], 0x40u + i);
        EXPECT_EQ(machine->readByteIo(controls[i]), 0x40u + i);
        EXPECT_EQ(machine->readByteIo(controls[i] - 1), 0x40u + i);
        machine->writeByteIo(controls[i] - 1, 0x10 + i);  // the even address is the same byte
        EXPECT_EQ(machine->ioControl[i], 0x10u + i);
    }
    // The direction bits do not change what the pads return.
    machine->writeByteIo(0xA10009, 0x00);
    EXPECT_EQ(writeThAndRead(0xA10003, 0x40), 0x7Fu);

    machine->writeByteIo(0xA1000F, 0x55);
    EXPECT_EQ(machine->txData[0], 0x55u);
    EXPECT_EQ(machine->readByteIo(0xA1000F), 0u);
    machine->writeByteIo(0xA1000E, 0x66);
    EXPECT_EQ(machine->txData[0], 0x66u);
    EXPECT_EQ(machine->txData[1], 0xFFu);

    machine->writeByteIo(0xA10007, 0x12);
    EXPECT_EQ(machine->extData, 0x12u);
    EXPECT_EQ(machine->readByteIo(0xA10006), 0x12u);
    machine->writeByteIo(0xA10006, 0x34);
    EXPECT_EQ(machine->extData, 0x12u);

    // Undecoded addresses of the range read 0 and ignore writes.
    for (uint32_t address : {0xA10010u, 0xA10011u, 0xA10014u, 0xA1001Cu}) {
        machine->writeByteIo(address, 0xFF);
        EXPECT_EQ(machine->readByteIo(address), 0u) << std::hex << address;
    }
    machine->writeByteIo(0xA10001, 0x00);
    EXPECT_EQ(machine->country, 0xFF1u);
}

TEST_F(IoPorts, Z80AreaReachesTheZ80Bus) {
    machine->writeByteIo(0xA00123, 0x9C);
    EXPECT_EQ(machine->z80Ram[0x123], 0x9C);
    EXPECT_EQ(machine->readByteIo(0xA00123), 0x9Cu);
    EXPECT_EQ(machine->readWordIo(0xA00122), 0x009Cu);
    machine->writeWordIo(0xA00010, 0xBEEF);
    EXPECT_EQ(machine->z80Ram[0x10], 0xBE);
    EXPECT_EQ(machine->z80Ram[0x11], 0xEF);
    // The Z80 bus does not care who holds it.
    machine->writeByteSystem(0xA11100, 0x01);
    EXPECT_EQ(machine->readByteIo(0xA00010), 0xBEu);

    // 0xA0FFFF is Z80 address 0xFFFF, the last byte of the bank window: with
    // bank 0x1FF the window is 0xFF8000-0xFFFFFF, work RAM.
    for (int i = 0; i < 9; ++i) machine->writeByteIo(0xA06000, 1);
    ASSERT_EQ(machine->z80Bank, 0x1FFu);
    machine->writeByteIo(0xA0FFFF, 0x5D);
    EXPECT_EQ(test::ramByte(*machine, 0xFFFFFF), 0x5D);
    EXPECT_EQ(machine->readByteIo(0xA0FFFF), 0x5Du);
}

// ---- Version register ----------------------------------------------------------

class VersionRegister : public IoPorts {
protected:
    test::ScratchFolder folder;

    void loadWithCountries(const std::string& countries) {
        std::vector<uint8_t> image(0x400, ' ');
        for (size_t i = 0; i < countries.size(); ++i) image[0x1F0 + i] = static_cast<uint8_t>(countries[i]);
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    }
};

TEST_F(VersionRegister, AutodetectPrefersUsaThenJapanThenEurope) {
    struct Case {
        std::string countries;
        uint32_t version;
    };
    const Case cases[] = {
        {"JUE", 0x80}, {"EJ ", 0x00}, {"E  ", 0xC0}, {"2  ", 0x40}, {"   ", 0x80},
        {"J  ", 0x00}, {"jue", 0x80},  // lower case counts as nothing
        {"A8 ", 0xC0}, {"B13", 0x00},  {"CDF", 0x80}, {"2E ", 0xC0}, {"92 ", 0x00},
        {std::string("\x01\x02", 2), 0x00}, {std::string("\x0A\x02", 2), 0xC0},
        {std::string("\x0C", 1), 0x80}, {std::string("\x02", 1), 0x40},
    };
    for (const Case& c : cases) {
        loadWithCountries(c.countries);
        EXPECT_EQ(machine->readByteIo(0xA10001), c.version) << c.countries;
        EXPECT_EQ(machine->readByteIo(0xA10000), c.version) << c.countries;
    }
}

TEST_F(VersionRegister, AutodetectSetsThePalBitFromBitSix) {
    loadWithCountries("E");
    machine->readByteIo(0xA10001);
    EXPECT_EQ(machine->vdp.status & kStatusPal, kStatusPal);
    loadWithCountries("2");
    machine->vdp.status = 0;
    machine->readByteIo(0xA10001);
    EXPECT_EQ(machine->vdp.status & kStatusPal, kStatusPal);
    loadWithCountries("U");
    machine->vdp.status = kStatusPal;
    machine->readByteIo(0xA10001);
    EXPECT_EQ(machine->vdp.status & kStatusPal, 0u);
}

TEST_F(VersionRegister, FixedCountryIsReturnedAndLeavesThePalBit) {
    loadWithCountries("J");
    for (uint32_t country : {0x00u, 0x80u, 0xC0u}) {
        machine->country = country;
        machine->vdp.status = 0;
        EXPECT_EQ(machine->readByteIo(0xA10001), country);
        EXPECT_EQ(machine->vdp.status, 0u);
        machine->vdp.status = kStatusPal;
        EXPECT_EQ(machine->readByteIo(0xA10001), country);
        EXPECT_EQ(machine->vdp.status, kStatusPal);
    }
    machine->country = 0xFF0;  // the menu's autodetect
    EXPECT_EQ(machine->readByteIo(0xA10001), 0x00u);
}

TEST_F(VersionRegister, ImagesWithoutTheCountryFieldCountItAbsent) {
    EXPECT_EQ(machine->readByteIo(0xA10001), 0x80u) << "no image";
    std::vector<uint8_t> image(0x1F1, 'E');  // only the first country character exists
    image[0x1F0] = 'J';
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    EXPECT_EQ(machine->readByteIo(0xA10001), 0x00u);
    image.resize(0x1F0);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    EXPECT_EQ(machine->readByteIo(0xA10001), 0x80u);
}

}  // namespace
}  // namespace vimo
