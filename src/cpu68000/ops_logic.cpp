// AND, OR, EOR and NOT, their immediate forms, and ANDI, ORI, EORI to CCR
// and SR.
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

enum class LogicOp { And, Or, Eor };

template <LogicOp Op> constexpr uint32_t combine(uint32_t a, uint32_t b) {
    if constexpr (Op == LogicOp::And) return a & b;
    else if constexpr (Op == LogicOp::Or) return a | b;
    else return a ^ b;
}

}  // namespace

struct LogicOps {
    // AND/OR <ea>,Dn
    template <LogicOp Op, Size S, Mode Src> static void toRegister(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Src>(op & 7);
        const unsigned r = (op >> 9) & 7;
        const uint32_t result = combine<Op>(source, cpu.ctx.d[r]) & kMask<S>;
        cpu.writeD<S>(r, result);
        cpu.setLogicFlags<S>(result);
        if constexpr (S == Size::Long) cpu.cyclesLeft -= (Src == Mode::Dn || Src == Mode::Imm ? 8 : 6) + kEa<S, Src>;
        else cpu.cyclesLeft -= 4 + kEa<S, Src>;
    }

    // AND/OR/EOR Dn,<ea> (EOR also to Dn)
    template <LogicOp Op, Size S, Mode Dst> static void toDestination(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t dest = cpu.readEaModify<S, Dst>(op & 7, address);
        const uint32_t result = combine<Op>(cpu.ctx.d[(op >> 9) & 7], dest) & kMask<S>;
        cpu.writeEaModify<S, Dst>(op & 7, address, result);
        cpu.setLogicFlags<S>(result);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= S == Size::Long ? 8 : 4;
        else cpu.cyclesLeft -= (S == Size::Long ? 12 : 8) + kEa<S, Dst>;
    }

    // ANDI/ORI/EORI #,<ea>
    template <LogicOp Op, Size S, Mode Dst> static void immediate(Cpu68000& cpu, uint16_t op) {
        const uint32_t source = cpu.readEa<S, Mode::Imm>(0);
        uint32_t address;
        const uint32_t dest = cpu.readEaModify<S, Dst>(op & 7, address);
        const uint32_t result = combine<Op>(source, dest) & kMask<S>;
        cpu.writeEaModify<S, Dst>(op & 7, address, result);
        cpu.setLogicFlags<S>(result);
        if constexpr (Dst == Mode::Dn) {
            if constexpr (S != Size::Long) cpu.cyclesLeft -= 8;
            else cpu.cyclesLeft -= Op == LogicOp::And ? 14 : 16;
        } else {
            cpu.cyclesLeft -= (S == Size::Long ? 20 : 12) + kEa<S, Dst>;
        }
    }

    template <LogicOp Op> static void toCcr(Cpu68000& cpu, uint16_t) {
        const uint32_t source = cpu.fetchExtension();
        cpu.unpackCcr(static_cast<uint16_t>(combine<Op>(source, cpu.packCcr())));
        cpu.cyclesLeft -= 20;
    }

    template <LogicOp Op> static void toSr(Cpu68000& cpu, uint16_t) {
        if (!cpu.supervisorMode()) return cpu.privilegeViolation();
        const uint32_t source = cpu.fetchExtension();
        cpu.writeStatusRegister(static_cast<uint16_t>(combine<Op>(source, cpu.statusRegister())));
        cpu.cyclesLeft -= 20;
        cpu.afterStatusWrite();
    }

    template <Size S, Mode Dst> static void notOp(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t result = ~cpu.readEaModify<S, Dst>(op & 7, address) & kMask<S>;
        cpu.writeEaModify<S, Dst>(op & 7, address, result);
        cpu.setLogicFlags<S>(result);
        if constexpr (Dst == Mode::Dn) cpu.cyclesLeft -= S == Size::Long ? 6 : 4;
        else cpu.cyclesLeft -= (S == Size::Long ? 12 : 8) + kEa<S, Dst>;
    }
};

namespace m68k {

namespace {

template <LogicOp Op> Handler toRegisterHandler(Size size, Mode m) {
    return forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (isData(M)) return &LogicOps::toRegister<Op, S, M>;
            else return nullptr;
        });
    });
}

