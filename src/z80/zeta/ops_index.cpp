// The DD and FD families: the instructions on IX and IY, the (IX+d) and
// (IY+d) forms, the IXH, IXL, IYH and IYL forms, and the DD CB / FD CB entry.
// Both tables hold the same handlers at the same opcodes, one set working on
// IX and one on IY; the opcodes without an indexed form are invalid.
#include <utility>

#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

enum class Index { ix, iy };

template <Index X>
uint16_t& indexRegister(ZetaCore& z) {
    if constexpr (X == Index::ix) {
        return z.context.ix;
    } else {
        return z.context.iy;
    }
}

// IX + d with d the signed byte at PC, 16-bit wrap.
template <Index X>
uint16_t indexedAddress(ZetaCore& z) {
    const auto displacement = static_cast<int8_t>(fetchByte(z));
    return static_cast<uint16_t>(indexRegister<X>(z) + displacement);
}

// The register field with H and L standing for the index register's halves.
constexpr int kHigh = kH;
constexpr int kLow = kL;

template <Index X, int R>
uint8_t getHalfOrRegister(ZetaCore& z) {
    if constexpr (R == kHigh) {
        return static_cast<uint8_t>(indexRegister<X>(z) >> 8);
    } else if constexpr (R == kLow) {
        return static_cast<uint8_t>(indexRegister<X>(z));
    } else {
        return z.reg[R];
    }
}

template <Index X, int R>
void setHalfOrRegister(ZetaCore& z, uint8_t value) {
    uint16_t& index = indexRegister<X>(z);
    if constexpr (R == kHigh) {
        index = static_cast<uint16_t>((index & 0x00FF) | (value << 8));
    } else if constexpr (R == kLow) {
        index = static_cast<uint16_t>((index & 0xFF00) | value);
    } else {
        z.reg[R] = value;
    }
}

// ADD IX,rr (15), rr = BC, DE, IX, SP.
template <Index X, int P>
void addIndex(ZetaCore& z) {
    uint16_t& index = indexRegister<X>(z);
    const uint16_t operand = P == 2 ? index : getRp<P>(z);
    index = add16(z, index, operand);
    charge(z, 15);
}

template <Index X>
void ldIndexImmediate(ZetaCore& z) {
    indexRegister<X>(z) = fetchWord(z);
    charge(z, 14);
}

template <Index X>
void ldAbsoluteIndex(ZetaCore& z) {
    writeWordTwoLookups(z, fetchWord(z), indexRegister<X>(z));
    charge(z, 20);
}

template <Index X>
void ldIndexAbsolute(ZetaCore& z) {
    indexRegister<X>(z) = readWordTwoLookups(z, fetchWord(z));
    charge(z, 20);
}

template <Index X, int Delta>
void incDecIndex(ZetaCore& z) {
    uint16_t& index = indexRegister<X>(z);
    index = static_cast<uint16_t>(index + Delta);
    charge(z, 10);
}

// INC (IX+d) and DEC (IX+d) (23).
template <Index X, bool Increment>
void incDecIndexed(ZetaCore& z) {
    const uint16_t address = indexedAddress<X>(z);
    const uint8_t value = readByte(z, address);
    writeByte(z, address, Increment ? inc8(z, value) : dec8(z, value));
    charge(z, 23);
}

// LD (IX+d),n (19): the displacement comes before the immediate.
template <Index X>
void ldIndexedImmediate(ZetaCore& z) {
    const uint16_t address = indexedAddress<X>(z);
    writeByte(z, address, fetchByte(z));
    charge(z, 19);
}

// LD r,(IX+d) and LD (IX+d),r (19) use the real H and L.
template <Index X, int R>
void ldRegisterIndexed(ZetaCore& z) {
    z.reg[R] = readByte(z, indexedAddress<X>(z));
    charge(z, 19);
}

template <Index X, int R>
void ldIndexedRegister(ZetaCore& z) {
    writeByte(z, indexedAddress<X>(z), z.reg[R]);
    charge(z, 19);
}

template <Index X, int Y>
void aluIndexed(ZetaCore& z) {
    alu<aluOpOf(Y)>(z, readByte(z, indexedAddress<X>(z)));
    charge(z, 19);
}

// POP IX (14) and PUSH IX (15): two byte accesses through the lists.
template <Index X>
void popIndex(ZetaCore& z) {
    const uint16_t sp = z.context.sp;
    const uint16_t value = readWordTwoLookups(z, sp);
    z.context.sp = static_cast<uint16_t>(sp + 2);
    indexRegister<X>(z) = value;
    charge(z, 14);
}

template <Index X>
void pushIndex(ZetaCore& z) {
    const auto sp = static_cast<uint16_t>(z.context.sp - 2);
    z.context.sp = sp;
    writeWordTwoLookups(z, sp, indexRegister<X>(z));
    charge(z, 15);
}

// EX (SP),IX (23) on the stack in the memory image.
template <Index X>
void exSpIndex(ZetaCore& z) {
    const uint16_t sp = z.context.sp;
    const uint16_t value = imageReadWord(z, sp);
    imageWriteWord(z, sp, indexRegister<X>(z));
    indexRegister<X>(z) = value;
    charge(z, 23);
}

