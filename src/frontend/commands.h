// The command table: WM_COMMAND ids of the menu and accelerators, each with
// its action.
#pragma once

#include <cstdint>

namespace vimo {

// Runs the command; false when the table has no such id (the message then
// goes on to DefWindowProcA).
bool runCommand(uint16_t id);

}  // namespace vimo
