// Host inputs as the pads see them: input codes, the key map and its presets,
// and the two pad words built from a snapshot of the keyboard and joysticks.
// The DirectInput side (input_devices) only fills the snapshot.
#pragma once

#include <cstdint>

namespace vimo {

// One host input: 0-255 a DirectInput key scan code; 512 + v the Windows
// virtual key v; for joystick j the four directions and 32 buttons.
using InputCode = int32_t;

constexpr InputCode kNoInput = -1;
constexpr InputCode kVirtualKeyBase = 512;
constexpr InputCode kVirtualKeyEnd = 768;       // first code past the virtual keys
constexpr InputCode kJoystickBase = 0x10000;
constexpr InputCode kJoystickStride = 256;
constexpr InputCode kJoystickUp = 1;
constexpr InputCode kJoystickDown = 2;
constexpr InputCode kJoystickLeft = 3;
constexpr InputCode kJoystickRight = 4;
constexpr InputCode kJoystickButton0 = 0x10;

constexpr uint32_t kMaxJoysticks = 32;
constexpr uint32_t kJoystickButtons = 32;
constexpr int32_t kAxisThreshold = 500;   // beyond +-500 of -1000..1000 counts
constexpr int32_t kAxisRange = 1000;

constexpr InputCode joystickCode(uint32_t joystick, InputCode part) {
    return kJoystickBase + kJoystickStride * static_cast<InputCode>(joystick) + part;
}

// Pad slots, in key-map order.
enum PadSlot : uint32_t {
    kSlotUp, kSlotDown, kSlotLeft, kSlotRight, kSlotA, kSlotB, kSlotC, kSlotStart,
    kSlotX, kSlotY, kSlotZ, kSlotMode,
};
constexpr uint32_t kUsedPadSlots = 12;
constexpr uint32_t kKeyMapSlots = 16;     // slots 12-15 hold 0 and are not read

struct KeyMap {
    InputCode pads[2][kKeyMapSlots];
};

// Per slot, the pad word with only that button's bit clear.
extern const uint32_t padButtonMasks[kUsedPadSlots];
// 0: keyboard / joystick 0 (the default); 1: joystick 0 / keyboard;
// 2: joystick 0 / joystick 1.
constexpr int32_t kKeyMapPresetCount = 3;
extern const KeyMap keyMapPresets[kKeyMapPresetCount];

struct JoystickSnapshot {
    bool present = false;
    int32_t x = 0;   // -1000..1000
    int32_t y = 0;
    uint8_t buttons[kJoystickButtons] = {};
};

// What the devices read last. Only one of the two key arrays is in use at a
// time; the other is kept cleared, so a key held while the source changed
// cannot stay pressed.
struct InputSnapshot {
    uint8_t keyStates[256] = {};           // DirectInput keyboard, by scan code
    uint8_t fallbackKeyStates[256] = {};   // 1 = down, by virtual key
    uint32_t joystickCount = 0;
    JoystickSnapshot joysticks[kMaxJoysticks];
};

// Which key array the last poll filled; the other is cleared.
enum class KeySource { DirectInput, Fallback };
void keepKeySource(InputSnapshot& snapshot, KeySource source);

// The state of one code (non-zero when active, 0 when inactive or naming
// nothing); for kNoInput the first active code, or kNoInput. Bit j of the
// skip mask leaves joystick j out.
int32_t queryInput(const InputSnapshot& snapshot, InputCode code, uint32_t skipMask);

// Rebuilds both active-low pad words from the snapshot. With joysticksOnly,
// key codes (below 768) are not looked at.
void buildPads(const InputSnapshot& snapshot, const KeyMap& keyMap, bool joysticksOnly,
               uint32_t pads[2]);

// Copies a preset over the map; false (map unchanged) for a preset not there.
bool applyKeyPreset(KeyMap& keyMap, int32_t preset);

}  // namespace vimo
