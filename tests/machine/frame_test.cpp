// The frame scheduler's own rules, observed without a program: counters,
// status bits, the pad timers, drawing and the sound partition. Programs that
// watch the frame from the 68000 are in programs_test.cpp.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class Frame : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
};

TEST_F(Frame, RunsWithoutFrameBufferOrSoundAndClearsTheBlankBits) {
    machine->vdp.regs[1] = 0x20;  // V interrupt enabled
    EXPECT_EQ(machine->runFrame(nullptr, nullptr), 0);
    EXPECT_EQ(machine->vdp.status & (kStatusVBlank | kStatusVIntPending | kStatusHBlank), 0u);
    EXPECT_EQ(machine->line, kLinesPerFrame);
    // 224 shown lines count 0-223, lines 224-235 go on to 0xEB, then the
    // counter jumps to 0xE6 and counts the last 26 lines up to 0xFF.
    EXPECT_EQ(machine->vCounter & 0xFF, 0);
    EXPECT_EQ(machine->vCounter, 0xE6 + 26);
}

TEST_F(Frame, HIntCounterCountsAndReloadsOnShownLinesOnly) {
    // Register 10 = 5: the counter runs 5, 4, ..., 0, reload, so after the
    // 224 shown lines it has gone round 224 mod 6 = 2 steps past a reload.
    machine->vdp.regs[10] = 5;
    machine->hInterrupts = 0;
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->hIntCounter, 3);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->hIntCounter, 3) << "each frame starts from register 10";

    machine->vdp.regs[10] = 0;  // reloaded with 0 on every line
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->hIntCounter, 0);
}

TEST_F(Frame, PadTimersClearTheSixButtonCountAfterTwentySixQuietLines) {
    machine->sixButtonCount[0] = 3;
    machine->sixButtonCount[1] = 2;
    machine->linesSinceThWrite[0] = 0;
    machine->linesSinceThWrite[1] = 0;
    machine->runFrame(nullptr, nullptr);
    for (int pad = 0; pad < 2; ++pad) {
        EXPECT_EQ(machine->sixButtonCount[pad], 0);
        EXPECT_EQ(machine->linesSinceThWrite[pad], 26) << "the timer stops once it has run out";
    }
}

TEST_F(Frame, PadTimerRunsOnShownLinesOnly) {
    // A count set with the timer at 25 is cleared on the second shown line,
    // not before; a timer far from running out keeps its count for the frame.
    machine->sixButtonCount[0] = 3;
    machine->linesSinceThWrite[0] = 25;
    machine->sixButtonCount[1] = 3;
    machine->linesSinceThWrite[1] = -300;  // more than a frame's shown lines to go
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->sixButtonCount[0], 0);
    EXPECT_EQ(machine->sixButtonCount[1], 3);
    EXPECT_EQ(machine->linesSinceThWrite[1], -300 + kVisibleLines)
        << "only the 224 shown lines advance the timer";
}

TEST_F(Frame, InterlaceTogglesTheOddFrameBitOncePerFrame) {
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->vdp.status & kStatusOddFrame, 0u);
    machine->vdp.regs[12] = 0x02;
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->vdp.status & kStatusOddFrame, kStatusOddFrame);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->vdp.status & kStatusOddFrame, 0u);
    machine->vdp.regs[12] = 0;
    machine->vdp.status |= kStatusOddFrame;
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(machine->vdp.status & kStatusOddFrame, kStatusOddFrame);
}

