#include "fm_test_support.h"

#include <algorithm>
#include <cmath>

#include "sound/fm_synth.h"

namespace vimo::test {

namespace {

// Register offsets of op1-op4 within a slot group.
constexpr uint32_t kOperatorOffset[4] = {0x0, 0x8, 0x4, 0xC};

uint32_t channelPart(int32_t channel) {
    return channel < 3 ? 0 : 1;
}

uint32_t channelOffset(int32_t channel) {
    return static_cast<uint32_t>(channel % 3);
}

}  // namespace

double fmFrequency(uint32_t fnumber, uint32_t block, uint32_t mul) {
    const double multiple = mul == 0 ? 0.5 : mul;
    return fnumber * std::ldexp(1.0, static_cast<int>(block) - 1) * (kFmClock / 144.0) / 1048576.0 *
           multiple;
}

FmSession::FmSession(uint32_t rate) : rate_(rate) {
    ok_ = FmSynth::init(1, kFmClock, rate, nullptr, nullptr) == 0;
}

FmSession::~FmSession() {
    FmSynth::shutdown();
}

void fmWrite(uint32_t part, uint32_t reg, uint32_t value) {
    FmSynth::write(0, 2 * part, reg);
    FmSynth::write(0, 2 * part + 1, value);
}

void fmWriteOperator(int32_t channel, int32_t op, uint32_t group, uint32_t value) {
    fmWrite(channelPart(channel), group + channelOffset(channel) + kOperatorOffset[op - 1], value);
}

void fmSetFrequency(int32_t channel, uint32_t fnumber, uint32_t block) {
    const uint32_t part = channelPart(channel);
    const uint32_t offset = channelOffset(channel);
    fmWrite(part, 0xA4 + offset, (block << 3) | (fnumber >> 8));
    fmWrite(part, 0xA0 + offset, fnumber & 0xFF);
}

void fmLoadVoice(int32_t channel, const FmVoice& voice) {
    for (int32_t op = 1; op <= 4; ++op) {
        const FmOperatorSetting& s = voice.op[op - 1];
        fmWriteOperator(channel, op, 0x30, static_cast<uint32_t>(s.dt << 4 | s.mul));
        fmWriteOperator(channel, op, 0x40, s.tl);
        fmWriteOperator(channel, op, 0x50, static_cast<uint32_t>(s.ks << 6 | s.ar));
        fmWriteOperator(channel, op, 0x60, static_cast<uint32_t>(s.am << 7 | s.d1r));
        fmWriteOperator(channel, op, 0x70, s.d2r);
        fmWriteOperator(channel, op, 0x80, static_cast<uint32_t>(s.sl << 4 | s.rr));
        fmWriteOperator(channel, op, 0x90, s.ssg);
    }
    const uint32_t part = channelPart(channel);
    const uint32_t offset = channelOffset(channel);
    fmWrite(part, 0xB0 + offset, static_cast<uint32_t>(voice.feedback << 3 | voice.algorithm));
    fmWrite(part, 0xB4 + offset,
            (voice.left ? 0x80u : 0u) | (voice.right ? 0x40u : 0u) |
                static_cast<uint32_t>(voice.ams << 4 | voice.pms));
    fmSetFrequency(channel, voice.fnumber, voice.block);
}

void fmKey(int32_t channel, uint32_t opMask) {
    const uint32_t code = channel < 3 ? static_cast<uint32_t>(channel) : static_cast<uint32_t>(channel + 1);
    fmWrite(0, 0x28, (opMask << 4) | code);
}

StereoSignal fmRender(uint32_t rate, size_t samples) {
    const uint32_t perFrame = rate / 60;
    std::vector<int16_t> left(samples, 0);
    std::vector<int16_t> right(samples, 0);
    size_t done = 0;
    while (done < samples) {
        uint32_t first = 0;
        for (uint32_t line = 0; line < 262 && done < samples; ++line) {
            const uint32_t end = (line + 1) * perFrame / 262;
            const size_t n = std::min<size_t>(end - first, samples - done);
            FmSynth::update(0, {left.data() + done, right.data() + done}, static_cast<int32_t>(n));
            done += n;
            first = end;
        }
    }
    return {toSignal(left), toSignal(right)};
}

FmVoice sineVoice(uint32_t fnumber, uint32_t block, uint32_t mul) {
    FmVoice voice;
    voice.fnumber = fnumber;
    voice.block = block;
    voice.op[3].tl = 0;
    voice.op[3].mul = static_cast<uint8_t>(mul);
    return voice;
}

std::vector<double> amplitudeEnvelope(const Signal& signal, size_t window) {
    std::vector<double> envelope;
    for (size_t first = 0; first + window <= signal.size(); first += window) {
        double sum = 0;
        for (size_t i = first; i < first + window; ++i) sum += signal[i] * signal[i];
        envelope.push_back(std::sqrt(2.0 * sum / static_cast<double>(window)));
    }
    return envelope;
}

}  // namespace vimo::test
