// Z80 programs running in the machine, loaded and started by a 68000 program
// as a game does: the bank register and the window into the 68000's space,
// the VDP data port and the PSG, bus request and reset from the 68000 side,
// the frame's interrupt, the Z80's pace, a reset the Z80 asks for itself, a
// sound-driver-like program, and vimo-headless running one with "--z80 zeta".
// Each Z80 program keeps what it observes in its RAM (z80side.inc).
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"
#include "options.h"
#include "runner.h"
#include "z80_side_test_util.h"
#include "z80side_host_programs.h"
#include "z80side_programs.h"

namespace vimo {
namespace {

using test::ramByte;
using test::ramLong;
using test::ReportRecorder;
using test::z80Byte;
using test::z80Word;

constexpr uint32_t kResults = 0xFF0000;            // the 68000 programs' results
constexpr uint32_t kZ80StartedMark = 0x2800600D;   // machine_z80_host: the Z80 was started
constexpr uint32_t kLineCycles = kZ80CyclesPerLine;
constexpr uint32_t kFrameCycles = kLineCycles * kLinesPerFrame;

// The RGB565 pixel of a CRAM colour word (red, green and blue in bits 1-3,
// 5-7 and 9-11): each 3-bit component in the top bits of its field.
uint16_t rgb565(uint16_t cram) {
    const uint32_t r = (cram >> 1) & 7, g = (cram >> 5) & 7, b = (cram >> 9) & 7;
    return static_cast<uint16_t>((r << 13) | (g << 8) | (b << 2));
}

class Z80Programs : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;

    void load(const std::vector<uint8_t>& image) {
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) ASSERT_EQ(machine->runFrame(nullptr, nullptr), 0);
    }
    // Runs frames until the 68000 program has started the Z80 (it copies 8 KB
    // first, which takes a frame or two).
    void runUntilStarted() {
        for (int i = 0; i < 6 && ramLong(*machine, kResults) != kZ80StartedMark; ++i) run(1);
        ASSERT_EQ(ramLong(*machine, kResults), kZ80StartedMark) << "the 68000 program never started the Z80";
        ASSERT_EQ(machine->z80Running, 1u);
    }
    // Runs frames until the 68000 program's result byte `offset` holds the end mark.
    void runUntilMark(uint32_t offset, int limit) {
        for (int i = 0; i < limit && ramByte(*machine, kResults + offset) != 0x42; ++i) run(1);
        ASSERT_EQ(ramByte(*machine, kResults + offset), 0x42) << "the 68000 program did not reach its end";
    }
    // The Z80 program started by machine_z80_host.
    void startOnHost(std::span<const uint8_t> z80, size_t romSize = 0x10000) {
        load(test::z80Cartridge(programs::machine_z80_host(), z80, romSize));
        runUntilStarted();
    }
};

// ---- The bank register and the window -----------------------------------------------------------

TEST_F(Z80Programs, BankRegisterAndWindowOntoRomWorkRamAndTheRamMirror) {
    // The image ends at 0x44000, inside the bank 0x008 shows (0x040000-0x047FFF).
    auto image = test::z80Cartridge(programs::machine_z80_host(), programs::z80side_window(), 0x44000);
    image[0x40000] = 0x4A;
    image[0x43FFF] = 0x4B;
    load(image);
    test::setRamByte(*machine, 0xFF8000, 0xD1);
    test::setRamByte(*machine, 0xFFFFFF, 0xD2);
    runUntilStarted();
    run(2);
    ASSERT_EQ(z80Byte(*machine, 16), 0x42) << "the Z80 program reached its end";

    // The bank the 68000 set through 0xA06000: 0x1FD, 68000 0xFE8000 up,
    // where work RAM 0xFF8000 up shows again.
    EXPECT_EQ(z80Byte(*machine, 0), 0xD1);
    EXPECT_EQ(z80Byte(*machine, 1), 0xD2);
    // Bank 0x008: the cartridge ROM, and 0 past its end; bank 0x080: nothing.
    EXPECT_EQ(z80Byte(*machine, 2), 0x4A);
    EXPECT_EQ(z80Byte(*machine, 3), 0x4B);
    EXPECT_EQ(z80Byte(*machine, 4), 0x00);
    EXPECT_EQ(z80Byte(*machine, 5), 0x00);
    EXPECT_EQ(z80Byte(*machine, 6), 0x00);
    // Bank 0x1FE: work RAM, written and read back.
    EXPECT_EQ(ramByte(*machine, 0xFF0010), 0x5A);
    EXPECT_EQ(ramByte(*machine, 0xFF7FFF), 0xA5);
    EXPECT_EQ(z80Byte(*machine, 7), 0x5A);
    // Bank 0x1C0: the work RAM's mirror at 0xE00000 reads but takes no writes.
    EXPECT_EQ(z80Byte(*machine, 8), 0x5A);
    EXPECT_EQ(z80Byte(*machine, 9), 0x00);
    EXPECT_EQ(ramByte(*machine, 0xFF0011), 0x00);
    // Code fetched from 0x2000 up and a stack at 0x3F00 use the RAM below.
    EXPECT_EQ(z80Byte(*machine, 10), 0x6B);
    EXPECT_EQ(z80Word(*machine, 11), 0x1234u);
    EXPECT_EQ(machine->z80Ram[0x1EFE], 0x34);
    EXPECT_EQ(machine->z80Ram[0x1EFF], 0x12);
    EXPECT_EQ(z80Byte(*machine, 13), 0x77);
    // A word at 0x1FFF: its high byte goes to 0x2000, which is RAM 0x0000.
    EXPECT_EQ(z80Word(*machine, 14), 0xBEEFu);
    EXPECT_EQ(machine->z80Ram[0x1FFF], 0xEF);
    EXPECT_EQ(machine->z80Ram[0x0000], 0xBE);
    // The 68000 went on with its own work meanwhile.
    EXPECT_GT(ramLong(*machine, kResults + 4), 0u);
}

