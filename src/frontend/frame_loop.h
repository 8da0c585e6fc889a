// The idle step of the message loop: runs emulated frames, streams each
// frame's sound into the ring, polls the pads and presents the frame it draws.
// Auto frame skip follows the ring's play cursor, one frame per segment
// played, drawing the last; a fixed skip n runs one frame per step and draws
// one in n + 1.
//
// The devices and the machine are reached through FramePorts, so the pacing
// decisions are the same in the program and in the tests.
#pragma once

#include <cstdint>

#include "vdp/frame_buffer.h"

namespace vimo {

class FramePorts {
public:
    virtual ~FramePorts() = default;

    // True while a sound buffer plays, so its play cursor can pace Auto mode.
    virtual bool soundPlaying() = 0;
    // The segment under the sound buffer's play cursor.
    virtual uint32_t playSegment() = 0;
    // The samples of the frame run last into ring segment `segment`.
    virtual void writeSegment(uint32_t segment) = 0;
    virtual void readPads() = 0;
    // Locks the picture surface; a failed lock gives null pixels.
    virtual FrameBufferDesc lock() = 0;
    virtual void unlock() = 0;
    virtual void present() = 0;
    // One emulated frame; null when it is not drawn.
    virtual void runFrame(const FrameBufferDesc* frame) = 0;
    // Replaces the status text with a single blank.
    virtual void blankStatus() = 0;

    // The performance counter and its ticks per second.
    virtual uint64_t clockTicks() = 0;
    virtual uint64_t clockFrequency() = 0;
    virtual void sleepOneMillisecond() = 0;
    // Samples per second and per segment: the virtual play cursor's pace.
    virtual uint32_t samplesPerSecond() = 0;
    virtual uint32_t samplesPerSegment() = 0;
};

// Auto frames that keep a status text before it is blanked.
constexpr int32_t kStatusKeptFrames = 180;
// How long Auto mode waits for a play cursor that does not move before it
// hands the thread back to the message loop.
constexpr uint32_t kStallMilliseconds = 100;
// After this many stalls in a row the play cursor is given up for the clock.
constexpr int32_t kStallsBeforeClock = 3;

class FrameLoop {
public:
    uint32_t soundWriteIndex = 0;   // the ring segment written next
    int32_t skipCounter = 0;        // fixed mode: frames undrawn since the last drawn one
    int32_t framesSinceStatus = 0;  // Auto mode: frames since the status text was set

    // One Auto step: waits (bounded) for the cursor to leave the write
    // segment, then runs one frame per segment it has played.
    void runFramesAuto(FramePorts& ports);
    // One fixed-skip step, never waiting; also the frame-step command.
    void runFrameFixedSkip(FramePorts& ports, int32_t frameSkip);

    // True while the clock, not a sound buffer, drives the play cursor.
    bool pacedByClock() const { return clockActive; }

private:
    uint32_t cursor(FramePorts& ports);
    uint32_t clockSegment(FramePorts& ports) const;
    bool waitForCursor(FramePorts& ports);
    void runLockedFrame(FramePorts& ports, const FrameBufferDesc& frame);

    bool clockActive = false;
    bool soundGivenUp = false;      // the sound buffer stalled too often
    int32_t stalls = 0;
    uint64_t clockStart = 0;
    uint32_t clockStartSegment = 0;
};

}  // namespace vimo
