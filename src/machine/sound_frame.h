// The frame's sound description: two 16-bit sample buffers that the machine
// mixes into, one scan line's share at a time.
#pragma once

#include <cstdint>

namespace vimo {

struct SoundFrameDesc {
    int16_t* left = nullptr;
    int16_t* right = nullptr;
    uint32_t samplesPerFrame = 0;   // sample rate / 60, 735 at 44100 Hz
};

}  // namespace vimo
