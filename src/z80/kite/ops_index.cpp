// The DD and FD families: the instructions on IX and IY, the (IX+d) and
// (IY+d) forms, the IXH, IXL, IYH and IYL forms, and the DD CB / FD CB entry.
// Both tables hold the same handlers at the same opcodes, one set working on
// IX and one on IY.
//
// Before an opcode with no indexed form the prefix is an instruction of its
// own: it costs 4 and does nothing, and PC steps back so that the opcode runs
// next from the main table. R counts the opcode once, when it runs.
#include <utility>

#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

enum class Index { ix, iy };

template <Index X>
uint32_t& indexRegister(KiteCore& k) {
    if constexpr (X == Index::ix) {
        return k.context.ix;
    } else {
        return k.context.iy;
    }
}

template <Index X>
uint16_t indexValue(KiteCore& k) {
    return static_cast<uint16_t>(indexRegister<X>(k));
}

// IX + d with d the signed byte at PC, 16-bit wrap.
template <Index X>
uint16_t indexedAddress(KiteCore& k) {
    const auto displacement = static_cast<int8_t>(fetchByte(k));
    return static_cast<uint16_t>(indexValue<X>(k) + displacement);
}

// The register field with H and L standing for the index register's halves.
template <Index X, int R>
uint8_t getHalfOrRegister(KiteCore& k) {
    if constexpr (R == kH) {
        return static_cast<uint8_t>(indexValue<X>(k) >> 8);
    } else if constexpr (R == kL) {
        return static_cast<uint8_t>(indexValue<X>(k));
    } else {
        return k.reg[R];
    }
}

template <Index X, int R>
void setHalfOrRegister(KiteCore& k, uint8_t value) {
    uint32_t& index = indexRegister<X>(k);
    if constexpr (R == kH) {
        index = (index & 0x00FFu) | (static_cast<uint32_t>(value) << 8);
    } else if constexpr (R == kL) {
        index = (index & 0xFF00u) | value;
    } else {
        k.reg[R] = value;
    }
}

// DD or FD before an opcode with no indexed form.
void noIndexedForm(KiteCore& k) {
    k.pc = static_cast<uint16_t>(k.pc - 1);
    --k.context.rCounter;
    charge(k, 4);
}

// ADD IX,rr (15), rr = BC, DE, IX, SP.
template <Index X, int P>
void addIndex(KiteCore& k) {
    const uint16_t operand = P == 2 ? indexValue<X>(k) : getRp<P>(k);
    indexRegister<X>(k) = add16(k, indexValue<X>(k), operand);
    charge(k, 15);
}

template <Index X>
void ldIndexImmediate(KiteCore& k) {
    indexRegister<X>(k) = fetchWord(k);
    charge(k, 14);
}

template <Index X>
void ldAbsoluteIndex(KiteCore& k) {
    writeWord(k, fetchWord(k), indexValue<X>(k));
    charge(k, 20);
}

template <Index X>
void ldIndexAbsolute(KiteCore& k) {
    indexRegister<X>(k) = readWord(k, fetchWord(k));
    charge(k, 20);
}

template <Index X, int Delta>
void incDecIndex(KiteCore& k) {
    indexRegister<X>(k) = static_cast<uint16_t>(indexValue<X>(k) + Delta);
    charge(k, 10);
}

// INC and DEC of IXH or IXL (8).
template <Index X, int R, bool Increment>
void incDecHalf(KiteCore& k) {
    const uint8_t value = getHalfOrRegister<X, R>(k);
    setHalfOrRegister<X, R>(k, Increment ? inc8(k, value) : dec8(k, value));
    charge(k, 8);
}

// LD IXH,n and LD IXL,n (11).
template <Index X, int R>
void ldHalfImmediate(KiteCore& k) {
    setHalfOrRegister<X, R>(k, fetchByte(k));
    charge(k, 11);
}

// INC (IX+d) and DEC (IX+d) (23).
template <Index X, bool Increment>
void incDecIndexed(KiteCore& k) {
    const uint16_t address = indexedAddress<X>(k);
    const uint8_t value = readByte(k, address);
    writeByte(k, address, Increment ? inc8(k, value) : dec8(k, value));
    charge(k, 23);
}

// LD (IX+d),n (19): the displacement comes before the immediate.
template <Index X>
void ldIndexedImmediate(KiteCore& k) {
    const uint16_t address = indexedAddress<X>(k);
    writeByte(k, address, fetchByte(k));
    charge(k, 19);
}

// LD r,r' with IXH or IXL on either side (8).
template <Index X, int Dst, int Src>
void ldHalves(KiteCore& k) {
    setHalfOrRegister<X, Dst>(k, getHalfOrRegister<X, Src>(k));
    charge(k, 8);
}

// LD r,(IX+d) and LD (IX+d),r (19) use the real H and L.
template <Index X, int R>
void ldRegisterIndexed(KiteCore& k) {
    k.reg[R] = readByte(k, indexedAddress<X>(k));
    charge(k, 19);
}

template <Index X, int R>
void ldIndexedRegister(KiteCore& k) {
    writeByte(k, indexedAddress<X>(k), k.reg[R]);
    charge(k, 19);
}

// ALU A,IXH / IXL (8) and ALU A,(IX+d) (19).
template <Index X, int Y, int R>
void aluHalf(KiteCore& k) {
    alu<aluOpOf(Y)>(k, getHalfOrRegister<X, R>(k));
    charge(k, 8);
}

