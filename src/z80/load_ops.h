// The unprefixed loads that both Z80 cores run alike: NOP, LD r,r', LD r,n,
// the loads through (HL), (BC), (DE) and (nn) of one byte, LD rr,nn, LD SP,HL
// and EX DE,HL, written once over the core's access type (cpu_access.h).
// The 16-bit loads through memory, PUSH, POP and the other exchanges stay
// with each core, whose bus rules differ for them.
#pragma once

#include <cstdint>
#include <utility>

#include "z80/cpu_access.h"
#include "z80/registers.h"

namespace vimo::z80 {

template <CpuAccess Cpu>
void nop(typename Cpu::Core& core) {
    Cpu::charge(core, 4);
}

// LD r,r' (4), LD r,(HL) (7), LD (HL),r (7).
template <CpuAccess Cpu, int Dst, int Src>
void ldRegReg(typename Cpu::Core& core) {
    if constexpr (Src == kMemoryOperand) {
        core.reg[Dst] = Cpu::readByte(core, regHL(core));
        Cpu::charge(core, 7);
    } else if constexpr (Dst == kMemoryOperand) {
        Cpu::writeByte(core, regHL(core), core.reg[Src]);
        Cpu::charge(core, 7);
    } else {
        core.reg[Dst] = core.reg[Src];
        Cpu::charge(core, 4);
    }
}

// LD r,n (7) and LD (HL),n (10).
template <CpuAccess Cpu, int Dst>
void ldRegImmediate(typename Cpu::Core& core) {
    const uint8_t value = Cpu::fetchByte(core);
    if constexpr (Dst == kMemoryOperand) {
        Cpu::writeByte(core, regHL(core), value);
        Cpu::charge(core, 10);
    } else {
        core.reg[Dst] = value;
        Cpu::charge(core, 7);
    }
}

// LD rr,nn (10).
template <CpuAccess Cpu, int P>
void ldPairImmediate(typename Cpu::Core& core) {
    setRp<P>(core, Cpu::fetchWord(core));
    Cpu::charge(core, 10);
}

// LD (BC),A and LD (DE),A (7); LD A,(BC) and LD A,(DE) (7).
template <CpuAccess Cpu, int P>
void ldIndirectA(typename Cpu::Core& core) {
    Cpu::writeByte(core, getRp<P>(core), core.reg[kA]);
    Cpu::charge(core, 7);
}

template <CpuAccess Cpu, int P>
void ldAIndirect(typename Cpu::Core& core) {
    core.reg[kA] = Cpu::readByte(core, getRp<P>(core));
    Cpu::charge(core, 7);
}

// LD (nn),A and LD A,(nn) (13).
template <CpuAccess Cpu>
void ldAbsoluteA(typename Cpu::Core& core) {
    Cpu::writeByte(core, Cpu::fetchWord(core), core.reg[kA]);
    Cpu::charge(core, 13);
}

template <CpuAccess Cpu>
void ldAAbsolute(typename Cpu::Core& core) {
    core.reg[kA] = Cpu::readByte(core, Cpu::fetchWord(core));
    Cpu::charge(core, 13);
}

template <CpuAccess Cpu>
void ldSpHl(typename Cpu::Core& core) {
    core.context.sp = regHL(core);
    Cpu::charge(core, 6);
}

template <CpuAccess Cpu>
void exDeHl(typename Cpu::Core& core) {
    const uint16_t de = regDE(core);
    setPair(core, kD, kE, regHL(core));
    setPair(core, kH, kL, de);
    Cpu::charge(core, 4);
}

template <CpuAccess Cpu, int Dst, int Src, class Tables>
void installLdRegReg(Tables& t) {
    if constexpr (!(Dst == kMemoryOperand && Src == kMemoryOperand)) {  // 0x76 is HALT (ops_control.cpp)
        t.main[0x40 | (Dst << 3) | Src] = ldRegReg<Cpu, Dst, Src>;
    }
}

template <CpuAccess Cpu, int Dst, class Tables, int... Src>
void installLdRow(Tables& t, std::integer_sequence<int, Src...>) {
    (installLdRegReg<Cpu, Dst, Src>(t), ...);
}

template <CpuAccess Cpu, class Tables, int... Dst>
void installLdBlock(Tables& t, std::integer_sequence<int, Dst...>) {
    (installLdRow<Cpu, Dst>(t, std::make_integer_sequence<int, 8>{}), ...);
    ((t.main[0x06 | (Dst << 3)] = ldRegImmediate<Cpu, Dst>), ...);
}

template <CpuAccess Cpu, class Tables, int... P>
void installPairImmediates(Tables& t, std::integer_sequence<int, P...>) {
    ((t.main[0x01 | (P << 4)] = ldPairImmediate<Cpu, P>), ...);
}

// Fills the main-table entries of the shared loads.
template <CpuAccess Cpu, class Tables>
void installSharedLoads(Tables& t) {
    t.main[0x00] = nop<Cpu>;
    installLdBlock<Cpu>(t, std::make_integer_sequence<int, 8>{});
    installPairImmediates<Cpu>(t, std::make_integer_sequence<int, 4>{});
    t.main[0x02] = ldIndirectA<Cpu, 0>;
    t.main[0x12] = ldIndirectA<Cpu, 1>;
    t.main[0x0A] = ldAIndirect<Cpu, 0>;
    t.main[0x1A] = ldAIndirect<Cpu, 1>;
    t.main[0x32] = ldAbsoluteA<Cpu>;
    t.main[0x3A] = ldAAbsolute<Cpu>;
    t.main[0xF9] = ldSpHl<Cpu>;
    t.main[0xEB] = exDeHl<Cpu>;
}

}  // namespace vimo::z80
