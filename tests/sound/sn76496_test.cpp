// The PSG measured on its output against the chip's documented behaviour: a
// tone of period register N plays at clock / (32 × N); each attenuation step
// is 2 dB and code 15 is off; the noise shifts at clock / 512, / 1024, / 2048
// or at tone 3's frequency, clock / (32 × N3). The noise patterns follow this
// chip's shift register: preset 0x0F35, periodic feedback into bit 14 (a
// pattern of 15 shifts), white feedback 0x12000.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "signal_analysis.h"
#include "sound/sn76496.h"

namespace vimo::test {
namespace {

constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100};

// The level of one channel at attenuation 0.
constexpr double kChannelLevel = 10922.0;

double toneFrequency(uint32_t period) {
    return kPsgClock / (32.0 * period);
}

class PsgTest : public ::testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override { ASSERT_EQ(psg.init(kPsgClock, rate(), 16), 0u); }
    uint32_t rate() const { return GetParam(); }
    size_t samples(double seconds) const { return static_cast<size_t>(seconds * rate()); }

    void setTone(uint32_t channel, uint32_t period) {
        psg.write(static_cast<uint8_t>(0x80 | channel << 5 | (period & 15)));
        psg.write(static_cast<uint8_t>((period >> 4) & 63));
    }
    void setAttenuation(uint32_t channel, uint32_t attenuation) {
        psg.write(static_cast<uint8_t>(0x90 | channel << 5 | attenuation));
    }
    void setNoise(uint32_t control) { psg.write(static_cast<uint8_t>(0xE0 | control)); }

    // Renders in the pieces of a frame's 262 lines, as the machine does.
    Signal render(size_t n) {
        std::vector<int16_t> buffer(n, 0);
        const uint32_t perFrame = rate() / 60;
        size_t done = 0;
        while (done < n) {
            uint32_t first = 0;
            for (uint32_t line = 0; line < 262 && done < n; ++line) {
                const uint32_t end = (line + 1) * perFrame / 262;
                const size_t count = std::min<size_t>(end - first, n - done);
                psg.update(buffer.data() + done, static_cast<int32_t>(count));
                done += count;
                first = end;
            }
        }
        return toSignal(buffer);
    }

    // Period, in samples, of a signal that repeats every `expected` samples:
    // the lag near 20 × expected where the signal best matches itself, / 20.
    double measuredRepeat(const Signal& signal, double expected) {
        const size_t centre = static_cast<size_t>(std::lround(20 * expected));
        const size_t reach = static_cast<size_t>(0.03 * 20 * expected) + 1;
        size_t best = centre;
        double bestCorrelation = -2;
        for (size_t lag = centre - reach; lag <= centre + reach; ++lag) {
            const double c = autocorrelation(signal, lag);
            if (c > bestCorrelation) {
                bestCorrelation = c;
                best = lag;
            }
        }
        return static_cast<double>(best) / 20.0;
    }

    Sn76496 psg;
};

TEST_P(PsgTest, ToneFrequencyIsClockOver32N) {
    for (uint32_t period : {40u, 60u, 100u, 254u, 500u, 1023u}) {
        if (toneFrequency(period) > rate() / 3.0) continue;   // keep a few samples per cycle
        for (uint32_t channel = 0; channel < 3; ++channel) {
            ASSERT_EQ(psg.reset(), 0u);
            setTone(channel, period);
            setAttenuation(channel, 0);
            const Signal out = render(samples(1.0));
            EXPECT_NEAR(zeroCrossingFrequency(out, rate()), toneFrequency(period), toneFrequency(period) * 0.002)
                << "N " << period << " channel " << channel;
        }
    }
}

// The square wave swings between 0 and the channel's level, so its fundamental
// has (2 / π) of that level.
TEST_P(PsgTest, AttenuationStepsAreTwoDecibels) {
    const double f = toneFrequency(254);
    double reference = 0;
    for (uint32_t attenuation = 0; attenuation <= 15; ++attenuation) {
        ASSERT_EQ(psg.reset(), 0u);
        setTone(1, 254);
        setAttenuation(1, attenuation);
        const Signal out = render(samples(0.5));
        if (attenuation == 15) {
            EXPECT_EQ(peak(out), 0.0);
            continue;
        }
        const double amplitude = toneAmplitude(out, f, rate());
        if (attenuation == 0) {
            reference = amplitude;
            EXPECT_NEAR(amplitude, 2.0 / std::numbers::pi * kChannelLevel, kChannelLevel * 0.01);
            continue;
        }
        EXPECT_NEAR(decibels(amplitude, reference), -2.0 * attenuation, 0.1) << "attenuation " << attenuation;
    }
}

