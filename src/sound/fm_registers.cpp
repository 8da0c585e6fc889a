// Decoding of the FM chip's registers: the mode registers of part 0
// (0x20-0x2F), the per-slot and per-channel registers of both parts
// (0x30-0xB6), key on and key off.
#include "sound/fm_synth.h"
#include "sound/fm_shared.h"

namespace vimo::FmSynth {

namespace {

// Twice MUL, so that MUL 0 (one half) stays an integer.
constexpr int32_t kMultiple[16] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30};

// SL 0-14 in 3 dB steps on the decay part of the curve; SL 15 is 93 dB.
constexpr int32_t sustainLevel(uint32_t sl) {
    return sl == 15 ? 0x1F800000 : 0x10000000 + static_cast<int32_t>(sl) * 0x800000;
}

// Key-code bits 0-1 by F-number bits 7-10.
constexpr uint8_t kKeyCodeBits[16] = {0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3};

// Phase modulation depth in cents by PMS, and amplitude modulation depth in
// levels (0, 1.4, 5.9 and 11.8 dB) by AMS.
constexpr double kPmsCents[8] = {0, 3.4, 6.7, 10, 14, 20, 40, 80};
constexpr int32_t kAmsDepth[4] = {0, 59, 251, 503};

constexpr uint8_t kStatusTimerA = 0x01;
constexpr uint8_t kStatusTimerB = 0x02;

void updateIrqLine(FmChip& chip) {
    const uint8_t line = (chip.status & chip.irqMask) != 0 ? 1 : 0;
    if (line == chip.irqLine) return;
    chip.irqLine = line;
    if (chip.irqHandler != nullptr) chip.irqHandler(chip.index, line);
}

void writeKeys(FmChip& chip, uint32_t data) {
    uint32_t c = data & 3;
    if (c == 3) return;
    if ((data & 4) != 0 && (chip.features & kFmFeatureSixChannels) != 0) c += 3;
    FmChannel& channel = chip.channels[c];
    constexpr int32_t kOrder[4] = {kOp1, kOp2, kOp3, kOp4};   // key bits 4, 5, 6, 7
    for (int32_t i = 0; i < 4; ++i) {
        FmSlot& slot = channel.slots[kOrder[i]];
        if ((data & (0x10u << i)) != 0)
            keyOn(slot);
        else
            keyOff(slot);
    }
}

// F-number and block into a base frequency and key code.
struct Pitch {
    uint32_t baseFrequency;
    uint8_t keyCode;
};

Pitch decodePitch(const FmChip& chip, uint32_t latch, uint32_t data) {
    const uint32_t fnumber = ((latch & 7) << 8) + data;
    const uint32_t block = latch >> 3;
    return {chip.frequencyTable[fnumber] >> (7 - block),
            static_cast<uint8_t>(kKeyCodeBits[fnumber >> 7] | (block << 2))};
}

void writeSlot(FmChip& chip, FmChannel& channel, FmSlot& slot, uint32_t group, uint32_t data,
               bool tlFrozen) {
    switch (group) {
    case 0x30:
        slot.detuneRow = chip.detune[(data >> 4) & 7];
        slot.multiple = kMultiple[data & 15];
        channel.incrementsStale = true;
        break;
    case 0x40:
        slot.totalLevel = static_cast<int32_t>(((data & 127) * 129) >> 2);
        if (!tlFrozen) slot.totalLevelInUse = slot.totalLevel;
        break;
    case 0x50:
        slot.keyScaleShift = static_cast<uint8_t>(3 - (data >> 6));
        slot.attackRow = (data & 31) != 0 ? &chip.attackSteps[2 * (data & 31)] : zeroRow;
        slot.attackStep = slot.attackRow[slot.keyScaleValue];
        if (slot.envelopePhase == EnvelopePhase::Attack) slot.envelopeStep = slot.attackStep;
        channel.incrementsStale = true;
        break;
    case 0x60:
        slot.firstDecayRow = (data & 31) != 0 ? &chip.decaySteps[2 * (data & 31)] : zeroRow;
        slot.firstDecayStep = slot.firstDecayRow[slot.keyScaleValue];
        if (slot.envelopePhase == EnvelopePhase::Decay) slot.envelopeStep = slot.firstDecayStep;
        if ((chip.features & kFmFeatureLfo) != 0) {
            slot.amOn = static_cast<uint8_t>(data >> 7);
            slot.amDepth = channel.amsDepth * slot.amOn;
        }
        break;
    case 0x70:
        slot.secondDecayRow = (data & 31) != 0 ? &chip.decaySteps[2 * (data & 31)] : zeroRow;
        slot.secondDecayStep = slot.secondDecayRow[slot.keyScaleValue];
        if (slot.envelopePhase == EnvelopePhase::Sustain) slot.envelopeStep = slot.secondDecayStep;
        break;
    case 0x80:
        slot.sustainLevel = sustainLevel(data >> 4);
        slot.releaseRow = &chip.decaySteps[4 * (data & 15) + 2];
        slot.releaseStep = slot.releaseRow[slot.keyScaleValue];
        if (slot.envelopePhase == EnvelopePhase::Release) slot.envelopeStep = slot.releaseStep;
        break;
    case 0x90:
        slot.ssgEg = static_cast<uint8_t>(data & 15);
        break;
    default:
        break;
    }
}

void writeFrequencyGroup(FmChip& chip, uint32_t c, uint32_t selector, bool part1, uint32_t data) {
    FmChannel& channel = chip.channels[c];
    switch (selector) {
    case 0: {   // 0xA0-0xA2: F-number low bits, with block and high bits from the latch
        const Pitch pitch = decodePitch(chip, chip.frequencyLatch, data);
        channel.baseFrequency = pitch.baseFrequency;
        channel.keyCode = pitch.keyCode;
        channel.incrementsStale = true;
        break;
    }
    case 1:     // 0xA4-0xA6
        chip.frequencyLatch = static_cast<uint8_t>(data & 63);
        break;
    case 2: {   // 0xA8-0xAA: channel 3's special frequencies (part 0 only)
        if (part1) break;
        const Pitch pitch = decodePitch(chip, chip.specialLatch, data);
        chip.specialBaseFrequency[c] = pitch.baseFrequency;
        chip.specialKeyCode[c] = pitch.keyCode;
        chip.channels[2].incrementsStale = true;
        break;
    }
    case 3:     // 0xAC-0xAE (part 0 only)
        if (!part1) chip.specialLatch = static_cast<uint8_t>(data & 63);
        break;
    }
}

void writeChannelGroup(FmChip& chip, FmChannel& channel, uint32_t selector, uint32_t data) {
    switch (selector) {
    case 0: {   // 0xB0-0xB2: algorithm and feedback
        const uint32_t feedback = (data >> 3) & 7;
        channel.feedbackShift = static_cast<uint8_t>(feedback != 0 ? 9 - feedback : 0);
        setAlgorithm(channel, data & 7);
        break;
    }
    case 1:     // 0xB4-0xB6: pan, AMS, PMS
        if ((chip.features & kFmFeatureLfo) == 0) break;
        channel.pmsDepth = static_cast<int32_t>(kPmsCents[data & 7] * 1.28);
        channel.amsDepth = kAmsDepth[(data >> 4) & 3];
        for (FmSlot& slot : channel.slots) slot.amDepth = slot.amOn * channel.amsDepth;
        channel.pan = static_cast<uint8_t>((data >> 6) & 3);
        setAlgorithm(channel, channel.algorithm);
        break;
    default:    // 0xB8-0xBF
        break;
    }
}

}  // namespace

