// The PCM chip's construction, hard reset and output rate.
#include "sound/pcm_chip.h"

#include <cstring>
#include <new>

#include "machine/report.h"

namespace vimo {

PcmChip::PcmChip() : waveRam(new (std::nothrow) uint8_t[kPcmWaveRamSize]()) {
    if (!waveRam) showErrorBox("Couldn't allocate 64 KB of PCM waveform ram");
}

PcmChip::~PcmChip() = default;

void PcmChip::setRates(uint32_t newRate, uint32_t newClock) {
    rate = newRate;
    clock = newClock;
    // Steps depend on the rate: without this, every playing channel would keep
    // the pitch of the old rate until its FD is written again.
    for (PcmChannel& channel : channels) updateStep(channel);
}

void PcmChip::reset() {
    if (waveRam) std::memset(waveRam.get(), 0, kPcmWaveRamSize);
    for (PcmChannel& channel : channels) {
        channel.env = 0;
        channel.pan = 0;
        channel.address = 0;
        channel.start = 0;
        channel.leftVolume = 0;
        channel.rightVolume = 0;
        channel.step = 0;
        channel.fd = 0;
        channel.loopStart = 0;
    }
    soundOn = 0;
}

}  // namespace vimo
