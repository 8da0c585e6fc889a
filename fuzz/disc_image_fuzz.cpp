// Disc images, plain and raw by name, through the menu's load (which probes
// the region and boots the BIOS of that region); the BIOS reads the table of
// contents and plays from 00:02:00, and for a few frames of the Mega-CD
// frame the CD unit streams the image's sectors into program RAM.
//
// Input: byte 0 picks the file name (bits 0-1: "disc.iso", "DISC.BIN",
// "d.Bin", "img"); byte 1 adds that many zero sectors behind the rest.
#include <vector>

#include "fuzz_programs.h"
#include "fuzz_support.h"

namespace {

// Every region's BIOS is the same disc reader: it asks for the table of
// contents, plays from 00:02:00 and moves each decoded sector by DMA.
void configureBios(vimo::Machine& machine) {
    static const std::string bios = [] {
        std::vector<uint8_t> image(vimo::programs::mcd_cdread().begin(), vimo::programs::mcd_cdread().end());
        image.resize(0x20000);
        const std::string path = vimo::fuzz::scratchPath("bios.bin");
        vimo::fuzz::writeFile(path, image);
        return path;
    }();
    for (auto& path : machine.biosPaths) std::snprintf(path, vimo::kBiosPathSize, "%s", bios.c_str());
    machine.country = vimo::kCountryAutodetectMenu;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const char* const names[4] = {"disc.iso", "DISC.BIN", "d.Bin", "img"};
    std::vector<uint8_t> file(data + 2, data + size);
    file.resize(file.size() + static_cast<size_t>(data[1] % 16) * 2352);
    const std::string path = vimo::fuzz::scratchPath(names[data[0] & 3]);
    vimo::fuzz::writeFile(path, file);

    vimo::Machine& machine = vimo::fuzz::machine();
    configureBios(machine);
    if (machine.loadCdImage(path.c_str()) != 0) return 0;
    vimo::fuzz::runFrames(machine, 6);
    machine.cdUnit.closeImage();
    return 0;
}
