// The Mega-CD's RF5C164 PCM sound chip: eight channels that play 8-bit
// sign-magnitude samples from a 64 KB wave RAM at a programmable rate, each
// with an envelope (volume), a left/right pan, a start address and a loop
// address that the byte 0xFF in the data sends the channel to. The machine
// holds one by value; the sub 68000 writes its registers and wave RAM.
//
// Play positions are wave-RAM byte addresses with 11 fraction bits; their
// integer part is 16 bits and wraps, so every wave-RAM index stays inside the
// 64 KB.
//
// This header is the map of the chip: fields first, then the functions grouped
// by the file that defines them.
#pragma once

#include <cstdint>
#include <memory>

#include "sound/stereo_buffers.h"

namespace vimo {

constexpr uint32_t kPcmClock = 12000000;       // stored only
constexpr uint32_t kPcmWaveRamSize = 0x10000;
constexpr uint32_t kPcmWindowSize = 0x1000;    // the sub 68000's window into wave RAM
constexpr int32_t kPcmChannels = 8;
constexpr uint32_t kPcmFractionBits = 11;
constexpr uint32_t kPcmAddressMask = (kPcmWaveRamSize << kPcmFractionBits) - 1;
constexpr uint8_t kPcmLoopMarker = 0xFF;       // sends a channel to its loop address

struct PcmChannel {
    uint8_t env = 0;            // envelope (volume) 0-255
    uint8_t pan = 0;            // low nibble left, high nibble right
    uint32_t address = 0;       // play position × 2048
    uint32_t start = 0;         // ST register × 256 × 2048
    int32_t leftVolume = 0;     // (PAN & 15) × ENV
    int32_t rightVolume = 0;    // (PAN >> 4) × ENV
    uint32_t step = 0;          // (FD << 15) / rate: position advance per output sample
    uint32_t fd = 0;            // 16-bit frequency register
    uint32_t loopStart = 0;     // 16-bit loop address
    uint32_t off = 1;           // non-zero = stopped; every channel starts stopped
    int32_t lastLeft = 0;       // sample × volume of the last sample
    int32_t lastRight = 0;
    int32_t lastSample = 0;     // −127..127
};

class PcmChip {
public:
    // ==== Fields ==============================================================

    std::unique_ptr<uint8_t[]> waveRam;   // 64 KB; null when it could not be allocated
    uint32_t clock = 0;
    uint32_t rate = 0;                    // output sample rate in Hz
    uint32_t currentChannel = 0;          // 0-7, the channel registers 0-6 act on
    uint32_t bank = 0;                    // offset of the 4 KB window: 0x0000-0xF000
    uint32_t soundOn = 0;                 // 0 or 0x80
    PcmChannel channels[kPcmChannels];

    // ==== pcm_chip.cpp: construction, reset, rates ============================

    // Allocates and zeroes the wave RAM; on failure reports "Couldn't allocate
    // 64 KB of PCM waveform ram" and leaves it null (the chip then stays silent).
    PcmChip();
    ~PcmChip();
    PcmChip(const PcmChip&) = delete;
    PcmChip& operator=(const PcmChip&) = delete;

    // Stores both and recomputes every channel's step for the new rate.
    void setRates(uint32_t rate, uint32_t clock);
    // Hard reset: wave RAM and the channels' registers cleared, sound off. The
    // current channel, bank, off flags and last products keep their values.
    void reset();

    // ==== pcm_registers.cpp: the sub 68000's side =============================

    // Registers 0-8 (ENV, PAN, FD low/high, LS low/high, ST, CTRL, ON/OFF);
    // numbers above 8 are ignored.
    void writeRegister(uint32_t reg, uint8_t data);
    // Wave RAM through the 4 KB window at the bank (offset 0-4095).
    void writeRam(uint32_t offset, uint8_t data);
    uint8_t readRam(uint32_t offset) const;
    // Channel offset >> 2's play position (integer part): the low byte when
    // offset bit 1 is clear, else the high byte.
    uint32_t channelAddressByte(uint32_t offset) const;

    // ==== pcm_mix.cpp: sample generation =======================================

    // Adds n samples into both buffers, saturating at the 16-bit range; nothing
    // while sound is off.
    void mix(StereoBuffers buffers, int32_t n);

private:
    // pcm_registers.cpp
    void updateVolumes(PcmChannel& channel);
    void updateStep(PcmChannel& channel) const;

    // pcm_mix.cpp
    void mixChannel(PcmChannel& channel, StereoBuffers buffers, int32_t n);
};

}  // namespace vimo
