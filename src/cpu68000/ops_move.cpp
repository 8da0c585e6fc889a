// MOVE, MOVEA, MOVEQ and the moves to and from SR, CCR and USP.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

// MOVE's destination time: the write's share of the cost.
constexpr int moveDestinationCycles(Size s, Mode m) {
    const bool isLong = s == Size::Long;
    switch (m) {
    case Mode::Ind:
    case Mode::PostInc:
    case Mode::PreDec: return isLong ? 8 : 4;
    case Mode::Disp:
    case Mode::AbsW: return isLong ? 12 : 8;
    case Mode::Index: return isLong ? 14 : 10;
    case Mode::AbsL: return isLong ? 16 : 12;
    default: return 0;
    }
}

}  // namespace

struct MoveOps {
    template <Size S, Mode Src, Mode Dst> static void move(Cpu68000& cpu, uint16_t op) {
        const uint32_t value = cpu.readEa<S, Src>(op & 7);
        cpu.writeEa<S, Dst>((op >> 9) & 7, value);
        cpu.setLogicFlags<S>(value);
        cpu.cyclesLeft -= 4 + kEa<S, Src> + moveDestinationCycles(S, Dst);
    }

    template <Size S, Mode Src> static void movea(Cpu68000& cpu, uint16_t op) {
        const uint32_t value = cpu.readEa<S, Src>(op & 7);
        cpu.ctx.a[(op >> 9) & 7] = signExtend<S>(value);
        cpu.cyclesLeft -= 4 + kEa<S, Src>;
    }

    static void moveq(Cpu68000& cpu, uint16_t op) {
        const uint32_t value = signExtend8(op);
        cpu.ctx.d[(op >> 9) & 7] = value;
        cpu.setLogicFlags<Size::Long>(value);
        cpu.cyclesLeft -= 4;
    }

    // Not privileged on this CPU; the destination is only written.
    template <Mode Dst> static void moveFromSr(Cpu68000& cpu, uint16_t op) {
        cpu.writeEa<Size::Word, Dst>(op & 7, cpu.statusRegister());
        cpu.cyclesLeft -= Dst == Mode::Dn ? 6 : 8 + kEa<Size::Word, Dst>;
    }

    template <Mode Src> static void moveToCcr(Cpu68000& cpu, uint16_t op) {
        const uint32_t value = cpu.readEa<Size::Word, Src>(op & 7);
        cpu.unpackCcr(static_cast<uint16_t>(value));
        cpu.cyclesLeft -= 12 + kEa<Size::Word, Src>;
    }

    template <Mode Src> static void moveToSr(Cpu68000& cpu, uint16_t op) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        const uint32_t value = cpu.readEa<Size::Word, Src>(op & 7);
        cpu.writeStatusRegister(static_cast<uint16_t>(value));
        cpu.cyclesLeft -= 12 + kEa<Size::Word, Src>;
        cpu.afterStatusWrite();
    }

    // MOVE An,USP (bit 3 clear) and MOVE USP,An; USP is the other stack
    // pointer while S is set.
    static void moveUsp(Cpu68000& cpu, uint16_t op) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        if (op & 8)
            cpu.ctx.a[op & 7] = cpu.ctx.otherSp;
        else
            cpu.ctx.otherSp = cpu.ctx.a[op & 7];
        cpu.cyclesLeft -= 4;
    }
};

namespace m68k {

namespace {

Decoded decodeMove(uint16_t op) {
    const unsigned line = op >> 12;
    const Size size = line == 1 ? Size::Byte : line == 3 ? Size::Word : Size::Long;
    Mode src, dst;
    if (!sourceMode(op, src) || !modeOf((op >> 6) & 7, (op >> 9) & 7, dst)) return {};
    if (dst == Mode::An) {
        if (size == Size::Byte) return {};
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(src, [&]<Mode M>() -> Handler {
                if constexpr (S == Size::Byte) return nullptr;
                else return &MoveOps::movea<S, M>;
            });
        });
        return {h, size == Size::Word ? "movea.w" : "movea.l"};
    }
    if (!isDataAlterable(dst)) return {};
    // MOVE.B from an address register is executed: the low byte of An moves.
    const Handler h = forSize(size, [&]<Size S>() {
        return forMode(src, [&]<Mode Src>() {
            return forMode(dst, [&]<Mode Dst>() -> Handler {
                if constexpr (isDataAlterable(Dst)) return &MoveOps::move<S, Src, Dst>;
                else return nullptr;
            });
        });
    });
    return {h, SizedName{"move.b", "move.w", "move.l"}[size]};
}

}  // namespace

Decoded decodeMoveFamily(uint16_t op) {
    const unsigned line = op >> 12;
    if (line >= 1 && line <= 3) return decodeMove(op);
    if (line == 7) {
        if (op & 0x0100) return {};
        return {&MoveOps::moveq, "moveq.l"};
    }
    if ((op & 0xFFF0) == 0x4E60) return {&MoveOps::moveUsp, "move_usp"};
    Mode m;
    if (!sourceMode(op, m)) return {};
    switch (op & 0xFFC0) {
    case 0x40C0:
        if (!isDataAlterable(m)) return {};
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isDataAlterable(M)) return &MoveOps::moveFromSr<M>;
                    else return nullptr;
                }),
                "move_from_sr"};
    case 0x44C0:
        if (!isData(m)) return {};
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isData(M)) return &MoveOps::moveToCcr<M>;
                    else return nullptr;
                }),
                "move_to_ccr"};
    case 0x46C0:
        if (!isData(m)) return {};
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isData(M)) return &MoveOps::moveToSr<M>;
                    else return nullptr;
                }),
                "move_to_sr"};
    default: return {};
    }
}

}  // namespace m68k
}  // namespace vimo
