// MOVEM (register lists to and from memory) and MOVEP (bytes at alternate
// addresses).
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

// Base costs; each register moved adds 4 (word) or 8 (long) as it moves.
constexpr int toMemoryCost(Mode m) {
    switch (m) {
    case Mode::Ind:
    case Mode::PreDec: return 8;
    case Mode::Disp:
    case Mode::AbsW: return 12;
    case Mode::Index: return 14;
    case Mode::AbsL: return 16;
    default: return 0;
    }
}

constexpr int toRegistersCost(Mode m) {
    switch (m) {
    case Mode::Ind:
    case Mode::PostInc: return 12;
    case Mode::Disp:
    case Mode::AbsW:
    case Mode::PcDisp: return 16;
    case Mode::Index:
    case Mode::PcIndex: return 18;
    case Mode::AbsL: return 20;
    default: return 0;
    }
}

}  // namespace

struct MovemOps {
    static constexpr int kPerRegister(Size s) { return s == Size::Long ? 8 : 4; }

    // Mask bit i names register i (D0-D7, A0-A7); for -(An) the mask is
    // reversed (bit 0 = A7) and the registers are stored from A7 down, an
    // address register in the list storing its value from before.
    template <Size S, Mode Dst> static void toMemory(Cpu68000& cpu, uint16_t op) {
        const unsigned mask = cpu.fetchExtension();
        constexpr uint32_t step = kBytes<S>;
        if constexpr (Dst == Mode::PreDec) {
            const unsigned r = op & 7;
            uint32_t address = cpu.ctx.a[r];
            for (unsigned i = 0; i < 16; ++i) {
                if ((mask & (1u << i)) == 0) continue;
                address -= step;
                cpu.writeMem<S>(address, cpu.reg(15 - i));
                cpu.cyclesLeft -= kPerRegister(S);
            }
            cpu.ctx.a[r] = address;
        } else {
            uint32_t address = cpu.eaAddress<S, Dst>(op & 7);
            for (unsigned i = 0; i < 16; ++i) {
                if ((mask & (1u << i)) == 0) continue;
                cpu.writeMem<S>(address, cpu.reg(i));
                address += step;
                cpu.cyclesLeft -= kPerRegister(S);
            }
        }
        cpu.cyclesLeft -= toMemoryCost(Dst);
    }

    // One read per register; words are sign-extended into the whole
    // register. For (An)+ the address register ends with the final address.
    template <Size S, Mode Src> static void toRegisters(Cpu68000& cpu, uint16_t op) {
        const unsigned mask = cpu.fetchExtension();
        constexpr uint32_t step = kBytes<S>;
        const unsigned r = op & 7;
        uint32_t address = Src == Mode::PostInc ? cpu.ctx.a[r] : cpu.eaAddress<S, Src>(r);
        for (unsigned i = 0; i < 16; ++i) {
            if ((mask & (1u << i)) == 0) continue;
            cpu.reg(i) = signExtend<S>(cpu.readMem<S>(address));
            address += step;
            cpu.cyclesLeft -= kPerRegister(S);
        }
        if constexpr (Src == Mode::PostInc) cpu.ctx.a[r] = address;
        cpu.cyclesLeft -= toRegistersCost(Src);
    }

    // MOVEP: the bytes at d16(Ay), +2, +4, +6 through the byte lists, high
    // byte first.
    template <Size S, bool ToMemory> static void movep(Cpu68000& cpu, uint16_t op) {
        const uint32_t address = cpu.ctx.a[op & 7] + signExtend16(cpu.fetchExtension());
        const unsigned r = (op >> 9) & 7;
        constexpr unsigned count = kBytes<S>;
        if constexpr (ToMemory) {
            const uint32_t value = cpu.ctx.d[r];
            for (unsigned i = 0; i < count; ++i)
                cpu.busWriteByte(address + 2 * i, static_cast<uint8_t>(value >> (8 * (count - 1 - i))));
        } else {
            uint32_t value = 0;
            for (unsigned i = 0; i < count; ++i) value = (value << 8) | cpu.busReadByte(address + 2 * i);
            cpu.writeD<S>(r, value);
        }
        cpu.cyclesLeft -= S == Size::Long ? 24 : 16;
    }
};

namespace m68k {

// MOVEM 0100 1d00 1s mmm rrr; MOVEP 0000 rrr1 ms 001 rrr.
Decoded decodeMovemFamily(uint16_t op) {
    if ((op >> 12) == 0 && (op & 0x0138) == 0x0108) {
        const Size size = (op & 0x0040) ? Size::Long : Size::Word;
        const bool toMemory = (op & 0x0080) != 0;
        const Handler h = forSize(size, [&]<Size S>() -> Handler {
            if constexpr (S == Size::Byte) return nullptr;
            else return toMemory ? &MovemOps::movep<S, true> : &MovemOps::movep<S, false>;
        });
        return {h, size == Size::Word ? "movep.w" : "movep.l"};
    }
    if ((op & 0xFB80) != 0x4880) return {};
    const Size size = (op & 0x0040) ? Size::Long : Size::Word;
    const bool toRegisters = (op & 0x0400) != 0;
    Mode m;
    if (!sourceMode(op, m)) return {};
    if (toRegisters ? !(isControl(m) || m == Mode::PostInc) : !(isControl(m) && isAlterable(m)) && m != Mode::PreDec)
        return {};
    const Handler h = forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (S == Size::Byte) return nullptr;
            else if (toRegisters) {
                if constexpr (isControl(M) || M == Mode::PostInc) return &MovemOps::toRegisters<S, M>;
                else return nullptr;
            } else {
                if constexpr ((isControl(M) && isAlterable(M)) || M == Mode::PreDec) return &MovemOps::toMemory<S, M>;
                else return nullptr;
            }
        });
    });
    return {h, size == Size::Word ? "movem.w" : "movem.l"};
}

}  // namespace m68k
}  // namespace vimo
