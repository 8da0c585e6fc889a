// Frame pacing against fake devices: a scripted play cursor, a fake clock and
// a log of every call the step makes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/frame_loop.h"

namespace vimo {
namespace {

constexpr uint64_t kFrequency = 10'000'000;   // ticks a second, as Wine's counter
constexpr uint64_t kMillisecond = kFrequency / 1000;

class FakePorts final : public FramePorts {
public:
    std::vector<std::string> log;
    std::vector<uint32_t> cursorScript{1};   // successive cursor reads; the last repeats
    size_t cursorReads = 0;
    bool sound = true;
    bool lockFails = false;
    uint64_t now = 0;
    uint64_t ticksPerClockRead = 0;   // time a spinning wait costs per look at the clock
    uint32_t rate = 44100;
    uint32_t perSegment = 735;
    uint16_t surface[4] = {};

    bool soundPlaying() override { return sound; }
    uint32_t playSegment() override {
        const size_t index = cursorReads < cursorScript.size() ? cursorReads : cursorScript.size() - 1;
        ++cursorReads;
        return cursorScript[index];
    }
    void writeSegment(uint32_t segment) override { log.push_back("write " + std::to_string(segment)); }
    void readPads() override { log.push_back("pads"); }
    FrameBufferDesc lock() override {
        log.push_back("lock");
        FrameBufferDesc frame{surface, 336, 240, 672, 16};
        if (lockFails) frame.pixels = nullptr;
        return frame;
    }
    void unlock() override { log.push_back("unlock"); }
    void present() override { log.push_back("present"); }
    void runFrame(const FrameBufferDesc* frame) override {
        log.push_back(frame == nullptr ? "run U" : "run D");
        if (frame != nullptr) {
            EXPECT_NE(frame->pixels, nullptr);
        }
    }
    void blankStatus() override { log.push_back("blank"); }
    uint64_t clockTicks() override {
        now += ticksPerClockRead;
        return now;
    }
    uint64_t clockFrequency() override { return kFrequency; }
    void sleepOneMillisecond() override { now += kMillisecond; }
    uint32_t samplesPerSecond() override { return rate; }
    uint32_t samplesPerSegment() override { return perSegment; }

    // Just the frames, as "U" and "D".
    std::string frames() const {
        std::string out;
        for (const std::string& entry : log) {
            if (entry.rfind("run ", 0) == 0) out += entry.substr(4);
        }
        return out;
    }
    int count(const std::string& what) const {
        int n = 0;
        for (const std::string& entry : log) n += entry == what ? 1 : 0;
        return n;
    }
};

using Log = std::vector<std::string>;

TEST(FrameLoopAuto, OneSegmentPlayedRunsOneDrawnFrameInOrder) {
    FakePorts ports;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.log, (Log{"write 0", "lock", "pads", "run D", "unlock", "present"}));
    EXPECT_EQ(loop.soundWriteIndex, 1u);
    EXPECT_EQ(loop.framesSinceStatus, 1);
}

TEST(FrameLoopAuto, CatchingUpRunsOneFramePerSegmentAndDrawsTheLast) {
    struct Case {
        uint32_t index, cursor;
        Log writes;
        std::string frames;
    } cases[] = {
        {0, 3, {"write 0", "write 1", "write 2"}, "UUD"},
        {7, 1, {"write 7", "write 0"}, "UD"},
        {5, 4, {"write 5", "write 6", "write 7", "write 0", "write 1", "write 2", "write 3"}, "UUUUUUD"},
    };
    for (const Case& c : cases) {
        FakePorts ports;
        ports.cursorScript = {c.cursor};
        FrameLoop loop;
        loop.soundWriteIndex = c.index;
        loop.runFramesAuto(ports);
        Log writes;
        for (const std::string& entry : ports.log) {
            if (entry.rfind("write", 0) == 0) writes.push_back(entry);
        }
        EXPECT_EQ(writes, c.writes) << c.index << "->" << c.cursor;
        EXPECT_EQ(ports.frames(), c.frames) << c.index << "->" << c.cursor;
        EXPECT_EQ(ports.count("pads"), static_cast<int>(c.frames.size()));
        EXPECT_EQ(loop.soundWriteIndex, c.cursor);
    }
}

TEST(FrameLoopAuto, NoFrameRunsUntilTheCursorLeavesTheWriteSegment) {
    FakePorts ports;
    ports.cursorScript = {0, 0, 0, 0, 0, 2};
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_GE(ports.cursorReads, 6u);
    EXPECT_EQ(ports.frames(), "UD");
    EXPECT_FALSE(loop.pacedByClock());
}

TEST(FrameLoopAuto, AFailedLockRunsTheFrameUndrawnWithoutUnlocking) {
    FakePorts ports;
    ports.lockFails = true;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.log, (Log{"write 0", "lock", "pads", "run U"}));
}

TEST(FrameLoopAuto, StatusTextIsBlankedOnlyAfterMoreThan180Frames) {
    FakePorts ports;
    FrameLoop loop;
    for (uint32_t step = 0; step < 180; ++step) {
        ports.cursorScript = {(loop.soundWriteIndex + 1) & 7};
        ports.cursorReads = 0;
        loop.runFramesAuto(ports);
    }
    EXPECT_EQ(ports.count("blank"), 0);
    EXPECT_EQ(loop.framesSinceStatus, 180);
    // A step of three frames overshoots 181 before the test after the loop.
    ports.cursorScript = {(loop.soundWriteIndex + 3) & 7};
    ports.cursorReads = 0;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.count("blank"), 1);
    EXPECT_EQ(loop.framesSinceStatus, 0);
}