template <Index X, int Y>
void aluIndexed(KiteCore& k) {
    alu<aluOpOf(Y)>(k, readByte(k, indexedAddress<X>(k)));
    charge(k, 19);
}

// POP IX (14), PUSH IX (15), EX (SP),IX (23), JP (IX) (8), LD SP,IX (10).
template <Index X>
void popIndex(KiteCore& k) {
    indexRegister<X>(k) = pop(k);
    charge(k, 14);
}

template <Index X>
void pushIndex(KiteCore& k) {
    push(k, indexValue<X>(k));
    charge(k, 15);
}

template <Index X>
void exSpIndex(KiteCore& k) {
    const auto sp = static_cast<uint16_t>(k.context.sp);
    const uint16_t value = readWord(k, sp);
    const uint16_t index = indexValue<X>(k);
    writeByte(k, static_cast<uint16_t>(sp + 1), static_cast<uint8_t>(index >> 8));
    writeByte(k, sp, static_cast<uint8_t>(index));
    indexRegister<X>(k) = value;
    charge(k, 23);
}

template <Index X>
void jpIndex(KiteCore& k) {
    k.pc = indexValue<X>(k);
    charge(k, 8);
}

template <Index X>
void ldSpIndex(KiteCore& k) {
    k.context.sp = indexValue<X>(k);
    charge(k, 10);
}

// DD CB d op / FD CB d op: the CB was counted by the prefix that fetched it;
// the displacement and the fourth byte come through the fetch pages without
// touching R, and the shared table's handler charges the whole instruction.
template <Index X>
void indexBitPrefix(KiteCore& k) {
    const uint16_t address = indexedAddress<X>(k);
    const uint8_t operation = fetchByte(k);
    k.tables->indexCb[operation](k, address);
}

constexpr bool isHalf(int r) { return r == kH || r == kL; }

// One opcode of the LD block 40-7F: (IX+d) in the (HL) slot, IXH and IXL in
// place of H and L; the opcodes naming neither have no indexed form.
template <Index X, int Dst, int Src>
void installLd(KiteHandler (&table)[256]) {
    constexpr int kOpcode = 0x40 | (Dst << 3) | Src;
    if constexpr (Dst == kMemoryOperand && Src == kMemoryOperand) {
        // HALT
    } else if constexpr (Dst == kMemoryOperand) {
        table[kOpcode] = ldIndexedRegister<X, Src>;
    } else if constexpr (Src == kMemoryOperand) {
        table[kOpcode] = ldRegisterIndexed<X, Dst>;
    } else if constexpr (isHalf(Dst) || isHalf(Src)) {
        table[kOpcode] = ldHalves<X, Dst, Src>;
    }
}

// One opcode of the ALU block 80-BF.
template <Index X, int Y, int Src>
void installAlu(KiteHandler (&table)[256]) {
    constexpr int kOpcode = 0x80 | (Y << 3) | Src;
    if constexpr (Src == kMemoryOperand) {
        table[kOpcode] = aluIndexed<X, Y>;
    } else if constexpr (isHalf(Src)) {
        table[kOpcode] = aluHalf<X, Y, Src>;
    }
}

template <Index X, int Row, int... Column>
void installRow(KiteHandler (&table)[256], std::integer_sequence<int, Column...>) {
    (installLd<X, Row, Column>(table), ...);
    (installAlu<X, Row, Column>(table), ...);
}

template <Index X, int... Row>
void installBlocks(KiteHandler (&table)[256], std::integer_sequence<int, Row...>) {
    (installRow<X, Row>(table, std::make_integer_sequence<int, 8>{}), ...);
}

template <Index X>
void installIndexTable(KiteHandler (&table)[256]) {
    table[0x09] = addIndex<X, 0>;
    table[0x19] = addIndex<X, 1>;
    table[0x29] = addIndex<X, 2>;
    table[0x39] = addIndex<X, 3>;
    table[0x21] = ldIndexImmediate<X>;
    table[0x22] = ldAbsoluteIndex<X>;
    table[0x2A] = ldIndexAbsolute<X>;
    table[0x23] = incDecIndex<X, 1>;
    table[0x2B] = incDecIndex<X, -1>;
    table[0x24] = incDecHalf<X, kH, true>;
    table[0x25] = incDecHalf<X, kH, false>;
    table[0x2C] = incDecHalf<X, kL, true>;
    table[0x2D] = incDecHalf<X, kL, false>;
    table[0x26] = ldHalfImmediate<X, kH>;
    table[0x2E] = ldHalfImmediate<X, kL>;
    table[0x34] = incDecIndexed<X, true>;
    table[0x35] = incDecIndexed<X, false>;
    table[0x36] = ldIndexedImmediate<X>;
    installBlocks<X>(table, std::make_integer_sequence<int, 8>{});
    table[0xE1] = popIndex<X>;
    table[0xE5] = pushIndex<X>;
    table[0xE3] = exSpIndex<X>;
    table[0xE9] = jpIndex<X>;
    table[0xF9] = ldSpIndex<X>;
    table[0xCB] = indexBitPrefix<X>;
    for (KiteHandler& entry : table) {
        if (entry == nullptr) {
            entry = noIndexedForm;
        }
    }
}

}  // namespace

void installIndexOps(KiteDecodeTables& t) {
    installIndexTable<Index::ix>(t.dd);
    installIndexTable<Index::iy>(t.fd);
}

}  // namespace vimo::kite
