// Operand sizes, addressing modes, effective addresses and the flag rules the
// instruction handlers share. Internal to the core.
#pragma once

#include "cpu68000/bus.h"
#include "cpu68000/cpu68000.h"

#include <cstdint>

namespace vimo {
namespace m68k {

enum class Size : uint8_t { Byte, Word, Long };

// The twelve addressing modes; mode 7 is split by its register field.
enum class Mode : uint8_t { Dn, An, Ind, PostInc, PreDec, Disp, Index, AbsW, AbsL, PcDisp, PcIndex, Imm };

inline constexpr unsigned kModeCount = 12;

template <Size S> inline constexpr uint32_t kMask = S == Size::Byte ? 0xFFu : S == Size::Word ? 0xFFFFu : 0xFFFFFFFFu;
template <Size S> inline constexpr uint32_t kMsb = S == Size::Byte ? 0x80u : S == Size::Word ? 0x8000u : 0x80000000u;
template <Size S> inline constexpr unsigned kBits = S == Size::Byte ? 8 : S == Size::Word ? 16 : 32;
template <Size S> inline constexpr uint32_t kBytes = kBits<S> / 8;

constexpr uint32_t signExtend8(uint32_t v) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v & 0xFF))); }
constexpr uint32_t signExtend16(uint32_t v) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v & 0xFFFF))); }

template <Size S> constexpr uint32_t signExtend(uint32_t v) {
    if constexpr (S == Size::Byte) return signExtend8(v);
    else if constexpr (S == Size::Word) return signExtend16(v);
    else return v;
}

// The mode named by a mode field and a register field; false for mode 7 with
// register 5 to 7, which names nothing.
constexpr bool modeOf(unsigned modeField, unsigned regField, Mode& out) {
    if (modeField < 7) {
        out = static_cast<Mode>(modeField);
        return true;
    }
    if (regField > 4) return false;
    out = static_cast<Mode>(7 + regField);
    return true;
}

// Addressing-mode classes of the instruction set.
constexpr bool isData(Mode m) { return m != Mode::An; }
constexpr bool isMemory(Mode m) { return m != Mode::Dn && m != Mode::An; }
constexpr bool isControl(Mode m) {
    return m == Mode::Ind || m == Mode::Disp || m == Mode::Index || m == Mode::AbsW || m == Mode::AbsL ||
           m == Mode::PcDisp || m == Mode::PcIndex;
}
constexpr bool isAlterable(Mode m) { return m <= Mode::AbsL; }
constexpr bool isDataAlterable(Mode m) { return isAlterable(m) && m != Mode::An; }
constexpr bool isMemoryAlterable(Mode m) { return isAlterable(m) && isMemory(m); }

// Effective-address time, added where a cost reads "+ EA".
constexpr int eaCycles(Size s, Mode m) {
    const bool isLong = s == Size::Long;
    switch (m) {
    case Mode::Dn:
    case Mode::An: return 0;
    case Mode::Ind:
    case Mode::PostInc: return isLong ? 8 : 4;
    case Mode::PreDec: return isLong ? 10 : 6;
    case Mode::Disp:
    case Mode::AbsW:
    case Mode::PcDisp: return isLong ? 12 : 8;
    case Mode::Index:
    case Mode::PcIndex: return isLong ? 14 : 10;
    case Mode::AbsL: return isLong ? 16 : 12;
    case Mode::Imm: return isLong ? 8 : 4;
    }
    return 0;
}

// Plain names for the templates: the cycles of a mode at a size.
template <Size S, Mode M> inline constexpr int kEa = eaCycles(S, M);

// Operand step of (An)+ and -(An): A7 keeps word alignment for bytes.
template <Size S> constexpr uint32_t addressStep(unsigned reg) {
    if constexpr (S == Size::Byte) return reg == 7 ? 2 : 1;
    else return kBytes<S>;
}

}  // namespace m68k

using m68k::Mode;
using m68k::Size;

// ---- memory by size -------------------------------------------------------

