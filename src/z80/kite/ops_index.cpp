// The DD and FD families: the instructions on IX and IY, the (IX+d) and
// (IY+d) forms, the IXH, IXL, IYH and IYL forms, and the DD CB / FD CB entry.
// Both tables hold the same handlers at the same opcodes, one set working on
// IX and one on IY. Most of the family is shared with the other core
// (index_ops.h); the stack instructions, the DD CB / FD CB entry and the
// opcodes with no indexed form follow this core's own rules.
//
// Before an opcode with no indexed form the prefix is an instruction of its
// own: it costs 4 and does nothing, and PC steps back so that the opcode runs
// next from the main table. R counts the opcode once, when it runs.
#include "z80/index_ops.h"
#include "z80/kite/alu.h"
#include "z80/kite/handlers.h"

namespace vimo::kite {
namespace {

using z80::Index;
using z80::indexRegister;
using z80::indexValue;
using z80::indexedAddress;

// DD or FD before an opcode with no indexed form.
void noIndexedForm(KiteCore& k) {
    k.pc = static_cast<uint16_t>(k.pc - 1);
    --k.context.rCounter;
    charge(k, 4);
}

// POP IX (14), PUSH IX (15) and EX (SP),IX (23) through the read and write
// pages.
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

// DD CB d op / FD CB d op: the CB was counted by the prefix that fetched it;
// the displacement and the fourth byte come through the fetch pages without
// touching R, and the shared table's handler charges the whole instruction.
template <Index X>
void indexBitPrefix(KiteCore& k) {
    const uint16_t address = indexedAddress<Cpu, X>(k);
    const uint8_t operation = fetchByte(k);
    k.tables->indexCb[operation](k, address);
}

template <Index X>
void installIndexTable(KiteHandler (&table)[256]) {
    z80::installSharedIndex<Cpu, X>(table);
    table[0xE1] = popIndex<X>;
    table[0xE5] = pushIndex<X>;
    table[0xE3] = exSpIndex<X>;
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
