// The Kite run loop: budgets and the end rule, owed acceptance cycles, HALT,
// the window after EI, interrupts in modes 0, 1 and 2, the NMI, R, the calls
// that end or extend a run, and what bus handlers see and may do during a
// run.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kite_fixture.h"

namespace vimo::test {
namespace {

using namespace opcodes;  // the hand-assembled opcodes (z80_test_names.h)

// ---- budgets -----------------------------------------------------------------

class KiteBudget : public KiteTest {};

TEST_F(KiteBudget, RunEndsWhenTheCountIsUsedUpAndReportsTheOverrun) {
    // NOPs (4 each) with a budget of 10: 10 -> 6 -> 2 -> -2, three NOPs.
    EXPECT_EQ(run(10), 12);
    EXPECT_EQ(pc(), 3);
    EXPECT_EQ(kiteCyclesDone(k()), 12);
}

TEST_F(KiteBudget, BudgetExactlyUsedUpEndsTheRun) {
    // 8 -> 4 -> 0: two NOPs, no overrun.
    EXPECT_EQ(run(8), 8);
    EXPECT_EQ(pc(), 2);
}

TEST_F(KiteBudget, ZeroBudgetRunsExactlyOneInstruction) {
    load(0, {kIncA, kIncA});
    EXPECT_EQ(run(0), 4);
    EXPECT_EQ(pc(), 1);
    EXPECT_EQ(a(), 1);
}

TEST_F(KiteBudget, NegativeBudgetCountsAsZero) {
    load(0, {kIncA, kIncA});
    EXPECT_EQ(run(-50), 4);
    EXPECT_EQ(a(), 1);
}

TEST_F(KiteBudget, HugeBudgetSaturatesTheCount) {
    load(0, {kHalt});
    EXPECT_EQ(run(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
}

TEST_F(KiteBudget, StopCountsOnlyTheCyclesRunAndTimesliceEndCountsTheBudget) {
    static KiteCore* target = nullptr;
    static int mode = 0;
    target = &k();
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t, uint32_t) {
        if (mode == 0) {
            kiteStop(*target);
        } else if (mode == 1) {
            kiteEndTimeslice(*target);
        } else {
            kiteAddCycles(*target, 1000);
        }
    });
    // NOP, NOP, LD (0x8000),A (13), NOP ...
    load(0, {kNop, kNop, 0x32, 0x00, 0x80});
    mode = 0;
    EXPECT_EQ(run(100), 4 + 4 + 13);
    EXPECT_EQ(pc(), 5) << "the run ends after the instruction whose handler stopped it";
    set(kKitePC, 0);
    mode = 1;
    EXPECT_EQ(run(100), 100 + 13) << "the whole budget, plus the cost of the instruction under way";
    set(kKitePC, 0);
    mode = 2;
    EXPECT_EQ(run(100), 1000 + 21 + 80) << "added cycles count as done without lengthening the run";
    target = nullptr;
}

TEST_F(KiteBudget, CyclesDoneFromAHandlerCountsTheInstructionsBeforeIt) {
    static KiteCore* target = nullptr;
    static int32_t seen = -1;
    target = &k();
    kiteAddReadRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t) -> uint32_t {
        seen = kiteCyclesDone(*target);
        return 0;
    });
    load(0, {kNop, kNop, 0x3A, 0x00, 0x80});  // LD A,(0x8000)
    run(100);
    EXPECT_EQ(seen, 8);
    target = nullptr;
}

// ---- HALT -------------------------------------------------------------------------

class KiteHalt : public KiteTest {};

TEST_F(KiteHalt, HaltedCpuTakesUpTheRunInFourCycleSteps) {
    load(0, {kIncA});
    set(kKiteHalted, 1);
    EXPECT_EQ(run(227), 228) << "227 - (227 & 3) + 4";
    EXPECT_EQ(run(228), 232);
    EXPECT_EQ(run(0), 4);
    EXPECT_EQ(pc(), 0);
    EXPECT_EQ(a(), 0);
}

TEST_F(KiteHalt, HaltHaltsWithPcAfterItAndEndsTheRun) {
    load(0, {kNop, kHalt, kIncA});
    // NOP leaves 96; HALT takes the rest: (96 & 3) - 4 = -4.
    EXPECT_EQ(run(100), 104);
    EXPECT_EQ(pc(), 2);
    EXPECT_EQ(reg(kKiteHalted), 1u);
    EXPECT_EQ(run(100), 104) << "later runs end the same way at once";
    EXPECT_EQ(a(), 0);
}

