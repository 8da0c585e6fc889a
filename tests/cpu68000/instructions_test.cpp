// Instruction behaviour this core fixes where the instruction set leaves room
// (decoding departures, flag choices, MOVEM/MOVEP/LINK/UNLK rules, shift
// counts) and spot checks of the cost table. Expected values come from the
// 68000 instruction set and the cost table, not from running the core.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "rig.h"

namespace vimo::test {
namespace {

constexpr uint16_t kStop = 0x4E72;
constexpr uint16_t kSrX = 0x10, kSrN = 0x08, kSrZ = 0x04, kSrV = 0x02, kSrC = 0x01;

// Runs `words` at 0x1000 as one instruction (exec(0)) after `setup`.
struct Step {
    Rig rig;
    Cpu68000Context ctx{};

    Step(std::initializer_list<uint16_t> words, const std::function<void(Cpu68000Context&)>& setup = {},
         uint16_t sr = 0x2700) {
        rig.put(0x1000, words);
        rig.start(0x1000, sr);
        if (setup) rig.edit(setup);
        rig.cpu->exec(0);
        ctx = rig.context();
    }
    uint32_t cycles() const { return ctx.odometer; }
    uint16_t ccr() const { return ctx.sr & 0x1F; }
};

TEST(Decoding, ChkWordTrapsBelowZeroWithNSetAndChkLongIsIllegal) {
    Step below({0x4181}, [](Cpu68000Context& c) { c.d[0] = 0xFFFF; c.d[1] = 10; }, 0x2717);
    EXPECT_EQ(below.ctx.pc, below.rig.ram.readLong(6 * 4));
    EXPECT_EQ(below.ccr(), kSrX | kSrN);
    EXPECT_EQ(below.rig.stackedPc(), 0x1002u);
    EXPECT_EQ(below.cycles(), 40u);

    Step above({0x4181}, [](Cpu68000Context& c) { c.d[0] = 5; c.d[1] = 3; }, 0x270F);
    EXPECT_EQ(above.ccr(), 0);
    EXPECT_EQ(above.rig.stackedPc(), 0x1002u);

    Step inside({0x4181}, [](Cpu68000Context& c) { c.d[0] = 3; c.d[1] = 3; }, 0x270F);
    EXPECT_EQ(inside.ccr(), 0x0F) << "the CCR is unchanged when CHK does not trap";
    EXPECT_EQ(inside.ctx.pc, 0x1002u);
    EXPECT_EQ(inside.cycles(), 10u);

    EXPECT_STREQ(Cpu68000::opcodeName(0x4101), "illegal");
}

TEST(Decoding, DbtSkipsItsDisplacementAndLeavesTheCounter) {
    Step dbt({0x50C8, 0x0010}, [](Cpu68000Context& c) { c.d[0] = 0x1234; });
    EXPECT_EQ(dbt.ctx.d[0], 0x1234u);
    EXPECT_EQ(dbt.ctx.pc, 0x1004u);
    EXPECT_EQ(dbt.cycles(), 12u);

    Step loops({0x51C8, 0x0010}, [](Cpu68000Context& c) { c.d[0] = 0xAAAA0001; });  // DBF
    EXPECT_EQ(loops.ctx.d[0], 0xAAAA0000u);
    EXPECT_EQ(loops.ctx.pc, 0x1012u);
    EXPECT_EQ(loops.cycles(), 10u);

    Step expires({0x51C8, 0x0010}, [](Cpu68000Context& c) { c.d[0] = 0xAAAA0000; });
    EXPECT_EQ(expires.ctx.d[0], 0xAAAAFFFFu);
    EXPECT_EQ(expires.ctx.pc, 0x1004u);
    EXPECT_EQ(expires.cycles(), 14u);
}

TEST(Decoding, MoveByteFromAnAddressRegisterMovesItsLowByte) {
    Step s({0x1009}, [](Cpu68000Context& c) { c.a[1] = 0x12345680; c.d[0] = 0xFFFFFFFF; }, 0x2703);
    EXPECT_EQ(s.ctx.d[0], 0xFFFFFF80u);
    EXPECT_EQ(s.ccr(), kSrN);
    EXPECT_EQ(s.cycles(), 4u);
}

TEST(Decoding, BtstImmediateOnAnImmediateTestsTheBitModuloEight) {
    Step set({0x083C, 0x000B, 0x0008});  // BTST #11,#8: bit 3
    EXPECT_EQ(set.ccr() & kSrZ, 0);
    EXPECT_EQ(set.ctx.pc, 0x1006u);
    EXPECT_EQ(set.cycles(), 12u);
    Step clear({0x083C, 0x0002, 0x0008});
    EXPECT_EQ(clear.ccr() & kSrZ, kSrZ);
}

TEST(Decoding, AByteDisplacementOfFFBranchesToTheOddAddress) {
    Rig rig;
    rig.put(0x1000, {0x60FF});
    rig.start(0x1000);
    rig.cpu->exec(10);
    EXPECT_EQ(rig.context().pc, 0x1001u);
    EXPECT_EQ(rig.context().odometer, 10u);
}

TEST(MulDiv, CostsDependOnTheSourceBits) {
    Step mulu({0xC0C1}, [](Cpu68000Context& c) { c.d[0] = 2; c.d[1] = 0xFFFF; });
    EXPECT_EQ(mulu.ctx.d[0], 0x1FFFEu);
    EXPECT_EQ(mulu.cycles(), 38u + 32);
    Step muls({0xC1C1}, [](Cpu68000Context& c) { c.d[0] = 0xFFFE; c.d[1] = 0x5555; });
    EXPECT_EQ(muls.ctx.d[0], static_cast<uint32_t>(-2 * 0x5555));
    EXPECT_EQ(muls.ccr(), kSrN);
    EXPECT_EQ(muls.cycles(), 38u + 32);
    Step zero({0xC1C1}, [](Cpu68000Context& c) { c.d[0] = 0x1234; c.d[1] = 0; });
    EXPECT_EQ(zero.ctx.d[0], 0u);
    EXPECT_EQ(zero.ccr(), kSrZ);
    EXPECT_EQ(zero.cycles(), 38u);
}

TEST(MulDiv, DivideResultsOverflowAndZeroDivisor) {
    Step divu({0x80C1}, [](Cpu68000Context& c) { c.d[0] = 100003; c.d[1] = 10; });
    EXPECT_EQ(divu.ctx.d[0], (3u << 16) | 10000u);
    EXPECT_EQ(divu.cycles(), 133u);
    Step divs({0x81C1}, [](Cpu68000Context& c) { c.d[0] = static_cast<uint32_t>(-7); c.d[1] = 2; });
    EXPECT_EQ(divs.ctx.d[0], 0xFFFFFFFDu) << "remainder -1, quotient -3";
    EXPECT_EQ(divs.ccr(), kSrN);
    EXPECT_EQ(divs.cycles(), 150u);

    Step most({0x81C1}, [](Cpu68000Context& c) { c.d[0] = 0x80000000; c.d[1] = 0xFFFF; }, 0x271D);
    EXPECT_EQ(most.ctx.d[0], 0x80000000u);
    EXPECT_EQ(most.ccr(), kSrX | kSrV);
    EXPECT_EQ(most.cycles(), 150u);
    Step big({0x80C1}, [](Cpu68000Context& c) { c.d[0] = 0x00100000; c.d[1] = 1; });
    EXPECT_EQ(big.ctx.d[0], 0x00100000u);
    EXPECT_EQ(big.ccr() & kSrV, kSrV);

    Step byZero({0x80C1}, [](Cpu68000Context& c) { c.d[0] = 0x12345678; c.d[1] = 0; });
    EXPECT_EQ(byZero.ctx.d[0], 0x12345678u);
    EXPECT_EQ(byZero.ctx.pc, byZero.rig.ram.readLong(5 * 4));
    EXPECT_EQ(byZero.rig.stackedPc(), 0x1002u);
    EXPECT_EQ(byZero.cycles(), 38u);
}

TEST(Shifts, RegisterCountsAreModulo64AndCostTwoPerBit) {
    Step lsl({0xE3A8}, [](Cpu68000Context& c) { c.d[0] = 0x80000001; c.d[1] = 65; });
    EXPECT_EQ(lsl.ctx.d[0], 2u);
    EXPECT_EQ(lsl.ccr(), kSrX | kSrC);
    EXPECT_EQ(lsl.cycles(), 8u + 2);
    Step none({0xE3A8}, [](Cpu68000Context& c) { c.d[0] = 0x80000000; c.d[1] = 64; }, 0x2713);
    EXPECT_EQ(none.ctx.d[0], 0x80000000u);
    EXPECT_EQ(none.ccr(), kSrX | kSrN) << "count 0: X kept, V and C cleared";
    EXPECT_EQ(none.cycles(), 8u);
}

TEST(Shifts, CountsAtOrBeyondTheWidth) {
    Step lsr8({0xE228}, [](Cpu68000Context& c) { c.d[0] = 0x80; c.d[1] = 8; });  // LSR.B D1,D0
    EXPECT_EQ(lsr8.ctx.d[0], 0u);
    EXPECT_EQ(lsr8.ccr(), kSrX | kSrZ | kSrC);
    Step lsr9({0xE228}, [](Cpu68000Context& c) { c.d[0] = 0xFF; c.d[1] = 9; });
    EXPECT_EQ(lsr9.ctx.d[0], 0u);
    EXPECT_EQ(lsr9.ccr(), kSrZ);
    Step asl32({0xE3A0}, [](Cpu68000Context& c) { c.d[0] = 1; c.d[1] = 32; });  // ASL.L D1,D0
    EXPECT_EQ(asl32.ctx.d[0], 0u);
    EXPECT_EQ(asl32.ccr(), kSrX | kSrZ | kSrV | kSrC);
    Step asr({0xE260}, [](Cpu68000Context& c) { c.d[0] = 0x8000; c.d[1] = 20; });  // ASR.W D1,D0
    EXPECT_EQ(asr.ctx.d[0], 0xFFFFu);
    EXPECT_EQ(asr.ccr(), kSrX | kSrN | kSrC);
    Step roxl0({0xE330}, [](Cpu68000Context& c) { c.d[0] = 0x42; c.d[1] = 0; }, 0x2710);  // ROXL.B
    EXPECT_EQ(roxl0.ctx.d[0], 0x42u);
    EXPECT_EQ(roxl0.ccr(), kSrX | kSrC) << "count 0: C is a copy of X";
    Step roxl9({0xE330}, [](Cpu68000Context& c) { c.d[0] = 0x42; c.d[1] = 9; }, 0x2710);
    EXPECT_EQ(roxl9.ctx.d[0], 0x42u) << "nine bits rotate back into place";
    EXPECT_EQ(roxl9.ccr(), kSrX | kSrC);
    Step ror({0xE058}, [](Cpu68000Context& c) { c.d[0] = 0x1234; });  // ROR.W #8,D0
    EXPECT_EQ(ror.ctx.d[0], 0x3412u);
    EXPECT_EQ(ror.cycles(), 6u + 16);
}

TEST(Movem, PredecrementStoresFromA7DownAndCosts8PlusEightPerLong) {
    Step all({0x48E7, 0xFFFE}, [](Cpu68000Context& c) {
        for (unsigned i = 0; i < 8; ++i) c.d[i] = 0xD0 + i;
        for (unsigned i = 0; i < 7; ++i) c.a[i] = 0xA0 + i;
    });
    EXPECT_EQ(all.cycles(), 8u + 15 * 8);
    EXPECT_EQ(all.ctx.a[7], Rig::kSsp - 60);
    EXPECT_EQ(all.rig.ram.readLong(Rig::kSsp - 60), 0xD0u);
    EXPECT_EQ(all.rig.ram.readLong(Rig::kSsp - 4), 0xA6u);

    Step self({0x48E7, 0x0001});  // MOVEM.L A7,-(A7)
    EXPECT_EQ(self.rig.ram.readLong(Rig::kSsp - 4), Rig::kSsp) << "the value from before the instruction";
    EXPECT_EQ(self.ctx.a[7], Rig::kSsp - 4);
    EXPECT_EQ(self.cycles(), 16u);
}

TEST(Movem, PostincrementEndsWithTheFinalAddressAndWordsAreSignExtended) {
    Rig post;
    post.ram.writeLong(0x3000, 0x11111111);
    post.ram.writeLong(0x3004, 0x22222222);
    post.put(0x1000, {0x4CD8, 0x0101});  // MOVEM.L (A0)+,D0/A0
    post.start(0x1000);
    post.edit([](Cpu68000Context& c) { c.a[0] = 0x3000; });
    post.cpu->exec(0);
    EXPECT_EQ(post.context().d[0], 0x11111111u);
    EXPECT_EQ(post.context().a[0], 0x3008u) << "the final address, not the long loaded into A0";
    EXPECT_EQ(post.context().odometer, 12u + 16);

    Rig rig;
    rig.ram.writeWord(0x3000, 0x8000);
    rig.ram.writeWord(0x3002, 0x7FFF);
    rig.put(0x1000, {0x4C90, 0x0003});  // MOVEM.W (A0),D0-D1
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.a[0] = 0x3000; c.d[0] = c.d[1] = 0x12345678; });
    rig.cpu->exec(0);
    EXPECT_EQ(rig.context().d[0], 0xFFFF8000u);
    EXPECT_EQ(rig.context().d[1], 0x00007FFFu);
    EXPECT_EQ(rig.context().a[0], 0x3000u);
    EXPECT_EQ(rig.context().odometer, 12u + 8);
}

