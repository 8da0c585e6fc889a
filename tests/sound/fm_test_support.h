// Driving the FM chip at register level, as a sound program would: voices,
// key on and off, and rendering in the per-line pieces the machine uses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "signal_analysis.h"

namespace vimo::test {

// The chip's frequency formula: an F-number and block give
// F × 2^(block − 1) × (clock / 144) / 2^20 Hz, times MUL (one half for MUL 0).
double fmFrequency(uint32_t fnumber, uint32_t block, uint32_t mul);

// Register fields of one operator, named as in the chip's register map.
struct FmOperatorSetting {
    uint8_t dt = 0;
    uint8_t mul = 1;
    uint8_t tl = 127;    // silent unless set
    uint8_t ks = 0;
    uint8_t ar = 31;     // full level at once
    uint8_t am = 0;
    uint8_t d1r = 0;
    uint8_t d2r = 0;
    uint8_t sl = 0;
    uint8_t rr = 15;
    uint8_t ssg = 0;
};

struct FmVoice {
    FmOperatorSetting op[4];   // op1, op2, op3, op4
    uint8_t algorithm = 7;
    uint8_t feedback = 0;
    bool left = true;
    bool right = true;
    uint8_t ams = 0;
    uint8_t pms = 0;
    uint32_t fnumber = 0;
    uint32_t block = 0;
};

// Initialises one chip at the clock of the console and a rate; shuts the
// synthesiser down when it goes.
class FmSession {
public:
    explicit FmSession(uint32_t rate);
    ~FmSession();
    FmSession(const FmSession&) = delete;
    FmSession& operator=(const FmSession&) = delete;
    bool ok() const { return ok_; }
    uint32_t rate() const { return rate_; }

private:
    bool ok_ = false;
    uint32_t rate_ = 0;
};

// Register write to part 0 or 1 through the address and data ports.
void fmWrite(uint32_t part, uint32_t reg, uint32_t value);
// The register of operator op (1-4) of channel (0-5) in a slot group (0x30-0x90).
void fmWriteOperator(int32_t channel, int32_t op, uint32_t group, uint32_t value);
void fmLoadVoice(int32_t channel, const FmVoice& voice);
void fmSetFrequency(int32_t channel, uint32_t fnumber, uint32_t block);
// Register 0x28 for a channel 0-5; opMask bit 0 op1 … bit 3 op4.
void fmKey(int32_t channel, uint32_t opMask);

struct StereoSignal {
    Signal left;
    Signal right;
};

// Renders `samples` samples, split into the pieces a frame's 262 lines take at
// the rate (rate / 60 samples per frame).
StereoSignal fmRender(uint32_t rate, size_t samples);

// A plain sine voice: operator op4 of algorithm 7 at full level.
FmVoice sineVoice(uint32_t fnumber, uint32_t block, uint32_t mul = 1);

// Per-window amplitude (RMS × √2) of a signal, in windows of `window` samples.
std::vector<double> amplitudeEnvelope(const Signal& signal, size_t window);

// The output rates of the system; every chip test runs at each of them.
inline constexpr uint32_t kSampleRates[] = {8000, 11025, 22050, 44100};

// A test with a fresh chip at the rate of its parameter.
class FmRateTest : public ::testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override {
        session_ = std::make_unique<FmSession>(GetParam());
        ASSERT_TRUE(session_->ok());
    }
    void TearDown() override { session_.reset(); }
    uint32_t rate() const { return GetParam(); }
    // Samples in a duration.
    size_t samples(double seconds) const { return static_cast<size_t>(seconds * GetParam()); }

private:
    std::unique_ptr<FmSession> session_;
};

}  // namespace vimo::test