TEST_F(KiteHalt, InterruptEndsTheHaltAndReturnsAfterIt) {
    load(0, {kEd, kIm1, kEi, kHalt, kIncA});
    load(0x38, {kEi, 0xC9});  // EI; RET
    set(kKiteSP, 0x8000);
    run(100);
    ASSERT_EQ(reg(kKiteHalted), 1u);
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(reg(kKiteHalted), 0u);
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(word(0x7FFE), 0x0004) << "the address after the HALT";
}

// ---- interrupts --------------------------------------------------------------------

class KiteInterrupts : public KiteTest {
protected:
    KiteInterrupts() { set(kKiteSP, 0x8000); }
    void enable(uint8_t mode) {
        set(kKiteIM, mode);
        set(kKiteIFF1, 1);
        set(kKiteIFF2, 1);
    }
};

TEST_F(KiteInterrupts, ModeOneBetweenRunsIsAcceptedAtOnceAndOwedToTheNextRun) {
    enable(1);
    set(kKitePC, 0x1234);
    set(kKiteIR, 0x0005);
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(sp(), 0x7FFE);
    EXPECT_EQ(word(0x7FFE), 0x1234);
    EXPECT_EQ(reg(kKiteIFF1), 0u);
    EXPECT_EQ(reg(kKiteIFF2), 0u);
    EXPECT_EQ(reg(kKiteIrqLine), 0u);
    EXPECT_EQ(r(), 6) << "acceptance counts R once";
    // The next run reports its own cycles plus the 13 owed.
    EXPECT_EQ(run(227), 13 + 228) << "NOPs: 227 rounds up to 228";
    EXPECT_EQ(run(227), 228) << "owed once only";
}

TEST_F(KiteInterrupts, OwedCyclesDoNotLengthenTheRun) {
    enable(1);
    kiteRaiseIrq(k(), 0xFF);
    load(0x38, {kIncA, kIncA, kIncA});
    EXPECT_EQ(run(0), 4 + 13) << "exactly one instruction, and the owed cycles";
    EXPECT_EQ(a(), 1);
}

TEST_F(KiteInterrupts, ModeZeroTakesTheDataBusByteAsARestart) {
    enable(0);
    kiteRaiseIrq(k(), 0xCF);  // RST 08
    EXPECT_EQ(pc(), 0x08);
    EXPECT_EQ(run(0), 4 + 13);
    enable(0);
    kiteRaiseIrq(k(), 0xFF);  // RST 38
    EXPECT_EQ(pc(), 0x38);
}

TEST_F(KiteInterrupts, ModeTwoReadsTheVectorWord) {
    enable(2);
    set(kKiteIR, 0x1200);
    load(0x1234, {0x78, 0x56});
    kiteRaiseIrq(k(), 0x34);
    EXPECT_EQ(pc(), 0x5678);
    EXPECT_EQ(run(0), 4 + 19);
}

TEST_F(KiteInterrupts, ModeTwoVectorWrapsAtTheTopOfTheSpace) {
    enable(2);
    set(kKiteIR, 0xFF00);
    load(0xFFFF, {0x34});
    load(0x0000, {0x12});
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(pc(), 0x1234);
}

TEST_F(KiteInterrupts, LineRaisedWithInterruptsDisabledWaitsForTheInstructionAfterEi) {
    set(kKiteIM, 1);
    // DI; RETI (to 0x0100); ... 0x0100: NOP; EI; INC A; INC A
    load(0, {kDi, kEd, kReti});
    load(0x7FFE, {0x00, 0x01});
    set(kKiteSP, 0x7FFE);
    load(0x0100, {kNop, kEi, kIncA, kIncA});
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(reg(kKiteIrqLine), 1u) << "not accepted while IFF1 is clear";
    EXPECT_EQ(run(0), 4);  // DI
    EXPECT_EQ(run(0), 14);  // RETI: the line stays raised
    EXPECT_EQ(pc(), 0x0100);
    EXPECT_EQ(run(0), 4) << "a new run does not accept it";
    EXPECT_EQ(pc(), 0x0101);
    EXPECT_EQ(run(0), 8) << "EI and the INC A after it run together";
    EXPECT_EQ(a(), 1);
    EXPECT_EQ(pc(), 0x38) << "accepted right after the instruction that follows EI";
    EXPECT_EQ(word(sp()), 0x0103);
}

