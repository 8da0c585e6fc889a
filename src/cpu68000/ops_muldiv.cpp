// MULU, MULS (16 x 16 -> 32) and DIVU, DIVS (32 / 16 -> 16r:16q).
#include "cpu68000/decode.h"

#include <bit>

namespace vimo {

using namespace m68k;

struct MulDivOps {
    // 38 + 2n: n is the number of ones in the source (MULU), or the number of
    // 01/10 pairs in the source with a 0 appended below bit 0 (MULS).
    template <bool Signed, Mode Src> static void mul(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<Size::Word, Src>(op & 7);
        uint32_t& dn = cpu.ctx.d[(op >> 9) & 7];
        uint32_t result;
        int n;
        if constexpr (Signed) {
            const int32_t product = static_cast<int32_t>(static_cast<int16_t>(source)) *
                                    static_cast<int32_t>(static_cast<int16_t>(dn & 0xFFFF));
            result = static_cast<uint32_t>(product);
            const uint32_t appended = source << 1;
            n = std::popcount((appended ^ (appended >> 1)) & 0xFFFF);
        } else {
            result = source * (dn & 0xFFFF);
            n = std::popcount(source);
        }
        dn = result;
        cpu.setLogicFlags<Size::Long>(result);
        cpu.cyclesLeft -= 38 + 2 * n + kEa<Size::Word, Src>;
    }

    // A zero divisor traps before the dividend is touched. A quotient that
    // does not fit sets V, clears N, Z and C and leaves the register alone.
    template <bool Signed, Mode Src> static void div(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<Size::Word, Src>(op & 7);
        if (source == 0) {
            cpu.flagC = 0;
            cpu.trapTo(5, 38 + kEa<Size::Word, Src>);
            return;
        }
        uint32_t& dn = cpu.ctx.d[(op >> 9) & 7];
        int64_t quotient, remainder;
        if constexpr (Signed) {
            const int64_t dividend = static_cast<int32_t>(dn);
            const int64_t divisor = static_cast<int16_t>(source);
            quotient = dividend / divisor;
            remainder = dividend % divisor;
        } else {
            quotient = dn / source;
            remainder = dn % source;
        }
        const bool fits = Signed ? (quotient >= -32768 && quotient <= 32767) : quotient <= 0xFFFF;
        if (!fits) {
            cpu.flagV = 1;
            cpu.flagN = 0;
            cpu.flagNotZ = 1;
            cpu.flagC = 0;
        } else {
            dn = (static_cast<uint32_t>(remainder & 0xFFFF) << 16) | static_cast<uint32_t>(quotient & 0xFFFF);
            cpu.setLogicFlags<Size::Word>(static_cast<uint32_t>(quotient));
        }
        cpu.cyclesLeft -= (Signed ? 150 : 133) + kEa<Size::Word, Src>;
    }
};

namespace m68k {

// DIVU 1000 rrr0 11, DIVS 1000 rrr1 11, MULU 1100 rrr0 11, MULS 1100 rrr1 11;
// data sources.
Decoded decodeMulDivFamily(uint16_t op) {
    const unsigned line = op >> 12;
    if ((line != 0x8 && line != 0xC) || ((op >> 6) & 3) != 3) return {};
    Mode m;
    if (!sourceMode(op, m) || !isData(m)) return {};
    const bool isSigned = (op & 0x0100) != 0;
    const bool isDivide = line == 0x8;
    const Handler h = forMode(m, [&]<Mode M>() -> Handler {
        if constexpr (!isData(M)) return nullptr;
        else if (isDivide) return isSigned ? &MulDivOps::div<true, M> : &MulDivOps::div<false, M>;
        else return isSigned ? &MulDivOps::mul<true, M> : &MulDivOps::mul<false, M>;
    });
    if (isDivide) return {h, isSigned ? "divs.w" : "divu.w"};
    return {h, isSigned ? "muls.w" : "mulu.w"};
}

}  // namespace m68k
}  // namespace vimo
