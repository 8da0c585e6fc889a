// The FM chip's pitch, level, pan and DAC, measured on its output and compared
// with the chip's documented formulas: frequency = F-number × 2^(block − 1) ×
// (clock / 144) / 2^20 × MUL, 0.75 dB per total-level step, pan bits 7 (left)
// and 6 (right) of 0xB4-0xB6, the DAC as an 8-bit unsigned sample on channel 6.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fm_test_support.h"
#include "sound/fm_synth.h"

namespace vimo::test {
namespace {

// A carrier at full level swings ±(2^26 − 1) inside the chip and ±16383 at the
// output (14 bits plus sign, leaving room for six channels).
constexpr double kFullCarrier = 16383.0;

class FmToneTest : public FmRateTest {};

struct PitchCase {
    uint32_t fnumber;
    uint32_t block;
    uint32_t mul;
};

// Frequency by zero crossings over one second; the tolerance covers the
// truncation of the chip's frequency table (below 0.1 %) and the measurement.
TEST_P(FmToneTest, CarrierFrequencyFollowsFnumberBlockAndMultiple) {
    const PitchCase cases[] = {
        {617, 4, 1},  {1000, 3, 1}, {0x400, 2, 0}, {700, 5, 2},
        {1200, 2, 3}, {1500, 5, 1}, {300, 1, 1},   {0x7FF, 3, 1},
    };
    for (const PitchCase& c : cases) {
        ASSERT_EQ(FmSynth::reset(0), 0);
        fmLoadVoice(0, sineVoice(c.fnumber, c.block, c.mul));
        fmKey(0, 0xF);
        const StereoSignal out = fmRender(rate(), samples(1.0));
        const double expected = fmFrequency(c.fnumber, c.block, c.mul);
        EXPECT_NEAR(zeroCrossingFrequency(out.left, rate()), expected, expected * 0.002)
            << "F-number " << c.fnumber << " block " << c.block << " MUL " << c.mul;
    }
}

TEST_P(FmToneTest, EveryChannelOfBothPartsPlaysItsOwnPitch) {
    for (int32_t channel = 0; channel < 6; ++channel) {
        ASSERT_EQ(FmSynth::reset(0), 0);
        const uint32_t fnumber = 500 + 100 * static_cast<uint32_t>(channel);
        fmLoadVoice(channel, sineVoice(fnumber, 4));
        fmKey(channel, 0xF);
        const StereoSignal out = fmRender(rate(), samples(0.5));
        const double expected = fmFrequency(fnumber, 4, 1);
        EXPECT_NEAR(zeroCrossingFrequency(out.left, rate()), expected, expected * 0.002) << "channel " << channel;
    }
}

// In channel 3's special mode (0x27 bit 6) op1 takes its pitch from 0xA9/0xAD,
// op2 from 0xAA/0xAE, op3 from 0xA8/0xAC and op4 from the channel's own
// 0xA2/0xA6.
TEST_P(FmToneTest, Channel3SpecialModeGivesEachOperatorItsOwnPitch) {
    struct Special {
        int32_t op;
        uint32_t fnumber;
        uint32_t block;
    };
    const Special specials[] = {{1, 600, 3}, {2, 700, 4}, {3, 900, 3}, {4, 1100, 4}};
    for (bool specialMode : {true, false}) {
        for (const Special& s : specials) {
            ASSERT_EQ(FmSynth::reset(0), 0);
            FmVoice voice = sineVoice(1100, 4);
            voice.op[3].tl = 127;
            voice.op[s.op - 1].tl = 0;
            fmLoadVoice(2, voice);
            fmWrite(0, 0xAD, (3u << 3) | (600 >> 8));
            fmWrite(0, 0xA9, 600 & 0xFF);
            fmWrite(0, 0xAE, (4u << 3) | (700 >> 8));
            fmWrite(0, 0xAA, 700 & 0xFF);
            fmWrite(0, 0xAC, (3u << 3) | (900 >> 8));
            fmWrite(0, 0xA8, 900 & 0xFF);
            fmWrite(0, 0x27, specialMode ? 0x40 : 0x00);
            fmKey(2, 0xF);
            const StereoSignal out = fmRender(rate(), samples(0.5));
            const double expected = specialMode ? fmFrequency(s.fnumber, s.block, 1) : fmFrequency(1100, 4, 1);
            EXPECT_NEAR(zeroCrossingFrequency(out.left, rate()), expected, expected * 0.002)
                << "op" << s.op << (specialMode ? " special" : " normal");
        }
    }
}

TEST_P(FmToneTest, PanSendsTheChannelLeftRightBothOrNowhere) {
    struct PanCase {
        bool left;
        bool right;
    };
    for (const PanCase& pan : {PanCase{true, false}, PanCase{false, true}, PanCase{true, true},
                               PanCase{false, false}}) {
        ASSERT_EQ(FmSynth::reset(0), 0);
        FmVoice voice = sineVoice(800, 4);
        voice.left = pan.left;
        voice.right = pan.right;
        fmLoadVoice(4, voice);
        fmKey(4, 0xF);
        const StereoSignal out = fmRender(rate(), samples(0.25));
        const double frequency = fmFrequency(800, 4, 1);
        const double left = toneAmplitude(out.left, frequency, rate());
        const double right = toneAmplitude(out.right, frequency, rate());
        // Full level on an enabled side (1 % for the window and the quantisation);
        // an off side receives nothing at all.
        if (pan.left) {
            EXPECT_NEAR(left, kFullCarrier, kFullCarrier * 0.01);
        } else {
            EXPECT_EQ(peak(out.left), 0.0);
        }
        if (pan.right) {
            EXPECT_NEAR(right, kFullCarrier, kFullCarrier * 0.01);
        } else {
            EXPECT_EQ(peak(out.right), 0.0);
        }
        if (pan.left && pan.right) {
            EXPECT_NEAR(decibels(left, right), 0.0, 0.01);
        }
    }
}

// Each total-level step attenuates by 0.75 dB, measured down to 40 steps
// (30 dB). This chip spreads the 127 steps over the whole 96 dB of its level
// scale (TL 127 is level 4095), 0.756 dB a step, so the tolerance is 0.1 dB
// plus 1 % of the attenuation. TL 127 is below what the chip renders: silence.
TEST_P(FmToneTest, TotalLevelStepsAttenuateByThreeQuartersOfADecibel) {
    const double frequency = fmFrequency(800, 4, 1);
    double reference = 0;
    for (uint32_t tl : {0u, 1u, 2u, 3u, 4u, 8u, 16u, 24u, 32u, 40u}) {
        ASSERT_EQ(FmSynth::reset(0), 0);
        FmVoice voice = sineVoice(800, 4);
        voice.op[3].tl = static_cast<uint8_t>(tl);
        fmLoadVoice(0, voice);
        fmKey(0, 0xF);
        const double amplitude = toneAmplitude(fmRender(rate(), samples(0.25)).left, frequency, rate());
        if (tl == 0) {
            reference = amplitude;
            EXPECT_NEAR(amplitude, kFullCarrier, kFullCarrier * 0.01);
            continue;
        }
        EXPECT_NEAR(decibels(amplitude, reference), -0.75 * tl, 0.1 + 0.0075 * tl) << "TL " << tl;
    }

    ASSERT_EQ(FmSynth::reset(0), 0);
    FmVoice voice = sineVoice(800, 4);
    voice.op[3].tl = 127;
    fmLoadVoice(0, voice);
    fmKey(0, 0xF);
    EXPECT_EQ(peak(fmRender(rate(), samples(0.1)).left), 0.0);
}

// Six channels of four full-level carriers in phase exceed the 16-bit range
// many times over: the output saturates and never wraps to the other sign.
TEST_P(FmToneTest, SixLoudChannelsSaturateInsteadOfWrapping) {
    FmVoice voice = sineVoice(800, 4);
    for (FmOperatorSetting& op : voice.op) op.tl = 0;
    for (int32_t channel = 0; channel < 6; ++channel) fmLoadVoice(channel, voice);
    for (int32_t channel = 0; channel < 6; ++channel) fmKey(channel, 0xF);
    const StereoSignal out = fmRender(rate(), samples(0.1));

    double highest = 0;
    double lowest = 0;
    const double w = 2.0 * std::numbers::pi * fmFrequency(800, 4, 1) / rate();
    for (size_t i = 0; i < out.left.size(); ++i) {
        highest = std::max(highest, out.left[i]);
        lowest = std::min(lowest, out.left[i]);
        // The sine starts at phase 0 on the first sample: away from its zero
        // crossings the output has the sine's sign.
        const double ideal = std::sin(w * static_cast<double>(i + 1));
        if (ideal > 0.2) {
            EXPECT_GT(out.left[i], 0.0) << "sample " << i;
        }
        if (ideal < -0.2) {
            EXPECT_LT(out.left[i], 0.0) << "sample " << i;
        }
    }
    EXPECT_EQ(highest, 32767.0);
    EXPECT_EQ(lowest, -32768.0);
}

// The DAC: register 0x2B bit 7 switches channel 6 over to the 8-bit unsigned
// sample of register 0x2A, 0x80 being the centre; one step is 128 at the
// output, on both sides after a reset.
TEST_P(FmToneTest, DacPlaysItsUnsignedSampleInPlaceOfChannel6) {
    fmWrite(0, 0x2B, 0x80);
    for (uint32_t value : {0x00u, 0x01u, 0x40u, 0x7Fu, 0x80u, 0xC0u, 0xFFu}) {
        fmWrite(0, 0x2A, value);
        const StereoSignal out = fmRender(rate(), 16);
        const double expected = (static_cast<double>(value) - 128.0) * 128.0;
        for (size_t i = 0; i < 16; ++i) {
            ASSERT_EQ(out.left[i], expected) << "value " << value;
            ASSERT_EQ(out.right[i], expected) << "value " << value;
        }
    }
    // Switched off, the sample is not heard.
    fmWrite(0, 0x2B, 0x00);
    EXPECT_EQ(peak(fmRender(rate(), 16).left), 0.0);
}

// A stream of DAC samples, one written per output sample as a sound driver
// would, comes out at its own frequency and amplitude.
TEST_P(FmToneTest, DacSampleStreamKeepsItsFrequencyAndLevel) {
    const double frequency = 441.0;
    const double amplitude = 100.0;   // in DAC steps
    fmWrite(0, 0x2B, 0x80);
    const size_t n = samples(0.5);
    Signal left(n);
    for (size_t i = 0; i < n; ++i) {
        const double value = 128.0 + amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate());
        fmWrite(0, 0x2A, static_cast<uint32_t>(std::lround(value)));
        int16_t l = 0;
        int16_t r = 0;
        FmSynth::update(0, {&l, &r}, 1);
        left[i] = l;
    }
    EXPECT_NEAR(zeroCrossingFrequency(left, rate()), frequency, frequency * 0.005);
    // Rounding to whole DAC steps costs at most half a step.
    EXPECT_NEAR(toneAmplitude(left, frequency, rate()), amplitude * 128.0, amplitude * 128.0 * 0.02);
}

TEST_P(FmToneTest, DacFollowsChannel6Pan) {
    fmWrite(1, 0xB6, 0x80);   // channel 6: left only
    fmWrite(0, 0x2B, 0x80);
    fmWrite(0, 0x2A, 0xFF);
    const StereoSignal out = fmRender(rate(), 8);
    EXPECT_EQ(out.left[0], 127.0 * 128.0);
    EXPECT_EQ(peak(out.right), 0.0);
}

// While the DAC is on, channel 6's operators stand still: a note keyed on
// then starts its attack only when the DAC is switched off again. (Each voice
// is rendered once before its key on, so that the key code of its new pitch
// has reached the envelope rates.)
TEST_P(FmToneTest, Channel6StandsStillWhileTheDacIsOn) {
    FmVoice voice = sineVoice(800, 4);
    voice.op[3].ar = 8;   // a slow attack
    fmLoadVoice(5, voice);
    fmRender(rate(), 1);
    fmWrite(0, 0x2B, 0x80);
    fmWrite(0, 0x2A, 0x80);
    fmKey(5, 0xF);
    const StereoSignal during = fmRender(rate(), samples(0.5));
    EXPECT_EQ(peak(during.left), 0.0);

    fmWrite(0, 0x2B, 0x00);
    const StereoSignal after = fmRender(rate(), samples(0.05));

    // The same note keyed on a fresh chip without the DAC.
    ASSERT_EQ(FmSynth::reset(0), 0);
    fmLoadVoice(5, voice);
    fmRender(rate(), 1);
    fmKey(5, 0xF);
    const StereoSignal fresh = fmRender(rate(), samples(0.05));
    EXPECT_EQ(after.left, fresh.left);
    EXPECT_GT(peak(fresh.left), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, FmToneTest, ::testing::ValuesIn(kSampleRates));

}  // namespace
}  // namespace vimo::test
