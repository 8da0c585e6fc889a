// The ED family but the ports and the block instructions: ADC and SBC HL,
// the 16-bit loads through (nn), NEG, RETN, RETI, IM, the I and R loads,
// RLD and RRD, with their undocumented mirrors; every other ED opcode does
// nothing in 8 cycles. ADC, SBC, the 16-bit loads, NEG and LD I,A are
// shared (ed_ops.h).
#include "z80/ed_ops.h"
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

// RETN (14): IFF1 = IFF2, then the return.
void retn(KiteCore& k) {
    k.context.iff1 = k.context.iff2;
    k.pc = pop(k);
    charge(k, 14);
}

// RETI (14): the return, IFF1 = IFF2, then the RETI callback.
void reti(KiteCore& k) {
    k.pc = pop(k);
    k.context.iff1 = k.context.iff2;
    callRetiCallback(k);
    charge(k, 14);
}

template <int Mode>
void im(KiteCore& k) {
    k.context.im = Mode;
    charge(k, 8);
}

// LD R,A (9) sets both parts of R.
void ldRA(KiteCore& k) {
    k.context.rHigh = k.reg[kA];
    k.context.rCounter = k.reg[kA];
    charge(k, 9);
}

// LD A,I and LD A,R (9): S, Z, 5 and 3 from the value, H and N clear, P/V =
// IFF2, C kept.
void loadAWithFlags(KiteCore& k, uint8_t value) {
    k.reg[kA] = value;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kSzFlags[value] | bits35(value) | k.context.iff2);
    charge(k, 9);
}

void ldAI(KiteCore& k) { loadAWithFlags(k, k.context.i); }

void ldAR(KiteCore& k) {
    const KiteContext& c = k.context;
    loadAWithFlags(k, static_cast<uint8_t>((c.rHigh & 0x80u) | (c.rCounter & 0x7Fu)));
}

// RRD and RLD (18): the low nibble of A and the two nibbles of (HL) rotate
// right or left; S, Z, P/V, 5 and 3 from the new A, H and N clear, C kept.
template <bool Left>
void rotateDigit(KiteCore& k) {
    const uint16_t address = regHL(k);
    const uint8_t value = readByte(k, address);
    const uint8_t a = k.reg[kA];
    uint8_t memory;
    uint8_t result;
    if constexpr (Left) {
        memory = static_cast<uint8_t>((value << 4) | (a & 0x0F));
        result = static_cast<uint8_t>((a & 0xF0) | (value >> 4));
    } else {
        memory = static_cast<uint8_t>((a << 4) | (value >> 4));
        result = static_cast<uint8_t>((a & 0xF0) | (value & 0x0F));
    }
    writeByte(k, address, memory);
    k.reg[kA] = result;
    k.reg[kF] = static_cast<uint8_t>((k.reg[kF] & kFlagC) | kSzpFlags[result] | bits35(result));
    charge(k, 18);
}

// The ED opcodes with no instruction.
void edNop(KiteCore& k) { charge(k, 8); }

}  // namespace

void installEdMisc(KiteDecodeTables& t) {
    z80::installSharedEd<Cpu>(t);
    for (int op : {0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C}) {
        t.ed[op] = z80::neg<Cpu>;
    }
    for (int op : {0x45, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D}) {
        t.ed[op] = retn;
    }
    t.ed[0x4D] = reti;
    t.ed[0x46] = im<0>;
    t.ed[0x66] = im<0>;
    t.ed[0x56] = im<1>;
    t.ed[0x4E] = im<1>;
    t.ed[0x6E] = im<1>;
    t.ed[0x76] = im<1>;
    t.ed[0x5E] = im<2>;
    t.ed[0x7E] = im<2>;
    t.ed[0x4F] = ldRA;
    t.ed[0x57] = ldAI;
    t.ed[0x5F] = ldAR;
    t.ed[0x67] = rotateDigit<false>;
    t.ed[0x6F] = rotateDigit<true>;
    // Installed after the ports and the block instructions: what is left of
    // the table does nothing.
    for (KiteHandler& entry : t.ed) {
        if (entry == nullptr) {
            entry = edNop;
        }
    }
}

}  // namespace vimo::kite
