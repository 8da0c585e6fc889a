// The rules the file choosers and commands apply to paths: where a chosen
// file is routed, the window title, the quick-slot and GYM file names, the
// temporary file a state is written through, and where a dialog is centred.
// Every path that is built is bounded: one that would not fit the program's
// path buffers is refused.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace vimo {

constexpr size_t kPathLimit = 2047;                 // characters of a path buffer, zero excluded
constexpr const char* kTitlePrefix = "Vimo v0.09 - ";

// The chosen path up to, not including, its last "\" (empty without one).
std::string folderPart(const std::string& path);
// The part after the last "\" or "/" (all of it without either).
std::string fileNamePart(const std::string& path);
// "Vimo v0.09 - " and the file-name part.
std::string windowTitleFor(const std::string& path);

enum class RomRoute : uint8_t { Zip, CdImage, Cartridge };
// Names ending in "zip" go to the zip chooser and ".iso" to the CD unit;
// ".bin" is a CD image with the second chooser filter and a cartridge with the
// first (or any other); everything else is a cartridge. Case is ignored.
RomRoute romRoute(const std::string& path, uint32_t filterIndex);

// The quick-slot file of a ROM: folder + "\" + name with the name's extension
// replaced by ".gs" (appended when it has none), then the slot digit. False
// when the path would not fit.
bool quickSlotPath(const std::string& folder, const std::string& romName, uint32_t slot, std::string& path);
// The name with ".gym" appended unless it already ends so, in any case.
// False when it would not fit.
bool withGymExtension(const std::string& path, std::string& result);

// Writes a file through "<path>.tmp" in the same folder: `write` fills the
// open temporary (0 for success), which then replaces the file with
// `replace`(temporary, path) (0 for success). Anything failing removes the
// temporary and leaves the old file as it was. 0, 1 when the temporary
// could not be opened (or the path is too long), 2 when writing or replacing
// failed.
int32_t writeThroughTemporary(const std::string& path, const std::function<int32_t(std::FILE*)>& write,
                              const std::function<int32_t(const char*, const char*)>& replace);

struct Placement {
    int32_t x;
    int32_t y;
};
// A window of the given size centred on a reference rectangle, divided toward
// zero and never placed at a negative position.
Placement centredPosition(int32_t left, int32_t top, int32_t width, int32_t height, int32_t windowWidth,
                          int32_t windowHeight);

}  // namespace vimo
