// The host's CD-ROM drive for vimo.exe: the ASPI drive over the real
// "WNASPI32.DLL", loaded at run time.
#pragma once

#include "cdunit/aspi_drive.h"

namespace vimo {

// The function table over the real library and Windows events.
AspiLibrary windowsAspiLibrary();

// Opens the program's one ASPI drive (showing the boxes of a library that
// cannot be used) and returns it, to be plugged into the CD unit; it lives as
// long as the program.
HostCdDrive* openAspiDrive();

}  // namespace vimo
