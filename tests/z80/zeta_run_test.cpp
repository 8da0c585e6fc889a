// The Zeta run loop: budgets and their end rule, HALT, JR to itself, the
// window after EI, maskable interrupts and NMI, reset, the invalid-instruction
// exit and the record exchange.
#include <gtest/gtest.h>

#include "zeta_fixture.h"

namespace vimo::test {
namespace {

using namespace opcodes;  // the hand-assembled opcodes (z80_test_names.h)

// ---- budgets ---------------------------------------------------------------

class ZetaBudget : public ZetaTest {};

TEST_F(ZetaBudget, RunCountsTheBudgetPlusTheLastInstructionsOvershoot) {
    // NOPs (4 each) with a budget of 10: 10 -> 6 -> 2 -> -2, three NOPs.
    EXPECT_EQ(run(10), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 12u);
    EXPECT_EQ(ctx().pc, 3);
}

TEST_F(ZetaBudget, ZeroBudgetRunsExactlyOneInstruction) {
    load(0, {kIncA, kIncA});
    EXPECT_EQ(run(0), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 4u);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_EQ(a(), 1);
}

TEST_F(ZetaBudget, ElapsedAccumulatesUntilTakenWithClear) {
    run(0);
    run(0);
    EXPECT_EQ(zetaTakeElapsed(core, 0), 8u);
    EXPECT_EQ(zetaTakeElapsed(core, 0), 8u) << "a read without clear keeps the count";
    EXPECT_EQ(zetaTakeElapsed(core, 1), 8u);
    EXPECT_EQ(zetaTakeElapsed(core, 0), 0u);
}

TEST_F(ZetaBudget, RCounterGrowsWithTheCountedCycles) {
    const uint32_t before = ctx().rCounter;
    run(10);
    EXPECT_EQ(ctx().rCounter - before, 12u);
}

TEST_F(ZetaBudget, HugeBudgetDoesNotOverflowTheCount) {
    // HALT ends it at once with the whole budget counted.
    load(0, {kHalt});
    EXPECT_EQ(run(0xFFFFFFFFu), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 0xFFFFFFFFu);
}

// ---- HALT and JR to itself -------------------------------------------------

class ZetaHalt : public ZetaTest {};

TEST_F(ZetaHalt, HaltedCoreCountsTheWholeBudgetAndRunsNothing) {
    load(0, {kIncA});
    ctx().halted = 1;
    EXPECT_EQ(run(227), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 227u);
    EXPECT_EQ(ctx().pc, 0);
    EXPECT_EQ(a(), 0);
}

TEST_F(ZetaHalt, HaltAsFirstInstructionEndsTheRunWithItsBudget) {
    load(0, {kHalt, kIncA});
    EXPECT_EQ(run(100), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 100u);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_EQ(ctx().halted, 1u);
    EXPECT_EQ(run(50), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 50u);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_EQ(a(), 0);
}

TEST_F(ZetaHalt, HaltAfterOtherInstructionsStillCountsExactlyTheBudget) {
    load(0, {kIncA, kIncA, kHalt});
    EXPECT_EQ(run(100), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 100u);
    EXPECT_EQ(a(), 2);
    EXPECT_EQ(ctx().pc, 3);
}

TEST_F(ZetaHalt, HaltedWithInterruptsDisabledResumesAfterTheHaltOnARequest) {
    load(0, {kHalt, kIncA, kHalt});
    run(100);
    ASSERT_EQ(ctx().halted, 1u);
    EXPECT_EQ(zetaInterrupt(core, 0xFF), -1);
    EXPECT_EQ(ctx().halted, 0u);
    EXPECT_EQ(ctx().interruptPending, 1);
    run(100);
    EXPECT_EQ(a(), 1);
    EXPECT_EQ(ctx().pc, 3);
    EXPECT_EQ(ctx().interruptPending, 1) << "the request waits for EI";
}

TEST_F(ZetaHalt, JrToItselfCountsTheBudgetAndStaysOnTheJr) {
    load(0x0100, {kJr, 0xFE});
    ctx().pc = 0x0100;
    for (uint32_t budget : {227u, 100u, 1u}) {
        EXPECT_EQ(run(budget), kZetaSliceEnded);
        EXPECT_EQ(takeElapsed(), budget);
        EXPECT_EQ(ctx().pc, 0x0100);
    }
}

TEST_F(ZetaHalt, JrToItselfAfterOtherWorkCountsExactlyTheBudget) {
    load(0, {kIncA, kJr, 0xFE});
    EXPECT_EQ(run(50), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 50u);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_EQ(a(), 1);
}

TEST_F(ZetaHalt, OtherRelativeJumpsAreCharged) {
    // JR -3 (to the byte before) is an ordinary jump of 12 cycles.
    load(0x10, {kNop, kJr, 0xFD});
    ctx().pc = 0x11;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(ctx().pc, 0x10);
}

// ---- maskable interrupts, NMI --------------------------------------------------

class ZetaInterrupts : public ZetaTest {
protected:
    void SetUp() override {
        ctx().sp = 0x8000;
        load(0x38, {kHalt});
    }
};

TEST_F(ZetaInterrupts, Mode1RequestWithIff1SetIsTakenAtOnce) {
    ctx().iff = 3;
    ctx().interruptMode = 1;
    ctx().pc = 0x1234;
    EXPECT_EQ(zetaInterrupt(core, 1), 0);
    EXPECT_EQ(ctx().pc, 0x38);
    EXPECT_EQ(ctx().sp, 0x7FFE);
    EXPECT_EQ(word(0x7FFE), 0x1234);
    EXPECT_EQ(ctx().iff, 0u);
    EXPECT_EQ(ctx().interruptPending, 0);
    EXPECT_EQ(takeElapsed(), 13u);
}

TEST_F(ZetaInterrupts, Mode0UsesTheInterruptAddressAndCosts13) {
    ctx().iff = 3;
    ctx().interruptMode = 0;
    ctx().interruptAddress = 0x0040;
    ctx().pc = 0x0200;
    EXPECT_EQ(zetaInterrupt(core, 0xC7), 0);
    EXPECT_EQ(ctx().pc, 0x0040) << "the data-bus byte is not used in mode 0";
    EXPECT_EQ(takeElapsed(), 13u);
}

TEST_F(ZetaInterrupts, Mode2ReadsTheVectorWordAtIAndTheDataBusByte) {
    ctx().iff = 1;
    ctx().interruptMode = 2;
    ctx().i = 0x12;
    ctx().pc = 0x0456;
    load(0x1201, {0xCD, 0xAB});
    EXPECT_EQ(zetaInterrupt(core, 1), 0);
    EXPECT_EQ(ctx().pc, 0xABCD);
    EXPECT_EQ(word(0x7FFE), 0x0456);
    EXPECT_EQ(takeElapsed(), 19u);
}

TEST_F(ZetaInterrupts, Mode2VectorWordWrapsAtTheTopOfMemory) {
    ctx().iff = 1;
    ctx().interruptMode = 2;
    ctx().i = 0xFF;
    memory[0xFFFF] = 0x34;
    memory[0x0000] = 0x12;
    EXPECT_EQ(zetaInterrupt(core, 0xFF), 0);
    EXPECT_EQ(ctx().pc, 0x1234);
}

TEST_F(ZetaInterrupts, RequestWithIff1ClearIsLeftPendingWithTheLatestVector) {
    EXPECT_EQ(zetaInterrupt(core, 0x10), -1);
    EXPECT_EQ(zetaInterrupt(core, 0x22), -1);
    EXPECT_EQ(ctx().interruptPending, 1);
    EXPECT_EQ(core.pendingVector, 0x22);
    EXPECT_EQ(takeElapsed(), 0u);
    zetaDropPendingInterrupt(core);
    EXPECT_EQ(ctx().interruptPending, 0);
}

TEST_F(ZetaInterrupts, PendingRequestIsTakenAfterTheInstructionFollowingEi) {
    // LD SP,0x8000; IM 1; DI; EI; NOP; NOP - the return address is that of
    // the second NOP: the request never enters between EI and the first.
    load(0, {0x31, 0x00, 0x80, kEd, kIm1, kDi, kEi, kNop, kNop});
    EXPECT_EQ(zetaInterrupt(core, 1), -1);
    EXPECT_EQ(run(1000), kZetaSliceEnded);
    EXPECT_EQ(ctx().pc, 0x39) << "halted in the handler";
    EXPECT_EQ(word(0x7FFE), 8);
    EXPECT_EQ(ctx().iff, 0u);
    EXPECT_EQ(takeElapsed(), 1000u) << "the handler's HALT counts the whole budget";
}

TEST_F(ZetaInterrupts, InstructionAfterEiRunsEvenWhenEiUsedUpTheSlice) {
    load(0, {kEi, kIncA, kIncA});
    EXPECT_EQ(run(0), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 8u);
    EXPECT_EQ(ctx().pc, 2);
    EXPECT_EQ(a(), 1);
}

TEST_F(ZetaInterrupts, RequestLeftPendingByAnOverrunWindowIsTakenAtTheNextRunStart) {
    ctx().interruptMode = 1;
    load(0, {kEi, kNop, kNop});
    load(0x38, {kNop, kNop});
    zetaInterrupt(core, 1);
    run(0);  // EI and its NOP overrun the slice: the window's check is skipped
    EXPECT_EQ(takeElapsed(), 8u);
    EXPECT_EQ(ctx().interruptPending, 1);
    // The next run takes it first (13), then runs one instruction although
    // the acceptance alone used up the budget.
    EXPECT_EQ(run(0), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 17u);
    EXPECT_EQ(ctx().pc, 0x39);
    EXPECT_EQ(word(0x7FFE), 2);
}

TEST_F(ZetaInterrupts, EiInsideTheWindowOpensANewOne) {
    load(0, {kEd, kIm1, kEi, kEi, kNop, kNop});
    zetaInterrupt(core, 1);
    run(1000);
    EXPECT_EQ(word(0x7FFE), 5) << "taken after the NOP that follows the last EI";
}

TEST_F(ZetaInterrupts, DiInsideTheWindowKeepsTheRequestPending) {
    load(0, {kEd, kIm1, kEi, kDi, kIncA, kHalt});
    zetaInterrupt(core, 1);
    run(1000);
    EXPECT_EQ(ctx().pc, 6);
    EXPECT_EQ(a(), 1);
    EXPECT_EQ(ctx().interruptPending, 1);
}

TEST_F(ZetaInterrupts, HaltInTheWindowIsEndedByAPendingRequest) {
    load(0, {kEd, kIm1, kEi, kHalt, kIncA});
    zetaInterrupt(core, 1);
    run(1000);
    EXPECT_EQ(word(0x7FFE), 4) << "the address after the HALT is pushed";
    EXPECT_EQ(ctx().pc, 0x39);
    EXPECT_EQ(a(), 0);
}

TEST_F(ZetaInterrupts, HaltInTheWindowWithoutARequestHaltsWithTheWholeBudget) {
    load(0, {kEi, kHalt, kIncA});
    EXPECT_EQ(run(300), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 300u);
    EXPECT_EQ(ctx().halted, 1u);
    EXPECT_EQ(ctx().pc, 2);
}

TEST_F(ZetaInterrupts, JrToItselfInTheWindowLetsAPendingRequestIn) {
    load(0, {kEd, kIm1, kEi, kJr, 0xFE});
    zetaInterrupt(core, 1);
    run(1000);
    EXPECT_EQ(word(0x7FFE), 3) << "PC was left on the JR";
    EXPECT_EQ(ctx().pc, 0x39);
}

TEST_F(ZetaInterrupts, JrToItselfInTheWindowWithoutARequestEndsTheRunAtTheJr) {
    load(0, {kEi, kJr, 0xFE});
    EXPECT_EQ(run(100), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 100u);
    EXPECT_EQ(ctx().pc, 1);
}

TEST_F(ZetaInterrupts, NmiSavesIff1InIff2AndJumpsTo66) {
    zetaInterrupt(core, 1);  // IFF1 clear: pending
    ctx().iff = 1;
    ctx().pc = 0x1234;
    ctx().halted = 1;
    EXPECT_EQ(zetaNmi(core), 0);
    EXPECT_EQ(ctx().pc, 0x66);
    EXPECT_EQ(ctx().iff, 2u);
    EXPECT_EQ(ctx().halted, 0u);
    EXPECT_EQ(word(0x7FFE), 0x1234);
    EXPECT_EQ(ctx().interruptPending, 1) << "a maskable request stays pending";
    EXPECT_EQ(takeElapsed(), 11u);
}

TEST_F(ZetaInterrupts, RequestEndsTheHaltAndPushesTheAddressAfterIt) {
    ctx().iff = 3;
    ctx().interruptMode = 1;
    load(0x0200, {kHalt});
    ctx().pc = 0x0200;
    run(100);
    ASSERT_EQ(ctx().halted, 1u);
    EXPECT_EQ(zetaInterrupt(core, 1), 0);
    EXPECT_EQ(ctx().halted, 0u);
    EXPECT_EQ(word(0x7FFE), 0x0201);
}

// ---- reset and the record ------------------------------------------------------

class ZetaReset : public ZetaTest {};

TEST_F(ZetaReset, ResetValues) {
    ZetaContext& c = ctx();
    c.af = c.bc = c.de = c.hl = 0x1111;
    c.af2 = c.bc2 = c.de2 = c.hl2 = 0x2222;
    c.ix = c.iy = c.sp = c.pc = 0x3333;
    c.i = c.r = 0x44;
    c.iff = 3;
    c.interruptMode = 2;
    c.interruptAddress = 0x1000;
    c.nmiAddress = 0x2000;
    c.halted = 1;
    c.rCounter = 1234;
    zetaResetCpu(core);
    EXPECT_EQ(c.af, 0x0040);
    EXPECT_EQ(c.bc | c.de | c.hl | c.af2 | c.bc2 | c.de2 | c.hl2, 0);
    EXPECT_EQ(c.ix, 0xFFFF);
    EXPECT_EQ(c.iy, 0xFFFF);
    EXPECT_EQ(c.sp, 0);
    EXPECT_EQ(c.pc, 0);
    EXPECT_EQ(c.i, 0);
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.iff, 0u);
    EXPECT_EQ(c.interruptMode, 0u);
    EXPECT_EQ(c.interruptAddress, 0x38);
    EXPECT_EQ(c.nmiAddress, 0x66);
    EXPECT_EQ(c.halted, 0u);
    EXPECT_EQ(c.rCounter, 1234u) << "the R counter is not reset";
    EXPECT_EQ(c.base, memory.data());
    EXPECT_EQ(c.baseSize, memory.size());
}

TEST_F(ZetaReset, PendingRequestSurvivesAResetAndIsTakenAfterTheFirstEi) {
    EXPECT_EQ(zetaInterrupt(core, 1), -1);
    run(40);
    const uint32_t elapsed = zetaTakeElapsed(core, 0);
    zetaResetCpu(core);
    EXPECT_EQ(ctx().interruptPending, 1);
    EXPECT_EQ(zetaTakeElapsed(core, 0), elapsed) << "the elapsed count is not reset";
    // IM 1; EI; NOP; NOP with SP = 0 after reset: pushed at 0xFFFE.
    load(0, {kEd, kIm1, kEi, kNop, kNop});
    load(0x38, {kHalt});
    run(1000);
    EXPECT_EQ(word(0xFFFE), 4);
    EXPECT_EQ(ctx().pc, 0x39);
}

TEST_F(ZetaReset, SaveAndLoadExchangeTheWholeRecordButNotTheRunState) {
    ctx().bc = 0x1234;
    ctx().ix = 0x5678;
    ctx().interruptPending = 1;
    run(0);
    ZetaContext saved{};
    zetaSaveContext(core, &saved);
    EXPECT_EQ(zetaContextSize(), sizeof(ZetaContext));
    EXPECT_EQ(saved.bc, 0x1234);
    EXPECT_EQ(saved.ix, 0x5678);
    EXPECT_EQ(saved.base, memory.data());
    zetaResetCpu(core);
    ctx().interruptPending = 0;
    zetaLoadContext(core, &saved);
    EXPECT_EQ(ctx().bc, 0x1234);
    EXPECT_EQ(ctx().ix, 0x5678);
    EXPECT_EQ(ctx().interruptPending, 1);
    EXPECT_EQ(ctx().pc, saved.pc);
    EXPECT_EQ(zetaTakeElapsed(core, 0), 4u) << "elapsed belongs to the run state";
}

// ---- the invalid-instruction exit --------------------------------------------------

class ZetaInvalid : public ZetaTest {};

TEST_F(ZetaInvalid, EdOpcodeNotImplementedStopsAtTheEdByte) {
    load(0x01FE, {kIncA, kIncA, kEd, 0x00});
    ctx().pc = 0x01FE;
    EXPECT_EQ(run(100), 0x0200u);
    EXPECT_EQ(ctx().pc, 0x0200);
    EXPECT_EQ(a(), 2) << "the instructions before it ran";
    EXPECT_EQ(takeElapsed(), 0u) << "the run's cycles are not counted";
    EXPECT_EQ(run(100), 0x0200u) << "the next run meets it again";
    EXPECT_EQ(ctx().pc, 0x0200);
    for (uint8_t undocumented : {0x4C, 0x70, 0x71, 0x77, 0xFF}) {  // NEG mirror, IN F,(C), OUT (C),0 ...
        load(0x0200, {kEd, undocumented});
        EXPECT_EQ(run(100), 0x0200u) << std::hex << int{undocumented};
    }
}

TEST_F(ZetaInvalid, IndexBitOperationNotImplementedStopsAtTheFirstPrefix) {
    load(0x0300, {0xDD, 0xCB, 0x05, 0x00});
    ctx().pc = 0x0300;
    EXPECT_EQ(run(100), 0x0300u);
    EXPECT_EQ(ctx().pc, 0x0300);
    load(0x0300, {0xFD, 0xCB, 0x05, 0x36});  // SLL (IY+5)
    EXPECT_EQ(run(100), 0x0300u);
}

TEST_F(ZetaInvalid, IndexPrefixBeforeAPlainOpcodeStopsAtThePrefix) {
    load(0x0400, {0xDD, 0x00});
    ctx().pc = 0x0400;
    EXPECT_EQ(run(100), 0x0400u);
    load(0x0400, {0xFD, 0xDD, 0x21, 0x00, 0x00});
    EXPECT_EQ(run(100), 0x0400u);
    EXPECT_EQ(ctx().iy, 0xFFFF);
    EXPECT_EQ(ctx().ix, 0xFFFF);
}

TEST_F(ZetaInvalid, InvalidInstructionInTheEiWindowClosesTheWindow) {
    load(0, {kEi, kEd, 0x00});
    EXPECT_EQ(run(100), 1u);
    EXPECT_EQ(core.eiWindow, 0);
    EXPECT_EQ(ctx().iff, 3u);
}

}  // namespace
}  // namespace vimo::test
