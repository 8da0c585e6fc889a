#include "options.h"

#include <charconv>

namespace vimo::headless {

const char* const kUsage =
    "usage: vimo-headless --rom FILE [--frames N] [--png FILE] [--wav FILE]\n"
    "                     [--press BUTTONS@FIRST-LAST]... [--z80 zeta|kite]\n"
    "                     [--country auto|usa|japan|europe]\n"
    "       vimo-headless --bios FILE [the same options]\n"
    "       vimo-headless --cd IMAGE --bios FILE [the same options]\n"
    "  --bios boots the Mega-CD with FILE as the BIOS of the country (of every\n"
    "  country with auto) instead of loading a ROM. --bios-usa, --bios-japan and\n"
    "  --bios-europe FILE give one country's BIOS, so that auto can choose by\n"
    "  the disc's region. --cd opens a disc image (2048-byte sectors, or\n"
    "  2352-byte ones in a file named .bin) and boots it as the menu does.\n"
    "  BUTTONS: up down left right a b c start x y z mode, joined by '+';\n"
    "  FIRST-LAST: frames counted from 0, inclusive (a single N means N-N).\n";

namespace {

struct ButtonName {
    std::string_view name;
    uint32_t bit;
};
// PadState bit numbers of the buttons.
constexpr ButtonName kButtons[] = {
    {"up", 1u << 0},  {"down", 1u << 1}, {"left", 1u << 2},   {"right", 1u << 3},
    {"b", 1u << 4},   {"c", 1u << 5},    {"a", 1u << 12},     {"start", 1u << 13},
    {"z", 1u << 16},  {"y", 1u << 17},   {"x", 1u << 18},     {"mode", 1u << 19},
};

bool parseNumber(std::string_view text, uint32_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string parsePress(std::string_view text, PadPress& press) {
    const size_t at = text.find('@');
    if (at == std::string_view::npos) return "--press needs BUTTONS@FIRST-LAST";
    std::string_view buttons = text.substr(0, at);
    const std::string_view range = text.substr(at + 1);
    if (buttons.empty()) return "--press names no button";
    while (!buttons.empty()) {
        const size_t plus = buttons.find('+');
        const std::string_view name = buttons.substr(0, plus);
        const uint32_t bit = padButtonBit(name);
        if (bit == 0) return "unknown button '" + std::string(name) + "'";
        press.buttons |= bit;
        if (plus == std::string_view::npos) break;
        buttons.remove_prefix(plus + 1);
        if (buttons.empty()) return "--press names no button after '+'";
    }
    const size_t dash = range.find('-');
    const std::string_view first = range.substr(0, dash);
    const std::string_view last = dash == std::string_view::npos ? first : range.substr(dash + 1);
    if (!parseNumber(first, press.first) || !parseNumber(last, press.last) || press.last < press.first)
        return "bad frame range '" + std::string(range) + "'";
    return {};
}

}  // namespace

uint32_t padButtonBit(std::string_view name) {
    for (const ButtonName& button : kButtons)
        if (button.name == name) return button.bit;
    return 0;
}

uint32_t pressedButtons(const Options& options, uint32_t frame) {
    uint32_t buttons = 0;
    for (const PadPress& press : options.presses)
        if (frame >= press.first && frame <= press.last) buttons |= press.buttons;
    return buttons;
}

std::string parseOptions(int argc, const char* const* argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc) return "missing value after " + std::string(arg);
        const std::string_view value = argv[++i];
        if (arg == "--rom") {
            options.rom = value;
        } else if (arg == "--bios") {
            options.bios = value;
        } else if (arg == "--bios-usa") {
            options.countryBios[0] = value;
        } else if (arg == "--bios-japan") {
            options.countryBios[1] = value;
        } else if (arg == "--bios-europe") {
            options.countryBios[2] = value;
        } else if (arg == "--cd") {
            options.cd = value;
        } else if (arg == "--frames") {
            if (!parseNumber(value, options.frames)) return "bad frame count '" + std::string(value) + "'";
        } else if (arg == "--png") {
            options.png = value;
        } else if (arg == "--wav") {
            options.wav = value;
        } else if (arg == "--press") {
            PadPress press;
            std::string error = parsePress(value, press);
            if (!error.empty()) return error;
            options.presses.push_back(press);
        } else if (arg == "--z80") {
            if (value == "zeta")
                options.z80Core = 1;
            else if (value == "kite")
                options.z80Core = 2;
            else
                return "unknown Z80 core '" + std::string(value) + "'";
        } else if (arg == "--country") {
            if (value == "auto")
                options.country = 0xFF1;
            else if (value == "usa")
                options.country = 0x80;
            else if (value == "japan")
                options.country = 0x00;
            else if (value == "europe")
                options.country = 0xC0;
            else
                return "unknown country '" + std::string(value) + "'";
        } else {
            return "unknown option " + std::string(arg);
        }
    }
    bool anyBios = !options.bios.empty();
    for (const std::string& path : options.countryBios) anyBios = anyBios || !path.empty();
    if (options.rom.empty() && !anyBios) return "--rom or --bios is required";
    if (!options.rom.empty() && anyBios) return "--rom and --bios exclude each other";
    if (!options.rom.empty() && !options.cd.empty()) return "--rom and --cd exclude each other";
    return {};
}

}  // namespace vimo::headless
