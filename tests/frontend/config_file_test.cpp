// "vimo.ini": the lines the reader takes and ignores, the values it refuses,
// the re-starts it causes, the file the writer makes, and files on disk.
#include <cstdio>
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
        calls.push_back("output " + std::to_string(s.soundRate) + "/" + std::to_string(s.soundBits) + "/" +
                        std::to_string(s.soundStereo));
    }
};

ConfigSettings parsed(std::initializer_list<std::string> lines, RecordingHooks* hooks = nullptr) {
    RecordingHooks local;
    ConfigSettings settings;
    for (const std::string& line : lines) parseConfigLine(line, settings, hooks != nullptr ? *hooks : local);
    return settings;
}

struct NumberCase {
    std::string line;
    int32_t ConfigSettings::*field;
    int32_t expected;
};

TEST(ConfigFile, NumberKeysReadLikeAtoi) {
    const NumberCase cases[] = {
        {"H-Interrupts = 0", &ConfigSettings::hInterrupts, 0},
        {"H-Interrupts = abc", &ConfigSettings::hInterrupts, 0},
        {"H-Interrupts =   7x", &ConfigSettings::hInterrupts, 7},
        {"PSG enabled = -1", &ConfigSettings::psgEnabled, -1},
        {"FM  enabled = 0", &ConfigSettings::fmEnabled, 0},
        {"PCM enabled = 0", &ConfigSettings::pcmEnabled, 0},
        {"Stereosound = 0", &ConfigSettings::soundStereo, 0},
        {"H-Interrupts = 99999999999", &ConfigSettings::hInterrupts, 2147483647},
    };
    for (const NumberCase& c : cases) EXPECT_EQ(parsed({c.line}).*c.field, c.expected) << c.line;
}

TEST(ConfigFile, ValuesThatWouldBreakTheProgramAreNotTaken) {
    for (const char* rate : {"0", "-44100", "32000", "96000", "abc", "44101"}) {
        RecordingHooks hooks;
        const ConfigSettings s = parsed({std::string("Sound rate  = ") + rate}, &hooks);
        EXPECT_EQ(s.soundRate, 44100) << rate;
        EXPECT_TRUE(hooks.calls.empty()) << rate;
    }
    const struct {
        const char* line;
        int32_t ConfigSettings::*field;
        int32_t expected;
    } cases[] = {
        {"Sound bits  = 8", &ConfigSettings::soundBits, 8},
        {"Sound bits  = 16", &ConfigSettings::soundBits, 16},
        {"Sound bits  = 12", &ConfigSettings::soundBits, 16},
        {"Sound bits  = 0", &ConfigSettings::soundBits, 16},
        {"Bpp mode     = 15", &ConfigSettings::pixelFormat, 15},
        {"Bpp mode     = 32", &ConfigSettings::pixelFormat, 16},
        {"Bpp mode     = x", &ConfigSettings::pixelFormat, 16},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({c.line}).*c.field, c.expected) << c.line;
}

TEST(ConfigFile, SoundKeysRestartWhatTheyChangeAtOnce) {
    RecordingHooks hooks;
    parsed({"Sound rate  = 22050", "Sound bits  = 8", "Stereosound = 0", "PSG enabled = 0"}, &hooks);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"chips 22050/1", "output 22050/16/1", "output 22050/8/1",
                                                     "chips 22050/0", "output 22050/8/0"}));
}

TEST(ConfigFile, KeysMustMatchExactlyFromTheLineStart) {
    const ConfigSettings defaults;
    for (const char* line : {" H-Interrupts = 0", "h-interrupts = 0", "H-Interrupts= 0", "FM enabled = 0",
                             "Rom Path = C:\\x", "", "=", " -- Sound settings -- "}) {
        RecordingHooks hooks;
        ConfigSettings settings;
        EXPECT_FALSE(parseConfigLine(line, settings, hooks)) << line;
        EXPECT_EQ(settings, defaults) << line;
    }
}

