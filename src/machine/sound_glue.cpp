// The sound glue: the YM2612 port interface with its register shadow, the
// per-line timers and the per-line mixing. The sound work fills it once the
// chips are there; until then the ports keep the shadow and status the hard
// reset clears, and every span is mixed as silence.
#include <algorithm>

#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kFmTimerControl = 0x27;

}  // namespace

int32_t Machine::initSoundChips() {
    return 0;
}

int32_t Machine::shutdownFm() {
    return 0;
}

void Machine::writeFm(uint32_t address, uint32_t value) {
    const uint32_t port = address & 3;
    const uint32_t part = port >> 1;
    value &= 0xFF;
    if ((port & 1) == 0) {
        fmAddressLatch[part] = value;
        return;
    }
    const uint32_t latch = fmAddressLatch[part] & 0xFF;
    fmShadow[part][latch] = static_cast<uint16_t>(value);
    if (latch == kFmTimerControl) {
        if ((value & 0x10) != 0) fmStatus &= static_cast<uint8_t>(~0x01);
        if ((value & 0x20) != 0) fmStatus &= static_cast<uint8_t>(~0x02);
    }
    // The GYM record and the write to the chip join here with the sound work.
}

uint32_t Machine::readFm(uint32_t address) {
    return (address & 1) == 0 ? fmStatus : 0;
}

void Machine::tickFmTimers() {}

int32_t Machine::mixSound(const SoundFrameDesc* sound, uint32_t first, uint32_t end) {
    if (sound == nullptr || sound->left == nullptr || sound->right == nullptr) return 0;
    end = std::min(end, sound->samplesPerFrame);
    if (first >= end) return 0;
    std::fill(sound->left + first, sound->left + end, int16_t{0});
    std::fill(sound->right + first, sound->right + end, int16_t{0});
    return 0;
}

}  // namespace vimo
