#include "frontend/frame_glue.h"

#include <windows.h>

#include <new>

#include "frontend/main_window.h"
#include "frontend/reports.h"
#include "host/input_devices.h"
#include "host/sound_output.h"

namespace vimo {

FrameLoop frameLoop;
int16_t* leftSamples = nullptr;
int16_t* rightSamples = nullptr;

namespace {

uint32_t sampleCapacity = 0;

SoundFrameDesc soundFrame() {
    const uint32_t count = samplesPerFrame < sampleCapacity ? samplesPerFrame : sampleCapacity;
    return SoundFrameDesc{leftSamples, rightSamples, count};
}

class DeviceFramePorts final : public FramePorts {
public:
    bool soundPlaying() override { return vimo::soundPlaying(); }
    uint32_t playSegment() override { return vimo::playSegment(); }

    void writeSegment(uint32_t segment) override {
        const SoundFrameDesc frame = soundFrame();
        writeSoundSegment(&frame, segment);
    }

    void readPads() override {
        if (frontMachine != nullptr) vimo::readPads(frontMachine->pads, false);
    }

    FrameBufferDesc lock() override {
        if (videoOutput == nullptr) return FrameBufferDesc{};
        return videoOutput->lock(nullptr);
    }

    void unlock() override {
        if (videoOutput != nullptr) videoOutput->unlock();
    }

    void present() override {
        if (videoOutput != nullptr) videoOutput->present();
    }

    void runFrame(const FrameBufferDesc* frame) override {
        if (frontMachine == nullptr) return;
        const SoundFrameDesc sound = soundFrame();
        frontMachine->runFrame(frame, &sound);
    }

    void blankStatus() override { showStatusText(" "); }

    uint64_t clockTicks() override {
        LARGE_INTEGER ticks;
        QueryPerformanceCounter(&ticks);
        return static_cast<uint64_t>(ticks.QuadPart);
    }

    uint64_t clockFrequency() override {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<uint64_t>(frequency.QuadPart);
    }

    void sleepOneMillisecond() override { Sleep(1); }

    // Without a buffer the clock keeps the pace the buffer would have at the
    // chosen rate.
    uint32_t samplesPerSecond() override { return soundFormatFor(soundRate, soundBits, soundStereo).playRate; }
    uint32_t samplesPerSegment() override {
        return soundFormatFor(soundRate, soundBits, soundStereo).samplesPerFrame;
    }
};

DeviceFramePorts devicePorts;

}  // namespace

int32_t allocateSampleBuffers() {
    leftSamples = new (std::nothrow) int16_t[kMaxSamplesPerFrame]();
    rightSamples = new (std::nothrow) int16_t[kMaxSamplesPerFrame]();
    sampleCapacity = leftSamples != nullptr && rightSamples != nullptr ? kMaxSamplesPerFrame : 0;
    return 0;
}

int32_t runFramesAuto() {
    frameLoop.runFramesAuto(devicePorts);
    return 0;
}

int32_t runFrameFixedSkip() {
    frameLoop.runFrameFixedSkip(devicePorts, frameSkip);
    return 0;
}

}  // namespace vimo
