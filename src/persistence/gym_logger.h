// The GYM music log: the sound chips' register writes as a headerless stream
// of records, played back one 1/60 s frame at a time.
//
//   0x00                  end of one frame
//   0x01 register value   YM2612 part 0 data write
//   0x02 register value   YM2612 part 1 data write
//   0x03 value            byte written to the PSG
//
// The logger only writes records; when to write them (the frame start, the
// DAC filter, the logging flag) is the machine's business. Write errors after
// the file was created are not looked at: a log is a recording, not a state
// anything depends on.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vimo {

class GymLogger {
public:
    GymLogger() = default;
    ~GymLogger();
    GymLogger(const GymLogger&) = delete;
    GymLogger& operator=(const GymLogger&) = delete;

    // Creates (or truncates) the file. False when it cannot be created; a
    // stream still open is closed first either way.
    bool open(const char* path);
    // Closes the stream without writing anything more.
    void close();
    bool isOpen() const { return stream != nullptr; }

    // Each record is written only while a file is open, and each byte of it is
    // the low 8 bits of the value given.
    void writeFrameEnd();
    void writeFm(uint32_t part, uint32_t reg, uint32_t value);
    void writePsg(uint32_t value);

private:
    void writeRecord(const uint8_t* bytes, size_t count);

    std::FILE* stream = nullptr;
};

}  // namespace vimo
