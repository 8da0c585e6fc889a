// What the instruction code that both Z80 cores share (control_ops.h,
// load_ops.h, arithmetic_ops.h, ed_ops.h, index_ops.h) asks of a core. Each
// core answers with a small type `Cpu` in its own namespace whose static
// functions forward to its access paths and flag rules, so the shared
// handlers compile to the same code as the core's own would.
#pragma once

#include <concepts>
#include <cstdint>

#include "z80/alu_rules.h"

namespace vimo::z80 {

template <class Cpu>
concept CpuAccess = requires(typename Cpu::Core& core, uint16_t address, uint8_t value, uint16_t word) {
    // Operand bytes and words at PC, PC moving on.
    { Cpu::fetchByte(core) } -> std::same_as<uint8_t>;
    { Cpu::fetchWord(core) } -> std::same_as<uint16_t>;
    // Data bytes (LD r,(HL), LD (nn),A ...).
    { Cpu::readByte(core, address) } -> std::same_as<uint8_t>;
    Cpu::writeByte(core, address, value);
    // Data words of the ED and index families (LD rr,(nn), LD (nn),IX ...):
    // two byte accesses, the low byte first.
    { Cpu::readWord(core, address) } -> std::same_as<uint16_t>;
    Cpu::writeWord(core, address, word);
    // The stack traffic of CALL, RST and RET.
    Cpu::push(core, word);
    { Cpu::pop(core) } -> std::same_as<uint16_t>;
    // An instruction's cost in cycles.
    Cpu::charge(core, 4);
    // The core's flag rules: the ALU operations on A, INC and DEC of a byte,
    // ADD, ADC and SBC of words. Each sets F the core's way.
    Cpu::template alu<AluOp::add>(core, value);
    { Cpu::inc8(core, value) } -> std::same_as<uint8_t>;
    { Cpu::dec8(core, value) } -> std::same_as<uint8_t>;
    { Cpu::add16(core, word, word) } -> std::same_as<uint16_t>;
    { Cpu::adc16(core, word, word) } -> std::same_as<uint16_t>;
    { Cpu::sbc16(core, word, word) } -> std::same_as<uint16_t>;
    // The costs of the instructions on the halves of IX and IY, which the
    // cores count differently.
    { Cpu::kIndexHalfCycles } -> std::convertible_to<int>;
    { Cpu::kIndexHalfImmediateCycles } -> std::convertible_to<int>;
};

}  // namespace vimo::z80
