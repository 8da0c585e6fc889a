// The Z80 core router: resets, interrupts and run slices go to the selected
// core. The Z80 work fills it (and the cores' memory and port lists) once the
// cores are there; until then the Z80 holds still and these are the call
// points the machine already uses.
#include "machine/machine.h"

namespace vimo {

int32_t Machine::initZ80Cores() {
    z80Core = kZetaCore;
    return 0;
}

void Machine::resetZ80() {}

void Machine::interruptZ80() {}

void Machine::runZ80(int32_t /*cycles*/) {
    if (z80Running == 0) return;
}

int32_t Machine::selectZ80Core(uint32_t core) {
    if (core == kZetaCore || core == kKiteCore) z80Core = core;
    return 0;
}

}  // namespace vimo
