// The unprefixed arithmetic that both Z80 cores run alike: the eight ALU
// operations on A with a register, (HL) or an immediate, INC and DEC of
// bytes and pairs, and ADD HL,rr, written once over the core's access type
// (cpu_access.h), whose flag rules set F. The rotates of A, DAA, CPL, SCF and
// CCF stay with each core, which has its own flag rules for them.
#pragma once

#include <cstdint>
#include <utility>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/registers.h"

namespace vimo::z80 {

// ALU A,r (4), ALU A,(HL) (7).
template <CpuAccess Cpu, int Y, int Src>
void aluRegister(typename Cpu::Core& core) {
    if constexpr (Src == kMemoryOperand) {
        Cpu::template alu<aluOpOf(Y)>(core, Cpu::readByte(core, regHL(core)));
        Cpu::charge(core, 7);
    } else {
        Cpu::template alu<aluOpOf(Y)>(core, core.reg[Src]);
        Cpu::charge(core, 4);
    }
}

// ALU A,n (7).
template <CpuAccess Cpu, int Y>
void aluImmediate(typename Cpu::Core& core) {
    Cpu::template alu<aluOpOf(Y)>(core, Cpu::fetchByte(core));
    Cpu::charge(core, 7);
}

// INC r / DEC r (4); INC (HL) / DEC (HL) (11), read then written back.
template <CpuAccess Cpu, int R, bool Increment>
void incDec8(typename Cpu::Core& core) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(core);
        const uint8_t value = Cpu::readByte(core, address);
        Cpu::writeByte(core, address, Increment ? Cpu::inc8(core, value) : Cpu::dec8(core, value));
        Cpu::charge(core, 11);
    } else {
        core.reg[R] = Increment ? Cpu::inc8(core, core.reg[R]) : Cpu::dec8(core, core.reg[R]);
        Cpu::charge(core, 4);
    }
}

// INC rr / DEC rr (6): 16-bit wrap, no flags.
template <CpuAccess Cpu, int P, int Delta>
void incDecPair(typename Cpu::Core& core) {
    setRp<P>(core, static_cast<uint16_t>(getRp<P>(core) + Delta));
    Cpu::charge(core, 6);
}

// ADD HL,rr (11).
template <CpuAccess Cpu, int P>
void addHl(typename Cpu::Core& core) {
    setHL(core, Cpu::add16(core, regHL(core), getRp<P>(core)));
    Cpu::charge(core, 11);
}

template <CpuAccess Cpu, int Y, class Tables, int... Src>
void installAluRow(Tables& t, std::integer_sequence<int, Src...>) {
    ((t.main[0x80 | (Y << 3) | Src] = aluRegister<Cpu, Y, Src>), ...);
}

template <CpuAccess Cpu, class Tables, int... Y>
void installAluBlock(Tables& t, std::integer_sequence<int, Y...>) {
    (installAluRow<Cpu, Y>(t, std::make_integer_sequence<int, 8>{}), ...);
    ((t.main[0xC6 | (Y << 3)] = aluImmediate<Cpu, Y>), ...);
    ((t.main[0x04 | (Y << 3)] = incDec8<Cpu, Y, true>), ...);
    ((t.main[0x05 | (Y << 3)] = incDec8<Cpu, Y, false>), ...);
}

template <CpuAccess Cpu, class Tables, int... P>
void installPairArithmetic(Tables& t, std::integer_sequence<int, P...>) {
    ((t.main[0x03 | (P << 4)] = incDecPair<Cpu, P, 1>), ...);
    ((t.main[0x0B | (P << 4)] = incDecPair<Cpu, P, -1>), ...);
    ((t.main[0x09 | (P << 4)] = addHl<Cpu, P>), ...);
}

// Fills the main-table entries of the shared arithmetic.
template <CpuAccess Cpu, class Tables>
void installSharedArithmetic(Tables& t) {
    installAluBlock<Cpu>(t, std::make_integer_sequence<int, 8>{});
    installPairArithmetic<Cpu>(t, std::make_integer_sequence<int, 4>{});
}

}  // namespace vimo::z80
