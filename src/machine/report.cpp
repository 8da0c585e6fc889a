#include "machine/report.h"

#include <cstdarg>
#include <cstdio>

namespace vimo {

namespace {

ReportSink currentSink;

// vsnprintf writes at most size - 1 characters and always terminates, so an
// over-long message is cut to fit; a formatting error leaves an empty text.
void formatBounded(char* buffer, size_t size, const char* format, va_list args) {
    if (std::vsnprintf(buffer, size, format, args) < 0) buffer[0] = '\0';
}

}  // namespace

uint32_t errorBoxesEnabled = 1;

void installReportSink(const ReportSink* sink) {
    currentSink = sink != nullptr ? *sink : ReportSink{};
}

const ReportSink& reportSink() {
    return currentSink;
}

void showErrorBox(const char* format, ...) {
    if (errorBoxesEnabled != 1) return;
    char messageBuffer[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    formatBounded(messageBuffer, sizeof messageBuffer, format, args);
    va_end(args);
    if (currentSink.errorBox != nullptr) currentSink.errorBox(messageBuffer);
}

void showRomInfoBox(const char* format, ...) {
    char messageBuffer[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    formatBounded(messageBuffer, sizeof messageBuffer, format, args);
    va_end(args);
    if (currentSink.romInfoBox != nullptr) currentSink.romInfoBox(messageBuffer);
}

void setStatusText(const char* format, ...) {
    // With no status bar there is nothing to show the text in.
    if (currentSink.statusText == nullptr) return;
    char statusText[kStatusTextSize];
    va_list args;
    va_start(args, format);
    formatBounded(statusText, sizeof statusText, format, args);
    va_end(args);
    currentSink.statusText(statusText);
}

void setStatusLamps(uint8_t bits) {
    if (currentSink.statusLamps != nullptr) currentSink.statusLamps(bits);
}

}  // namespace vimo
