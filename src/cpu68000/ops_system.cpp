// LEA, PEA, LINK, UNLK, SWAP, EXG, TRAP, TRAPV, CHK, TAS, NOP, STOP, RESET,
// RTE and the illegal, line A and line F opcodes.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

// LEA and PEA by control mode.
constexpr int addressCost(Mode m, bool push) {
    switch (m) {
    case Mode::Ind: return push ? 12 : 4;
    case Mode::Disp:
    case Mode::AbsW:
    case Mode::PcDisp: return push ? 16 : 8;
    case Mode::Index:
    case Mode::PcIndex: return push ? 20 : 12;
    case Mode::AbsL: return push ? 20 : 12;
    default: return 0;
    }
}

constexpr uint8_t kStopped = 0x01;

}  // namespace

struct SystemOps {
    template <Mode M> static void lea(Cpu68000& cpu, uint16_t op) {
        cpu.ctx.a[(op >> 9) & 7] = cpu.eaAddress<Size::Long, M>(op & 7);
        cpu.cyclesLeft -= addressCost(M, false);
    }

    template <Mode M> static void pea(Cpu68000& cpu, uint16_t op) {
        const uint32_t address = cpu.eaAddress<Size::Long, M>(op & 7);
        cpu.ctx.a[7] -= 4;
        cpu.busWriteLong(cpu.ctx.a[7], address);
        cpu.cyclesLeft -= addressCost(M, true);
    }

    // LINK A7 pushes the value A7 had before the instruction.
    static void link(Cpu68000& cpu, uint16_t op) {
        const unsigned r = op & 7;
        const uint32_t displacement = signExtend16(cpu.fetchExtension());
        const uint32_t saved = cpu.ctx.a[r];
        const uint32_t frame = cpu.ctx.a[7] - 4;
        cpu.busWriteLong(frame, saved);
        cpu.ctx.a[7] = frame;
        cpu.ctx.a[r] = frame;
        cpu.ctx.a[7] += displacement;
        cpu.cyclesLeft -= 16;
    }

    // UNLK A7 ends with A7 holding the long read from the stack.
    static void unlk(Cpu68000& cpu, uint16_t op) {
        const unsigned r = op & 7;
        const uint32_t frame = cpu.ctx.a[r];
        const uint32_t saved = cpu.busReadLong(frame);
        cpu.ctx.a[7] = frame + 4;
        cpu.ctx.a[r] = saved;
        cpu.cyclesLeft -= 12;
    }

    static void swap(Cpu68000& cpu, uint16_t op) {
        uint32_t& dn = cpu.ctx.d[op & 7];
        dn = (dn << 16) | (dn >> 16);
        cpu.setLogicFlags<Size::Long>(dn);
        cpu.cyclesLeft -= 4;
    }

    // EXG Dx,Dy (opmode 01000), Ax,Ay (01001), Dx,Ay (10001).
    static void exg(Cpu68000& cpu, uint16_t op) {
        const unsigned rx = (op >> 9) & 7;
        const unsigned ry = op & 7;
        uint32_t& x = cpu.reg(((op & 0x00F8) == 0x0048) ? rx + 8 : rx);
        uint32_t& y = cpu.reg(((op & 0x00F8) == 0x0040) ? ry : ry + 8);
        const uint32_t t = x;
        x = y;
        y = t;
        cpu.cyclesLeft -= 6;
    }

    static void trap(Cpu68000& cpu, uint16_t op) { cpu.trapTo(32 + (op & 15), 34); }

    static void trapv(Cpu68000& cpu, uint16_t) {
        if (cpu.flagV) cpu.trapTo(7, 38);
        else cpu.cyclesLeft -= 4;
    }

    // CHK.W <ea>,Dn: traps when Dn (word) is below 0 (N set) or above the
    // bound (N cleared), with Z, V and C cleared; otherwise the CCR stays.
    template <Mode Src> static void chk(Cpu68000& cpu, uint16_t op) {
        const auto bound = static_cast<int16_t>(cpu.readEa<Size::Word, Src>(op & 7));
        const auto value = static_cast<int16_t>(cpu.ctx.d[(op >> 9) & 7] & 0xFFFF);
        if (value >= 0 && value <= bound) {
            cpu.cyclesLeft -= 10 + kEa<Size::Word, Src>;
            return;
        }
        cpu.flagN = value < 0 ? 0x80000000u : 0;
        cpu.flagNotZ = 1;
        cpu.flagV = 0;
        cpu.flagC = 0;
        cpu.trapTo(6, 40 + kEa<Size::Word, Src>);
    }

