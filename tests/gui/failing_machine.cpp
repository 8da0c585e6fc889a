// Linked into a copy of vimo.exe whose machine cannot have its memory: every
// block the machine asks for is refused, so its construction fails, as it
// would on a host out of memory.
#include <cstddef>
#include <cstdint>

#include "machine/machine.h"

namespace {

uint8_t* refuseBlock(size_t /*bytes*/) {
    return nullptr;
}

// Runs before WinMain.
struct RefuseMachineMemory {
    RefuseMachineMemory() { vimo::blockAllocator = refuseBlock; }
} refuseMachineMemory;

}  // namespace
