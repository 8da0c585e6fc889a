// The font register: sixteen one-bit pixels expanded into sixteen 4-bit
// pixels of two colours, ready to be copied into a stamp or a cell.
#include "machine/machine.h"

namespace vimo {

// Bit i of the font bits goes to byte 7 - i / 2 of the font data, the low
// nibble for even i: the leftmost pixel (bit 15) ends in the high nibble of
// the first byte.
void Machine::expandFontBits() {
    const uint8_t one = fontColour >> 4;
    const uint8_t zero = fontColour & 0x0F;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint8_t colour = ((fontBits >> i) & 1) != 0 ? one : zero;
        uint8_t& byte = fontData[7 - i / 2];
        byte = (i & 1) == 0 ? static_cast<uint8_t>((byte & 0xF0) | colour)
                            : static_cast<uint8_t>((byte & 0x0F) | (colour << 4));
    }
}

}  // namespace vimo
