#include "frontend/command_model.h"

#include <cstdio>
#include <iterator>

#include "machine/report.h"

namespace vimo {

namespace {

enum class Kind : uint8_t {
    LoadRom, BootSegaCd, LoadState, SaveState, QuickLoad, QuickSave, Exit,
    MachineCall, Pause, Country, Z80Core, Slot, Fullscreen, FrameSkip,
    MachineFlag, VdpFlag, PixelFormat, SoundBits, SoundRate, Stereo,
    Frequency, GymStart, GymStop, AutoRomInfo, Directories, Bios, ErrorBoxes,
    About, FrameStep,
};

using MachineMember = int32_t (*)(Machine&);

struct CommandRow {
    uint16_t id;
    Kind kind;
    uint32_t value = 0;                    // the setting, the rate, the core, the region
    MachineMember call = nullptr;          // MachineCall
    uint32_t Machine::*machineFlag = nullptr;
    uint32_t Vdp::*vdpFlag = nullptr;
    const char* status = nullptr;          // set after the action, whatever its result
};

int32_t reset(Machine& m) { return m.reset(); }
int32_t resetMainCpu(Machine& m) { return m.resetMainCpu(); }
int32_t resetZ80(Machine& m) { m.resetZ80(); return 0; }
int32_t resetSubCpu(Machine& m) { m.resetSubCpu(); return 0; }
int32_t dumpRom(Machine& m) { return m.dumpRom(); }
int32_t dumpRam(Machine& m) { return m.dumpRam(); }
int32_t dumpZ80Ram(Machine& m) { return m.dumpZ80Ram(); }
int32_t dumpVram(Machine& m) { return m.dumpVram(); }
int32_t dumpCram(Machine& m) { return m.dumpCram(); }
int32_t dumpVsram(Machine& m) { return m.dumpVsram(); }
int32_t dumpProgramRam(Machine& m) { return m.dumpProgramRam(); }
int32_t dumpWordRam(Machine& m) { return m.dumpWordRam(); }
int32_t dumpPcmRam(Machine& m) { return m.dumpPcmRam(); }
int32_t dumpBackupRam(Machine& m) { return m.dumpBackupRam(); }
int32_t dumpRegisters(Machine& m) { return m.dumpRegisters(); }

CommandRow call(uint16_t id, MachineMember member, const char* status = nullptr) {
    return {id, Kind::MachineCall, 0, member, nullptr, nullptr, status};
}
CommandRow setting(uint16_t id, Kind kind, uint32_t value, const char* status = nullptr) {
    return {id, kind, value, nullptr, nullptr, nullptr, status};
}
CommandRow machineFlag(uint16_t id, uint32_t Machine::*flag) {
    return {id, Kind::MachineFlag, 0, nullptr, flag, nullptr, nullptr};
}
CommandRow vdpFlag(uint16_t id, uint32_t Vdp::*flag) {
    return {id, Kind::VdpFlag, 0, nullptr, nullptr, flag, nullptr};
}

constexpr uint32_t kAutoSkip = 0xFFFFFFFF;   // frameSkip -1

const CommandRow kCommands[] = {
    setting(32771, Kind::LoadRom, 0, "Starting Genesis/Megadrive emulation..."),
    setting(32902, Kind::BootSegaCd, 0, "Booting MegaCD/SegaCD..."),
    setting(32863, Kind::LoadState, 0),
    setting(32864, Kind::SaveState, 0),
    setting(105, Kind::Exit, 0),
    call(32786, reset, "Resetting Megadrive..."),
    call(32845, resetMainCpu, "Resetting main 68000 cpu..."),
    call(32846, resetZ80, "Resetting Z80 cpu..."),
    call(32848, resetSubCpu, "Resetting sub 68000 cpu..."),
    setting(32787, Kind::Pause, 0),
    setting(32789, Kind::Country, kCountryAutodetectMenu, "Autodetect country"),
    setting(32790, Kind::Country, kCountryUsa, "Country set to USA"),
    setting(32791, Kind::Country, kCountryJapan, "Country set to Japan"),
    setting(32792, Kind::Country, kCountryEurope, "Country set to Europe"),
    setting(32822, Kind::Z80Core, 1),
    setting(32823, Kind::Z80Core, 2),
    setting(32832, Kind::QuickLoad, 0),
    setting(32833, Kind::QuickSave, 0),
    setting(32834, Kind::Slot, 1), setting(32835, Kind::Slot, 2), setting(32836, Kind::Slot, 3),
    setting(32837, Kind::Slot, 4), setting(32838, Kind::Slot, 5), setting(32839, Kind::Slot, 6),
    setting(32840, Kind::Slot, 7), setting(32841, Kind::Slot, 8), setting(32842, Kind::Slot, 9),
    setting(32843, Kind::Slot, 0),
    call(32793, dumpRom), call(32794, dumpRam), call(32795, dumpZ80Ram),
    call(32824, dumpVram), call(32825, dumpCram), call(32826, dumpVsram),
    call(32847, dumpProgramRam), call(32849, dumpWordRam), call(32884, dumpPcmRam),
    call(32905, dumpBackupRam), call(32861, dumpRegisters),
    setting(32796, Kind::Fullscreen, 0),
    setting(32810, Kind::FrameSkip, kAutoSkip),
    setting(32811, Kind::FrameSkip, 1), setting(32812, Kind::FrameSkip, 2), setting(32813, Kind::FrameSkip, 3),
    setting(32814, Kind::FrameSkip, 4), setting(32815, Kind::FrameSkip, 5),
    vdpFlag(32866, &Vdp::showPlaneA), vdpFlag(32867, &Vdp::showPlaneB),
    vdpFlag(32868, &Vdp::showWindow), vdpFlag(32869, &Vdp::showSprites),
    machineFlag(32830, &Machine::hInterrupts),
    setting(32908, Kind::PixelFormat, 15), setting(32909, Kind::PixelFormat, 16),
    machineFlag(32910, &Machine::soundMuted),
    setting(32800, Kind::SoundBits, 8), setting(32801, Kind::SoundBits, 16),
    setting(360, Kind::SoundRate, 8000), setting(361, Kind::SoundRate, 11025),
    setting(362, Kind::SoundRate, 22050), setting(363, Kind::SoundRate, 44100),
    setting(32922, Kind::Stereo, 0),
    setting(32923, Kind::Frequency, 0),
    machineFlag(32804, &Machine::psgEnabled), machineFlag(32805, &Machine::fmEnabled),
    machineFlag(32885, &Machine::pcmEnabled),
    setting(32919, Kind::GymStart, 0),
    setting(32920, Kind::GymStop, 0),
    machineFlag(32921, &Machine::gymLogDac),
    setting(32865, Kind::AutoRomInfo, 0),
    setting(32924, Kind::Directories, 0),
    setting(32859, Kind::Bios, 0), setting(32857, Kind::Bios, 1), setting(32858, Kind::Bios, 2),
    setting(32860, Kind::ErrorBoxes, 0),
    setting(104, Kind::About, 0),
    setting(32916, Kind::FrameStep, 0),
};

void toggle(uint32_t& flag) {
    flag = flag == 0 ? 1 : 0;
}

// Commands that act on the machine; refused while there is none.
bool needsMachine(Kind kind) {
    switch (kind) {
        case Kind::LoadRom: case Kind::BootSegaCd: case Kind::LoadState: case Kind::SaveState:
        case Kind::QuickLoad: case Kind::QuickSave: case Kind::MachineCall: case Kind::Country:
        case Kind::Z80Core: case Kind::MachineFlag: case Kind::VdpFlag: case Kind::PixelFormat:
        case Kind::SoundBits: case Kind::SoundRate: case Kind::GymStart: case Kind::GymStop:
        case Kind::Bios: case Kind::FrameStep:
            return true;
        default:
            return false;
    }
}

// Shut the FM down, start the chips at the new settings, then the buffer.
void restartSound(Machine& machine, CommandPorts& ports) {
    machine.shutdownFm();
    machine.initSoundChips();
    ports.recreateSoundBuffer();
}

void startGymLog(Machine& machine, CommandPorts& ports) {
    if (ports.chooseGymFile() != 0) return;
    if (machine.startGymLog(ports.gymPath()) != 0) return;
    char text[kStatusTextSize];
    std::snprintf(text, sizeof text, "GYM logging to %s", ports.gymPath());
    ports.setStatusText(text);
}

void pause(CommandState& state, CommandPorts& ports) {
    toggle(*state.emulationRunning);
    ports.setStatusText(*state.emulationRunning != 0 ? "Emulation resumed..." : "Emulation paused...");
}

// The Windows side's own actions, which need no machine of their own.
void runPortAction(const CommandRow& row, CommandPorts& ports) {
    switch (row.kind) {
        case Kind::LoadRom: ports.loadRom(); break;
        case Kind::BootSegaCd: ports.bootSegaCd(); break;
        case Kind::LoadState: ports.loadState(0); break;
        case Kind::SaveState: ports.saveState(0); break;
        case Kind::QuickLoad: ports.loadState(1); break;
        case Kind::QuickSave: ports.saveState(1); break;
        case Kind::Exit: ports.exitProgram(); break;
        case Kind::Stereo: ports.recreateSoundBuffer(); break;
        case Kind::Frequency: ports.openFrequencyDialog(); break;
        case Kind::Directories: ports.openDirectoriesDialog(); break;
        case Kind::Bios: ports.chooseBiosFile(row.value); break;
        case Kind::About: ports.openAboutBox(); break;
        case Kind::FrameStep: ports.frameStep(); break;
        default: break;
    }
}

void runRow(const CommandRow& row, CommandState& state, CommandPorts& ports) {
    Machine* machine = state.machine;
    switch (row.kind) {
        case Kind::MachineCall: row.call(*machine); break;
        case Kind::Pause: pause(state, ports); break;
        case Kind::Country: machine->country = row.value; break;
        case Kind::Z80Core: machine->selectZ80Core(row.value); break;
        case Kind::Slot: *state.stateSlot = row.value; break;
        // Switching would need a second main window; the item stays greyed.
        case Kind::Fullscreen: break;
        case Kind::FrameSkip: *state.frameSkip = static_cast<int32_t>(row.value); break;
        case Kind::MachineFlag: toggle(machine->*row.machineFlag); break;
        case Kind::VdpFlag: toggle(machine->vdp.*row.vdpFlag); break;
        case Kind::PixelFormat: machine->vdp.pixelFormat = row.value; break;
        case Kind::SoundBits:
            *state.soundBits = row.value;
            machine->sound16Bit = row.value == 16 ? 1 : 0;
            restartSound(*machine, ports);
            break;
        case Kind::SoundRate:
            *state.soundRate = row.value;
            machine->sampleRate = row.value;
            restartSound(*machine, ports);
            break;
        case Kind::Stereo: toggle(*state.soundStereo); runPortAction(row, ports); break;
        case Kind::GymStart: startGymLog(*machine, ports); break;
        case Kind::GymStop:
            if (machine->stopGymLog() == 0) ports.setStatusText("GYM logging stopped...");
            break;
        case Kind::AutoRomInfo: toggle(*state.autoRomInfo); break;
        case Kind::ErrorBoxes: toggle(*state.errorBoxesEnabled); break;
        default: runPortAction(row, ports); break;
    }
    if (row.status != nullptr) ports.setStatusText(row.status);
}

void addTick(std::vector<MenuMark>& marks, uint32_t popup, uint16_t id, bool on) {
    marks.push_back({popup, id, MenuMark::Tick, on});
}

void addMachineMarks(std::vector<MenuMark>& marks, const Machine& machine, uint32_t popup) {
    if (popup == 1) {
        const uint32_t country = machine.country & kCountryAutodetectMenu;
        addTick(marks, 1, 32790, country == kCountryUsa);
        addTick(marks, 1, 32789, country == kCountryAutodetectMenu);
        addTick(marks, 1, 32791, country == kCountryJapan);
        addTick(marks, 1, 32792, country == kCountryEurope);
        addTick(marks, 1, 32822, machine.z80Core == 1);
        addTick(marks, 1, 32823, machine.z80Core == 2);
    } else if (popup == 3) {
        addTick(marks, 3, 32830, machine.hInterrupts != 0);
    }
}

void addGraphicsMarks(std::vector<MenuMark>& marks, const CommandState& state) {
    if (state.machine != nullptr) addMachineMarks(marks, *state.machine, 3);
    addTick(marks, 3, 32810, *state.frameSkip == -1);
    for (int32_t skip = 1; skip <= 5; ++skip) addTick(marks, 3, static_cast<uint16_t>(32810 + skip), *state.frameSkip == skip);
    if (state.machine == nullptr) return;
    const Vdp& vdp = state.machine->vdp;
    addTick(marks, 3, 32866, vdp.showPlaneA != 0);
    addTick(marks, 3, 32867, vdp.showPlaneB != 0);
    addTick(marks, 3, 32868, vdp.showWindow != 0);
    addTick(marks, 3, 32869, vdp.showSprites != 0);
    addTick(marks, 3, 32908, vdp.pixelFormat == 15);
    addTick(marks, 3, 32909, vdp.pixelFormat == 16);
}

void addSoundMarks(std::vector<MenuMark>& marks, const CommandState& state) {
    const Machine* machine = state.machine;
    if (machine != nullptr) addTick(marks, 4, 32910, machine->soundMuted == 0);
    addTick(marks, 4, 32800, *state.soundBits != 16);
    addTick(marks, 4, 32801, *state.soundBits == 16);
    constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100};
    for (uint16_t index = 0; index < std::size(kRates); ++index) {
        addTick(marks, 4, static_cast<uint16_t>(360 + index), *state.soundRate == kRates[index]);
    }
    addTick(marks, 4, 32922, *state.soundStereo != 0);
    if (machine == nullptr) return;
    addTick(marks, 4, 32804, machine->psgEnabled != 0);
    addTick(marks, 4, 32805, machine->fmEnabled != 0);
    addTick(marks, 4, 32885, machine->pcmEnabled != 0);
    marks.push_back({4, 32919, MenuMark::Grey, machine->gymLogging != 0});
    marks.push_back({4, 32920, MenuMark::Grey, machine->gymLogging == 0});
    addTick(marks, 4, 32921, machine->gymLogDac != 0);
}

}  // namespace

bool applyCommand(uint16_t id, CommandState& state, CommandPorts& ports) {
    for (const CommandRow& row : kCommands) {
        if (row.id != id) continue;
        if (state.machine == nullptr && needsMachine(row.kind)) return true;
        runRow(row, state, ports);
        return true;
    }
    return false;
}

std::vector<MenuMark> menuMarks(const CommandState& state) {
    std::vector<MenuMark> marks;
    addTick(marks, 1, 32787, *state.emulationRunning == 0);
    if (state.machine != nullptr) addMachineMarks(marks, *state.machine, 1);
    for (uint16_t slot = 1; slot <= 9; ++slot) addTick(marks, 1, static_cast<uint16_t>(32833 + slot), *state.stateSlot == slot);
    addTick(marks, 1, 32843, *state.stateSlot == 0);
    addGraphicsMarks(marks, state);
    addSoundMarks(marks, state);
    addTick(marks, 5, 32860, *state.errorBoxesEnabled != 0);
    addTick(marks, 5, 32865, *state.autoRomInfo != 0);
    return marks;
}

}  // namespace vimo
