// Helpers for driving a Vdp through its ports the way a 68000 program does,
// and a 336 x 240 16-bit surface to render into.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vdp/vdp.h"

namespace vimo::test {

// VDP access codes as a program writes them (CD5..CD0).
enum class Target : uint32_t {
    VramRead = 0x00,
    VramWrite = 0x01,
    CramWrite = 0x03,
    VsramRead = 0x04,
    VsramWrite = 0x05,
    CramRead = 0x08,
};

// The two control words of a command: CD1-CD0 and A13-A0 in the first,
// CD5-CD2 and A15-A14 in the second.
inline uint32_t commandFirst(uint32_t code, uint32_t address) {
    return ((code & 3) << 14) | (address & 0x3FFF);
}
inline uint32_t commandSecond(uint32_t code, uint32_t address) {
    return ((code >> 2) & 0xF) << 4 | ((address >> 14) & 3);
}

inline void setRegister(Vdp& vdp, uint32_t reg, uint32_t value) {
    vdp.controlPortWord(0x8000 | (reg << 8) | (value & 0xFF));
}

inline void setAddress(Vdp& vdp, Target target, uint32_t address, bool dma = false) {
    const auto code = static_cast<uint32_t>(target);
    vdp.controlPortWord(commandFirst(code, address));
    vdp.controlPortWord(commandSecond(code, address) | (dma ? 0x80 : 0));
}

// Writes big-endian words through the data port with an increment of 2.
void writeWords(Vdp& vdp, Target target, uint32_t address, const std::vector<uint16_t>& words);
void writeBytesAsWords(Vdp& vdp, Target target, uint32_t address, const std::vector<uint8_t>& bytes);
void writeColour(Vdp& vdp, uint32_t entry, uint16_t colour);

// The 16-bit surface the renderer draws into.
struct Surface {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kSurfaceWidth * kSurfaceHeight, 0);
    FrameBufferDesc desc() {
        return FrameBufferDesc{pixels.data(), kSurfaceWidth, kSurfaceHeight, kSurfaceWidth * 2, 16};
    }
    // Pixel x (-8 .. 327) of shown line `line`.
    uint16_t at(int line, int x) const {
        return pixels[static_cast<size_t>(line + 8) * kSurfaceWidth + static_cast<size_t>(x + 8)];
    }
    void fill(uint16_t value) { pixels.assign(pixels.size(), value); }
};

// Renders all 224 lines the way the frame scheduler does.
void renderFrame(Vdp& vdp, Surface& surface);

// The 320 x 224 picture, row by row.
std::vector<uint16_t> picture(const Surface& surface);

// Writes a 320 x 224 16-bit picture as an RGB PNG; pixelFormat 15 or 16.
bool writePng(const std::string& path, const std::vector<uint16_t>& picture, uint32_t pixelFormat);

// Folder for pictures written on a mismatch: VIMO_TEST_OUTPUT_DIR or the
// current folder.
std::string outputPath(const std::string& name);

}  // namespace vimo::test