void writeMode(FmChip& chip, uint32_t reg, uint32_t data) {
    switch (reg) {
    case 0x22:
        if ((chip.features & kFmFeatureLfo) != 0)
            chip.lfoStep = (data & 8) != 0 ? chip.lfoSteps[data & 7] : 0;
        break;
    case 0x24:
        chip.timerAValue = ((data << 2) | (chip.timerAValue & 3)) & 0x3FF;
        break;
    case 0x25:
        chip.timerAValue = (chip.timerAValue & 0x3FC) | (data & 3);
        break;
    case 0x26:
        chip.timerBValue = static_cast<uint8_t>(data);
        break;
    case 0x27:
        chip.mode = static_cast<uint8_t>(data);
        if ((data & 0x20) != 0) chip.status &= static_cast<uint8_t>(~kStatusTimerB);
        if ((data & 0x10) != 0) chip.status &= static_cast<uint8_t>(~kStatusTimerA);
        updateIrqLine(chip);
        break;
    case 0x28:
        writeKeys(chip, data);
        break;
    default:   // 0x20, 0x21, 0x23, 0x29, 0x2C-0x2F
        break;
    }
}

void writeRegister(FmChip& chip, uint32_t reg, uint32_t data) {
    uint32_t c = reg & 3;
    if (c == 3) return;
    const bool part1 = (reg & 0x100) != 0;
    if (part1) c += 3;
    const uint32_t selector = (reg >> 2) & 3;
    const uint32_t group = reg & 0xF0;
    FmChannel& channel = chip.channels[c];

    if (group >= 0x30 && group <= 0x90) {
        // Channel 3's total levels belong to the CSM key-on while mode bit 7 is set.
        const bool tlFrozen = c == 2 && (chip.mode & 0x80) != 0;
        writeSlot(chip, channel, channel.slots[selector], group, data, tlFrozen);
    } else if (group == 0xA0) {
        writeFrequencyGroup(chip, c, selector, part1, data);
    } else if (group == 0xB0) {
        writeChannelGroup(chip, channel, selector, data);
    }
}

void keyOn(FmSlot& slot) {
    if (slot.envelopePhase != EnvelopePhase::Release) return;
    slot.phase = 0;
    slot.envelopePhase = (slot.ssgEg & 8) != 0 ? EnvelopePhase::SsgAttack : EnvelopePhase::Attack;
    slot.envelopeCounter = 0;
    slot.envelopeEnd = kEnvelopeDecayStart;
    slot.envelopeStep = slot.attackStep;
}

void keyOff(FmSlot& slot) {
    if (slot.envelopePhase == EnvelopePhase::Release) return;
    slot.envelopePhase = EnvelopePhase::Release;
    // On the attack part, continue from the same level on the decay part.
    if (slot.envelopeCounter < kEnvelopeDecayStart)
        slot.envelopeCounter = (envelopeCurve[slot.envelopeCounter >> 16] + 4096) << 16;
    slot.envelopeEnd = kEnvelopeSilent;
    slot.envelopeStep = slot.releaseStep;
}

void setAlgorithm(FmChannel& channel, uint32_t algorithm) {
    // The routes follow from the algorithm (kAlgorithmRoutes) and the pan.
    channel.algorithm = static_cast<uint8_t>(algorithm & 7);
}

}  // namespace vimo::FmSynth
