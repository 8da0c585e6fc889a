#include "vdp_test_util.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

namespace vimo::test {

void writeWords(Vdp& vdp, Target target, uint32_t address, const std::vector<uint16_t>& words) {
    setRegister(vdp, 15, 2);
    setAddress(vdp, target, address);
    for (uint16_t w : words) {
        vdp.dataPortWord(w);
    }
}

void writeBytesAsWords(Vdp& vdp, Target target, uint32_t address, const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> words;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        words.push_back(static_cast<uint16_t>((bytes[i] << 8) | bytes[i + 1]));
    }
    writeWords(vdp, target, address, words);
}

void writeColour(Vdp& vdp, uint32_t entry, uint16_t colour) {
    writeWords(vdp, Target::CramWrite, entry * 2, {colour});
}

void renderFrame(Vdp& vdp, Surface& surface) {
    const FrameBufferDesc desc = surface.desc();
    for (int32_t line = 0; line < kShownLines; ++line) {
        vdp.renderLine(&desc, line);
    }
}

std::vector<uint16_t> picture(const Surface& surface) {
    std::vector<uint16_t> out;
    out.reserve(320 * 224);
    for (int line = 0; line < 224; ++line) {
        for (int x = 0; x < 320; ++x) {
            out.push_back(surface.at(line, x));
        }
    }
    return out;
}

bool writePng(const std::string& path, const std::vector<uint16_t>& pic, uint32_t pixelFormat) {
    // Everything with a destructor exists before setjmp, so an error jump
    // skips no destructor.
    std::vector<png_byte> row(320 * 3);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 320, 224, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (size_t y = 0; y < 224; ++y) {
        for (size_t x = 0; x < 320; ++x) {
            const uint32_t p = pic[y * 320 + x];
            uint32_t r, g, b;
            if (pixelFormat == kPixelFormatRgb555) {
                r = (p >> 10) & 31;
                g = (p >> 5) & 31;
                b = p & 31;
                g <<= 1;
            } else {
                r = (p >> 11) & 31;
                g = (p >> 5) & 63;
                b = p & 31;
            }
            row[x * 3] = static_cast<png_byte>(r << 3);
            row[x * 3 + 1] = static_cast<png_byte>(g << 2);
            row[x * 3 + 2] = static_cast<png_byte>(b << 3);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

std::string outputPath(const std::string& name) {
    const char* dir = std::getenv("VIMO_TEST_OUTPUT_DIR");
    return (dir != nullptr && *dir != 0) ? std::string(dir) + "/" + name : name;
}

}  // namespace vimo::test
