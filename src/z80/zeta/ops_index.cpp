// The DD and FD families: the instructions on IX and IY, the (IX+d) and
// (IY+d) forms, the IXH, IXL, IYH and IYL forms, and the DD CB / FD CB entry.
// Both tables hold the same handlers at the same opcodes, one set working on
// IX and one on IY; the opcodes without an indexed form are invalid. Most of
// the family is shared with the other core (index_ops.h); the stack
// instructions and the DD CB / FD CB entry follow this core's bus rules.
#include "z80/index_ops.h"
#include "z80/zeta/alu.h"
#include "z80/zeta/handlers.h"

namespace vimo::zeta {
namespace {

using z80::Index;
using z80::indexRegister;

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
void installIndexTable(ZetaHandler (&table)[256]) {
    z80::installSharedIndex<Cpu, X>(table);
    table[0xE1] = popIndex<X>;
    table[0xE5] = pushIndex<X>;
    table[0xE3] = exSpIndex<X>;
    table[0xCB] = prefixIndexCb<X>;
}

}  // namespace

void installIndexOps(ZetaDecodeTables& t) {
    installIndexTable<Index::ix>(t.dd);
    installIndexTable<Index::iy>(t.fd);
}

}  // namespace vimo::zeta
