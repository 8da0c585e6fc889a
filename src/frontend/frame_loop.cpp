#include "frontend/frame_loop.h"

#include "host/sound_format.h"

namespace vimo {

namespace {

constexpr uint32_t kSegmentMask = kSoundSegmentCount - 1;

uint32_t nextSegment(uint32_t segment) {
    return (segment + 1) & kSegmentMask;
}

uint32_t previousSegment(uint32_t segment) {
    return (segment + kSoundSegmentCount - 1) & kSegmentMask;
}

}  // namespace

// Without a playing sound buffer (no device, or one that stopped moving) the
// cursor comes from the performance counter, advancing one segment per
// segment's worth of samples at the sound rate: about 60 a second.
uint32_t FrameLoop::cursor(FramePorts& ports) {
    const bool useClock = soundGivenUp || !ports.soundPlaying();
    if (!useClock) {
        clockActive = false;
        return ports.playSegment() & kSegmentMask;
    }
    if (!clockActive) {
        clockActive = true;
        clockStart = ports.clockTicks();
        clockStartSegment = soundWriteIndex;
    }
    return clockSegment(ports);
}

uint32_t FrameLoop::clockSegment(FramePorts& ports) const {
    const uint64_t frequency = ports.clockFrequency();
    if (frequency == 0) return clockStartSegment;
    const uint64_t elapsed = ports.clockTicks() - clockStart;
    // rate / perSegment segments a second; 60 when there is no segment size.
    const uint64_t perSegment = ports.samplesPerSegment();
    const uint64_t rate = perSegment == 0 ? 60 : ports.samplesPerSecond();
    // Whole seconds and the remainder separately, so the products stay small.
    const uint64_t samples = elapsed / frequency * rate + elapsed % frequency * rate / frequency;
    const uint64_t segments = samples / (perSegment == 0 ? 1 : perSegment);
    return static_cast<uint32_t>((clockStartSegment + segments) & kSegmentMask);
}

// Waits until the cursor leaves the write segment: by sleeping for the
// clock, by asking again for a sound buffer's cursor. Neither wait lasts
// longer than kStallMilliseconds; then the step hands the thread back to the
// message loop, and after repeated stalls the sound buffer is no longer
// trusted as the clock.
bool FrameLoop::waitForCursor(FramePorts& ports) {
    const uint64_t frequency = ports.clockFrequency();
    const uint64_t start = ports.clockTicks();
    while (cursor(ports) == soundWriteIndex) {
        const uint64_t waited = ports.clockTicks() - start;
        if (frequency == 0 || waited * 1000 >= frequency * kStallMilliseconds) {
            if (!clockActive && ++stalls >= kStallsBeforeClock) soundGivenUp = true;
            return false;
        }
        if (clockActive) ports.sleepOneMillisecond();
    }
    if (!clockActive) stalls = 0;
    return true;
}

// A frame drawn into a locked surface; when the lock failed the frame runs
// undrawn and nothing is unlocked or presented.
void FrameLoop::runLockedFrame(FramePorts& ports, const FrameBufferDesc& frame) {
    if (frame.pixels == nullptr) {
        ports.runFrame(nullptr);
        return;
    }
    ports.runFrame(&frame);
    ports.unlock();
    ports.present();
}

void FrameLoop::runFramesAuto(FramePorts& ports) {
    if (!waitForCursor(ports)) return;
    const uint32_t target = cursor(ports);
    while (soundWriteIndex != target) {
        ports.writeSegment(soundWriteIndex);
        soundWriteIndex = nextSegment(soundWriteIndex);
        if (soundWriteIndex == target) {
            const FrameBufferDesc frame = ports.lock();
            ports.readPads();
            runLockedFrame(ports, frame);
        } else {
            ports.readPads();
            ports.runFrame(nullptr);
        }
        ++framesSinceStatus;
    }
    if (framesSinceStatus > kStatusKeptFrames) {
        ports.blankStatus();
        framesSinceStatus = 0;
    }
}

void FrameLoop::runFrameFixedSkip(FramePorts& ports, int32_t frameSkip) {
    soundWriteIndex = nextSegment(soundWriteIndex);
    if (soundWriteIndex == cursor(ports)) soundWriteIndex = previousSegment(soundWriteIndex);
    ports.writeSegment(soundWriteIndex);
    ports.readPads();
    const int32_t count = skipCounter++;
    if (count < frameSkip) {
        ports.runFrame(nullptr);
        return;
    }
    runLockedFrame(ports, ports.lock());
    skipCounter = 0;
}

}  // namespace vimo
