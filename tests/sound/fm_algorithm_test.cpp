// The eight algorithms and op1's feedback, measured on the output.
//
// The connections come from the chip's documented algorithm diagrams:
//   0: 1→2→3→4            1: (1+2)→3→4        2: (1 + (2→3))→4    3: ((1→2) + 3)→4
//   4: (1→2) + (3→4)      5: 1→(2, 3 and 4)   6: (1→2) + 3 + 4    7: 1 + 2 + 3 + 4
// An operator whose output is silent adds nothing to anything, so an operator
// X changes the output exactly when there is a path from X to a carrier through
// operators that sound. The test measures that for every algorithm, every
// operator and every set of other operators that sound, and compares it with
// the paths of the diagrams.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fm_test_support.h"
#include "sound/fm_synth.h"

namespace vimo::test {
namespace {

struct Diagram {
    bool modulates[5][5];   // [from][to], operators 1-4
    bool carrier[5];
};

Diagram documentedDiagram(int32_t algorithm) {
    Diagram d{};
    auto edge = [&d](int32_t from, int32_t to) { d.modulates[from][to] = true; };
    switch (algorithm) {
    case 0: edge(1, 2); edge(2, 3); edge(3, 4); d.carrier[4] = true; break;
    case 1: edge(1, 3); edge(2, 3); edge(3, 4); d.carrier[4] = true; break;
    case 2: edge(1, 4); edge(2, 3); edge(3, 4); d.carrier[4] = true; break;
    case 3: edge(1, 2); edge(2, 4); edge(3, 4); d.carrier[4] = true; break;
    case 4: edge(1, 2); edge(3, 4); d.carrier[2] = d.carrier[4] = true; break;
    case 5: edge(1, 2); edge(1, 3); edge(1, 4); d.carrier[2] = d.carrier[3] = d.carrier[4] = true; break;
    case 6: edge(1, 2); d.carrier[2] = d.carrier[3] = d.carrier[4] = true; break;
    default: d.carrier[1] = d.carrier[2] = d.carrier[3] = d.carrier[4] = true; break;
    }
    return d;
}

// Does X reach the output through operators that sound?
bool reachesOutput(const Diagram& d, int32_t x, const bool sounding[5]) {
    if (!sounding[x]) return false;
    if (d.carrier[x]) return true;
    for (int32_t to = x + 1; to <= 4; ++to)
        if (d.modulates[x][to] && reachesOutput(d, to, sounding)) return true;
    return false;
}

class FmAlgorithmTest : public FmRateTest {
protected:
    // Renders the algorithm with the operators of `sounding` at full level and
    // the others silent; each operator has its own multiple.
    Signal render(int32_t algorithm, const bool sounding[5]) {
        EXPECT_EQ(FmSynth::reset(0), 0);
        FmVoice voice;
        voice.algorithm = static_cast<uint8_t>(algorithm);
        voice.fnumber = 600;
        voice.block = 3;
        const uint8_t multiples[4] = {1, 2, 3, 5};
        for (int32_t op = 1; op <= 4; ++op) {
            voice.op[op - 1].mul = multiples[op - 1];
            voice.op[op - 1].tl = sounding[op] ? 0 : 127;
        }
        fmLoadVoice(1, voice);
        fmKey(1, 0xF);
        return fmRender(rate(), 2048).left;
    }
};

TEST_P(FmAlgorithmTest, OperatorsReachTheOutputAlongTheDocumentedConnections) {
    for (int32_t algorithm = 0; algorithm < 8; ++algorithm) {
        const Diagram diagram = documentedDiagram(algorithm);
        for (int32_t x = 1; x <= 4; ++x) {
            for (uint32_t others = 0; others < 16; ++others) {
                if ((others & (1u << (x - 1))) != 0) continue;
                bool sounding[5] = {};
                for (int32_t op = 1; op <= 4; ++op) sounding[op] = (others & (1u << (op - 1))) != 0;
                const Signal without = render(algorithm, sounding);
                sounding[x] = true;
                const Signal with = render(algorithm, sounding);

                double difference = 0;
                double level = 0;
                for (size_t i = 0; i < with.size(); ++i) {
                    difference += (with[i] - without[i]) * (with[i] - without[i]);
                    level += with[i] * with[i] + without[i] * without[i];
                }
                // An influence is an audible change of at least 5 % of the
                // signal; no influence leaves the output exactly as it was.
                const bool influences = difference > 0.05 * 0.05 * level && difference > 0;
                EXPECT_EQ(influences, reachesOutput(diagram, x, sounding))
                    << "algorithm " << algorithm << ", op" << x << ", others sounding 0x" << std::hex
                    << others;
                if (!reachesOutput(diagram, x, sounding)) {
                    EXPECT_EQ(difference, 0.0);
                }
            }
        }
    }
}

// Op1's feedback: FB = 0 leaves a pure sine; FB = n feeds the average of op1's
// last two outputs back into its phase with a modulation index β of
// π/16 × 2^(n−1) (π/16, π/8, … 4π). A sine fed back into its own phase,
// sin(θ + β·y), has the harmonics 2·J_k(kβ)/(kβ) (k = 1, 2, …), so the second
// harmonic is J_2(2β) / (2·J_1(β)) of the fundamental; the harmonic content
// grows with every step.
TEST_P(FmAlgorithmTest, FeedbackAddsHarmonicsInDocumentedSteps) {
    const uint32_t fnumber = 600;
    const uint32_t block = 2;
    const double f = fmFrequency(fnumber, block, 1);
    double previousDistortion = -1;
    for (uint8_t fb = 0; fb <= 5; ++fb) {
        ASSERT_EQ(FmSynth::reset(0), 0);
        FmVoice voice;
        voice.fnumber = fnumber;
        voice.block = block;
        voice.feedback = fb;
        voice.op[0].tl = 0;   // op1 alone, a carrier in algorithm 7
        fmLoadVoice(0, voice);
        fmKey(0, 0xF);
        const Signal out = fmRender(rate(), samples(0.5)).left;
        const double fundamental = toneAmplitude(out, f, rate());
        double harmonics = 0;
        for (int32_t k = 2; k <= 5 && k * f < rate() / 2.0; ++k) {
            const double a = toneAmplitude(out, k * f, rate());
            harmonics += a * a;
        }
        const double distortion = std::sqrt(harmonics) / fundamental;
        if (fb == 0) {
            EXPECT_LT(distortion, 0.005);
        }
        if (fb >= 1 && fb <= 3) {
            const double beta = std::numbers::pi / 16 * std::ldexp(1.0, fb - 1);
            const double expected = std::cyl_bessel_j(2.0, 2.0 * beta) / (2.0 * std::cyl_bessel_j(1.0, beta));
            EXPECT_NEAR(toneAmplitude(out, 2 * f, rate()) / fundamental, expected, expected * 0.1)
                << "FB " << int{fb};
        }
        EXPECT_GT(distortion, previousDistortion) << "FB " << int{fb};
        previousDistortion = distortion;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, FmAlgorithmTest, ::testing::ValuesIn(kSampleRates));

}  // namespace
}  // namespace vimo::test