// ---- The VDP data port and the PSG -----------------------------------------------------------------

TEST_F(Z80Programs, VdpDataPortAndPsgFromTheZ80) {
    load(test::z80Cartridge(programs::machine_z80_vdp(), programs::z80side_vdp()));
    runUntilMark(0, 8);

    // VRAM 0x1000 holds 0x12 0x34 0x56 0x78; the read steps by 1 and every
    // address of 0x7F00-0x7FFF reads the data port.
    EXPECT_EQ(z80Byte(*machine, 0), 0x12);
    EXPECT_EQ(z80Byte(*machine, 1), 0x34);
    EXPECT_EQ(z80Byte(*machine, 2), 0x56);

    // The byte through the window is stored as the word 0x00EE at CRAM 0; the
    // write to 0x7F00 is dropped, so CRAM 2 stays 0 and the address moved once.
    const Vdp& vdp = machine->vdp;
    EXPECT_EQ(vdp.cram[0], 0x00);
    EXPECT_EQ(vdp.cram[1], 0xEE);
    EXPECT_EQ(vdp.cram[2], 0x00);
    EXPECT_EQ(vdp.cram[3], 0x00);
    EXPECT_EQ(vdp.address, 2u);
    EXPECT_EQ(vdp.palette[0] & 0xFFFF, rgb565(0x00EE));

    // 0x7F11 is the PSG: tone 0's period is 0x15A; 0x7F10 is not, so tone 0's
    // attenuation keeps its reset value 15.
    EXPECT_EQ(machine->psg.registers[0], 0x15Au);
    EXPECT_EQ(machine->psg.registers[1], 15u);
}

// ---- Bus request and reset from the 68000 ---------------------------------------------------------

TEST_F(Z80Programs, BusRequestAndResetFromThe68000) {
    load(test::z80Cartridge(programs::machine_z80_control(), programs::z80side_counter()));
    runUntilMark(18, 12);
    const auto word = [&](uint32_t offset) { return test::ramWord(*machine, kResults + offset); };
    const auto byte = [&](uint32_t offset) { return ramByte(*machine, kResults + offset); };

    EXPECT_EQ(byte(0), 1) << "0xA11100 reads 1 while the Z80 runs";
    EXPECT_EQ(byte(1), 0) << "and 0 once the 68000 holds its bus";
    EXPECT_GT(word(4), word(2)) << "running, it counts";
    EXPECT_EQ(word(8), word(6)) << "held, it stands still";
    EXPECT_GT(word(10), word(8)) << "released, it goes on";
    EXPECT_EQ(byte(12), 1);
    EXPECT_EQ(byte(13), 2) << "the reset started the program again";
    EXPECT_GT(word(14), 0u);
    EXPECT_LT(word(14), word(10)) << "counting from 0 again";
    EXPECT_EQ(byte(16), 2) << "reset while held: it waits for its bus";
    EXPECT_EQ(byte(17), 3) << "and starts again once it has it";
}

// ---- The frame's interrupt ------------------------------------------------------------------------

