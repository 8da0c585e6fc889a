// The YM2612 FM synthesiser: six channels of four operators, the LFO, the DAC
// on channel 6 and the special frequencies of channel 3.
//
// The chip model is a set of free functions over process-wide chip records
// (FmSynth::init creates them, FmSynth::shutdown frees them), addressed by a
// chip index. The machine uses one chip, index 0.
//
// This header is the map of the chip: the records first, then the functions
// grouped by the file that defines them.
//
// Units: a level is an attenuation in steps of 0.0234375 dB (4096 steps are
// 96 dB, 0 is full level); an envelope counter walks 0x00000000-0x2FFFFFFF,
// its high 16 bits indexing the envelope curve; a phase is a 32-bit value that
// wraps, 2^24 of it being one period of the sine.
#pragma once

#include <cstdint>

#include "sound/stereo_buffers.h"

namespace vimo {

// ---- Fixed values ---------------------------------------------------------------

constexpr uint32_t kFmClock = 7670442;          // the console's YM2612 clock in Hz
constexpr int32_t kFmMaxChips = 4;              // init refuses larger arrays
constexpr int32_t kFmChannels = 6;
constexpr int32_t kFmSlots = 4;

// Slots are held in register order: op1 at register offset +0, op3 at +4,
// op2 at +8, op4 at +0xC.
constexpr int32_t kOp1 = 0;
constexpr int32_t kOp3 = 1;
constexpr int32_t kOp2 = 2;
constexpr int32_t kOp4 = 3;

// Feature flags of a chip; the YM2612 has both.
constexpr uint8_t kFmFeatureLfo = 0x01;          // registers 0x22, AM bits, 0xB4-0xB6
constexpr uint8_t kFmFeatureSixChannels = 0x02;  // bit 2 of register 0x28

// Envelope counter landmarks.
constexpr int32_t kEnvelopeDecayStart = 0x10000000;   // full level on the decay part
constexpr int32_t kEnvelopeSilent = 0x1FFFFFFF;       // the last decay entry
constexpr int32_t kEnvelopeNeverEnds = 0x20000000;    // end of a slot that went silent
constexpr int32_t kEnvelopeInvertedEnd = 0x30000000;  // end of the inverted (SSG) part

// The tables' sizes.
constexpr int32_t kLevelTableHalf = 6230;     // one sign of the level table
constexpr int32_t kLevelSilence = 3328;       // 78 dB: this level and beyond are silent
constexpr uint32_t kAudibleLevelLimit = 2901; // a slot is heard only below this level
constexpr int32_t kSineEntries = 2048;
constexpr int32_t kEnvelopeCurveEntries = 12288;
constexpr int32_t kLfoWaveEntries = 512;
constexpr int32_t kRateEntries = 94;          // 2 × rate + key-scale value, 0-93

// The phase of a slot's envelope, named after the handler that ends it.
enum class EnvelopePhase : uint8_t {
    Attack,       // ended by FmSynth::endAttack
    Decay,        // FmSynth::endDecay
    Sustain,      // FmSynth::endSustain
    Release,      // FmSynth::endRelease; also the off state, the only one that keys on
    SsgAttack,    // FmSynth::endSsgAttack
    SsgDecay,     // FmSynth::endSsgDecay
    SsgInverted,  // FmSynth::endSsgInverted
};

// Handlers given to FmSynth::init. The chip's own timers count no time (the
// machine keeps the timers), so neither is ever called with a new state in
// this system; they are kept for the chip's interface.
using FmTimerHandler = void (*)(int32_t chip, int32_t timer, double period);
using FmIrqHandler = void (*)(int32_t chip, int32_t line);

// ---- Records ------------------------------------------------------------------

// One operator.
struct FmSlot {
    const int32_t* detuneRow;       // 32 entries, by key code
    int32_t totalLevel;             // as written, 0-4095
    uint8_t keyScaleShift;          // 3 − KS
    const int32_t* attackRow;       // rows into the step tables, by key-scale value
    const int32_t* firstDecayRow;
    const int32_t* secondDecayRow;
    int32_t sustainLevel;           // an envelope counter value
    const int32_t* releaseRow;
    uint8_t ssgEg;                  // 4 bits
    uint8_t keyScaleValue;          // key code >> key-scale shift
    int32_t multiple;               // twice MUL, 1 for MUL 0
    uint32_t phase;                 // wraps modulo 2^32
    int32_t phaseIncrement;
    EnvelopePhase envelopePhase;
    int32_t envelopeCounter;
    int32_t envelopeEnd;
    int32_t envelopeStep;
    int32_t attackStep;             // the rows read at the current key-scale value
    int32_t firstDecayStep;
    int32_t secondDecayStep;
    int32_t releaseStep;
    int32_t totalLevelInUse;
    uint8_t amOn;
    int32_t amDepth;                // AM on × the channel's AMS depth
};

// One channel.
struct FmChannel {
    FmSlot slots[kFmSlots];         // register order: op1, op3, op2, op4
    uint8_t pan;                    // bit 1 left, bit 0 right
    uint8_t algorithm;              // 0-7; selects the routes (kAlgorithmRoutes)
    uint8_t feedbackShift;          // 0 = no feedback, else 9 − FB
    int32_t op1Output;              // op1's last output
    int32_t op1OutputBefore;        // and the one before it
    int32_t pmsDepth;
    int32_t amsDepth;
    uint32_t baseFrequency;
    uint8_t keyCode;                // block × 4 + key-code bits
    bool incrementsStale;           // the phase increments are recomputed at the next update
};

// One chip.
struct FmChip {
    uint8_t features;
    uint8_t index;
    uint32_t clock;                 // input clock in Hz
    uint32_t rate;                  // output sample rate in Hz
    double frequencyBase;           // clock / rate / 144; 0 when the rate or clock is 0
    double timerBase;               // seconds per timer step (not read)
    uint8_t addressLatch;           // part 0 register number
    uint8_t irqLine;
    uint8_t irqMask;
    uint8_t status;                 // the chip's own timer flags (stay 0)
    uint8_t mode;                   // register 0x27
    uint8_t frequencyLatch;         // 0xA4-0xA6, shared by every channel of both parts
    uint32_t timerAValue;           // 10 bits
    int32_t timerACount;            // stays 0: the chip's timers count no time
    uint8_t timerBValue;
    int32_t timerBCount;
    int32_t detune[8][32];          // by detune code and key code
    int32_t attackSteps[kRateEntries];
    int32_t decaySteps[kRateEntries];
    FmTimerHandler timerHandler;
    FmIrqHandler irqHandler;
    uint32_t specialBaseFrequency[3];  // channel 3, registers 0xA8-0xAA
    uint8_t specialLatch;              // 0xAC-0xAE
    uint8_t specialKeyCode[3];
    uint32_t frequencyTable[2048];  // by 11-bit F-number
    uint32_t lfoCounter;            // 32-bit LFO phase
    uint32_t lfoStep;               // per-sample step, 0 = LFO off
    uint32_t lfoSteps[8];           // by LFO rate code
    FmChannel channels[kFmChannels];
    uint32_t part1AddressLatch;
    uint32_t dacEnable;             // 0 or 0x80
    int32_t dacSample;              // (data − 128) × 2^19
};

// Where an operator's output goes.
enum class FmRoute : uint8_t {
    M2,    // the phase input of op2
    M3,    // of op3
    M4,    // of op4
    M234,  // of op2, op3 and op4 at once
    Out,   // the pan sum selected by the channel's pan
};

// Routes of op1, op2, op3 and op4 by algorithm: the eight connections of the
// chip's four operators.
constexpr FmRoute kAlgorithmRoutes[8][4] = {
    {FmRoute::M2, FmRoute::M3, FmRoute::M4, FmRoute::Out},
    {FmRoute::M3, FmRoute::M3, FmRoute::M4, FmRoute::Out},
    {FmRoute::M4, FmRoute::M3, FmRoute::M4, FmRoute::Out},
    {FmRoute::M2, FmRoute::M4, FmRoute::M4, FmRoute::Out},
    {FmRoute::M2, FmRoute::Out, FmRoute::M4, FmRoute::Out},
    {FmRoute::M234, FmRoute::Out, FmRoute::Out, FmRoute::Out},
    {FmRoute::M2, FmRoute::Out, FmRoute::Out, FmRoute::Out},
    {FmRoute::Out, FmRoute::Out, FmRoute::Out, FmRoute::Out},
};

namespace FmSynth {

// ---- fm_chip.cpp: the chip array, initialisation, reset, ports -------------------

// Creates `count` chips (1 to kFmMaxChips) at the given clock and output rate and
// resets them. 0, or −1 when a chip array already exists (it stays), the count
// is out of range, or an allocation fails (then no chip array remains).
int32_t init(int32_t count, uint32_t clock, uint32_t rate, FmTimerHandler timerHandler,
             FmIrqHandler irqHandler);
// Frees the chip array and the shared tables. Nothing happens without an array.
void shutdown();
// Resets one chip. 0, or −1 without such a chip.
int32_t reset(int32_t chip);
// A byte to port 0-3 (0 part-0 address, 1 part-0 data, 2 part-1 address,
// 3 part-1 data); only the low 8 bits of `data` reach the chip. Returns the
// IRQ line, 0 without such a chip.
uint8_t write(int32_t chip, uint32_t port, uint32_t data);
// The status byte, for every port; 0 without such a chip.
uint8_t read(int32_t chip, uint32_t port);
// The chip record, read-only, or null without such a chip.
const FmChip* chipState(int32_t chip);

// ---- fm_registers.cpp: register decoding, key on and off --------------------------

void writeMode(FmChip& chip, uint32_t reg, uint32_t data);      // part 0, 0x20-0x2F
void writeRegister(FmChip& chip, uint32_t reg, uint32_t data);  // 0x30-0xBF, 0x100 set for part 1
void keyOn(FmSlot& slot);
void keyOff(FmSlot& slot);
void setAlgorithm(FmChannel& channel, uint32_t algorithm);

// ---- fm_tables.cpp: shared tables and the per-chip tables ---------------------------

// Fills the LFO wave and then builds the other shared tables. 0, or −1 when the
// level table cannot be allocated.
int32_t buildLfoTable();
int32_t buildTables();
void freeTables();
// The per-chip tables at the chip's frequency base.
void buildChipTables(FmChip& chip);

// ---- fm_envelope.cpp: the phase-end handlers ---------------------------------------

void endAttack(FmSlot& slot);
void endDecay(FmSlot& slot);
void endSustain(FmSlot& slot);
void endRelease(FmSlot& slot);
void endSsgAttack(FmSlot& slot);
void endSsgDecay(FmSlot& slot);
void endSsgInverted(FmSlot& slot);
// Runs the handler of the slot's current phase.
void endEnvelopePhase(FmSlot& slot);

// ---- fm_update.cpp: phase increments and sample generation --------------------------

// Adds n samples into buffers[0][0..n) and buffers[1][0..n), saturating at the
// 16-bit range. The machine passes the left buffer first.
void update(int32_t chip, StereoBuffers buffers, int32_t n);
void refreshChannelIncrements(FmChip& chip, int32_t channel);
void calcPhaseIncrement(FmSlot& slot, uint32_t baseFrequency, uint32_t keyCode);
// Returns maximum above it, minimum below it, else the value.
int32_t clamp(int32_t value, int32_t maximum, int32_t minimum);

}  // namespace FmSynth

}  // namespace vimo
