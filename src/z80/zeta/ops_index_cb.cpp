// The table shared by DD CB and FD CB: the rotates and shifts but SLL, BIT,
// RES and SET on (IX+d) or (IY+d), whose address the DD CB / FD CB entry has
// left in ZetaCore::indexAddress. Operation bytes whose low three bits are not
// 6, and SLL, are invalid.
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

// The result is written back; flags as the CB rotates and shifts (23).
template <int Y>
void shiftIndexed(ZetaCore& z) {
    const uint16_t address = z.indexAddress;
    writeByte(z, address, shift<shiftOpOf(Y)>(z, readByte(z, address)));
    charge(z, 23);
}

template <int Y>
void bitIndexed(ZetaCore& z) {
    bitTest(z, Y, readByte(z, z.indexAddress));
    charge(z, 20);
}

template <int Y, bool Set>
void resSetIndexed(ZetaCore& z) {
    constexpr auto kMask = static_cast<uint8_t>(1u << Y);
    const uint16_t address = z.indexAddress;
    const uint8_t value = readByte(z, address);
    writeByte(z, address, static_cast<uint8_t>(Set ? (value | kMask) : (value & ~kMask)));
    charge(z, 23);
}

template <int... Y>
void installRows(ZetaDecodeTables& t, std::integer_sequence<int, Y...>) {
    ((t.indexCb[0x46 | (Y << 3)] = bitIndexed<Y>), ...);
    ((t.indexCb[0x86 | (Y << 3)] = resSetIndexed<Y, false>), ...);
    ((t.indexCb[0xC6 | (Y << 3)] = resSetIndexed<Y, true>), ...);
}

template <int... Y>
void installShifts(ZetaDecodeTables& t, std::integer_sequence<int, Y...>) {
    ((t.indexCb[0x06 | (Y << 3)] = shiftIndexed<Y>), ...);
}

}  // namespace

void installIndexBitOps(ZetaDecodeTables& t) {
    installRows(t, std::make_integer_sequence<int, 8>{});
    // RLC RRC RL RR SLA SRA and SRL; SLL (y = 6, byte 0x36) stays invalid.
    installShifts(t, std::integer_sequence<int, 0, 1, 2, 3, 4, 5, 7>{});
}

}  // namespace vimo::zeta
