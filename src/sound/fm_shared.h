// The FM synthesiser's process-wide state, shared by its files: the chip
// array's look-up, the shared level, sine, envelope and LFO tables (built by
// FmSynth::init, freed by FmSynth::shutdown) and the conversions used to
// build the tables.
#pragma once

#include <cstdint>

#include "sound/fm_synth.h"

namespace vimo::FmSynth {

// ---- fm_chip.cpp ----

// The chip of that index, or null when there is none.
FmChip* findChip(int32_t index);

// ---- fm_tables.cpp ----

// Level table: entry i (0-6229) is the amplitude at attenuation level i,
// 67108863 (2^26 − 1) at level 0 and 0 from level 3328 on; entry 6230 + i is
// its negative. Null while no chip array exists.
extern int32_t* levelTable;

// Sine table: per phase step of a full wave, the level-table entry of the
// wave's own attenuation (6230 added on the negative half-wave), so that
// levelTable[sineTable[step] + level] is the operator's output.
extern int32_t sineTable[kSineEntries];

// Envelope curve by envelope counter >> 16: the attack part (0-4095), the decay
// part (4096-8191) and the inverted part of SSG-EG (8192-12287).
extern int32_t envelopeCurve[kEnvelopeCurveEntries];

// LFO wave: a triangle 0 … 65536 … 256 over 512 entries.
extern int32_t lfoWave[kLfoWaveEntries];

// A step row of zeros, for rate 0.
extern const int32_t zeroRow[32];

// Table-building conversions, both truncating toward zero: saturating at the
// int32 range, or wrapping modulo 2^32 for phase-like values.
int32_t truncateSaturated(double value);
uint32_t truncateWrapped(double value);

}  // namespace vimo::FmSynth