TEST_F(KiteInterrupts, EiAndNopCostEightThenTheInterruptIsAccepted) {
    enable(1);
    set(kKiteIFF1, 0);
    load(0, {kEi, kNop, kIncA});
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(run(0), 8);
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(word(sp()), 0x0002);
    EXPECT_EQ(run(0), 4 + 13);
}

TEST_F(KiteInterrupts, EiInsideTheWindowOpensANewWindow) {
    enable(1);
    set(kKiteIFF1, 0);
    load(0, {kEi, kEi, kIncA, kIncA});
    kiteRaiseIrq(k(), 0xFF);
    EXPECT_EQ(run(0), 12);
    EXPECT_EQ(a(), 1) << "the instruction after the last EI ran before the interrupt";
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(word(sp()), 0x0003);
}

TEST_F(KiteInterrupts, WindowLetsTheRunGoOnWhenCyclesAreLeft) {
    load(0, {kEi, kNop, kIncA, kIncA, kIncA});
    EXPECT_EQ(run(14), 16) << "EI, NOP, then the count left goes on";
    EXPECT_EQ(a(), 2);
}

TEST_F(KiteInterrupts, EiThenHaltWithNoInterruptHalts) {
    load(0, {kEi, kHalt, kIncA});
    EXPECT_EQ(run(100), 100 - (96 & 3) + 4);
    EXPECT_EQ(reg(kKiteHalted), 1u);
    EXPECT_EQ(pc(), 2);
}

TEST_F(KiteInterrupts, EiThenHaltWithTheLineRaisedAcceptsIt) {
    enable(1);
    set(kKiteIFF1, 0);
    load(0, {kEi, kHalt, kIncA});
    kiteRaiseIrq(k(), 0xFF);
    run(100);
    EXPECT_EQ(reg(kKiteHalted), 0u);
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(word(sp()), 0x0002) << "the address after the HALT";
}

TEST_F(KiteInterrupts, LoweredLineIsNotAccepted) {
    set(kKiteIM, 1);
    load(0, {kEi, kNop, kNop});
    kiteRaiseIrq(k(), 0xFF);
    kiteLowerIrq(k());
    run(0);
    EXPECT_EQ(pc(), 2);
}

TEST_F(KiteInterrupts, ImInstructionsSelectTheMode) {
    load(0, {kEd, kIm2, kEd, kIm0, kEd, kIm1, kEd, 0x4E, kEd, 0x7E});
    step();
    EXPECT_EQ(reg(kKiteIM), 2u);
    step();
    EXPECT_EQ(reg(kKiteIM), 0u);
    step();
    EXPECT_EQ(reg(kKiteIM), 1u);
    set(kKiteIM, 0);
    EXPECT_EQ(step(), 8);
    EXPECT_EQ(reg(kKiteIM), 1u) << "ED 4E selects mode 1";
    step();
    EXPECT_EQ(reg(kKiteIM), 2u);
}

TEST_F(KiteInterrupts, NmiKeepsIff2AndRetnGivesItBack) {
    enable(1);
    set(kKitePC, 0x0200);
    set(kKiteHalted, 1);
    set(kKiteIR, 0x0010);
    load(0x66, {kEd, kRetn});
    kiteNmi(k());
    EXPECT_EQ(pc(), 0x66);
    EXPECT_EQ(reg(kKiteIFF1), 0u);
    EXPECT_EQ(reg(kKiteIFF2), 1u);
    EXPECT_EQ(reg(kKiteHalted), 0u);
    EXPECT_EQ(r(), 0x11);
    EXPECT_EQ(run(0), 14 + 11);
    EXPECT_EQ(pc(), 0x0200);
    EXPECT_EQ(reg(kKiteIFF1), 1u);
}

TEST_F(KiteInterrupts, ResetClearsTheLineTheHaltAndTheOwedCycles) {
    enable(1);
    kiteRaiseIrq(k(), 0xFF);
    set(kKiteIrqLine, 1);
    set(kKiteHalted, 1);
    kiteResetCpu(k());
    EXPECT_EQ(reg(kKiteIrqLine), 0u);
    EXPECT_EQ(reg(kKiteHalted), 0u);
    EXPECT_EQ(run(0), 4);
}

// ---- R ------------------------------------------------------------------------------

