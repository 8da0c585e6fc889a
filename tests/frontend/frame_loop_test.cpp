// Frame pacing against fake devices: a scripted play cursor, a fake clock and
// a log of every call the step makes.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/frame_loop.h"

namespace vimo {
namespace {

constexpr uint64_t kFrequency = 10'000'000;   // ticks a second, as Wine's counter
constexpr uint64_t kMillisecond = kFrequency / 1000;
using Log = std::vector<std::string>;

class FakePorts final : public FramePorts {
public:
    Log log;
    std::vector<uint32_t> cursorScript{1};   // successive cursor reads; the last repeats
    size_t cursorReads = 0;
    bool sound = true;
    bool lockFails = false;
    uint64_t now = 0;
    uint64_t ticksPerClockRead = 0;   // the time one look at the clock costs a spinning wait
    uint32_t rate = 44100;
    uint32_t perSegment = 735;
    uint16_t surface[4] = {};

    void script(std::vector<uint32_t> cursor) {
        cursorScript = std::move(cursor);
        cursorReads = 0;
    }
    bool soundPlaying() override { return sound; }
    uint32_t playSegment() override {
        return cursorScript[std::min(cursorReads++, cursorScript.size() - 1)];
    }
    void writeSegment(uint32_t segment) override { log.push_back("write " + std::to_string(segment)); }
    void readPads() override { log.push_back("pads"); }
    FrameBufferDesc lock() override {
        log.push_back("lock");
        return FrameBufferDesc{lockFails ? nullptr : surface, 336, 240, 672, 16};
    }
    void unlock() override { log.push_back("unlock"); }
    void present() override { log.push_back("present"); }
    void runFrame(const FrameBufferDesc* frame) override {
        log.push_back(frame == nullptr ? "run U" : frame->pixels != nullptr ? "run D" : "run NULL");
    }
    void blankStatus() override { log.push_back("blank"); }
    uint64_t clockTicks() override { return now += ticksPerClockRead; }
    uint64_t clockFrequency() override { return kFrequency; }
    void sleepOneMillisecond() override { now += kMillisecond; }
    uint32_t samplesPerSecond() override { return rate; }
    uint32_t samplesPerSegment() override { return perSegment; }

    // What matches a prefix, in order, e.g. every "write" or every "run".
    Log only(const std::string& prefix) const {
        Log out;
        for (const std::string& entry : log) {
            if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
        }
        return out;
    }
};

TEST(FrameLoopAuto, OneSegmentPlayedRunsOneDrawnFrameInOrder) {
    FakePorts ports;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.log, (Log{"write 0", "lock", "pads", "run D", "unlock", "present"}));
    EXPECT_EQ(loop.soundWriteIndex, 1u);
}

TEST(FrameLoopAuto, CatchingUpRunsOneFramePerSegmentAndDrawsTheLast) {
    const struct {
        uint32_t index, cursor;
        Log writes, runs;
    } cases[] = {
        {0, 3, {"write 0", "write 1", "write 2"}, {"run U", "run U", "run D"}},
        {7, 1, {"write 7", "write 0"}, {"run U", "run D"}},
    };
    for (const auto& c : cases) {
        FakePorts ports;
        ports.script({c.index, c.index, c.cursor});   // waits two reads first
        FrameLoop loop;
        loop.soundWriteIndex = c.index;
        loop.runFramesAuto(ports);
        EXPECT_EQ(ports.only("write"), c.writes) << c.index << "->" << c.cursor;
        EXPECT_EQ(ports.only("run"), c.runs) << c.index << "->" << c.cursor;
        EXPECT_EQ(ports.only("pads").size(), c.runs.size());
        EXPECT_EQ(loop.soundWriteIndex, c.cursor);
    }
}

TEST(FrameLoopAuto, AFailedLockRunsTheFrameUndrawnWithoutUnlocking) {
    FakePorts ports;
    ports.lockFails = true;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.log, (Log{"write 0", "lock", "pads", "run U"}));
}

TEST(FrameLoopAuto, StatusTextIsBlankedAfterMoreThan180Frames) {
    FakePorts ports;
    FrameLoop loop;
    for (int step = 0; step < 180; ++step) {
        ports.script({(loop.soundWriteIndex + 1) & 7});
        loop.runFramesAuto(ports);
    }
    EXPECT_TRUE(ports.only("blank").empty());
    ports.script({(loop.soundWriteIndex + 3) & 7});   // a three-frame step overshoots 181
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.only("blank").size(), 1u);
    EXPECT_EQ(loop.framesSinceStatus, 0);
}

