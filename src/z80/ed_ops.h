// The ED instructions that both Z80 cores run alike: ADC and SBC HL,rr, the
// 16-bit loads through (nn), NEG and LD I,A, written once over the core's
// access type (cpu_access.h), whose flag rules set F. RETN, RETI, IM, LD R,A,
// LD A,I, LD A,R, RRD and RLD stay with each core, which has its own rules
// for them.
#pragma once

#include <cstdint>
#include <utility>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/registers.h"

namespace vimo::z80 {

// SBC HL,rr and ADC HL,rr (15).
template <CpuAccess Cpu, int P>
void sbcHl(typename Cpu::Core& core) {
    setHL(core, Cpu::sbc16(core, regHL(core), getRp<P>(core)));
    Cpu::charge(core, 15);
}

template <CpuAccess Cpu, int P>
void adcHl(typename Cpu::Core& core) {
    setHL(core, Cpu::adc16(core, regHL(core), getRp<P>(core)));
    Cpu::charge(core, 15);
}

// LD (nn),rr and LD rr,(nn) (20).
template <CpuAccess Cpu, int P>
void ldAbsolutePair(typename Cpu::Core& core) {
    Cpu::writeWord(core, Cpu::fetchWord(core), getRp<P>(core));
    Cpu::charge(core, 20);
}

template <CpuAccess Cpu, int P>
void ldPairAbsolute(typename Cpu::Core& core) {
    setRp<P>(core, Cpu::readWord(core, Cpu::fetchWord(core)));
    Cpu::charge(core, 20);
}

// NEG (8): A = 0 - A with the flags of that subtraction.
template <CpuAccess Cpu>
void neg(typename Cpu::Core& core) {
    const uint8_t value = core.reg[kA];
    core.reg[kA] = 0;
    Cpu::template alu<AluOp::sub>(core, value);
    Cpu::charge(core, 8);
}

// LD I,A (9).
template <CpuAccess Cpu>
void ldIA(typename Cpu::Core& core) {
    core.context.i = core.reg[kA];
    Cpu::charge(core, 9);
}

template <CpuAccess Cpu, class Tables, int... P>
void installEdPairs(Tables& t, std::integer_sequence<int, P...>) {
    ((t.ed[0x42 | (P << 4)] = sbcHl<Cpu, P>), ...);
    ((t.ed[0x4A | (P << 4)] = adcHl<Cpu, P>), ...);
    ((t.ed[0x43 | (P << 4)] = ldAbsolutePair<Cpu, P>), ...);
    ((t.ed[0x4B | (P << 4)] = ldPairAbsolute<Cpu, P>), ...);
}

// Fills the ED-table entries of the shared instructions at their documented
// opcodes.
template <CpuAccess Cpu, class Tables>
void installSharedEd(Tables& t) {
    installEdPairs<Cpu>(t, std::make_integer_sequence<int, 4>{});
    t.ed[0x44] = neg<Cpu>;
    t.ed[0x47] = ldIA<Cpu>;
}

}  // namespace vimo::z80
