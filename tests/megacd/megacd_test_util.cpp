#include "megacd_test_util.h"

#include <vector>

#include "megacd/megacd.h"

namespace vimo::test {

int32_t bootBios(Machine& machine, const ScratchFolder& folder, std::span<const uint8_t> program,
                 size_t fileSize) {
    std::vector<uint8_t> file(program.begin(), program.end());
    if (file.size() < fileSize) file.resize(fileSize, 0);
    const std::string path = folder.write("bios.bin", file);
    if ((machine.country & kCountryAutodetectMenu) == kCountryAutodetectMenu) machine.country = kCountryUsa;
    const uint32_t country = machine.country & kCountryAutodetectMenu;
    const uint32_t slot = country == kCountryUsa ? 0 : country == kCountryJapan ? 1 : 2;
    std::snprintf(machine.biosPaths[slot], kBiosPathSize, "%s", path.c_str());
    return machine.bootMegaCd();
}

std::unique_ptr<Machine> makeMegaCdMachine(const ScratchFolder& folder) {
    // SSP, PC 0x100, and at 0x100 "bra.s *".
    std::vector<uint8_t> waiting(0x102, 0);
    waiting[0] = 0x00; waiting[1] = 0xFF; waiting[2] = 0xFE; waiting[3] = 0x00;
    waiting[6] = 0x01;
    waiting[0x100] = 0x60; waiting[0x101] = 0xFE;
    auto machine = makeMachine();
    bootBios(*machine, folder, waiting);
    return machine;
}

uint16_t swappedWord(const uint8_t* block, uint32_t address) {
    return static_cast<uint16_t>(block[address] | (block[address + 1] << 8));
}

void setSwappedWord(uint8_t* block, uint32_t address, uint16_t value) {
    block[address] = static_cast<uint8_t>(value);
    block[address + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t statusWord(const Machine& machine, uint32_t offset) {
    const uint32_t index = kGaStatusWords - kGaCommandWords + offset;
    return static_cast<uint16_t>((machine.commArea[index] << 8) | machine.commArea[index + 1]);
}

}  // namespace vimo::test
