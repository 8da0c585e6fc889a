// Input codes, key-map presets and the pad words built from a snapshot of
// the keyboard and joysticks.
#include <gtest/gtest.h>

#include "host/input_map.h"

namespace vimo {
namespace {

constexpr uint32_t kReleased = 0xF303F;
constexpr uint8_t kKeyDown = 0x80;   // DirectInput's byte for a held key

InputSnapshot withJoysticks(uint32_t count) {
    InputSnapshot snapshot;
    snapshot.joystickCount = count;
    for (uint32_t j = 0; j < count; ++j) snapshot.joysticks[j].present = true;
    return snapshot;
}

uint32_t padWith(const InputSnapshot& snapshot, int pad, const KeyMap& map = keyMapPresets[0]) {
    uint32_t pads[2] = {0, 0};
    buildPads(snapshot, map, false, pads);
    return pads[pad];
}

struct KeyCase {
    const char* name;
    uint8_t scanCode;
    uint32_t bit;
};

TEST(InputMap, EachKeyboardKeyClearsItsButtonBitOfPadOne) {
    const KeyCase cases[] = {
        {"Up", 0xC8, 0}, {"Down", 0xD0, 1}, {"Left", 0xCB, 2}, {"Right", 0xCD, 3},
        {"A", 0x1E, 12}, {"B", 0x1F, 4}, {"C", 0x20, 5}, {"Start", 0x1C, 13},
        {"X", 0x10, 18}, {"Y", 0x11, 17}, {"Z", 0x12, 16}, {"Mode", 0x13, 19},
    };
    for (const KeyCase& c : cases) {
        InputSnapshot snapshot;
        snapshot.keyStates[c.scanCode] = kKeyDown;
        EXPECT_EQ(padWith(snapshot, 0), kReleased & ~(1u << c.bit)) << c.name;
        EXPECT_EQ(padWith(snapshot, 1), kReleased) << c.name;
    }
}

TEST(InputMap, NothingHeldReleasesBothPadsAndOppositeDirectionsBothCount) {
    InputSnapshot snapshot;
    EXPECT_EQ(padWith(snapshot, 0), kReleased);
    EXPECT_EQ(padWith(snapshot, 1), kReleased);
    snapshot.keyStates[0xCB] = kKeyDown;   // Left
    snapshot.keyStates[0xCD] = kKeyDown;   // Right
    snapshot.keyStates[0xC8] = kKeyDown;   // Up
    EXPECT_EQ(padWith(snapshot, 0), kReleased & ~0b1101u);
}

TEST(InputMap, JoystickAxesCountOnlyBeyondHalfTheirRange) {
    struct AxisCase {
        int32_t x, y;
        uint32_t pad;
    } cases[] = {
        {0, -501, kReleased & ~1u},   {0, -500, kReleased},  {0, 501, kReleased & ~2u},
        {0, 500, kReleased},          {-501, 0, kReleased & ~4u}, {501, 0, kReleased & ~8u},
        {-1000, -1000, kReleased & ~5u},
    };
    for (const AxisCase& c : cases) {
        InputSnapshot snapshot = withJoysticks(1);
        snapshot.joysticks[0].x = c.x;
        snapshot.joysticks[0].y = c.y;
        EXPECT_EQ(padWith(snapshot, 1), c.pad) << c.x << "," << c.y;   // preset 0: joystick 0 drives pad 2
    }
}

TEST(InputMap, JoystickButtonsFollowThePresetOrder) {
    // Buttons 0..7 are A, Start, B, C, X, Y, Z, Mode.
    const uint32_t bits[8] = {12, 13, 4, 5, 18, 17, 16, 19};
    for (uint32_t button = 0; button < 8; ++button) {
        InputSnapshot snapshot = withJoysticks(1);
        snapshot.joysticks[0].buttons[button] = kKeyDown;
        EXPECT_EQ(padWith(snapshot, 1), kReleased & ~(1u << bits[button])) << button;
    }
}

TEST(InputMap, AbsentOrUncountedJoysticksGiveNothing) {
    InputSnapshot snapshot = withJoysticks(1);
    snapshot.joysticks[0].buttons[0] = kKeyDown;
    snapshot.joysticks[0].present = false;
    EXPECT_EQ(padWith(snapshot, 1), kReleased);
    snapshot.joysticks[0].present = true;
    snapshot.joystickCount = 0;
    EXPECT_EQ(padWith(snapshot, 1), kReleased);
}

TEST(InputMap, QueryFindsTheFirstActiveCodeInSearchOrder) {
    InputSnapshot snapshot = withJoysticks(2);
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), kNoInput);
    snapshot.joysticks[1].y = 900;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), joystickCode(1, kJoystickDown));
    snapshot.joysticks[0].buttons[3] = kKeyDown;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 0x10013);
    EXPECT_EQ(queryInput(snapshot, kNoInput, 1), joystickCode(1, kJoystickDown));   // joystick 0 masked
    snapshot.fallbackKeyStates[0x41] = 1;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 512 + 0x41);
    snapshot.keyStates[0x1E] = kKeyDown;
    EXPECT_EQ(queryInput(snapshot, kNoInput, 0), 0x1E);
}

