// A Kite core for the unit tests: by default 64 KB of RAM mapped whole as
// fetch, read and write pages (through memory ranges), ports answering 0xFF.
// Tests that need handlers install their own map; a handler reaches its test
// through KiteTest::current, since bus handlers get the address alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "z80/kite/kite.h"
#include "z80_test_names.h"

namespace vimo::test {

class KiteTest : public ::testing::Test {
protected:
    KiteTest() : core(std::make_unique<KiteCore>()), memory(0x10000, 0) {
        current = this;
        mapFlat();
    }
    ~KiteTest() override { current = nullptr; }

    // 64 KB of RAM everywhere, and a reset core.
    void mapFlat() {
        kiteBeginMemoryMap(k());
        kiteMapFetchPages(k(), 0x0000, 0xFFFF, memory.data());
        kiteAddReadRange(k(), 0x0000, 0xFFFF, kKiteRangeMemory, memory.data());
        kiteAddWriteRange(k(), 0x0000, 0xFFFF, kKiteRangeMemory, memory.data());
        kiteEndMemoryMap(k());
        kiteResetCpu(k());
    }

    void load(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) {
            memory.at(address) = byte;
            address = static_cast<uint16_t>(address + 1);
        }
    }

    KiteCore& k() { return *core; }
    int32_t run(int32_t cycles) { return kiteRun(k(), cycles); }
    // Runs exactly one instruction (a budget of 0) and returns the cycles
    // counted, owed cycles included.
    int32_t step() { return kiteRun(k(), 0); }

    uint32_t reg(uint32_t index) const { return kiteRegister(*core, index); }
    void set(uint32_t index, uint32_t value) { kiteStoreRegister(k(), index, value); }
    uint8_t a() const { return static_cast<uint8_t>(reg(kKiteAF) >> 8); }
    uint8_t f() const { return static_cast<uint8_t>(reg(kKiteAF)); }
    void setA(uint8_t value) { set(kKiteAF, static_cast<uint32_t>((value << 8) | f())); }
    void setF(uint8_t value) { set(kKiteAF, static_cast<uint32_t>((a() << 8) | value)); }
    uint16_t pc() const { return static_cast<uint16_t>(reg(kKitePC)); }
    uint16_t sp() const { return static_cast<uint16_t>(reg(kKiteSP)); }
    uint8_t r() const { return static_cast<uint8_t>(reg(kKiteIR)); }
    uint16_t word(uint16_t address) const {
        return static_cast<uint16_t>(memory.at(address) | (memory.at(static_cast<uint16_t>(address + 1)) << 8));
    }

    static inline KiteTest* current = nullptr;

    std::unique_ptr<KiteCore> core;
    std::vector<uint8_t> memory;
};

}  // namespace vimo::test