// All four channels high at attenuation 0 exceed the 16-bit range: their sum
// is capped at 32767 before it is added, so a buffer already holding −10000
// ends at 22767, not at the limit of the buffer.
TEST_P(PsgTest, FourChannelsAtFullLevelAreCappedAt32767) {
    for (uint32_t channel = 0; channel < 3; ++channel) setTone(channel, 1023);
    setNoise(0);
    for (uint32_t channel = 0; channel < 4; ++channel) setAttenuation(channel, 0);
    // The tones stay high for their first half period; the fast periodic noise
    // is high on several shifts meanwhile.
    std::vector<int16_t> buffer(64, -10000);
    psg.update(buffer.data(), 64);
    const Signal out = toSignal(buffer);
    EXPECT_EQ(peak(out), 22767.0);
    EXPECT_GT(std::count(out.begin(), out.end(), 22767.0), 0);
}

// A tone far above the output rate does not alias: it averages out to half
// the channel's level. Integrating over each sample is a box filter, which
// leaves at most sin(x)/x (x = π·f/rate, 12 % at 44100 Hz) of the tone's
// fundamental, an RMS ripple below 10 % of the level where point sampling
// would alias a full-size square wave (50 %).
TEST_P(PsgTest, UltrasonicToneAveragesToHalfLevel) {
    setTone(0, 1);   // 111.9 kHz
    setAttenuation(0, 0);
    const Signal out = slice(render(samples(0.2)), 16, samples(0.2) - 16);
    EXPECT_NEAR(mean(out), kChannelLevel / 2, kChannelLevel * 0.02);
    EXPECT_LT(acRms(out), kChannelLevel * 0.1);
}

TEST_P(PsgTest, PeriodZeroBehavesAsOne) {
    setTone(2, 1);
    setAttenuation(2, 0);
    const Signal one = render(samples(0.1));
    ASSERT_EQ(psg.reset(), 0u);
    setTone(2, 0);
    setAttenuation(2, 0);
    EXPECT_EQ(render(samples(0.1)), one);
}

// Periodic noise repeats every 15 shifts. The 15 bits of the preset pattern
// 0x0F35 hold 8 changes, so the output crosses its mean 8 times per 15 shifts.
TEST_P(PsgTest, PeriodicNoiseShiftsAtItsDocumentedRate) {
    for (uint32_t control = 0; control <= 3; ++control) {
        ASSERT_EQ(psg.reset(), 0u);
        setTone(2, 200);
        const double shiftRate = control == 3 ? toneFrequency(200) : kPsgClock / (512.0 * (1 << control));
        if (shiftRate > rate() / 4.0) continue;   // shifts must stay a few samples apart
        setNoise(control);
        setAttenuation(3, 0);
        const Signal out = render(samples(2.0));
        const double crossingsPerSecond = meanCrossings(out) / 2.0;
        EXPECT_NEAR(crossingsPerSecond, shiftRate * 8.0 / 15.0, shiftRate * 8.0 / 15.0 * 0.02) << "control " << control;
        const double repeat = 15.0 * rate() / shiftRate;
        EXPECT_NEAR(measuredRepeat(slice(out, 0, samples(1.0)), repeat), repeat, repeat * 0.005)
            << "control " << control;
    }
}

// White noise (bit 2) has no 15-shift pattern; its bits change on about half
// of the shifts.
TEST_P(PsgTest, WhiteNoiseIsNotPeriodicAndChangesOnHalfTheShifts) {
    setTone(2, 100);
    setNoise(4 | 3);
    setAttenuation(3, 0);
    const Signal white = render(samples(2.0));
    const double shiftRate = toneFrequency(100);
    EXPECT_NEAR(meanCrossings(white) / 2.0, shiftRate / 2.0, shiftRate / 2.0 * 0.08);
    const size_t pattern = static_cast<size_t>(std::lround(15.0 * rate() / shiftRate));
    EXPECT_LT(std::fabs(autocorrelation(white, pattern)), 0.3);

    setNoise(3);
    const Signal periodic = render(samples(2.0));
    EXPECT_GT(autocorrelation(periodic, static_cast<size_t>(std::lround(15.0 * 20 * rate() / shiftRate))), 0.8);
}

// In mode 3 the noise follows tone 3, also when tone 3's period changes later,
// by a latch byte or by a data byte alone.
TEST_P(PsgTest, NoiseModeThreeFollowsLaterToneThreeChanges) {
    setTone(2, 400);
    setNoise(3);
    setAttenuation(3, 0);
    render(samples(0.1));
    setTone(2, 200);                        // latch and data
    double shiftRate = toneFrequency(200);
    EXPECT_NEAR(meanCrossings(render(samples(2.0))) / 2.0, shiftRate * 8 / 15, shiftRate * 8 / 15 * 0.02);
    psg.write(0x0A);                        // data byte alone: N = 0x0A8 = 168
    shiftRate = toneFrequency(0xA8);
    EXPECT_NEAR(meanCrossings(render(samples(2.0))) / 2.0, shiftRate * 8 / 15, shiftRate * 8 / 15 * 0.02);
}