TEST(Movep, MovesBytesAtAlternateAddressesHighByteFirst) {
    Rig rig;
    rig.ram.writeLong(0x3000, 0xEEEEEEEE);
    rig.ram.writeLong(0x3004, 0xEEEEEEEE);
    rig.put(0x1000, {0x0188, 0x0004, 0x0348, 0x0000});  // MOVEP.W D0,(4,A0); MOVEP.L (0,A0),D1
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.a[0] = 0x3000; c.d[0] = 0xFFFF1234; });
    rig.cpu->exec(0);
    EXPECT_EQ(rig.ram.readWord(0x3004), 0x12EE);
    EXPECT_EQ(rig.ram.readWord(0x3006), 0x34EE);
    EXPECT_EQ(rig.context().odometer, 16u);
    rig.cpu->exec(0);
    EXPECT_EQ(rig.context().d[1], 0xEEEE1234u);
    EXPECT_EQ(rig.context().odometer, 16u + 24);
}

TEST(LinkUnlk, OnA7PushTheOldValueAndReloadFromTheStack) {
    Step link({0x4E57, 0xFFF8});  // LINK A7,#-8
    EXPECT_EQ(link.rig.ram.readLong(Rig::kSsp - 4), Rig::kSsp);
    EXPECT_EQ(link.ctx.a[7], Rig::kSsp - 4 - 8);
    EXPECT_EQ(link.cycles(), 16u);

    Rig rig;
    rig.ram.writeLong(0x7000, 0x00005555);
    rig.put(0x1000, {0x4E5F});  // UNLK A7
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.a[7] = 0x7000; });
    rig.cpu->exec(0);
    EXPECT_EQ(rig.context().a[7], 0x5555u);
    EXPECT_EQ(rig.context().odometer, 12u);
}

