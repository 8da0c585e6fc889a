// The running Mega-CD with a disc: the input is a BIOS image, booted the way
// the menu boots a disc image (Machine::loadCdImage, country on autodetect)
// with a small synthetic disc, and run for a few frames; so its sub program
// reaches the CD data controller and the CD drive through the gate array
// with any values, while the CD tick streams sectors.
//
// Input: byte 0 bit 0 the image format (0 plain ".iso", 1 raw ".bin"), bits
// 1-2 the disc's region byte (0x64, 0xA1, 0x7A, 0x00); the rest is the BIOS.
#include <cstdio>
#include <string>
#include <vector>

#include "cd_test_util.h"
#include "fuzz_support.h"

namespace {

constexpr uint32_t kSectors = 24;
constexpr uint8_t kRegions[4] = {0x64, 0xA1, 0x7A, 0x00};

// The eight discs, written once.
const std::string& discPath(uint8_t choice) {
    static std::string paths[8];
    std::string& path = paths[choice & 7];
    if (path.empty()) {
        const bool raw = (choice & 1) != 0;
        const uint8_t region = kRegions[(choice >> 1) & 3];
        path = vimo::fuzz::scratchPath("disc" + std::to_string(choice & 7) + (raw ? ".bin" : ".iso"));
        const std::vector<uint8_t> image =
            raw ? vimo::test::makeRawImage(kSectors, region) : vimo::test::makePlainImage(kSectors, region);
        vimo::fuzz::writeFile(path, image);
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string bios = vimo::fuzz::scratchPath("bios.bin");
    vimo::fuzz::writeFile(bios, {data + 1, size - 1});
    vimo::Machine& machine = vimo::fuzz::machine();
    machine.country = vimo::kCountryAutodetectMenu;
    for (auto& path : machine.biosPaths) std::snprintf(path, vimo::kBiosPathSize, "%s", bios.c_str());
    machine.loadCdImage(discPath(data[0]).c_str());
    if (machine.megaCdMode != 0) vimo::fuzz::runFrames(machine, 6);
    return 0;
}
