// The two 16-bit sample buffers a chip adds its output into: the first is the
// left channel, the second the right one, both starting at the first sample
// to render.
#pragma once

#include <array>
#include <cstdint>

namespace vimo {

using StereoBuffers = std::array<int16_t*, 2>;

// Adds a value to a sample, saturating at the 16-bit range.
inline int16_t addSaturated(int16_t sample, int32_t value) {
    const int32_t sum = int32_t{sample} + value;
    if (sum > 32767) return 32767;
    if (sum < -32768) return -32768;
    return static_cast<int16_t>(sum);
}

}  // namespace vimo
