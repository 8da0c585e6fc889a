// Arithmetic and logical shifts and the rotates, with and without X, on data
// registers (count 1-8 in the opcode or a register's count modulo 64) and on
// memory words (by one).
#include "cpu68000/decode.h"

namespace vimo {

using namespace m68k;

namespace {

enum class ShiftOp { Arithmetic, Logical, RotateExtend, Rotate };

}  // namespace

struct ShiftOps {
    // Shifts `value` (zero-extended from S) by count (0 to 63), sets the flags
    // and returns the result. Counts at or beyond the width give the results
    // of shifting one bit at a time.
    template <ShiftOp Op, bool Left, Size S> static uint32_t shift(Cpu68000& cpu, uint32_t value, unsigned count) {
        constexpr unsigned bits = kBits<S>;
        constexpr uint32_t mask = kMask<S>;
        cpu.flagV = 0;
        if (count == 0) {
            cpu.flagC = Op == ShiftOp::RotateExtend ? cpu.flagX : 0;
            cpu.setNZ<S>(value);
            return value;
        }
        uint32_t result;
        if constexpr (Op == ShiftOp::Arithmetic || Op == ShiftOp::Logical) {
            if constexpr (Left) {
                if (count < bits) {
                    result = (value << count) & mask;
                    cpu.flagC = (value >> (bits - count)) & 1;
                } else {
                    result = 0;
                    cpu.flagC = count == bits ? (value & 1) : 0;
                }
                if constexpr (Op == ShiftOp::Arithmetic) {
                    // V: the sign bit changed at some point, i.e. the top
                    // count + 1 bits were not all equal.
                    if (count < bits) {
                        const int64_t top = static_cast<int64_t>(static_cast<int32_t>(signExtend<S>(value))) >>
                                            (bits - 1 - count);
                        cpu.flagV = (top != 0 && top != -1) ? 1 : 0;
                    } else {
                        cpu.flagV = value != 0 ? 1 : 0;
                    }
                }
            } else if constexpr (Op == ShiftOp::Arithmetic) {
                const int64_t signedValue = static_cast<int32_t>(signExtend<S>(value));
                if (count < bits) {
                    result = static_cast<uint32_t>(signedValue >> count) & mask;
                    cpu.flagC = static_cast<uint32_t>(signedValue >> (count - 1)) & 1;
                } else {
                    result = signedValue < 0 ? mask : 0;
                    cpu.flagC = signedValue < 0 ? 1 : 0;
                }
            } else {
                if (count < bits) {
                    result = value >> count;
                    cpu.flagC = (value >> (count - 1)) & 1;
                } else {
                    result = 0;
                    cpu.flagC = count == bits ? (value >> (bits - 1)) & 1 : 0;
                }
            }
            cpu.flagX = cpu.flagC;
        } else if constexpr (Op == ShiftOp::Rotate) {
            const unsigned e = count % bits;
            if (e == 0) result = value;
            else if constexpr (Left) result = ((value << e) | (value >> (bits - e))) & mask;
            else result = ((value >> e) | (value << (bits - e))) & mask;
            cpu.flagC = Left ? (result & 1) : (result >> (bits - 1)) & 1;
        } else {
            // Through X: a rotation of the (bits + 1)-bit value X:operand.
            constexpr unsigned width = bits + 1;
            constexpr uint64_t wideMask = (uint64_t{1} << width) - 1;
            const unsigned e = count % width;
            if (e == 0) {
                result = value;
                cpu.flagC = cpu.flagX;
            } else {
                const uint64_t wide = (uint64_t{cpu.flagX} << bits) | value;
                const uint64_t rotated = Left ? ((wide << e) | (wide >> (width - e))) & wideMask
                                              : ((wide >> e) | (wide << (width - e))) & wideMask;
                result = static_cast<uint32_t>(rotated) & mask;
                cpu.flagC = cpu.flagX = static_cast<uint32_t>(rotated >> bits) & 1;
            }
        }
        cpu.setNZ<S>(result);
        return result;
    }