TEST(ConfigFile, PathValuesSkipOnlyABlankAfterTheKey) {
    const struct {
        const char* line;
        std::string expected;
    } cases[] = {
        {"Rom Path   =", ".\\"},             // nothing after the key: unchanged
        {"Rom Path   = ", ""},               // one blank: empty
        {"Rom Path   =  x", " x"},
        {"Rom Path   =C:\\roms", "C:\\roms"},
        {"Rom Path   = Z:\\tmp\\my roms\\", "Z:\\tmp\\my roms\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({c.line}).romDirectory, c.expected) << c.line;
    const ConfigSettings s = parsed({"State Path = s", "Gym Path   = g", "Brm Path   = b",
                                     "SegaCD [U] bios = u.bin", "SegaCD [J] bios = j.bin", "SegaCD [E] bios = e.bin"});
    EXPECT_EQ(s.stateDirectory, "s");
    EXPECT_EQ(s.gymDirectory, "g");
    EXPECT_EQ(s.brmDirectory, "b");
    EXPECT_EQ(s.biosPaths[0], "u.bin");
    EXPECT_EQ(s.biosPaths[1], "j.bin");
    EXPECT_EQ(s.biosPaths[2], "e.bin");
}

TEST(ConfigFile, APathValueKeepsAtMost2047Characters) {
    const std::string longPath(3000, 'p');
    EXPECT_EQ(parsed({"Gym Path   = " + longPath}).gymDirectory, longPath.substr(0, 2047));
}

// Everything after the banner, as the writer lays it out.
constexpr const char* kWrittenSettings =
    "\n"
    " -- Graphics settings -- \n"
    "H-Interrupts = 0\n"
    "\n"
    " -- Sound settings -- \n"
    "PSG enabled = 0\n"
    "FM  enabled = 1\n"
    "PCM enabled = 0\n"
    "Sound rate  = 22050\n"
    "Sound bits  = 8\n"
    "Stereosound = 0\n"
    "\n"
    " -- Directories -- \n"
    "Rom Path   = Z:\\tmp\\my roms\\\n"
    "State Path = .\\\n"
    "Gym Path   = \n"
    "Brm Path   = .\\\n"
    "\n"
    " -- Bios roms -- \n"
    "SegaCD [U] bios = Z:\\x\\us.bin\n"
    "SegaCD [J] bios = \n"
    "SegaCD [E] bios = \n"
    "\n";

ConfigSettings changedSettings() {
    ConfigSettings s;
    s.hInterrupts = 0;
    s.psgEnabled = 0;
    s.pcmEnabled = 0;
    s.soundRate = 22050;
    s.soundBits = 8;
    s.soundStereo = 0;
    s.romDirectory = "Z:\\tmp\\my roms\\";
    s.gymDirectory = "";
    s.biosPaths[0] = "Z:\\x\\us.bin";
    return s;
}

TEST(ConfigFile, TheWrittenFileIsABannerThenTheSettings) {
    const std::string text = formatConfig(changedSettings());
    size_t position = 0;
    for (int line = 0; line < 17; ++line) {
        const size_t end = text.find('\n', position);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(end - position, 44u) << "banner line " << line;
        EXPECT_EQ(text.compare(position, 2, " *"), 0) << "banner line " << line;
        position = end + 1;
    }
    EXPECT_NE(text.find(" **            Vimo Config file           **\n"), std::string::npos);
    EXPECT_EQ(text.substr(position), kWrittenSettings);
    EXPECT_EQ(text.find("Bpp mode"), std::string::npos);
}

TEST(ConfigFile, WrittenSettingsReadBackTheSame) {
    ConfigSettings written = changedSettings();
    written.biosPaths[1] = std::string(300, 'j');   // longer than any old line buffer
    written.stateDirectory = " lead blank";
    const std::string text = formatConfig(written);
    RecordingHooks hooks;
    ConfigSettings read;
    size_t position = 0;
    while (position < text.size()) {
        const size_t end = text.find('\n', position);
        parseConfigLine(text.substr(position, end - position), read, hooks);
        position = end + 1;
    }
    EXPECT_EQ(read, written);
}

class ConfigFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("vimo_config_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        path = (folder / "vimo.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void writeFile(const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    std::filesystem::path folder;
    std::string path;
};

TEST_F(ConfigFileOnDisk, ACrlfFileFromWindowsReadsLikeItsText) {
    std::string crlf;
    for (char c : formatConfig(changedSettings())) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    writeFile(crlf);
    RecordingHooks hooks;
    ConfigSettings read;
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read, changedSettings());
    EXPECT_EQ(hooks.calls.size(), 5u);
}

TEST_F(ConfigFileOnDisk, AnOverlongLineIsOneLineAndItsTailIsNoKey) {
    // The tail of the long line begins exactly like a key at every old piece
    // boundary; none of it may be read as a line of its own.
    std::string filler;
    while (filler.size() < 3000) filler += "H-Interrupts = 0 ";
    writeFile("Rom Path   = " + filler + "\nPSG enabled = 0\n");
    RecordingHooks hooks;
    ConfigSettings read;
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read.hInterrupts, 1);
    EXPECT_EQ(read.psgEnabled, 0);
    EXPECT_EQ(read.romDirectory, filler.substr(0, 2047));
}

TEST_F(ConfigFileOnDisk, MissingFileKeepsTheDefaultsAndSavingCreatesIt) {
    RecordingHooks hooks;
    ConfigSettings read;
    EXPECT_EQ(loadConfigFile(path, read, hooks), 1);
    EXPECT_EQ(read, ConfigSettings{});
    ASSERT_EQ(saveConfigFile(path, changedSettings()), 0);
    ASSERT_EQ(loadConfigFile(path, read, hooks), 0);
    EXPECT_EQ(read, changedSettings());
    EXPECT_EQ(saveConfigFile((folder / "no such folder" / "vimo.ini").string(), read), 1);
}

TEST(ConfigFile, TheFileLiesInTheGivenFolder) {
    EXPECT_EQ(configPathIn("C:\\games"), "C:\\games\\vimo.ini");
}

}  // namespace
}  // namespace vimo
