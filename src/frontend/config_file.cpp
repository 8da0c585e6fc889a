#include "frontend/config_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "host/sound_format.h"

namespace vimo {

namespace {

// Longest line kept: the longest key, its blank and a full path value. The
// rest of a longer line is read and dropped, so it never becomes a line.
constexpr size_t kMaxConfigLine = 32 + kConfigPathValueSize;

constexpr const char* kBorderLine = " *******************************************";
constexpr const char* kEmptyBoxLine = " **                                       **";
constexpr const char* kArtLines[9] = {
    " **  *     *   *****   *     *    *****   **",
    " **  *     *     *     **   **   *     *  **",
    " **  *     *     *     * * * *   *     *  **",
    " **   *   *      *     *  *  *   *     *  **",
    " **   *   *      *     *     *   *     *  **",
    " **   *   *      *     *     *   *     *  **",
    " **    * *       *     *     *   *     *  **",
    " **    * *       *     *     *   *     *  **",
    " **     *      *****   *     *    *****   **",
};
constexpr const char* kTitleLine = " **            Vimo Config file           **";
constexpr const char* kCreditLine = " **    Mega Drive and Mega-CD emulator    **";

enum class Effect { None, SoundChipsAndOutput, SoundOutput };

struct NumberKey {
    const char* key;
    int32_t ConfigSettings::*field;
    Effect effect;
};

struct PathKey {
    const char* key;
    std::string ConfigSettings::*field;
};

// In the reader's order; the sound rate and bits are checked before they are
// taken (see takeNumber).
constexpr NumberKey kNumberKeys[] = {
    {"H-Interrupts =", &ConfigSettings::hInterrupts, Effect::None},
    {"Bpp mode     =", &ConfigSettings::pixelFormat, Effect::None},
    {"PSG enabled =", &ConfigSettings::psgEnabled, Effect::None},
    {"FM  enabled =", &ConfigSettings::fmEnabled, Effect::None},
    {"PCM enabled =", &ConfigSettings::pcmEnabled, Effect::None},
    {"Sound rate  =", &ConfigSettings::soundRate, Effect::SoundChipsAndOutput},
    {"Sound bits  =", &ConfigSettings::soundBits, Effect::SoundOutput},
    {"Stereosound =", &ConfigSettings::soundStereo, Effect::SoundChipsAndOutput},
};

constexpr const char* kBiosKeys[3] = {"SegaCD [U] bios =", "SegaCD [J] bios =", "SegaCD [E] bios ="};

constexpr PathKey kFolderKeys[] = {
    {"Rom Path   =", &ConfigSettings::romDirectory},
    {"State Path =", &ConfigSettings::stateDirectory},
    {"Gym Path   =", &ConfigSettings::gymDirectory},
    {"Brm Path   =", &ConfigSettings::brmDirectory},
};

bool startsWith(const std::string& line, const char* key) {
    return line.compare(0, std::strlen(key), key) == 0;
}

// The number after the key as atoi reads it (leading blanks, a sign, digits;
// no digits give 0), held to the 32-bit range.
int32_t numberAfter(const std::string& line, const char* key) {
    const long long value = std::strtoll(line.c_str() + std::strlen(key), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The sound rate must be one the buffer plays (a larger one would overrun the
// sample buffers, 0 would divide by zero): any other line is ignored. Bits
// and pixel format are brought to the two values each has.
bool takeNumber(const NumberKey& key, int32_t value, ConfigSettings& settings) {
    if (key.field == &ConfigSettings::soundRate && !isSupportedSoundRate(value)) return false;
    if (key.field == &ConfigSettings::soundBits) value = static_cast<int32_t>(normalisedSoundBits(value));
    if (key.field == &ConfigSettings::pixelFormat) value = value == 15 ? 15 : 16;
    settings.*key.field = value;
    return true;
}

void runEffect(Effect effect, const ConfigSettings& settings, ConfigHooks& hooks) {
    if (effect == Effect::SoundChipsAndOutput) hooks.restartSoundChips(settings);
    if (effect != Effect::None) hooks.restartSoundOutput(settings);
}

// A path key followed by nothing leaves the setting alone; otherwise the
// value starts after the key, past one blank when there is one.
bool takePath(const std::string& line, const char* key, std::string& target) {
    size_t start = std::strlen(key);
    if (line.size() <= start) return true;
    if (line[start] == ' ' || line[start] == '\t') ++start;
    target = line.substr(start, kConfigPathValueSize - 1);
    return true;
}

bool parsePathLine(const std::string& line, ConfigSettings& settings) {
    for (const PathKey& key : kFolderKeys) {
        if (startsWith(line, key.key)) return takePath(line, key.key, settings.*key.field);
    }
    for (int region = 0; region < 3; ++region) {
        if (startsWith(line, kBiosKeys[region])) return takePath(line, kBiosKeys[region], settings.biosPaths[region]);
    }
    return false;
}

void appendLine(std::string& out, const char* text) {
    out += text;
    out += '\n';
}

void appendNumber(std::string& out, const char* key, int32_t value) {
    out += key;
    out += ' ';
    out += std::to_string(value);
    out += '\n';
}

void appendPath(std::string& out, const char* key, const std::string& value) {
    out += key;
    out += ' ';
    out += value;
    out += '\n';
}

void appendBanner(std::string& out) {
    appendLine(out, kBorderLine);
    for (const char* art : kArtLines) appendLine(out, art);
    appendLine(out, kBorderLine);
    appendLine(out, kEmptyBoxLine);
    appendLine(out, kTitleLine);
    appendLine(out, kEmptyBoxLine);
    appendLine(out, kBorderLine);
    appendLine(out, kCreditLine);
    appendLine(out, kBorderLine);
}

// Reads one line of any length, keeping at most kMaxConfigLine characters,
// without its "\n" or "\r\n". False at the end of the file.
bool readLine(std::FILE* file, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line.size() < kMaxConfigLine) line += static_cast<char>(c);
    }
    // No value may end in CR: the written file could not tell it from its own
    // line end, so a value read that way would not survive the next save.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

}  // namespace

bool parseConfigLine(const std::string& line, ConfigSettings& settings, ConfigHooks& hooks) {
    for (const NumberKey& key : kNumberKeys) {
        if (!startsWith(line, key.key)) continue;
        if (takeNumber(key, numberAfter(line, key.key), settings)) runEffect(key.effect, settings, hooks);
        return true;
    }
    return parsePathLine(line, settings);
}

std::string formatConfig(const ConfigSettings& settings) {
    std::string out;
    appendBanner(out);
    out += "\n -- Graphics settings -- \n";
    appendNumber(out, "H-Interrupts =", settings.hInterrupts);
    out += "\n -- Sound settings -- \n";
    appendNumber(out, "PSG enabled =", settings.psgEnabled);
    appendNumber(out, "FM  enabled =", settings.fmEnabled);
    appendNumber(out, "PCM enabled =", settings.pcmEnabled);
    appendNumber(out, "Sound rate  =", settings.soundRate);
    appendNumber(out, "Sound bits  =", settings.soundBits);
    appendNumber(out, "Stereosound =", settings.soundStereo);
    out += "\n -- Directories -- \n";
    for (const PathKey& key : kFolderKeys) appendPath(out, key.key, settings.*key.field);
    out += "\n -- Bios roms -- \n";
    for (int region = 0; region < 3; ++region) appendPath(out, kBiosKeys[region], settings.biosPaths[region]);
    out += '\n';
    return out;
}

std::string configPathIn(const std::string& folder) {
    return folder + "\\" + kConfigFileName;
}

int32_t loadConfigFile(const std::string& path, ConfigSettings& settings, ConfigHooks& hooks) {
    std::FILE* file = std::fopen(path.c_str(), "rt");
    if (file == nullptr) return 1;
    std::string line;
    while (readLine(file, line)) parseConfigLine(line, settings, hooks);
    std::fclose(file);
    return 0;
}

int32_t saveConfigFile(const std::string& path, const ConfigSettings& settings) {
    std::FILE* file = std::fopen(path.c_str(), "wt");
    if (file == nullptr) return 1;
    const std::string text = formatConfig(settings);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 0 : 1;
}

}  // namespace vimo