TEST(Tas, ReadsAndWritesThroughTheByteListsAsTwoAccesses) {
    static std::vector<uint32_t> log;
    log.clear();
    Rig rig;
    auto read = [](uint32_t address, const DataRegion*) -> uint32_t {
        log.push_back(address);
        return 0x40;
    };
    auto write = [](uint32_t address, uint32_t data, const DataRegion*) {
        log.push_back(address);
        log.push_back(data);
    };
    rig.ram.addDataRegion(M68kMemory::DataList::readByte, DataRegion::reader(0x20000, 0x2FFFF, read));
    rig.ram.addDataRegion(M68kMemory::DataList::writeByte, DataRegion::writer(0x20000, 0x2FFFF, write));
    rig.put(0x1000, {0x4AD0});  // TAS (A0)
    rig.start(0x1000, 0x2703);
    rig.edit([](Cpu68000Context& c) { c.a[0] = 0x20001; });
    rig.cpu->exec(0);
    EXPECT_EQ(log, (std::vector<uint32_t>{0x20001, 0x20001, 0xC0}));
    EXPECT_EQ(rig.context().sr & 0x1F, 0);
    EXPECT_EQ(rig.context().odometer, 14u + 4);
}

TEST(Bcd, DecimalAdjustWithXAndTheStickyZ) {
    Step add({0xC101}, [](Cpu68000Context& c) { c.d[0] = 0x45; c.d[1] = 0x38; }, 0x2700);  // ABCD D1,D0
    EXPECT_EQ(add.ctx.d[0], 0x83u);
    EXPECT_EQ(add.ccr(), kSrN);
    EXPECT_EQ(add.cycles(), 6u);
    Step carry({0xC101}, [](Cpu68000Context& c) { c.d[0] = 0x99; c.d[1] = 0x01; }, 0x2706);
    EXPECT_EQ(carry.ctx.d[0], 0u);
    EXPECT_EQ(carry.ccr(), kSrX | kSrZ | kSrC) << "Z kept for a zero result, V cleared";
    Step clears({0xC101}, [](Cpu68000Context& c) { c.d[0] = 0x01; c.d[1] = 0x01; }, 0x2714);
    EXPECT_EQ(clears.ctx.d[0], 0x03u);
    EXPECT_EQ(clears.ccr() & kSrZ, 0);
    Step sub({0x8101}, [](Cpu68000Context& c) { c.d[0] = 0x42; c.d[1] = 0x17; });  // SBCD D1,D0
    EXPECT_EQ(sub.ctx.d[0], 0x25u);
    Step borrow({0x8101}, [](Cpu68000Context& c) { c.d[0] = 0x00; c.d[1] = 0x01; });
    EXPECT_EQ(borrow.ctx.d[0], 0x99u);
    EXPECT_EQ(borrow.ccr(), kSrX | kSrN | kSrC);
    Step negate({0x4800}, [](Cpu68000Context& c) { c.d[0] = 0x01; });  // NBCD D0
    EXPECT_EQ(negate.ctx.d[0], 0x99u);
    EXPECT_EQ(negate.ccr() & (kSrX | kSrC), kSrX | kSrC);
}

