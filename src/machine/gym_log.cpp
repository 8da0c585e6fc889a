// The machine's side of the GYM music log: starting and stopping it, and the
// records the frame functions, the YM2612 data port and both PSG ports write
// while it runs.
#include "machine/machine.h"
#include "machine/report.h"

namespace vimo {

int32_t Machine::startGymLog(const char* path) {
    // A log still open is finished first, so its file ends as a stopped log's
    // does instead of being dropped half-written.
    stopGymLog();
    gymLogging = 0;
    if (!gymLog.open(path)) {
        showErrorBox("Can not create GYM file");
        return 1;
    }
    gymLogging = 1;
    return 0;
}

int32_t Machine::stopGymLog() {
    if (gymLogging == 0) return 1;
    if (gymLog.isOpen()) {
        gymLog.writeFrameEnd();
        gymLog.close();
    }
    gymLogging = 0;
    return 0;
}

void Machine::gymWriteFrameEnd() { gymLog.writeFrameEnd(); }

void Machine::gymWriteFm(uint32_t part, uint32_t reg, uint32_t value) { gymLog.writeFm(part, reg, value); }

void Machine::gymWritePsg(uint32_t byte) { gymLog.writePsg(byte); }

}  // namespace vimo
