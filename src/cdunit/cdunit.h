// The Mega-CD's CD unit (data controller and drive), held by value in the
// Machine.
//
// Minimal for now: only the fields and calls the machine touches. The CD work
// completes it (data controller, drive commands, images, drive access).
#pragma once

#include <cstdint>

namespace vimo {

class Machine;

class CdUnit {
public:
    Machine* machine = nullptr;  // owner, set by the Machine constructor
    uint32_t cddControl = 0;     // CDD control word; bit 8 is set by every hard reset

    void reset() {}
    // The region of the disc, for the BIOS to boot in autodetect: 0 USA,
    // 1 Japan, 2 Europe. No disc can be read yet, so it is USA.
    int32_t detectRegion() const { return 0; }
};

}  // namespace vimo
