// The envelope generator, SSG-EG and the LFO, measured on the output against
// the chip's documented behaviour: sustain levels in 3 dB steps, rates that
// double every four steps of the effective rate (2 × R + key-scale value),
// key scaling by KS, AM depths of 1.4, 5.9 and 11.8 dB, PM depths in cents
// and LFO frequencies of 3.98 … 72.2 Hz at an 8 MHz clock (scaled to the
// console's clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fm_test_support.h"
#include "sound/fm_synth.h"

namespace vimo::test {
namespace {

// A carrier near 1 kHz: F-number 1230, block 5.
constexpr uint32_t kFnumber = 1230;
constexpr uint32_t kBlock = 5;

class FmEnvelopeTest : public FmRateTest {
protected:
    double carrier() const { return fmFrequency(kFnumber, kBlock, 1); }

    // Amplitude per window of `cycles` carrier periods.
    std::vector<double> envelope(const Signal& signal, double cycles, double frequency) const {
        const size_t window = std::max<size_t>(1, static_cast<size_t>(std::lround(cycles * rate() / frequency)));
        return amplitudeEnvelope(signal, window);
    }
    double windowSeconds(double cycles, double frequency) const {
        return static_cast<double>(std::max<long>(1, std::lround(cycles * rate() / frequency))) / rate();
    }

    // Seconds until the amplitude first falls `db` below its first window.
    double timeToFall(const Signal& signal, double db, double frequency) const {
        const std::vector<double> env = envelope(signal, 3, frequency);
        if (env.empty()) return -1;
        const double threshold = env.front() * std::pow(10.0, -db / 20.0);
        for (size_t i = 0; i < env.size(); ++i)
            if (env[i] < threshold) return (static_cast<double>(i) + 0.5) * windowSeconds(3, frequency);
        return -1;
    }

