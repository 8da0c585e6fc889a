// The sound glue: the three sound chips' start at the output rate, the
// YM2612's port interface for both CPUs with its register shadow, the
// YM2612's two timers counted per scan line in emulated microseconds, and the
// per-line mixing of the PSG, the FM chip and (in Mega-CD mode) the PCM chip
// into the frame's two sample buffers.
#include <algorithm>

#include "machine/machine.h"
#include "sound/fm_synth.h"

namespace vimo {

namespace {

constexpr int32_t kFmChip = 0;   // the console has one YM2612
constexpr uint16_t kFmUnwritten = 0xFFFF;

// Registers of part 0 that the glue itself looks at.
constexpr uint32_t kFmTimerAHigh = 0x24;
constexpr uint32_t kFmTimerALow = 0x25;
constexpr uint32_t kFmTimerB = 0x26;
constexpr uint32_t kFmTimerControl = 0x27;

constexpr uint8_t kFmStatusTimerA = 0x01;
constexpr uint8_t kFmStatusTimerB = 0x02;
constexpr uint32_t kFmResetTimerA = 0x10;   // register 0x27 bits that clear the flags
constexpr uint32_t kFmResetTimerB = 0x20;

// Emulated time: a frame of 262 lines at 60 frames per second, and the
// timers' steps from the chip's own clock: timer A counts one FM sample (144
// clocks, 18.7734 µs), timer B sixteen (300.375 µs). Rounding them to whole
// microseconds would make timer-driven music play 4 % fast.
constexpr double kLineMicroseconds = 63.61323;
constexpr double kFmSampleMicroseconds = 144.0 * 1e6 / kFmClock;
constexpr double kTimerAStepMicroseconds = kFmSampleMicroseconds;
constexpr double kTimerBStepMicroseconds = 16.0 * kFmSampleMicroseconds;

// The F-number registers (0xA0-0xA2, channel 3's 0xA8-0xAA) take their block
// and high bits from a latch that the chip shares between all channels; the
// latch registers sit 4 above them.
constexpr uint32_t kFmLatchOffset = 4;

// The DAC's sample and enable registers, in either part: a sample stream the
// music log leaves out unless asked.
bool isDacRegister(uint32_t reg) { return reg == 0x2A || reg == 0x2B; }

bool isFrequencyLow(uint32_t reg) {
    return (reg >= 0xA0 && reg <= 0xA2) || (reg >= 0xA8 && reg <= 0xAA);
}

bool isFrequencyLatch(uint32_t reg) {
    return (reg >= 0xA4 && reg <= 0xA6) || (reg >= 0xAC && reg <= 0xAE);
}

// The FM chip is one per process. The machine whose initialisation created it
// owns it, and only the owner's shutdown frees it; a machine built later takes
// it over, as it takes over the process-wide machine pointer.
const Machine* fmChipOwner = nullptr;

// A shadow entry as the chip's timer formula reads it: a 16-bit signed number,
// so an unwritten register counts as −1.
int32_t signedShadow(uint16_t entry) {
    return entry >= 0x8000 ? static_cast<int32_t>(entry) - 0x10000 : static_cast<int32_t>(entry);
}

}  // namespace

// ---- Start, re-initialisation and shut-down ------------------------------------------

int32_t Machine::initSoundChips() {
    if (fmChipOwner != nullptr && fmChipOwner != this) {
        FmSynth::shutdown();
        fmChipOwner = nullptr;
    }
    // The chip's own timers and interrupt line are unused: the timers are kept
    // here, per line.
    if (FmSynth::init(1, kFmClock, sampleRate, nullptr, nullptr) != 0) return 1;
    fmChipOwner = this;
    replayFmRegisters();
    psg.init(kPsgClock, sampleRate, sound16Bit != 0 ? 16 : 8);
    pcm.setRates(sampleRate, kPcmClock);
    return 0;
}

int32_t Machine::shutdownFm() {
    if (fmChipOwner != this) return 0;
    FmSynth::shutdown();
    fmChipOwner = nullptr;
    return 0;
}

// Writes every shadowed register straight to the rebuilt chip, part 0 and then
// part 1, in ascending order, except that each F-number register is preceded
// by its own channel's latch: the latch is shared, so writing the latches in
// their ascending places would give every F-number the block and high bits of
// the last latch written, and each channel would come back at a wrong pitch.
int32_t Machine::replayFmRegisters() {
    for (uint32_t part = 0; part < 2; ++part) {
        for (uint32_t reg = 0; reg < 256; ++reg) {
            if (isFrequencyLatch(reg)) continue;   // written with its F-number below
            if (isFrequencyLow(reg)) replayFmRegister(part, reg + kFmLatchOffset);
            replayFmRegister(part, reg);
        }
    }
    return 0;
}

void Machine::replayFmRegister(uint32_t part, uint32_t reg) {
    const uint16_t entry = fmShadow[part][reg];
    if (entry == kFmUnwritten) return;
    FmSynth::write(kFmChip, 2 * part, reg);
    FmSynth::write(kFmChip, 2 * part + 1, entry & 0xFFu);
}

// ---- The ports --------------------------------------------------------------------------

void Machine::writeFm(uint32_t address, uint32_t value) {
    const uint32_t port = address & 3;
    const uint32_t part = port >> 1;
    value &= 0xFF;
    if ((port & 1) == 0) {
        fmAddressLatch[part] = value;
    } else {
        const uint32_t latch = fmAddressLatch[part] & 0xFF;
        fmShadow[part][latch] = static_cast<uint16_t>(value);
        // Logged before the byte reaches the chip; the DAC's sample stream
        // (registers 0x2A and 0x2B) only while DAC logging is on.
        if (gymLogging != 0 && (gymLogDac != 0 || !isDacRegister(latch))) gymWriteFm(part, latch, value);
        if (latch == kFmTimerControl) {
            if ((value & kFmResetTimerA) != 0) fmStatus &= static_cast<uint8_t>(~kFmStatusTimerA);
            if ((value & kFmResetTimerB) != 0) fmStatus &= static_cast<uint8_t>(~kFmStatusTimerB);
        }
    }
    FmSynth::write(kFmChip, port, value);
}

uint32_t Machine::readFm(uint32_t address) {
    return (address & 1) == 0 ? fmStatus : 0;
}

// ---- Timers -------------------------------------------------------------------------------

// (1024 − N) steps of timer A with N = register 0x24 × 4 + the low two bits of 0x25.
// The multiplication stands for the chip's shift by two, which would shift a
// negative number for an unwritten register; the value is the same.
double Machine::fmTimerAPeriod() const {
    const int32_t n = signedShadow(fmShadow[0][kFmTimerAHigh]) * 4 + (fmShadow[0][kFmTimerALow] & 3);
    return (1024 - n) * kTimerAStepMicroseconds;
}

// (256 − N) steps of timer B with N = register 0x26.
double Machine::fmTimerBPeriod() const {
    const int32_t n = signedShadow(fmShadow[0][kFmTimerB]);
    return (256 - n) * kTimerBStepMicroseconds;
}

// Both timers always run and always raise their flags: the load and enable
// bits of register 0x27 are not consulted. At most one overflow per timer is
// counted per line.
void Machine::tickFmTimers() {
    fmTimerElapsed[0] += kLineMicroseconds;
    fmTimerElapsed[1] += kLineMicroseconds;
    const double periodA = fmTimerAPeriod();
    if (fmTimerElapsed[0] > periodA) {
        fmTimerElapsed[0] -= periodA;
        fmStatus |= kFmStatusTimerA;
    }
    const double periodB = fmTimerBPeriod();
    if (fmTimerElapsed[1] > periodB) {
        fmTimerElapsed[1] -= periodB;
        fmStatus |= kFmStatusTimerB;
    }
}

// ---- Mixing -------------------------------------------------------------------------------

int32_t Machine::mixSound(const SoundFrameDesc* sound, uint32_t first, uint32_t end) {
    if (sound == nullptr || sound->left == nullptr || sound->right == nullptr) return 0;
    end = std::min(end, sound->samplesPerFrame);
    if (first >= end) return 0;
    int16_t* const left = sound->left + first;
    int16_t* const right = sound->right + first;
    const int32_t n = static_cast<int32_t>(end - first);

    std::fill(left, left + n, int16_t{0});
    std::fill(right, right + n, int16_t{0});
    if (soundMuted != 0) return 0;

    // Every chip adds its samples saturating at the 16-bit range.
    if (psgEnabled != 0) {
        psg.update(left, n);
        std::copy(left, left + n, right);   // the PSG is centred
    }
    if (fmEnabled != 0) FmSynth::update(kFmChip, {left, right}, n);
    if (pcmEnabled != 0 && megaCdMode != 0) pcm.mix({left, right}, n);
    return 0;
}

}  // namespace vimo
