// The main 68000's glue: its memory-map tables and the cartridge map, reset,
// interrupts, runs to absolute cycle targets, the bus callbacks, and the
// ROM-and-RAM access that VDP DMA and the Z80's bank window use.
#include <algorithm>
#include <new>

#include "machine/machine.h"
#include "machine/report.h"

namespace vimo {

namespace {

// Entries per table, end entry included: fetch, read byte, read word, write
// byte, write word.
struct TableCapacities {
    size_t fetch;
    size_t read;
    size_t write;
};
constexpr TableCapacities kCartridgeCapacities{3, 6, 6};
constexpr TableCapacities kMegaCdCapacities{5, 9, 8};

template <typename Entry>
std::unique_ptr<Entry[]> allocateTable(size_t entries) {
    return std::unique_ptr<Entry[]>(new (std::nothrow) Entry[entries]());
}

}  // namespace

bool Cpu68000Tables::allocate(size_t fetchEntries, size_t readEntries, size_t writeEntries) {
    fetch = allocateTable<ProgramRegion>(fetchEntries);
    readByte = allocateTable<DataRegion>(readEntries);
    readWord = allocateTable<DataRegion>(readEntries);
    writeByte = allocateTable<DataRegion>(writeEntries);
    writeWord = allocateTable<DataRegion>(writeEntries);
    if (fetch && readByte && readWord && writeByte && writeWord) return true;
    release();
    return false;
}

void Cpu68000Tables::release() {
    fetch.reset();
    readByte.reset();
    readWord.reset();
    writeByte.reset();
    writeWord.reset();
}

void Cpu68000Tables::setHandled(uint32_t readSlot, uint32_t writeSlot, uint32_t low, uint32_t high,
                                const DataHandlers& handlers) {
    readByte[readSlot] = DataRegion::reader(low, high, handlers.readByte);
    readWord[readSlot] = DataRegion::reader(low, high, handlers.readWord);
    writeByte[writeSlot] = DataRegion::writer(low, high, handlers.writeByte);
    writeWord[writeSlot] = DataRegion::writer(low, high, handlers.writeWord);
}

void Cpu68000Tables::setDirect(uint32_t readSlot, uint32_t writeSlot, uint32_t low, uint32_t high,
                               void* host) {
    const DataRegion direct = DataRegion::direct(low, high, host);
    readByte[readSlot] = direct;
    readWord[readSlot] = direct;
    writeByte[writeSlot] = direct;
    writeWord[writeSlot] = direct;
}

void Cpu68000Tables::setEnd(uint32_t readSlot, uint32_t writeSlot) {
    readByte[readSlot] = readWord[readSlot] = DataRegion::end();
    writeByte[writeSlot] = writeWord[writeSlot] = DataRegion::end();
}

int32_t Machine::initMainCpu() {
    freeMainCpuTables();
    mainContext = Cpu68000Context{};
    if (mainCpu->init() != 0) {
        mainCpu->setContext(&mainContext);  // no list of the core may outlive its table
        showErrorBox("Main 68000 couldn't initialize");
        return 1;
    }

    const TableCapacities& capacity = megaCdMode != 0 ? kMegaCdCapacities : kCartridgeCapacities;
    if (!mainTables.allocate(capacity.fetch, capacity.read, capacity.write)) {
        // Without its tables the 68000 sees an empty map and stays stopped.
        mainCpu->setContext(&mainContext);
        showErrorBox("Main 68000 couldn't initialize");
        return 1;
    }

    if (megaCdMode != 0)
        buildMegaCdMemoryMap();
    else
        buildCartridgeMemoryMap();

    // One memory map for both processor modes; the core's reset selects the
    // supervisor set as the current one.
    mainContext.supervisor = mainTables.lists();
    mainContext.user = mainTables.lists();
    mainCpu->setContext(&mainContext);
    return 0;
}

void Machine::freeMainCpuTables() {
    mainTables.release();
}

int32_t Machine::buildCartridgeMemoryMap() {
    if (!mainTables.fetch || !mainTables.readByte || !mainTables.readWord ||
        !mainTables.writeByte || !mainTables.writeWord)
        return 1;

    // The 68000 sees at most the first 4 MB of the image; the bank registers
    // refill the upper part of that window.
    const uint32_t mapped = rom ? std::min<uint32_t>(std::max(romSize, 0), kRomWindowSize) : 0;

    ProgramRegion* fetch = mainTables.fetch.get();
    if (mapped > 0) *fetch++ = ProgramRegion::map(0, mapped - 1, rom.get());
    *fetch++ = ProgramRegion::map(kWorkRamLow, kWorkRamHigh, ram.get());
    *fetch = ProgramRegion::end();

    auto fillReads = [&](DataRegion* list, DataReadHandler io, DataReadHandler system,
                         DataReadHandler vdpPorts) {
        if (mapped > 0) *list++ = DataRegion::direct(0, mapped - 1, rom.get());
        *list++ = DataRegion::reader(kIoLow, kIoHigh, io);
        *list++ = DataRegion::reader(kSystemLow, kSystemHigh, system);
        *list++ = DataRegion::reader(kVdpLow, kVdpHigh, vdpPorts);
        *list++ = DataRegion::direct(kWorkRamLow, kWorkRamHigh, ram.get());
        *list = DataRegion::end();
    };
    auto fillWrites = [&](DataRegion* list, DataWriteHandler io, DataWriteHandler system,
                          DataWriteHandler vdpPorts) {
        *list++ = DataRegion::writer(kIoLow, kIoHigh, io);
        *list++ = DataRegion::writer(kSystemLow, kSystemHigh, system);
        *list++ = DataRegion::writer(kVdpLow, kVdpHigh, vdpPorts);
        *list++ = DataRegion::direct(kWorkRamLow, kWorkRamHigh, ram.get());
        *list = DataRegion::end();
    };
    fillReads(mainTables.readByte.get(), mainReadByteIo, mainReadByteSystem, mainReadByteVdp);
    fillReads(mainTables.readWord.get(), mainReadWordIo, mainReadWordSystem, mainReadWordVdp);
    fillWrites(mainTables.writeByte.get(), mainWriteByteIo, mainWriteByteSystem, mainWriteByteVdp);
    fillWrites(mainTables.writeWord.get(), mainWriteWordIo, mainWriteWordSystem, mainWriteWordVdp);
    return 0;
}

int32_t Machine::resetMainCpu() {
    return mainCpu->reset();
}

void Machine::interruptMainCpu(int32_t level) {
    mainCpu->interrupt(level, -1);
}

void Machine::runMainCpuTo(uint32_t target) {
    const uint32_t result = mainCpu->exec(static_cast<int32_t>(target - mainCpu->readOdometer()));
    if (result >= kExecSliceEnded) return;
    // The core stopped at a RESET instruction (there is no reset callback):
    // skip it, so the program goes on at the following word.
    if (romSize == 0) return;
    mainCpu->getContext(&mainContext);
    mainContext.pc = result + 2;
    mainCpu->setContext(&mainContext);
}

int32_t Machine::refreshMainCpuContext() {
    mainCpu->getContext(&mainContext);
    const Cpu68000Context kept = mainContext;
    mainCpu->setContext(&mainContext);
    mainCpu->getContext(&mainContext);
    std::copy(std::begin(kept.d), std::end(kept.d), std::begin(mainContext.d));
    std::copy(std::begin(kept.a), std::end(kept.a), std::begin(mainContext.a));
    mainContext.otherSp = kept.otherSp;
    mainContext.pc = kept.pc;
    mainContext.odometer = kept.odometer;
    std::copy(std::begin(kept.interrupts), std::end(kept.interrupts),
              std::begin(mainContext.interrupts));
    mainContext.sr = kept.sr;
    return mainCpu->setContext(&mainContext);
}

uint32_t Machine::readByteRomRam(uint32_t address) {
    if (megaCdMode != 0 && address >= 0x200000 && address <= 0x23FFFF)
        return readByteWordRam(address - 2);
    const uint32_t imageEnd = megaCdMode != 0 ? std::min<uint32_t>(0x20000, std::max(romSize, 0))
                                              : static_cast<uint32_t>(std::max(romSize, 0));
    if (rom && address < imageEnd) return rom[address ^ 1];
    if (address >= 0xE00000 && address <= 0xFFFFFF) return ram[(address & 0xFFFF) ^ 1];
    return 0;
}

void Machine::writeByteRam(uint32_t address, uint32_t byte) {
    if (address >= kWorkRamLow && address <= kWorkRamHigh)
        ram[(address & 0xFFFF) ^ 1] = static_cast<uint8_t>(byte);
}

uint32_t Machine::readWordRomRam(uint32_t address) {
    return (readByteRomRam(address) << 8) | readByteRomRam(address + 1);
}

void Machine::writeWordRam(uint32_t address, uint32_t word) {
    writeByteRam(address, (word >> 8) & 0xFF);
    writeByteRam(address + 1, word & 0xFF);
}

// ---- Bus callbacks -----------------------------------------------------------------

uint32_t mainReadByteIo(uint32_t address, const DataRegion*) {
    return globalMachine->readByteIo(address);
}
uint32_t mainReadWordIo(uint32_t address, const DataRegion*) {
    return globalMachine->readWordIo(address);
}
void mainWriteByteIo(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteIo(address, data & 0xFF);
}
void mainWriteWordIo(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordIo(address, data & 0xFFFF);
}

uint32_t mainReadByteSystem(uint32_t address, const DataRegion*) {
    return globalMachine->readByteSystem(address);
}
uint32_t mainReadWordSystem(uint32_t address, const DataRegion*) {
    return globalMachine->readWordSystem(address);
}
void mainWriteByteSystem(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteSystem(address, data & 0xFF);
}
void mainWriteWordSystem(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordSystem(address, data & 0xFFFF);
}

uint32_t mainReadByteVdp(uint32_t address, const DataRegion*) {
    return globalMachine->readByteVdp(address);
}
uint32_t mainReadWordVdp(uint32_t address, const DataRegion*) {
    return globalMachine->readWordVdp(address);
}
void mainWriteByteVdp(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteVdp(address, data & 0xFF);
}
void mainWriteWordVdp(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordVdp(address, data & 0xFFFF);
}

}  // namespace vimo