template <Size S> inline uint32_t Cpu68000::readMem(uint32_t address) {
    if constexpr (S == Size::Byte) return busReadByte(address);
    else if constexpr (S == Size::Word) return busReadWord(address);
    else return busReadLong(address);
}

template <Size S> inline void Cpu68000::writeMem(uint32_t address, uint32_t data) {
    if constexpr (S == Size::Byte) busWriteByte(address, static_cast<uint8_t>(data));
    else if constexpr (S == Size::Word) busWriteWord(address, static_cast<uint16_t>(data));
    else busWriteLong(address, data);
}

// ---- effective addresses ----------------------------------------------------

// The brief extension word of the indexed modes: index register (bits 15-12),
// whole register or sign-extended low word (bit 11), signed 8-bit displacement.
inline uint16_t Cpu68000::decodeBriefExtension(uint32_t base, uint32_t& address) {
    const uint16_t ext = fetchExtension();
    uint32_t index = reg(ext >> 12);
    if ((ext & 0x0800) == 0) index = m68k::signExtend16(index);
    address = base + index + m68k::signExtend8(ext);
    return ext;
}

// The address of a memory operand: reads the mode's extension words and steps
// the address register of (An)+ and -(An).
template <Size S, Mode M> inline uint32_t Cpu68000::eaAddress(unsigned r) {
    if constexpr (M == Mode::Ind) {
        return ctx.a[r];
    } else if constexpr (M == Mode::PostInc) {
        const uint32_t address = ctx.a[r];
        ctx.a[r] = address + m68k::addressStep<S>(r);
        return address;
    } else if constexpr (M == Mode::PreDec) {
        ctx.a[r] -= m68k::addressStep<S>(r);
        return ctx.a[r];
    } else if constexpr (M == Mode::Disp) {
        return ctx.a[r] + m68k::signExtend16(fetchExtension());
    } else if constexpr (M == Mode::Index) {
        uint32_t address;
        decodeBriefExtension(ctx.a[r], address);
        return address;
    } else if constexpr (M == Mode::AbsW) {
        return m68k::signExtend16(fetchExtension());
    } else if constexpr (M == Mode::AbsL) {
        return fetchLongExtension();
    } else if constexpr (M == Mode::PcDisp) {
        const uint32_t base = pc;
        return base + m68k::signExtend16(fetchExtension());
    } else if constexpr (M == Mode::PcIndex) {
        uint32_t address;
        decodeBriefExtension(pc, address);
        return address;
    } else {
        static_assert(M != Mode::Dn && M != Mode::An && M != Mode::Imm, "not a memory operand");
        return 0;
    }
}

// An operand's value, zero-extended from its size.
template <Size S, Mode M> inline uint32_t Cpu68000::readEa(unsigned r) {
    if constexpr (M == Mode::Dn) {
        return ctx.d[r] & m68k::kMask<S>;
    } else if constexpr (M == Mode::An) {
        return ctx.a[r] & m68k::kMask<S>;
    } else if constexpr (M == Mode::Imm) {
        if constexpr (S == Size::Long) return fetchLongExtension();
        else return fetchExtension() & m68k::kMask<S>;
    } else {
        return readMem<S>(eaAddress<S, M>(r));
    }
}

// Stores an operand (a data register keeps its bits above the size).
template <Size S, Mode M> inline void Cpu68000::writeEa(unsigned r, uint32_t value) {
    if constexpr (M == Mode::Dn) {
        writeD<S>(r, value);
    } else if constexpr (M == Mode::An) {
        ctx.a[r] = value;
    } else {
        writeMem<S>(eaAddress<S, M>(r), value);
    }
}

// Read-modify-write: the address is computed once, by the read.
template <Size S, Mode M> inline uint32_t Cpu68000::readEaModify(unsigned r, uint32_t& address) {
    if constexpr (M == Mode::Dn) {
        address = 0;
        return ctx.d[r] & m68k::kMask<S>;
    } else {
        address = eaAddress<S, M>(r);
        return readMem<S>(address);
    }
}

