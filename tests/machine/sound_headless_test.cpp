// vimo-headless --wav as a separate process: the WAV file it writes for a
// program that plays known tones holds those tones. The file is read as the
// format is documented (RIFF "WAVE", a "fmt " chunk, a "data" chunk of
// interleaved little-endian 16-bit samples, left first) and measured: the PSG
// tone of period register N at 3579540 / (32 × N) Hz, the FM carrier of
// F-number F and block B at F × 2^(B − 1) × (7670442 / 144) / 2^20 Hz.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "machine_test_util.h"
#include "sound_programs.h"
#include "sound_test_util.h"

namespace vimo {
namespace {

using test::ScratchFolder;
using test::Signal;

constexpr uint32_t kWavRate = 44100;
constexpr uint32_t kSamplesPerFrame = kWavRate / 60;

uint32_t littleEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<size_t>(i)];
    return value;
}

struct Wav {
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
    Signal left;
    Signal right;
};

// Reads a canonical PCM WAV file; fails the test when the layout is not one.
Wav readWav(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = test::readFile(path);
    Wav wav;
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return wav;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(littleEndian(bytes, 4, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(littleEndian(bytes, 20, 2), 1u) << "PCM";
    wav.channels = littleEndian(bytes, 22, 2);
    wav.rate = littleEndian(bytes, 24, 4);
    wav.bits = littleEndian(bytes, 34, 2);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    const uint32_t dataBytes = littleEndian(bytes, 40, 4);
    EXPECT_EQ(dataBytes, bytes.size() - 44);
    for (size_t at = 44; at + 4 <= bytes.size(); at += 4) {
        wav.left.push_back(static_cast<int16_t>(littleEndian(bytes, at, 2)));
        wav.right.push_back(static_cast<int16_t>(littleEndian(bytes, at + 2, 2)));
    }
    return wav;
}

// Runs vimo-headless on a program for some frames and reads back its WAV.
Wav playThroughHeadless(const ScratchFolder& folder, std::span<const uint8_t> program, uint32_t frames) {
    const std::string rom = folder.write("sound.bin", program);
    const std::string wav = folder.path("sound.wav").string();
    const std::string command = std::string("\"") + VIMO_HEADLESS_PATH + "\" --rom \"" + rom + "\" --frames " +
                                std::to_string(frames) + " --wav \"" + wav + "\" >\"" +
                                folder.path("out.txt").string() + "\" 2>&1";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command;
    return readWav(wav);
}

Signal frames(const Signal& signal, uint32_t first, uint32_t count) {
    return test::slice(signal, size_t{first} * kSamplesPerFrame, size_t{count} * kSamplesPerFrame);
}

// The PSG program's first three segments (16 frames each from frame 1):
// N = 254, 127 and 1017, measured by zero crossings over 14 frames (0.3 %),
// alike on both sides.
TEST(HeadlessWav, PsgTonesComeOutAtTheirFrequencies) {
    ScratchFolder folder;
    const Wav wav = playThroughHeadless(folder, programs::sound_psg(), 49);
    EXPECT_EQ(wav.channels, 2u);
    EXPECT_EQ(wav.rate, kWavRate);
    EXPECT_EQ(wav.bits, 16u);
    ASSERT_EQ(wav.left.size(), 49u * kSamplesPerFrame);
    const uint32_t periods[3] = {254, 127, 1017};
    for (uint32_t s = 0; s < 3; ++s) {
        const Signal left = frames(wav.left, 2 + 16 * s, 14);
        const double expected = test::psgToneFrequency(periods[s]);
        EXPECT_NEAR(test::zeroCrossingFrequency(left, kWavRate), expected, expected * 0.003) << "N " << periods[s];
        EXPECT_EQ(left, frames(wav.right, 2 + 16 * s, 14)) << "N " << periods[s];
    }
    // The first note starts in the V blank of frame 0: its shown lines are silent.
    EXPECT_EQ(test::peak(test::slice(wav.left, 0, 224 * kSamplesPerFrame / 262)), 0.0);
}

// The FM program's first segments (12 frames each from frame 1): channel 0 at
// F-number 1083 in blocks 4, 3 and 5, at full level (2 %).
TEST(HeadlessWav, FmCarriersComeOutAtTheirFrequencies) {
    ScratchFolder folder;
    const Wav wav = playThroughHeadless(folder, programs::sound_fm_voice(), 37);
    ASSERT_EQ(wav.left.size(), 37u * kSamplesPerFrame);
    const uint32_t blocks[3] = {4, 3, 5};
    for (uint32_t s = 0; s < 3; ++s) {
        const Signal left = frames(wav.left, 2 + 12 * s, 10);
        const double expected = test::fmToneFrequency(1083, blocks[s]);
        EXPECT_NEAR(test::zeroCrossingFrequency(left, kWavRate), expected, expected * 0.003) << "block " << blocks[s];
        EXPECT_NEAR(test::toneAmplitude(left, expected, kWavRate), 16383.0, 16383.0 * 0.02) << "block " << blocks[s];
    }
}

}  // namespace
}  // namespace vimo
