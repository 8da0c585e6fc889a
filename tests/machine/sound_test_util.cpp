#include "sound_test_util.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace vimo::test {

namespace {

constexpr double kDocumentedFmClock = 7670442.0;
constexpr double kDocumentedPsgClock = 3579540.0;

Signal framesOf(const std::vector<int16_t>& samples, uint32_t samplesPerFrame, uint32_t first, uint32_t count) {
    const size_t begin = std::min<size_t>(samples.size(), size_t{first} * samplesPerFrame);
    const size_t end = std::min<size_t>(samples.size(), size_t{first + count} * samplesPerFrame);
    return Signal(samples.begin() + static_cast<std::ptrdiff_t>(begin),
                  samples.begin() + static_cast<std::ptrdiff_t>(end));
}

void startFrames(const Machine& machine, FrameSound& sound) {
    const uint32_t perFrame = machine.sampleRate / 60;
    if (sound.samplesPerFrame == 0) sound.samplesPerFrame = perFrame;
    ASSERT_EQ(sound.samplesPerFrame, perFrame) << "the rate changed within one capture";
}

}  // namespace

double psgToneFrequency(uint32_t n) {
    return kDocumentedPsgClock / (32.0 * n);
}

double fmToneFrequency(uint32_t fnumber, uint32_t block, uint32_t mul) {
    const double multiple = mul == 0 ? 0.5 : static_cast<double>(mul);
    return fnumber * std::ldexp(1.0, static_cast<int>(block) - 1) * (kDocumentedFmClock / 144.0) / 1048576.0 *
           multiple;
}

int32_t changeSampleRate(Machine& machine, uint32_t rate) {
    machine.shutdownFm();
    machine.sampleRate = rate;
    return machine.initSoundChips();
}

Signal FrameSound::leftFrames(uint32_t first, uint32_t count) const {
    return framesOf(left, samplesPerFrame, first, count);
}

Signal FrameSound::rightFrames(uint32_t first, uint32_t count) const {
    return framesOf(right, samplesPerFrame, first, count);
}

void runFramesWithSound(Machine& machine, uint32_t frames, FrameSound& sound) {
    startFrames(machine, sound);
    std::vector<int16_t> left(sound.samplesPerFrame), right(sound.samplesPerFrame);
    SoundFrameDesc desc{left.data(), right.data(), sound.samplesPerFrame};
    for (uint32_t f = 0; f < frames; ++f) {
        ASSERT_EQ(machine.runFrame(nullptr, &desc), 0);
        sound.left.insert(sound.left.end(), left.begin(), left.end());
        sound.right.insert(sound.right.end(), right.begin(), right.end());
    }
}

void mixFrames(Machine& machine, uint32_t frames, FrameSound& sound) {
    startFrames(machine, sound);
    const uint32_t n = sound.samplesPerFrame;
    std::vector<int16_t> left(n), right(n);
    SoundFrameDesc desc{left.data(), right.data(), n};
    for (uint32_t f = 0; f < frames; ++f) {
        uint32_t first = 0;
        for (uint32_t line = 0; line < 262; ++line) {
            machine.tickFmTimers();
            const uint32_t end = std::min(n, (line + 1) * n / 262);
            ASSERT_EQ(machine.mixSound(&desc, first, end), 0);
            first = end;
        }
        sound.left.insert(sound.left.end(), left.begin(), left.end());
        sound.right.insert(sound.right.end(), right.begin(), right.end());
    }
}

void writeFmRegister(Machine& machine, uint32_t part, uint32_t reg, uint32_t value) {
    machine.writeByteIo(0xA04000 + 2 * part, reg);
    machine.writeByteIo(0xA04001 + 2 * part, value);
}

void writeFmChannel(Machine& machine, int32_t channel, uint32_t reg, uint32_t value) {
    const uint32_t part = channel < 3 ? 0 : 1;
    writeFmRegister(machine, part, reg + static_cast<uint32_t>(channel % 3), value);
}

void loadSineVoice(Machine& machine, int32_t channel, uint32_t fnumber, uint32_t block) {
    // Operators sit at register offsets 0 (op1), 8 (op2), 4 (op3), 12 (op4).
    for (uint32_t slot : {0x0u, 0x4u, 0x8u, 0xCu}) {
        const bool op4 = slot == 0xC;
        writeFmChannel(machine, channel, 0x30 + slot, 0x01);          // DT 0, MUL 1
        writeFmChannel(machine, channel, 0x40 + slot, op4 ? 0 : 127); // TL
        writeFmChannel(machine, channel, 0x50 + slot, 0x1F);          // AR 31
        writeFmChannel(machine, channel, 0x60 + slot, 0x00);
        writeFmChannel(machine, channel, 0x70 + slot, 0x00);
        writeFmChannel(machine, channel, 0x80 + slot, 0x0F);          // SL 0, RR 15
        writeFmChannel(machine, channel, 0x90 + slot, 0x00);
    }
    writeFmChannel(machine, channel, 0xB0, 0x07);
    writeFmChannel(machine, channel, 0xB4, 0xC0);
    writeFmChannel(machine, channel, 0xA4, (block << 3) | (fnumber >> 8));
    writeFmChannel(machine, channel, 0xA0, fnumber & 0xFF);
}

void keyFm(Machine& machine, int32_t channel, uint32_t opMask) {
    const uint32_t code = channel < 3 ? static_cast<uint32_t>(channel) : static_cast<uint32_t>(channel + 1);
    writeFmRegister(machine, 0, 0x28, (opMask << 4) | code);
}

void writePsg(Machine& machine, uint8_t byte) {
    machine.writeByteVdp(0xC00011, byte);
}

void setPsgTone(Machine& machine, uint32_t channel, uint32_t period, uint32_t attenuation) {
    writePsg(machine, static_cast<uint8_t>(0x80 | channel << 5 | (period & 15)));
    writePsg(machine, static_cast<uint8_t>((period >> 4) & 63));
    writePsg(machine, static_cast<uint8_t>(0x90 | channel << 5 | attenuation));
}

}  // namespace vimo::test
