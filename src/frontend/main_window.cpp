#include "frontend/main_window.h"

#include <commctrl.h>

#include <new>

#include "frontend/commands.h"
#include "frontend/config_glue.h"
#include "frontend/reports.h"
#include "host/input_devices.h"
#include "host/sound_output.h"
#include "resource.h"

namespace vimo {

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND statusBar = nullptr;
VideoOutput* videoOutput = nullptr;
Machine* frontMachine = nullptr;
uint32_t fullscreen = 0;
uint32_t emulationRunning = 1;
int32_t frameSkip = -1;
HBRUSH lampBrushes[5] = {};
bool altReleaseEndsChord = false;

namespace {

constexpr int kWindowX = 76;
constexpr int kWindowY = 53;
constexpr int kWindowWidth = 648;
constexpr int kWindowHeight = 494;
constexpr int kLampPartRight = 48;

void createStatusBar() {
    statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", mainWindow, IDC_STATUS_BAR);
    if (statusBar == nullptr) return;
    int parts[2] = {kLampPartRight, -1};
    SendMessageA(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageA(statusBar, SB_SETTEXTA, 0 | SBT_OWNERDRAW, 0);
}

LRESULT paintWindow() {
    PAINTSTRUCT paint;
    BeginPaint(mainWindow, &paint);
    if (videoOutput != nullptr) videoOutput->repaint();
    EndPaint(mainWindow, &paint);
    sendStatusText();
    return 0;
}

}  // namespace

ATOM registerMainClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VIMO));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOWFRAME + 1);
    windowClass.lpszClassName = kMainClassName;
    return RegisterClassA(&windowClass);
}

int32_t createMainWindow() {
    const DWORD style = fullscreen != 0 ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    mainWindow = CreateWindowExA(0, kMainClassName, kNoRomTitle, style, kWindowX, kWindowY, kWindowWidth,
                                 kWindowHeight, nullptr, nullptr, appInstance, nullptr);
    if (mainWindow == nullptr) return 1;
    if (fullscreen == 0) createStatusBar();
    videoOutput = new (std::nothrow) VideoOutput(mainWindow, fullscreen);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    UpdateWindow(mainWindow);
    return 0;
}

int32_t initDevices(HINSTANCE instance) {
    initInput(instance, mainWindow);
    initSound(mainWindow);
    return 0;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            shutdownFrontEnd();
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (statusBar != nullptr) SendMessageA(statusBar, WM_SIZE, 0, 0);
            return 0;
        case WM_PAINT:
            return paintWindow();
        case WM_DRAWITEM:
            paintLamps(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hDC);
            return 0;
        case WM_COMMAND:
            if (runCommand(LOWORD(wParam))) return 0;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_MENUSELECT:
            silenceSoundBuffer();
            return 0;
        case WM_SYSCOMMAND:
            // lParam 0: the menu asked for by a key, not by a mnemonic.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && altReleaseEndsChord) return 0;
            return DefWindowProcA(window, message, wParam, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A music log still open is closed so that its file is complete.
int32_t shutdownFrontEnd() {
    if (frontMachine != nullptr) {
        frontMachine->stopGymLog();
        frontMachine->freeRom();
    }
    ShowCursor(TRUE);
    saveConfig();
    releaseSound();
    releaseInput();
    releaseVideo();
    return 0;
}

int32_t releaseVideo() {
    if (videoOutput != nullptr) videoOutput->close();
    return 0;
}

}  // namespace vimo
