#include "frontend/config_glue.h"

#include <windows.h>

#include <cstdio>

#include "frontend/config_file.h"
#include "frontend/main_window.h"
#include "host/sound_output.h"

namespace vimo {

std::string romDirectory = ".\\";
std::string stateDirectory = ".\\";
std::string gymDirectory = ".\\";
std::string brmDirectory = ".\\";
std::string configPath;

namespace {

constexpr DWORD kCurrentFolderLimit = 2032;

ConfigSettings currentSettings() {
    ConfigSettings settings;
    if (frontMachine != nullptr) {
        settings.hInterrupts = static_cast<int32_t>(frontMachine->hInterrupts);
        settings.pixelFormat = static_cast<int32_t>(frontMachine->vdp.pixelFormat);
        settings.psgEnabled = static_cast<int32_t>(frontMachine->psgEnabled);
        settings.fmEnabled = static_cast<int32_t>(frontMachine->fmEnabled);
        settings.pcmEnabled = static_cast<int32_t>(frontMachine->pcmEnabled);
        for (int region = 0; region < 3; ++region) settings.biosPaths[region] = frontMachine->biosPaths[region];
    }
    settings.soundRate = static_cast<int32_t>(soundRate);
    settings.soundBits = static_cast<int32_t>(soundBits);
    settings.soundStereo = static_cast<int32_t>(soundStereo);
    settings.romDirectory = romDirectory;
    settings.stateDirectory = stateDirectory;
    settings.gymDirectory = gymDirectory;
    settings.brmDirectory = brmDirectory;
    return settings;
}

void applySoundSettings(const ConfigSettings& settings) {
    soundRate = static_cast<uint32_t>(settings.soundRate);
    soundBits = static_cast<uint32_t>(settings.soundBits);
    soundStereo = static_cast<uint32_t>(settings.soundStereo);
    if (frontMachine != nullptr) frontMachine->sampleRate = soundRate;
}

void applySettings(const ConfigSettings& settings) {
    applySoundSettings(settings);
    romDirectory = settings.romDirectory;
    stateDirectory = settings.stateDirectory;
    gymDirectory = settings.gymDirectory;
    brmDirectory = settings.brmDirectory;
    if (frontMachine == nullptr) return;
    frontMachine->hInterrupts = static_cast<uint32_t>(settings.hInterrupts);
    frontMachine->vdp.pixelFormat = static_cast<uint32_t>(settings.pixelFormat);
    frontMachine->psgEnabled = static_cast<uint32_t>(settings.psgEnabled);
    frontMachine->fmEnabled = static_cast<uint32_t>(settings.fmEnabled);
    frontMachine->pcmEnabled = static_cast<uint32_t>(settings.pcmEnabled);
    for (int region = 0; region < 3; ++region) {
        std::snprintf(frontMachine->biosPaths[region], kBiosPathSize, "%s", settings.biosPaths[region].c_str());
    }
}

// The re-starts run the moment their line is read, with the new values.
class DeviceConfigHooks final : public ConfigHooks {
public:
    void restartSoundChips(const ConfigSettings& settings) override {
        applySoundSettings(settings);
        if (frontMachine == nullptr) return;
        frontMachine->shutdownFm();
        frontMachine->initSoundChips();
    }

    void restartSoundOutput(const ConfigSettings& settings) override {
        applySoundSettings(settings);
        releaseSound();
        initSound(mainWindow);
    }
};

std::string currentFolder() {
    char folder[kCurrentFolderLimit + 1] = {};
    const DWORD length = GetCurrentDirectoryA(kCurrentFolderLimit, folder);
    if (length == 0 || length >= kCurrentFolderLimit) return ".";
    return folder;
}

}  // namespace

int32_t loadConfig() {
    configPath = configPathIn(currentFolder());
    ConfigSettings settings = currentSettings();
    DeviceConfigHooks hooks;
    const int32_t result = loadConfigFile(configPath, settings, hooks);
    if (result == 0) applySettings(settings);
    return result;
}

int32_t saveConfig() {
    return saveConfigFile(configPath, currentSettings());
}

}  // namespace vimo