TEST(FrameLoopAuto, WithoutSoundTheClockPacesAboutSixtyFramesASecond) {
    const struct {
        uint32_t rate, perSegment;
    } cases[] = {{44100, 735}, {11025, 183}, {8000, 133}, {44100, 0}};
    for (const auto& c : cases) {
        FakePorts ports;
        ports.sound = false;
        ports.rate = c.rate;
        ports.perSegment = c.perSegment;
        FrameLoop loop;
        for (int step = 0; ports.now < kFrequency && step < 1000; ++step) loop.runFramesAuto(ports);
        EXPECT_NEAR(static_cast<double>(ports.only("run").size()), 60.5, 1.6) << c.rate;
        EXPECT_EQ(ports.cursorReads, 0u) << "no sound buffer is asked";
        EXPECT_TRUE(loop.pacedByClock());
    }
}

TEST(FrameLoopAuto, AStuckCursorIsWaitedForAtMost100MillisecondsThenGivenUp) {
    FakePorts ports;
    ports.script({0});
    ports.ticksPerClockRead = kMillisecond;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_TRUE(ports.only("run").empty());
    EXPECT_GE(ports.now, 100 * kMillisecond);
    EXPECT_LE(ports.now, 102 * kMillisecond);
    EXPECT_FALSE(loop.pacedByClock());
    for (int stall = 1; stall < kStallsBeforeClock; ++stall) loop.runFramesAuto(ports);
    ports.ticksPerClockRead = 0;
    const size_t reads = ports.cursorReads;
    loop.runFramesAuto(ports);
    EXPECT_TRUE(loop.pacedByClock());
    EXPECT_EQ(ports.only("run"), (Log{"run D"}));
    EXPECT_EQ(ports.cursorReads, reads);
}

TEST(FrameLoopAuto, ProgressBetweenStallsKeepsTheSoundCursor) {
    FakePorts ports;
    ports.ticksPerClockRead = kMillisecond;
    FrameLoop loop;
    for (int round = 0; round < 3; ++round) {
        for (int stall = 1; stall < kStallsBeforeClock; ++stall) {
            ports.script({loop.soundWriteIndex});
            loop.runFramesAuto(ports);
        }
        ports.script({(loop.soundWriteIndex + 1) & 7});
        loop.runFramesAuto(ports);
    }
    EXPECT_FALSE(loop.pacedByClock());
    EXPECT_EQ(ports.only("run").size(), 3u);
}

TEST(FrameLoopFixed, SkipTwoDrawsEveryThirdFrameAndNeverBlanksTheStatus) {
    FakePorts ports;
    ports.script({5});
    FrameLoop loop;
    Log runs;
    for (int step = 0; step < 9; ++step) {
        loop.runFrameFixedSkip(ports, 2);
        runs.push_back(step % 3 == 2 ? "run D" : "run U");
    }
    EXPECT_EQ(ports.only("run"), runs);
    EXPECT_EQ(ports.only("pads").size(), 9u);
    EXPECT_TRUE(ports.only("blank").empty());
    EXPECT_EQ(loop.framesSinceStatus, 0);
}

TEST(FrameLoopFixed, NeverWritesTheSegmentUnderTheCursor) {
    FakePorts ports;
    ports.script({1});
    FrameLoop loop;
    loop.runFrameFixedSkip(ports, 1);
    EXPECT_EQ(ports.log.front(), "write 0");
    ports.script({3});
    loop.runFrameFixedSkip(ports, 1);
    EXPECT_EQ(loop.soundWriteIndex, 1u);
}

TEST(FrameLoopFixed, TheFrameStepInAutoModeDrawsEveryCall) {
    FakePorts ports;
    ports.script({6});
    FrameLoop loop;
    for (int step = 0; step < 2; ++step) loop.runFrameFixedSkip(ports, -1);
    EXPECT_EQ(ports.log, (Log{"write 1", "pads", "lock", "run D", "unlock", "present", "write 2", "pads", "lock",
                              "run D", "unlock", "present"}));
}

}  // namespace
}  // namespace vimo