TEST_F(Z80Programs, OneInterruptPerFrameAtTheStartOfVBlank) {
    startOnHost(programs::z80side_interrupt());
    run(2);
    const uint16_t taken = z80Word(*machine, 0);
    const uint8_t wakeUps = z80Byte(*machine, 3);
    ASSERT_GT(taken, 0u);
    run(10);
    EXPECT_EQ(z80Word(*machine, 0), taken + 10);
    EXPECT_EQ(z80Byte(*machine, 3), static_cast<uint8_t>(wakeUps + 10)) << "each ends the HALT once";
    // Raised after the 224 shown lines, it is served in line 224, whose V
    // counter reads 0xE0 through the window.
    EXPECT_EQ(z80Byte(*machine, 2), 0xE0);
}

// ---- The Z80's pace -------------------------------------------------------------------------------------

// z80side_counter steps once every 32 cycles. A frame gives the Z80 262
// slices of 227 cycles, each shortened by what the one before ran past a
// whole line; a slice's overrun is at most 15 cycles here (its longest
// instruction takes 16), and two slices in a row never overrun more than
// that together. So F frames run between 262F x 227 - 15 and
// 262F x 227 + 15 x 131F cycles.
TEST_F(Z80Programs, TheZ80RunsALineOfCyclesInEveryLine) {
    startOnHost(programs::z80side_counter());
    run(1);
    constexpr uint32_t kFrames = 8;
    const uint16_t first = z80Word(*machine, 0);
    run(kFrames);
    const uint32_t steps = static_cast<uint16_t>(z80Word(*machine, 0) - first);
    const uint32_t slices = kFrames * kLinesPerFrame;
    const uint32_t lowest = kFrames * kFrameCycles - 15 - 32;
    const uint32_t highest = kFrames * kFrameCycles + 15 * ((slices + 1) / 2) + 32;
    EXPECT_GE(steps * 32, lowest);
    EXPECT_LE(steps * 32, highest);
    EXPECT_LE(zetaTakeElapsed(machine->zetaCore, 0), kLineCycles + 15) << "the frame's last slice";
}

// ---- A reset the Z80 asks for itself --------------------------------------------------------------------

TEST_F(Z80Programs, AResetTheZ80AsksForItselfIsWhole) {
    startOnHost(programs::z80side_self_reset());
    run(3);
    ASSERT_EQ(z80Byte(*machine, 24), 2) << "two starts: the program's reset restarted it once";
    EXPECT_NE(z80Byte(*machine, 25), 0x55) << "the instruction after the reset never ran";

    // The second start found every register as a reset leaves it.
    EXPECT_EQ(z80Word(*machine, 0), 0x0000u) << "SP";
    EXPECT_EQ(z80Word(*machine, 2), 0x0000u) << "HL";
    EXPECT_EQ(z80Word(*machine, 4), 0x0000u) << "BC";
    EXPECT_EQ(z80Word(*machine, 6), 0x0000u) << "DE";
    EXPECT_EQ(z80Word(*machine, 8), 0xFFFFu) << "IX";
    EXPECT_EQ(z80Word(*machine, 10), 0xFFFFu) << "IY";
    EXPECT_EQ(z80Word(*machine, 12), 0x0040u) << "AF: A 0, only Z set";
    EXPECT_EQ(z80Word(*machine, 14), 0x0000u) << "BC'";
    EXPECT_EQ(z80Word(*machine, 16), 0x0000u) << "DE'";
    EXPECT_EQ(z80Word(*machine, 18), 0x0000u) << "HL'";
    EXPECT_EQ(z80Word(*machine, 20), 0x0000u) << "AF'";
    EXPECT_EQ(z80Byte(*machine, 23), 0x00) << "I";
    EXPECT_EQ(z80Byte(*machine, 22) & 0x04, 0) << "IFF2 clear";
    // Interrupts enabled again with I = 0x12 are taken at 0x38: the reset
    // left mode 0, not the mode 2 the first start had set.
    EXPECT_GT(z80Byte(*machine, 26), 0);
    EXPECT_EQ(z80Byte(*machine, 27), 0);
}

// ---- A sound driver ---------------------------------------------------------------------------------------

// The tables of z80side_sound_driver: block 4 and the F-numbers of its eight
// notes, and the PSG tone periods of the same notes.
constexpr uint16_t kFNumbers[8] = {644, 723, 811, 859, 964, 1082, 1214, 1288};
constexpr uint16_t kPsgPeriods[8] = {428, 381, 339, 320, 285, 254, 226, 214};
constexpr uint32_t kSamplesAt = 0x050000;

uint8_t sample(uint32_t index) {
    return static_cast<uint8_t>((index * 7) ^ 0xA5);
}

