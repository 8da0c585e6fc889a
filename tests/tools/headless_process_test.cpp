// vimo-headless as a separate process: the line it prints, its exit status,
// the PNG and WAV files it writes.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>

#include "cd_test_util.h"
#include "machine_programs.h"
#include "machine_test_util.h"
#include "megacd_programs.h"

namespace {

using vimo::test::ScratchFolder;

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessResult runHeadless(const ScratchFolder& folder, const std::string& arguments) {
    const auto out = folder.path("stdout.txt");
    const auto err = folder.path("stderr.txt");
    const std::string command = std::string("\"") + VIMO_HEADLESS_PATH + "\" " + arguments + " >\"" +
                                out.string() + "\" 2>\"" + err.string() + "\"";
    const int raw = std::system(command.c_str());
    ProcessResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = slurp(out);
    result.err = slurp(err);
    return result;
}

uint32_t littleEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
    return value;
}

TEST(HeadlessProcess, PrintsOneLineAndWritesPictureAndSound) {
    ScratchFolder folder;
    const std::string rom = folder.write("backdrop.bin", vimo::programs::machine_backdrop());
    const std::string png = folder.path("shot.png").string();
    const std::string wav = folder.path("sound.wav").string();
    const auto result =
        runHeadless(folder, "--rom \"" + rom + "\" --frames 10 --png \"" + png + "\" --wav \"" + wav + "\"");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::regex line(
        "frames=10 seconds=[0-9]+\\.[0-9]{3} fps=[0-9]+\\.[0-9] realtime=[0-9]+\\.[0-9]{2} "
        "frame_crc=[0-9A-F]{8} audio_crc=[0-9A-F]{8}\n");
    EXPECT_TRUE(std::regex_match(result.out, line)) << result.out;

    // The picture: 320x224, every pixel full red (RGB565 0xE000 widened to 8 bits).
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << png;
    EXPECT_EQ(image.width, 320u);
    EXPECT_EQ(image.height, 224u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    for (size_t i = 0; i < pixels.size(); i += 3) {
        ASSERT_EQ(pixels[i], 0xE7) << i;
        ASSERT_EQ(pixels[i + 1], 0x00) << i;
        ASSERT_EQ(pixels[i + 2], 0x00) << i;
    }

    // The sound: a 16-bit stereo 44100 Hz WAV of 10 frames of 735 samples.
    const auto bytes = vimo::test::readFile(wav);
    ASSERT_EQ(bytes.size(), 44u + 10u * 735u * 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(littleEndian(bytes, 4, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(littleEndian(bytes, 20, 2), 1u);        // PCM
    EXPECT_EQ(littleEndian(bytes, 22, 2), 2u);        // stereo
    EXPECT_EQ(littleEndian(bytes, 24, 4), 44100u);
    EXPECT_EQ(littleEndian(bytes, 28, 4), 44100u * 4);
    EXPECT_EQ(littleEndian(bytes, 32, 2), 4u);
    EXPECT_EQ(littleEndian(bytes, 34, 2), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(littleEndian(bytes, 40, 4), 10u * 735u * 4u);
}

TEST(HeadlessProcess, TwoRunsPrintTheSameChecksums) {
    ScratchFolder folder;
    const std::string rom = folder.write("counters.bin", vimo::programs::machine_counters());
    const auto first = runHeadless(folder, "--rom \"" + rom + "\" --frames 5");
    const auto second = runHeadless(folder, "--rom \"" + rom + "\" --frames 5");
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);
    const auto checksums = [](const std::string& out) { return out.substr(out.find("frame_crc")); };
    EXPECT_EQ(checksums(first.out), checksums(second.out));
}

TEST(HeadlessProcess, AnUnloadableRomExitsWithTwoAndTheMachinesMessage) {
    ScratchFolder folder;
    const std::string missing = folder.path("missing.bin").string();
    auto result = runHeadless(folder, "--rom \"" + missing + "\" --frames 1");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Couldn't load: " + missing + "\n");
    EXPECT_EQ(result.out, "");

    const std::string big = folder.write("big.bin", std::vector<uint8_t>(0x500001, 0));
    result = runHeadless(folder, "--rom \"" + big + "\" --frames 1");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Rom size is too big : 5 MB\nCouldn't load: " + big + "\n");

    // A folder is no ROM, whatever its name: no size is told for it.
    const std::string folderRom = folder.path("folder.bin").string();
    std::filesystem::create_directory(folderRom);
    result = runHeadless(folder, "--rom \"" + folderRom + "\" --frames 1");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Couldn't load: " + folderRom + "\n");
}

TEST(HeadlessProcess, BootsABiosAndReportsAMissingOne) {
    ScratchFolder folder;
    const std::string bios = folder.write("bios.bin", vimo::programs::machine_backdrop());
    auto result = runHeadless(folder, "--bios \"" + bios + "\" --country usa --frames 3");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("frames=3 ", 0), 0u) << result.out;

    result = runHeadless(folder, "--bios \"" + folder.path("none.bin").string() + "\" --country japan");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Please configure the MegaCD JAP bios\n");
}

TEST(HeadlessProcess, BootsADiscAndReportsAMissingOne) {
    ScratchFolder folder;
    const auto program = vimo::programs::mcd_cdread();
    std::vector<uint8_t> bios(program.begin(), program.end());
    bios.resize(0x20000, 0);
    const std::string biosPath = folder.write("bios.bin", bios);
    const std::string disc = folder.write("disc.BIN", vimo::test::makeRawImage(32));
    auto result = runHeadless(folder, "--cd \"" + disc + "\" --bios-usa \"" + biosPath + "\" --frames 5");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("frames=5 ", 0), 0u) << result.out;

    const std::string missing = folder.path("none.iso").string();
    const std::string folderDisc = folder.path("folder.iso").string();
    std::filesystem::create_directory(folderDisc);
    for (const std::string& path : {missing, folderDisc}) {
        result = runHeadless(folder, "--cd \"" + path + "\" --bios \"" + biosPath + "\"");
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "Couldn't load: " + path + "\n");
    }
}

TEST(HeadlessProcess, ABadCommandLineShowsTheUsage) {
    ScratchFolder folder;
    const auto result = runHeadless(folder, "--frames 3");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("usage: vimo-headless --rom FILE"), std::string::npos) << result.err;
}

}  // namespace
