#include "frontend/dialogs.h"

#include <commdlg.h>

#include <cstdio>

#include "frontend/config_glue.h"
#include "frontend/file_rules.h"
#include "frontend/main_window.h"
#include "host/sound_output.h"
#include "machine/report.h"
#include "resource.h"

namespace vimo {

std::string romPath;
std::string gymPath;
std::string statePath;
std::string loadedRomName;
uint32_t romFilterIndex = 1;
char zipEntryName[kZipEntryNameSize] = {};
uint32_t stateSlot = 1;
uint32_t autoRomInfo = 1;

namespace {

constexpr size_t kChooserBufferSize = kPathLimit + 1;

struct Chooser {
    const char* title;
    const char* filters;     // pairs of text and pattern, ending in an empty text
    const char* folder;      // initial folder, or null
    DWORD filterIndex = 0;
    const char* extension = nullptr;  // added to a name typed without one
};

// The common dialog without owner and with OFN_HIDEREADONLY only, so a choice
// moves the current folder. The name is chosen into a scratch buffer and
// copied out only when a file was chosen.
bool runChooser(Chooser& chooser, bool save, std::string& path, bool prefill = false) {
    char buffer[kChooserBufferSize] = {};
    if (prefill) std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.lpstrFilter = chooser.filters;
    request.nFilterIndex = chooser.filterIndex;
    request.lpstrFile = buffer;
    request.nMaxFile = kPathLimit;
    request.lpstrInitialDir = chooser.folder;
    request.lpstrTitle = chooser.title;
    request.lpstrDefExt = chooser.extension;
    request.Flags = OFN_HIDEREADONLY;
    BOOL chosen = save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request);
    // A pre-filled name the dialog cannot take keeps it from opening at all.
    if (!chosen && prefill && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        buffer[0] = '\0';
        chosen = GetOpenFileNameA(&request);
    }
    if (!chosen) return false;
    path = buffer;
    chooser.filterIndex = request.nFilterIndex;
    return true;
}

void refusePath(const std::string& path) {
    showErrorBox("Path too long: %s", path.c_str());
}

bool usable() {
    return frontMachine != nullptr;
}

int32_t loadChosenRom() {
    switch (romRoute(romPath, romFilterIndex)) {
        case RomRoute::Zip: {
            const INT_PTR chosen = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ZIP_CHOOSER), mainWindow,
                                                   zipChooserProc, reinterpret_cast<LPARAM>(romPath.c_str()));
            if (chosen <= 0) return 1;
            char archive[kChooserBufferSize];
            std::snprintf(archive, sizeof archive, "%s", romPath.c_str());
            if (frontMachine->loadRomFromZip(archive, sizeof archive, zipEntryName) != 0) return 1;
            romPath = archive;
            return 0;
        }
        case RomRoute::CdImage:
            return frontMachine->loadCdImage(romPath.c_str());
        case RomRoute::Cartridge:
            return frontMachine->loadRomFile(romPath.c_str());
    }
    return 1;
}

// The quick-slot file of the ROM that loaded last; false (with nothing done)
// when no ROM loaded yet or the path would not fit.
bool quickSlotFile(std::string& path) {
    if (loadedRomName.empty()) return false;
    if (quickSlotPath(stateDirectory, loadedRomName, stateSlot, path)) return true;
    refusePath(stateDirectory + "\\" + loadedRomName);
    return false;
}

enum class StateFile : uint8_t { Chosen, Cancelled, NoRom };

// The state command's file: through the chooser (quick 0) or the quick slot.
StateFile stateFileFor(uint32_t quick, uint32_t save, std::string& path) {
    if (quick != 0) return quickSlotFile(path) ? StateFile::Chosen : StateFile::NoRom;
    if (chooseStateFile(save) != 0) return StateFile::Cancelled;
    path = statePath;
    return StateFile::Chosen;
}

int32_t replaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0 ? 0 : 1;
}

}  // namespace

