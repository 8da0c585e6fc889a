// The PCM chip's sample generation: each playing channel steps through wave
// RAM and adds its sample, weighted by its left and right volumes.
#include "sound/pcm_chip.h"

namespace vimo {

namespace {

constexpr int32_t kOutputShift = 5;   // one channel at full scale gives 127 × 3825 >> 5 = 15180

// Sign-magnitude: bit 7 is the sign, bits 0-6 the magnitude (0x80 is zero).
int32_t decodeSample(uint8_t byte) {
    const int32_t magnitude = byte & 127;
    return (byte & 0x80) != 0 ? -magnitude : magnitude;
}

}  // namespace

void PcmChip::mix(StereoBuffers buffers, int32_t n) {
    if (soundOn == 0 || !waveRam || buffers[0] == nullptr || buffers[1] == nullptr || n <= 0) return;
    for (PcmChannel& channel : channels)
        if (channel.off == 0) mixChannel(channel, buffers, n);
}

void PcmChip::mixChannel(PcmChannel& channel, StereoBuffers buffers, int32_t n) {
    int16_t* left = buffers[0];
    int16_t* right = buffers[1];
    for (int32_t i = 0; i < n; ++i) {
        uint32_t index = (channel.address >> kPcmFractionBits) & 0xFFFF;
        if (waveRam[index] == kPcmLoopMarker) {
            index = channel.loopStart & 0xFFFF;
            channel.address = index << kPcmFractionBits;
        }
        const int32_t sample = decodeSample(waveRam[index]);
        channel.address = (channel.address + channel.step) & kPcmAddressMask;

        channel.lastSample = sample;
        channel.lastLeft = sample * channel.leftVolume;
        channel.lastRight = sample * channel.rightVolume;
        left[i] = addSaturated(left[i], channel.lastLeft >> kOutputShift);
        right[i] = addSaturated(right[i], channel.lastRight >> kOutputShift);
    }
}

}  // namespace vimo
