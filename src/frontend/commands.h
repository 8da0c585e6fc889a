// The command table's Windows side: WM_COMMAND ids of the menu and
// accelerators run through the command model, bound to the choosers,
// dialogs, sound buffer and frame step; then the menu's ticks are refreshed.
#pragma once

#include <cstdint>

namespace vimo {

// Runs the command and refreshes the ticks; false when the table has no
// such id (the message then goes on to DefWindowProcA).
bool runCommand(uint16_t id);
// Sets every tick and greyed item of the menu from the settings in force.
int32_t updateMenuChecks();

}  // namespace vimo
