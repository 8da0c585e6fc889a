// The Zeta decode tables: which entries are implemented and which lead to the
// invalid-instruction exit, against the documented instruction set the core
// implements (documented Z80 instructions plus the IXH/IXL/IYH/IYL forms).
#include <gtest/gtest.h>

#include <set>

#include "z80/zeta/handlers.h"
#include "zeta_fixture.h"
#include "zeta_opcodes.h"

namespace vimo::test {
namespace {

OpcodeSet range(int first, int last) {
    OpcodeSet s;
    for (int op = first; op <= last; ++op) {
        s.insert(op);
    }
    return s;
}

OpcodeSet implemented(const ZetaHandler (&table)[256]) {
    OpcodeSet s;
    for (int op = 0; op < 256; ++op) {
        if (!zetaIsInvalidHandler(table[op])) {
            s.insert(op);
        }
    }
    return s;
}

TEST(ZetaDecode, MainAndCbTablesAreComplete) {
    const ZetaDecodeTables& t = zetaDecodeTables();
    EXPECT_EQ(implemented(t.main).size(), 256u);
    EXPECT_EQ(implemented(t.cb).size(), 256u);
}

TEST(ZetaDecode, EdTableImplementsTheDocumentedInstructions) {
    EXPECT_EQ(kZetaEdOpcodes.size(), 58u);
    EXPECT_EQ(implemented(zetaDecodeTables().ed), kZetaEdOpcodes);
}

TEST(ZetaDecode, EdInvalidEntriesIncludeTheUndocumentedMirrors) {
    OpcodeSet invalid = range(0x00, 0x3F);
    for (int op : {0x4C, 0x4E, 0x54, 0x55, 0x5C, 0x5D, 0x70, 0x71}) {
        invalid.insert(op);
    }
    for (const OpcodeSet& part : {range(0x64, 0x66), range(0x6C, 0x6E), range(0x74, 0x77), range(0x7C, 0x7F),
                                  range(0x80, 0x9F), range(0xA4, 0xA7), range(0xAC, 0xAF), range(0xB4, 0xB7),
                                  range(0xBC, 0xFF)}) {
        invalid.insert(part.begin(), part.end());
    }
    EXPECT_EQ(invalid.size(), 198u);
    const ZetaDecodeTables& t = zetaDecodeTables();
    for (int op : invalid) {
        EXPECT_TRUE(zetaIsInvalidHandler(t.ed[op])) << std::hex << "ED " << op;
    }
}

TEST(ZetaDecode, DdAndFdImplementTheSameOpcodes) {
    EXPECT_EQ(kZetaIndexOpcodes.size(), 86u);
    EXPECT_EQ(implemented(zetaDecodeTables().dd), kZetaIndexOpcodes);
    EXPECT_EQ(implemented(zetaDecodeTables().fd), kZetaIndexOpcodes);
}

TEST(ZetaDecode, IndexBitTableImplementsOnlyTheMemoryFormsButSll) {
    OpcodeSet expected;
    for (int op = 0; op < 256; ++op) {
        if (zetaImplementsIndexBit(op)) {
            expected.insert(op);
        }
    }
    EXPECT_EQ(expected.size(), 31u);
    EXPECT_EQ(implemented(zetaDecodeTables().indexCb), expected);
}

class ZetaPrefixDispatch : public ZetaTest {};

TEST_F(ZetaPrefixDispatch, PrefixesChargeNothingOfTheirOwn) {
    // BIT 0,B is 8 with its prefix; LD IX,nn 14; SET 0,(IX+0) 23.
    load(0, {0xCB, 0x40, 0xDD, 0x21, 0x00, 0x30, 0xDD, 0xCB, 0x00, 0xC6});
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(step(), 23u);
    EXPECT_EQ(memory[0x3000], 0x01);
    EXPECT_EQ(ctx().pc, 10);
}

}  // namespace
}  // namespace vimo::test
