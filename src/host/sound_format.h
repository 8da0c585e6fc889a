// The arithmetic of the sound ring that needs no DirectSound call: the buffer
// format and sizes for the user's settings, the conversion of a frame's
// samples into a segment, and the segment under a play position.
#pragma once

#include <cstdint>

namespace vimo {

constexpr uint32_t kSoundSegmentCount = 8;   // a power of two: indices wrap by masking
constexpr uint32_t kMaxSoundRate = 44100;
// The sample buffers hold one frame at the highest rate; no setting may ask
// for more.
constexpr uint32_t kMaxSamplesPerFrame = kMaxSoundRate / 60;

// The rates the menu offers and the configuration file accepts.
bool isSupportedSoundRate(int64_t rate);
// Bits per sample as kept: 8 stays 8, anything else is 16.
uint32_t normalisedSoundBits(int64_t bits);

struct SoundFormat {
    uint32_t channels;          // 1 or 2
    uint32_t playRate;          // the buffer's rate: 8000, 11025, 22050 or 44100
    uint32_t bitsPerSample;     // 8 or 16
    uint32_t blockAlign;        // bytes of one sample of every channel
    uint32_t bytesPerSecond;
    uint32_t samplesPerFrame;   // rate / 60, never above kMaxSamplesPerFrame
    uint32_t segmentBytes;      // one frame of samples
    uint32_t bufferBytes;       // the whole ring
};

SoundFormat soundFormatFor(uint32_t soundRate, uint32_t soundBits, uint32_t stereo);

// Converts `count` samples of the two 16-bit channels into the segment's
// bytes: 16-bit stereo L,R; 16-bit mono the halves' sum; 8-bit unsigned
// stereo the high bytes; 8-bit mono the sum of the quarters. Arithmetic
// shifts throughout.
void convertSegment(const int16_t* left, const int16_t* right, uint32_t count,
                    const SoundFormat& format, uint8_t* out);

// The byte that silences the ring: 0x80 for 8-bit samples, 0 for 16-bit.
uint8_t silenceByte(const SoundFormat& format);

// The segment holding a play position in bytes; a position at or past the end
// of the ring is taken as the last segment.
uint32_t segmentOf(uint32_t playPosition, const SoundFormat& format);

}  // namespace vimo
