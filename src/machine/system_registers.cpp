// The system registers at 0xA10020-0xBFFFFF: Z80 bus request and reset, the
// hand-off of the Mega-CD gate-array range, the cartridge bank registers and
// the TMSS bytes. Only the exact addresses below decode.
#include <algorithm>
#include <cstring>

#include "machine/machine.h"
#include "machine/report.h"
#include "sound/fm_synth.h"

namespace vimo {

namespace {

constexpr uint32_t kZ80BusRequest = 0xA11100;
constexpr uint32_t kZ80Reset = 0xA11200;
constexpr uint32_t kGateArrayLow = 0xA12000;
constexpr uint32_t kGateArrayHigh = 0xA1202F;
constexpr uint32_t kBankRegistersLow = 0xA130F3;
constexpr uint32_t kBankRegistersHigh = 0xA130FF;
constexpr uint32_t kTmssLow = 0xA14000;
constexpr uint32_t kTmssHigh = 0xA14003;

bool inGateArray(uint32_t address) {
    return address >= kGateArrayLow && address <= kGateArrayHigh;
}

}  // namespace

uint32_t Machine::readByteSystem(uint32_t address) {
    if (address == kZ80BusRequest) return z80Running;
    if (address == kZ80Reset || address == kZ80Reset + 1) return 0xFF;
    if (inGateArray(address)) return readByteGateArray(address);
    if (address >= kTmssLow && address <= kTmssHigh) return tmssBytes[address & 15];
    return 0;
}

void Machine::writeByteSystem(uint32_t address, uint32_t byte) {
    byte &= 0xFF;
    if (address == kZ80BusRequest) {
        // Bit 0 set requests the Z80's bus (the Z80 stops); clear releases it.
        z80Running = (byte & 1) != 0 ? 0 : 1;
    } else if (address == kZ80Reset) {
        // Writing 0 resets the YM2612 and the Z80 once; no reset is held.
        // The Z80 may write it itself through its window: its core then
        // finishes that instruction, resets and ends the slice.
        if (byte == 0) {
            FmSynth::reset(0);
            resetZ80();
        }
    } else if (inGateArray(address)) {
        writeByteGateArray(address, byte);
    } else if (address >= kBankRegistersLow && address <= kBankRegistersHigh) {
        if (romBankMode != 1) return;
        if ((address & 1) != 0)
            writeBankRegister(address, byte);
        else
            showErrorBox("Rom banking mode %d not implemented", static_cast<int>(address & 15));
    } else if (address >= kTmssLow && address <= kTmssHigh) {
        tmssBytes[address & 15] = static_cast<uint8_t>(byte);
    }
}

uint32_t Machine::readWordSystem(uint32_t address) {
    if (inGateArray(address)) return readWordGateArray(address);
    return (readByteSystem(address) << 8) | readByteSystem(address + 1);
}

void Machine::writeWordSystem(uint32_t address, uint32_t word) {
    if (inGateArray(address)) {
        writeWordGateArray(address, word & 0xFFFF);
        return;
    }
    writeByteSystem(address, (word >> 8) & 0xFF);
    writeByteSystem(address + 1, word & 0xFF);
}

// Copies 512 KB block `bank` of the full image over slot 1-7 of the mapped
// image; the 68000 maps the image directly, so it sees the new bytes at once.
// A block that reaches past the end of the copy contributes only the part that
// exists; a block wholly past it changes nothing.
void Machine::writeBankRegister(uint32_t address, uint32_t bank) {
    if (!romCopy || !rom) return;
    const uint32_t slot = (address & 0xF) >> 1;
    const uint32_t source = bank * kRomBankSize;
    // An odd image's last byte sits in the pad byte behind it (word-swapped).
    const uint32_t copySize = static_cast<uint32_t>(swappedImageLength());
    if (slot == 0 || source >= copySize) return;
    const uint32_t destination = slot * kRomBankSize;
    // Banking is on only for images above 4 MB, so every slot lies inside the image.
    if (destination + kRomBankSize > copySize) return;
    const uint32_t length = std::min(kRomBankSize, copySize - source);
    std::memcpy(rom.get() + destination, romCopy.get() + source, length);
}

}  // namespace vimo
