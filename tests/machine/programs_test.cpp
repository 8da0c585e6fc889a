// 68000 programs running in the machine: each records what it observes in
// work RAM, and the test checks it against the documented behaviour of the
// console's ports, counters and interrupts.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_programs.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ramByte;
using test::ramLong;
using test::ramWord;
using test::ReportRecorder;

constexpr uint32_t kResults = 0xFF0000;
constexpr uint32_t kUnexpected = 0xFFFFF0;

class Program : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;

    void load(std::span<const uint8_t> image) {
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    }
    void TearDown() override {
        EXPECT_NE(ramLong(*machine, kUnexpected), 0xDEADDEADu) << "the program took an unexpected exception";
    }
};

// ---- Boot ----------------------------------------------------------------------------

TEST_F(Program, BootsFromTheVectors) {
    const auto image = programs::machine_boot();
    load(image);
    run(1);
    EXPECT_EQ(ramLong(*machine, kResults), 0x600DB007u);
    EXPECT_EQ(ramLong(*machine, kResults + 4), 0x00FFFE00u) << "the initial SSP";
    EXPECT_EQ(ramWord(*machine, kResults + 8), 0x2700u) << "supervisor, interrupts masked";
    const uint32_t start = (image[4] << 24) | (image[5] << 16) | (image[6] << 8) | image[7];
    EXPECT_EQ(ramWord(*machine, kResults + 10), (image[start] << 8) | image[start + 1]);
    const uint32_t afterOne = ramLong(*machine, kResults + 12);
    EXPECT_GT(afterOne, 0u);
    run(1);
    EXPECT_GT(ramLong(*machine, kResults + 12), afterOne) << "the program runs on in the next frame";
}

TEST_F(Program, ASecondMachineRunsExactlyLikeTheFirst) {
    load(programs::machine_boot());
    run(3);
    const std::vector<uint8_t> first(machine->ram.get(), machine->ram.get() + kWorkRamSize);
    machine.reset();
    machine = test::makeMachine();
    load(programs::machine_boot());
    run(3);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), machine->ram.get()));
}

TEST_F(Program, AResetInstructionIsSkipped) {
    load(programs::machine_reset_insn());
    run(2);
    EXPECT_EQ(ramWord(*machine, kResults), 0x1111u);
    EXPECT_EQ(ramWord(*machine, kResults + 2), 0x2222u);
    EXPECT_GT(ramWord(*machine, kResults + 4), 0u);
}

TEST_F(Program, AGameLikeLoadTakesOneVInterruptPerFrame) {
    // The workload program sets itself up over its first frames; from then
    // on every frame's V-blank runs the handler exactly once.
    load(programs::machine_workload());
    run(5);
    const uint32_t early = ramLong(*machine, kResults);
    run(10);
    EXPECT_EQ(ramLong(*machine, kResults), early + 10);
    EXPECT_NE(ramLong(*machine, kResults + 4), 0u) << "the main loop ran";
    // Its sprite table reached VRAM 0xD800 by DMA from work RAM (sizes,
    // links and patterns; the positions move on after each copy).
    for (uint32_t i = 0; i < 64 * 8; i += 8) {
        for (uint32_t b = 2; b < 6; ++b)
            ASSERT_EQ(machine->vdp.vram[0xD800 + i + b], ramByte(*machine, 0xFF8000 + i + b)) << i + b;
    }
}

// ---- Counters ------------------------------------------------------------------------

class Counters : public Program {
protected:
    std::vector<uint16_t> samples;

    void SetUp() override {
        load(programs::machine_counters());
        run(3);
        const uint32_t count = ramWord(*machine, kResults);
        ASSERT_GT(count, 2u * 262u * 4u) << "several samples per line over two frames";
        for (uint32_t i = 0; i < count; ++i) samples.push_back(ramWord(*machine, kResults + 0x10 + 2 * i));
    }
};

// The V counter counts lines 0-235 as 0x00-0xEB, then jumps back so that
// line 236 reads 0xE6 and the last line 0xFF; it restarts at 0 each frame.
TEST_F(Counters, VCounterThroughFrames) {
    std::vector<uint32_t> seen;
    for (uint16_t s : samples) {
        const uint32_t v = s >> 8;
        if (seen.empty() || seen.back() != v) seen.push_back(v);
    }
    std::vector<uint32_t> expected;
    for (int frame = 0; frame < 3; ++frame) {
        for (uint32_t v = 0; v <= 0xEB; ++v) expected.push_back(v);
        for (uint32_t v = 0xE6; v <= 0xFF; ++v) expected.push_back(v);
    }
    ASSERT_LE(seen.size(), expected.size());
    ASSERT_GE(seen.size(), 2u * 262u);
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), expected.begin()));
}