template <LogicOp Op> Handler toDestinationHandler(Size size, Mode m) {
    return forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (isDataAlterable(M)) return &LogicOps::toDestination<Op, S, M>;
            else return nullptr;
        });
    });
}

template <LogicOp Op> Handler immediateHandler(Size size, Mode m) {
    return forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (isDataAlterable(M)) return &LogicOps::immediate<Op, S, M>;
            else return nullptr;
        });
    });
}

// AND (line C) and OR (line 8): opmodes 0-2 <ea>,Dn; 4-6 Dn,<ea> to memory.
template <LogicOp Op> Decoded decodeAndOr(uint16_t op, SizedName names) {
    const unsigned opmode = (op >> 6) & 7;
    if (opmode == 3 || opmode == 7) return {};
    const Size size = static_cast<Size>(opmode & 3);
    Mode m;
    if (!sourceMode(op, m)) return {};
    if (opmode < 3) {
        if (!isData(m)) return {};
        return {toRegisterHandler<Op>(size, m), names[size]};
    }
    if (!isMemoryAlterable(m)) return {};
    return {toDestinationHandler<Op>(size, m), names[size]};
}

Decoded decodeEor(uint16_t op) {
    const unsigned opmode = (op >> 6) & 7;
    if (opmode < 4 || opmode == 7) return {};
    const Size size = static_cast<Size>(opmode & 3);
    Mode m;
    if (!sourceMode(op, m) || !isDataAlterable(m)) return {};
    return {toDestinationHandler<LogicOp::Eor>(size, m), SizedName{"eor.b", "eor.w", "eor.l"}[size]};
}

Decoded decodeLine0(uint16_t op) {
    switch (op) {
    case 0x003C: return {&LogicOps::toCcr<LogicOp::Or>, "ori_ccr"};
    case 0x007C: return {&LogicOps::toSr<LogicOp::Or>, "ori_sr"};
    case 0x023C: return {&LogicOps::toCcr<LogicOp::And>, "andi_ccr"};
    case 0x027C: return {&LogicOps::toSr<LogicOp::And>, "andi_sr"};
    case 0x0A3C: return {&LogicOps::toCcr<LogicOp::Eor>, "eori_ccr"};
    case 0x0A7C: return {&LogicOps::toSr<LogicOp::Eor>, "eori_sr"};
    default: break;
    }
    Size size;
    Mode m;
    if (!sizeField((op >> 6) & 3, size) || !sourceMode(op, m) || !isDataAlterable(m)) return {};
    switch (op & 0xFF00) {
    case 0x0000: return {immediateHandler<LogicOp::Or>(size, m), SizedName{"ori.b", "ori.w", "ori.l"}[size]};
    case 0x0200: return {immediateHandler<LogicOp::And>(size, m), SizedName{"andi.b", "andi.w", "andi.l"}[size]};
    case 0x0A00: return {immediateHandler<LogicOp::Eor>(size, m), SizedName{"eori.b", "eori.w", "eori.l"}[size]};
    default: return {};
    }
}

Decoded decodeNot(uint16_t op) {
    Size size;
    Mode m;
    if (!sizeField((op >> 6) & 3, size) || !sourceMode(op, m) || !isDataAlterable(m)) return {};
    const Handler h = forSize(size, [&]<Size S>() {
        return forMode(m, [&]<Mode M>() -> Handler {
            if constexpr (isDataAlterable(M)) return &LogicOps::notOp<S, M>;
            else return nullptr;
        });
    });
    return {h, SizedName{"not.b", "not.w", "not.l"}[size]};
}

}  // namespace

Decoded decodeLogicFamily(uint16_t op) {
    switch (op >> 12) {
    case 0x0: return decodeLine0(op);
    case 0x4: return (op & 0xFF00) == 0x4600 ? decodeNot(op) : Decoded{};
    case 0x8: return decodeAndOr<LogicOp::Or>(op, {"or.b", "or.w", "or.l"});
    case 0xB: return decodeEor(op);
    case 0xC: return decodeAndOr<LogicOp::And>(op, {"and.b", "and.w", "and.l"});
    default: return {};
    }
}

}  // namespace m68k
}  // namespace vimo
