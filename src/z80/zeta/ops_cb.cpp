// The CB family: rotates and shifts, BIT, RES and SET on a register (8) or
// on (HL) (BIT 12, the others 15, read through the read list and written back
// through the write list).
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

template <int Y, int R>
void shiftOperand(ZetaCore& z) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(z);
        writeByte(z, address, shift<shiftOpOf(Y)>(z, readByte(z, address)));
        charge(z, 15);
    } else {
        z.reg[R] = shift<shiftOpOf(Y)>(z, z.reg[R]);
        charge(z, 8);
    }
}

template <int Y, int R>
void bit(ZetaCore& z) {
    if constexpr (R == kMemoryOperand) {
        bitTest(z, Y, readByte(z, regHL(z)));
        charge(z, 12);
    } else {
        bitTest(z, Y, z.reg[R]);
        charge(z, 8);
    }
}

template <int Y, int R, bool Set>
void resSet(ZetaCore& z) {
    constexpr auto kMask = static_cast<uint8_t>(1u << Y);
    const auto apply = [](uint8_t value) {
        return static_cast<uint8_t>(Set ? (value | kMask) : (value & ~kMask));
    };
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(z);
        writeByte(z, address, apply(readByte(z, address)));
        charge(z, 15);
    } else {
        z.reg[R] = apply(z.reg[R]);
        charge(z, 8);
    }
}

template <int Y, int... R>
void installRow(ZetaDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.cb[0x00 | (Y << 3) | R] = shiftOperand<Y, R>), ...);
    ((t.cb[0x40 | (Y << 3) | R] = bit<Y, R>), ...);
    ((t.cb[0x80 | (Y << 3) | R] = resSet<Y, R, false>), ...);
    ((t.cb[0xC0 | (Y << 3) | R] = resSet<Y, R, true>), ...);
}

template <int... Y>
void installRows(ZetaDecodeTables& t, std::integer_sequence<int, Y...>) {
    (installRow<Y>(t, std::make_integer_sequence<int, 8>{}), ...);
}

}  // namespace

void installBitOps(ZetaDecodeTables& t) { installRows(t, std::make_integer_sequence<int, 8>{}); }

}  // namespace vimo::zeta
