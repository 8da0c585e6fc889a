// Bcc, BRA, BSR, DBcc, Scc and the jumps: JMP, JSR, RTS, RTR. Relative
// branches move the PC within the fetch window (the next fetch re-maps if it
// leaves the block); jumps and returns look the PC up when it leaves the
// window.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

// JMP and JSR by control mode: (An), d16(An), d8(An,Xn), abs.W, abs.L, d16(PC), d8(PC,Xn).
constexpr int jumpCost(Mode m, bool subroutine) {
    switch (m) {
    case Mode::Ind: return subroutine ? 16 : 8;
    case Mode::Disp:
    case Mode::AbsW:
    case Mode::PcDisp: return subroutine ? 18 : 10;
    case Mode::Index:
    case Mode::PcIndex: return subroutine ? 22 : 14;
    case Mode::AbsL: return subroutine ? 20 : 12;
    default: return 0;
    }
}

}  // namespace

struct BranchOps {
    static void push(Cpu68000& cpu, uint32_t value) {
        cpu.ctx.a[7] -= 4;
        cpu.busWriteLong(cpu.ctx.a[7], value);
    }

    static uint32_t pop(Cpu68000& cpu) {
        const uint32_t value = cpu.busReadLong(cpu.ctx.a[7]);
        cpu.ctx.a[7] += 4;
        return value;
    }

    // 8-bit displacement in the opcode's low byte (0x01-0xFF), relative to the
    // word after the opcode.
    template <unsigned Cond> static void branchShort(Cpu68000& cpu, uint16_t op) {
        if (cpu.condition<Cond>()) {
            cpu.pc += signExtend8(op);
            cpu.cyclesLeft -= 10;
        } else {
            cpu.cyclesLeft -= 8;
        }
    }

    // 16-bit displacement in the extension word, relative to that word.
    template <unsigned Cond> static void branchWord(Cpu68000& cpu, uint16_t) {
        const uint32_t base = cpu.pc;
        const uint32_t displacement = signExtend16(cpu.fetchExtension());
        if (cpu.condition<Cond>()) {
            cpu.pc = base + displacement;
            cpu.cyclesLeft -= 10;
        } else {
            cpu.cyclesLeft -= 12;
        }
    }

    static void bsrShort(Cpu68000& cpu, uint16_t op) {
        push(cpu, cpu.pc);
        cpu.pc += signExtend8(op);
        cpu.cyclesLeft -= 18;
    }

    static void bsrWord(Cpu68000& cpu, uint16_t) {
        const uint32_t base = cpu.pc;
        const uint32_t displacement = signExtend16(cpu.fetchExtension());
        push(cpu, cpu.pc);
        cpu.pc = base + displacement;
        cpu.cyclesLeft -= 18;
    }

    // A true condition skips the displacement word and leaves the counter;
    // otherwise the low word counts down and branches unless it reached -1.
    template <unsigned Cond> static void dbcc(Cpu68000& cpu, uint16_t op) {
        const uint32_t base = cpu.pc;
        const uint32_t displacement = signExtend16(cpu.fetchExtension());
        if (cpu.condition<Cond>()) {
            cpu.cyclesLeft -= 12;
            return;
        }
        const unsigned r = op & 7;
        const uint32_t counter = (cpu.ctx.d[r] - 1) & 0xFFFF;
        cpu.writeD<Size::Word>(r, counter);
        if (counter != 0xFFFF) {
            cpu.pc = base + displacement;
            cpu.cyclesLeft -= 10;
        } else {
            cpu.cyclesLeft -= 14;
        }
    }

    // Scc only writes its operand.
    template <unsigned Cond, Mode Dst> static void scc(Cpu68000& cpu, uint16_t op) {
        const bool set = cpu.condition<Cond>();
        cpu.writeEa<Size::Byte, Dst>(op & 7, set ? 0xFF : 0x00);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= set ? 6 : 4;
        else cpu.cyclesLeft -= 8 + kEa<Size::Byte, Dst>;
    }

    template <Mode M> static void jmp(Cpu68000& cpu, uint16_t op) {
        cpu.jumpTo(cpu.eaAddress<Size::Long, M>(op & 7));
        cpu.cyclesLeft -= jumpCost(M, false);
    }

    template <Mode M> static void jsr(Cpu68000& cpu, uint16_t op) {
        const uint32_t target = cpu.eaAddress<Size::Long, M>(op & 7);
        push(cpu, cpu.pc);
        cpu.jumpTo(target);
        cpu.cyclesLeft -= jumpCost(M, true);
    }

