// ABCD, SBCD and NBCD: packed decimal add and subtract with X. The binary
// result is corrected by 6 in each digit that carried or borrowed (for the
// low digit also when it exceeds 9 on an add); C and X are the decimal carry
// or borrow, Z is cleared by a non-zero result and otherwise kept, N is bit 7
// of the result, V is cleared.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

struct BcdOps {
    static uint32_t finish(Cpu68000& cpu, uint32_t result, bool carry) {
        result &= 0xFF;
        cpu.flagC = cpu.flagX = carry ? 1 : 0;
        cpu.flagV = 0;
        cpu.flagN = result << 24;
        cpu.flagNotZ |= result;
        return result;
    }

    static uint32_t add(Cpu68000& cpu, uint32_t source, uint32_t dest) {
        const uint32_t x = cpu.flagX;
        const uint32_t binary = dest + source + x;
        uint32_t correction = ((dest & 0xF) + (source & 0xF) + x > 9) ? 0x06 : 0;
        const bool carry = binary > 0x99;
        if (carry) correction |= 0x60;
        return finish(cpu, binary + correction, carry);
    }

    static uint32_t subtract(Cpu68000& cpu, uint32_t source, uint32_t dest) {
        const uint32_t x = cpu.flagX;
        const uint32_t binary = dest - source - x;
        uint32_t correction = ((dest & 0xF) < (source & 0xF) + x) ? 0x06 : 0;
        if (dest < source + x) correction |= 0x60;
        // The borrow is that of the corrected result: 0x10 - 0x0F - 1 borrows
        // through the low digit's correction alone.
        const bool borrow = dest < source + x + correction;
        return finish(cpu, binary - correction, borrow);
    }

    template <bool Add> static void onRegisters(Cpu68000& cpu, uint16_t op) {
        const unsigned rx = (op >> 9) & 7;
        const uint32_t source = cpu.ctx.d[op & 7] & 0xFF;
        const uint32_t dest = cpu.ctx.d[rx] & 0xFF;
        cpu.writeD<Size::Byte>(rx, Add ? add(cpu, source, dest) : subtract(cpu, source, dest));
        cpu.cyclesLeft -= 6;
    }

    // -(Ay),-(Ax)
    template <bool Add> static void onMemory(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readMem<Size::Byte>(cpu.eaAddress<Size::Byte, Mode::PreDec>(op & 7));
        const uint32_t address = cpu.eaAddress<Size::Byte, Mode::PreDec>((op >> 9) & 7);
        const uint32_t dest = cpu.readMem<Size::Byte>(address);
        cpu.writeMem<Size::Byte>(address, Add ? add(cpu, source, dest) : subtract(cpu, source, dest));
        cpu.cyclesLeft -= 18;
    }

    template <Mode Dst> static void nbcd(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t value = cpu.readEaModify<Size::Byte, Dst>(op & 7, address);
        cpu.writeEaModify<Size::Byte, Dst>(op & 7, address, subtract(cpu, value, 0));
        cpu.cyclesLeft -= Dst == Mode::Dn ? 6 : 8 + kEa<Size::Byte, Dst>;
    }
};

namespace m68k {

// ABCD 1100 xxx1 0000 m yyy, SBCD 1000 xxx1 0000 m yyy, NBCD 0100 1000 00 mmm rrr.
Decoded decodeBcdFamily(uint16_t op) {
    const unsigned line = op >> 12;
    if ((line == 0x8 || line == 0xC) && (op & 0x01F0) == 0x0100) {
        const bool add = line == 0xC;
        const bool memory = (op & 0x0008) != 0;
        if (add) return {memory ? &BcdOps::onMemory<true> : &BcdOps::onRegisters<true>, "abcd.b"};
        return {memory ? &BcdOps::onMemory<false> : &BcdOps::onRegisters<false>, "sbcd.b"};
    }
    if ((op & 0xFFC0) != 0x4800) return {};
    Mode m;
    if (!sourceMode(op, m) || !isDataAlterable(m)) return {};
    return {forMode(m, []<Mode M>() -> Handler {
                if constexpr (isDataAlterable(M)) return &BcdOps::nbcd<M>;
                else return nullptr;
            }),
            "nbcd.b"};
}

}  // namespace m68k
}  // namespace vimo