class KiteR : public KiteTest {
protected:
    // Runs one instruction and returns how far R moved.
    int rStep() {
        const int before = r();
        step();
        return (r() - before) & 0x7F;
    }
};

TEST_F(KiteR, CountsEveryOpcodeAndPrefixFetch) {
    load(0, {kNop, 0xCB, 0x00, kEd, 0x44, 0xDD, 0x21, 0x00, 0x00, 0xDD, 0xCB, 0x05, 0x06});
    EXPECT_EQ(rStep(), 1);
    EXPECT_EQ(rStep(), 2) << "CB xx";
    EXPECT_EQ(rStep(), 2) << "ED xx";
    EXPECT_EQ(rStep(), 2) << "DD xx";
    EXPECT_EQ(rStep(), 2) << "DD CB d op: the displacement and the fourth byte do not count";
}

TEST_F(KiteR, PrefixWithoutIndexedFormAndEdNoOpCountTwice) {
    load(0, {0xDD, kNop, kEd, 0x00});
    const int before = r();
    EXPECT_EQ(step(), 4) << "the prefix alone";
    EXPECT_EQ(pc(), 1);
    EXPECT_EQ(step(), 4) << "then the opcode as an instruction of its own";
    EXPECT_EQ((r() - before) & 0x7F, 2);
    EXPECT_EQ(rStep(), 2) << "ED 00";
    EXPECT_EQ(pc(), 4);
}

TEST_F(KiteR, LdRAWritesBothPartsAndLdARReadsThem) {
    load(0, {0x3E, 0xFE, kEd, 0x4F, kNop, kNop, kEd, 0x5F});  // LD A,0xFE; LD R,A; NOP; NOP; LD A,R
    run(0);
    run(0);
    run(0);
    run(0);
    setF(0x01);
    set(kKiteIFF2, 1);
    run(0);
    // 0xFE, then NOP, NOP, ED, 5F: four fetches, the low seven bits wrap.
    EXPECT_EQ(a(), 0x82);
    EXPECT_EQ(f(), kS | kPV | kC) << "S from the value, P/V = IFF2, C kept";
}

// ---- block instructions and the run ---------------------------------------------------

class KiteBlocks : public KiteTest {};

TEST_F(KiteBlocks, LdirCostsTwentyOnePerRepetitionAndSixteenForTheLast) {
    load(0, {kEd, 0xB0});
    set(kKiteHL, 0x1000);
    set(kKiteDE, 0x2000);
    set(kKiteBC, 3);
    load(0x1000, {1, 2, 3});
    EXPECT_EQ(run(58), 21 + 21 + 16) << "the three iterations use the budget exactly";
    EXPECT_EQ(pc(), 2);
    EXPECT_EQ(memory[0x2002], 3);
    EXPECT_EQ(reg(kKiteBC), 0u);
}

TEST_F(KiteBlocks, LdirStopsWhenTheCountRunsOutAndStartsAgainNextRun) {
    load(0, {kEd, 0xB0});
    set(kKiteHL, 0x1000);
    set(kKiteDE, 0x2000);
    set(kKiteBC, 3);
    const int before = r();
    EXPECT_EQ(run(30), 42) << "two iterations";
    EXPECT_EQ(pc(), 0);
    EXPECT_EQ(reg(kKiteBC), 1u);
    EXPECT_NE(f() & kPV, 0);
    EXPECT_EQ((r() - before) & 0x7F, 3) << "ED, B0 and one further iteration";
    EXPECT_EQ(run(0), 16);
    EXPECT_EQ(pc(), 2);
    EXPECT_EQ(reg(kKiteBC), 0u);
}

TEST_F(KiteBlocks, LdirThatOverwritesItselfStopsAndRunsWhatStandsThere) {
    // LDIR at 0x0100 copying INC A from 0x1000 onto its own first byte.
    load(0x0100, {kEd, 0xB0, kHalt});
    load(0x1000, {kIncA, kIncA, kIncA});
    set(kKitePC, 0x0100);
    set(kKiteHL, 0x1000);
    set(kKiteDE, 0x0100);
    set(kKiteBC, 3);
    run(1000);
    EXPECT_EQ(reg(kKiteBC), 2u) << "the first byte copied broke the instruction";
    // Execution went on at 0x0100 with what stands there now: INC A, then
    // 0xB0 (OR B, B being 0), then the HALT.
    EXPECT_EQ(a(), 1);
    EXPECT_EQ(pc(), 0x0103);
    EXPECT_EQ(reg(kKiteHalted), 1u);
}