    static void rts(Cpu68000& cpu, uint16_t) {
        cpu.jumpTo(pop(cpu));
        cpu.cyclesLeft -= 16;
    }

    static void rtr(Cpu68000& cpu, uint16_t) {
        cpu.unpackCcr(cpu.busReadWord(cpu.ctx.a[7]));
        cpu.ctx.a[7] += 2;
        cpu.jumpTo(pop(cpu));
        cpu.cyclesLeft -= 20;
    }
};

namespace m68k {

namespace {

constexpr const char* kBranchNames[16][2] = {
    {"bra.b", "bra.w"}, {"bsr.b", "bsr.w"}, {"bhi.b", "bhi.w"}, {"bls.b", "bls.w"},
    {"bcc.b", "bcc.w"}, {"bcs.b", "bcs.w"}, {"bne.b", "bne.w"}, {"beq.b", "beq.w"},
    {"bvc.b", "bvc.w"}, {"bvs.b", "bvs.w"}, {"bpl.b", "bpl.w"}, {"bmi.b", "bmi.w"},
    {"bge.b", "bge.w"}, {"blt.b", "blt.w"}, {"bgt.b", "bgt.w"}, {"ble.b", "ble.w"}};

constexpr const char* kSetNames[16] = {"st.b",  "sf.b",  "shi.b", "sls.b", "scc.b", "scs.b", "sne.b", "seq.b",
                                       "svc.b", "svs.b", "spl.b", "smi.b", "sge.b", "slt.b", "sgt.b", "sle.b"};

constexpr const char* kDecrementNames[16] = {"dbt",  "dbf",  "dbhi", "dbls", "dbcc", "dbcs", "dbne", "dbeq",
                                             "dbvc", "dbvs", "dbpl", "dbmi", "dbge", "dblt", "dbgt", "dble"};

// 0110 cccc dddddddd; condition 1 is BSR.
Decoded decodeBranch(uint16_t op) {
    const unsigned cond = (op >> 8) & 15;
    const bool wide = (op & 0xFF) == 0;
    const char* name = kBranchNames[cond][wide ? 1 : 0];
    if (cond == 1) return {wide ? &BranchOps::bsrWord : &BranchOps::bsrShort, name};
    const Handler h = forCondition(cond, [&]<unsigned C>() -> Handler {
        return wide ? &BranchOps::branchWord<C> : &BranchOps::branchShort<C>;
    });
    return {h, name};
}

// 0101 cccc 11 mmm rrr: DBcc for mode 1, Scc on data alterable operands.
Decoded decodeConditionLine(uint16_t op) {
    const unsigned cond = (op >> 8) & 15;
    if (((op >> 3) & 7) == 1)
        return {forCondition(cond, []<unsigned C>() -> Handler { return &BranchOps::dbcc<C>; }), kDecrementNames[cond]};
    Mode m;
    if (!sourceMode(op, m) || !isDataAlterable(m)) return {};
    const Handler h = forCondition(cond, [&]<unsigned C>() {
        return forMode(m, []<Mode M>() -> Handler {
            if constexpr (isDataAlterable(M)) return &BranchOps::scc<C, M>;
            else return nullptr;
        });
    });
    return {h, kSetNames[cond]};
}

Decoded decodeJumps(uint16_t op) {
    if (op == 0x4E75) return {&BranchOps::rts, "rts"};
    if (op == 0x4E77) return {&BranchOps::rtr, "rtr"};
    const unsigned kind = op & 0xFFC0;
    if (kind != 0x4E80 && kind != 0x4EC0) return {};
    Mode m;
    if (!sourceMode(op, m) || !isControl(m)) return {};
    const bool subroutine = kind == 0x4E80;
    const Handler h = forMode(m, [&]<Mode M>() -> Handler {
        if constexpr (!isControl(M)) return nullptr;
        else return subroutine ? &BranchOps::jsr<M> : &BranchOps::jmp<M>;
    });
    return {h, subroutine ? "jsr" : "jmp"};
}

}  // namespace

Decoded decodeBranchFamily(uint16_t op) {
    switch (op >> 12) {
    case 0x4: return decodeJumps(op);
    case 0x5: return ((op >> 6) & 3) == 3 ? decodeConditionLine(op) : Decoded{};
    case 0x6: return decodeBranch(op);
    default: return {};
    }
}

}  // namespace m68k
}  // namespace vimo
