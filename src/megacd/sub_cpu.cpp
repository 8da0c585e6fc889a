// The sub 68000: the second 68000 instance with its memory map, its reset
// hold and bus request through the main side's gate-array bits, its
// interrupts, the per-line step the Mega-CD frame runs, and the Mega-CD
// timer and stopwatch.
#include <algorithm>
#include <new>

#include "machine/machine.h"
#include "machine/report.h"
#include "megacd/megacd.h"

namespace vimo {

namespace {

template <typename Entry>
std::unique_ptr<Entry[]> allocateTable(size_t entries) {
    return std::unique_ptr<Entry[]>(new (std::nothrow) Entry[entries]());
}

// The four data lists share the order of the sub map; `lists` says which
// list is filled (read byte, read word, write byte, write word).
enum class SubList { kReadByte, kReadWord, kWriteByte, kWriteWord };

DataRegion subHandlerEntry(SubList list, uint32_t low, uint32_t high, DataReadHandler readByte,
                           DataReadHandler readWord, DataWriteHandler writeByte,
                           DataWriteHandler writeWord) {
    switch (list) {
        case SubList::kReadByte: return DataRegion::reader(low, high, readByte);
        case SubList::kReadWord: return DataRegion::reader(low, high, readWord);
        case SubList::kWriteByte: return DataRegion::writer(low, high, writeByte);
        case SubList::kWriteWord: return DataRegion::writer(low, high, writeWord);
    }
    return DataRegion::end();
}

}  // namespace

int32_t Machine::initSubCpu() {
    freeSubCpuTables();
    subContext = Cpu68000Context{};
    if (!subCpu || subCpu->init() != 0) {
        showErrorBox("Sub 68000 couldn't initialize");
        return 1;
    }
    subTables.fetch = allocateTable<ProgramRegion>(kSubFetchSlots);
    subTables.readByte = allocateTable<DataRegion>(kSubDataSlots);
    subTables.readWord = allocateTable<DataRegion>(kSubDataSlots);
    subTables.writeByte = allocateTable<DataRegion>(kSubDataSlots);
    subTables.writeWord = allocateTable<DataRegion>(kSubDataSlots);
    if (!subTables.fetch || !subTables.readByte || !subTables.readWord || !subTables.writeByte ||
        !subTables.writeWord) {
        freeSubCpuTables();
        subCpu->setContext(&subContext);  // no list of the core may outlive its table
        showErrorBox("Sub 68000 couldn't initialize");
        return 1;
    }
    buildSubMemoryMap();
    subContext.supervisor = subTables.lists();
    subContext.user = subTables.lists();
    subCpu->setContext(&subContext);
    return 0;
}

void Machine::freeSubCpuTables() {
    subTables.fetch.reset();
    subTables.readByte.reset();
    subTables.readWord.reset();
    subTables.writeByte.reset();
    subTables.writeWord.reset();
}

int32_t Machine::buildSubMemoryMap() {
    if (!subTables.fetch || !subTables.readByte) return 1;
    ProgramRegion* fetch = subTables.fetch.get();
    fetch[0] = ProgramRegion::map(kSubPrgRamLow, kSubPrgRamHigh, prgRam.get());
    fetch[kSubFetchBankSlot] = ProgramRegion::end();  // the 1M bank window, once there is one
    fetch[2] = ProgramRegion::end();

    auto fill = [&](DataRegion* entries, SubList list) {
        entries[0] = DataRegion::direct(kSubPrgRamLow, kSubPrgRamHigh, prgRam.get());
        entries[1] = subHandlerEntry(list, kSubPeripheralLow, kSubPeripheralHigh, subReadBytePeripheral,
                                     subReadWordPeripheral, subWriteBytePeripheral,
                                     subWriteWordPeripheral);
        entries[2] = subHandlerEntry(list, kSubGateArrayLow, kSubGateArrayHigh, subReadByteGateArray,
                                     subReadWordGateArray, subWriteByteGateArray,
                                     subWriteWordGateArray);
        entries[kSubWordRamSlot] = DataRegion::direct(kSubWordRamLow, kSubWordRam2MHigh, wordRam.get());
        entries[4] = DataRegion::end();
    };
    fill(subTables.readByte.get(), SubList::kReadByte);
    fill(subTables.readWord.get(), SubList::kReadWord);
    fill(subTables.writeByte.get(), SubList::kWriteByte);
    fill(subTables.writeWord.get(), SubList::kWriteWord);
    return 0;
}

void Machine::refreshSubCpuContext() {
    // The lists are rewritten in place; taking the context out and putting it
    // back is how a map change is handed to the core.
    subCpu->getContext(&subContext);
    subCpu->setContext(&subContext);
}

void Machine::mapSubWordRam2M() {
    if (!subTables.readByte) return;
    const DataRegion direct = DataRegion::direct(kSubWordRamLow, kSubWordRam2MHigh, wordRam.get());
    subTables.readByte[kSubWordRamSlot] = direct;
    subTables.readWord[kSubWordRamSlot] = direct;
    subTables.writeByte[kSubWordRamSlot] = direct;
    subTables.writeWord[kSubWordRamSlot] = direct;
    // Out of 1M mode the sub CPU has no bank, for fetch as for data.
    subTables.fetch[kSubFetchBankSlot] = ProgramRegion::end();
    refreshSubCpuContext();
}

void Machine::mapSubWordRam1M() {
    if (!subTables.readByte) return;
    subTables.readByte[kSubWordRamSlot] =
        DataRegion::reader(kSubWordRamLow, kSubWordRam1MHigh, subReadByteWordRam);
    subTables.readWord[kSubWordRamSlot] =
        DataRegion::reader(kSubWordRamLow, kSubWordRam1MHigh, subReadWordWordRam);
    subTables.writeByte[kSubWordRamSlot] =
        DataRegion::writer(kSubWordRamLow, kSubWordRam1MHigh, subWriteByteWordRam);
    subTables.writeWord[kSubWordRamSlot] =
        DataRegion::writer(kSubWordRamLow, kSubWordRam1MHigh, subWriteWordWordRam);
    refreshSubCpuContext();
}

void Machine::resetSubCpu() {
    if (subCpu) subCpu->reset();
}

void Machine::interruptSubCpu(int32_t level) {
    subCpu->interrupt(level, -1);
}

void Machine::stepSubCpuTo(uint32_t target) {
    const uint8_t control = mainGateArray[kGaMainReset];
    const uint8_t mask = subGateArray[kGaInterruptMask];
    if ((control & 0x01) == 0) resetSubCpu();

    if ((mainGateArray[kGaMainRequest] & 0x01) != 0 && (mask & 0x04) != 0) {
        interruptSubCpu(2);
        mainGateArray[kGaMainRequest] &= 0xFE;
    }

    if ((mask & 0x02) != 0 && graphicsIrqRequest != 0) {
        const int32_t delay = graphicsIrqDelay;
        graphicsIrqDelay = delay - 1;
        if (delay <= 0) {
            interruptSubCpu(1);
            graphicsIrqRequest = 0;
            graphicsIrqDelay = kGraphicsIrqDelayStart;
        }
    }

    // Bit 1 is the main CPU's bus request: the sub CPU then stands still and
    // catches up on a later line.
    if ((control & 0x03) != 0x01) return;
    const uint32_t result = subCpu->exec(static_cast<int32_t>(target - subCpu->readOdometer()));
    if (result >= kExecSliceEnded) return;
    // The core stopped at a RESET instruction (no reset callback): go on
    // behind it.
    subCpu->getContext(&subContext);
    subContext.pc = result + 2;
    subCpu->setContext(&subContext);
}

void Machine::tickMegaCdTimers() {
    const uint8_t reload = subGateArray[kGaTimerReload];
    if (subTimer < 1 && (subGateArray[kGaInterruptMask] & 0x08) != 0 && reload != 0) {
        interruptSubCpu(3);
        subTimer = reload;
    }
    // A timer that is off would otherwise count down without end; it only
    // has to stay below 1.
    subTimer = std::max(subTimer - kMegaCdTimerStep, kSubTimerFloor);

    if (stopwatch < 1)
        stopwatch = (subGateArray[kGaStopwatch] << 8) | subGateArray[kGaStopwatch + 1];
    stopwatch -= kMegaCdTimerStep;
}

// ---- Bus callbacks -----------------------------------------------------------------

uint32_t subReadByteGateArray(uint32_t address, const DataRegion*) {
    return globalMachine->readByteGateArray(address);
}
uint32_t subReadWordGateArray(uint32_t address, const DataRegion*) {
    return globalMachine->readWordGateArray(address);
}
void subWriteByteGateArray(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteGateArray(address, data & 0xFF);
}
void subWriteWordGateArray(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordGateArray(address, data & 0xFFFF);
}

uint32_t subReadBytePeripheral(uint32_t address, const DataRegion*) {
    return globalMachine->readByteSubPeripheral(address);
}
uint32_t subReadWordPeripheral(uint32_t address, const DataRegion*) {
    return globalMachine->readWordSubPeripheral(address);
}
void subWriteBytePeripheral(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteSubPeripheral(address, data & 0xFF);
}
void subWriteWordPeripheral(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordSubPeripheral(address, data & 0xFFFF);
}

uint32_t subReadByteWordRam(uint32_t address, const DataRegion*) {
    return globalMachine->readByteWordRam(address);
}
uint32_t subReadWordWordRam(uint32_t address, const DataRegion*) {
    return globalMachine->readWordWordRam(address);
}
void subWriteByteWordRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeByteWordRam(address, data & 0xFF);
}
void subWriteWordWordRam(uint32_t address, uint32_t data, const DataRegion*) {
    globalMachine->writeWordWordRam(address, data & 0xFFFF);
}

}  // namespace vimo
