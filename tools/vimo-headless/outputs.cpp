#include "outputs.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <png.h>
#include <zlib.h>

namespace vimo::headless {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void putLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t crcOfLittleEndian16(const uint16_t* values, size_t count) {
    uLong crc = crc32(0L, Z_NULL, 0);
    uint8_t chunk[512];
    size_t done = 0;
    while (done < count) {
        const size_t n = std::min<size_t>(count - done, sizeof chunk / 2);
        for (size_t i = 0; i < n; ++i) {
            chunk[2 * i] = static_cast<uint8_t>(values[done + i]);
            chunk[2 * i + 1] = static_cast<uint8_t>(values[done + i] >> 8);
        }
        crc = crc32(crc, chunk, static_cast<uInt>(2 * n));
        done += n;
    }
    return static_cast<uint32_t>(crc);
}

// 5- and 6-bit channels widened to 8 bits, the top bits repeated below.
uint8_t widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t widen6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

}  // namespace

std::vector<uint16_t> visiblePicture(const FrameBufferDesc& frame) {
    std::vector<uint16_t> picture(kVisibleWidth * kVisibleHeight);
    const auto* base = static_cast<const uint8_t*>(frame.pixels);
    for (uint32_t y = 0; y < kVisibleHeight; ++y) {
        const uint8_t* row = base + static_cast<size_t>(frame.pitch) * (y + kSurfaceBorder) + 2 * kSurfaceBorder;
        std::memcpy(&picture[y * kVisibleWidth], row, kVisibleWidth * 2);
    }
    return picture;
}

uint32_t pictureCrc(std::span<const uint16_t> picture) {
    return crcOfLittleEndian16(picture.data(), picture.size());
}

uint32_t soundCrc(std::span<const int16_t> samples) {
    std::vector<uint16_t> bits(samples.begin(), samples.end());
    return crcOfLittleEndian16(bits.data(), bits.size());
}

int writePng(const std::string& path, std::span<const uint16_t> picture) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return 1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return 1;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return 1;
    }
    std::vector<uint8_t> rgb(kVisibleWidth * kVisibleHeight * 3);
    for (size_t i = 0; i < picture.size() && i < kVisibleWidth * kVisibleHeight; ++i) {
        const uint16_t p = picture[i];
        rgb[3 * i] = widen5((p >> 11) & 0x1F);
        rgb[3 * i + 1] = widen6((p >> 5) & 0x3F);
        rgb[3 * i + 2] = widen5(p & 0x1F);
    }
    std::vector<png_bytep> rows(kVisibleHeight);
    for (uint32_t y = 0; y < kVisibleHeight; ++y) rows[y] = rgb.data() + y * kVisibleWidth * 3;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 1;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, kVisibleWidth, kVisibleHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    // The last bytes reach the file only when it is closed (a full disk shows there).
    return std::fclose(file.release()) == 0 ? 0 : 1;
}

int writeWav(const std::string& path, std::span<const int16_t> interleaved, uint32_t sampleRate) {
    constexpr uint32_t kChannels = 2;
    constexpr uint32_t kBytesPerSample = 2;
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * kBytesPerSample);
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    auto text = [&](const char* four) { bytes.insert(bytes.end(), four, four + 4); };
    text("RIFF");
    putLittleEndian(bytes, 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    putLittleEndian(bytes, 16, 4);                 // format chunk size
    putLittleEndian(bytes, 1, 2);                  // PCM
    putLittleEndian(bytes, kChannels, 2);
    putLittleEndian(bytes, sampleRate, 4);
    putLittleEndian(bytes, sampleRate * kChannels * kBytesPerSample, 4);
    putLittleEndian(bytes, kChannels * kBytesPerSample, 2);
    putLittleEndian(bytes, 16, 2);                 // bits per sample
    text("data");
    putLittleEndian(bytes, dataBytes, 4);
    for (int16_t sample : interleaved) putLittleEndian(bytes, static_cast<uint16_t>(sample), 2);

    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return 1;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    // The buffered tail reaches the file only when it is closed (a full disk shows there).
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed ? 0 : 1;
}

}  // namespace vimo::headless
