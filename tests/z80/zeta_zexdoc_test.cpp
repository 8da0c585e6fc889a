// zexdoc.com, the documented-instruction exerciser, under the CP/M harness
// (cpm_harness.h) on the Zeta core. Every group must print "OK" except those
// listed below, where the core deliberately differs from the chip.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "cpm_harness.h"
#include "z80/zeta/zeta.h"

namespace vimo::test {
namespace {

const CpmExpectedFailure kExpectedFailures[] = {
    {"<daa,cpl,scf,ccf>", CpmOutcome::error,
     "DAA sets H whenever it corrects the low digit, and after a subtraction a low correction that borrows "
     "sets C"},
    {"ld <bcdexya>,<bcdexya>", CpmOutcome::invalidInstruction,
     "DD and FD before an opcode with no indexed form (DD 40, LD B,B) are invalid instructions for this core"},
    {"shf/rot (<ix,iy>+1)", CpmOutcome::invalidInstruction,
     "SLL (IX+d) (DD CB d 36) is not implemented by this core"},
    {"shf/rot <b,c,d,e,h,l,(hl),a>", CpmOutcome::error, "SLL takes S, Z and P/V from the value before bit 0 is set"},
};

// The core over the harness's flat 64 KB: the memory image holds every address.
CpmCpu zetaOn(ZetaCore& core) {
    CpmCpu cpu;
    cpu.start = [&core](std::vector<uint8_t>& memory, uint16_t pc, uint16_t sp) {
        core = ZetaCore{};
        core.context.base = memory.data();
        core.context.baseSize = static_cast<uint32_t>(memory.size());
        zetaResetCpu(core);
        core.context.pc = pc;
        core.context.sp = sp;
    };
    cpu.run = [&core](uint16_t& stopAddress) {
        const uint32_t result = zetaRun(core, 50'000'000);
        if (result != kZetaSliceEnded) {
            stopAddress = static_cast<uint16_t>(result);
            return false;
        }
        return true;
    };
    cpu.registers = [&core] {
        const ZetaContext& c = core.context;
        return CpmRegisters{c.pc, c.sp, c.bc, c.de, c.halted != 0};
    };
    cpu.resume = [&core](uint16_t pc, uint16_t sp) {
        core.context.pc = pc;
        core.context.sp = sp;
        core.context.halted = 0;
    };
    return cpu;
}

TEST(ZetaZexdoc, EveryGroupPassesButTheListedDepartures) {
    ZetaCore core;
    CpmCpu cpu = zetaOn(core);
    runExerciser(VIMO_TESTDATA_DIR "/z80/zexdoc.com", cpu, kExpectedFailures);
}

}  // namespace
}  // namespace vimo::test