TEST_F(Z80Programs, ASoundDriverPlaysOncePerFrameAndStreamsSamplesBetween) {
    auto image = test::z80Cartridge(programs::machine_z80_host(), programs::z80side_sound_driver(), 0x60000);
    for (uint32_t i = 0; i < 256; ++i) image[kSamplesAt + i] = sample(i);
    load(image);
    runUntilStarted();
    run(2);
    const uint16_t interrupts = z80Word(*machine, 0);
    const uint16_t played = z80Word(*machine, 2);
    const uint16_t samples = z80Word(*machine, 6);
    ASSERT_GT(played, 0u);

    constexpr uint32_t kFrames = 10;
    run(kFrames);
    EXPECT_EQ(z80Word(*machine, 0), interrupts + kFrames);
    EXPECT_EQ(z80Word(*machine, 2), played + kFrames) << "one note per frame";
    EXPECT_GT(static_cast<uint32_t>(static_cast<uint16_t>(z80Word(*machine, 6) - samples)), 100u * kFrames)
        << "samples stream between the frames";

    const uint8_t note = z80Byte(*machine, 4);
    ASSERT_LT(note, 8);
    for (uint32_t channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(machine->fmShadow[0][0xA4 + channel], (4 << 3) | (kFNumbers[note] >> 8)) << channel;
        EXPECT_EQ(machine->fmShadow[0][0xA0 + channel], kFNumbers[note] & 0xFF) << channel;
    }
    EXPECT_EQ(machine->fmShadow[0][0x28], 0xF2) << "key on, channel 3 last";
    EXPECT_EQ(machine->fmShadow[0][0x2B], 0x80) << "DAC on";
    EXPECT_EQ(machine->fmShadow[1][0xB4], 0xC0) << "part II: channel 4 on both speakers";
    EXPECT_EQ(machine->psg.registers[0], kPsgPeriods[note]);

    // The last sample written came through the window from the ROM: the one
    // before the driver's pointer, or the one at it while the driver is
    // between writing it and moving on.
    const uint32_t next = z80Word(*machine, 8);
    ASSERT_EQ(next & 0xFF00, 0x8000u);
    const uint8_t dac = static_cast<uint8_t>(machine->fmShadow[0][0x2A]);
    EXPECT_TRUE(dac == sample((next - 1) & 0xFF) || dac == sample(next & 0xFF)) << int{dac};
}

// ---- Switching cores ----------------------------------------------------------------------------

// What a frame of the sound driver leaves behind, read from its results.
struct DriverProgress {
    uint16_t interrupts;
    uint16_t played;
    uint8_t note;
    uint16_t samples;
};

DriverProgress progressOf(const Machine& machine) {
    return {z80Word(machine, 0), z80Word(machine, 2), z80Byte(machine, 4), z80Word(machine, 6)};
}

// One frame of the driver went as it should: one interrupt, the next note
// played with its F-numbers, block and PSG period, samples streamed between.
void expectOneFrameOfPlay(const Machine& machine, const DriverProgress& before, const DriverProgress& after) {
    EXPECT_EQ(after.interrupts, static_cast<uint16_t>(before.interrupts + 1));
    EXPECT_EQ(after.played, static_cast<uint16_t>(before.played + 1)) << "one note per frame";
    ASSERT_EQ(after.note, (before.note + 1) & 7) << "the next note of the eight";
    EXPECT_GT(static_cast<uint16_t>(after.samples - before.samples), 100u) << "samples stream between the frames";
    for (uint32_t channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(machine.fmShadow[0][0xA4 + channel], (4 << 3) | (kFNumbers[after.note] >> 8)) << channel;
        EXPECT_EQ(machine.fmShadow[0][0xA0 + channel], kFNumbers[after.note] & 0xFF) << channel;
    }
    EXPECT_EQ(machine.psg.registers[0], kPsgPeriods[after.note]);
}

