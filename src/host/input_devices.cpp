#define DIRECTINPUT_VERSION 0x0500
#include "host/input_devices.h"

#include <dinput.h>

#include <cstring>

#include "host/com_release.h"

namespace vimo {

InputSnapshot inputSnapshot;
KeyMap keyMap = keyMapPresets[0];

namespace {

IDirectInputA* directInput = nullptr;
IDirectInputDeviceA* keyboardDevice = nullptr;
uint32_t joystickCount = 0;
IDirectInputDevice2A* joystickDevices[kMaxJoysticks] = {};
DIJOYSTATE joystickStates[kMaxJoysticks] = {};

// Sets the whole device's axes to -1000..1000.
void setAxisRange(IDirectInputDevice2A* device) {
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = 0;
    range.diph.dwHow = DIPH_DEVICE;
    range.lMin = -kAxisRange;
    range.lMax = kAxisRange;
    device->SetProperty(DIPROP_RANGE, &range.diph);
}

BOOL CALLBACK enumJoystickCallback(const DIDEVICEINSTANCEA* instance, void* /*context*/) {
    IDirectInputDeviceA* device = nullptr;
    if (FAILED(directInput->CreateDevice(instance->guidInstance, &device, nullptr))) return DIENUM_CONTINUE;
    IDirectInputDevice2A* device2 = nullptr;
    const HRESULT query = device->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&device2));
    device->Release();
    if (FAILED(query)) return DIENUM_CONTINUE;
    if (FAILED(device2->SetDataFormat(&c_dfDIJoystick))) {
        device2->Release();
        return DIENUM_CONTINUE;
    }
    setAxisRange(device2);
    joystickDevices[joystickCount++] = device2;
    return joystickCount < kMaxJoysticks ? DIENUM_CONTINUE : DIENUM_STOP;
}

// A keyboard that was never acquired, or lost, is acquired and read again.
bool readKeyboard() {
    if (keyboardDevice == nullptr) return false;
    uint8_t keys[256];
    HRESULT result = keyboardDevice->GetDeviceState(sizeof keys, keys);
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
        keyboardDevice->Acquire();
        result = keyboardDevice->GetDeviceState(sizeof keys, keys);
    }
    if (FAILED(result)) return false;
    std::memcpy(inputSnapshot.keyStates, keys, sizeof keys);
    return true;
}

void readFallbackKeys() {
    for (int key = 0; key < 256; ++key) {
        inputSnapshot.fallbackKeyStates[key] = (GetAsyncKeyState(key) & 0x8000) != 0 ? 1 : 0;
    }
}

void copyJoystick(uint32_t index) {
    const DIJOYSTATE& state = joystickStates[index];
    JoystickSnapshot& joystick = inputSnapshot.joysticks[index];
    joystick.x = state.lX;
    joystick.y = state.lY;
    std::memcpy(joystick.buttons, state.rgbButtons, sizeof joystick.buttons);
}

// A joystick that cannot be acquired keeps its last state.
void readJoystick(uint32_t index) {
    IDirectInputDevice2A* device = joystickDevices[index];
    inputSnapshot.joysticks[index].present = device != nullptr;
    if (device == nullptr) return;
    if (SUCCEEDED(device->Acquire())) {
        device->Poll();
        if (SUCCEEDED(device->GetDeviceState(sizeof(DIJOYSTATE), &joystickStates[index]))) copyJoystick(index);
    }
    device->Unacquire();
}

}  // namespace

int32_t initInput(HINSTANCE instance, HWND window) {
    if (FAILED(DirectInputCreateA(instance, 0x0500, &directInput, nullptr))) {
        directInput = nullptr;
        return 0;
    }
    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboardDevice, nullptr))) {
        keyboardDevice = nullptr;
        return 0;
    }
    keyboardDevice->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(keyboardDevice->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
        releaseObject(keyboardDevice);
        return 0;
    }
    joystickCount = 0;
    directInput->EnumDevices(DIDEVTYPE_JOYSTICK, enumJoystickCallback, nullptr, DIEDFL_ATTACHEDONLY);
    inputSnapshot.joystickCount = joystickCount;
    keyboardDevice->Acquire();
    return 1;
}

void releaseInput() {
    releaseObject(directInput);
    releaseObject(keyboardDevice);
}

// Only the key array that was read stays filled; the other is cleared so a
// key held when the source changed does not stay down.
void pollInput() {
    if (readKeyboard()) {
        keepKeySource(inputSnapshot, KeySource::DirectInput);
    } else {
        readFallbackKeys();
        keepKeySource(inputSnapshot, KeySource::Fallback);
    }
    for (uint32_t index = 0; index < joystickCount; ++index) readJoystick(index);
}

int32_t readPads(uint32_t pads[2], bool joysticksOnly) {
    pollInput();
    buildPads(inputSnapshot, keyMap, joysticksOnly, pads);
    return 0;
}

}  // namespace vimo
