// The working registers as both Z80 cores keep them during a run: an array
// `reg` of eight bytes in the order of the Z80's 3-bit register field, with F
// in the slot the field gives to (HL), and SP in the core's context record.
// The helpers are templates over the core type; each core brings them into
// its own namespace.
#pragma once

#include <cstdint>

namespace vimo::z80 {

// Indexes of the working registers in the core's `reg` array.
enum Reg : int { kB = 0, kC = 1, kD = 2, kE = 3, kH = 4, kL = 5, kF = 6, kA = 7 };

constexpr int kMemoryOperand = 6;  // the (HL) slot of the register field

template <class Core>
inline uint16_t pairOf(const Core& core, int high, int low) {
    return static_cast<uint16_t>((core.reg[high] << 8) | core.reg[low]);
}

template <class Core>
inline void setPair(Core& core, int high, int low, uint16_t value) {
    core.reg[high] = static_cast<uint8_t>(value >> 8);
    core.reg[low] = static_cast<uint8_t>(value);
}

template <class Core>
inline uint16_t regBC(const Core& core) {
    return pairOf(core, kB, kC);
}

template <class Core>
inline uint16_t regDE(const Core& core) {
    return pairOf(core, kD, kE);
}

template <class Core>
inline uint16_t regHL(const Core& core) {
    return pairOf(core, kH, kL);
}

template <class Core>
inline void setHL(Core& core, uint16_t value) {
    setPair(core, kH, kL, value);
}

// The 16-bit register field of LD rr,nn, INC rr, ADD HL,rr ...: 0 BC, 1 DE,
// 2 HL, 3 SP.
template <int P, class Core>
inline uint16_t getRp(const Core& core) {
    if constexpr (P == 3) {
        return static_cast<uint16_t>(core.context.sp);
    } else {
        return pairOf(core, 2 * P, 2 * P + 1);
    }
}

template <int P, class Core>
inline void setRp(Core& core, uint16_t value) {
    if constexpr (P == 3) {
        core.context.sp = value;
    } else {
        setPair(core, 2 * P, 2 * P + 1, value);
    }
}

}  // namespace vimo::z80