template <Size S, Mode M> inline void Cpu68000::writeEaModify(unsigned r, uint32_t address, uint32_t value) {
    if constexpr (M == Mode::Dn) writeD<S>(r, value);
    else writeMem<S>(address, value);
}

template <Size S> inline void Cpu68000::writeD(unsigned r, uint32_t value) {
    constexpr uint32_t mask = m68k::kMask<S>;
    ctx.d[r] = (ctx.d[r] & ~mask) | (value & mask);
}

// ---- flags ------------------------------------------------------------------

template <Size S> inline void Cpu68000::setNZ(uint32_t result) {
    flagN = result << (32 - m68k::kBits<S>);
    flagNotZ = result & m68k::kMask<S>;
}

template <Size S> inline void Cpu68000::setLogicFlags(uint32_t result) {
    setNZ<S>(result);
    flagV = 0;
    flagC = 0;
}

// dest + source + extend; sets X N Z V C and returns the result.
template <Size S> inline uint32_t Cpu68000::addWithFlags(uint32_t source, uint32_t dest, uint32_t extend) {
    constexpr uint32_t mask = m68k::kMask<S>;
    source &= mask;
    dest &= mask;
    const uint64_t wide = uint64_t{source} + dest + extend;
    const uint32_t result = static_cast<uint32_t>(wide) & mask;
    flagC = flagX = static_cast<uint32_t>(wide >> m68k::kBits<S>) & 1;
    flagV = ((source ^ result) & (dest ^ result) & m68k::kMsb<S>) != 0;
    setNZ<S>(result);
    return result;
}

// dest - source - extend; sets X N Z V C and returns the result.
template <Size S> inline uint32_t Cpu68000::subWithFlags(uint32_t source, uint32_t dest, uint32_t extend) {
    constexpr uint32_t mask = m68k::kMask<S>;
    source &= mask;
    dest &= mask;
    const uint64_t wide = uint64_t{dest} - source - extend;
    const uint32_t result = static_cast<uint32_t>(wide) & mask;
    flagC = flagX = static_cast<uint32_t>(wide >> m68k::kBits<S>) & 1;
    flagV = ((source ^ dest) & (result ^ dest) & m68k::kMsb<S>) != 0;
    setNZ<S>(result);
    return result;
}

// dest - source for CMP, CMPA, CMPI, CMPM: X is left alone.
template <Size S> inline void Cpu68000::compareFlags(uint32_t source, uint32_t dest) {
    constexpr uint32_t mask = m68k::kMask<S>;
    source &= mask;
    dest &= mask;
    const uint64_t wide = uint64_t{dest} - source;
    const uint32_t result = static_cast<uint32_t>(wide) & mask;
    flagC = static_cast<uint32_t>(wide >> m68k::kBits<S>) & 1;
    flagV = ((source ^ dest) & (result ^ dest) & m68k::kMsb<S>) != 0;
    setNZ<S>(result);
}

// The sixteen conditions of Bcc, DBcc and Scc.
template <unsigned Cond> inline bool Cpu68000::condition() const {
    const bool n = (flagN >> 31) != 0;
    const bool z = flagNotZ == 0;
    const bool v = flagV != 0;
    const bool c = flagC != 0;
    if constexpr (Cond == 0) return true;
    else if constexpr (Cond == 1) return false;
    else if constexpr (Cond == 2) return !c && !z;   // HI
    else if constexpr (Cond == 3) return c || z;     // LS
    else if constexpr (Cond == 4) return !c;         // CC
    else if constexpr (Cond == 5) return c;          // CS
    else if constexpr (Cond == 6) return !z;         // NE
    else if constexpr (Cond == 7) return z;          // EQ
    else if constexpr (Cond == 8) return !v;         // VC
    else if constexpr (Cond == 9) return v;          // VS
    else if constexpr (Cond == 10) return !n;        // PL
    else if constexpr (Cond == 11) return n;         // MI
    else if constexpr (Cond == 12) return n == v;    // GE
    else if constexpr (Cond == 13) return n != v;    // LT
    else if constexpr (Cond == 14) return !z && n == v;  // GT
    else return z || n != v;                         // LE
}

}  // namespace vimo
