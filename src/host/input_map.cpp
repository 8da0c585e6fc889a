#include "host/input_map.h"

#include <cstring>

#include "machine/machine.h"

namespace vimo {

namespace {

// Bits of the pad word per slot: Up 0, Down 1, Left 2, Right 3, A 12, B 4,
// C 5, Start 13, X 18, Y 17, Z 16, Mode 19.
constexpr uint32_t kSlotBits[kUsedPadSlots] = {0, 1, 2, 3, 12, 4, 5, 13, 18, 17, 16, 19};

constexpr uint32_t maskFor(uint32_t slot) {
    return kPadsReleased & ~(1u << kSlotBits[slot]);
}

// DirectInput scan codes of the keyboard half: arrows, A S D, Return, Q W E R.
constexpr InputCode kKeyboardHalf[kKeyMapSlots] = {
    0xC8, 0xD0, 0xCB, 0xCD, 0x1E, 0x1F, 0x20, 0x1C, 0x10, 0x11, 0x12, 0x13, 0, 0, 0, 0};

// Joystick buttons per slot after the four directions: A 0, B 2, C 3,
// Start 1, X 4, Y 5, Z 6, Mode 7.
constexpr InputCode kJoystickButtonsPerSlot[8] = {0, 2, 3, 1, 4, 5, 6, 7};

struct JoystickHalf {
    InputCode codes[kKeyMapSlots];
};

constexpr JoystickHalf joystickHalf(uint32_t joystick) {
    JoystickHalf half{};
    half.codes[kSlotUp] = joystickCode(joystick, kJoystickUp);
    half.codes[kSlotDown] = joystickCode(joystick, kJoystickDown);
    half.codes[kSlotLeft] = joystickCode(joystick, kJoystickLeft);
    half.codes[kSlotRight] = joystickCode(joystick, kJoystickRight);
    for (uint32_t i = 0; i < 8; ++i) {
        half.codes[kSlotA + i] = joystickCode(joystick, kJoystickButton0 + kJoystickButtonsPerSlot[i]);
    }
    return half;
}

constexpr KeyMap makePreset(const InputCode (&pad1)[kKeyMapSlots], const InputCode (&pad2)[kKeyMapSlots]) {
    KeyMap map{};
    for (uint32_t i = 0; i < kKeyMapSlots; ++i) {
        map.pads[0][i] = pad1[i];
        map.pads[1][i] = pad2[i];
    }
    return map;
}

constexpr JoystickHalf kJoystick0 = joystickHalf(0);
constexpr JoystickHalf kJoystick1 = joystickHalf(1);

int32_t joystickState(const JoystickSnapshot& joystick, InputCode part) {
    switch (part) {
        case kJoystickUp: return joystick.y < -kAxisThreshold ? 1 : 0;
        case kJoystickDown: return joystick.y > kAxisThreshold ? 1 : 0;
        case kJoystickLeft: return joystick.x < -kAxisThreshold ? 1 : 0;
        case kJoystickRight: return joystick.x > kAxisThreshold ? 1 : 0;
        default: break;
    }
    const InputCode button = part - kJoystickButton0;
    if (button >= 0 && button < static_cast<InputCode>(kJoystickButtons)) {
        return joystick.buttons[button];
    }
    return 0;
}

bool joystickUsable(const InputSnapshot& snapshot, uint32_t joystick, uint32_t skipMask) {
    return joystick < snapshot.joystickCount && joystick < kMaxJoysticks &&
           snapshot.joysticks[joystick].present && (skipMask & (1u << joystick)) == 0;
}

int32_t codeState(const InputSnapshot& snapshot, InputCode code, uint32_t skipMask) {
    if (code >= 0 && code < 256) return snapshot.keyStates[code];
    if (code >= kVirtualKeyBase && code < kVirtualKeyEnd) {
        return snapshot.fallbackKeyStates[code - kVirtualKeyBase];
    }
    if (code < kJoystickBase) return 0;
    const uint32_t joystick = static_cast<uint32_t>((code - kJoystickBase) / kJoystickStride);
    if (!joystickUsable(snapshot, joystick, skipMask)) return 0;
    return joystickState(snapshot.joysticks[joystick], (code - kJoystickBase) % kJoystickStride);
}

// The order in which a search for any active input looks: keys, virtual keys,
// then each joystick's directions and buttons.
InputCode firstActive(const InputSnapshot& snapshot, uint32_t skipMask) {
    for (InputCode key = 0; key < 256; ++key) {
        if (snapshot.keyStates[key] != 0) return key;
    }
    for (InputCode key = 0; key < 256; ++key) {
        if (snapshot.fallbackKeyStates[key] != 0) return kVirtualKeyBase + key;
    }
    for (uint32_t joystick = 0; joystick < snapshot.joystickCount && joystick < kMaxJoysticks; ++joystick) {
        if (!joystickUsable(snapshot, joystick, skipMask)) continue;
        const InputCode lastPart = kJoystickButton0 + static_cast<InputCode>(kJoystickButtons);
        for (InputCode part = kJoystickUp; part < lastPart; ++part) {
            if (part > kJoystickRight && part < kJoystickButton0) continue;
            if (joystickState(snapshot.joysticks[joystick], part) != 0) return joystickCode(joystick, part);
        }
    }
    return kNoInput;
}

}  // namespace

const uint32_t padButtonMasks[kUsedPadSlots] = {
    maskFor(0), maskFor(1), maskFor(2), maskFor(3), maskFor(4), maskFor(5),
    maskFor(6), maskFor(7), maskFor(8), maskFor(9), maskFor(10), maskFor(11)};

const KeyMap keyMapPresets[kKeyMapPresetCount] = {
    makePreset(kKeyboardHalf, kJoystick0.codes),
    makePreset(kJoystick0.codes, kKeyboardHalf),
    makePreset(kJoystick0.codes, kJoystick1.codes),
};

void keepKeySource(InputSnapshot& snapshot, KeySource source) {
    if (source == KeySource::DirectInput) {
        std::memset(snapshot.fallbackKeyStates, 0, sizeof snapshot.fallbackKeyStates);
    } else {
        std::memset(snapshot.keyStates, 0, sizeof snapshot.keyStates);
    }
}

int32_t queryInput(const InputSnapshot& snapshot, InputCode code, uint32_t skipMask) {
    if (code == kNoInput) return firstActive(snapshot, skipMask);
    return codeState(snapshot, code, skipMask);
}

void buildPads(const InputSnapshot& snapshot, const KeyMap& keyMap, bool joysticksOnly,
               uint32_t pads[2]) {
    for (uint32_t pad = 0; pad < 2; ++pad) {
        pads[pad] = kPadsReleased;
        for (uint32_t slot = 0; slot < kUsedPadSlots; ++slot) {
            const InputCode code = keyMap.pads[pad][slot];
            if (joysticksOnly && code < kVirtualKeyEnd) continue;
            if (queryInput(snapshot, code, 0) != 0) pads[pad] &= padButtonMasks[slot];
        }
    }
}

bool applyKeyPreset(KeyMap& keyMap, int32_t preset) {
    if (preset < 0 || preset >= kKeyMapPresetCount) return false;
    keyMap = keyMapPresets[preset];
    return true;
}

}  // namespace vimo
