// DMA: 68000-to-VDP transfers, VRAM fill and VRAM copy. Every transfer is
// complete when the call that starts it returns.
#include "vdp/vdp.h"

namespace vimo {

uint32_t Vdp::dmaLength() const { return (static_cast<uint32_t>(regs[20]) << 8) | regs[19]; }

uint32_t Vdp::dmaSource() const {
    return ((static_cast<uint32_t>(regs[23] & 0x7F) << 16) | (static_cast<uint32_t>(regs[22]) << 8) |
            regs[21])
           << 1;
}

// Words go where the access code sends them, so VRAM, CRAM and VSRAM can all
// be loaded this way. A length of 0 moves 65,535 words. The source address is
// not wrapped; the reader decides what lies there.
void Vdp::transferFrom68000() {
    uint32_t count = dmaLength();
    if (count == 0) {
        count = 0xFFFF;
    }
    uint32_t source = dmaSource();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t word = dmaReadWord != nullptr ? dmaReadWord(dmaReadContext, source) : 0;
        writeDataWord(word & 0xFFFF);
        source += 2;
    }
}

// Byte-wise copy inside VRAM; the access code is not looked at. Length 0
// copies nothing. Register 23's source bits are not part of a copy source.
void Vdp::copyVram() {
    const uint32_t count = dmaLength();
    uint32_t source = (static_cast<uint32_t>(regs[22]) << 8) | regs[21];
    for (uint32_t i = 0; i < count; ++i) {
        vram[address & (kVramSize - 1)] = vram[source & (kVramSize - 1)];
        ++source;
        address += regs[15];
    }
}

// A fill of length L writes L + 1 places (length 0: 65,536), always to VRAM.
void Vdp::fillVramByte(uint8_t value) {
    uint32_t length = dmaLength();
    if (length == 0) {
        length = 0xFFFF;
    }
    for (uint32_t i = 0; i <= length; ++i) {
        vram[(address ^ 1) & (kVramSize - 1)] = value;
        address += regs[15];
    }
}

// The word fill puts the high byte at the address and the low byte at the
// address with bit 0 flipped, so at an odd address the low byte lands below.
void Vdp::fillVramWord(uint32_t value) {
    uint32_t length = dmaLength();
    if (length == 0) {
        length = 0xFFFF;
    }
    const auto high = static_cast<uint8_t>(value >> 8);
    const auto low = static_cast<uint8_t>(value);
    for (uint32_t i = 0; i <= length; ++i) {
        vram[address & (kVramSize - 1)] = high;
        vram[(address ^ 1) & (kVramSize - 1)] = low;
        address += regs[15];
    }
}

}  // namespace vimo