    template <ShiftOp Op, bool Left, Size S, bool CountInRegister>
    static void onRegister(Cpu68000& cpu, uint16_t op) {
        const unsigned field = (op >> 9) & 7;
        unsigned count;
        if constexpr (CountInRegister) count = cpu.ctx.d[field] & 63;
        else count = field == 0 ? 8 : field;
        const unsigned r = op & 7;
        cpu.writeD<S>(r, shift<Op, Left, S>(cpu, cpu.ctx.d[r] & kMask<S>, count));
        cpu.cyclesLeft -= (S == Size::Long ? 8 : 6) + 2 * static_cast<int>(count);
    }

    template <ShiftOp Op, bool Left, Mode Dst> static void onMemory(Cpu68000& cpu, uint16_t op) {
        uint32_t address;
        const uint32_t value = cpu.readEaModify<Size::Word, Dst>(op & 7, address);
        cpu.writeEaModify<Size::Word, Dst>(op & 7, address, shift<Op, Left, Size::Word>(cpu, value, 1));
        cpu.cyclesLeft -= 8 + kEa<Size::Word, Dst>;
    }
};

namespace m68k {

namespace {

constexpr const char* kShiftNames[4][2][3] = {
    {{"asr.b", "asr.w", "asr.l"}, {"asl.b", "asl.w", "asl.l"}},
    {{"lsr.b", "lsr.w", "lsr.l"}, {"lsl.b", "lsl.w", "lsl.l"}},
    {{"roxr.b", "roxr.w", "roxr.l"}, {"roxl.b", "roxl.w", "roxl.l"}},
    {{"ror.b", "ror.w", "ror.l"}, {"rol.b", "rol.w", "rol.l"}},
};

template <ShiftOp Op, bool Left> Handler registerHandler(Size size, bool countInRegister) {
    return forSize(size, [&]<Size S>() -> Handler {
        return countInRegister ? &ShiftOps::onRegister<Op, Left, S, true> : &ShiftOps::onRegister<Op, Left, S, false>;
    });
}

template <ShiftOp Op, bool Left> Handler memoryHandler(Mode m) {
    return forMode(m, []<Mode M>() -> Handler {
        if constexpr (isMemoryAlterable(M)) return &ShiftOps::onMemory<Op, Left, M>;
        else return nullptr;
    });
}

template <bool Left> Handler pick(ShiftOp type, Size size, bool countInRegister, const Mode* memory) {
    switch (type) {
    case ShiftOp::Arithmetic:
        return memory ? memoryHandler<ShiftOp::Arithmetic, Left>(*memory)
                      : registerHandler<ShiftOp::Arithmetic, Left>(size, countInRegister);
    case ShiftOp::Logical:
        return memory ? memoryHandler<ShiftOp::Logical, Left>(*memory)
                      : registerHandler<ShiftOp::Logical, Left>(size, countInRegister);
    case ShiftOp::RotateExtend:
        return memory ? memoryHandler<ShiftOp::RotateExtend, Left>(*memory)
                      : registerHandler<ShiftOp::RotateExtend, Left>(size, countInRegister);
    case ShiftOp::Rotate:
        return memory ? memoryHandler<ShiftOp::Rotate, Left>(*memory)
                      : registerHandler<ShiftOp::Rotate, Left>(size, countInRegister);
    }
    return nullptr;
}

}  // namespace

// Registers: 1110 ccc d ss i tt rrr (ss != 11). Memory: 1110 0tt d 11 mmm rrr.
Decoded decodeShiftFamily(uint16_t op) {
    if ((op >> 12) != 0xE) return {};
    const bool left = (op & 0x0100) != 0;
    Size size;
    if (sizeField((op >> 6) & 3, size)) {
        const auto type = static_cast<ShiftOp>((op >> 3) & 3);
        const bool countInRegister = (op & 0x0020) != 0;
        const Handler h = left ? pick<true>(type, size, countInRegister, nullptr)
                               : pick<false>(type, size, countInRegister, nullptr);
        return {h, kShiftNames[static_cast<int>(type)][left][static_cast<int>(size)]};
    }
    if (op & 0x0800) return {};
    Mode m;
    if (!sourceMode(op, m) || !isMemoryAlterable(m)) return {};
    const auto type = static_cast<ShiftOp>((op >> 9) & 3);
    const Handler h = left ? pick<true>(type, Size::Word, false, &m) : pick<false>(type, Size::Word, false, &m);
    return {h, kShiftNames[static_cast<int>(type)][left][1]};
}

}  // namespace m68k
}  // namespace vimo