TEST(FrameLoopAuto, WithoutSoundTheClockPacesAboutSixtyFramesASecond) {
    const struct {
        uint32_t rate, perSegment;
        int low, high;
    } cases[] = {{44100, 735, 59, 61}, {11025, 183, 59, 62}, {8000, 133, 59, 62}};
    for (const auto& c : cases) {
        FakePorts ports;
        ports.sound = false;
        ports.rate = c.rate;
        ports.perSegment = c.perSegment;
        FrameLoop loop;
        int steps = 0;
        while (ports.now < kFrequency && steps < 1000) {
            loop.runFramesAuto(ports);
            ++steps;
        }
        const int frames = static_cast<int>(ports.frames().size());
        EXPECT_GE(frames, c.low) << c.rate;
        EXPECT_LE(frames, c.high) << c.rate;
        EXPECT_EQ(ports.cursorReads, 0u) << "no sound buffer is asked";
        EXPECT_TRUE(loop.pacedByClock());
    }
}

TEST(FrameLoopAuto, AStuckCursorIsWaitedForAtMost100Milliseconds) {
    FakePorts ports;
    ports.cursorScript = {0};
    ports.ticksPerClockRead = kMillisecond;
    FrameLoop loop;
    loop.runFramesAuto(ports);
    EXPECT_EQ(ports.frames(), "");
    EXPECT_GE(ports.now, 100 * kMillisecond);
    EXPECT_LE(ports.now, 102 * kMillisecond);
    EXPECT_FALSE(loop.pacedByClock());
}

TEST(FrameLoopAuto, RepeatedStallsHandThePacingToTheClock) {
    FakePorts ports;
    ports.cursorScript = {0};
    ports.ticksPerClockRead = kMillisecond;
    FrameLoop loop;
    for (int stall = 0; stall < kStallsBeforeClock; ++stall) loop.runFramesAuto(ports);
    EXPECT_EQ(ports.frames(), "");
    ports.ticksPerClockRead = 0;
    const size_t readsBefore = ports.cursorReads;
    loop.runFramesAuto(ports);
    EXPECT_TRUE(loop.pacedByClock());
    EXPECT_EQ(ports.frames(), "D");
    EXPECT_EQ(ports.cursorReads, readsBefore);
}

TEST(FrameLoopAuto, ProgressBetweenStallsKeepsTheSoundCursor) {
    FakePorts ports;
    ports.ticksPerClockRead = kMillisecond;
    FrameLoop loop;
    for (int round = 0; round < 3; ++round) {
        for (int stall = 0; stall < kStallsBeforeClock - 1; ++stall) {
            ports.cursorScript = {loop.soundWriteIndex};
            ports.cursorReads = 0;
            loop.runFramesAuto(ports);
        }
        ports.cursorScript = {(loop.soundWriteIndex + 1) & 7};
        ports.cursorReads = 0;
        loop.runFramesAuto(ports);
    }
    EXPECT_FALSE(loop.pacedByClock());
    EXPECT_EQ(ports.frames(), "DDD");
}

TEST(FrameLoopFixed, SkipTwoDrawsEveryThirdFrameAndReadsPadsEachStep) {
    FakePorts ports;
    ports.cursorScript = {5};
    FrameLoop loop;
    for (int step = 0; step < 9; ++step) loop.runFrameFixedSkip(ports, 2);
    EXPECT_EQ(ports.frames(), "UUDUUDUUD");
    EXPECT_EQ(ports.count("pads"), 9);
    EXPECT_EQ(ports.count("present"), 3);
    EXPECT_EQ(loop.skipCounter, 0);
    EXPECT_EQ(ports.count("blank"), 0);
    EXPECT_EQ(loop.framesSinceStatus, 0);
}

TEST(FrameLoopFixed, NeverWritesTheSegmentUnderTheCursor) {
    FakePorts ports;
    ports.cursorScript = {1};
    FrameLoop loop;
    loop.runFrameFixedSkip(ports, 1);
    EXPECT_EQ(ports.log.front(), "write 0");
    EXPECT_EQ(loop.soundWriteIndex, 0u);
    ports.cursorScript = {3};
    ports.cursorReads = 0;
    loop.runFrameFixedSkip(ports, 1);
    EXPECT_EQ(loop.soundWriteIndex, 1u);
}

TEST(FrameLoopFixed, TheFrameStepInAutoModeDrawsEveryCall) {
    FakePorts ports;
    ports.cursorScript = {6};
    FrameLoop loop;
    for (int step = 0; step < 3; ++step) loop.runFrameFixedSkip(ports, -1);
    EXPECT_EQ(ports.frames(), "DDD");
    EXPECT_EQ(ports.count("write 1") + ports.count("write 2") + ports.count("write 3"), 3);
    EXPECT_EQ((Log{ports.log.begin(), ports.log.begin() + 6}),
              (Log{"write 1", "pads", "lock", "run D", "unlock", "present"}));
}

TEST(FrameLoopFixed, AFailedLockRunsUndrawnAndStillRestartsTheSkipCount) {
    FakePorts ports;
    ports.lockFails = true;
    ports.cursorScript = {5};
    FrameLoop loop;
    for (int step = 0; step < 4; ++step) loop.runFrameFixedSkip(ports, 1);
    EXPECT_EQ(ports.frames(), "UUUU");
    EXPECT_EQ(ports.count("lock"), 2);
    EXPECT_EQ(ports.count("unlock"), 0);
    EXPECT_EQ(loop.skipCounter, 0);
}

}  // namespace
}  // namespace vimo
