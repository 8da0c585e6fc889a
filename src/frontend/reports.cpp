#include "frontend/reports.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>

#include "frontend/frame_glue.h"
#include "frontend/main_window.h"
#include "frontend/status_lamps.h"

namespace vimo {

char statusText[kStatusTextSize] = {};
uint8_t lampBits = 0;

namespace {

constexpr WPARAM kStatusTextPart = 1;

void copyStatusText(const char* text) {
    std::snprintf(statusText, sizeof statusText, "%s", text);
}

void statusTextReport(const char* text) {
    if (statusBar == nullptr) return;
    showStatusText(text);
    frameLoop.framesSinceStatus = 0;
}

// Without a status bar there is nothing to repaint: invalidating a null
// window would repaint the whole desktop.
void statusLampsReport(uint8_t bits) {
    lampBits = bits;
    if (statusBar == nullptr) return;
    const RECT area{kLampArea.left, kLampArea.top, kLampArea.right, kLampArea.bottom};
    InvalidateRect(statusBar, &area, FALSE);
}

void errorBoxReport(const char* text) {
    MessageBoxA(mainWindow, text, "Vimo error...", MB_OK | MB_ICONHAND);
}

void romInfoBoxReport(const char* text) {
    MessageBoxA(mainWindow, text, "Vimo rom info...", MB_OK);
}

}  // namespace

void installReports() {
    ReportSink sink;
    sink.errorBox = errorBoxReport;
    sink.romInfoBox = romInfoBoxReport;
    sink.statusText = statusTextReport;
    sink.statusLamps = statusLampsReport;
    installReportSink(&sink);
}

// Each status text also goes to the debugger's output, where the program's
// tests read it; users never see it.
void showStatusText(const char* text) {
    copyStatusText(text);
    sendStatusText();
    OutputDebugStringA(statusText);
}

void sendStatusText() {
    if (statusBar != nullptr) SendMessageA(statusBar, SB_SETTEXTA, kStatusTextPart, reinterpret_cast<LPARAM>(statusText));
}

void paintLamps(HDC context) {
    for (const LampFill& fill : lampFills(lampBits)) {
        const RECT rect{fill.rect.left, fill.rect.top, fill.rect.right, fill.rect.bottom};
        FillRect(context, &rect, lampBrushes[fill.brush]);
    }
}

void showMessageBox(const char* format, ...) {
    char messageBuffer[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    if (std::vsnprintf(messageBuffer, sizeof messageBuffer, format, args) < 0) messageBuffer[0] = '\0';
    va_end(args);
    MessageBoxA(mainWindow, messageBuffer, "Vimo message...", MB_OK);
}

}  // namespace vimo
