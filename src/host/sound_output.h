// The emulated sound through one looping DirectSound 8 buffer, used as a ring
// of kSoundSegmentCount segments of one frame each. Every entry point is safe
// without a device or a buffer: sound is then simply off.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>

#include "host/sound_format.h"
#include "machine/sound_frame.h"

namespace vimo {

extern uint32_t soundOn;       // 1 while the buffer was made and plays
extern uint32_t soundRate;     // 8000, 11025, 22050 or 44100
extern uint32_t soundStereo;
extern uint32_t soundBits;     // 8 or 16
extern uint32_t samplesPerFrame;
extern IDirectSound8* soundDevice;
extern IDirectSoundBuffer* soundBufferBase;
extern IDirectSoundBuffer8* soundBuffer;

// 0, or 1 when sound could not start (soundOn is then 0).
int32_t initSound(HWND window);
int32_t recreateSoundBuffer();
void releaseSound();
int32_t silenceSoundBuffer();
// The frame's samples into ring segment `segment`. 0, or 1 when nothing was
// written.
int32_t writeSoundSegment(const SoundFrameDesc* frame, uint32_t segment);
// The segment under the play cursor; 0 without a buffer.
uint32_t playSegment();
// True while a buffer plays whose cursor can pace the frames.
bool soundPlaying();

}  // namespace vimo
