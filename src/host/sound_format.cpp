#include "host/sound_format.h"

#include <cstring>

namespace vimo {

namespace {

void put16(uint8_t* out, int32_t value) {
    const int16_t sample = static_cast<int16_t>(value);
    std::memcpy(out, &sample, sizeof sample);
}

uint8_t unsigned8(int32_t value) {
    return static_cast<uint8_t>((value + 128) & 0xFF);
}

}  // namespace

bool isSupportedSoundRate(int64_t rate) {
    return rate == 8000 || rate == 11025 || rate == 22050 || rate == 44100;
}

uint32_t normalisedSoundBits(int64_t bits) {
    return bits == 8 ? 8 : 16;
}

SoundFormat soundFormatFor(uint32_t soundRate, uint32_t soundBits, uint32_t stereo) {
    SoundFormat format{};
    format.channels = stereo != 0 ? 2 : 1;
    format.playRate = isSupportedSoundRate(soundRate) ? soundRate : kMaxSoundRate;
    format.bitsPerSample = normalisedSoundBits(soundBits);
    format.blockAlign = format.bitsPerSample / 8 * format.channels;
    format.bytesPerSecond = format.blockAlign * format.playRate;
    const uint32_t perFrame = soundRate / 60;
    format.samplesPerFrame = perFrame < kMaxSamplesPerFrame ? perFrame : kMaxSamplesPerFrame;
    format.segmentBytes = format.blockAlign * format.samplesPerFrame;
    format.bufferBytes = format.segmentBytes * kSoundSegmentCount;
    return format;
}

void convertSegment(const int16_t* left, const int16_t* right, uint32_t count,
                    const SoundFormat& format, uint8_t* out) {
    const bool stereo = format.channels == 2;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t l = left[i];
        const int32_t r = right[i];
        if (format.bitsPerSample == 16 && stereo) {
            put16(out + 4 * i, l);
            put16(out + 4 * i + 2, r);
        } else if (format.bitsPerSample == 16) {
            put16(out + 2 * i, (l >> 1) + (r >> 1));
        } else if (stereo) {
            out[2 * i] = unsigned8(l >> 8);
            out[2 * i + 1] = unsigned8(r >> 8);
        } else {
            out[i] = unsigned8((l >> 9) + (r >> 9));
        }
    }
}

uint8_t silenceByte(const SoundFormat& format) {
    return format.bitsPerSample == 16 ? 0 : 0x80;
}

uint32_t segmentOf(uint32_t playPosition, const SoundFormat& format) {
    if (format.segmentBytes == 0) return 0;
    const uint32_t segment = playPosition / format.segmentBytes;
    return segment < kSoundSegmentCount ? segment : kSoundSegmentCount - 1;
}

}  // namespace vimo
