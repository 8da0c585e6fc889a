#include "persistence/gym_logger.h"

namespace vimo {

namespace {

constexpr uint8_t kRecordFrameEnd = 0x00;
constexpr uint8_t kRecordFmPart0 = 0x01;
constexpr uint8_t kRecordPsg = 0x03;

uint8_t low8(uint32_t value) { return static_cast<uint8_t>(value & 0xFF); }

}  // namespace

GymLogger::~GymLogger() { close(); }

bool GymLogger::open(const char* path) {
    close();
    stream = std::fopen(path, "wb");
    return stream != nullptr;
}

void GymLogger::close() {
    if (stream == nullptr) return;
    std::fclose(stream);
    stream = nullptr;
}

void GymLogger::writeFrameEnd() {
    const uint8_t record[] = {kRecordFrameEnd};
    writeRecord(record, sizeof record);
}

void GymLogger::writeFm(uint32_t part, uint32_t reg, uint32_t value) {
    const uint8_t record[] = {static_cast<uint8_t>(kRecordFmPart0 + (part & 1)), low8(reg), low8(value)};
    writeRecord(record, sizeof record);
}

void GymLogger::writePsg(uint32_t value) {
    const uint8_t record[] = {kRecordPsg, low8(value)};
    writeRecord(record, sizeof record);
}

void GymLogger::writeRecord(const uint8_t* bytes, size_t count) {
    if (stream != nullptr) std::fwrite(bytes, 1, count, stream);
}

}  // namespace vimo