template <Index X>
void jpIndex(ZetaCore& z) {
    z.pc = indexRegister<X>(z);
    charge(z, 8);
}

template <Index X>
void ldSpIndex(ZetaCore& z) {
    z.context.sp = indexRegister<X>(z);
    charge(z, 10);
}

// The halves as 8-bit registers (9 each, LD IXH,n and LD IXL,n included).
template <Index X, int R, bool Increment>
void incDecHalf(ZetaCore& z) {
    const uint8_t value = getHalfOrRegister<X, R>(z);
    setHalfOrRegister<X, R>(z, Increment ? inc8(z, value) : dec8(z, value));
    charge(z, 9);
}

template <Index X, int R>
void ldHalfImmediate(ZetaCore& z) {
    setHalfOrRegister<X, R>(z, fetchByte(z));
    charge(z, 9);
}

template <Index X, int Dst, int Src>
void ldHalves(ZetaCore& z) {
    setHalfOrRegister<X, Dst>(z, getHalfOrRegister<X, Src>(z));
    charge(z, 9);
}

template <Index X, int Y, int R>
void aluHalf(ZetaCore& z) {
    alu<aluOpOf(Y)>(z, getHalfOrRegister<X, R>(z));
    charge(z, 9);
}

// DD CB d op / FD CB d op: the displacement and the operation byte are read
// together, the address formed once and handed to the shared table.
template <Index X>
void prefixIndexCb(ZetaCore& z) {
    const auto displacement = static_cast<int8_t>(fetchByte(z));
    const uint8_t operation = fetchByte(z);
    z.indexAddress = static_cast<uint16_t>(indexRegister<X>(z) + displacement);
    z.tables->indexCb[operation](z);
}

template <Index X>
struct Installer {
    ZetaHandler (&table)[256];

    template <int... P>
    void pairs(std::integer_sequence<int, P...>) {
        ((table[0x09 | (P << 4)] = addIndex<X, P>), ...);
    }

    template <int... Y>
    void aluRows(std::integer_sequence<int, Y...>) {
        ((table[0x86 | (Y << 3)] = aluIndexed<X, Y>), ...);
        ((table[0x84 | (Y << 3)] = aluHalf<X, Y, kHigh>), ...);
        ((table[0x85 | (Y << 3)] = aluHalf<X, Y, kLow>), ...);
    }

    // LD r,(IX+d) and LD (IX+d),r for B C D E H L A.
    template <int... R>
    void indexedLoads(std::integer_sequence<int, R...>) {
        ((table[0x46 | (R << 3)] = ldRegisterIndexed<X, R>), ...);
        ((table[0x70 | R] = ldIndexedRegister<X, R>), ...);
    }

    // LD B/C/D/E/A from IXH or IXL.
    template <int... R>
    void loadsFromHalves(std::integer_sequence<int, R...>) {
        ((table[0x44 | (R << 3)] = ldHalves<X, R, kHigh>), ...);
        ((table[0x45 | (R << 3)] = ldHalves<X, R, kLow>), ...);
    }

    // LD IXH or IXL from B, C, D, E, IXH, IXL, A.
    template <int... R>
    void loadsIntoHalves(std::integer_sequence<int, R...>) {
        ((table[0x60 | R] = ldHalves<X, kHigh, R>), ...);
        ((table[0x68 | R] = ldHalves<X, kLow, R>), ...);
    }

    void all() {
        pairs(std::make_integer_sequence<int, 4>{});
        table[0x21] = ldIndexImmediate<X>;
        table[0x22] = ldAbsoluteIndex<X>;
        table[0x2A] = ldIndexAbsolute<X>;
        table[0x23] = incDecIndex<X, 1>;
        table[0x2B] = incDecIndex<X, 0xFFFF>;
        table[0x34] = incDecIndexed<X, true>;
        table[0x35] = incDecIndexed<X, false>;
        table[0x36] = ldIndexedImmediate<X>;
        indexedLoads(std::integer_sequence<int, kB, kC, kD, kE, kH, kL, kA>{});
        aluRows(std::make_integer_sequence<int, 8>{});
        table[0xE1] = popIndex<X>;
        table[0xE5] = pushIndex<X>;
        table[0xE3] = exSpIndex<X>;
        table[0xE9] = jpIndex<X>;
        table[0xF9] = ldSpIndex<X>;
        table[0xCB] = prefixIndexCb<X>;
        table[0x24] = incDecHalf<X, kHigh, true>;
        table[0x25] = incDecHalf<X, kHigh, false>;
        table[0x2C] = incDecHalf<X, kLow, true>;
        table[0x2D] = incDecHalf<X, kLow, false>;
        table[0x26] = ldHalfImmediate<X, kHigh>;
        table[0x2E] = ldHalfImmediate<X, kLow>;
        loadsFromHalves(std::integer_sequence<int, kB, kC, kD, kE, kA>{});
        loadsIntoHalves(std::integer_sequence<int, kB, kC, kD, kE, kHigh, kLow, kA>{});
    }
};

}  // namespace

void installIndexOps(ZetaDecodeTables& t) {
    Installer<Index::ix>{t.dd}.all();
    Installer<Index::iy>{t.fd}.all();
}

}  // namespace vimo::zeta
