// The decoder's pieces: each instruction family classifies the opcode words
// it owns; decode.cpp asks them in turn and builds the shared packed table.
// Internal to the core.
#pragma once

#include "cpu68000/operands.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vimo {

namespace m68k {

using Handler = void (*)(Cpu68000&, uint16_t opcode);

// A handler and the instruction name the decode census reports for it. A
// null handler: the family does not own the opcode.
struct Decoded {
    Handler handler = nullptr;
    const char* name = nullptr;
};

// The family decoders (one per ops_*.cpp).
Decoded decodeMoveFamily(uint16_t opcode);
Decoded decodeArithFamily(uint16_t opcode);
Decoded decodeLogicFamily(uint16_t opcode);
Decoded decodeBitFamily(uint16_t opcode);
Decoded decodeShiftFamily(uint16_t opcode);
Decoded decodeBcdFamily(uint16_t opcode);
Decoded decodeMulDivFamily(uint16_t opcode);
Decoded decodeBranchFamily(uint16_t opcode);
Decoded decodeSystemFamily(uint16_t opcode);
Decoded decodeMovemFamily(uint16_t opcode);

// The illegal, line A and line F handlers (ops_system.cpp).
Decoded illegalInstruction();
Decoded lineAInstruction();
Decoded lineFInstruction();

// The whole classification of one opcode word.
Decoded decode(uint16_t opcode);

// Turning run-time fields into template arguments: `make` is a generic
// lambda whose template parameter is the size, mode or condition.
template <typename Make> Handler forSize(Size s, Make make) {
    switch (s) {
    case Size::Byte: return make.template operator()<Size::Byte>();
    case Size::Word: return make.template operator()<Size::Word>();
    case Size::Long: return make.template operator()<Size::Long>();
    }
    return nullptr;
}

template <typename Make> Handler forMode(Mode m, Make make) {
    switch (m) {
    case Mode::Dn: return make.template operator()<Mode::Dn>();
    case Mode::An: return make.template operator()<Mode::An>();
    case Mode::Ind: return make.template operator()<Mode::Ind>();
    case Mode::PostInc: return make.template operator()<Mode::PostInc>();
    case Mode::PreDec: return make.template operator()<Mode::PreDec>();
    case Mode::Disp: return make.template operator()<Mode::Disp>();
    case Mode::Index: return make.template operator()<Mode::Index>();
    case Mode::AbsW: return make.template operator()<Mode::AbsW>();
    case Mode::AbsL: return make.template operator()<Mode::AbsL>();
    case Mode::PcDisp: return make.template operator()<Mode::PcDisp>();
    case Mode::PcIndex: return make.template operator()<Mode::PcIndex>();
    case Mode::Imm: return make.template operator()<Mode::Imm>();
    }
    return nullptr;
}

template <typename Make, unsigned... C>
Handler forConditionIn(unsigned cond, Make make, std::integer_sequence<unsigned, C...>) {
    Handler handler = nullptr;
    static_cast<void>(((cond == C ? (handler = make.template operator()<C>(), true) : false) || ...));
    return handler;
}

template <typename Make> Handler forCondition(unsigned cond, Make make) {
    return forConditionIn(cond & 15, make, std::make_integer_sequence<unsigned, 16>{});
}

// The standard two-bit size field (bits 7-6): 00 byte, 01 word, 10 long.
inline bool sizeField(unsigned field, Size& out) {
    if (field > 2) return false;
    out = static_cast<Size>(field);
    return true;
}

// The source mode in bits 5-3 and 2-0.
inline bool sourceMode(uint16_t opcode, Mode& out) { return modeOf((opcode >> 3) & 7, opcode & 7, out); }

// Names by size: {".b", ".w", ".l"} appended to a mnemonic.
struct SizedName {
    const char* byte;
    const char* word;
    const char* longWord;
    const char* operator[](Size s) const { return s == Size::Byte ? byte : s == Size::Word ? word : longWord; }
};

// The sixteen condition mnemonics in condition-code order.
inline constexpr const char* kConditionNames[16] = {"t",  "f",  "hi", "ls", "cc", "cs", "ne", "eq",
                                                    "vc", "vs", "pl", "mi", "ge", "lt", "gt", "le"};

}  // namespace m68k

// The shared run-length table: bits 31-24 run length - 1, bits 23-0 index
// into `handlers`.
struct Cpu68000::PackedTable {
    std::vector<uint32_t> runs;
    std::vector<Handler> handlers;
};

}  // namespace vimo