// The H counter runs from -28 to 179 within a line (its low byte is read),
// never goes back within a line and reaches both ends.
TEST_F(Counters, HCounterRangeWithinEachLine) {
    int32_t lowest = 1000, highest = -1000;
    int32_t previousH = 0;
    uint32_t previousV = 0x100;
    for (uint16_t s : samples) {
        const uint32_t v = s >> 8;
        const uint32_t byte = s & 0xFF;
        ASSERT_TRUE(byte <= 0xB3 || byte >= 0xE4) << std::hex << s;
        const int32_t h = byte >= 0xE4 ? static_cast<int32_t>(byte) - 256 : static_cast<int32_t>(byte);
        if (v == previousV) {
            EXPECT_GE(h, previousH) << std::hex << s;
        }
        previousV = v;
        previousH = h;
        lowest = std::min(lowest, h);
        highest = std::max(highest, h);
    }
    EXPECT_LE(lowest, -20);
    EXPECT_GE(highest, 170);
}

// ---- Interrupts -----------------------------------------------------------------------

// The interrupt log of the interrupts program after three frames: each V
// interrupt appends 0x8000 + its V counter, each H interrupt its V counter.
class InterruptLog : public Program {
protected:
    std::vector<uint32_t> log;
    std::vector<size_t> marks;  // positions of the V interrupt entries

    // Runs the program with register 10 set to `interval` (patched into its
    // first instruction, which writes 0x8A04 to the control port).
    void runWithInterval(uint8_t interval) {
        const auto program = programs::machine_interrupts();
        std::vector<uint8_t> image(program.begin(), program.end());
        const auto write = std::search(image.begin() + 0x200, image.end(), std::begin(kRegister10Write),
                                       std::end(kRegister10Write));
        ASSERT_NE(write, image.end());
        write[1] = interval;
        load(image);
        run(3);
        const uint32_t length = ramWord(*machine, kResults);
        for (uint32_t i = 0; i < length; ++i) log.push_back(ramWord(*machine, kResults + 0x10 + 2 * i));
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i] & 0x8000) marks.push_back(i);
    }
    // The H interrupt entries of the whole frame between V interrupts m and m + 1.
    std::vector<uint32_t> frame(size_t m) const {
        return std::vector<uint32_t>(log.begin() + marks[m] + 1, log.begin() + marks[m + 1]);
    }

    static constexpr uint8_t kRegister10Write[] = {0x8A, 0x04};
};

TEST_F(InterruptLog, HInterruptsEveryRPlusOneLinesAndTheVInterrupt) {
    constexpr uint32_t kInterval = 4;
    runWithInterval(kInterval);

    // V interrupts come once per frame, on line 224 (V counter 0xE0).
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(ramWord(*machine, kResults + 4), 3u);
    for (size_t mark : marks) EXPECT_EQ(log[mark], 0x8000u | 0xE0u);

    // Between two of them, a whole frame of H interrupts: the first on line
    // R, then every R + 1 lines, on shown lines only.
    std::vector<uint32_t> expected;
    for (uint32_t line = kInterval; line < 224; line += kInterval + 1) expected.push_back(line);
    EXPECT_EQ(frame(0), expected) << "frame 2";
    EXPECT_EQ(frame(1), expected) << "frame 3";

    // The V interrupt handler sees V-blank and the V interrupt pending.
    EXPECT_EQ(ramWord(*machine, kResults + 2) & 0x88, 0x88u);
    EXPECT_EQ(machine->vdp.status & 0x88, 0u) << "both cleared at the frame's end";
}

TEST_F(InterruptLog, RegisterTenZeroInterruptsOnEveryShownLine) {
    runWithInterval(0);
    ASSERT_EQ(marks.size(), 3u);
    std::vector<uint32_t> expected;
    for (uint32_t line = 0; line < 224; ++line) expected.push_back(line);
    EXPECT_EQ(frame(0), expected);
    EXPECT_EQ(frame(1), expected);
}

TEST_F(InterruptLog, HInterruptsSwitchedOffInTheMachineNeverCome) {
    machine->hInterrupts = 0;
    runWithInterval(4);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(log.size(), 3u) << "only the V interrupts";
}

// ---- Ports ---------------------------------------------------------------------------

TEST_F(Program, VersionZ80ControlZ80RamAndTmss) {
    load(programs::machine_ports());
    run(1);
    ASSERT_EQ(ramByte(*machine, kResults + 21), 0x42) << "the program reached its end";
    EXPECT_EQ(ramByte(*machine, kResults + 0), 0x80) << "header JUE: USA first";
    EXPECT_EQ(ramByte(*machine, kResults + 1), 0x80);
    EXPECT_EQ(machine->vdp.status & kStatusPal, 0u);

    EXPECT_EQ(ramByte(*machine, kResults + 2), 0) << "the Z80 is held after reset";
    EXPECT_EQ(ramByte(*machine, kResults + 3), 1) << "released by word 0x0000";
    EXPECT_EQ(ramByte(*machine, kResults + 4), 0) << "requested by word 0x0100";
    EXPECT_EQ(ramByte(*machine, kResults + 5), 1);
    EXPECT_EQ(ramByte(*machine, kResults + 6), 0);
    EXPECT_EQ(ramByte(*machine, kResults + 7), 0);
    EXPECT_EQ(ramByte(*machine, kResults + 8), 0xFF);
    EXPECT_EQ(ramByte(*machine, kResults + 9), 0xFF);

    EXPECT_EQ(ramByte(*machine, kResults + 10), 0x5A);
    EXPECT_EQ(ramByte(*machine, kResults + 11), 0x5A) << "0x2000-0x3FFF mirrors Z80 RAM";
    EXPECT_EQ(ramWord(*machine, kResults + 12), 0x5AC3u) << "a word is two bytes, high first";
    EXPECT_EQ(machine->z80Ram[0x10], 0x5A);
    EXPECT_EQ(machine->z80Ram[0x11], 0xC3);

    EXPECT_EQ(ramLong(*machine, kResults + 14), 0x53454741u) << "SEGA";
    EXPECT_EQ(ramWord(*machine, kResults + 18), 0x4741u);
    EXPECT_EQ(ramByte(*machine, kResults + 20), 0) << "the Z80 reset leaves the bus request";
}

