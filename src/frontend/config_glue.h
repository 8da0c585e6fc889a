// "vimo.ini" in the folder that is current at start-up, read into the
// machine, the sound settings and the default folders, and written back from
// them at shut-down.
#pragma once

#include <cstdint>
#include <string>

namespace vimo {

// The default folders: ROMs, save states, GYM logs, backup RAM.
extern std::string romDirectory;
extern std::string stateDirectory;
extern std::string gymDirectory;
extern std::string brmDirectory;
// Built once by loadConfig, so the file is written where it was read even
// after a file chooser moved the current folder.
extern std::string configPath;

int32_t loadConfig();
int32_t saveConfig();

}  // namespace vimo
