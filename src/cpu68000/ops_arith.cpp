// ADD, SUB and CMP with their address (A), immediate (I), quick (Q) and
// extended (X) forms, CMPM, NEG, NEGX, CLR, TST and EXT.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

enum class AddSub { Add, Sub };

template <Size S> constexpr int registerCost() { return S == Size::Long ? 8 : 4; }

// ADD/SUB to Dn and ADDA/SUBA.L: 6 + EA for a memory source, 8 + EA from
// Dn, An or an immediate.
template <Mode Src> constexpr int longToRegisterCost() {
    return (Src == Mode::Dn || Src == Mode::An || Src == Mode::Imm) ? 8 : 6;
}

// Read-modify-write to memory: 8 + EA, long 12 + EA.
template <Size S, Mode Dst> constexpr int memoryCost() { return (S == Size::Long ? 12 : 8) + kEa<S, Dst>; }

}  // namespace

struct ArithOps {
    template <AddSub Op, Size S>
    static uint32_t apply(Cpu68000& cpu, uint32_t source, uint32_t dest, uint32_t extend) {
        if constexpr (Op == AddSub::Add) return cpu.addWithFlags<S>(source, dest, extend);
        else return cpu.subWithFlags<S>(source, dest, extend);
    }

    // ADD/SUB <ea>,Dn
    template <AddSub Op, Size S, Mode Src> static void toRegister(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Src>(op & 7);
        const unsigned r = (op >> 9) & 7;
        cpu.writeD<S>(r, apply<Op, S>(cpu, source, cpu.ctx.d[r], 0));
        cpu.cyclesLeft -= (S == Size::Long ? longToRegisterCost<Src>() : 4) + kEa<S, Src>;
    }

    // ADD/SUB Dn,<ea>
    template <AddSub Op, Size S, Mode Dst> static void toMemory(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t dest = cpu.readEaModify<S, Dst>(op & 7, address);
        const uint32_t result = apply<Op, S>(cpu, cpu.ctx.d[(op >> 9) & 7], dest, 0);
        cpu.writeEaModify<S, Dst>(op & 7, address, result);
        cpu.cyclesLeft -= memoryCost<S, Dst>();
    }

    // ADDA/SUBA: word sources are sign-extended; no flags change.
    template <AddSub Op, Size S, Mode Src> static void toAddress(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = signExtend<S>(cpu.readEa<S, Src>(op & 7));
        uint32_t& an = cpu.ctx.a[(op >> 9) & 7];
        an = Op == AddSub::Add ? an + source : an - source;
        cpu.cyclesLeft -= (S == Size::Long ? longToRegisterCost<Src>() : 8) + kEa<S, Src>;
    }

    template <Size S, Mode Src> static void cmp(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Src>(op & 7);
        cpu.compareFlags<S>(source, cpu.ctx.d[(op >> 9) & 7]);
        cpu.cyclesLeft -= (S == Size::Long ? 6 : 4) + kEa<S, Src>;
    }

    template <Size S, Mode Src> static void cmpa(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = signExtend<S>(cpu.readEa<S, Src>(op & 7));
        cpu.compareFlags<Size::Long>(source, cpu.ctx.a[(op >> 9) & 7]);
        cpu.cyclesLeft -= 6 + kEa<S, Src>;
    }

    // ADDI/SUBI: the immediate comes first in the stream.
    template <AddSub Op, Size S, Mode Dst> static void immediate(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Mode::Imm>(0);
        uint32_t address;
        const uint32_t dest = cpu.readEaModify<S, Dst>(op & 7, address);
        cpu.writeEaModify<S, Dst>(op & 7, address, apply<Op, S>(cpu, source, dest, 0));
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= S == Size::Long ? 16 : 8;
        else cpu.cyclesLeft -= (S == Size::Long ? 20 : 12) + kEa<S, Dst>;
    }

    template <Size S, Mode Dst> static void cmpi(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Mode::Imm>(0);
        const uint32_t dest = cpu.readEa<S, Dst>(op & 7);
        cpu.compareFlags<S>(source, dest);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= S == Size::Long ? 14 : 8;
        else cpu.cyclesLeft -= (S == Size::Long ? 12 : 8) + kEa<S, Dst>;
    }

