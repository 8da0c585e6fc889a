// vimo-headless's runs, in process: loading like the front end, the frame
// loop with its pad presses, the picture and sound it collects.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "cd_test_util.h"
#include "machine_programs.h"
#include "machine_test_util.h"
#include "megacd_programs.h"
#include "outputs.h"
#include "runner.h"

namespace vimo::headless {
namespace {

using test::ReportRecorder;

// CRC-32 of `count` copies of the 16-bit pixel, little-endian.
uint32_t crcOfRepeatedPixel(uint16_t pixel, size_t count) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8)};
    uLong crc = crc32(0L, Z_NULL, 0);
    for (size_t i = 0; i < count; ++i) crc = crc32(crc, bytes, 2);
    return static_cast<uint32_t>(crc);
}

class HeadlessRun : public ::testing::Test {
protected:
    ReportRecorder recorder;
    test::ScratchFolder folder;

    Options optionsFor(std::span<const uint8_t> program, uint32_t frames) {
        Options options;
        options.rom = folder.write("program.bin", program);
        options.frames = frames;
        return options;
    }
};

TEST_F(HeadlessRun, CollectsTheVisiblePictureAndEveryFramesSound) {
    // The backdrop program shows full red (RGB565 0xE000) on every pixel.
    RunResult result;
    std::string error;
    ASSERT_EQ(run(optionsFor(programs::machine_backdrop(), 3), result, error), kRunOk) << error;
    EXPECT_EQ(result.frames, 3u);
    EXPECT_GE(result.seconds, 0.0);
    ASSERT_EQ(result.picture.size(), 320u * 224u);
    EXPECT_TRUE(std::all_of(result.picture.begin(), result.picture.end(), [](uint16_t p) { return p == 0xE000; }));
    EXPECT_EQ(pictureCrc(result.picture), crcOfRepeatedPixel(0xE000, 320 * 224));
    EXPECT_EQ(result.sound.size(), 3u * 735u * 2u);
}

TEST_F(HeadlessRun, TwoRunsGiveTheSameResults) {
    const Options options = optionsFor(programs::machine_counters(), 4);
    RunResult first, second;
    std::string error;
    ASSERT_EQ(run(options, first, error), kRunOk);
    ASSERT_EQ(run(options, second, error), kRunOk);
    EXPECT_EQ(first.picture, second.picture);
    EXPECT_EQ(first.sound, second.sound);
    EXPECT_EQ(summaryLine(first).substr(summaryLine(first).find("frame_crc")),
              summaryLine(second).substr(summaryLine(second).find("frame_crc")));
}

TEST_F(HeadlessRun, PressesReachPadOneDuringTheirFrames) {
    Options options = optionsFor(programs::machine_pads(), 1);
    options.presses.push_back({padButtonBit("a") | padButtonBit("c") | padButtonBit("up"), 0, 0});
    auto machine = test::makeMachine();
    std::string error;
    ASSERT_EQ(loadLikeTheFrontEnd(*machine, options.rom, error), 0);
    RunResult result;
    runFrames(*machine, options, result);
    // Pad 1, TH high: C B Right Left Down Up with C and Up pressed (0); TH
    // low: Start A 0 0 Down Up with A and Up pressed. Pad 2 is released.
    EXPECT_EQ(test::ramByte(*machine, 0xFF0000), 0x40 | 0x10 | 0x08 | 0x04 | 0x02);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0001), 0x20 | 0x02);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0010), 0x7F);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0011), 0x33);

    // A press for later frames leaves the first frame alone.
    options.presses = {{padButtonBit("a"), 1, 5}};
    ASSERT_EQ(loadLikeTheFrontEnd(*machine, options.rom, error), 0);
    runFrames(*machine, options, result);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0001), 0x33);
    EXPECT_EQ(machine->pads[0], kPadsReleased) << "nothing pressed in frame 0";
}

TEST_F(HeadlessRun, ZipArchivesLoadTheirFirstRomEntry) {
    const auto alpha = test::patternImage(16384);
    const auto path = folder.path("set.zip");
    test::writeZip(path, {{"readme.txt", {1}},
                          {"zeta.BIN", test::patternImage(64)},
                          {"Alpha.smd", test::makeSmd(alpha)},
                          {"beta.bin", test::patternImage(32)}});
    EXPECT_EQ(zipRomEntries(path.string()), (std::vector<std::string>{"Alpha.smd", "beta.bin", "zeta.BIN"}));

    auto machine = test::makeMachine();
    std::string error;
    ASSERT_EQ(loadLikeTheFrontEnd(*machine, path.string(), error), 0) << error;
    ASSERT_EQ(machine->romSize, 16384);
    for (uint32_t a = 0; a < alpha.size(); ++a) ASSERT_EQ(machine->readByteRomRam(a), alpha[a]) << a;
}

