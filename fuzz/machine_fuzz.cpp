// The running machine: the input is a cartridge image, run for a few frames
// with the pads pressed, so the 68000, the Z80 (either core), the VDP and its
// DMA and the sound chips all see arbitrary programs.
//
// Input: byte 0 the pad buttons (bits 0-5 pad 1's Up, Down, Left, Right, B,
// C; bits 6-7 A and Start), byte 1 bit 0 the Z80 core; the rest is the image.
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string path = vimo::fuzz::scratchPath("cartridge.bin");
    vimo::fuzz::writeFile(path, {data + 2, size - 2});
    vimo::Machine& machine = vimo::fuzz::machine();
    machine.selectZ80Core((data[1] & 1) != 0 ? vimo::kKiteCore : vimo::kZetaCore);
    if (machine.loadRomFile(path.c_str()) != 0) return 0;
    const uint32_t pressed = (data[0] & 0x3Fu) | ((data[0] & 0xC0u) << 6);   // active low in the pad word
    machine.pads[0] = vimo::kPadsReleased & ~pressed;
    machine.pads[1] = vimo::kPadsReleased;
    vimo::fuzz::runFrames(machine, 4);
    machine.pads[0] = vimo::kPadsReleased;
    return 0;
}
