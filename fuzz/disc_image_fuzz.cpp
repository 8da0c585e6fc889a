// Disc images, plain and raw by name, through the menu's load (which probes
// the region and boots the BIOS of that region), then played from 00:02:00
// with the decoder on for a few hundred lines of the Mega-CD frame while
// the CD unit streams sectors.
//
// Input: byte 0 picks the file name (bits 0-1: "disc.iso", "DISC.BIN",
// "d.Bin", "img"); byte 1 adds that many zero sectors behind the rest.
#include <vector>

#include "fuzz_programs.h"
#include "fuzz_support.h"

namespace {

// Every region's BIOS is the same synthetic one: a boot that holds, loads
// and releases the sub CPU.
void configureBios(vimo::Machine& machine) {
    static const std::string bios = [] {
        std::vector<uint8_t> image(vimo::programs::mcd_boot().begin(), vimo::programs::mcd_boot().end());
        image.resize(0x20000);
        const std::string path = vimo::fuzz::scratchPath("bios.bin");
        vimo::fuzz::writeFile(path, image);
        return path;
    }();
    for (auto& path : machine.biosPaths) std::snprintf(path, vimo::kBiosPathSize, "%s", bios.c_str());
    machine.country = vimo::kCountryAutodetectMenu;
}

// A drive command as the sub CPU writes it: nibble pairs, the last word
// executes.
void sendCommand(vimo::CdUnit& unit, const uint32_t (&words)[5]) {
    for (uint32_t i = 0; i < 5; ++i) unit.writeCddCommand(2 * i, words[i]);
}

// As a BIOS starts a data disc: the start of track 1 (which tells a data
// track), then PLAY from 00:02:00 with the decoder storing sectors.
void playFromTwoSeconds(vimo::CdUnit& unit) {
    unit.setCdcRegisterAddress(vimo::kCdcCtrl0);
    unit.writeCdcRegister(vimo::kCtrl0Decen | vimo::kCtrl0Wrrq);
    sendCommand(unit, {0x0200, 0x0005, 0x0001, 0x0000, 0x0000});
    sendCommand(unit, {0x0300, 0x0000, 0x0002, 0x0000, 0x0000});
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
    playFromTwoSeconds(machine.cdUnit);
    for (int i = 0; i < 4; ++i) {
        vimo::fuzz::runFrames(machine, 1);
        machine.cdUnit.readNextSector();
        for (int word = 0; word < 16; ++word) machine.cdUnit.readHostData();
    }
    machine.cdUnit.closeImage();
    return 0;
}
