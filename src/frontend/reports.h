// The Windows side of the core's reports: status-bar text, the two lamps
// painted in the status bar's owner-drawn part, and the message boxes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "machine/report.h"

namespace vimo {

extern char statusText[kStatusTextSize];
extern uint8_t lampBits;

// Installs the functions below into the core's report seam.
void installReports();
// Puts `text` into status-bar part 1 without counting it as a new status
// (the Auto frame step's blanking).
void showStatusText(const char* text);
// Sends the current status text to the status bar again (every WM_PAINT).
void sendStatusText();
// Paints both lamps into the status bar's device context.
void paintLamps(HDC context);
// "Vimo message...", no icon, always shown.
[[gnu::format(printf, 1, 2)]] void showMessageBox(const char* format, ...);

}  // namespace vimo
