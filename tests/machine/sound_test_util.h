// Helpers of the sound glue's tests: setting the output rate as the front end
// does, collecting the frames' samples, driving the YM2612 and the PSG
// through the machine's ports, and the chips' documented formulas.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/machine.h"
#include "signal_analysis.h"

namespace vimo::test {

// The rates the system offers; every sound test runs at each of them.
inline constexpr uint32_t kOutputRates[] = {8000, 11025, 22050, 44100};

// The frame as the sound sees it: 262 lines at 60 frames a second.
inline constexpr double kLineMicroseconds = 63.61323;
inline constexpr double kFrameMicroseconds = 262 * kLineMicroseconds;

// The YM2612's timer steps: timer A one FM sample (144 clocks of the chip's
// 7670442 Hz, 18.7734 µs), timer B sixteen samples (300.375 µs).
inline constexpr double kTimerAStep = 144 * 1e6 / 7670442.0;
inline constexpr double kTimerBStep = 16 * kTimerAStep;

// PSG tone of period register n: clock / (32 × n).
double psgToneFrequency(uint32_t n);
// YM2612 operator of F-number f, block b and MUL m:
// f × 2^(b − 1) × (clock / 144) / 2^20, times MUL (one half for MUL 0).
double fmToneFrequency(uint32_t fnumber, uint32_t block, uint32_t mul = 1);

// Changes the rate the way a menu command does: the FM chip shut down, then
// every chip started again at the new rate. Returns initSoundChips' result.
int32_t changeSampleRate(Machine& machine, uint32_t rate);

// The stereo samples of whole frames.
struct FrameSound {
    uint32_t samplesPerFrame = 0;
    std::vector<int16_t> left;
    std::vector<int16_t> right;

    uint32_t frames() const { return samplesPerFrame != 0 ? static_cast<uint32_t>(left.size() / samplesPerFrame) : 0; }
    // Frames [first, first + count) of one side as a signal.
    Signal leftFrames(uint32_t first, uint32_t count) const;
    Signal rightFrames(uint32_t first, uint32_t count) const;
};

// Runs `frames` frames with a sound description of sampleRate / 60 samples
// and appends their samples.
void runFramesWithSound(Machine& machine, uint32_t frames, FrameSound& sound);

// The sound half of `frames` frames without the CPUs: on every line the
// timers advance and the line's share of the samples is mixed, exactly as the
// frame partitions them. For tests that drive the ports themselves.
void mixFrames(Machine& machine, uint32_t frames, FrameSound& sound);

// A register write to part 0 or 1 through the 68000's view of the YM2612
// (0xA04000-0xA04003).
void writeFmRegister(Machine& machine, uint32_t part, uint32_t reg, uint32_t value);
// A register of channel 0-5 (channels 3-5 in part 1).
void writeFmChannel(Machine& machine, int32_t channel, uint32_t reg, uint32_t value);
// A sine on a channel: algorithm 7, op4 alone at full level (MUL 1), attack
// at once, fastest release, both sides; then its F-number and block.
void loadSineVoice(Machine& machine, int32_t channel, uint32_t fnumber, uint32_t block);
// Register 0x28 for channel 0-5; opMask bit 0 op1 ... bit 3 op4.
void keyFm(Machine& machine, int32_t channel, uint32_t opMask);
// A byte to the 68000's PSG port.
void writePsg(Machine& machine, uint8_t byte);
void setPsgTone(Machine& machine, uint32_t channel, uint32_t period, uint32_t attenuation);

}  // namespace vimo::test
