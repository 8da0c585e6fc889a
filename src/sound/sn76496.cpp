// The PSG's set-up and its register writes.
#include "sound/sn76496.h"

#include <cmath>

namespace vimo {

namespace {

constexpr int32_t kFullLevel = 10922;                   // a quarter of the 16-bit range, for four channels
constexpr double kGainStep = 1.023292992;               // 0.2 dB per gain unit
constexpr double kAttenuationStep = 0.7943282345944098; // 2 dB per attenuation code

// The largest step, reached only when the clock is not faster than the output
// rate; the longest noise period (2 × 1023 × step) then still fits in 31 bits.
constexpr uint64_t kMaxStep = uint64_t{1} << 20;

}  // namespace

uint32_t Sn76496::init(uint32_t clock, uint32_t sampleRate, uint32_t /*bits*/) {
    rate = sampleRate;
    setClock(clock);
    reset();
    return 0;
}

uint32_t Sn76496::reset() {
    setGain(0);
    for (int32_t& level : volume) level = 0;
    lastRegister = 0;
    for (uint32_t r = 0; r < 8; r += 2) {
        registers[r] = 0;
        registers[r + 1] = 15;
    }
    for (int32_t c = 0; c < 4; ++c) {
        output[c] = 0;
        period[c] = static_cast<int32_t>(step);
        count[c] = static_cast<int32_t>(step);
    }
    noiseShiftRegister = kNoiseShiftPreset;
    output[3] = 1;
    return 0;
}

void Sn76496::setClock(uint32_t clock) {
    // The product needs more than 32 bits at the usual rates.
    uint64_t wide = clock != 0 ? uint64_t{rate} * 1048576 / clock : 0;
    if (wide > kMaxStep) wide = kMaxStep;
    step = static_cast<uint32_t>(wide);
}

void Sn76496::setGain(int32_t gain) {
    double out = kFullLevel * std::pow(kGainStep, gain & 255);
    for (int32_t code = 0; code < 15; ++code) {
        volumeTable[code] = out > kFullLevel ? kFullLevel : static_cast<int32_t>(out);
        out *= kAttenuationStep;
    }
    volumeTable[15] = 0;
}

void Sn76496::write(uint8_t data) {
    if ((data & 0x80) != 0) {
        const uint32_t r = (data >> 4) & 7;
        lastRegister = r;
        registers[r] = (registers[r] & 0x3F0) | (data & 15);
        if (r == 6)
            setNoiseControl();
        else if ((r & 1) != 0)
            volume[r / 2] = volumeTable[data & 15];
        else
            setTonePeriod(r);
        return;
    }
    // A data byte carries the high six bits of a tone period; after any other
    // latch it is ignored.
    const uint32_t r = lastRegister;
    if (r != 0 && r != 2 && r != 4) return;
    registers[r] = ((data & 63u) << 4) | (registers[r] & 15);
    setTonePeriod(r);
}

void Sn76496::setTonePeriod(uint32_t reg) {
    const uint32_t value = registers[reg] * step;
    period[reg / 2] = static_cast<int32_t>(value != 0 ? value : step);   // period 0 acts as 1
    // In noise mode 3 the noise shifts at half tone 3's frequency.
    if (reg == 4 && (registers[6] & 3) == 3) period[3] = 2 * period[2];
}

void Sn76496::setNoiseControl() {
    const uint32_t control = registers[6];
    noiseFeedback = (control & 4) != 0 ? kWhiteNoiseFeedback : kPeriodicNoiseFeedback;
    period[3] = (control & 3) == 3 ? 2 * period[2] : static_cast<int32_t>(step << (5 + (control & 3)));
    noiseShiftRegister = kNoiseShiftPreset;
    output[3] = 1;
}

}  // namespace vimo
