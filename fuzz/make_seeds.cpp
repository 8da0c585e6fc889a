// Writes the seed corpus of every fuzz target from the test programs and the
// tests' file generators: small valid cartridges (raw, SMD, banked), zips,
// save states, running programs and Mega-CD BIOS programs that read a disc.
// Usage: make_seeds <folder>.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cd_test_util.h"
#include "frontend/config_file.h"
#include "fuzz_programs.h"
#include "fuzz_support.h"
#include "fuzz_z80_programs.h"
#include "machine_test_util.h"
#include "z80_side_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes withPrefix(std::initializer_list<uint8_t> prefix, std::span<const uint8_t> body) {
    Bytes out(prefix);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void write(const fs::path& folder, const std::string& name, const Bytes& bytes) {
    fs::create_directories(folder);
    vimo::fuzz::writeFile((folder / name).string(), bytes);
}

Bytes savedState(std::span<const uint8_t> program, int frames) {
    vimo::Machine& machine = vimo::fuzz::machine();
    const std::string rom = vimo::fuzz::scratchPath("seed.bin");
    vimo::fuzz::writeFile(rom, program);
    machine.loadRomFile(rom.c_str());
    vimo::fuzz::runFrames(machine, frames);
    const std::string path = vimo::fuzz::scratchPath("seed.gst");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    machine.saveState(file);
    std::fclose(file);
    return vimo::test::readFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const Bytes z80Cart = vimo::test::z80Cartridge(vimo::programs::machine_z80_host(),
                                                   vimo::programs::z80side_sound_driver(), 0x10000);
    const std::vector<std::pair<std::string, Bytes>> programs = {
        {"workload", Bytes(vimo::programs::machine_workload().begin(), vimo::programs::machine_workload().end())},
        {"scene", Bytes(vimo::programs::vdp_scene().begin(), vimo::programs::vdp_scene().end())},
        {"score", Bytes(vimo::programs::gym_score().begin(), vimo::programs::gym_score().end())},
        {"z80", z80Cart},
    };
    for (const auto& [name, image] : programs) {
        write(root / "rom", name + ".bin", withPrefix({0, 0}, image));
        write(root / "machine", name, withPrefix({0, 0}, image));
        write(root / "machine", name + "-kite", withPrefix({0x11, 1}, image));
    }
    const Bytes& workload = programs[0].second;
    Bytes blocks = workload;   // SMD files hold whole 16 KB blocks
    blocks.resize((blocks.size() + 0x3FFF) & ~size_t{0x3FFF});
    const Bytes smd = vimo::test::makeSmd(blocks);
    write(root / "rom", "workload.smd", withPrefix({1, 0}, smd));
    write(root / "rom", "banked.bin", withPrefix({0, 72}, workload));   // 4.5 MB: bank registers on

    const fs::path zip = root / "zip";
    fs::create_directories(zip);
    vimo::test::writeZip(zip / "one.zip", {{"game.bin", workload}});
    vimo::test::writeZip(zip / "two.zip", {{"a.smd", smd}, {"b.BIN", programs[1].second}});

    // BIOS images for the Mega-CD target, on a plain and on a raw disc.
    const std::vector<std::pair<std::string, Bytes>> bioses = {
        {"cdread", Bytes(vimo::programs::mcd_cdread().begin(), vimo::programs::mcd_cdread().end())},
        {"boot", Bytes(vimo::programs::mcd_boot().begin(), vimo::programs::mcd_boot().end())},
        {"stamp", Bytes(vimo::programs::mcd_stamp().begin(), vimo::programs::mcd_stamp().end())},
    };
    for (const auto& [name, image] : bioses) {
        write(root / "megacd", name, withPrefix({0}, image));
        write(root / "megacd", name + "-raw-japan", withPrefix({3}, image));
    }

    const Bytes state = savedState(workload, 10);
    write(root / "state", "whole", withPrefix({0}, state));
    write(root / "state", "short", withPrefix({0}, std::span(state).first(0x2478)));
    write(root / "state", "patched", {1, 0x00, 0x00, 0x80, 0x00, 0xFF, 0x00, 0x00});

    write(root / "disc", "plain-europe", withPrefix({0, 0}, vimo::test::makePlainImage(24, 0x64)));
    write(root / "disc", "raw-japan", withPrefix({1, 0}, vimo::test::makeRawImage(24, 0xA1)));

    const std::string settings = vimo::formatConfig(vimo::ConfigSettings{});
    write(root / "config", "defaults", Bytes(settings.begin(), settings.end()));
    const std::string odd = "Sound rate  = 96000\r\nSound bits  = 12\r\nRom Path   =  C:\\roms\\\r\n";
    write(root / "config", "odd", Bytes(odd.begin(), odd.end()));
    return 0;
}