TEST_F(HeadlessRun, ZipWithoutRomsAndMissingFilesAreLoadFailures) {
    const auto path = folder.path("docs.zip");
    test::writeZip(path, {{"readme.txt", {1, 2}}, {"cover.png", {3}}});
    auto machine = test::makeMachine();
    std::string error;
    EXPECT_NE(loadLikeTheFrontEnd(*machine, path.string(), error), 0);
    EXPECT_EQ(error, "Zip file doesn't contain Megadrive/Genesis roms");

    Options options;
    options.rom = folder.path("absent.bin").string();
    RunResult result;
    error.clear();
    EXPECT_EQ(run(options, result, error), kRunLoadFailed);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + options.rom});
}

TEST_F(HeadlessRun, BiosBootsTheMegaCdForTheCountry) {
    // A program that only needs the VDP runs as a BIOS too: the backdrop is red.
    Options options;
    options.bios = folder.write("bios.bin", programs::machine_backdrop());
    options.frames = 2;
    options.country = kCountryJapan;
    RunResult result;
    std::string error;
    ASSERT_EQ(run(options, result, error), kRunOk) << error;
    EXPECT_EQ(pictureCrc(result.picture), crcOfRepeatedPixel(0xE000, 320 * 224));

    auto machine = test::makeMachine();
    machine->country = kCountryAutodetectStartup;
    ASSERT_EQ(bootWithBios(*machine, options.bios), 0);
    EXPECT_EQ(machine->megaCdMode, 1u);
    for (const char* path : machine->biosPaths) EXPECT_EQ(std::string(path), options.bios) << "auto: every country";

    options.bios = folder.path("missing.bin").string();
    options.country = kCountryEurope;
    recorder.clear();
    EXPECT_EQ(run(options, result, error), kRunLoadFailed);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Please configure the MegaCD EUR bios"});
}

// The BIOS-like disc reader of the Mega-CD tests, as three BIOS files that
// differ in the byte at 0x1F0, which the program copies to work RAM.
std::vector<uint8_t> discReaderBios(char marker) {
    const auto program = programs::mcd_cdread();
    std::vector<uint8_t> file(program.begin(), program.end());
    file.resize(0x20000, 0);
    file[0x1F0] = static_cast<uint8_t>(marker);
    return file;
}

TEST_F(HeadlessRun, DiscBootsTheBiosOfItsRegionAndStreams) {
    Options options;
    options.cd = folder.write("disc.iso", test::makePlainImage(64, 0xA1));  // Japan
    options.countryBios[0] = folder.write("usa.bin", discReaderBios('U'));
    options.countryBios[1] = folder.write("japan.bin", discReaderBios('J'));
    options.countryBios[2] = folder.write("europe.bin", discReaderBios('E'));
    options.frames = 20;

    auto machine = test::makeMachine();
    ASSERT_EQ(bootDisc(*machine, options), 0);
    EXPECT_EQ(machine->megaCdMode, 1u);
    EXPECT_STREQ(machine->cdUnit.imagePath, options.cd.c_str());
    RunResult result;
    runFrames(*machine, options, result);
    EXPECT_EQ(test::ramByte(*machine, 0xFF0000), 'J');
    const uint32_t moved = (machine->commArea[0x12] << 8) | machine->commArea[0x13];
    EXPECT_GE(moved, 16u) << "sectors the program moved by DMA";

    std::string error;
    EXPECT_EQ(run(options, result, error), kRunOk) << error;
    EXPECT_EQ(result.frames, 20u);

    // A disc that cannot be opened, and one whose country has no BIOS.
    options.cd = folder.path("absent.iso").string();
    recorder.clear();
    EXPECT_EQ(run(options, result, error), kRunLoadFailed);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + options.cd});
    options.cd = folder.write("europe.iso", test::makePlainImage(4, 0x64));
    options.countryBios[2].clear();
    recorder.clear();
    EXPECT_EQ(run(options, result, error), kRunLoadFailed);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Please configure the SegaCD/MegaCD bios"});
}

TEST(HeadlessOutputs, FilesThatCannotBeWrittenWholeAreFailures) {
    // The device accepts the open but refuses every byte, as a full disk does;
    // both files are small enough to sit in the stream's buffer until closing.
    std::FILE* probe = std::fopen("/dev/full", "wb");
    if (probe == nullptr) GTEST_SKIP() << "no /dev/full on this system";
    std::fclose(probe);
    const std::vector<uint16_t> picture(kVisibleWidth * kVisibleHeight, 0);
    const std::vector<int16_t> sound(8, 0);
    EXPECT_EQ(writeWav("/dev/full", sound, 44100), 1);
    EXPECT_EQ(writePng("/dev/full", picture), 1);
}

}  // namespace
}  // namespace vimo::headless
