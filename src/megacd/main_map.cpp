// The main 68000's memory map in Mega-CD mode: the BIOS image, the cartridge
// map's I/O, system and VDP callbacks, work RAM, word RAM and the 128 KB
// window onto one of the four banks of program RAM.
#include "machine/machine.h"
#include "megacd/megacd.h"

namespace vimo {

namespace {

constexpr uint32_t kIoLow = 0xA00000;
constexpr uint32_t kIoHigh = 0xA1001F;
constexpr uint32_t kSystemLow = 0xA10020;
constexpr uint32_t kSystemHigh = 0xBFFFFF;
constexpr uint32_t kVdpLow = 0xC00000;
constexpr uint32_t kVdpHigh = 0xDFFFFF;
constexpr uint32_t kWorkRamLow = 0xFF0000;
constexpr uint32_t kWorkRamHigh = 0xFFFFFF;

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

    auto fillReads = [&](DataRegion* list, DataReadHandler io, DataReadHandler system,
                         DataReadHandler vdpPorts, DataReadHandler prgWindow) {
        list[0] = DataRegion::direct(biosLow, biosHigh, rom.get());
        list[1] = DataRegion::reader(kIoLow, kIoHigh, io);
        list[2] = DataRegion::reader(kSystemLow, kSystemHigh, system);
        list[3] = DataRegion::reader(kVdpLow, kVdpHigh, vdpPorts);
        list[4] = DataRegion::direct(kWorkRamLow, kWorkRamHigh, ram.get());
        list[5] = DataRegion::reader(kPrgWindowLow, kPrgWindowHigh, prgWindow);
        list[kMainReadWordRamSlot] = DataRegion::direct(kMainWordRamLow, kMainWordRam2MHigh, wordRam.get());
        list[7] = DataRegion::end();
    };
    auto fillWrites = [&](DataRegion* list, DataWriteHandler io, DataWriteHandler system,
                          DataWriteHandler vdpPorts, DataWriteHandler prgWindow) {
        list[0] = DataRegion::writer(kIoLow, kIoHigh, io);
        list[1] = DataRegion::writer(kSystemLow, kSystemHigh, system);
        list[2] = DataRegion::writer(kVdpLow, kVdpHigh, vdpPorts);
        list[3] = DataRegion::direct(kWorkRamLow, kWorkRamHigh, ram.get());
        list[4] = DataRegion::writer(kPrgWindowLow, kPrgWindowHigh, prgWindow);
        list[kMainWriteWordRamSlot] = DataRegion::direct(kMainWordRamLow, kMainWordRam2MHigh, wordRam.get());
        list[6] = DataRegion::end();
    };
    fillReads(mainTables.readByte.get(), mainReadByteIo, mainReadByteSystem, mainReadByteVdp,
              mainReadBytePrgRam);
    fillReads(mainTables.readWord.get(), mainReadWordIo, mainReadWordSystem, mainReadWordVdp,
              mainReadWordPrgRam);
    fillWrites(mainTables.writeByte.get(), mainWriteByteIo, mainWriteByteSystem, mainWriteByteVdp,
               mainWriteBytePrgRam);
    fillWrites(mainTables.writeWord.get(), mainWriteWordIo, mainWriteWordSystem, mainWriteWordVdp,
               mainWriteWordPrgRam);
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

// ---- Bus callbacks -----------------------------------------------------------------------

uint32_t mainReadByteWordRam(uint32_t address, const DataRegion*) {
    return globalMachine->readByteWordRam(address);
}
uint32_t mainReadWordWordRam(uint32_t address, const DataRegion*) {
    return globalMachine->readWordWordRam(address);
}
void mainWriteByteWordRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteWordRam(address, data & 0xFF);
}
void mainWriteWordWordRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordWordRam(address, data & 0xFFFF);
}

uint32_t mainReadBytePrgRam(uint32_t address, const DataRegion*) {
    return globalMachine->readBytePrgRam(address);
}
uint32_t mainReadWordPrgRam(uint32_t address, const DataRegion*) {
    return globalMachine->readWordPrgRam(address);
}
void mainWriteBytePrgRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeBytePrgRam(address, data & 0xFF);
}
void mainWriteWordPrgRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordPrgRam(address, data & 0xFFFF);
}

}  // namespace vimo
