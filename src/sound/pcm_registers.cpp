// The PCM chip's registers, its wave-RAM window and the play-position bytes,
// as the sub 68000 sees them.
#include "sound/pcm_chip.h"

namespace vimo {

namespace {

constexpr uint32_t kFdFractionShift = 15;

}  // namespace

void PcmChip::updateVolumes(PcmChannel& channel) {
    channel.leftVolume = (channel.pan & 15) * channel.env;
    channel.rightVolume = (channel.pan >> 4) * channel.env;
}

void PcmChip::updateStep(PcmChannel& channel) const {
    // No output rate, no playback: a rate of 0 leaves the channel standing.
    channel.step = rate != 0 ? (channel.fd << kFdFractionShift) / rate : 0;
}

void PcmChip::writeRegister(uint32_t reg, uint8_t data) {
    PcmChannel& channel = channels[currentChannel & 7];
    switch (reg) {
    case 0:   // ENV
        channel.env = data;
        updateVolumes(channel);
        break;
    case 1:   // PAN
        channel.pan = data;
        updateVolumes(channel);
        break;
    case 2:   // FD low
        channel.fd = (channel.fd & 0xFF00) + data;
        updateStep(channel);
        break;
    case 3:   // FD high
        channel.fd = (channel.fd & 0xFF) + (uint32_t{data} << 8);
        updateStep(channel);
        break;
    case 4:   // LS low
        channel.loopStart = (channel.loopStart & 0xFF00) + data;
        break;
    case 5:   // LS high
        channel.loopStart = (channel.loopStart & 0xFF) + (uint32_t{data} << 8);
        break;
    case 6:   // ST: the play position moves there only when the channel is stopped
        channel.start = uint32_t{data} << 19;
        break;
    case 7:   // CTRL
        soundOn = data & 0x80;
        if ((data & 0x40) != 0)
            currentChannel = data & 7;
        else
            bank = (data & 15u) << 12;
        break;
    case 8:   // ON/OFF: a set bit stops the channel and rewinds it to its start
        for (int32_t i = 0; i < kPcmChannels; ++i) {
            channels[i].off = data & (1u << i);
            if (channels[i].off != 0) channels[i].address = channels[i].start;
        }
        break;
    default:
        break;
    }
}

void PcmChip::writeRam(uint32_t offset, uint8_t data) {
    if (waveRam) waveRam[bank + (offset & (kPcmWindowSize - 1))] = data;
}

uint8_t PcmChip::readRam(uint32_t offset) const {
    return waveRam ? waveRam[bank + (offset & (kPcmWindowSize - 1))] : 0;
}

uint32_t PcmChip::channelAddressByte(uint32_t offset) const {
    const PcmChannel& channel = channels[(offset >> 2) & 7];
    const uint32_t position = (channel.address >> kPcmFractionBits) & 0xFFFF;
    return (offset & 2) == 0 ? position & 0xFF : position >> 8;
}

}  // namespace vimo
