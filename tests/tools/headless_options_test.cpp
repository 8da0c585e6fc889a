// vimo-headless's command line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "options.h"

namespace vimo::headless {
namespace {

std::string parse(std::vector<const char*> args, Options& options) {
    args.insert(args.begin(), "vimo-headless");
    return parseOptions(static_cast<int>(args.size()), args.data(), options);
}

TEST(HeadlessOptions, Defaults) {
    Options options;
    ASSERT_EQ(parse({"--rom", "game.bin"}, options), "");
    EXPECT_EQ(options.rom, "game.bin");
    EXPECT_EQ(options.frames, 600u);
    EXPECT_TRUE(options.png.empty());
    EXPECT_TRUE(options.wav.empty());
    EXPECT_TRUE(options.presses.empty());
    EXPECT_EQ(options.z80Core, 1u);
    EXPECT_EQ(options.country & 0xFF0, 0xFF0u) << "autodetect";
}

TEST(HeadlessOptions, EveryOption) {
    Options options;
    ASSERT_EQ(parse({"--frames", "42", "--rom", "a.zip", "--png", "p.png", "--wav", "s.wav", "--press",
                     "start+a@10-20", "--press", "up@5", "--z80", "kite", "--country", "europe"},
                    options),
              "");
    EXPECT_EQ(options.rom, "a.zip");
    EXPECT_EQ(options.frames, 42u);
    EXPECT_EQ(options.png, "p.png");
    EXPECT_EQ(options.wav, "s.wav");
    EXPECT_EQ(options.z80Core, 2u);
    EXPECT_EQ(options.country, 0xC0u);
    ASSERT_EQ(options.presses.size(), 2u);
    EXPECT_EQ(options.presses[0].buttons, (1u << 13) | (1u << 12));
    EXPECT_EQ(options.presses[0].first, 10u);
    EXPECT_EQ(options.presses[0].last, 20u);
    EXPECT_EQ(options.presses[1].buttons, 1u);
    EXPECT_EQ(options.presses[1].first, 5u);
    EXPECT_EQ(options.presses[1].last, 5u);

    for (const auto& [name, value] : std::vector<std::pair<const char*, uint32_t>>{
             {"usa", 0x80}, {"japan", 0x00}, {"europe", 0xC0}}) {
        Options o;
        ASSERT_EQ(parse({"--rom", "r", "--country", name}, o), "");
        EXPECT_EQ(o.country, value) << name;
    }
    Options zeta;
    ASSERT_EQ(parse({"--rom", "r", "--z80", "zeta"}, zeta), "");
    EXPECT_EQ(zeta.z80Core, 1u);
}

TEST(HeadlessOptions, BiosInsteadOfRom) {
    Options options;
    ASSERT_EQ(parse({"--bios", "us.bin", "--country", "usa", "--frames", "5"}, options), "");
    EXPECT_EQ(options.bios, "us.bin");
    EXPECT_TRUE(options.rom.empty());
    EXPECT_EQ(options.country, 0x80u);
    EXPECT_NE(parse({"--bios", "us.bin", "--rom", "game.bin"}, options), "") << "one or the other";
}

TEST(HeadlessOptions, DiscWithABiosPerCountry) {
    Options options;
    ASSERT_EQ(parse({"--cd", "game.BIN", "--bios-usa", "u.bin", "--bios-japan", "j.bin", "--bios-europe",
                     "e.bin"},
                    options),
              "");
    EXPECT_EQ(options.cd, "game.BIN");
    EXPECT_EQ(options.countryBios[0], "u.bin");
    EXPECT_EQ(options.countryBios[1], "j.bin");
    EXPECT_EQ(options.countryBios[2], "e.bin");
    EXPECT_TRUE(options.bios.empty());
    EXPECT_EQ(options.country & 0xFF0, 0xFF0u) << "autodetect";

    Options one;
    ASSERT_EQ(parse({"--cd", "game.iso", "--bios", "b.bin", "--country", "japan"}, one), "");
    EXPECT_EQ(one.bios, "b.bin");
    Options none;
    EXPECT_NE(parse({"--cd", "game.iso"}, none), "") << "a disc needs a BIOS";
    Options rom;
    EXPECT_NE(parse({"--cd", "game.iso", "--rom", "r.bin"}, rom), "");
    Options romAndBios;
    EXPECT_NE(parse({"--bios-europe", "e.bin", "--rom", "r.bin"}, romAndBios), "");
}

TEST(HeadlessOptions, ButtonNamesAreThePadStateBits) {
    // Up 0, Down 1, Left 2, Right 3, B 4, C 5, A 12, Start 13, Z 16, Y 17, X 18, Mode 19.
    const std::vector<std::pair<const char*, int>> buttons = {
        {"up", 0}, {"down", 1}, {"left", 2},   {"right", 3}, {"b", 4},  {"c", 5},
        {"a", 12}, {"start", 13}, {"z", 16}, {"y", 17},     {"x", 18}, {"mode", 19}};
    for (const auto& [name, bit] : buttons) EXPECT_EQ(padButtonBit(name), 1u << bit) << name;
    EXPECT_EQ(padButtonBit("A"), 0u);
    EXPECT_EQ(padButtonBit("select"), 0u);
    EXPECT_EQ(padButtonBit(""), 0u);
}

TEST(HeadlessOptions, PressedButtonsJoinOverlappingRanges) {
    Options options;
    ASSERT_EQ(parse({"--rom", "r", "--press", "a@2-4", "--press", "b+c@4-6"}, options), "");
    EXPECT_EQ(pressedButtons(options, 1), 0u);
    EXPECT_EQ(pressedButtons(options, 2), 1u << 12);
    EXPECT_EQ(pressedButtons(options, 4), (1u << 12) | (1u << 4) | (1u << 5));
    EXPECT_EQ(pressedButtons(options, 6), (1u << 4) | (1u << 5));
    EXPECT_EQ(pressedButtons(options, 7), 0u);
}

TEST(HeadlessOptions, MistakesAreReported) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--frames", "10"},
        {"--rom"},
        {"--rom", "r", "--frames", "ten"},
        {"--rom", "r", "--frames", "-1"},
        {"--rom", "r", "--press", "a"},
        {"--rom", "r", "--press", "select@1-2"},
        {"--rom", "r", "--press", "a+@1-2"},
        {"--rom", "r", "--press", "@1-2"},
        {"--rom", "r", "--press", "a@20-10"},
        {"--rom", "r", "--press", "a@x-3"},
        {"--rom", "r", "--z80", "other"},
        {"--rom", "r", "--country", "mars"},
        {"--rom", "r", "--speed", "2"},
    };
    for (const auto& args : bad) {
        Options options;
        EXPECT_NE(parse(args, options), "") << (args.empty() ? "(none)" : args.back());
    }
}

}  // namespace
}  // namespace vimo::headless
