// "vimo.ini": the lines the reader takes and ignores, the values it refuses,
// the re-starts it causes, the file the writer makes, and files on disk.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/config_file.h"

namespace vimo {
namespace {

class RecordingHooks final : public ConfigHooks {
public:
    std::vector<std::string> calls;
    void restartSoundChips(const ConfigSettings& s) override {
        calls.push_back("chips " + std::to_string(s.soundRate) + "/" + std::to_string(s.soundStereo));
    }
    void restartSoundOutput(const ConfigSettings& s) override {
        calls.push_back("output " + std::to_string(s.soundRate) + "/" + std::to_string(s.soundBits));
    }
};

ConfigSettings parsed(std::initializer_list<std::string> lines, RecordingHooks* hooks = nullptr) {
    RecordingHooks local;
    ConfigSettings settings;
    for (const std::string& line : lines) parseConfigLine(line, settings, hooks != nullptr ? *hooks : local);
    return settings;
}

TEST(ConfigFile, NumberKeysReadLikeAtoiAndUnusableValuesAreNotTaken) {
    const struct {
        std::string line;
        int32_t ConfigSettings::*field;
        int32_t expected;
    } cases[] = {
        {"H-Interrupts = 0", &ConfigSettings::hInterrupts, 0},
        {"H-Interrupts = abc", &ConfigSettings::hInterrupts, 0},
        {"H-Interrupts =   7x", &ConfigSettings::hInterrupts, 7},
        {"H-Interrupts = 99999999999", &ConfigSettings::hInterrupts, 2147483647},
        {"PSG enabled = -1", &ConfigSettings::psgEnabled, -1},
        {"FM  enabled = 0", &ConfigSettings::fmEnabled, 0},
        {"Sound rate  = 8000", &ConfigSettings::soundRate, 8000},
        {"Sound rate  = 0", &ConfigSettings::soundRate, 44100},
        {"Sound rate  = 32000", &ConfigSettings::soundRate, 44100},
        {"Sound rate  = 96000", &ConfigSettings::soundRate, 44100},
        {"Sound bits  = 8", &ConfigSettings::soundBits, 8},
        {"Sound bits  = 12", &ConfigSettings::soundBits, 16},
        {"Bpp mode     = 15", &ConfigSettings::pixelFormat, 15},
        {"Bpp mode     = 32", &ConfigSettings::pixelFormat, 16},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({c.line}).*c.field, c.expected) << c.line;
}

TEST(ConfigFile, SoundKeysRestartWhatTheyChangeAtOnceAndRefusedRatesNothing) {
    RecordingHooks hooks;
    parsed({"Sound rate  = 22050", "Sound bits  = 8", "Stereosound = 0", "Sound rate  = 96000", "PSG enabled = 0"},
           &hooks);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"chips 22050/1", "output 22050/16", "output 22050/8",
                                                     "chips 22050/0", "output 22050/8"}));
}

TEST(ConfigFile, OnlyExactKeysFromTheLineStartApply) {
    for (const char* line : {" H-Interrupts = 0", "h-interrupts = 0", "H-Interrupts= 0", "Rom Path = C:\\x", ""}) {
        RecordingHooks hooks;
        ConfigSettings settings;
        EXPECT_FALSE(parseConfigLine(line, settings, hooks)) << line;
        EXPECT_EQ(settings, ConfigSettings{}) << line;
    }
}

TEST(ConfigFile, PathValuesSkipOnlyABlankAfterTheKey) {
    const struct {
        std::string line, expected;
    } cases[] = {
        {"Rom Path   =", ".\\"},   // nothing after the key: unchanged
        {"Rom Path   = ", ""},
        {"Rom Path   =  x", " x"},
        {"Rom Path   =C:\\roms", "C:\\roms"},
        {"Rom Path   = " + std::string(3000, 'p'), std::string(2047, 'p')},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({c.line}).romDirectory, c.expected) << c.line.substr(0, 20);
    EXPECT_EQ(parsed({"SegaCD [E] bios = e.bin"}).biosPaths[2], "e.bin");
}