    // TAS: a read through the read-byte list and a separate write.
    template <Mode Dst> static void tas(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t value = cpu.readEaModify<Size::Byte, Dst>(op & 7, address);
        cpu.setLogicFlags<Size::Byte>(value);
        cpu.writeEaModify<Size::Byte, Dst>(op & 7, address, value | 0x80);
        cpu.cyclesLeft -= Dst == Mode::Dn ? 4 : 14 + kEa<Size::Byte, Dst>;
    }

    static void nop(Cpu68000& cpu, uint16_t) { cpu.cyclesLeft -= 4; }

    // STOP #imm: loads SR and waits; the rest of the slice counts as spent.
    static void stop(Cpu68000& cpu, uint16_t) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        cpu.writeStatusRegister(cpu.fetchExtension());
        cpu.ctx.interrupts[0] |= kStopped;
        cpu.cyclesLeft -= 4;
        if (cpu.cyclesLeft >= 0) cpu.cyclesLeft = -1;
    }

    // RESET: with a callback the outside world is reset and 132 cycles pass;
    // without one exec hands the RESET's address back to the owner, uncharged.
    static void reset(Cpu68000& cpu, uint16_t) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        if (cpu.ctx.resetCallback != nullptr) {
            cpu.ctx.resetCallback();
            cpu.cyclesLeft -= 132;
            return;
        }
        cpu.pc -= 2;
        cpu.requestExit(cpu.pc & kAddressMask);
    }

    // RTE: SR from the stack (switching stacks and lists when S changes), the
    // supervisor stack grows by 6, then the PC through the new mode's lists.
    static void rte(Cpu68000& cpu, uint16_t) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        const uint32_t frame = cpu.ctx.a[7];
        const uint16_t sr = cpu.busReadWord(frame);
        cpu.writeStatusRegister(sr);
        if (cpu.supervisorMode()) cpu.ctx.a[7] += 6;
        else cpu.ctx.otherSp += 6;
        cpu.jumpTo(cpu.busReadLong(frame + 2));
        cpu.cyclesLeft -= 20;
        cpu.afterStatusWrite();
    }

    static void illegal(Cpu68000& cpu, uint16_t) { cpu.faultAtOpcode(4); }
    static void lineA(Cpu68000& cpu, uint16_t) { cpu.faultAtOpcode(10); }
    static void lineF(Cpu68000& cpu, uint16_t) { cpu.faultAtOpcode(11); }
};

namespace m68k {

Decoded illegalInstruction() { return {&SystemOps::illegal, "illegal"}; }
Decoded lineAInstruction() { return {&SystemOps::lineA, "linea"}; }
Decoded lineFInstruction() { return {&SystemOps::lineF, "linef"}; }

namespace {

Decoded decodeLine4(uint16_t op) {
    switch (op) {
    case 0x4E70: return {&SystemOps::reset, "reset"};
    case 0x4E71: return {&SystemOps::nop, "nop"};
    case 0x4E72: return {&SystemOps::stop, "stop"};
    case 0x4E73: return {&SystemOps::rte, "rte"};
    case 0x4E76: return {&SystemOps::trapv, "trapv"};
    default: break;
    }
    switch (op & 0xFFF8) {
    case 0x4840: return {&SystemOps::swap, "swap.w"};
    case 0x4E50: return {&SystemOps::link, "link.w"};
    case 0x4E58: return {&SystemOps::unlk, "unlk"};
    default: break;
    }
    if ((op & 0xFFF0) == 0x4E40) return {&SystemOps::trap, "trap"};
    Mode m;
    if (!sourceMode(op, m)) return {};
    if ((op & 0xF1C0) == 0x41C0 && isControl(m)) {
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isControl(M)) return &SystemOps::lea<M>;
                    else return nullptr;
                }),
                "lea"};
    }
    if ((op & 0xF1C0) == 0x4180 && isData(m)) {
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isData(M)) return &SystemOps::chk<M>;
                    else return nullptr;
                }),
                "chk.w"};
    }
    if ((op & 0xFFC0) == 0x4840 && isControl(m)) {
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isControl(M)) return &SystemOps::pea<M>;
                    else return nullptr;
                }),
                "pea"};
    }
    if ((op & 0xFFC0) == 0x4AC0 && isDataAlterable(m)) {
        return {forMode(m, []<Mode M>() -> Handler {
                    if constexpr (isDataAlterable(M)) return &SystemOps::tas<M>;
                    else return nullptr;
                }),
                "tas.b"};
    }
    return {};
}

}  // namespace

Decoded decodeSystemFamily(uint16_t op) {
    switch (op >> 12) {
    case 0x4: return decodeLine4(op);
    case 0xC: {
        switch (op & 0xF1F8) {
        case 0xC140:
        case 0xC148:
        case 0xC188: return {&SystemOps::exg, "exg.l"};
        default: return {};
        }
    }
    default: return {};
    }
}

}  // namespace m68k
}  // namespace vimo