    // ADDQ/SUBQ: data 1-8 (0 means 8). To An the whole register changes and
    // no flags.
    template <AddSub Op, Size S, Mode Dst> static void quick(Cpu68000& cpu, uint16_t op) {
        const uint32_t field = (op >> 9) & 7;
        const uint32_t data = field == 0 ? 8 : field;
        if constexpr (Dst == Mode::An) {
            uint32_t& an = cpu.ctx.a[op & 7];
            an = Op == AddSub::Add ? an + data : an - data;
            cpu.cyclesLeft -= (Op == AddSub::Add && S == Size::Word) ? 4 : 8;
        } else {
            uint32_t address;
            const uint32_t dest = cpu.readEaModify<S, Dst>(op & 7, address);
            cpu.writeEaModify<S, Dst>(op & 7, address, apply<Op, S>(cpu, data, dest, 0));
            if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= registerCost<S>();
            else cpu.cyclesLeft -= memoryCost<S, Dst>();
        }
    }

    // The X forms: Z is cleared by a non-zero result and otherwise kept, so a
    // chain of them tests the whole multi-precision value.
    template <AddSub Op, Size S> static uint32_t extended(Cpu68000& cpu, uint32_t source, uint32_t dest) {
        const uint32_t notZ = cpu.flagNotZ;
        const uint32_t result = apply<Op, S>(cpu, source, dest, cpu.flagX);
        cpu.flagNotZ = notZ | result;
        return result;
    }

    // ADDX/SUBX Dy,Dx
    template <AddSub Op, Size S> static void extendRegister(Cpu68000& cpu, uint16_t op) {
        const unsigned rx = (op >> 9) & 7;
        cpu.writeD<S>(rx, extended<Op, S>(cpu, cpu.ctx.d[op & 7], cpu.ctx.d[rx]));
        cpu.cyclesLeft -= registerCost<S>();
    }

    // ADDX/SUBX -(Ay),-(Ax)
    template <AddSub Op, Size S> static void extendMemory(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readMem<S>(cpu.eaAddress<S, Mode::PreDec>(op & 7));
        const uint32_t address = cpu.eaAddress<S, Mode::PreDec>((op >> 9) & 7);
        const uint32_t dest = cpu.readMem<S>(address);
        cpu.writeMem<S>(address, extended<Op, S>(cpu, source, dest));
        cpu.cyclesLeft -= S == Size::Long ? 30 : 18;
    }

    // CMPM (Ay)+,(Ax)+
    template <Size S> static void cmpm(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readMem<S>(cpu.eaAddress<S, Mode::PostInc>(op & 7));
        const uint32_t dest = cpu.readMem<S>(cpu.eaAddress<S, Mode::PostInc>((op >> 9) & 7));
        cpu.compareFlags<S>(source, dest);
        cpu.cyclesLeft -= S == Size::Long ? 20 : 12;
    }

    // NEG and NEGX: 0 - operand (- X).
    template <bool WithExtend, Size S, Mode Dst> static void negate(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t value = cpu.readEaModify<S, Dst>(op & 7, address);
        const uint32_t result = WithExtend ? extended<AddSub::Sub, S>(cpu, value, 0)
                                           : apply<AddSub::Sub, S>(cpu, value, 0, 0);
        cpu.writeEaModify<S, Dst>(op & 7, address, result);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= S == Size::Long ? 6 : 4;
        else cpu.cyclesLeft -= memoryCost<S, Dst>();
    }

    // CLR only writes its operand.
    template <Size S, Mode Dst> static void clr(Cpu68000& cpu, uint16_t op) {
        cpu.writeEa<S, Dst>(op & 7, 0);
        cpu.setLogicFlags<S>(0);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= registerCost<S>();
        else cpu.cyclesLeft -= (S == Size::Long ? 12 : 6) + kEa<S, Dst>;
    }

    template <Size S, Mode Src> static void tst(Cpu68000& cpu, uint16_t op) {
        cpu.setLogicFlags<S>(cpu.readEa<S, Src>(op & 7));
        cpu.cyclesLeft -= 4 + kEa<S, Src>;
    }

