// The keyboard and up to 32 joysticks through DirectInput (version 5
// interfaces), read once per frame step into the snapshot from which the two
// pad words are built. Without a DirectInput keyboard the keys are read with
// GetAsyncKeyState as virtual keys.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/input_map.h"

namespace vimo {

extern InputSnapshot inputSnapshot;
extern KeyMap keyMap;

// 1 when DirectInput and the keyboard are set up, 0 otherwise.
int32_t initInput(HINSTANCE instance, HWND window);
void releaseInput();
void pollInput();
// Polls the devices and rebuilds both pad words. Returns 0.
int32_t readPads(uint32_t pads[2], bool joysticksOnly);

}  // namespace vimo
