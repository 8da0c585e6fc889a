// The front end's process-wide objects and the main window: its class, the
// window with its status bar and video output, the window procedure and the
// shut-down sequence.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/video_output.h"
#include "machine/machine.h"

namespace vimo {

constexpr const char* kMainClassName = "VIMO";
constexpr const char* kNoRomTitle = "Vimo v0.09 - No rom loaded";

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND statusBar;              // null while there is none
extern VideoOutput* videoOutput;    // null when it could not be made
extern Machine* frontMachine;       // null until a machine was built whole
extern uint32_t fullscreen;
extern uint32_t emulationRunning;
extern int32_t frameSkip;           // -1 Auto, 1-5 fixed
extern HBRUSH lampBrushes[5];       // in LampBrush order
// Set by the message loop while it dispatches the release of Alt that ends a
// chord an accelerator took. The default procedure would take that release
// for Alt pressed alone and put the menu bar into keyboard mode, where no
// frame runs until Escape; the window ignores the menu key it asks for.
extern bool altReleaseEndsChord;

ATOM registerMainClass(HINSTANCE instance);
// Creates the main window (and in windowed mode its status bar) with a new
// video output. 0, or 1 when the window could not be created.
int32_t createMainWindow();
int32_t initDevices(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int32_t shutdownFrontEnd();
int32_t releaseVideo();

}  // namespace vimo
