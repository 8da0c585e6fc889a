// BTST, BCHG, BCLR and BSET with the bit number in a data register or in an
// immediate word. On a data register the operand is the long (bit number
// modulo 32), in memory the byte (modulo 8).
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

enum class BitOp { Test, Change, Clear, Set };

// Register form costs: dynamic 6, 8, 10, 8; immediate 10, 12, 14, 12.
// Memory form: dynamic 4, 8, 8, 8 + EA; immediate 8, 12, 12, 12 + EA.
template <BitOp Op, bool Immediate, Mode Dst> constexpr int bitCost() {
    const int extra = Immediate ? 4 : 0;
    if constexpr (Dst == Mode::Dn) {
        constexpr int base[] = {6, 8, 10, 8};
        return base[static_cast<int>(Op)] + extra;
    } else {
        constexpr int base[] = {4, 8, 8, 8};
        return base[static_cast<int>(Op)] + extra + kEa<Size::Byte, Dst>;
    }
}

template <BitOp Op> constexpr uint32_t modify(uint32_t value, uint32_t mask) {
    if constexpr (Op == BitOp::Change) return value ^ mask;
    else if constexpr (Op == BitOp::Clear) return value & ~mask;
    else return value | mask;
}

}  // namespace

struct BitOps {
    template <BitOp Op, bool Immediate, Mode Dst> static void bit(Cpu68000& cpu, uint16_t op) {
        const uint32_t number = Immediate ? cpu.fetchExtension() : cpu.ctx.d[(op >> 9) & 7];
        if constexpr (Dst == Mode::Dn) {
            uint32_t& dn = cpu.ctx.d[op & 7];
            const uint32_t mask = 1u << (number & 31);
            cpu.flagNotZ = dn & mask;
            if constexpr (Op != BitOp::Test) dn = modify<Op>(dn, mask);
        } else {
            const uint32_t mask = 1u << (number & 7);
            if constexpr (Op == BitOp::Test) {
                cpu.flagNotZ = cpu.readEa<Size::Byte, Dst>(op & 7) & mask;
            } else {
                uint32_t address;
                const uint32_t value = cpu.readEaModify<Size::Byte, Dst>(op & 7, address);
                cpu.flagNotZ = value & mask;
                cpu.writeEaModify<Size::Byte, Dst>(op & 7, address, modify<Op>(value, mask));
            }
        }
        cpu.cyclesLeft -= bitCost<Op, Immediate, Dst>();
    }
};

namespace m68k {

namespace {

constexpr const char* kBitNames[4][2] = {
    {"btst.b", "btst.l"}, {"bchg.b", "bchg.l"}, {"bclr.b", "bclr.l"}, {"bset.b", "bset.l"}};

}  // namespace

// 0000 rrr1 tt mmm rrr (bit number in Dn) and 0000 1000 tt mmm rrr (immediate).
// BTST reads any data operand, the immediate included (also with an
// immediate bit number); the others need a data alterable one.
Decoded decodeBitFamily(uint16_t op) {
    if ((op >> 12) != 0) return {};
    const bool dynamic = (op & 0x0100) != 0;
    if (!dynamic && (op & 0xFF00) != 0x0800) return {};
    if (dynamic && ((op >> 3) & 7) == 1) return {};  // MOVEP
    const auto type = static_cast<BitOp>((op >> 6) & 3);
    Mode m;
    if (!sourceMode(op, m)) return {};
    if (type == BitOp::Test ? !isData(m) : !isDataAlterable(m)) return {};
    const Handler h = forMode(m, [&]<Mode M>() -> Handler {
        if constexpr (!isData(M)) {
            return nullptr;
        } else {
            switch (type) {
            case BitOp::Test: return dynamic ? &BitOps::bit<BitOp::Test, false, M> : &BitOps::bit<BitOp::Test, true, M>;
            case BitOp::Change:
                if constexpr (!isDataAlterable(M)) return nullptr;
                else return dynamic ? &BitOps::bit<BitOp::Change, false, M> : &BitOps::bit<BitOp::Change, true, M>;
            case BitOp::Clear:
                if constexpr (!isDataAlterable(M)) return nullptr;
                else return dynamic ? &BitOps::bit<BitOp::Clear, false, M> : &BitOps::bit<BitOp::Clear, true, M>;
            case BitOp::Set:
                if constexpr (!isDataAlterable(M)) return nullptr;
                else return dynamic ? &BitOps::bit<BitOp::Set, false, M> : &BitOps::bit<BitOp::Set, true, M>;
            }
            return nullptr;
        }
    });
    return {h, kBitNames[static_cast<int>(type)][m == Mode::Dn ? 1 : 0]};
}

}  // namespace m68k
}  // namespace vimo