TEST_F(Frame, SoundSpansCoverTheFrameExactly) {
    // Every sample of the frame is mixed (silence here) and nothing beyond it.
    constexpr uint32_t kSamples = 735;
    std::vector<int16_t> left(kSamples + 1, 0x7777), right(kSamples + 1, 0x7777);
    SoundFrameDesc sound{left.data(), right.data(), kSamples};
    machine->runFrame(nullptr, &sound);
    EXPECT_TRUE(std::all_of(left.begin(), left.begin() + kSamples, [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::all_of(right.begin(), right.begin() + kSamples, [](int16_t s) { return s == 0; }));
    EXPECT_EQ(left[kSamples], 0x7777);
    EXPECT_EQ(right[kSamples], 0x7777);
}

class DrawnFrame : public Frame {
protected:
    static constexpr uint16_t kUntouched = 0xAAAA;
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kSurfaceWidth * kSurfaceHeight, kUntouched);
    FrameBufferDesc frame{pixels.data(), kSurfaceWidth, kSurfaceHeight, kSurfaceWidth * 2, 16};

    uint16_t pixel(uint32_t x, uint32_t y) const { return pixels[y * kSurfaceWidth + x]; }
};

TEST_F(DrawnFrame, ShownLinesLandInRowsEightTo231) {
    // Background colour: palette entry 5 = CRAM word 0x000E, full red, which
    // is 0xE000 in RGB565. The display is off, so every shown line is all
    // background.
    machine->vdp.writeCram(10, 0x00);
    machine->vdp.writeCram(11, 0x0E);
    machine->vdp.regs[7] = 5;
    EXPECT_EQ(machine->runFrame(&frame, nullptr), 0);
    for (uint32_t y = 0; y < kSurfaceHeight; ++y) {
        const bool shown = y >= 8 && y < 8 + kVisibleLines;
        for (uint32_t x = 8; x < 8 + 320; ++x)
            ASSERT_EQ(pixel(x, y), shown ? 0xE000 : kUntouched) << x << "," << y;
    }
}

TEST_F(DrawnFrame, AFailedLockRunsTheFrameUndrawn) {
    frame.pixels = nullptr;
    machine->vdp.regs[1] = 0x40;
    EXPECT_EQ(machine->runFrame(&frame, nullptr), 0);
    EXPECT_EQ(machine->line, kLinesPerFrame);
    EXPECT_EQ(machine->renderLine(&frame), 0);
}

TEST_F(DrawnFrame, RenderLineDrawsShownLinesOnly) {
    machine->vdp.writeCram(0, 0x0E);  // entry 0: full blue, 0x001C in RGB565
    machine->vdp.writeCram(1, 0x00);
    machine->line = 224;
    machine->renderLine(&frame);
    machine->line = -1;
    machine->renderLine(&frame);
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint16_t p) { return p == kUntouched; }));
    machine->line = 0;
    machine->renderLine(&frame);
    EXPECT_EQ(pixel(8, 8), 0x001C);
    EXPECT_EQ(pixel(327, 8), 0x001C);
    EXPECT_EQ(pixel(8, 9), kUntouched);
}

// The H counter from the odometer: 416 steps over a line's 487 cycles, from
// -56 (raw) at the line's start.
TEST_F(Frame, HCounterFollowsTheOdometerWithinTheLine) {
    struct Case {
        uint32_t intoLine;
        int32_t raw;
    };
    const Case cases[] = {{0, -56}, {487, 360}, {243, (243 * 416) / 487 - 56}, {1, 416 / 487 - 56}};
    for (const Case& c : cases) {
        machine->line = 10;
        Cpu68000Context context;
        machine->mainCpu->getContext(&context);
        context.odometer = 487 * 10 + c.intoLine;
        machine->mainCpu->setContext(&context);
        EXPECT_EQ(machine->hCounterRaw(), c.raw) << c.intoLine;
        EXPECT_EQ(machine->hCounter(), c.raw >> 1) << c.intoLine;
        EXPECT_EQ(machine->readByteVdp(0xC00009), static_cast<uint32_t>(c.raw >> 1) & 0xFF);
    }
    // The word read pairs the V counter with the H counter's low byte.
    Cpu68000Context context;
    machine->mainCpu->getContext(&context);
    context.odometer = 487 * 10 + 487;
    machine->mainCpu->setContext(&context);
    machine->vCounter = 0xE6;
    EXPECT_EQ(machine->readWordVdp(0xC00008), (0xE6u << 8) | (360u >> 1));
    EXPECT_EQ(machine->readByteVdp(0xC00008), 0xE6u);
}

}  // namespace
}  // namespace vimo
