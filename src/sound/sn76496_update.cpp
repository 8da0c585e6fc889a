// The PSG's sample generation: for every output sample, the time each channel
// spends high, weighted by its volume.
#include <algorithm>

#include "sound/sn76496.h"
#include "sound/stereo_buffers.h"

namespace vimo {

namespace {

// Spans are rendered in pieces of at most this many samples, so that the
// silent channels' skipped time (span × 65536, twice over) fits in 31 bits.
constexpr int32_t kMaxSpan = 8192;

constexpr uint32_t kSampleCap = 0x7FFF0000;

}  // namespace

void Sn76496::update(int16_t* buffer, int32_t n) {
    if (buffer == nullptr || n <= 0 || step == 0) return;
    // Periods set while no rate was known cannot advance time.
    for (int32_t p : period)
        if (p <= 0) return;
    while (n > 0) {
        const int32_t span = std::min(n, kMaxSpan);
        renderSpan(buffer, span);
        buffer += span;
        n -= span;
    }
}

void Sn76496::renderSpan(int16_t* buffer, int32_t n) {
    // A silent channel skips the whole span at once instead of flipping.
    const int32_t spanTime = n * kPsgSampleTime;
    for (int32_t c = 0; c < 4; ++c)
        if (volume[c] == 0 && count[c] <= spanTime) count[c] += spanTime;

    for (int32_t i = 0; i < n; ++i) {
        uint32_t sample = 0;
        for (int32_t c = 0; c < 3; ++c)
            sample += static_cast<uint32_t>(volume[c]) * static_cast<uint32_t>(toneHighTime(c));
        sample += static_cast<uint32_t>(volume[3]) * static_cast<uint32_t>(noiseHighTime());
        if (sample > kSampleCap) sample = kSampleCap;
        buffer[i] = addSaturated(buffer[i], static_cast<int32_t>(sample >> 16));
    }
}

// The time tone `c` is high within the next sample; the output flips every
// period.
int32_t Sn76496::toneHighTime(int32_t c) {
    if (count[c] > kPsgSampleTime) {   // no flip in this sample
        count[c] -= kPsgSampleTime;
        return output[c] != 0 ? kPsgSampleTime : 0;
    }
    int32_t sum = 0;
    if (output[c] != 0) sum += count[c];
    count[c] -= kPsgSampleTime;
    while (count[c] <= 0) {
        count[c] += period[c];
        if (count[c] > 0) {
            output[c] ^= 1;
            if (output[c] != 0) sum += period[c];
            break;
        }
        // Two flips inside the sample: one whole period of it was high.
        count[c] += period[c];
        sum += period[c];
    }
    if (output[c] != 0) sum -= count[c];
    return sum;
}

// The time the noise output is high within the next sample; the shift
// register shifts once every period, its bit 0 being the output.
int32_t Sn76496::noiseHighTime() {
    if (count[3] > kPsgSampleTime) {   // no shift in this sample
        count[3] -= kPsgSampleTime;
        return output[3] != 0 ? kPsgSampleTime : 0;
    }
    int32_t sum = 0;
    int32_t left = kPsgSampleTime;
    do {
        const int32_t next = std::min(count[3], left);
        if (output[3] != 0) sum += count[3];
        count[3] -= next;
        if (count[3] <= 0) {
            if ((noiseShiftRegister & 1) != 0) noiseShiftRegister ^= noiseFeedback;
            noiseShiftRegister >>= 1;
            output[3] = noiseShiftRegister & 1;
            count[3] += period[3];
            if (output[3] != 0) sum += period[3];
        }
        if (output[3] != 0) sum -= count[3];
        left -= next;
    } while (left > 0);
    return sum;
}

}  // namespace vimo
