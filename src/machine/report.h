// The user-facing reports of the core: the error box, the ROM information box,
// the status-bar text and the two Mega-CD lamps.
//
// The core formats every message itself (bounded, truncated to fit) and hands
// the finished text to whatever the host installed: the Windows program shows
// message boxes and paints its status bar, the headless runner prints to
// stderr, the tests record the calls. With nothing installed the reports go
// nowhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vimo {

// Sizes of the formatting buffers, terminating zero included. A longer text is
// cut at the last character that fits.
constexpr size_t kMessageBufferSize = 2048;   // error box and ROM information box
constexpr size_t kStatusTextSize = 2304;      // status-bar part 1

// The host's side of the seam. Any entry may be null: that report is dropped.
struct ReportSink {
    void (*errorBox)(const char* text) = nullptr;    // "Vimo error...", stop icon
    void (*romInfoBox)(const char* text) = nullptr;  // "Vimo rom info...", no icon
    void (*statusText)(const char* text) = nullptr;  // status-bar part 1
    void (*statusLamps)(uint8_t bits) = nullptr;     // bit 0 red lamp, bit 1 green lamp
};

// Installs the host's functions (copied); null installs the empty sink.
void installReportSink(const ReportSink* sink);
// The sink in force.
const ReportSink& reportSink();

// 1 while error boxes are shown; the menu toggles it. While 0, showErrorBox
// neither formats nor reports anything.
extern uint32_t errorBoxesEnabled;

[[gnu::format(printf, 1, 2)]] void showErrorBox(const char* format, ...);
[[gnu::format(printf, 1, 2)]] void showRomInfoBox(const char* format, ...);
[[gnu::format(printf, 1, 2)]] void setStatusText(const char* format, ...);
void setStatusLamps(uint8_t bits);

}  // namespace vimo