TEST(InputMap, QueryOfOneCodeGivesItsState) {
    InputSnapshot snapshot = withJoysticks(1);
    snapshot.keyStates[0x1E] = kKeyDown;
    snapshot.joysticks[0].buttons[3] = 0x80;
    snapshot.joysticks[0].x = -800;
    EXPECT_EQ(queryInput(snapshot, 0x1E, 0), kKeyDown);
    EXPECT_EQ(queryInput(snapshot, 0x1F, 0), 0);
    EXPECT_EQ(queryInput(snapshot, 0x10013, 0), 0x80);
    EXPECT_EQ(queryInput(snapshot, 0x10013, 1), 0);    // masked
    EXPECT_EQ(queryInput(snapshot, 0x10003, 0), 1);    // left
    EXPECT_EQ(queryInput(snapshot, 0x10005, 0), 0);    // no such direction
    EXPECT_EQ(queryInput(snapshot, 0x10110, 0), 0);    // joystick 1 not there
    EXPECT_EQ(queryInput(snapshot, 300, 0), 0);        // names nothing
    EXPECT_EQ(queryInput(snapshot, 0x1000F, 0), 0);
}

TEST(InputMap, JoysticksOnlySkipsKeyCodes) {
    InputSnapshot snapshot = withJoysticks(1);
    snapshot.keyStates[0x1E] = kKeyDown;
    snapshot.joysticks[0].buttons[1] = kKeyDown;   // Start on joystick 0
    KeyMap map = keyMapPresets[0];
    uint32_t pads[2];
    buildPads(snapshot, map, true, pads);
    EXPECT_EQ(pads[0], kReleased);                       // keyboard pad ignored
    EXPECT_EQ(pads[1], kReleased & ~(1u << 13));
}

TEST(InputMap, WithoutDirectInputTheDefaultKeyboardPadGetsNothing) {
    InputSnapshot snapshot;
    snapshot.fallbackKeyStates[0x26] = 1;   // VK_UP through the fallback
    EXPECT_EQ(padWith(snapshot, 0), kReleased);
}

TEST(InputMap, ChangingKeySourceClearsTheArrayNotInUse) {
    InputSnapshot snapshot;
    snapshot.keyStates[0xC8] = kKeyDown;        // Up held when DirectInput failed
    snapshot.fallbackKeyStates[0x26] = 1;
    keepKeySource(snapshot, KeySource::Fallback);
    EXPECT_EQ(snapshot.keyStates[0xC8], 0);
    EXPECT_EQ(snapshot.fallbackKeyStates[0x26], 1);
    EXPECT_EQ(padWith(snapshot, 0), kReleased);  // no stale Up
    keepKeySource(snapshot, KeySource::DirectInput);
    EXPECT_EQ(snapshot.fallbackKeyStates[0x26], 0);
}

TEST(InputMap, PresetsSwapAndReplaceTheHalves) {
    KeyMap map = keyMapPresets[0];
    EXPECT_EQ(map.pads[0][kSlotUp], 0xC8);
    EXPECT_EQ(map.pads[1][kSlotUp], 0x10001);
    EXPECT_EQ(map.pads[0][12], 0);
    EXPECT_TRUE(applyKeyPreset(map, 1));
    EXPECT_EQ(map.pads[0][kSlotStart], 0x10011);
    EXPECT_EQ(map.pads[1][kSlotMode], 0x13);
    EXPECT_TRUE(applyKeyPreset(map, 2));
    EXPECT_EQ(map.pads[1][kSlotA], 0x10110);
    EXPECT_EQ(map.pads[1][kSlotC], 0x10113);
    for (int32_t bad : {3, -1, 100}) {
        EXPECT_FALSE(applyKeyPreset(map, bad));
        EXPECT_EQ(map.pads[1][kSlotA], 0x10110);
    }
}

}  // namespace
}  // namespace vimo
