// Port instructions: IN A,(n) and OUT (n),A (11, port A x 256 + n), IN r,(C),
// IN F,(C), OUT (C),r and OUT (C),0 (12, port BC), and INI, IND, OUTI, OUTD
// (16, port BC with B as it was before the instruction) with their repeats.
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

void inAImmediate(KiteCore& k) {
    const uint8_t n = fetchByte(k);
    k.reg[kA] = inPort(k, static_cast<uint16_t>((k.reg[kA] << 8) | n));
    charge(k, 11);
}

void outImmediateA(KiteCore& k) {
    const uint8_t n = fetchByte(k);
    outPort(k, static_cast<uint16_t>((k.reg[kA] << 8) | n), k.reg[kA]);
    charge(k, 11);
}

// IN r,(C): S, Z, P/V, 5 and 3 from the value, H and N clear, C kept. The
// (HL) slot is IN F,(C): the flags alone.
template <int R>
void inRegister(KiteCore& k) {
    const uint8_t value = inPort(k, regBC(k));
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kSzpFlags[value] | bits35(value));
    if constexpr (R != kMemoryOperand) {
        k.reg[R] = value;
    }
    charge(k, 12);
}

// OUT (C),r; the (HL) slot is OUT (C),0.
template <int R>
void outRegister(KiteCore& k) {
    outPort(k, regBC(k), R == kMemoryOperand ? 0 : k.reg[R]);
    charge(k, 12);
}

// One step of INI / IND / OUTI / OUTD: S, Z, P/V (parity), 5 and 3 from B
// after its decrement; H and C when the byte plus k exceeds 0xFF, k being
// C + 1 (INI, OUTI, OUTD) or C - 1 (IND); N is bit 7 of the byte. True while
// B is not 0.
template <bool Input, int Step>
bool blockIoStep(KiteCore& k) {
    const uint16_t port = regBC(k);
    uint8_t value;
    if constexpr (Input) {
        value = inPort(k, port);
        writeByte(k, regHL(k), value);
    } else {
        value = readByte(k, regHL(k));
        outPort(k, port, value);
    }
    const auto b = static_cast<uint8_t>(k.reg[kB] - 1);
    k.reg[kB] = b;
    setHL(k, static_cast<uint16_t>(regHL(k) + Step));
    const auto added = static_cast<uint8_t>(Input && Step < 0 ? k.reg[kC] - 1 : k.reg[kC] + 1);
    const bool carry = value + added > 0xFF;
    k.reg[kF] = static_cast<uint8_t>(kSzpFlags[b] | bits35(b) | (carry ? (kFlagH | kFlagC) : 0) |
                                     ((value & 0x80) != 0 ? kFlagN : 0));
    return b != 0;
}

template <bool Input, int Step>
void blockIo(KiteCore& k) {
    blockIoStep<Input, Step>(k);
    charge(k, 16);
}

// The repeats: 21 for each iteration after which B is not 0, 16 for the
// last. When the count runs out first, PC goes back to the instruction with
// P/V clear. OTIR and OTDR count R once per further iteration, INIR and INDR
// not at all.
template <bool Input, int Step>
void blockIoRepeat(KiteCore& k) {
    while (blockIoStep<Input, Step>(k)) {
        charge(k, 21);
        if (k.cyclesLeft <= 0) {
            k.pc = static_cast<uint16_t>(k.pc - 2);
            k.reg[kF] = static_cast<uint8_t>(k.reg[kF] & ~kFlagPV);
            return;
        }
        if constexpr (!Input) {
            ++k.context.rCounter;
        }
    }
    charge(k, 16);
}

template <int... R>
void installRegisterPorts(KiteDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.ed[0x40 | (R << 3)] = inRegister<R>), ...);
    ((t.ed[0x41 | (R << 3)] = outRegister<R>), ...);
}

}  // namespace

void installPorts(KiteDecodeTables& t) {
    t.main[0xDB] = inAImmediate;
    t.main[0xD3] = outImmediateA;
    installRegisterPorts(t, std::make_integer_sequence<int, 8>{});
    t.ed[0xA2] = blockIo<true, 1>;
    t.ed[0xAA] = blockIo<true, -1>;
    t.ed[0xA3] = blockIo<false, 1>;
    t.ed[0xAB] = blockIo<false, -1>;
    t.ed[0xB2] = blockIoRepeat<true, 1>;
    t.ed[0xBA] = blockIoRepeat<true, -1>;
    t.ed[0xB3] = blockIoRepeat<false, 1>;
    t.ed[0xBB] = blockIoRepeat<false, -1>;
}

}  // namespace vimo::kite
