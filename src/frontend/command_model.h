// The menu and accelerator commands as data: what each id changes, what it
// asks of the machine and of the Windows side, the status text it leaves,
// and the ticks and greyed items the menu shows for the settings in force.
// The Windows program binds CommandPorts to its choosers, dialogs and sound
// buffer; the tests bind a recorder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace vimo {

// The settings the commands change, wherever they live. `machine` is null
// when it failed to build: every command that touches it is then refused.
struct CommandState {
    Machine* machine = nullptr;
    uint32_t* emulationRunning = nullptr;
    int32_t* frameSkip = nullptr;
    uint32_t* stateSlot = nullptr;
    uint32_t* autoRomInfo = nullptr;
    uint32_t* errorBoxesEnabled = nullptr;
    uint32_t* soundRate = nullptr;
    uint32_t* soundBits = nullptr;
    uint32_t* soundStereo = nullptr;
};

// What a command asks of the Windows side. Results follow the commands'
// convention: 0 for success (or a chosen file), non-zero otherwise.
class CommandPorts {
public:
    virtual ~CommandPorts() = default;
    virtual int32_t loadRom() = 0;
    virtual int32_t bootSegaCd() = 0;
    virtual int32_t loadState(uint32_t quick) = 0;
    virtual int32_t saveState(uint32_t quick) = 0;
    virtual void exitProgram() = 0;
    virtual void recreateSoundBuffer() = 0;
    virtual void openFrequencyDialog() = 0;
    virtual void openDirectoriesDialog() = 0;
    virtual void openAboutBox() = 0;
    virtual int32_t chooseBiosFile(uint32_t region) = 0;
    // The GYM chooser; the chosen path is then gymPath().
    virtual int32_t chooseGymFile() = 0;
    virtual const char* gymPath() = 0;
    virtual void frameStep() = 0;
    virtual void setStatusText(const std::string& text) = 0;
};

// Runs the command. False when no command has this id: the message then
// goes on to the default window procedure and the ticks are not refreshed.
bool applyCommand(uint16_t id, CommandState& state, CommandPorts& ports);

// One CheckMenuItem (tick) or EnableMenuItem (grey) call of the refresh.
struct MenuMark {
    enum Kind : uint8_t { Tick, Grey };
    uint32_t popup;   // index of the top-level popup holding the item
    uint16_t id;
    Kind kind;
    bool on;          // ticked, or greyed
    bool operator==(const MenuMark&) const = default;
};

// Every mark, in the order the refresh sets them. Without a machine its
// items are left as they are.
std::vector<MenuMark> menuMarks(const CommandState& state);

}  // namespace vimo
