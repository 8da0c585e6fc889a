// The frame step of the message loop bound to the real devices: the sound
// ring, DirectDraw, the pads and the machine.
#pragma once

#include <cstdint>

#include "frontend/frame_loop.h"

namespace vimo {

extern FrameLoop frameLoop;
extern int16_t* leftSamples;
extern int16_t* rightSamples;

// The two sample buffers, always room for the largest frame (735 samples),
// whatever rate the sound started at or the configuration file asks for.
int32_t allocateSampleBuffers();
int32_t runFramesAuto();
int32_t runFrameFixedSkip();

}  // namespace vimo
