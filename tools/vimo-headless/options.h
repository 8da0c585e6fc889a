// The command line of vimo-headless.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vimo::headless {

// Pad-1 buttons held down during frames first..last (inclusive, counted from
// 0 for the first frame run).
struct PadPress {
    uint32_t buttons = 0;  // PadState bits of the buttons (set = pressed)
    uint32_t first = 0;
    uint32_t last = 0;
};

struct Options {
    std::string rom;
    std::string bios;  // boots the Mega-CD with this BIOS instead of loading a ROM
    // The BIOS of one country each (USA, Japan, Europe); they take the place
    // of `bios` for their country.
    std::string countryBios[3];
    std::string cd;    // a disc image, opened and booted as the menu does
    uint32_t frames = 600;
    std::string png;   // empty: no picture written
    std::string wav;   // empty: no sound written
    std::vector<PadPress> presses;
    uint32_t z80Core = 1;        // 1 zeta, 2 kite
    uint32_t country = 0xFF1;    // autodetect, as the machine starts
};

// The PadState bit of a button name (up down left right a b c start x y z
// mode), or 0 for an unknown name.
uint32_t padButtonBit(std::string_view name);

// The buttons pressed on pad 1 during `frame`.
uint32_t pressedButtons(const Options& options, uint32_t frame);

// Parses argv[1..]; returns an empty string on success, else what is wrong.
std::string parseOptions(int argc, const char* const* argv, Options& options);

extern const char* const kUsage;

}  // namespace vimo::headless
