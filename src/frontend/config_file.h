// "vimo.ini": the graphics, sound, folder and BIOS settings kept between
// runs, as "key = value" lines under a banner. The reader tests each line
// against every key in a fixed order; the writer writes the whole file anew.
//
// Values that would break the program are not taken: a sound rate other than
// the four the sound buffer plays is ignored, bits become 8 or 16 and the
// pixel format 15 or 16. Lines are read whole (a long path is not cut into
// pieces), a trailing CR is dropped, and the blank after "=" is skipped only
// when it is one.
#pragma once

#include <cstdint>
#include <string>

namespace vimo {

constexpr size_t kConfigPathValueSize = 2048;   // a path value keeps at most 2047 characters
constexpr const char* kConfigFileName = "vimo.ini";

struct ConfigSettings {
    int32_t hInterrupts = 1;
    int32_t pixelFormat = 16;   // read, never written
    int32_t psgEnabled = 1;
    int32_t fmEnabled = 1;
    int32_t pcmEnabled = 1;
    int32_t soundRate = 44100;
    int32_t soundBits = 16;
    int32_t soundStereo = 1;
    std::string romDirectory = ".\\";
    std::string stateDirectory = ".\\";
    std::string gymDirectory = ".\\";
    std::string brmDirectory = ".\\";
    std::string biosPaths[3];   // USA, Japan, Europe

    bool operator==(const ConfigSettings&) const = default;
};

// The sound re-starts that some keys cause the moment they are read; each
// hook sees the settings with that line applied.
class ConfigHooks {
public:
    virtual ~ConfigHooks() = default;
    // The sound chips at the new rate or channels: shut the FM down, init.
    virtual void restartSoundChips(const ConfigSettings& settings) = 0;
    // The sound buffer: release, then start it again.
    virtual void restartSoundOutput(const ConfigSettings& settings) = 0;
};

// Applies one line (without its line end) when it begins with a key;
// returns whether it did.
bool parseConfigLine(const std::string& line, ConfigSettings& settings, ConfigHooks& hooks);

// The whole file as written, lines ended by "\n".
std::string formatConfig(const ConfigSettings& settings);

// The file beside the folder: folder + "\" + "vimo.ini".
std::string configPathIn(const std::string& folder);

// Reads the file in text mode. 0, or 1 when it cannot be opened (settings
// unchanged).
int32_t loadConfigFile(const std::string& path, ConfigSettings& settings, ConfigHooks& hooks);
// Writes the file in text mode. 0, or 1 when it cannot be opened or written.
int32_t saveConfigFile(const std::string& path, const ConfigSettings& settings);

}  // namespace vimo
