// The SN76496 programmable sound generator: three square-wave tone channels
// and one noise channel, each with a 4-bit attenuation, written one byte at a
// time through a single port. The machine holds one by value.
//
// Time inside the generator is counted in 1/65536 of an output sample; each
// channel integrates how long its output is high within every sample, so tones
// above the output rate average out instead of aliasing.
//
// This header is the map of the chip: fields first, then the functions grouped
// by the file that defines them.
#pragma once

#include <cstdint>

namespace vimo {

constexpr uint32_t kPsgClock = 3579540;            // the console's PSG clock in Hz
constexpr uint32_t kNoiseShiftPreset = 0x0F35;     // the shift register after a noise-control write
constexpr uint32_t kWhiteNoiseFeedback = 0x12000;
constexpr uint32_t kPeriodicNoiseFeedback = 0x8000;
constexpr int32_t kPsgSampleTime = 65536;          // one output sample in the generator's time unit

class Sn76496 {
public:
    // ==== Fields ==============================================================

    uint32_t rate = 0;              // output sample rate in Hz
    uint32_t step = 0;              // trunc(rate × 1048576 / clock): 16 clock periods
    int32_t volumeTable[16] = {};   // output level by attenuation code
    uint32_t registers[8] = {};     // 0/2/4 tone periods (10 bits), 1/3/5/7 attenuations, 6 noise control
    uint32_t lastRegister = 0;      // named by the last latch byte
    int32_t volume[4] = {};         // current level of tones 1-3 and the noise
    uint32_t noiseShiftRegister = 0;
    uint32_t noiseFeedback = kPeriodicNoiseFeedback;  // until the first noise-control write
    int32_t period[4] = {};         // half a wave (a tone) or one shift (the noise)
    int32_t count[4] = {};          // time left until the next flip or shift
    uint32_t output[4] = {};        // current output bit

    // ==== sn76496.cpp: set-up and register writes =============================

    // The rate, the clock and a reset. The sample width (16 or 8) changes
    // nothing: samples are always rendered as 16-bit values. Returns 0.
    uint32_t init(uint32_t clock, uint32_t rate, uint32_t bits);
    // Hard reset: gain 0, every channel silent with period registers 0 and
    // attenuations 15, the noise shift register preset. Returns 0.
    uint32_t reset();
    void setClock(uint32_t clock);
    // The volume table for a gain (the console always uses 0): 2 dB per code,
    // code 15 off.
    void setGain(int32_t gain);
    // A byte from the 68000's PSG port or the Z80's 0x7F11.
    void write(uint8_t data);

    // ==== sn76496_update.cpp: sample generation ================================

    // Adds n samples into the buffer, saturating at the 16-bit range. The
    // PSG's contribution is never negative. Nothing happens before a rate and
    // clock are set.
    void update(int16_t* buffer, int32_t n);

private:
    // sn76496.cpp
    void setTonePeriod(uint32_t reg);
    void setNoiseControl();

    // sn76496_update.cpp
    void renderSpan(int16_t* buffer, int32_t n);
    int32_t toneHighTime(int32_t channel);
    int32_t noiseHighTime();
};

}  // namespace vimo