TEST_F(Program, VersionWithAFixedCountry) {
    load(programs::machine_ports());
    machine->country = 0xC0;
    run(1);
    EXPECT_EQ(ramByte(*machine, kResults + 0), 0xC0);
}

// PadState bits, active low.
constexpr uint32_t kUp = 1u << 0, kDown = 1u << 1, kLeft = 1u << 2, kRight = 1u << 3;
constexpr uint32_t kB = 1u << 4, kC = 1u << 5, kA = 1u << 12, kStart = 1u << 13;
constexpr uint32_t kZ = 1u << 16, kY = 1u << 17, kX = 1u << 18, kMode = 1u << 19;

uint8_t line(uint32_t pad, uint32_t button, int position) {
    return (pad & button) != 0 ? static_cast<uint8_t>(1u << position) : 0;
}

// The documented pad answers: TH high C B Right Left Down Up with bit 6 set;
// TH low Start A 0 0 Down Up; third pulse low all directions 0; third pulse
// high C B Mode X Y Z; fourth pulse low Start A and 1111.
std::vector<uint8_t> expectedPadReads(uint32_t pad) {
    const uint8_t high = 0x40 | line(pad, kC, 5) | line(pad, kB, 4) | line(pad, kRight, 3) |
                         line(pad, kLeft, 2) | line(pad, kDown, 1) | line(pad, kUp, 0);
    const uint8_t startA = line(pad, kStart, 5) | line(pad, kA, 4);
    const uint8_t low = startA | line(pad, kDown, 1) | line(pad, kUp, 0);
    const uint8_t extra = 0x40 | line(pad, kC, 5) | line(pad, kB, 4) | line(pad, kMode, 3) |
                          line(pad, kX, 2) | line(pad, kY, 1) | line(pad, kZ, 0);
    return {high, low, high, low, high, startA, extra, static_cast<uint8_t>(startA | 0x0F), high,
            // after the count has run out: a three-button pad again
            high, low, high};
}

TEST_F(Program, ThreeAndSixButtonPadsThroughTheThSequence) {
    load(programs::machine_pads());
    const uint32_t pad1 = kPadsReleased & ~(kA | kC | kUp | kX | kMode);
    const uint32_t pad2 = kPadsReleased & ~(kB | kStart | kRight | kZ | kY);
    machine->pads[0] = pad1;
    machine->pads[1] = pad2;
    run(2);
    ASSERT_EQ(ramByte(*machine, kResults + 0x20), 0x42) << "the program reached its end";
    std::vector<uint8_t> got1, got2;
    for (uint32_t i = 0; i < 12; ++i) {
        got1.push_back(ramByte(*machine, kResults + i));
        got2.push_back(ramByte(*machine, kResults + 0x10 + i));
    }
    EXPECT_EQ(got1, expectedPadReads(pad1));
    EXPECT_EQ(got2, expectedPadReads(pad2));
}

// ---- Banking -------------------------------------------------------------------------

TEST_F(Program, RomBankingAboveFourMegabytes) {
    const auto program = programs::machine_banking();
    std::vector<uint8_t> image(0x500000, 0);
    std::copy(program.begin(), program.end(), image.begin());
    for (uint32_t block = 1; block < 10; ++block) {
        image[block * 0x80000] = 0xB0;
        image[block * 0x80000 + 1] = static_cast<uint8_t>(block);
    }
    load(image);
    run(1);
    ASSERT_EQ(ramWord(*machine, kResults + 12), 0x4242u) << "the program reached its end";
    EXPECT_EQ(ramWord(*machine, kResults + 0), 0xB007u);
    EXPECT_EQ(ramWord(*machine, kResults + 2), 0xB009u);
    EXPECT_EQ(ramWord(*machine, kResults + 4), 0xB008u);
    EXPECT_EQ(ramWord(*machine, kResults + 6), 0xFFFFu) << "0x400000 is not mapped";
    EXPECT_EQ(ramWord(*machine, kResults + 8), 0xB007u);
    EXPECT_EQ(ramWord(*machine, kResults + 10), 0xB002u);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Rom banking mode 4 not implemented"});
}

}  // namespace
}  // namespace vimo