    // EXT.W: byte to word; EXT.L: word to long.
    template <Size S> static void ext(Cpu68000& cpu, uint16_t op) {
        const unsigned r = op & 7;
        if constexpr (S == Size::Word) {
            const uint32_t value = signExtend8(cpu.ctx.d[r]);
            cpu.writeD<Size::Word>(r, value);
            cpu.setLogicFlags<Size::Word>(value);
        } else {
            cpu.ctx.d[r] = signExtend16(cpu.ctx.d[r]);
            cpu.setLogicFlags<Size::Long>(cpu.ctx.d[r]);
        }
        cpu.cyclesLeft -= 4;
    }
};

namespace m68k {

namespace {

template <AddSub Op> Decoded decodeAddSubLine(uint16_t op) {
    constexpr bool add = Op == AddSub::Add;
    const unsigned opmode = (op >> 6) & 7;
    const unsigned modeField = (op >> 3) & 7;
    Mode m;
    if (opmode == 3 || opmode == 7) {  // ADDA/SUBA
        if (!sourceMode(op, m)) return {};
        const Size size = opmode == 3 ? Size::Word : Size::Long;
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (S == Size::Byte) return nullptr;
                else return &ArithOps::toAddress<Op, S, M>;
            });
        });
        return {h, add ? (size == Size::Word ? "adda.w" : "adda.l") : (size == Size::Word ? "suba.w" : "suba.l")};
    }
    const Size size = static_cast<Size>(opmode & 3);
    if (opmode < 3) {  // <ea>,Dn
        if (!sourceMode(op, m) || (m == Mode::An && size == Size::Byte)) return {};
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler { return &ArithOps::toRegister<Op, S, M>; });
        });
        return {h, add ? SizedName{"add.b", "add.w", "add.l"}[size] : SizedName{"sub.b", "sub.w", "sub.l"}[size]};
    }
    if (modeField <= 1) {  // ADDX/SUBX
        const Handler h = forSize(size, [&]<Size S>() -> Handler {
            return modeField == 0 ? &ArithOps::extendRegister<Op, S> : &ArithOps::extendMemory<Op, S>;
        });
        return {h, add ? SizedName{"addx.b", "addx.w", "addx.l"}[size] : SizedName{"subx.b", "subx.w", "subx.l"}[size]};
    }
    if (!sourceMode(op, m) || !isMemoryAlterable(m)) return {};
    const Handler h = forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (isMemoryAlterable(M)) return &ArithOps::toMemory<Op, S, M>;
            else return nullptr;
        });
    });
    return {h, add ? SizedName{"add.b", "add.w", "add.l"}[size] : SizedName{"sub.b", "sub.w", "sub.l"}[size]};
}

Decoded decodeCompareLine(uint16_t op) {
    const unsigned opmode = (op >> 6) & 7;
    Mode m;
    if (opmode == 3 || opmode == 7) {
        if (!sourceMode(op, m)) return {};
        const Size size = opmode == 3 ? Size::Word : Size::Long;
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (S == Size::Byte) return nullptr;
                else return &ArithOps::cmpa<S, M>;
            });
        });
        return {h, size == Size::Word ? "cmpa.w" : "cmpa.l"};
    }
    const Size size = static_cast<Size>(opmode & 3);
    if (opmode < 3) {
        if (!sourceMode(op, m) || (m == Mode::An && size == Size::Byte)) return {};
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler { return &ArithOps::cmp<S, M>; });
        });
        return {h, SizedName{"cmp.b", "cmp.w", "cmp.l"}[size]};
    }
    if (((op >> 3) & 7) == 1) {
        const Handler h = forSize(size, [&]<Size S>() -> Handler { return &ArithOps::cmpm<S>; });
        return {h, SizedName{"cmpm.b", "cmpm.w", "cmpm.l"}[size]};
    }
    return {};  // EOR is a logic instruction
}

