// vimo.exe's entry point: start-up in a fixed order, then the message loop,
// whose idle time runs the emulation.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "frontend/commands.h"
#include "frontend/config_glue.h"
#include "frontend/frame_glue.h"
#include "frontend/main_window.h"
#include "frontend/reports.h"
#include "frontend/status_lamps.h"
#include "host/aspi_library.h"
#include "machine/report.h"
#include "resource.h"

namespace vimo {

namespace {

void createLampBrushes() {
    for (int brush = 0; brush < 5; ++brush) lampBrushes[brush] = CreateSolidBrush(kLampBrushColours[brush]);
}

// A machine whose construction failed has shown its own error box; the
// program cannot run without one.
bool buildMachine() {
    Machine* machine = new (std::nothrow) Machine;
    if (machine == nullptr) {
        showErrorBox("Couldn't allocate the Megadrive machine");
        return false;
    }
    if (!machine->isUsable() || globalMachine != machine) return false;
    frontMachine = machine;
    return true;
}

// True from an accelerator taken while Alt was held until Alt is released.
bool altChordTaken = false;

bool isAltKey(WPARAM key) {
    return key == VK_MENU || key == VK_LMENU || key == VK_RMENU;
}

bool isAltRelease(const MSG& message) {
    return (message.message == WM_SYSKEYUP || message.message == WM_KEYUP) && isAltKey(message.wParam);
}

// A command that opened a chooser or a box ran its own loop, which may have
// had the release already: then Alt is up and no chord is left open.
void noteTakenChord(const MSG& message) {
    if ((message.message == WM_SYSKEYDOWN || message.message == WM_SYSCHAR) && GetKeyState(VK_MENU) < 0) {
        altChordTaken = true;
    }
}

// Pumps every waiting message; false once WM_QUIT was taken, with its code.
bool pumpMessages(HACCEL accelerators, int& exitCode) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            exitCode = static_cast<int>(message.wParam);
            return false;
        }
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            noteTakenChord(message);
            continue;
        }
        // The default procedure still sees the release, so it knows Alt is up.
        const bool altRelease = isAltRelease(message);
        altReleaseEndsChord = altRelease && altChordTaken;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        altReleaseEndsChord = false;
        if (altRelease) altChordTaken = false;
    }
    return true;
}

// Paused, the loop sleeps until the next message comes; the frame-step key
// still arrives as one. (The loop only starts once a machine was built.)
int runMessageLoop(HACCEL accelerators) {
    int exitCode = 0;
    while (pumpMessages(accelerators, exitCode)) {
        if (emulationRunning == 0) {
            WaitMessage();
            continue;
        }
        if (frameSkip == -1) {
            runFramesAuto();
        } else {
            runFrameFixedSkip();
        }
    }
    return exitCode;
}

int startUp(HINSTANCE instance) {
    appInstance = instance;
    createLampBrushes();
    InitCommonControls();
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    if (registerMainClass(instance) == 0) return 0;
    installReports();
    if (createMainWindow() != 0) return 1;
    SetMenu(mainWindow, LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    initDevices(instance);
    allocateSampleBuffers();
    if (!buildMachine()) return 1;
    frontMachine->cdUnit.setHostDrive(openAspiDrive());
    loadConfig();
    updateMenuChecks();
    setStatusText("Ready");
    return runMessageLoop(accelerators);
}

}  // namespace

}  // namespace vimo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    return vimo::startUp(instance);
}
