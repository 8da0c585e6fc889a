// The table shared by DD CB and FD CB, indexed by the fourth byte, each
// handler given IX + d or IY + d: rotates and shifts (SLL included), RES and
// SET on the byte there (23), the result also copied to register r when the
// low three bits name one; BIT (20) with any low three bits, bits 3 and 5
// taken from the high byte of the address.
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

template <int Z>
void copyToRegister(KiteCore& k, uint8_t value) {
    if constexpr (Z != kMemoryOperand) {
        k.reg[Z] = value;
    }
}

template <int Y, int Z>
void shiftIndexed(KiteCore& k, uint16_t address) {
    const uint8_t result = shift<shiftOpOf(Y)>(k, readByte(k, address));
    writeByte(k, address, result);
    copyToRegister<Z>(k, result);
    charge(k, 23);
}

template <int Y>
void bitIndexed(KiteCore& k, uint16_t address) {
    bitTest(k, Y, readByte(k, address), static_cast<uint8_t>(address >> 8));
    charge(k, 20);
}

template <int Y, int Z, bool Set>
void resSetIndexed(KiteCore& k, uint16_t address) {
    constexpr auto kMask = static_cast<uint8_t>(1u << Y);
    const uint8_t value = readByte(k, address);
    const auto result = static_cast<uint8_t>(Set ? (value | kMask) : (value & ~kMask));
    writeByte(k, address, result);
    copyToRegister<Z>(k, result);
    charge(k, 23);
}

template <int Y, int... Z>
void installRow(KiteDecodeTables& t, std::integer_sequence<int, Z...>) {
    ((t.indexCb[0x00 | (Y << 3) | Z] = shiftIndexed<Y, Z>), ...);
    ((t.indexCb[0x40 | (Y << 3) | Z] = bitIndexed<Y>), ...);
    ((t.indexCb[0x80 | (Y << 3) | Z] = resSetIndexed<Y, Z, false>), ...);
    ((t.indexCb[0xC0 | (Y << 3) | Z] = resSetIndexed<Y, Z, true>), ...);
}

template <int... Y>
void installRows(KiteDecodeTables& t, std::integer_sequence<int, Y...>) {
    (installRow<Y>(t, std::make_integer_sequence<int, 8>{}), ...);
}

}  // namespace

void installIndexBitOps(KiteDecodeTables& t) { installRows(t, std::make_integer_sequence<int, 8>{}); }

}  // namespace vimo::kite
