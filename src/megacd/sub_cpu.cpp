// The sub 68000: the second 68000 instance with its memory map, its reset
// hold and bus request through the main side's gate-array bits, its
// interrupts, the per-line step the Mega-CD frame runs, the Mega-CD timer
// and stopwatch, and the CD data tick with the CD interrupts it delivers.
#include <algorithm>

#include "machine/machine.h"
#include "machine/report.h"
#include "megacd/bus_callbacks.h"
#include "megacd/megacd.h"

namespace vimo {

int32_t Machine::initSubCpu() {
    freeSubCpuTables();
    subContext = Cpu68000Context{};
    if (!subCpu || subCpu->init() != 0) {
        showErrorBox("Sub 68000 couldn't initialize");
        return 1;
    }
    if (!subTables.allocate(kSubFetchSlots, kSubDataSlots, kSubDataSlots)) {
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
    subTables.release();
}

int32_t Machine::buildSubMemoryMap() {
    if (!subTables.fetch || !subTables.readByte) return 1;
    ProgramRegion* fetch = subTables.fetch.get();
    fetch[0] = ProgramRegion::map(kSubPrgRamLow, kSubPrgRamHigh, prgRam.get());
    fetch[kSubFetchBankSlot] = ProgramRegion::end();  // the 1M bank window, once there is one
    fetch[2] = ProgramRegion::end();

    subTables.setDirect(0, 0, kSubPrgRamLow, kSubPrgRamHigh, prgRam.get());
    subTables.setHandled(1, 1, kSubPeripheralLow, kSubPeripheralHigh, kSubPeripheralCallbacks);
    subTables.setHandled(2, 2, kSubGateArrayLow, kSubGateArrayHigh, kSubGateArrayCallbacks);
    subTables.setDirect(kSubWordRamSlot, kSubWordRamSlot, kSubWordRamLow, kSubWordRam2MHigh, wordRam.get());
    subTables.setEnd(4, 4);
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
    subTables.setDirect(kSubWordRamSlot, kSubWordRamSlot, kSubWordRamLow, kSubWordRam2MHigh, wordRam.get());
    // Out of 1M mode the sub CPU has no bank, for fetch as for data.
    subTables.fetch[kSubFetchBankSlot] = ProgramRegion::end();
    refreshSubCpuContext();
}

void Machine::mapSubWordRam1M() {
    if (!subTables.readByte) return;
    subTables.setHandled(kSubWordRamSlot, kSubWordRamSlot, kSubWordRamLow, kSubWordRam1MHigh,
                         kSubWordRamCallbacks);
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
        stopwatch = static_cast<int32_t>(storedWord(subGateArray, kGaStopwatch));
    stopwatch -= kMegaCdTimerStep;
}

void Machine::tickCdData() {
    if (++cdTickCounter < kCdTickLines) return;
    if ((subGateArray[kGaInterruptMask] & 0x20) != 0 && cdcIrqRequest != 0) {
        interruptSubCpu(5);
        cdcIrqRequest = 0;
    }
    if (cdUnit.tickPending != 0) {
        cdUnit.tickPending = 0;
        cdUnit.readNextSector();
    }
    cdTickCounter = 0;
}

void Machine::deliverCddInterrupt() {
    if ((subGateArray[kGaInterruptMask] & 0x10) != 0 && cddIrqRequest != 0) {
        interruptSubCpu(4);
        cddIrqRequest = 0;
    }
}

}  // namespace vimo