// ADDI, SUBI, CMPI: 0000 0op0 ss mmm rrr, data alterable destinations.
Decoded decodeImmediate(uint16_t op) {
    const unsigned kind = (op >> 9) & 7;
    Size size;
    Mode m;
    if (!sizeField((op >> 6) & 3, size) || !sourceMode(op, m) || !isDataAlterable(m)) return {};
    if (kind == 2 || kind == 3) {
        const bool add = kind == 3;
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (!isDataAlterable(M)) return nullptr;
                else if (add) return &ArithOps::immediate<AddSub::Add, S, M>;
                else return &ArithOps::immediate<AddSub::Sub, S, M>;
            });
        });
        return {h, add ? SizedName{"addi.b", "addi.w", "addi.l"}[size] : SizedName{"subi.b", "subi.w", "subi.l"}[size]};
    }
    if (kind == 6) {
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (isDataAlterable(M)) return &ArithOps::cmpi<S, M>;
                else return nullptr;
            });
        });
        return {h, SizedName{"cmpi.b", "cmpi.w", "cmpi.l"}[size]};
    }
    return {};
}

// ADDQ, SUBQ: 0101 ddd o ss mmm rrr (ss != 11), alterable destinations.
Decoded decodeQuick(uint16_t op) {
    Size size;
    Mode m;
    if (!sizeField((op >> 6) & 3, size) || !sourceMode(op, m) || !isAlterable(m)) return {};
    if (m == Mode::An && size == Size::Byte) return {};
    const bool add = (op & 0x0100) == 0;
    const Handler h = forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (!isAlterable(M) || (M == Mode::An && S == Size::Byte)) return nullptr;
            else if (add) return &ArithOps::quick<AddSub::Add, S, M>;
            else return &ArithOps::quick<AddSub::Sub, S, M>;
        });
    });
    return {h, add ? SizedName{"addq.b", "addq.w", "addq.l"}[size] : SizedName{"subq.b", "subq.w", "subq.l"}[size]};
}

// NEGX, CLR, NEG, TST (0100 xxx0 ss mmm rrr) and EXT.
Decoded decodeLine4(uint16_t op) {
    if ((op & 0xFFF8) == 0x4880) return {&ArithOps::ext<Size::Word>, "ext.w"};
    if ((op & 0xFFF8) == 0x48C0) return {&ArithOps::ext<Size::Long>, "ext.l"};
    Size size;
    Mode m;
    if (!sizeField((op >> 6) & 3, size) || !sourceMode(op, m) || !isDataAlterable(m)) return {};
    switch (op & 0xFF00) {
    case 0x4000:
    case 0x4400: {
        const bool withExtend = (op & 0xFF00) == 0x4000;
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (!isDataAlterable(M)) return nullptr;
                else if (withExtend) return &ArithOps::negate<true, S, M>;
                else return &ArithOps::negate<false, S, M>;
            });
        });
        return {h, withExtend ? SizedName{"negx.b", "negx.w", "negx.l"}[size] : SizedName{"neg.b", "neg.w", "neg.l"}[size]};
    }
    case 0x4200: {
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (isDataAlterable(M)) return &ArithOps::clr<S, M>;
                else return nullptr;
            });
        });
        return {h, SizedName{"clr.b", "clr.w", "clr.l"}[size]};
    }
    case 0x4A00: {
        const Handler h = forSize(size, [&]<Size S>() {
            return forMode(m, [&]<Mode M>() -> Handler {
                if constexpr (isDataAlterable(M)) return &ArithOps::tst<S, M>;
                else return nullptr;
            });
        });
        return {h, SizedName{"tst.b", "tst.w", "tst.l"}[size]};
    }
    default: return {};
    }
}

}  // namespace

Decoded decodeArithFamily(uint16_t op) {
    switch (op >> 12) {
    case 0x0: return (op & 0x0100) ? Decoded{} : decodeImmediate(op);
    case 0x4: return decodeLine4(op);
    case 0x5: return ((op >> 6) & 3) == 3 ? Decoded{} : decodeQuick(op);
    case 0x9: return decodeAddSubLine<AddSub::Sub>(op);
    case 0xB: return decodeCompareLine(op);
    case 0xD: return decodeAddSubLine<AddSub::Add>(op);
    default: return {};
    }
}

}  // namespace m68k
}  // namespace vimo
