// Port instructions: IN A,(n) and OUT (n),A (11, port n), IN r,(C) and
// OUT (C),r (12, port C), and INI, IND, OUTI, OUTD (16) with their repeats
// (21 per repetition, 16 for the last). The port is the 8-bit number alone.
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

void inAImmediate(ZetaCore& z) {
    const uint8_t port = fetchByte(z);
    z.reg[kA] = inPort(z, port);
    charge(z, 11);
}

void outImmediateA(ZetaCore& z) {
    const uint8_t port = fetchByte(z);
    outPort(z, port, z.reg[kA]);
    charge(z, 11);
}

// IN r,(C): S, Z and P/V from the value, H and N clear, C and bits 3 and 5
// kept.
template <int R>
void inRegister(ZetaCore& z) {
    const uint8_t value = inPort(z, z.reg[kC]);
    z.reg[R] = value;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & (kFlagC | kFlag3 | kFlag5)) | kSzpFlags[value]);
    charge(z, 12);
}

template <int R>
void outRegister(ZetaCore& z) {
    outPort(z, z.reg[kC], z.reg[R]);
    charge(z, 12);
}

// One step of INI / IND / OUTI / OUTD: Z set when B reaches 0, N set, the
// other flags kept. Returns true while B is not 0.
template <bool Input, int Step>
bool blockIoStep(ZetaCore& z) {
    const uint16_t hl = regHL(z);
    if constexpr (Input) {
        const uint8_t value = inPort(z, z.reg[kC]);
        writeByte(z, hl, value);
        z.reg[kB] = static_cast<uint8_t>(z.reg[kB] - 1);
    } else {
        const uint8_t value = readByte(z, hl);
        z.reg[kB] = static_cast<uint8_t>(z.reg[kB] - 1);
        outPort(z, z.reg[kC], value);
    }
    setPair(z, kH, kL, static_cast<uint16_t>(regHL(z) + Step));
    const bool more = z.reg[kB] != 0;
    z.reg[kF] = static_cast<uint8_t>((z.reg[kF] & ~kFlagZ) | kFlagN | (more ? 0 : kFlagZ));
    return more;
}

template <bool Input, int Step>
void blockIo(ZetaCore& z) {
    blockIoStep<Input, Step>(z);
    charge(z, 16);
}

// The repeats loop here: while B is not 0 each repetition charges 21 and, if
// the count allows, goes on; when the count runs out first, PC goes back to
// the instruction so the next run starts it again.
template <bool Input, int Step>
void blockIoRepeat(ZetaCore& z) {
    while (blockIoStep<Input, Step>(z)) {
        charge(z, 21);
        if (z.cyclesLeft < 0) {
            z.pc = static_cast<uint16_t>(z.pc - 2);
            return;
        }
    }
    charge(z, 16);
}

template <int... R>
void installRegisterPorts(ZetaDecodeTables& t, std::integer_sequence<int, R...>) {
    ((t.ed[0x40 | (R << 3)] = inRegister<R>), ...);
    ((t.ed[0x41 | (R << 3)] = outRegister<R>), ...);
}

}  // namespace

void installPorts(ZetaDecodeTables& t) {
    t.main[0xDB] = inAImmediate;
    t.main[0xD3] = outImmediateA;
    // B C D E H L and A: 0x70 / 0x71 (the (HL) slot) are not implemented.
    installRegisterPorts(t, std::integer_sequence<int, kB, kC, kD, kE, kH, kL, kA>{});
    t.ed[0xA2] = blockIo<true, 1>;
    t.ed[0xAA] = blockIo<true, -1>;
    t.ed[0xA3] = blockIo<false, 1>;
    t.ed[0xAB] = blockIo<false, -1>;
    t.ed[0xB2] = blockIoRepeat<true, 1>;
    t.ed[0xBA] = blockIoRepeat<true, -1>;
    t.ed[0xB3] = blockIoRepeat<false, 1>;
    t.ed[0xBB] = blockIoRepeat<false, -1>;
}

}  // namespace vimo::zeta