    Signal playDecay(FmOperatorSetting op, uint32_t fnumber, uint32_t block, double seconds) {
        EXPECT_EQ(FmSynth::reset(0), 0);
        FmVoice voice = sineVoice(fnumber, block);
        voice.op[3] = op;
        fmLoadVoice(0, voice);
        fmRender(rate(), 1);   // the new key code reaches the envelope rates
        fmKey(0, 0xF);
        return fmRender(rate(), samples(seconds)).left;
    }
};

// SL n holds the decayed note 3n dB down (SL 0-14); SL 15 is 93 dB, below what
// the chip renders.
TEST_P(FmEnvelopeTest, SustainLevelStepsAreThreeDecibels) {
    for (uint8_t sl = 0; sl <= 15; ++sl) {
        FmOperatorSetting op;
        op.tl = 0;
        op.d1r = 31;
        op.sl = sl;
        const Signal out = playDecay(op, kFnumber, kBlock, 0.2);
        const Signal held = slice(out, samples(0.1), samples(0.1));
        if (sl == 15) {
            EXPECT_EQ(peak(held), 0.0);
            continue;
        }
        EXPECT_NEAR(decibels(toneAmplitude(held, carrier(), rate()), 16383.0), -3.0 * sl, 0.15) << "SL " << int{sl};
    }
}

// Each increase of the effective rate by 4 doubles the speed; D1R counts in
// steps of 2.
TEST_P(FmEnvelopeTest, DecayRateDoublesEveryFourRateSteps) {
    FmOperatorSetting op;
    op.tl = 0;
    op.sl = 15;
    op.d1r = 14;
    const double slow = timeToFall(playDecay(op, kFnumber, kBlock, 0.6), 24, carrier());
    op.d1r = 16;
    const double fast = timeToFall(playDecay(op, kFnumber, kBlock, 0.6), 24, carrier());
    ASSERT_GT(fast, 0);
    EXPECT_NEAR(slow / fast, 2.0, 0.1);
}

// The key-scale value adds key code >> (3 − KS) to the rate: at key code 5
// (block 1, F-number 896-1023) KS 3 adds 5 and KS 1 adds 1, four rate steps
// apart, so KS 3 decays twice as fast.
TEST_P(FmEnvelopeTest, KeyScalingRaisesTheRateWithTheKeyCode) {
    const uint32_t fnumber = 1000;
    const uint32_t block = 1;
    const double f = fmFrequency(fnumber, block, 15);
    FmOperatorSetting op;
    op.tl = 0;
    op.sl = 15;
    op.mul = 15;
    op.d1r = 14;
    op.ks = 1;
    const double slow = timeToFall(playDecay(op, fnumber, block, 0.6), 24, f);
    op.ks = 3;
    const double fast = timeToFall(playDecay(op, fnumber, block, 0.6), 24, f);
    ASSERT_GT(fast, 0);
    EXPECT_NEAR(slow / fast, 2.0, 0.12);
}

TEST_P(FmEnvelopeTest, AttackRateZeroIsNeverHeard) {
    FmOperatorSetting op;
    op.tl = 0;
    op.ar = 0;
    EXPECT_EQ(peak(playDecay(op, kFnumber, kBlock, 0.3)), 0.0);
}

TEST_P(FmEnvelopeTest, KeyOffReleasesAtTheReleaseRate) {
    // RR 15 fades out within 10 ms; RR 0 never.
    for (uint8_t rr : {uint8_t{15}, uint8_t{0}}) {
        FmOperatorSetting op;
        op.tl = 0;
        op.rr = rr;
        const Signal before = playDecay(op, kFnumber, kBlock, 0.05);
        fmKey(0, 0);
        const Signal after = fmRender(rate(), samples(0.1)).left;
        if (rr == 15) {
            EXPECT_EQ(peak(slice(after, samples(0.01), samples(0.09))), 0.0);
        } else {
            EXPECT_NEAR(decibels(toneAmplitude(slice(after, samples(0.05), samples(0.05)), carrier(), rate()),
                                 toneAmplitude(before, carrier(), rate())),
                        0.0, 0.1);
        }
    }
}

// A key off during the attack continues from the level reached, on the decay
// part of the curve: no jump.
TEST_P(FmEnvelopeTest, KeyOffDuringTheAttackContinuesFromTheSameLevel) {
    FmOperatorSetting op;
    op.tl = 0;
    op.ar = 8;
    op.rr = 3;
    const Signal before = playDecay(op, kFnumber, kBlock, 0.15);
    fmKey(0, 0);
    const Signal after = fmRender(rate(), samples(0.2)).left;
    const std::vector<double> a = envelope(before, 3, carrier());
    const std::vector<double> b = envelope(after, 3, carrier());
    ASSERT_FALSE(a.empty());
    ASSERT_GE(b.size(), 2u);
    EXPECT_GT(a.back(), 16383.0 * 0.05);   // still rising, well above silence
    EXPECT_LT(a.back(), 16383.0 * 0.9);
    EXPECT_NEAR(decibels(b.front(), a.back()), 0.0, 1.0);
    EXPECT_LT(b.back(), b.front());
}

// A key on while the slot still sounds neither restarts its envelope nor its
// phase; after a key off, it does.
TEST_P(FmEnvelopeTest, KeyOnRestartsOnlyAReleasedSlot) {
    FmOperatorSetting op;
    op.tl = 0;
    op.d1r = 12;
    op.sl = 15;
    const Signal first = playDecay(op, kFnumber, kBlock, 0.3);
    const double decayed = toneAmplitude(slice(first, samples(0.25), samples(0.05)), carrier(), rate());
    fmKey(0, 0xF);
    const double stillDecayed = toneAmplitude(fmRender(rate(), samples(0.05)).left, carrier(), rate());
    EXPECT_LT(stillDecayed, decayed);

    fmKey(0, 0);
    fmRender(rate(), samples(0.05));
    fmKey(0, 0xF);
    const Signal restarted = fmRender(rate(), samples(0.02)).left;
    EXPECT_NEAR(envelope(restarted, 3, carrier()).front(), 16383.0, 16383.0 * 0.05);
}

// SSG-EG shapes (bit 3 on): bit 2 starts on the inverted part, bit 1
// alternates, bit 0 holds. With repeat (bit 0 clear, bit 1 clear) the envelope
// runs its ramp over and over at a steady period.
TEST_P(FmEnvelopeTest, SsgRepeatRestartsTheRampAtASteadyPeriod) {
    for (uint8_t ssg : {uint8_t{0x8}, uint8_t{0xC}}) {
        FmOperatorSetting op;
        op.tl = 0;
        op.d1r = 22;   // the falling ramp of 0x8
        op.d2r = 22;   // the rising ramp of 0xC
        op.ssg = ssg;
        const Signal out = playDecay(op, kFnumber, kBlock, 1.0);
        const std::vector<double> env = envelope(out, 1, carrier());
        // The ramp passes the 10 % level gradually one way and jumps back over it
        // at each restart.
        const double level = 16383.0 * 0.1;
        std::vector<size_t> restarts;
        for (size_t i = 1; i < env.size(); ++i) {
            const bool up = env[i - 1] < level && env[i] >= level;
            const bool down = env[i - 1] >= level && env[i] < level;
            if (ssg == 0x8 ? up : down) restarts.push_back(i);
        }
        ASSERT_GE(restarts.size(), 4u) << "SSG " << int{ssg};
        std::vector<double> periods;
        for (size_t i = 1; i < restarts.size(); ++i) periods.push_back(static_cast<double>(restarts[i] - restarts[i - 1]));
        const auto [shortest, longest] = std::minmax_element(periods.begin(), periods.end());
        EXPECT_LE(*longest - *shortest, 1.0) << "SSG " << int{ssg};
        // Between restarts (away from the windows the restarts fall in) the ramp
        // only goes one way.
        for (size_t i = restarts[0] + 2; i + 1 < restarts[1]; ++i) {
            if (ssg == 0x8) {
                EXPECT_LE(env[i], env[i - 1] * 1.05 + 1) << "window " << i;
            }
            if (ssg == 0xC) {
                EXPECT_GE(env[i] * 1.05 + 1, env[i - 1]) << "window " << i;
            }
        }
    }
}

// Alternate (0xA): down and up again without jumps, a triangle.
TEST_P(FmEnvelopeTest, SsgAlternateTurnsAroundWithoutJumps) {
    FmOperatorSetting op;
    op.tl = 0;
    op.d1r = 22;
    op.d2r = 22;
    op.ssg = 0xA;
    const std::vector<double> env = envelope(playDecay(op, kFnumber, kBlock, 1.0), 1, carrier());
    int32_t turns = 0;
    for (size_t i = 1; i < env.size(); ++i) {
        // Above −40 dB the level never changes by more than 6 dB per window.
        if (env[i] > 16383.0 * 0.01 && env[i - 1] > 16383.0 * 0.01) {
            EXPECT_LT(std::fabs(decibels(env[i], env[i - 1])), 6.0) << "window " << i;
        }
        if (i + 1 < env.size() && env[i] > env[i - 1] && env[i] >= env[i + 1] && env[i] > 16383.0 * 0.9) ++turns;
    }
    EXPECT_GE(turns, 2);
}

// Hold (bit 0): after the first ramp the level stays where it is.
TEST_P(FmEnvelopeTest, SsgHoldKeepsTheLevelAfterTheFirstRamp) {
    for (uint8_t ssg : {uint8_t{0x9}, uint8_t{0xB}, uint8_t{0xD}, uint8_t{0xF}}) {
        FmOperatorSetting op;
        op.tl = 0;
        op.d1r = 24;
        op.d2r = 24;
        op.ssg = ssg;
        const Signal out = playDecay(op, kFnumber, kBlock, 0.6);
        const std::vector<double> env = envelope(slice(out, samples(0.3), samples(0.3)), 3, carrier());
        ASSERT_FALSE(env.empty());
        const auto [low, high] = std::minmax_element(env.begin(), env.end());
        EXPECT_LE(*high - *low, 16383.0 * 0.01) << "SSG " << int{ssg};
    }
}

// A key off while the slot is on the inverted part silences it on the very
// next sample.
TEST_P(FmEnvelopeTest, KeyOffOnTheInvertedPartSilencesAtOnce) {
    FmOperatorSetting op;
    op.tl = 0;
    op.d2r = 20;
    op.ssg = 0xC;   // starts rising on the inverted part
    const Signal rising = playDecay(op, kFnumber, kBlock, 0.1);
    ASSERT_GT(peak(slice(rising, samples(0.05), samples(0.05))), 100.0);
    fmKey(0, 0);
    EXPECT_EQ(peak(fmRender(rate(), 64).left), 0.0);
}

class FmLfoTest : public FmEnvelopeTest {
protected:
    Signal playModulated(uint8_t lfo, uint8_t ams, uint8_t pms, uint8_t am, double seconds) {
        EXPECT_EQ(FmSynth::reset(0), 0);
        FmVoice voice = sineVoice(kFnumber, kBlock);
        voice.ams = ams;
        voice.pms = pms;
        voice.op[3].am = am;
        fmLoadVoice(0, voice);
        fmWrite(0, 0x22, lfo);
        fmRender(rate(), 1);
        fmKey(0, 0xF);
        return fmRender(rate(), samples(seconds)).left;
    }
};

// AMS 1, 2, 3: 1.4, 5.9 and 11.8 dB from the loudest to the softest point.
TEST_P(FmLfoTest, AmplitudeModulationDepthFollowsAms) {
    const double documented[4] = {0.0, 1.4, 5.9, 11.8};
    for (uint8_t ams = 0; ams <= 3; ++ams) {
        const Signal out = playModulated(0x08, ams, 0, 1, 0.6);   // LFO on at 3.98 Hz
        const std::vector<double> env = envelope(out, 2, carrier());
        const auto [low, high] = std::minmax_element(env.begin(), env.end());
        EXPECT_NEAR(decibels(*high, *low), documented[ams], 0.25) << "AMS " << int{ams};
    }
    // An operator without its AM bit is not modulated.
    const std::vector<double> env = envelope(playModulated(0x08, 3, 0, 0, 0.6), 5, carrier());
    const auto [low, high] = std::minmax_element(env.begin(), env.end());
    EXPECT_NEAR(decibels(*high, *low), 0.0, 0.05);
}

// The LFO frequencies of the chip's documentation are for an 8 MHz clock; at
// the console's clock each is scaled by clock / 8 MHz.
TEST_P(FmLfoTest, LfoFrequencyFollowsTheRateCode) {
    const double documented[8] = {3.98, 5.56, 6.02, 6.37, 6.88, 9.63, 48.1, 72.2};
    for (uint8_t code : {uint8_t{0}, uint8_t{2}, uint8_t{5}, uint8_t{6}}) {
        const Signal out = playModulated(static_cast<uint8_t>(0x08 | code), 3, 0, 1, 2.5);
        const double window = windowSeconds(1, carrier());
        const std::vector<double> env = envelope(out, 1, carrier());
        const double measured = zeroCrossingFrequency(env, 1.0 / window);
        const double expected = documented[code] * kFmClock / 8000000.0;
        EXPECT_NEAR(measured, expected, expected * 0.02) << "LFO rate " << int{code};
    }
}

// PMS 7 swings the pitch by about ±80 cents, PMS 4 by ±14; PMS 0 not at all.
// The pitch is measured over 10 ms windows of a 3.98 Hz LFO.
TEST_P(FmLfoTest, PhaseModulationDepthFollowsPms) {
    struct Case {
        uint8_t pms;
        double cents;
        double tolerance;
    };
    for (const Case& c : {Case{7, 80, 10}, Case{4, 14, 3}, Case{0, 0, 0.5}}) {
        const Signal out = playModulated(0x08, 0, c.pms, 0, 0.6);
        const size_t window = samples(0.01);
        double highest = -1e9;
        double lowest = 1e9;
        for (size_t first = 0; first + window <= out.size(); first += window / 2) {
            const double f = zeroCrossingFrequency(slice(out, first, window), rate());
            const double cents = 1200.0 * std::log2(f / carrier());
            highest = std::max(highest, cents);
            lowest = std::min(lowest, cents);
        }
        EXPECT_NEAR(highest, c.cents, c.tolerance) << "PMS " << int{c.pms};
        EXPECT_NEAR(lowest, -c.cents, c.tolerance) << "PMS " << int{c.pms};
    }
}

// Switching the LFO off (0x22 bit 3 clear) takes its modulation away from the
// next rendering on: the note plays at full level, unmodulated.
TEST_P(FmLfoTest, LfoOffRemovesTheModulation) {
    const std::vector<double> modulated = envelope(playModulated(0x08, 3, 7, 1, 0.3), 5, carrier());
    const auto [softest, loudest] = std::minmax_element(modulated.begin(), modulated.end());
    ASSERT_GT(decibels(*loudest, *softest), 5.0);
    fmWrite(0, 0x22, 0x00);
    const Signal plain = fmRender(rate(), samples(0.3)).left;
    const std::vector<double> env = envelope(plain, 5, carrier());
    const auto [low, high] = std::minmax_element(env.begin(), env.end());
    EXPECT_NEAR(decibels(*high, *low), 0.0, 0.05);
    EXPECT_NEAR(*high, 16383.0, 16383.0 * 0.02);
    EXPECT_NEAR(zeroCrossingFrequency(plain, rate()), carrier(), carrier() * 0.002);
}

INSTANTIATE_TEST_SUITE_P(Rates, FmEnvelopeTest, ::testing::ValuesIn(kSampleRates));
INSTANTIATE_TEST_SUITE_P(Rates, FmLfoTest, ::testing::ValuesIn(kSampleRates));

}  // namespace
}  // namespace vimo::test
