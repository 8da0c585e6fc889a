// Construction, reset and the single-byte memory writes.
#include "vdp/vdp.h"

#include <cstring>

namespace vimo {

Vdp::Vdp()
    : vram(new uint8_t[kVramSize]), cram(new uint8_t[kCramSize]), vsram(new uint8_t[kVsramSize]) {
    command = 0;
    showSprites = showWindow = showPlaneA = showPlaneB = 1;
    reset();
}

Vdp::~Vdp() {
    delete[] vram;
    delete[] cram;
    delete[] vsram;
    vram = cram = vsram = nullptr;
}

// Hard reset: registers, status, command state and all three memories clear.
// An armed fill is disarmed too, otherwise it would swallow the first data
// write of the program that runs next. The palette is rebuilt from the now
// blank CRAM so it never shows colours of the previous program.
void Vdp::reset() {
    accessCode = 0;
    address = 0;
    status = 0;
    command = 0;
    commandPending = 0;
    dmaMode = 0;
    std::memset(regs, 0, sizeof regs);
    std::memset(vram, 0, kVramSize);
    std::memset(cram, 0, kCramSize);
    std::memset(vsram, 0, kVsramSize);
    convertPalette();
}

int32_t Vdp::getMemories(VdpMemoryView* view) {
    view->vram = vram;
    view->cram = cram;
    view->vsram = vsram;
    view->registers = regs;
    return 0;
}

// A word at an odd address keeps its low byte at the address and the high
// byte one above, as the data port stores it.
int32_t Vdp::writeVram(uint32_t addr, uint32_t word) {
    const uint32_t a = addr & 0xFFFF;
    const auto high = static_cast<uint8_t>(word >> 8);
    const auto low = static_cast<uint8_t>(word);
    if ((a & 1) == 0) {
        vram[a] = high;
        vram[(a + 1) & 0xFFFF] = low;
    } else {
        vram[a] = low;
        vram[(a + 1) & 0xFFFF] = high;
    }
    return 0;
}

// Only the colour the byte belongs to changes, so only it is converted,
// unless the pixel format changed since the palette was built.
int32_t Vdp::writeCram(uint32_t addr, uint8_t byte) {
    const uint32_t a = addr & (kCramSize - 1);
    cram[a] = byte;
    if (pixelFormat != paletteFormat) {
        convertPalette();
    } else {
        convertPaletteEntry(a >> 1);
    }
    return 0;
}

int32_t Vdp::writeVsram(uint32_t addr, uint8_t byte) {
    vsram[addr & (kVsramSize - 1)] = byte;
    return 0;
}

}  // namespace vimo
