// The FM synthesiser's tables: the shared level, sine, envelope and LFO tables
// and each chip's detune, rate-step, frequency and LFO-step tables.
#include "sound/fm_shared.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>

namespace vimo::FmSynth {

int32_t* levelTable = nullptr;
int32_t sineTable[kSineEntries];
int32_t envelopeCurve[kEnvelopeCurveEntries];
int32_t lfoWave[kLfoWaveEntries];
const int32_t zeroRow[32] = {};

namespace {

constexpr double kFullScale = 67108863.0;   // 2^26 − 1
constexpr double kDbPerLevel = 0.0234375;   // 96 dB over 4096 levels

// The chip's detune amounts by detune code 0-3 and key code 0-31, in units of
// the frequency table's step at the chip's prescaler; codes 4-7 are the
// negatives of 0-3.
constexpr uint8_t kDetuneSource[4][32] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2,
     2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 8, 8},
    {1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5,
     5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 16, 16, 16, 16},
    {2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7,
     8, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 20, 22, 22, 22, 22},
};

// LFO rates 3.98, 5.56, 6.02, 6.37, 6.88, 9.63, 48.1 and 72.2 Hz (at an 8 MHz
// clock, as the chip's documentation gives them), each as a phase step of
// 2^32 per period at one sample per 144 clocks of 8 MHz.
constexpr double kLfoSourceFrequency[8] = {
    307691.45708544,  429840.32698367996, 465402.65619456,   492460.95015936,
    531888.74993664,  744489.6310886401,  3718582.6848768,   5581739.497881601,
};

// The largest envelope step: one that crosses the whole of any phase in a
// single sample. Only absurdly low output rates reach it.
constexpr double kMaxEnvelopeStep = 268435456.0;   // 0x10000000

constexpr double kAttackDivisor = 399128.0;
constexpr double kDecayDivisor = 5514396.0;

void buildLevelTable() {
    for (int32_t i = 0; i < kLevelTableHalf; ++i) {
        int32_t value = 0;
        if (i < kLevelSilence) value = truncateSaturated(kFullScale / std::pow(10.0, i * kDbPerLevel / 20.0));
        levelTable[i] = value;
        levelTable[kLevelTableHalf + i] = -value;
    }
}

void buildSineTable() {
    constexpr int32_t kHalf = kSineEntries / 2;
    constexpr int32_t kQuarter = kSineEntries / 4;
    for (int32_t i = 1; i <= kQuarter; ++i) {
        const double sine = std::sin(i * 2.0 * std::numbers::pi / kSineEntries);
        int32_t level = truncateSaturated(20.0 * std::log10(1.0 / sine) * 4096.0 / 96.0);
        if (level > kLevelSilence) level = kLevelSilence;
        sineTable[i] = level;
        sineTable[kHalf - i] = level;
        sineTable[kHalf + i] = kLevelTableHalf + level;
        sineTable[kSineEntries - i] = kLevelTableHalf + level;
    }
    sineTable[0] = kLevelSilence;
    sineTable[kHalf] = kLevelSilence;
}

void buildEnvelopeCurve() {
    for (int32_t i = 0; i < 4096; ++i) {
        envelopeCurve[i] = truncateSaturated(std::pow((4095.0 - i) / 4096.0, 8.0) * 4096.0);
        envelopeCurve[4096 + i] = i;
        envelopeCurve[8192 + i] = 4095 - i;
    }
}

}  // namespace

int32_t truncateSaturated(double value) {
    if (!(value > -2147483648.0)) return INT32_MIN;   // also NaN
    if (value >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(value);
}

uint32_t truncateWrapped(double value) {
    const double truncated = std::trunc(value);
    if (!std::isfinite(truncated)) return 0;
    const double wrapped = std::fmod(truncated, 4294967296.0);   // exact for doubles
    const double positive = wrapped < 0 ? wrapped + 4294967296.0 : wrapped;
    return static_cast<uint32_t>(positive);
}

int32_t buildLfoTable() {
    for (int32_t k = 0; k < kLfoWaveEntries; ++k)
        lfoWave[k] = k <= 256 ? 256 * k : 256 * (kLfoWaveEntries - k);
    return buildTables();
}

int32_t buildTables() {
    if (levelTable == nullptr) {
        levelTable = new (std::nothrow) int32_t[2 * kLevelTableHalf];
        if (levelTable == nullptr) return -1;
    }
    buildLevelTable();
    buildSineTable();
    buildEnvelopeCurve();
    return 0;
}

void freeTables() {
    delete[] levelTable;
    levelTable = nullptr;
}

void buildChipTables(FmChip& chip) {
    const double base = chip.frequencyBase;

    for (int32_t code = 0; code < 4; ++code) {
        for (int32_t key = 0; key < 32; ++key) {
            const double amount = kDetuneSource[code][key] * base * 8.0;
            chip.detune[code][key] = truncateSaturated(amount);
            chip.detune[code + 4][key] = truncateSaturated(-amount);
        }
    }

    for (int32_t r = 0; r < 4; ++r) chip.attackSteps[r] = chip.decaySteps[r] = 0;
    for (int32_t r = 4; r < 64; ++r) {
        const double fraction = r < 60 ? 1.0 + (r & 3) * 0.25 : 1.0;
        const double step = base * fraction * std::ldexp(1.0, (r >> 2) - 1) * 268435456.0;
        chip.attackSteps[r] = truncateSaturated(std::fmin(step / kAttackDivisor, kMaxEnvelopeStep));
        chip.decaySteps[r] = truncateSaturated(std::fmin(step / kDecayDivisor, kMaxEnvelopeStep));
    }
    // The two fastest attack rates reach full level on the next sample.
    chip.attackSteps[62] = chip.attackSteps[63] = kEnvelopeDecayStart;
    for (int32_t r = 64; r < kRateEntries; ++r) {
        chip.attackSteps[r] = chip.attackSteps[63];
        chip.decaySteps[r] = chip.decaySteps[63];
    }

    for (int32_t i = 0; i < 2048; ++i) chip.frequencyTable[i] = truncateWrapped(i * base * 512.0);
    for (int32_t i = 0; i < 8; ++i) chip.lfoSteps[i] = truncateWrapped(kLfoSourceFrequency[i] * base);
}

}  // namespace vimo::FmSynth
