// A 68000 instance over a flat, word-swapped RAM for hand-encoded programs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "cpu68000/cpu68000.h"
#include "support/m68k_memory.h"

namespace vimo::test {

class Rig {
public:
    static constexpr uint32_t kSsp = 0x8000;  // supervisor stack top
    static constexpr uint32_t kUsp = 0x6000;  // user stack top

    explicit Rig(uint32_t size = 0x10000) : ram(size) {}

    M68kMemory ram;
    std::unique_ptr<Cpu68000> cpu = std::make_unique<Cpu68000>();

    // Writes 68000 words from `address` on; returns the address after them.
    uint32_t put(uint32_t address, std::initializer_list<uint16_t> words) {
        for (uint16_t w : words) {
            ram.writeWord(address, w);
            address += 2;
        }
        return address;
    }

    void vector(unsigned number, uint32_t handler) { ram.writeLong(4 * number, handler); }

    // Maps the RAM (after any extra regions) into every list set and starts at
    // `pc` with `sr`; A7 and the other stack pointer follow S.
    void start(uint32_t pc, uint16_t sr = 0x2700) {
        Cpu68000Context ctx{};
        ram.mapInto(ctx);
        const bool supervisor = (sr & 0x2000) != 0;
        ctx.a[7] = supervisor ? kSsp : kUsp;
        ctx.otherSp = supervisor ? kUsp : kSsp;
        ctx.pc = pc;
        ctx.sr = sr;
        cpu->setContext(&ctx);
    }

    Cpu68000Context context() const {
        Cpu68000Context ctx{};
        cpu->getContext(&ctx);
        return ctx;
    }

    template <typename Change> void edit(Change change) {
        Cpu68000Context ctx = context();
        change(ctx);
        cpu->setContext(&ctx);
    }

    // The frame of the last exception on the supervisor stack.
    uint16_t stackedSr() const { return ram.readWord(context().a[7]); }
    uint32_t stackedPc() const { return ram.readLong(context().a[7] + 2); }
};

}  // namespace vimo::test
