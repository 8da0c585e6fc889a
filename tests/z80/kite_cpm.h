// The Kite core under the CP/M harness (cpm_harness.h): the harness's flat
// 64 KB is mapped as whole fetch, read and write pages.
#pragma once

#include <cstdint>
#include <vector>

#include "cpm_harness.h"
#include "z80/kite/kite.h"

namespace vimo::test {

inline CpmCpu kiteOn(KiteCore& core) {
    CpmCpu cpu;
    cpu.start = [&core](std::vector<uint8_t>& memory, uint16_t pc, uint16_t sp) {
        kiteBeginMemoryMap(core);
        kiteMapFetchPages(core, 0x0000, 0xFFFF, memory.data());
        kiteAddReadRange(core, 0x0000, 0xFFFF, kKiteRangeMemory, memory.data());
        kiteAddWriteRange(core, 0x0000, 0xFFFF, kKiteRangeMemory, memory.data());
        kiteEndMemoryMap(core);
        kiteResetCpu(core);
        kiteStoreRegister(core, kKitePC, pc);
        kiteStoreRegister(core, kKiteSP, sp);
    };
    cpu.run = [&core](uint16_t&) {
        kiteRun(core, 50'000'000);
        return true;  // every byte sequence executes
    };
    cpu.registers = [&core] {
        return CpmRegisters{static_cast<uint16_t>(kiteRegister(core, kKitePC)),
                            static_cast<uint16_t>(kiteRegister(core, kKiteSP)),
                            static_cast<uint16_t>(kiteRegister(core, kKiteBC)),
                            static_cast<uint16_t>(kiteRegister(core, kKiteDE)), kiteRegister(core, kKiteHalted) != 0};
    };
    cpu.resume = [&core](uint16_t pc, uint16_t sp) {
        kiteStoreRegister(core, kKitePC, pc);
        kiteStoreRegister(core, kKiteSP, sp);
        kiteStoreRegister(core, kKiteHalted, 0);
    };
    return cpu;
}

}  // namespace vimo::test
