// A Zeta core over a memory image for the unit tests: 64 KB unless a test
// asks for less, empty lists unless a test installs its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "z80/zeta/zeta.h"
#include "z80_test_names.h"

namespace vimo::test {

class ZetaTest : public ::testing::Test {
protected:
    ZetaTest() { useImage(0x10000); }

    // A fresh image of `size` bytes (zero-filled) and a reset core.
    void useImage(uint32_t size) {
        memory.assign(size, 0);
        core.context.base = memory.data();
        core.context.baseSize = size;
        zetaResetCpu(core);
    }

    void load(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) {
            memory.at(address++) = byte;
        }
    }

    uint32_t run(uint32_t cycles) { return zetaRun(core, cycles); }
    uint32_t takeElapsed() { return zetaTakeElapsed(core, 1); }

    // Runs exactly one instruction (a budget of 0 ends the run after it) and
    // returns the cycles it was charged.
    uint32_t step() {
        takeElapsed();
        EXPECT_EQ(run(0), kZetaSliceEnded);
        return takeElapsed();
    }

    ZetaContext& ctx() { return core.context; }
    uint8_t a() const { return static_cast<uint8_t>(core.context.af >> 8); }
    uint8_t f() const { return static_cast<uint8_t>(core.context.af); }
    void setA(uint8_t value) { core.context.af = static_cast<uint16_t>((value << 8) | f()); }
    void setF(uint8_t value) { core.context.af = static_cast<uint16_t>((a() << 8) | value); }
    uint8_t b() const { return static_cast<uint8_t>(core.context.bc >> 8); }
    uint8_t c() const { return static_cast<uint8_t>(core.context.bc); }
    uint8_t h() const { return static_cast<uint8_t>(core.context.hl >> 8); }
    uint8_t l() const { return static_cast<uint8_t>(core.context.hl); }
    uint16_t word(uint16_t address) const {
        return static_cast<uint16_t>(memory.at(address) | (memory.at(static_cast<uint16_t>(address + 1)) << 8));
    }

    ZetaCore core;
    std::vector<uint8_t> memory;
};

}  // namespace vimo::test
