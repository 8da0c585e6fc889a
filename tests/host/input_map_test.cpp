// Input codes, key-map presets and the pad words built from a snapshot of
// the keyboard and joysticks.
#include <functional>

#include <gtest/gtest.h>

#include "host/input_map.h"

namespace vimo {
namespace {

constexpr uint32_t kReleased = 0xF303F;
constexpr uint8_t kDown = 0x80;   // DirectInput's byte for a held key

InputSnapshot withJoysticks(uint32_t count) {
    InputSnapshot snapshot;
    snapshot.joystickCount = count;
    for (uint32_t j = 0; j < count; ++j) snapshot.joysticks[j].present = true;
    return snapshot;
}

TEST(InputMap, PadWordsFromSnapshotsWithTheDefaultPreset) {
    using Setup = std::function<void(InputSnapshot&)>;
    const struct {
        const char* name;
        Setup hold;
        uint32_t pad1, pad2;
    } cases[] = {
        {"nothing", [](InputSnapshot&) {}, kReleased, kReleased},
        {"Up key", [](InputSnapshot& s) { s.keyStates[0xC8] = kDown; }, kReleased & ~1u, kReleased},
        {"A key", [](InputSnapshot& s) { s.keyStates[0x1E] = kDown; }, kReleased & ~(1u << 12), kReleased},
        {"Mode key", [](InputSnapshot& s) { s.keyStates[0x13] = kDown; }, kReleased & ~(1u << 19), kReleased},
        {"Left and Right", [](InputSnapshot& s) { s.keyStates[0xCB] = s.keyStates[0xCD] = kDown; },
         kReleased & ~12u, kReleased},
        {"virtual Up only", [](InputSnapshot& s) { s.fallbackKeyStates[0x26] = 1; }, kReleased, kReleased},
        {"stick y -501", [](InputSnapshot& s) { s.joysticks[0].y = -501; }, kReleased, kReleased & ~1u},
        {"stick y -500", [](InputSnapshot& s) { s.joysticks[0].y = -500; }, kReleased, kReleased},
        {"stick x 501", [](InputSnapshot& s) { s.joysticks[0].x = 501; }, kReleased, kReleased & ~8u},
        {"button 1 is Start", [](InputSnapshot& s) { s.joysticks[0].buttons[1] = kDown; }, kReleased,
         kReleased & ~(1u << 13)},
        {"button 7 is Mode", [](InputSnapshot& s) { s.joysticks[0].buttons[7] = kDown; }, kReleased,
         kReleased & ~(1u << 19)},
        {"absent joystick", [](InputSnapshot& s) { s.joysticks[0].buttons[0] = kDown; s.joysticks[0].present = false; },
         kReleased, kReleased},
    };
    for (const auto& c : cases) {
        InputSnapshot snapshot = withJoysticks(1);
        c.hold(snapshot);
        uint32_t pads[2] = {0, 0};
        buildPads(snapshot, keyMapPresets[0], false, pads);
        EXPECT_EQ(pads[0], c.pad1) << c.name;
        EXPECT_EQ(pads[1], c.pad2) << c.name;
    }
}

TEST(InputMap, JoysticksOnlySkipsKeyCodes) {
    InputSnapshot snapshot = withJoysticks(1);
    snapshot.keyStates[0x1E] = kDown;
    snapshot.joysticks[0].buttons[1] = kDown;
    uint32_t pads[2];
    buildPads(snapshot, keyMapPresets[0], true, pads);
    EXPECT_EQ(pads[0], kReleased);
    EXPECT_EQ(pads[1], kReleased & ~(1u << 13));
}

TEST(InputMap, QueryGivesACodesStateOrTheFirstActiveCode) {
    InputSnapshot snapshot = withJoysticks(2);
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), kNoInput);
    snapshot.joysticks[1].y = 900;
    snapshot.joysticks[0].buttons[3] = kDown;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 0x10013);
    EXPECT_EQ(queryInput(snapshot, kNoInput, 1), joystickCode(1, kJoystickDown));   // joystick 0 masked
    EXPECT_EQ(queryInput(snapshot, 0x10013, 0), kDown);
    EXPECT_EQ(queryInput(snapshot, 0x10013, 1), 0);
    for (InputCode nothing : {0x10005, 0x1000F, 0x10210, 300}) EXPECT_EQ(queryInput(snapshot, nothing, 0), 0);
    snapshot.fallbackKeyStates[0x41] = 1;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 512 + 0x41);
    snapshot.keyStates[0x1E] = kDown;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 0x1E);
}

TEST(InputMap, ChangingKeySourceClearsTheArrayNotInUse) {
    InputSnapshot snapshot;
    snapshot.keyStates[0xC8] = kDown;   // Up held when the DirectInput keyboard stopped
    snapshot.fallbackKeyStates[0x26] = 1;
    keepKeySource(snapshot, KeySource::Fallback);
    uint32_t pads[2];
    buildPads(snapshot, keyMapPresets[0], false, pads);
    EXPECT_EQ(pads[0], kReleased);
    EXPECT_EQ(snapshot.fallbackKeyStates[0x26], 1);
    keepKeySource(snapshot, KeySource::DirectInput);
    EXPECT_EQ(snapshot.fallbackKeyStates[0x26], 0);
}

TEST(InputMap, PresetsSwapAndReplaceTheHalves) {
    KeyMap map = keyMapPresets[0];
    EXPECT_EQ(map.pads[1][kSlotUp], 0x10001);
    EXPECT_TRUE(applyKeyPreset(map, 1));
    EXPECT_EQ(map.pads[0][kSlotStart], 0x10011);
    EXPECT_EQ(map.pads[1][kSlotMode], 0x13);
    EXPECT_TRUE(applyKeyPreset(map, 2));
    EXPECT_EQ(map.pads[1][kSlotC], 0x10113);
    for (int32_t bad : {3, -1}) EXPECT_FALSE(applyKeyPreset(map, bad));
    EXPECT_EQ(map.pads[1][kSlotC], 0x10113);
}

}  // namespace
}  // namespace vimo
