// The CB family: rotates and shifts (SLL included), BIT, RES and SET on a
// register (8) or on (HL) (BIT 12, the others 15).
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

template <int Y, int R>
void shiftOperand(KiteCore& k) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(k);
        writeByte(k, address, shift<shiftOpOf(Y)>(k, readByte(k, address)));
        charge(k, 15);
    } else {
        k.reg[R] = shift<shiftOpOf(Y)>(k, k.reg[R]);
        charge(k, 8);
    }
}

// BIT y,r takes bits 3 and 5 from the register; BIT y,(HL) leaves them as
// they are.
template <int Y, int R>
void bit(KiteCore& k) {
    if constexpr (R == kMemoryOperand) {
        bitTest(k, Y, readByte(k, regHL(k)), k.reg[kF]);
        charge(k, 12);
    } else {
        bitTest(k, Y, k.reg[R], k.reg[R]);
        charge(k, 8);
    }
}

template <int Y, bool Set>
constexpr uint8_t applyResSet(uint8_t value) {
    constexpr auto kMask = static_cast<uint8_t>(1u << Y);
    return static_cast<uint8_t>(Set ? (value | kMask) : (value & ~kMask));
}

template <int Y, int R, bool Set>
void resSet(KiteCore& k) {
    if constexpr (R == kMemoryOperand) {
        const uint16_t address = regHL(k);
        writeByte(k, address, applyResSet<Y, Set>(readByte(k, address)));
        charge(k, 15);
    } else {
        k.reg[R] = applyResSet<Y, Set>(k.reg[R]);
        charge(k, 8);
    }
}

template <int Y, int... R>
void installRow(KiteDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.cb[0x00 | (Y << 3) | R] = shiftOperand<Y, R>), ...);
    ((t.cb[0x40 | (Y << 3) | R] = bit<Y, R>), ...);
    ((t.cb[0x80 | (Y << 3) | R] = resSet<Y, R, false>), ...);
    ((t.cb[0xC0 | (Y << 3) | R] = resSet<Y, R, true>), ...);
}

template <int... Y>
void installRows(KiteDecodeTables& t, std::integer_sequence<int, Y...>) {
    (installRow<Y>(t, std::make_integer_sequence<int, 8>{}), ...);
}

}  // namespace

void installBitOps(KiteDecodeTables& t) { installRows(t, std::make_integer_sequence<int, 8>{}); }

}  // namespace vimo::kite
