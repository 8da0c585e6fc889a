// The DD and FD instructions that both Z80 cores run alike, written once over
// the core's access type (cpu_access.h): ADD IX,rr, the 16-bit loads, INC and
// DEC of IX, the (IX+d) forms, the IXH and IXL forms (at the core's own
// costs), JP (IX) and LD SP,IX; the same for IY. POP, PUSH, EX (SP),IX, the
// DD CB / FD CB entry and the opcodes with no indexed form stay with each
// core, whose bus and decode rules differ for them.
#pragma once

#include <cstdint>
#include <utility>

#include "z80/alu_rules.h"
#include "z80/cpu_access.h"
#include "z80/registers.h"

namespace vimo::z80 {

enum class Index { ix, iy };

// IX or IY in the core's context record.
template <Index X, class Core>
inline auto& indexRegister(Core& core) {
    if constexpr (X == Index::ix) {
        return core.context.ix;
    } else {
        return core.context.iy;
    }
}

template <Index X, class Core>
inline uint16_t indexValue(Core& core) {
    return static_cast<uint16_t>(indexRegister<X>(core));
}

// IX + d with d the signed byte at PC, 16-bit wrap.
template <CpuAccess Cpu, Index X>
inline uint16_t indexedAddress(typename Cpu::Core& core) {
    const auto displacement = static_cast<int8_t>(Cpu::fetchByte(core));
    return static_cast<uint16_t>(indexValue<X>(core) + displacement);
}

// The register field with H and L standing for the index register's halves.
template <Index X, int R, class Core>
inline uint8_t getHalfOrRegister(Core& core) {
    if constexpr (R == kH) {
        return static_cast<uint8_t>(indexValue<X>(core) >> 8);
    } else if constexpr (R == kL) {
        return static_cast<uint8_t>(indexValue<X>(core));
    } else {
        return core.reg[R];
    }
}

template <Index X, int R, class Core>
inline void setHalfOrRegister(Core& core, uint8_t value) {
    if constexpr (R == kH) {
        indexRegister<X>(core) = static_cast<uint16_t>((indexValue<X>(core) & 0x00FFu) | (value << 8));
    } else if constexpr (R == kL) {
        indexRegister<X>(core) = static_cast<uint16_t>((indexValue<X>(core) & 0xFF00u) | value);
    } else {
        core.reg[R] = value;
    }
}

// ADD IX,rr (15), rr = BC, DE, IX, SP.
template <CpuAccess Cpu, Index X, int P>
void addIndex(typename Cpu::Core& core) {
    const uint16_t operand = P == 2 ? indexValue<X>(core) : getRp<P>(core);
    indexRegister<X>(core) = Cpu::add16(core, indexValue<X>(core), operand);
    Cpu::charge(core, 15);
}

// LD IX,nn (14), LD (nn),IX and LD IX,(nn) (20).
template <CpuAccess Cpu, Index X>
void ldIndexImmediate(typename Cpu::Core& core) {
    indexRegister<X>(core) = Cpu::fetchWord(core);
    Cpu::charge(core, 14);
}

template <CpuAccess Cpu, Index X>
void ldAbsoluteIndex(typename Cpu::Core& core) {
    Cpu::writeWord(core, Cpu::fetchWord(core), indexValue<X>(core));
    Cpu::charge(core, 20);
}

template <CpuAccess Cpu, Index X>
void ldIndexAbsolute(typename Cpu::Core& core) {
    indexRegister<X>(core) = Cpu::readWord(core, Cpu::fetchWord(core));
    Cpu::charge(core, 20);
}

// INC IX and DEC IX (10): 16-bit wrap, no flags.
template <CpuAccess Cpu, Index X, int Delta>
void incDecIndex(typename Cpu::Core& core) {
    indexRegister<X>(core) = static_cast<uint16_t>(indexValue<X>(core) + Delta);
    Cpu::charge(core, 10);
}

// INC (IX+d) and DEC (IX+d) (23).
template <CpuAccess Cpu, Index X, bool Increment>
void incDecIndexed(typename Cpu::Core& core) {
    const uint16_t address = indexedAddress<Cpu, X>(core);
    const uint8_t value = Cpu::readByte(core, address);
    Cpu::writeByte(core, address, Increment ? Cpu::inc8(core, value) : Cpu::dec8(core, value));
    Cpu::charge(core, 23);
}

// LD (IX+d),n (19): the displacement comes before the immediate.
template <CpuAccess Cpu, Index X>
void ldIndexedImmediate(typename Cpu::Core& core) {
    const uint16_t address = indexedAddress<Cpu, X>(core);
    Cpu::writeByte(core, address, Cpu::fetchByte(core));
    Cpu::charge(core, 19);
}

// LD r,(IX+d) and LD (IX+d),r (19) use the real H and L.
template <CpuAccess Cpu, Index X, int R>
void ldRegisterIndexed(typename Cpu::Core& core) {
    core.reg[R] = Cpu::readByte(core, indexedAddress<Cpu, X>(core));
    Cpu::charge(core, 19);
}

template <CpuAccess Cpu, Index X, int R>
void ldIndexedRegister(typename Cpu::Core& core) {
    Cpu::writeByte(core, indexedAddress<Cpu, X>(core), core.reg[R]);
    Cpu::charge(core, 19);
}

// ALU A,(IX+d) (19).
template <CpuAccess Cpu, Index X, int Y>
void aluIndexed(typename Cpu::Core& core) {
    Cpu::template alu<aluOpOf(Y)>(core, Cpu::readByte(core, indexedAddress<Cpu, X>(core)));
    Cpu::charge(core, 19);
}

// JP (IX) (8) and LD SP,IX (10).
template <CpuAccess Cpu, Index X>
void jpIndex(typename Cpu::Core& core) {
    core.pc = indexValue<X>(core);
    Cpu::charge(core, 8);
}

template <CpuAccess Cpu, Index X>
void ldSpIndex(typename Cpu::Core& core) {
    core.context.sp = indexValue<X>(core);
    Cpu::charge(core, 10);
}

// The halves as 8-bit registers: INC, DEC, LD r,r' and ALU at the core's
// kIndexHalfCycles, LD IXH,n and LD IXL,n at its kIndexHalfImmediateCycles.
template <CpuAccess Cpu, Index X, int R, bool Increment>
void incDecHalf(typename Cpu::Core& core) {
    const uint8_t value = getHalfOrRegister<X, R>(core);
    setHalfOrRegister<X, R>(core, Increment ? Cpu::inc8(core, value) : Cpu::dec8(core, value));
    Cpu::charge(core, Cpu::kIndexHalfCycles);
}

template <CpuAccess Cpu, Index X, int R>
void ldHalfImmediate(typename Cpu::Core& core) {
    setHalfOrRegister<X, R>(core, Cpu::fetchByte(core));
    Cpu::charge(core, Cpu::kIndexHalfImmediateCycles);
}

template <CpuAccess Cpu, Index X, int Dst, int Src>
void ldHalves(typename Cpu::Core& core) {
    setHalfOrRegister<X, Dst>(core, getHalfOrRegister<X, Src>(core));
    Cpu::charge(core, Cpu::kIndexHalfCycles);
}

template <CpuAccess Cpu, Index X, int Y, int R>
void aluHalf(typename Cpu::Core& core) {
    Cpu::template alu<aluOpOf(Y)>(core, getHalfOrRegister<X, R>(core));
    Cpu::charge(core, Cpu::kIndexHalfCycles);
}

constexpr bool isIndexHalf(int r) { return r == kH || r == kL; }

// One opcode of the LD block 40-7F: (IX+d) in the (HL) slot, IXH and IXL in
// place of H and L; the opcodes naming neither have no indexed form.
template <CpuAccess Cpu, Index X, int Dst, int Src, class Handler>
void installIndexLd(Handler (&table)[256]) {
    constexpr int kOpcode = 0x40 | (Dst << 3) | Src;
    if constexpr (Dst == kMemoryOperand && Src == kMemoryOperand) {
        // HALT
    } else if constexpr (Dst == kMemoryOperand) {
        table[kOpcode] = ldIndexedRegister<Cpu, X, Src>;
    } else if constexpr (Src == kMemoryOperand) {
        table[kOpcode] = ldRegisterIndexed<Cpu, X, Dst>;
    } else if constexpr (isIndexHalf(Dst) || isIndexHalf(Src)) {
        table[kOpcode] = ldHalves<Cpu, X, Dst, Src>;
    }
}

// One opcode of the ALU block 80-BF.
template <CpuAccess Cpu, Index X, int Y, int Src, class Handler>
void installIndexAlu(Handler (&table)[256]) {
    constexpr int kOpcode = 0x80 | (Y << 3) | Src;
    if constexpr (Src == kMemoryOperand) {
        table[kOpcode] = aluIndexed<Cpu, X, Y>;
    } else if constexpr (isIndexHalf(Src)) {
        table[kOpcode] = aluHalf<Cpu, X, Y, Src>;
    }
}

template <CpuAccess Cpu, Index X, int Row, class Handler, int... Column>
void installIndexRow(Handler (&table)[256], std::integer_sequence<int, Column...>) {
    (installIndexLd<Cpu, X, Row, Column>(table), ...);
    (installIndexAlu<Cpu, X, Row, Column>(table), ...);
}

template <CpuAccess Cpu, Index X, class Handler, int... Row>
void installIndexBlocks(Handler (&table)[256], std::integer_sequence<int, Row...>) {
    (installIndexRow<Cpu, X, Row>(table, std::make_integer_sequence<int, 8>{}), ...);
}

// Fills the DD (X = ix) or FD (X = iy) table entries of the shared
// instructions.
template <CpuAccess Cpu, Index X, class Handler>
void installSharedIndex(Handler (&table)[256]) {
    table[0x09] = addIndex<Cpu, X, 0>;
    table[0x19] = addIndex<Cpu, X, 1>;
    table[0x29] = addIndex<Cpu, X, 2>;
    table[0x39] = addIndex<Cpu, X, 3>;
    table[0x21] = ldIndexImmediate<Cpu, X>;
    table[0x22] = ldAbsoluteIndex<Cpu, X>;
    table[0x2A] = ldIndexAbsolute<Cpu, X>;
    table[0x23] = incDecIndex<Cpu, X, 1>;
    table[0x2B] = incDecIndex<Cpu, X, -1>;
    table[0x24] = incDecHalf<Cpu, X, kH, true>;
    table[0x25] = incDecHalf<Cpu, X, kH, false>;
    table[0x2C] = incDecHalf<Cpu, X, kL, true>;
    table[0x2D] = incDecHalf<Cpu, X, kL, false>;
    table[0x26] = ldHalfImmediate<Cpu, X, kH>;
    table[0x2E] = ldHalfImmediate<Cpu, X, kL>;
    table[0x34] = incDecIndexed<Cpu, X, true>;
    table[0x35] = incDecIndexed<Cpu, X, false>;
    table[0x36] = ldIndexedImmediate<Cpu, X>;
    installIndexBlocks<Cpu, X>(table, std::make_integer_sequence<int, 8>{});
    table[0xE9] = jpIndex<Cpu, X>;
    table[0xF9] = ldSpIndex<Cpu, X>;
}

}  // namespace vimo::z80