int32_t chooseRomFile() {
    Chooser chooser{"Load Megadrive/Genesis Rom...",
                    "Genesis Roms (*.bin;*.smd;*.zip)\0*.bin;*.smd;*.zip\0SegaCd Image (*.iso;*.bin)\0*.iso;*.bin\0",
                    romDirectory.c_str(), romFilterIndex};
    std::string chosen;
    if (!runChooser(chooser, false, chosen)) return 1;
    romPath = chosen;
    romFilterIndex = chooser.filterIndex == 2 ? 2 : 1;
    romDirectory = folderPart(romPath);
    return 0;
}

int32_t chooseGymFile() {
    Chooser chooser{"Save GYM file to...", "GYM Files (*.gym)\0*.gym\0All Files\0*.*\0", gymDirectory.c_str()};
    std::string chosen;
    if (!runChooser(chooser, true, chosen)) return 1;
    gymDirectory = folderPart(chosen);
    if (withGymExtension(chosen, gymPath)) return 0;
    refusePath(chosen);
    return 1;
}

int32_t chooseBiosFile(uint32_t region) {
    if (!usable() || region > 2) return 1;
    Chooser chooser{"Load Bios Rom...", "Bios Roms (*.bin)\0*.bin\0", nullptr};
    std::string path = frontMachine->biosPaths[region];
    if (!runChooser(chooser, false, path, true)) return 1;
    std::snprintf(frontMachine->biosPaths[region], kBiosPathSize, "%s", path.c_str());
    return 0;
}

int32_t chooseStateFile(uint32_t save) {
    // A state saved without an extension gets ".gst", so the load chooser's
    // filter lists it.
    Chooser chooser{save != 0 ? "Save State to..." : "Load State from...",
                    "Genesis States (*.gst)\0*.gst\0All Files\0*.*\0", stateDirectory.c_str(), 0,
                    save != 0 ? "gst" : nullptr};
    std::string chosen;
    if (!runChooser(chooser, save != 0, chosen)) return 1;
    statePath = chosen;
    stateDirectory = folderPart(statePath);
    return 0;
}

int32_t cmdLoadRom() {
    silenceSoundBuffer();
    if (!usable() || chooseRomFile() != 0) return 0;
    if (loadChosenRom() != 0) return 1;
    loadedRomName = romPath;
    SetWindowTextA(mainWindow, windowTitleFor(romPath).c_str());
    if (autoRomInfo != 0 && romFilterIndex == 1) frontMachine->showRomInfo();
    return 0;
}

// An open image is closed first, so the unit reads the host's drive.
int32_t cmdBootSegaCd() {
    silenceSoundBuffer();
    if (!usable()) return 1;
    frontMachine->cdUnit.closeImageIfOpen();
    if (frontMachine->bootMegaCd() != 0) return 1;
    SetWindowTextA(mainWindow, (std::string(kTitlePrefix) + "SegaCD").c_str());
    return 0;
}

int32_t cmdLoadState(uint32_t quick) {
    std::string path;
    if (!usable()) return 0;
    const StateFile chosen = stateFileFor(quick, 0, path);
    if (chosen != StateFile::Chosen) return chosen == StateFile::NoRom ? 1 : 0;
    std::FILE* file = isRegularFile(path.c_str()) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (file == nullptr) {
        setStatusText("Couldn't open state file %s", path.c_str());
        return 0;
    }
    frontMachine->loadState(file);
    std::fclose(file);
    return 0;
}

// Written through a temporary file, so a failed write never destroys the
// state that was there.
int32_t cmdSaveState(uint32_t quick) {
    std::string path;
    if (!usable()) return 0;
    const StateFile chosen = stateFileFor(quick, 1, path);
    if (chosen != StateFile::Chosen) return chosen == StateFile::NoRom ? 1 : 0;
    const int32_t result = writeThroughTemporary(
        path, [](std::FILE* file) { return frontMachine->saveState(file); }, replaceFile);
    if (result == 1) setStatusText("Couldn't open state file %s", path.c_str());
    if (result == 2) setStatusText("Couldn't save state file %s", path.c_str());
    return 0;
}

}  // namespace vimo
