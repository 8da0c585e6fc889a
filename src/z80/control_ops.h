// The unprefixed control transfers that both Z80 cores run alike: DJNZ,
// JR cc, JP, JP cc, JP (HL), CALL, CALL cc, RET, RET cc and RST, written once
// over the core's access type (cpu_access.h). JR, HALT, DI and EI stay with
// each core, which has its own rules for them.
#pragma once

#include <cstdint>
#include <utility>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/registers.h"

namespace vimo::z80 {

template <class Core>
inline uint16_t relativeTarget(const Core& core, uint8_t displacement) {
    return static_cast<uint16_t>(core.pc + static_cast<int8_t>(displacement));
}

// DJNZ (13 taken, 8 not).
template <CpuAccess Cpu>
void djnz(typename Cpu::Core& core) {
    const uint8_t displacement = Cpu::fetchByte(core);
    core.reg[kB] = static_cast<uint8_t>(core.reg[kB] - 1);
    if (core.reg[kB] != 0) {
        core.pc = relativeTarget(core, displacement);
        Cpu::charge(core, 13);
    } else {
        Cpu::charge(core, 8);
    }
}

// JR cc,e (12 taken, 7 not; only NZ, Z, NC and C exist).
template <CpuAccess Cpu, int Cc>
void jrConditional(typename Cpu::Core& core) {
    const uint8_t displacement = Cpu::fetchByte(core);
    if (condition<Cc>(core)) {
        core.pc = relativeTarget(core, displacement);
        Cpu::charge(core, 12);
    } else {
        Cpu::charge(core, 7);
    }
}

template <CpuAccess Cpu>
void jp(typename Cpu::Core& core) {
    core.pc = Cpu::fetchWord(core);
    Cpu::charge(core, 10);
}

// JP cc,nn (10 either way).
template <CpuAccess Cpu, int Cc>
void jpConditional(typename Cpu::Core& core) {
    const uint16_t target = Cpu::fetchWord(core);
    if (condition<Cc>(core)) {
        core.pc = target;
    }
    Cpu::charge(core, 10);
}

template <CpuAccess Cpu>
void jpHl(typename Cpu::Core& core) {
    core.pc = regHL(core);
    Cpu::charge(core, 4);
}

template <CpuAccess Cpu>
void call(typename Cpu::Core& core) {
    const uint16_t target = Cpu::fetchWord(core);
    Cpu::push(core, core.pc);
    core.pc = target;
    Cpu::charge(core, 17);
}

// CALL cc,nn (17 taken, 10 not).
template <CpuAccess Cpu, int Cc>
void callConditional(typename Cpu::Core& core) {
    const uint16_t target = Cpu::fetchWord(core);
    if (condition<Cc>(core)) {
        Cpu::push(core, core.pc);
        core.pc = target;
        Cpu::charge(core, 17);
    } else {
        Cpu::charge(core, 10);
    }
}

template <CpuAccess Cpu>
void ret(typename Cpu::Core& core) {
    core.pc = Cpu::pop(core);
    Cpu::charge(core, 10);
}

// RET cc (11 taken, 5 not).
template <CpuAccess Cpu, int Cc>
void retConditional(typename Cpu::Core& core) {
    if (condition<Cc>(core)) {
        core.pc = Cpu::pop(core);
        Cpu::charge(core, 11);
    } else {
        Cpu::charge(core, 5);
    }
}

// RST y (11): a call to y * 8.
template <CpuAccess Cpu, int Y>
void rst(typename Cpu::Core& core) {
    Cpu::push(core, core.pc);
    core.pc = static_cast<uint16_t>(Y * 8);
    Cpu::charge(core, 11);
}

template <CpuAccess Cpu, class Tables, int... Cc>
void installConditionals(Tables& t, std::integer_sequence<int, Cc...>) {
    ((t.main[0xC0 | (Cc << 3)] = retConditional<Cpu, Cc>), ...);
    ((t.main[0xC2 | (Cc << 3)] = jpConditional<Cpu, Cc>), ...);
    ((t.main[0xC4 | (Cc << 3)] = callConditional<Cpu, Cc>), ...);
    ((t.main[0xC7 | (Cc << 3)] = rst<Cpu, Cc>), ...);
}

// Fills the main-table entries of the shared control transfers.
template <CpuAccess Cpu, class Tables>
void installSharedControl(Tables& t) {
    t.main[0x10] = djnz<Cpu>;
    t.main[0x20] = jrConditional<Cpu, 0>;
    t.main[0x28] = jrConditional<Cpu, 1>;
    t.main[0x30] = jrConditional<Cpu, 2>;
    t.main[0x38] = jrConditional<Cpu, 3>;
    t.main[0xC3] = jp<Cpu>;
    t.main[0xE9] = jpHl<Cpu>;
    t.main[0xCD] = call<Cpu>;
    t.main[0xC9] = ret<Cpu>;
    installConditionals<Cpu>(t, std::make_integer_sequence<int, 8>{});
}

}  // namespace vimo::z80
