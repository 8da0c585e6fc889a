// The ROM entries of a zip archive, as the zip chooser lists them: names
// ending in "bin" or "smd" (any case), sorted ascending ignoring case, so the
// first is the one a chooser preselects.
#pragma once

#include <string>
#include <vector>

namespace vimo {

// Whether a zip entry's name is listed as a ROM.
bool isZipRomEntry(const char* name);
// The listed names; empty for an archive without any or a file that is no
// zip archive.
std::vector<std::string> zipRomEntries(const std::string& path);

}  // namespace vimo
