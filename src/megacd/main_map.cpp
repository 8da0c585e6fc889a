// The main 68000's memory map in Mega-CD mode: the BIOS image, the cartridge
// map's I/O, system and VDP callbacks, work RAM, word RAM and the 128 KB
// window onto one of the four banks of program RAM.
#include "machine/machine.h"
#include "megacd/bus_callbacks.h"
#include "megacd/megacd.h"

namespace vimo {

namespace {

// A data entry that matches no address: the BIOS's while there is none.
constexpr uint32_t kNoAddressLow = 0xFFFFFFFEu;
constexpr uint32_t kNoAddressHigh = 0;

uint32_t prgBankOf(const uint8_t* mainGateArray) {
    return mainGateArray[kGaMemoryMode] >> 6;
}

}  // namespace

int32_t Machine::buildMegaCdMemoryMap() {
    if (!mainTables.fetch || !mainTables.readByte || !mainTables.readWord ||
        !mainTables.writeByte || !mainTables.writeWord)
        return 1;
    // The image is at least 128 KB in Mega-CD mode (startLoadedImage pads it).
    const bool bios = rom != nullptr;
    const uint32_t biosLow = bios ? kBiosLow : kNoAddressLow;
    const uint32_t biosHigh = bios ? kBiosHigh : kNoAddressHigh;

    ProgramRegion* fetch = mainTables.fetch.get();
    fetch[0] = ProgramRegion::map(kBiosLow, kBiosHigh, rom.get());
    fetch[1] = ProgramRegion::map(kWorkRamLow, kWorkRamHigh, ram.get());
    fetch[kMainFetchWordRamSlot] = ProgramRegion::map(kMainWordRamLow, kMainWordRam2MHigh, wordRam.get());
    fetch[kMainFetchPrgSlot] = ProgramRegion::map(kPrgWindowLow, kPrgWindowHigh, prgRam.get());
    fetch[4] = ProgramRegion::end();
    // Without a BIOS nothing can be fetched.
    if (!bios) fetch[0] = ProgramRegion::end();

    // The read lists begin with the BIOS; from there on entry n of the
    // read lists is entry n - 1 of the write lists.
    const DataRegion biosEntry = DataRegion::direct(biosLow, biosHigh, rom.get());
    mainTables.readByte[0] = biosEntry;
    mainTables.readWord[0] = biosEntry;
    mainTables.setHandled(1, 0, kIoLow, kIoHigh,
                          {mainReadByteIo, mainReadWordIo, mainWriteByteIo, mainWriteWordIo});
    mainTables.setHandled(2, 1, kSystemLow, kSystemHigh,
                          {mainReadByteSystem, mainReadWordSystem, mainWriteByteSystem, mainWriteWordSystem});
    mainTables.setHandled(3, 2, kVdpLow, kVdpHigh,
                          {mainReadByteVdp, mainReadWordVdp, mainWriteByteVdp, mainWriteWordVdp});
    mainTables.setDirect(4, 3, kWorkRamLow, kWorkRamHigh, ram.get());
    mainTables.setHandled(5, 4, kPrgWindowLow, kPrgWindowHigh, kMainPrgRamCallbacks);
    mainTables.setDirect(kMainReadWordRamSlot, kMainWriteWordRamSlot, kMainWordRamLow, kMainWordRam2MHigh,
                         wordRam.get());
    mainTables.setEnd(kMainReadWordRamSlot + 1, kMainWriteWordRamSlot + 1);
    return 0;
}

void Machine::mapMainPrgRamBank(uint32_t bank) {
    if (megaCdMode == 0 || !mainTables.fetch) return;
    if (bank <= 3)
        mainTables.fetch[kMainFetchPrgSlot] =
            ProgramRegion::map(kPrgWindowLow, kPrgWindowHigh, prgRam.get() + bank * kPrgBankSize);
    refreshMainCpuContext();
}

// ---- Program-RAM window ------------------------------------------------------------------

uint32_t Machine::readBytePrgRam(uint32_t address) {
    return prgRam[prgBankOf(mainGateArray) * kPrgBankSize + ((address ^ 1) & (kPrgBankSize - 1))];
}

uint32_t Machine::readWordPrgRam(uint32_t address) {
    return (readBytePrgRam(address) << 8) | readBytePrgRam(address + 1);
}

void Machine::writeBytePrgRam(uint32_t address, uint32_t byte) {
    prgRam[prgBankOf(mainGateArray) * kPrgBankSize + ((address ^ 1) & (kPrgBankSize - 1))] =
        static_cast<uint8_t>(byte);
}

void Machine::writeWordPrgRam(uint32_t address, uint32_t word) {
    writeBytePrgRam(address, (word >> 8) & 0xFF);
    writeBytePrgRam(address + 1, word & 0xFF);
}

}  // namespace vimo