TEST(Extend, AddxKeepsZForAZeroResultAndClearsItOtherwise) {
    Step zero({0xD181}, [](Cpu68000Context& c) { c.d[0] = 0xFFFFFFFF; c.d[1] = 0; }, 0x2714);  // ADDX.L D1,D0
    EXPECT_EQ(zero.ctx.d[0], 0u);
    EXPECT_EQ(zero.ccr(), kSrX | kSrZ | kSrC);
    Step nonzero({0xD181}, [](Cpu68000Context& c) { c.d[0] = 1; c.d[1] = 1; }, 0x2704);
    EXPECT_EQ(nonzero.ctx.d[0], 2u);
    EXPECT_EQ(nonzero.ccr(), 0);
}

// Cost table spot checks: one instruction each, registers set so that no
// exception happens.
TEST(Costs, MatchTheCostTable) {
    const struct {
        std::vector<uint16_t> words;
        uint32_t cycles;
        const char* what;
    } rows[] = {
        {{0x2010}, 12, "MOVE.L (A0),D0"},
        {{0x2080}, 12, "MOVE.L D0,(A0)"},
        {{0x3028, 0x0010}, 12, "MOVE.W (d16,A0),D0"},
        {{0x21C0, 0x3000}, 16, "MOVE.L D0,abs.W"},
        {{0xD081}, 8, "ADD.L D1,D0"},
        {{0xD090}, 14, "ADD.L (A0),D0"},
        {{0xD150}, 12, "ADD.W D0,(A0)"},
        {{0xB041}, 4, "CMP.W D1,D0"},
        {{0xB081}, 6, "CMP.L D1,D0"},
        {{0xD0C0}, 8, "ADDA.W D0,A0"},
        {{0xD1C0}, 8, "ADDA.L D0,A0"},
        {{0xD1D1}, 14, "ADDA.L (A1),A0"},
        {{0xB1C1}, 6, "CMPA.L D1,A0"},
        {{0x0000, 0x0012}, 8, "ORI.B #,D0"},
        {{0x0080, 0x0000, 0x0012}, 16, "ORI.L #,D0"},
        {{0x0280, 0xFFFF, 0xFFFF}, 14, "ANDI.L #,D0"},
        {{0x0C80, 0x0000, 0x0000}, 14, "CMPI.L #,D0"},
        {{0x0650, 0x0001}, 16, "ADDI.W #,(A0)"},
        {{0x023C, 0x00FF}, 20, "ANDI #,CCR"},
        {{0x4250}, 10, "CLR.W (A0)"},
        {{0x4280}, 8, "CLR.L D0"},
        {{0x4290}, 20, "CLR.L (A0)"},
        {{0x5248}, 4, "ADDQ.W #1,A0"},
        {{0x5348}, 8, "SUBQ.W #1,A0"},
        {{0x5288}, 8, "ADDQ.L #1,A0"},
        {{0x5250}, 12, "ADDQ.W #1,(A0)"},
        {{0x4680}, 6, "NOT.L D0"},
        {{0x4410}, 12, "NEG.B (A0)"},
        {{0x4A90}, 12, "TST.L (A0)"},
        {{0x50C0}, 6, "ST D0"},
        {{0x51C0}, 4, "SF D0"},
        {{0x50D0}, 12, "ST (A0)"},
        {{0x40C0}, 6, "MOVE SR,D0"},
        {{0x40D0}, 12, "MOVE SR,(A0)"},
        {{0x44C0}, 12, "MOVE D0,CCR"},
        {{0x4800}, 6, "NBCD D0"},
        {{0x4AC0}, 4, "TAS D0"},
        {{0x4840}, 4, "SWAP D0"},
        {{0x48C0}, 4, "EXT.L D0"},
        {{0xC141}, 6, "EXG D0,D1"},
        {{0x43D0}, 4, "LEA (A0),A1"},
        {{0x43F9, 0x0000, 0x3000}, 12, "LEA abs.L,A1"},
        {{0x4850}, 12, "PEA (A0)"},
        {{0x4870, 0x0000}, 20, "PEA (d8,A0,Xn)"},
        {{0x4E90}, 16, "JSR (A0)"},
        {{0x4ED0}, 8, "JMP (A0)"},
        {{0x4EE8, 0x0000}, 10, "JMP (d16,A0)"},
        {{0x4E56, 0xFFFC}, 16, "LINK A6"},
        {{0x6700 | 0x02}, 8, "BEQ.S not taken"},
        {{0x6600 | 0x02}, 10, "BNE.S taken"},
        {{0x6700, 0x0010}, 12, "BEQ.W not taken"},
        {{0x6100, 0x0010}, 18, "BSR.W"},
        {{0x0100}, 6, "BTST D0,D0"},
        {{0x0150}, 12, "BCHG D0,(A0)"},
        {{0x08C0, 0x0001}, 12, "BSET #1,D0"},
        {{0x0890, 0x0001}, 16, "BCLR #1,(A0)"},
        {{0xE1D0}, 12, "ASL.W (A0)"},
        {{0xE198}, 24, "ROL.L #8,D0"},
        {{0xE548}, 10, "LSL.W #2,D0"},
        {{0xD380}, 8, "ADDX.L D0,D1"},
        {{0xD388}, 30, "ADDX.L -(A0),-(A1)"},
        {{0xB308}, 12, "CMPM.B (A0)+,(A1)+"},
        {{0xB388}, 20, "CMPM.L (A0)+,(A1)+"},
        {{0xC308}, 18, "ABCD -(A0),-(A1)"},
        {{0x4E71}, 4, "NOP"},
        {{0x4E76}, 4, "TRAPV without V"},
        {{0x7001}, 4, "MOVEQ"},
        {{0x4E60}, 4, "MOVE A0,USP"},
        {{0x48D0, 0x0003}, 24, "MOVEM.L D0-D1,(A0)"},
        {{0x4C98, 0x0003}, 20, "MOVEM.W (A0)+,D0-D1"},
        {{0x4CF9, 0x0001, 0x0000, 0x3000}, 28, "MOVEM.L abs.L,D0"},
    };
    for (const auto& row : rows) {
        Rig rig;
        uint32_t at = 0x1000;
        for (uint16_t w : row.words) at = rig.put(at, {w});
        rig.start(0x1000, 0x2700);
        rig.edit([](Cpu68000Context& c) {
            c.a[0] = 0x3000;
            c.a[1] = 0x3100;
            c.d[0] = 1;
        });
        rig.cpu->exec(0);
        EXPECT_EQ(rig.context().odometer, row.cycles) << row.what;
    }
}

TEST(Costs, TrapvAndTrapCosts) {
    Step trapv({0x4E76}, {}, 0x2702);
    EXPECT_EQ(trapv.ctx.pc, trapv.rig.ram.readLong(7 * 4));
    EXPECT_EQ(trapv.rig.stackedPc(), 0x1002u);
    EXPECT_EQ(trapv.cycles(), 38u);
    Step trap({0x4E45});
    EXPECT_EQ(trap.ctx.pc, trap.rig.ram.readLong(37 * 4));
    EXPECT_EQ(trap.cycles(), 34u);
    Step stop({kStop, 0x0011});
    EXPECT_EQ(stop.ctx.sr, 0x0011) << "S cleared: A7 and the lists switch";
    EXPECT_EQ(stop.ctx.a[7], Rig::kUsp);
    EXPECT_EQ(stop.ctx.otherSp, Rig::kSsp);
    EXPECT_EQ(stop.ctx.interrupts[0] & 1, 1);
    EXPECT_EQ(stop.cycles(), 4u);
}

}  // namespace
}  // namespace vimo::test