TEST_P(PsgTest, EveryNoiseControlWriteRestartsTheShiftRegister) {
    setTone(2, 100);
    setNoise(4 | 3);
    setAttenuation(3, 0);
    render(samples(0.3));
    for (uint32_t control : {4u | 3u, 3u, 0u}) {
        setNoise(control);
        EXPECT_EQ(psg.noiseShiftRegister, kNoiseShiftPreset);
        EXPECT_EQ(psg.output[3], 1u);
        render(samples(0.05));
    }
}

// A data byte sets only a tone period's high bits; after an attenuation or a
// noise-control latch it is ignored.
TEST_P(PsgTest, DataBytesAfterOtherLatchesChangeNothing) {
    auto play = [this](bool withDataBytes) {
        EXPECT_EQ(psg.reset(), 0u);
        setTone(0, 300);
        setTone(2, 150);
        setNoise(3);
        for (uint32_t reg : {1u, 3u, 5u, 6u, 7u}) {
            psg.write(static_cast<uint8_t>(0x80 | reg << 4 | (reg == 6 ? 3 : 2)));
            if (withDataBytes) psg.write(0x3F);
        }
        return render(samples(0.2));
    };
    const Signal clean = play(false);
    EXPECT_GT(acRms(clean), 100.0);
    EXPECT_EQ(play(true), clean);
}

TEST_P(PsgTest, OutputIsNeverNegative) {
    setTone(0, 3);
    setTone(1, 77);
    setTone(2, 500);
    setNoise(4);
    for (uint32_t channel = 0; channel < 4; ++channel) setAttenuation(channel, channel);
    const Signal out = render(samples(0.5));
    for (double s : out) ASSERT_GE(s, 0.0);
    EXPECT_GT(peak(out), 0.0);
}

TEST_P(PsgTest, ResetSilencesEveryChannel) {
    setTone(0, 100);
    setAttenuation(0, 0);
    setNoise(4);
    setAttenuation(3, 0);
    ASSERT_GT(peak(render(samples(0.1))), 0.0);
    ASSERT_EQ(psg.reset(), 0u);
    EXPECT_EQ(peak(render(samples(0.1))), 0.0);
    for (uint32_t reg : {1u, 3u, 5u, 7u}) EXPECT_EQ(psg.registers[reg], 15u);
}

// A long span in one call is the same tone as many short ones.
TEST_P(PsgTest, OneLongSpanKeepsThePitch) {
    setTone(1, 254);
    setAttenuation(1, 0);
    std::vector<int16_t> buffer(samples(3.0), 0);
    psg.update(buffer.data(), static_cast<int32_t>(buffer.size()));
    EXPECT_NEAR(zeroCrossingFrequency(toSignal(buffer), rate()), toneFrequency(254), toneFrequency(254) * 0.002);
}

INSTANTIATE_TEST_SUITE_P(Rates, PsgTest, ::testing::ValuesIn(kRates));

// The volume table falls by 2 dB per code from 10922 (a quarter of the 16-bit
// range), code 15 being off; a gain raises it but never above 10922.
TEST(PsgVolumeTest, VolumeTableFallsTwoDecibelsPerCode) {
    Sn76496 psg;
    psg.setGain(0);
    EXPECT_EQ(psg.volumeTable[0], 10922);
    for (int32_t code = 1; code < 15; ++code)
        EXPECT_NEAR(decibels(psg.volumeTable[code], 10922.0), -2.0 * code, 0.02) << code;
    EXPECT_EQ(psg.volumeTable[15], 0);

    psg.setGain(20);   // +4 dB: the first two codes are capped
    EXPECT_EQ(psg.volumeTable[0], 10922);
    EXPECT_EQ(psg.volumeTable[1], 10922);
    EXPECT_NEAR(decibels(psg.volumeTable[2], 10922.0), 0.0, 0.02);
}

// Before the first initialisation there is neither a rate nor a clock: writes
// are kept, rendering adds nothing and returns.
TEST(PsgVolumeTest, NothingIsRenderedBeforeTheFirstInitialisation) {
    Sn76496 psg;
    psg.reset();
    psg.write(0x90);
    psg.write(0x81);
    std::array<int16_t, 16> buffer;
    buffer.fill(7);
    psg.update(buffer.data(), 16);
    for (int16_t s : buffer) EXPECT_EQ(s, 7);

    psg.init(0, 44100, 16);   // a clock of 0 gives no time base either
    psg.write(0x90);
    psg.update(buffer.data(), 16);
    for (int16_t s : buffer) EXPECT_EQ(s, 7);
}

}  // namespace
}  // namespace vimo::test
