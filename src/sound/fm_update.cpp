// Sample generation: phase increments, the per-sample operator and channel
// arithmetic for the eight algorithms, the LFO, the DAC and the mixing into
// the two 16-bit buffers.
//
// Phases wrap modulo 2^32 and are read as signed values for the sine look-up,
// so a phase just below zero uses the entry of (phase / 8192) truncated toward
// zero, like a phase just above it.
#include <algorithm>
#include <cstdint>

#include "sound/fm_shared.h"
#include "sound/fm_synth.h"

namespace vimo::FmSynth {

namespace {

constexpr int32_t kOutputShift = 12;   // a full-level carrier, ±67108863, gives ±16383

// Samples are rendered channel by channel over pieces of at most this many
// samples; the channels are independent, so this adds up to the same sums as
// rendering sample by sample.
constexpr int32_t kPieceSamples = 128;

// The working values of one piece of samples.
struct Piece {
    const int32_t* levels;                 // the level table
    int32_t count;                         // samples in the piece
    uint32_t lfoAm[kPieceSamples];         // 0-65536
    int32_t lfoPm[kPieceSamples];          // lfoAm − 32768
    int32_t panSums[4][kPieceSamples];     // by pan: 0 nowhere, 1 right, 2 left, 3 both
};

// Phase modulation of one channel at the current LFO value, in 1/1024 of the
// phase increment.
inline int32_t phaseModulation(const FmChannel& channel, int32_t lfoPm) {
    return (channel.pmsDepth * lfoPm) / 65536;
}

inline uint32_t advancePhase(FmSlot& slot, int32_t pm) {
    uint32_t delta = static_cast<uint32_t>(slot.phaseIncrement);
    // The product exceeds 32 bits for large increments (low output rates).
    if (pm != 0) delta += static_cast<uint32_t>(int64_t{slot.phaseIncrement} * pm / 1024);
    slot.phase += delta;
    return slot.phase;
}

// One envelope step; returns the slot's level (attenuation) for this sample.
inline uint32_t advanceEnvelope(FmSlot& slot, uint32_t lfoAm) {
    slot.envelopeCounter += slot.envelopeStep;
    if (slot.envelopeCounter >= slot.envelopeEnd) [[unlikely]]
        endEnvelopePhase(slot);
    uint32_t level = static_cast<uint32_t>(envelopeCurve[slot.envelopeCounter >> 16]) +
                     static_cast<uint32_t>(slot.totalLevelInUse);
    if (slot.amDepth != 0) level += (static_cast<uint32_t>(slot.amDepth) * lfoAm) >> 16;
    return level;
}

inline bool audible(uint32_t level) {
    return level < kAudibleLevelLimit;
}

// The operator's output at a phase and an audible level.
inline int32_t operatorOutput(const int32_t* levels, uint32_t phase, uint32_t level) {
    const int32_t step = (static_cast<int32_t>(phase) / 8192) & (kSineEntries - 1);
    return levels[sineTable[step] + static_cast<int32_t>(level)];
}

// Adds an operator's output where its route leads. Phase inputs wrap like the
// phases they modulate.
template <FmRoute Route>
inline void addToRoute(int32_t output, uint32_t& m2, uint32_t& m3, uint32_t& m4, int32_t& out) {
    const uint32_t modulation = static_cast<uint32_t>(output);
    if constexpr (Route == FmRoute::M2) m2 += modulation;
    if constexpr (Route == FmRoute::M3) m3 += modulation;
    if constexpr (Route == FmRoute::M4) m4 += modulation;
    if constexpr (Route == FmRoute::M234) {
        m2 += modulation;
        m3 += modulation;
        m4 += modulation;
    }
    if constexpr (Route == FmRoute::Out) out += output;
}

// One sample of one channel, added to `out`.
template <int Algorithm>
inline void calcChannel(FmChannel& channel, const int32_t* levels, uint32_t lfoAm, int32_t lfoPm, int32_t& out) {
    constexpr const FmRoute* routes = kAlgorithmRoutes[Algorithm];
    FmSlot& op1 = channel.slots[kOp1];
    FmSlot& op2 = channel.slots[kOp2];
    FmSlot& op3 = channel.slots[kOp3];
    FmSlot& op4 = channel.slots[kOp4];

    const int32_t pm = phaseModulation(channel, lfoPm);
    uint32_t m1 = advancePhase(op1, pm);
    uint32_t m2 = advancePhase(op2, pm);
    uint32_t m3 = advancePhase(op3, pm);
    uint32_t m4 = advancePhase(op4, pm);

    const uint32_t level1 = advanceEnvelope(op1, lfoAm);
    const uint32_t level2 = advanceEnvelope(op2, lfoAm);
    const uint32_t level3 = advanceEnvelope(op3, lfoAm);
    const uint32_t level4 = advanceEnvelope(op4, lfoAm);

    if (audible(level1)) {
        if (channel.feedbackShift != 0) {
            m1 += static_cast<uint32_t>((channel.op1Output + channel.op1OutputBefore) >> channel.feedbackShift);
            channel.op1OutputBefore = channel.op1Output;
        }
        channel.op1Output = operatorOutput(levels, m1, level1);
        addToRoute<routes[0]>(channel.op1Output, m2, m3, m4, out);
    }
    if (audible(level2)) addToRoute<routes[1]>(operatorOutput(levels, m2, level2), m2, m3, m4, out);
    if (audible(level3)) addToRoute<routes[2]>(operatorOutput(levels, m3, level3), m2, m3, m4, out);
    if (audible(level4)) addToRoute<routes[3]>(operatorOutput(levels, m4, level4), m2, m3, m4, out);
}

// Every sample of a piece for one channel, into the pan sum of its pan.
template <int Algorithm>
void calcChannelPiece(FmChannel& channel, Piece& piece) {
    int32_t* out = piece.panSums[channel.pan];
    for (int32_t i = 0; i < piece.count; ++i)
        calcChannel<Algorithm>(channel, piece.levels, piece.lfoAm[i], piece.lfoPm[i], out[i]);
}

using CalcChannelPiece = void (*)(FmChannel&, Piece&);

constexpr CalcChannelPiece kCalcChannelPiece[8] = {
    calcChannelPiece<0>, calcChannelPiece<1>, calcChannelPiece<2>, calcChannelPiece<3>,
    calcChannelPiece<4>, calcChannelPiece<5>, calcChannelPiece<6>, calcChannelPiece<7>,
};

// Channel 3's operators in special mode: op1 uses special frequency 1, op2
// special frequency 2, op3 special frequency 0, op4 the channel's own.
void refreshSpecialIncrements(FmChip& chip) {
    FmChannel& channel = chip.channels[2];
    if (!channel.incrementsStale) return;
    calcPhaseIncrement(channel.slots[kOp1], chip.specialBaseFrequency[1], chip.specialKeyCode[1]);
    calcPhaseIncrement(channel.slots[kOp2], chip.specialBaseFrequency[2], chip.specialKeyCode[2]);
    calcPhaseIncrement(channel.slots[kOp3], chip.specialBaseFrequency[0], chip.specialKeyCode[0]);
    calcPhaseIncrement(channel.slots[kOp4], channel.baseFrequency, channel.keyCode);
    channel.incrementsStale = false;
}

}  // namespace

int32_t clamp(int32_t value, int32_t maximum, int32_t minimum) {
    if (value > maximum) return maximum;
    if (value < minimum) return minimum;
    return value;
}

void calcPhaseIncrement(FmSlot& slot, uint32_t baseFrequency, uint32_t keyCode) {
    keyCode &= 31;
    // Computed wide and wrapped: like the phase, the increment is modulo 2^32.
    const int64_t increment = (int64_t{slot.detuneRow[keyCode]} + baseFrequency) * slot.multiple;
    slot.phaseIncrement = static_cast<int32_t>(static_cast<uint32_t>(increment));

    const uint8_t keyScaleValue = static_cast<uint8_t>(keyCode >> slot.keyScaleShift);
    if (keyScaleValue == slot.keyScaleValue) return;
    slot.keyScaleValue = keyScaleValue;
    slot.attackStep = slot.attackRow[keyScaleValue];
    slot.firstDecayStep = slot.firstDecayRow[keyScaleValue];
    slot.secondDecayStep = slot.secondDecayRow[keyScaleValue];
    slot.releaseStep = slot.releaseRow[keyScaleValue];
}

void refreshChannelIncrements(FmChip& chip, int32_t index) {
    FmChannel& channel = chip.channels[index];
    if (!channel.incrementsStale) return;
    for (int32_t op : {kOp1, kOp2, kOp3, kOp4})
        calcPhaseIncrement(channel.slots[op], channel.baseFrequency, channel.keyCode);
    channel.incrementsStale = false;
}

void update(int32_t index, StereoBuffers buffers, int32_t n) {
    FmChip* found = findChip(index);
    if (found == nullptr || buffers[0] == nullptr || buffers[1] == nullptr || n <= 0) return;
    FmChip& chip = *found;

    refreshChannelIncrements(chip, 0);
    refreshChannelIncrements(chip, 1);
    if ((chip.mode & 0xC0) == 0)
        refreshChannelIncrements(chip, 2);
    else
        refreshSpecialIncrements(chip);
    for (int32_t c = 3; c < kFmChannels; ++c) refreshChannelIncrements(chip, c);

    // While the DAC is on, it replaces channel 6, whose operators then stand still.
    const bool dacOn = chip.dacEnable != 0;
    const int32_t computedChannels = dacOn ? kFmChannels - 1 : kFmChannels;
    CalcChannelPiece calc[kFmChannels];
    for (int32_t c = 0; c < kFmChannels; ++c) calc[c] = kCalcChannelPiece[chip.channels[c].algorithm];

    uint32_t lfoCounter = chip.lfoCounter;
    const uint32_t lfoStep = chip.lfoStep;
    Piece piece;
    piece.levels = levelTable;
    int16_t* first = buffers[0];
    int16_t* second = buffers[1];

    for (int32_t done = 0; done < n; done += piece.count) {
        piece.count = std::min(n - done, kPieceSamples);
        for (int32_t i = 0; i < piece.count; ++i) {
            uint32_t am = 0;   // with the LFO off, no modulation
            if (lfoStep != 0) {
                lfoCounter += lfoStep;
                am = static_cast<uint32_t>(lfoWave[lfoCounter >> 23]);
            }
            piece.lfoAm[i] = am;
            piece.lfoPm[i] = lfoStep != 0 ? static_cast<int32_t>(am) - 32768 : 0;
            for (int32_t* sums : piece.panSums) sums[i] = 0;
        }

        for (int32_t c = 0; c < computedChannels; ++c) calc[c](chip.channels[c], piece);
        if (dacOn) {
            int32_t* sums = piece.panSums[chip.channels[5].pan];
            for (int32_t i = 0; i < piece.count; ++i) sums[i] += chip.dacSample;
        }

        for (int32_t i = 0; i < piece.count; ++i) {
            const int32_t left = piece.panSums[2][i] + piece.panSums[3][i];
            const int32_t right = piece.panSums[1][i] + piece.panSums[3][i];
            first[done + i] = static_cast<int16_t>(clamp(first[done + i] + (left >> kOutputShift), 32767, -32768));
            second[done + i] = static_cast<int16_t>(clamp(second[done + i] + (right >> kOutputShift), 32767, -32768));
        }
    }
    chip.lfoCounter = lfoCounter;
}

}  // namespace vimo::FmSynth
