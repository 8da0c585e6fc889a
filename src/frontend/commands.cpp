#include "frontend/commands.h"

#include <windows.h>

#include <string>

#include "frontend/command_model.h"
#include "frontend/dialogs.h"
#include "frontend/frame_glue.h"
#include "frontend/main_window.h"
#include "host/sound_output.h"
#include "machine/report.h"
#include "resource.h"

namespace vimo {

namespace {

class WindowsCommandPorts final : public CommandPorts {
public:
    int32_t loadRom() override { return cmdLoadRom(); }
    int32_t bootSegaCd() override { return cmdBootSegaCd(); }
    int32_t loadState(uint32_t quick) override { return cmdLoadState(quick); }
    int32_t saveState(uint32_t quick) override { return cmdSaveState(quick); }
    // Closing the main window runs the shut-down (WM_DESTROY).
    void exitProgram() override { DestroyWindow(mainWindow); }
    void recreateSoundBuffer() override { vimo::recreateSoundBuffer(); }
    // Modeless: each command opens one more.
    void openFrequencyDialog() override {
        CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_FREQUENCY), mainWindow, frequencyDialogProc, 0);
    }
    void openDirectoriesDialog() override {
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_DIRECTORIES), mainWindow, directoriesDialogProc, 0);
    }
    void openAboutBox() override {
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, aboutDialogProc, 0);
    }
    int32_t chooseBiosFile(uint32_t region) override { return vimo::chooseBiosFile(region); }
    int32_t chooseGymFile() override { return vimo::chooseGymFile(); }
    const char* gymPath() override { return vimo::gymPath.c_str(); }
    void frameStep() override { runFrameFixedSkip(); }
    void setStatusText(const std::string& text) override { vimo::setStatusText("%s", text.c_str()); }
};

CommandState currentCommandState() {
    CommandState state;
    state.machine = frontMachine;
    state.emulationRunning = &emulationRunning;
    state.frameSkip = &frameSkip;
    state.stateSlot = &stateSlot;
    state.autoRomInfo = &autoRomInfo;
    state.errorBoxesEnabled = &errorBoxesEnabled;
    state.soundRate = &soundRate;
    state.soundBits = &soundBits;
    state.soundStereo = &soundStereo;
    return state;
}

void appendId(std::string& list, uint16_t id) {
    list += ' ';
    list += std::to_string(id);
}

}  // namespace

bool runCommand(uint16_t id) {
    CommandState state = currentCommandState();
    WindowsCommandPorts ports;
    if (!applyCommand(id, state, ports)) return false;
    updateMenuChecks();
    return true;
}

// The ticked and greyed ids also go to the debugger's output, where the
// program's tests read them.
int32_t updateMenuChecks() {
    HMENU menu = GetMenu(mainWindow);
    if (menu == nullptr) return 0;
    std::string ticked = "Menu ticks:";
    std::string greyed = " greyed:";
    for (const MenuMark& mark : menuMarks(currentCommandState())) {
        HMENU popup = GetSubMenu(menu, static_cast<int>(mark.popup));
        if (popup == nullptr) continue;
        if (mark.kind == MenuMark::Tick) {
            CheckMenuItem(popup, mark.id, MF_BYCOMMAND | (mark.on ? MF_CHECKED : MF_UNCHECKED));
            if (mark.on) appendId(ticked, mark.id);
        } else {
            EnableMenuItem(popup, mark.id, MF_BYCOMMAND | (mark.on ? MF_GRAYED : MF_ENABLED));
            if (mark.on) appendId(greyed, mark.id);
        }
    }
    OutputDebugStringA((ticked + greyed).c_str());
    return 0;
}

}  // namespace vimo
