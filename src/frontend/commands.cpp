#include "frontend/commands.h"

#include <windows.h>

#include "frontend/main_window.h"
#include "resource.h"

namespace vimo {

namespace {

struct Command {
    uint16_t id;
    void (*run)();
};

// Closing the main window runs the shut-down (WM_DESTROY).
void exitProgram() {
    DestroyWindow(mainWindow);
}

constexpr Command kCommands[] = {
    {ID_EXIT, exitProgram},
};

}  // namespace

bool runCommand(uint16_t id) {
    for (const Command& command : kCommands) {
        if (command.id == id) {
            command.run();
            return true;
        }
    }
    return false;
}

}  // namespace vimo
