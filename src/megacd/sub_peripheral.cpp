// The sub 68000's peripheral bus at 0xFE0000-0xFF7FFF: the backup RAM, one
// byte per odd address, and the PCM chip's registers, play positions and
// wave-RAM window.
#include "machine/machine.h"
#include "megacd/megacd.h"

namespace vimo {

uint32_t Machine::readByteSubPeripheral(uint32_t address) {
    if (address >= kBackupRamLow && address <= kBackupRamHigh)
        return (address & 1) != 0 ? backupRam[(address & 0x3FFF) >> 1] : 0;
    if (address >= kPcmChannelAddressLow && address <= kPcmChannelAddressHigh)
        return pcm.channelAddressByte(address - kPcmChannelAddressLow);
    // The PCM registers and the wave-RAM window cannot be read here; nothing
    // else answers.
    return 0;
}

uint32_t Machine::readWordSubPeripheral(uint32_t address) {
    if (address >= kPcmChannelAddressLow && address <= kPcmChannelAddressHigh)
        return pcm.channelAddressByte(address - kPcmChannelAddressLow);
    if (address >= kPcmLow) return 0;
    return (readByteSubPeripheral(address) << 8) | readByteSubPeripheral(address + 1);
}

void Machine::writeByteSubPeripheral(uint32_t address, uint32_t byte) {
    if ((address & 1) == 0) return;  // every device here sits on the odd bytes
    const auto data = static_cast<uint8_t>(byte);
    if (address >= kBackupRamLow && address <= kBackupRamHigh) {
        backupRam[(address & 0x3FFF) >> 1] = data;
    } else if (address >= kPcmLow && address <= kPcmRegistersHigh) {
        pcm.writeRegister((address - kPcmLow) >> 1, data);
    } else if (address >= kPcmWaveWindowLow && address <= kPcmWaveWindowHigh) {
        pcm.writeRam((address & 0x1FFF) >> 1, data);
    }
}

void Machine::writeWordSubPeripheral(uint32_t address, uint32_t word) {
    writeByteSubPeripheral(address, (word >> 8) & 0xFF);
    writeByteSubPeripheral(address + 1, word & 0xFF);
}

}  // namespace vimo