// ---- bus handlers during a run ------------------------------------------------------------

class KiteHandlers : public KiteTest {
protected:
    static inline KiteCore* target = nullptr;
    KiteHandlers() { target = &k(); }
    ~KiteHandlers() override { target = nullptr; }
};

TEST_F(KiteHandlers, HandlerSeesTheRegistersAndItsChangesTakeEffect) {
    static uint32_t seenBc = 0;
    static uint32_t seenPc = 0;
    static uint32_t seenAf = 0;
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t, uint32_t) {
        seenBc = kiteRegister(*target, kKiteBC);
        seenPc = kiteRegister(*target, kKitePC);
        seenAf = kiteRegister(*target, kKiteAF);
        kiteStoreRegister(*target, kKiteDE, 0x4321);
        kiteStoreRegister(*target, kKitePC, 0x0200);
    });
    // LD BC,0x1234; XOR A (F = Z, P/V); LD (0x8000),A
    load(0, {0x01, 0x34, 0x12, 0xAF, 0x32, 0x00, 0x80});
    load(0x0200, {kIncA});
    run(28);  // 27 for the three, then the INC A at the new PC
    EXPECT_EQ(seenBc, 0x1234u);
    EXPECT_EQ(seenPc, 0x0007u) << "the address after the bytes fetched so far";
    EXPECT_EQ(seenAf, 0x0044u);
    EXPECT_EQ(reg(kKiteDE), 0x4321u);
    EXPECT_EQ(a(), 1) << "the run went on at the PC the handler stored";
}

TEST_F(KiteHandlers, InterruptRaisedByAHandlerWaitsForTheEndOfTheInstruction) {
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t, uint32_t) {
        kiteRaiseIrq(*target, 0xFF);
    });
    set(kKiteIM, 1);
    set(kKiteIFF1, 1);
    set(kKiteIFF2, 1);
    set(kKiteSP, 0x7000);
    // LD (0x8000),A; INC A
    load(0, {0x32, 0x00, 0x80, kIncA});
    EXPECT_EQ(run(0), 13);
    EXPECT_EQ(pc(), 0x38);
    EXPECT_EQ(word(0x6FFE), 0x0003) << "the return address is the next instruction";
    EXPECT_EQ(a(), 0);
}

TEST_F(KiteHandlers, ResetFromAHandlerEndsTheRunAfterTheInstruction) {
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t, uint32_t) { kiteResetCpu(*target); });
    set(kKiteSP, 0x7000);
    // INC A; PUSH BC with SP in the handler's range: both bytes are written
    // before the reset takes effect.
    load(0, {kIncA, 0xC5, kIncA});
    set(kKiteSP, 0x8002);
    EXPECT_EQ(run(100), 4 + 11);
    EXPECT_EQ(pc(), 0);
    EXPECT_EQ(sp(), 0);
    EXPECT_EQ(reg(kKiteAF), 0x0040u);
}

TEST_F(KiteHandlers, NmiFromAHandlerIsAcceptedAfterTheInstruction) {
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler, [](uint32_t, uint32_t) { kiteNmi(*target); });
    set(kKiteSP, 0x7000);
    load(0, {0x32, 0x00, 0x80, kIncA});
    load(0x66, {kIncA});
    EXPECT_EQ(run(0), 13);
    EXPECT_EQ(pc(), 0x66);
    EXPECT_EQ(word(0x6FFE), 0x0003);
    EXPECT_EQ(run(0), 4 + 11);
    EXPECT_EQ(a(), 1);
}

TEST_F(KiteHandlers, RunCalledFromAHandlerDoesNothing) {
    static int32_t nested = -1;
    kiteAddWriteRange(k(), 0x8000, 0x80FF, kKiteRangeHandler,
                      [](uint32_t, uint32_t) { nested = kiteRun(*target, 100); });
    load(0, {0x32, 0x00, 0x80});
    run(0);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(pc(), 3);
}

TEST_F(KiteHandlers, RetiCallsTheCallback) {
    static int calls = 0;
    calls = 0;
    load(0, {kEd, kReti});
    set(kKiteSP, 0x7000);
    step();
    EXPECT_EQ(calls, 0) << "the default callback does nothing";
    kiteSetRetiCallback(k(), [] { ++calls; });
    set(kKitePC, 0);
    set(kKiteSP, 0x7000);
    step();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vimo::test