TEST_F(Z80Programs, SwitchingCoresWhileASoundProgramRunsTheProgramGoesOn) {
    auto image = test::z80Cartridge(programs::machine_z80_host(), programs::z80side_sound_driver(), 0x60000);
    for (uint32_t i = 0; i < 256; ++i) image[kSamplesAt + i] = sample(i);
    load(image);
    runUntilStarted();
    run(2);
    ASSERT_EQ(machine->z80Core, kZetaCore);
    ASSERT_GT(z80Word(*machine, 2), 0u) << "the driver plays on core 1";

    // Between frames, as the menu switches: 2, 1, 2, 1 ... and twice in a row
    // at the end (2, then 1 and straight back to 2 before the next frame).
    const uint32_t order[] = {kKiteCore, kZetaCore, kKiteCore, kZetaCore, kKiteCore, kZetaCore, kKiteCore};
    for (uint32_t core : order) {
        const DriverProgress before = progressOf(*machine);
        ASSERT_EQ(machine->selectZ80Core(core), 0);
        ASSERT_EQ(machine->z80Core, core);
        run(1);
        expectOneFrameOfPlay(*machine, before, progressOf(*machine));
    }
    ASSERT_EQ(machine->selectZ80Core(kZetaCore), 0);
    ASSERT_EQ(machine->selectZ80Core(kKiteCore), 0);
    for (int frame = 0; frame < 4; ++frame) {
        const DriverProgress before = progressOf(*machine);
        run(1);
        expectOneFrameOfPlay(*machine, before, progressOf(*machine));
    }
    const uint32_t next = z80Word(*machine, 8);
    ASSERT_EQ(next & 0xFF00, 0x8000u) << "the sample pointer stayed in the window";
    const uint8_t dac = static_cast<uint8_t>(machine->fmShadow[0][0x2A]);
    EXPECT_TRUE(dac == sample((next - 1) & 0xFF) || dac == sample(next & 0xFF)) << int{dac};
}

TEST_F(Z80Programs, ASoundDriverPlaysOnCoreTwoFromTheStart) {
    ASSERT_EQ(machine->selectZ80Core(kKiteCore), 0);
    auto image = test::z80Cartridge(programs::machine_z80_host(), programs::z80side_sound_driver(), 0x60000);
    for (uint32_t i = 0; i < 256; ++i) image[kSamplesAt + i] = sample(i);
    load(image);
    ASSERT_EQ(machine->z80Core, kKiteCore) << "loading a cartridge keeps the core";
    runUntilStarted();
    run(2);
    ASSERT_GT(z80Word(*machine, 2), 0u);
    for (int frame = 0; frame < 8; ++frame) {
        const DriverProgress before = progressOf(*machine);
        run(1);
        expectOneFrameOfPlay(*machine, before, progressOf(*machine));
    }
    EXPECT_EQ(machine->fmShadow[0][0x2B], 0x80) << "DAC on";
    EXPECT_EQ(machine->fmShadow[1][0xB4], 0xC0) << "part II: channel 4 on both speakers";
}

// ---- vimo-headless -------------------------------------------------------------------------------

TEST_F(Z80Programs, HeadlessRunnerWithZeta) {
    machine.reset();  // the runner builds its own machine
    const std::string rom = folder.write(
        "z80_backdrop.bin", test::z80Cartridge(programs::machine_z80_backdrop(), programs::z80side_backdrop()));
    const char* argv[] = {"vimo-headless", "--rom", rom.c_str(), "--frames", "6", "--z80", "zeta"};
    headless::Options options;
    ASSERT_EQ(headless::parseOptions(7, argv, options), "");
    headless::RunResult result;
    std::string error;
    ASSERT_EQ(headless::run(options, result, error), headless::kRunOk) << error;
    ASSERT_EQ(result.picture.size(), 320u * 224u);
    // The Z80 wrote CRAM colour 0 as 0x00EE: red 7, green 7, blue 0.
    const uint16_t yellow = rgb565(0x00EE);
    EXPECT_TRUE(std::all_of(result.picture.begin(), result.picture.end(),
                            [&](uint16_t pixel) { return pixel == yellow; }));
}

TEST_F(Z80Programs, HeadlessRunnerWithKite) {
    machine.reset();  // the runner builds its own machine
    const std::string rom = folder.write(
        "z80_backdrop.bin", test::z80Cartridge(programs::machine_z80_backdrop(), programs::z80side_backdrop()));
    const char* argv[] = {"vimo-headless", "--rom", rom.c_str(), "--frames", "6", "--z80", "kite"};
    headless::Options options;
    ASSERT_EQ(headless::parseOptions(7, argv, options), "");
    headless::RunResult result;
    std::string error;
    ASSERT_EQ(headless::run(options, result, error), headless::kRunOk) << error;
    ASSERT_EQ(result.picture.size(), 320u * 224u);
    // The Z80 wrote CRAM colour 0 as 0x00EE: red 7, green 7, blue 0.
    const uint16_t yellow = rgb565(0x00EE);
    EXPECT_TRUE(std::all_of(result.picture.begin(), result.picture.end(),
                            [&](uint16_t pixel) { return pixel == yellow; }));
}

}  // namespace
}  // namespace vimo
