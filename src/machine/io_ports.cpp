// The I/O range 0xA00000-0xA1001F: the Z80 area seen from the 68000, the
// version register with its country autodetect, the two pad data ports with
// the three- and six-button protocol, and the control and serial bytes, which
// are only stored.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kZ80AreaHigh = 0xA0FFFF;

// Pad bits of a PadState word, active low.
constexpr uint32_t kPadUpDown = 0x03;
constexpr uint32_t kPadCbRightLeftDownUp = 0x3F;
constexpr uint32_t kPadCb = 0x30;
constexpr int kPadStartAShift = 8;     // Start, A at bits 13-12 -> 5-4
constexpr int kPadModeXyzShift = 16;   // Mode, X, Y, Z at bits 19-16 -> 3-0
constexpr uint32_t kThBit = 0x40;

// Country flags of one header character.
enum CountryFlag : uint32_t { kFlagUsa = 1, kFlagJapan = 2, kFlagEurope = 4, kFlagOther = 8 };

uint32_t countryFlags(uint8_t c) {
    switch (c) {
        case 'U': case 'C': case 'D': case 'F': case '4': case '5': case '6': case '7':
        case 0x04: case 0x05: case 0x06: case 0x07: case 0x0C: case 0x0D: case 0x0E: case 0x0F:
            return kFlagUsa;
        case 'J': case 'B': case '1': case '3': case '9':
        case 0x01: case 0x03: case 0x09: case 0x0B:
            return kFlagJapan;
        case 'E': case 'A': case '8': case 0x08: case 0x0A:
            return kFlagEurope;
        case '2': case 0x02:
            return kFlagOther;
        default:
            return 0;
    }
}

}  // namespace

uint32_t Machine::readByteIo(uint32_t address) {
    if (address <= kZ80AreaHigh) return z80Read(address & 0xFFFF) & 0xFF;
    switch (address) {
        case 0xA10000: case 0xA10001: return readVersionRegister();
        case 0xA10002: case 0xA10003: return readPadData(0);
        case 0xA10004: case 0xA10005: return readPadData(1);
        case 0xA10006: case 0xA10007: return extData & 0xFF;
        case 0xA10008: case 0xA10009: return ioControl[0] & 0xFF;
        case 0xA1000A: case 0xA1000B: return ioControl[1] & 0xFF;
        case 0xA1000C: case 0xA1000D: return ioControl[2] & 0xFF;
        case 0xA10012: case 0xA10013: return ioControl[3] & 0xFF;
        case 0xA10018: case 0xA10019: return ioControl[4] & 0xFF;
        case 0xA1001E: case 0xA1001F: return ioControl[5] & 0xFF;
        default: return 0;  // 0xA1000E/0xA1000F and everything undecoded
    }
}

void Machine::writeByteIo(uint32_t address, uint32_t byte) {
    byte &= 0xFF;
    if (address <= kZ80AreaHigh) {
        z80Write(address & 0xFFFF, byte);
        return;
    }
    switch (address) {
        case 0xA10003: writePadTh(0, byte); break;
        case 0xA10005: writePadTh(1, byte); break;
        case 0xA10007: extData = byte; break;
        case 0xA10008: case 0xA10009: ioControl[0] = byte; break;
        case 0xA1000A: case 0xA1000B: ioControl[1] = byte; break;
        case 0xA1000C: case 0xA1000D: ioControl[2] = byte; break;
        case 0xA1000E: case 0xA1000F: txData[0] = byte; break;
        case 0xA10012: case 0xA10013: ioControl[3] = byte; break;
        case 0xA10018: case 0xA10019: ioControl[4] = byte; break;
        case 0xA1001E: case 0xA1001F: ioControl[5] = byte; break;
        default: break;  // the version register, the even pad bytes and the rest
    }
}

uint32_t Machine::readWordIo(uint32_t address) {
    return (readByteIo(address) << 8) | readByteIo(address + 1);
}

void Machine::writeWordIo(uint32_t address, uint32_t word) {
    writeByteIo(address, (word >> 8) & 0xFF);
    writeByteIo(address + 1, word & 0xFF);
}

uint32_t Machine::readPadData(int32_t pad) const {
    const uint32_t w = pads[pad];
    const int32_t count = sixButtonCount[pad];
    const bool thHigh = thLevel[pad] != 0;
    const uint32_t startA = (w >> kPadStartAShift) & kPadCb;

    if (count == 3 && thHigh) return kThBit + (w & kPadCb) + ((w >> kPadModeXyzShift) & 0x0F);
    if (count == 3) return startA;                   // all four direction bits low
    if (thHigh) return kThBit + (w & kPadCbRightLeftDownUp);
    if (count == 4) return startA + 0x0F;
    return startA + (w & kPadUpDown);
}

void Machine::writePadTh(int32_t pad, uint32_t byte) {
    const int32_t th = (byte & kThBit) != 0 ? 1 : 0;
    if (sixButtonCount[pad] >= 0 && th == 0 && thLevel[pad] == 1) {
        ++sixButtonCount[pad];
        if (sixButtonCount[pad] > 0xC00000) sixButtonCount[pad] &= ~(1 << 22);
    }
    thLevel[pad] = th;
    linesSinceThWrite[pad] = 0;
}

uint32_t Machine::readVersionRegister() {
    if ((country & 0xFF0) != 0xFF0) return country;

    // Autodetect from the header's three country characters, natural bytes
    // 0x1F0-0x1F2 of the image; characters past the image count as absent.
    uint32_t flags = 0;
    for (uint32_t offset = 0x1F0; offset <= 0x1F2; ++offset) {
        if (rom && static_cast<int32_t>(offset) < romSize) flags |= countryFlags(rom[offset ^ 1]);
    }
    uint32_t detected = kCountryUsa;
    if (flags & kFlagUsa)
        detected = kCountryUsa;
    else if (flags & kFlagJapan)
        detected = kCountryJapan;
    else if (flags & kFlagEurope)
        detected = kCountryEurope;
    else if (flags & kFlagOther)
        detected = 0x40;

    if (detected & 0x40)
        vdp.status |= kStatusPal;
    else
        vdp.status &= ~kStatusPal;
    return detected;
}

}  // namespace vimo