ConfigSettings changedSettings() {
    ConfigSettings s;
    s.hInterrupts = 0;
    s.pcmEnabled = 0;
    s.soundRate = 22050;
    s.soundBits = 8;
    s.soundStereo = 0;
    s.romDirectory = "Z:\\tmp\\my roms\\";
    s.gymDirectory = "";
    s.stateDirectory = " lead blank";
    s.biosPaths[0] = "Z:\\x\\us.bin";
    s.biosPaths[1] = std::string(300, 'j');   // longer than any old line buffer
    return s;
}

TEST(ConfigFile, TheWrittenFileIsABannerThenTheSettingsAndReadsBackTheSame) {
    const std::string text = formatConfig(changedSettings());
    size_t position = 0;
    for (int line = 0; line < 17; ++line) {
        const size_t end = text.find('\n', position);
        EXPECT_EQ(end - position, 44u) << "banner line " << line;
        position = end + 1;
    }
    EXPECT_EQ(text.substr(position),
              "\n -- Graphics settings -- \nH-Interrupts = 0\n"
              "\n -- Sound settings -- \nPSG enabled = 1\nFM  enabled = 1\nPCM enabled = 0\n"
              "Sound rate  = 22050\nSound bits  = 8\nStereosound = 0\n"
              "\n -- Directories -- \nRom Path   = Z:\\tmp\\my roms\\\nState Path =  lead blank\n"
              "Gym Path   = \nBrm Path   = .\\\n"
              "\n -- Bios roms -- \nSegaCD [U] bios = Z:\\x\\us.bin\nSegaCD [J] bios = " +
                  std::string(300, 'j') + "\nSegaCD [E] bios = \n\n");
    RecordingHooks hooks;
    ConfigSettings read;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        parseConfigLine(text.substr(start, end - start), read, hooks);
    }
    EXPECT_EQ(read, changedSettings());
}

class ConfigFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("vimo_config_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        path = (folder / "vimo.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void writeFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    std::filesystem::path folder;
    std::string path;
    RecordingHooks hooks;
    ConfigSettings read;
};

TEST_F(ConfigFileOnDisk, ACrlfFileReadsLikeItsText) {
    std::string crlf;
    for (char c : formatConfig(changedSettings())) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writeFile(crlf);
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read, changedSettings());

    // A value ending in CR would not survive the next save: every trailing CR
    // goes, and what was read is written and read back unchanged.
    writeFile("Brm Path   = Bpp mod     = \xE1\\\r\r\n");
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read.brmDirectory, "Bpp mod     = \xE1\\");
    ASSERT_EQ(saveConfigFile(path, read), 0);
    ConfigSettings again;
    ASSERT_EQ(loadConfigFile(path, again, hooks), 0);
    EXPECT_EQ(again.brmDirectory, read.brmDirectory);
}

TEST_F(ConfigFileOnDisk, AnOverlongLineIsOneLineAndItsTailIsNoKey) {
    std::string filler;
    while (filler.size() < 3000) filler += "H-Interrupts = 0 ";
    writeFile("Rom Path   = " + filler + "\nPSG enabled = 0\n");
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read.hInterrupts, 1);
    EXPECT_EQ(read.psgEnabled, 0);
    EXPECT_EQ(read.romDirectory, filler.substr(0, 2047));
}

TEST_F(ConfigFileOnDisk, AMissingFileKeepsTheDefaultsAndSavingCreatesIt) {
    EXPECT_EQ(loadConfigFile(path, read, hooks), 1);
    EXPECT_EQ(read, ConfigSettings{});
    ASSERT_EQ(saveConfigFile(path, changedSettings()), 0);
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read, changedSettings());
    EXPECT_EQ(saveConfigFile((folder / "absent" / "vimo.ini").string(), read), 1);
    EXPECT_EQ(configPathIn("C:\\games"), "C:\\games\\vimo.ini");
}

}  // namespace
}  // namespace vimo
