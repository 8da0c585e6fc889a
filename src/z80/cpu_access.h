// What the instruction code that both Z80 cores share (control_ops.h,
// load_ops.h) asks of a core. Each core answers with a small type `Cpu` in
// its own namespace whose static functions forward to its access paths, so
// the shared handlers compile to the same code as the core's own would.
#pragma once

#include <concepts>
#include <cstdint>

namespace vimo::z80 {

template <class Cpu>
concept CpuAccess = requires(typename Cpu::Core& core, uint16_t address, uint8_t value, uint16_t word) {
    // Operand bytes and words at PC, PC moving on.
    { Cpu::fetchByte(core) } -> std::same_as<uint8_t>;
    { Cpu::fetchWord(core) } -> std::same_as<uint16_t>;
    // Data bytes (LD r,(HL), LD (nn),A ...).
    { Cpu::readByte(core, address) } -> std::same_as<uint8_t>;
    Cpu::writeByte(core, address, value);
    // The stack traffic of CALL, RST and RET.
    Cpu::push(core, word);
    { Cpu::pop(core) } -> std::same_as<uint16_t>;
    // An instruction's cost in cycles.
    Cpu::charge(core, 4);
};

}  // namespace vimo::z80
