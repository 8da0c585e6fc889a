// Zeta instruction families: results, flags and costs, including the places
// where the core departs from the chip (bits 3 and 5, DAA's half carry, BIT's
// P/V, SLL, R, the IXH/IXL costs, the block I/O flags).
#include <gtest/gtest.h>

#include "zeta_fixture.h"

namespace vimo::test {
namespace {

class ZetaOps : public ZetaTest {
protected:
    // Loads the bytes at 0x0100 and runs one instruction there; returns its cost.
    uint32_t exec(std::initializer_list<uint8_t> bytes) {
        load(0x0100, bytes);
        ctx().pc = 0x0100;
        return step();
    }

    // The same with a budget: a repeating instruction keeps going while the
    // count stays at 0 or above, so a budget one below its total cost lets it
    // finish and ends the run right after it.
    uint32_t execWithBudget(std::initializer_list<uint8_t> bytes, uint32_t budget) {
        load(0x0100, bytes);
        ctx().pc = 0x0100;
        takeElapsed();
        EXPECT_EQ(run(budget), kZetaSliceEnded);
        EXPECT_EQ(ctx().pc, 0x0100 + bytes.size()) << "nothing after the instruction ran";
        return takeElapsed();
    }
};

// ---- 8-bit arithmetic and logic ----------------------------------------------------

class ZetaAlu : public ZetaOps {};

TEST_F(ZetaAlu, AddSetsOverflowAndHalfCarry) {
    setA(0x7F);
    ctx().bc = 0x0100;
    EXPECT_EQ(exec({0x80}), 4u);  // ADD A,B
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(f(), kS | kH | kPV);
}

TEST_F(ZetaAlu, AddLeavesPvClearForAnEvenParityResult) {
    setA(0x01);
    ctx().bc = 0x0200;
    exec({0x80});
    EXPECT_EQ(a(), 0x03);
    EXPECT_EQ(f(), 0x00);
}

TEST_F(ZetaAlu, AddCarryOutOfBit7) {
    setA(0xF0);
    exec({0xC6, 0x20});  // ADD A,0x20
    EXPECT_EQ(a(), 0x10);
    EXPECT_EQ(f(), kC);
}

TEST_F(ZetaAlu, AdcAddsTheCarry) {
    setA(0x0E);
    setF(kC);
    EXPECT_EQ(exec({0xCE, 0x01}), 7u);  // ADC A,1
    EXPECT_EQ(a(), 0x10);
    EXPECT_EQ(f(), kH);
}

TEST_F(ZetaAlu, CompareLeavesAUnchanged) {
    setA(0x00);
    EXPECT_EQ(exec({0xFE, 0x01}), 7u);  // CP 1
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), kS | kH | kN | kC);
}

TEST_F(ZetaAlu, SubtractSignedOverflow) {
    setA(0x80);
    exec({0xD6, 0x01});  // SUB 1
    EXPECT_EQ(a(), 0x7F);
    EXPECT_EQ(f(), kH | kPV | kN);
}

TEST_F(ZetaAlu, SbcSubtractsTheBorrow) {
    setA(0x10);
    setF(kC);
    ctx().hl = 0x2000;
    memory[0x2000] = 0x0F;
    EXPECT_EQ(exec({0x9E}), 7u);  // SBC A,(HL)
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), kZ | kH | kN);
}

TEST_F(ZetaAlu, AndSetsHalfCarryAndParity) {
    setA(0xF3);
    exec({0xE6, 0x0F});  // AND 0x0F
    EXPECT_EQ(a(), 0x03);
    EXPECT_EQ(f(), kH | kPV);
}

TEST_F(ZetaAlu, XorAndOrClearHalfCarryAndCarry) {
    setA(0xFF);
    setF(0xFF);
    exec({0xAF});  // XOR A
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), kZ | kPV);
    ctx().de = 0x0080;
    exec({0xB3});  // OR E
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(f(), kS);
}

TEST_F(ZetaAlu, IncKeepsCarry) {
    setA(0xFF);
    setF(kC);
    EXPECT_EQ(exec({0x3C}), 4u);  // INC A
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), kZ | kH | kC);
}

TEST_F(ZetaAlu, DecOverflowAndHalfBorrow) {
    ctx().bc = 0x8000;
    exec({0x05});  // DEC B
    EXPECT_EQ(b(), 0x7F);
    EXPECT_EQ(f(), kH | kPV | kN);
}

TEST_F(ZetaAlu, IncAndDecOfMemoryThroughHl) {
    ctx().hl = 0x3000;
    memory[0x3000] = 0x0F;
    EXPECT_EQ(exec({0x34}), 11u);  // INC (HL)
    EXPECT_EQ(memory[0x3000], 0x10);
    EXPECT_EQ(f(), kH);
    EXPECT_EQ(exec({0x35}), 11u);  // DEC (HL)
    EXPECT_EQ(memory[0x3000], 0x0F);
    EXPECT_EQ(f(), kH | kN);
}

TEST_F(ZetaAlu, ResultFlagsNeverSetBits3And5) {
    setA(0x28);
    exec({0xC6, 0x00});  // ADD A,0: the result has bits 3 and 5 set
    EXPECT_EQ(f() & 0x28, 0);
}

// ---- DAA, CPL, SCF, CCF, accumulator rotates -------------------------------------------

class ZetaMisc : public ZetaOps {};

TEST_F(ZetaMisc, DaaAfterAddition) {
    setA(0x15);
    exec({0xC6, 0x27});  // ADD A,0x27 -> 0x3C
    EXPECT_EQ(exec({0x27}), 4u);
    EXPECT_EQ(a(), 0x42);
    EXPECT_EQ(f(), kH | kPV);
}

TEST_F(ZetaMisc, DaaAfterSubtraction) {
    setA(0x42);
    exec({0xD6, 0x15});  // SUB 0x15 -> 0x2D, N and H set
    ASSERT_EQ(f() & (kN | kH | kC), kN | kH);
    exec({0x27});
    EXPECT_EQ(a(), 0x27);
    EXPECT_EQ(f(), kH | kPV | kN);
}

TEST_F(ZetaMisc, DaaSetsHalfCarryWheneverTheLowDigitIsCorrected) {
    // 0x19 + 0x28 = 0x41 with H set: corrected to 0x47. The chip would leave
    // H clear here (the low digit 1 is not above 9); this core sets it.
    setA(0x19);
    exec({0xC6, 0x28});
    ASSERT_EQ(f() & kH, kH);
    exec({0x27});
    EXPECT_EQ(a(), 0x47);
    EXPECT_EQ(f() & kH, kH);
}

TEST_F(ZetaMisc, DaaCorrectsBothDigitsAndSetsCarry) {
    setA(0x99);
    exec({0xC6, 0x01});  // 0x9A
    exec({0x27});
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), kZ | kH | kPV | kC);
}

TEST_F(ZetaMisc, DaaAfterSubtractionBorrowingFromTheHighDigitSetsCarry) {
    // A = 0x03 with N and H set: the low correction borrows, so C is set.
    setA(0x03);
    setF(kN | kH);
    exec({0x27});
    EXPECT_EQ(a(), 0xFD);
    EXPECT_EQ(f(), kS | kH | kN | kC);
}

TEST_F(ZetaMisc, DaaKeepsBits3And5) {
    setA(0x00);
    setF(0x28);
    exec({0x27});
    EXPECT_EQ(f(), 0x28 | kZ | kPV);
}

TEST_F(ZetaMisc, CplSetsHalfCarryAndSubtract) {
    setA(0x5A);
    setF(kC | kZ);
    exec({0x2F});
    EXPECT_EQ(a(), 0xA5);
    EXPECT_EQ(f(), kZ | kH | kN | kC);
}

TEST_F(ZetaMisc, ScfKeepsBits3And5AndRlcaClearsThem) {
    ctx().sp = 0x4000;
    load(0x4000, {0x28, 0x00});  // F = 0x28, A = 0
    exec({0xF1});                // POP AF
    EXPECT_EQ(f(), 0x28);
    exec({0x37});  // SCF
    EXPECT_EQ(f(), 0x29);
    exec({0x07});  // RLCA
    EXPECT_EQ(f(), 0x00);
}

TEST_F(ZetaMisc, CcfMovesTheOldCarryIntoHalfCarry) {
    setF(kC | kS);
    exec({0x3F});
    EXPECT_EQ(f(), kS | kH);
    exec({0x3F});
    EXPECT_EQ(f(), kS | kC);
}

TEST_F(ZetaMisc, AccumulatorRotatesKeepSZPv) {
    setA(0x81);
    setF(kS | kZ | kPV | kH | kN);
    exec({0x07});  // RLCA
    EXPECT_EQ(a(), 0x03);
    EXPECT_EQ(f(), kS | kZ | kPV | kC);
    exec({0x1F});  // RRA: carry in at the top
    EXPECT_EQ(a(), 0x81);
    EXPECT_EQ(f(), kS | kZ | kPV | kC);
    exec({0x0F});  // RRCA
    EXPECT_EQ(a(), 0xC0);
    EXPECT_EQ(f() & kC, kC);
    exec({0x17});  // RLA
    EXPECT_EQ(a(), 0x81);
    EXPECT_EQ(f() & kC, kC);
}

TEST_F(ZetaMisc, AddHlSetsHalfCarryFromBit11AndCarryFromBit15) {
    ctx().hl = 0x8FFF;
    ctx().de = 0x7001;
    setF(kS | kZ | kPV | kN);
    EXPECT_EQ(exec({0x19}), 11u);  // ADD HL,DE
    EXPECT_EQ(ctx().hl, 0x0000);
    EXPECT_EQ(f(), kS | kZ | kPV | kH | kC);
}

TEST_F(ZetaMisc, IncAndDecOfPairsWrapWithoutFlags) {
    ctx().sp = 0xFFFF;
    setF(0);
    EXPECT_EQ(exec({0x33}), 6u);  // INC SP
    EXPECT_EQ(ctx().sp, 0);
    EXPECT_EQ(exec({0x0B}), 6u);  // DEC BC
    EXPECT_EQ(ctx().bc, 0xFFFF);
    EXPECT_EQ(f(), 0);
}

// ---- loads and exchanges ----------------------------------------------------------------

class ZetaLoads : public ZetaOps {};

TEST_F(ZetaLoads, CostsOfTheLoadForms) {
    ctx().hl = 0x2000;
    ctx().bc = 0x2001;
    EXPECT_EQ(exec({0x41}), 4u);               // LD B,C
    EXPECT_EQ(exec({0x7E}), 7u);               // LD A,(HL)
    EXPECT_EQ(exec({0x77}), 7u);               // LD (HL),A
    EXPECT_EQ(exec({0x36, 0x12}), 10u);        // LD (HL),n
    EXPECT_EQ(exec({0x0A}), 7u);               // LD A,(BC)
    EXPECT_EQ(exec({0x32, 0x00, 0x30}), 13u);  // LD (nn),A
    EXPECT_EQ(exec({0x22, 0x00, 0x30}), 16u);  // LD (nn),HL
    EXPECT_EQ(exec({0xF9}), 6u);               // LD SP,HL
    EXPECT_EQ(exec({0xC5}), 11u);              // PUSH BC
    EXPECT_EQ(exec({0xC1}), 10u);              // POP BC
}

TEST_F(ZetaLoads, SixteenBitLoadsAreLowByteFirst) {
    ctx().hl = 0xA1B2;
    exec({0x22, 0x00, 0x30});
    EXPECT_EQ(memory[0x3000], 0xB2);
    EXPECT_EQ(memory[0x3001], 0xA1);
    exec({0xED, 0x5B, 0x00, 0x30});  // LD DE,(0x3000)
    EXPECT_EQ(ctx().de, 0xA1B2);
}

TEST_F(ZetaLoads, ExchangesSwapWholePairs) {
    ctx().af = 0x1234;
    ctx().af2 = 0x5678;
    exec({0x08});
    EXPECT_EQ(ctx().af, 0x5678);
    EXPECT_EQ(ctx().af2, 0x1234);
    ctx().bc = 1;
    ctx().de = 2;
    ctx().hl = 3;
    ctx().bc2 = 4;
    ctx().de2 = 5;
    ctx().hl2 = 6;
    exec({0xD9});
    EXPECT_EQ(ctx().bc, 4);
    EXPECT_EQ(ctx().de, 5);
    EXPECT_EQ(ctx().hl, 6);
    EXPECT_EQ(ctx().bc2, 1);
    exec({0xEB});
    EXPECT_EQ(ctx().de, 6);
    EXPECT_EQ(ctx().hl, 5);
}

// ---- control transfers ------------------------------------------------------------------

class ZetaControl : public ZetaOps {};

TEST_F(ZetaControl, ConditionalCosts) {
    ctx().sp = 0x4000;
    ctx().bc = 0x0100;
    EXPECT_EQ(exec({0x10, 0x10}), 8u);  // DJNZ with B = 1 falls through
    EXPECT_EQ(ctx().pc, 0x0102);
    setF(kZ);
    EXPECT_EQ(exec({0x20, 0x10}), 7u);  // JR NZ not taken
    EXPECT_EQ(exec({0x28, 0x10}), 12u);  // JR Z taken
    EXPECT_EQ(ctx().pc, 0x0112);
    setF(0);
    EXPECT_EQ(exec({0xC4, 0x00, 0x02}), 17u);  // CALL NZ taken
    EXPECT_EQ(ctx().pc, 0x0200);
    EXPECT_EQ(exec({0xC8}), 5u);  // RET Z not taken
    EXPECT_EQ(exec({0xC0}), 11u);  // RET NZ taken
    EXPECT_EQ(ctx().pc, 0x0103);
    EXPECT_EQ(exec({0xCC, 0x00, 0x02}), 10u);  // CALL Z not taken
    EXPECT_EQ(exec({0xCA, 0x00, 0x02}), 10u);  // JP Z not taken
    EXPECT_EQ(ctx().pc, 0x0103);
    EXPECT_EQ(exec({0xC2, 0x00, 0x02}), 10u);  // JP NZ taken
    EXPECT_EQ(ctx().pc, 0x0200);
}

TEST_F(ZetaControl, DjnzTakenCosts13) {
    ctx().bc = 0x0200;
    EXPECT_EQ(exec({0x10, 0x7E}), 13u);
    EXPECT_EQ(ctx().pc, 0x0180);
    EXPECT_EQ(b(), 1);
}

TEST_F(ZetaControl, ParityAndSignConditions) {
    setF(kPV);
    exec({0xEA, 0x00, 0x05});  // JP PE
    EXPECT_EQ(ctx().pc, 0x0500);
    exec({0xE2, 0x00, 0x06});  // JP PO
    EXPECT_EQ(ctx().pc, 0x0103);
    setF(kS);
    exec({0xFA, 0x00, 0x07});  // JP M
    EXPECT_EQ(ctx().pc, 0x0700);
    exec({0xF2, 0x00, 0x08});  // JP P
    EXPECT_EQ(ctx().pc, 0x0103);
    setF(kC);
    exec({0x38, 0x02});  // JR C
    EXPECT_EQ(ctx().pc, 0x0104);
    exec({0x30, 0x02});  // JR NC
    EXPECT_EQ(ctx().pc, 0x0102);
}

TEST_F(ZetaControl, RelativeJumpWrapsAroundTheAddressSpace) {
    load(0xFFF0, {0x18, 0x20});
    ctx().pc = 0xFFF0;
    step();
    EXPECT_EQ(ctx().pc, 0x0012);
}

TEST_F(ZetaControl, RstPushesTheReturnAddress) {
    ctx().sp = 0x4000;
    EXPECT_EQ(exec({0xDF}), 11u);  // RST 0x18
    EXPECT_EQ(ctx().pc, 0x18);
    EXPECT_EQ(word(0x3FFE), 0x0101);
}

TEST_F(ZetaControl, JpHlAndCallRet) {
    ctx().hl = 0x1234;
    EXPECT_EQ(exec({0xE9}), 4u);
    EXPECT_EQ(ctx().pc, 0x1234);
    ctx().sp = 0x4000;
    EXPECT_EQ(exec({0xCD, 0x00, 0x20}), 17u);
    EXPECT_EQ(word(0x3FFE), 0x0103);
    load(0x2000, {0xC9});
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(ctx().pc, 0x0103);
    EXPECT_EQ(ctx().sp, 0x4000);
}

TEST_F(ZetaControl, DiAfterEiClearsBothFlipFlops) {
    load(0x0100, {0xFB, 0xF3});
    ctx().pc = 0x0100;
    run(0);  // EI and DI in its window
    EXPECT_EQ(ctx().iff, 0u);
}

// ---- the CB family --------------------------------------------------------------------------

class ZetaCb : public ZetaOps {};

TEST_F(ZetaCb, RotatesAndShiftsOnRegisters) {
    ctx().bc = 0x8000;
    EXPECT_EQ(exec({0xCB, 0x00}), 8u);  // RLC B
    EXPECT_EQ(b(), 0x01);
    EXPECT_EQ(f(), kC);
    ctx().de = 0x0001;
    exec({0xCB, 0x1B});  // RR E, carry in
    EXPECT_EQ(ctx().de & 0xFF, 0x80);
    EXPECT_EQ(f(), kS | kC);
    setA(0x81);
    exec({0xCB, 0x2F});  // SRA A
    EXPECT_EQ(a(), 0xC0);
    EXPECT_EQ(f(), kS | kPV | kC);
    exec({0xCB, 0x3F});  // SRL A
    EXPECT_EQ(a(), 0x60);
    EXPECT_EQ(f(), kPV);
    exec({0xCB, 0x27});  // SLA A
    EXPECT_EQ(a(), 0xC0);
    EXPECT_EQ(f(), kS | kPV);
}

TEST_F(ZetaCb, SllTakesItsFlagsFromTheValueBeforeBit0IsSet) {
    ctx().bc = 0x8000;
    exec({0xCB, 0x30});  // SLL B
    EXPECT_EQ(b(), 0x01);
    EXPECT_EQ(f(), kZ | kPV | kC) << "Z and P/V of 0x00, though the result is 0x01";
    ctx().bc = 0x4100;
    exec({0xCB, 0x30});
    EXPECT_EQ(b(), 0x83);
    EXPECT_EQ(f(), kS | kPV) << "P/V from 0x82 (even), though the result 0x83 has odd parity";
}

TEST_F(ZetaCb, BitSetsSOnlyForBit7AndLeavesPvClear) {
    ctx().hl = 0x8000;
    setF(kC | 0x28);
    exec({0xCB, 0x7C});  // BIT 7,H
    EXPECT_EQ(f(), kS | kH | kC | 0x28);
    exec({0xCB, 0x44});  // BIT 0,H
    EXPECT_EQ(f(), kZ | kH | kC | 0x28) << "P/V stays clear although the bit is 0";
}

TEST_F(ZetaCb, OperationsOnHlCosts) {
    ctx().hl = 0x3000;
    memory[0x3000] = 0x01;
    EXPECT_EQ(exec({0xCB, 0x46}), 12u);  // BIT 0,(HL)
    EXPECT_EQ(f() & kZ, 0);
    EXPECT_EQ(exec({0xCB, 0xFE}), 15u);  // SET 7,(HL)
    EXPECT_EQ(memory[0x3000], 0x81);
    EXPECT_EQ(exec({0xCB, 0x86}), 15u);  // RES 0,(HL)
    EXPECT_EQ(memory[0x3000], 0x80);
    EXPECT_EQ(exec({0xCB, 0x06}), 15u);  // RLC (HL)
    EXPECT_EQ(memory[0x3000], 0x01);
}

TEST_F(ZetaCb, ResAndSetChangeNoFlag) {
    setF(0xFF);
    ctx().de = 0x00FF;
    exec({0xCB, 0x8B});  // RES 1,E
    EXPECT_EQ(ctx().de, 0x00FD);
    exec({0xCB, 0xD2});  // SET 2,D
    EXPECT_EQ(ctx().de, 0x04FD);
    EXPECT_EQ(f(), 0xFF);
}

// ---- the ED family -------------------------------------------------------------------------

class ZetaEd : public ZetaOps {};

TEST_F(ZetaEd, LoadPairFromMemoryCosts20) {
    load(0x3000, {0x34, 0x12});
    EXPECT_EQ(exec({0xED, 0x6B, 0x00, 0x30}), 20u);  // LD HL,(0x3000)
    EXPECT_EQ(ctx().hl, 0x1234);
    ctx().sp = 0xBEEF;
    EXPECT_EQ(exec({0xED, 0x73, 0x02, 0x30}), 20u);  // LD (0x3002),SP
    EXPECT_EQ(word(0x3002), 0xBEEF);
}

TEST_F(ZetaEd, AdcAndSbcOfHl) {
    ctx().hl = 0x8000;
    ctx().de = 0x0001;
    EXPECT_EQ(exec({0xED, 0x52}), 15u);  // SBC HL,DE
    EXPECT_EQ(ctx().hl, 0x7FFF);
    EXPECT_EQ(f(), kH | kPV | kN);
    setF(kC);
    ctx().hl = 0x7FFF;
    ctx().bc = 0x0000;
    EXPECT_EQ(exec({0xED, 0x4A}), 15u);  // ADC HL,BC
    EXPECT_EQ(ctx().hl, 0x8000);
    EXPECT_EQ(f(), kS | kH | kPV);
    ctx().hl = 0x0001;
    ctx().sp = 0x0001;
    setF(0);
    exec({0xED, 0x72});  // SBC HL,SP
    EXPECT_EQ(ctx().hl, 0);
    EXPECT_EQ(f(), kZ | kN);
}

TEST_F(ZetaEd, Neg) {
    setA(0x80);
    EXPECT_EQ(exec({0xED, 0x44}), 8u);
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(f(), kS | kPV | kN | kC);
    setA(0x00);
    exec({0xED, 0x44});
    EXPECT_EQ(f(), kZ | kN);
    setA(0x01);
    exec({0xED, 0x44});
    EXPECT_EQ(a(), 0xFF);
    EXPECT_EQ(f(), kS | kH | kN | kC);
}

TEST_F(ZetaEd, ImSetsTheModeAndIm1TheTarget) {
    ctx().interruptAddress = 0x1234;
    EXPECT_EQ(exec({0xED, 0x5E}), 8u);
    EXPECT_EQ(ctx().interruptMode, 2u);
    EXPECT_EQ(ctx().interruptAddress, 0x1234);
    exec({0xED, 0x56});
    EXPECT_EQ(ctx().interruptMode, 1u);
    EXPECT_EQ(ctx().interruptAddress, 0x38);
    exec({0xED, 0x46});
    EXPECT_EQ(ctx().interruptMode, 0u);
}

TEST_F(ZetaEd, LdAICopiesIff2IntoPv) {
    ctx().i = 0;
    ctx().iff = 2;
    setF(kC);
    EXPECT_EQ(exec({0xED, 0x57}), 9u);
    EXPECT_EQ(a(), 0);
    EXPECT_EQ(f(), kZ | kPV | kC);
    ctx().i = 0x90;
    ctx().iff = 1;
    exec({0xED, 0x57});
    EXPECT_EQ(a(), 0x90);
    EXPECT_EQ(f(), kS | kC);
    setA(0x42);
    EXPECT_EQ(exec({0xED, 0x47}), 9u);  // LD I,A
    EXPECT_EQ(ctx().i, 0x42);
}

TEST_F(ZetaEd, RetiLeavesIff1ClearAndRetnRestoresItFromIff2) {
    ctx().sp = 0x4000;
    ctx().iff = 3;
    ctx().interruptMode = 1;
    ctx().pc = 0x0200;
    load(0x38, {0xED, 0x4D});  // RETI
    ASSERT_EQ(zetaInterrupt(core, 1), 0);
    takeElapsed();
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(ctx().pc, 0x0200);
    EXPECT_EQ(ctx().iff, 0u);
    // An NMI keeps IFF1 in IFF2; RETN brings it back.
    ctx().iff = 3;
    load(0x66, {0xED, 0x45});
    zetaNmi(core);
    EXPECT_EQ(ctx().iff, 2u);
    takeElapsed();
    EXPECT_EQ(step(), 14u);
    EXPECT_EQ(ctx().pc, 0x0200);
    EXPECT_EQ(ctx().iff, 3u);
}

TEST_F(ZetaEd, RldAndRrdRotateDigits) {
    ctx().hl = 0x5000;
    memory[0x5000] = 0x31;
    setA(0x7A);
    setF(kC);
    EXPECT_EQ(exec({0xED, 0x6F}), 18u);  // RLD
    EXPECT_EQ(a(), 0x73);
    EXPECT_EQ(memory[0x5000], 0x1A);
    EXPECT_EQ(f(), kC);  // 0x73 has five bits set: odd parity
    memory[0x5000] = 0x20;
    setA(0x84);
    exec({0xED, 0x67});  // RRD
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(memory[0x5000], 0x42);
    EXPECT_EQ(f(), kS | kC);
}

TEST_F(ZetaEd, LdARFollowsTheCycleCount) {
    // LD A,R returns what the previous LD A,R prepared: (cycles counted since
    // it, plus the R counter) / 4 in the low seven bits; bit 7 stays as LD R,A
    // left it. No bus call or run end touches the R counter here.
    ctx().rCounter = 0;
    setA(0x80);
    load(0x0100, {0xED, 0x4F,              // LD R,A   (9)
                  0xED, 0x5F, 0x47,        // LD A,R   (9); LD B,A (4)
                  0x00, 0x00, 0x00, 0x00,  // 4 x NOP  (16)
                  0xED, 0x5F, 0x4F,        // LD A,R   (9); LD C,A (4)
                  0xED, 0x5F});            // LD A,R
    ctx().pc = 0x0100;
    EXPECT_EQ(run(9 + 9 + 4 + 16 + 9 + 4), kZetaSliceEnded);
    EXPECT_EQ(b(), 0x80) << "the value LD R,A stored";
    EXPECT_EQ(c(), 0x80 | (9 / 4)) << "9 cycles from the run's start to the first LD A,R";
    EXPECT_EQ(a(), 0x80 | ((9 + 4 + 16) / 4)) << "cycles from the first LD A,R to the second";
    EXPECT_EQ(ctx().r, 0x80 | ((9 + 4) / 4)) << "prepared by the last";
}

// ---- block instructions ---------------------------------------------------------------------

class ZetaBlock : public ZetaOps {};

TEST_F(ZetaBlock, LdirCopiesAndCosts21PerRepetitionAnd16ForTheLast) {
    load(0x3000, {1, 2, 3});
    ctx().hl = 0x3000;
    ctx().de = 0x4000;
    ctx().bc = 3;
    setF(kS | kZ | kC | kH | kN);
    EXPECT_EQ(execWithBudget({0xED, 0xB0}, 57), 21u + 21u + 16u);
    EXPECT_EQ(memory[0x4000], 1);
    EXPECT_EQ(memory[0x4002], 3);
    EXPECT_EQ(ctx().hl, 0x3003);
    EXPECT_EQ(ctx().de, 0x4003);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(ctx().pc, 0x0102);
    EXPECT_EQ(f(), kS | kZ | kC);
}

TEST_F(ZetaBlock, LdirOutOfCyclesResumesAtTheNextRun) {
    ctx().hl = 0x3000;
    ctx().de = 0x4000;
    ctx().bc = 3;
    load(0x0100, {0xED, 0xB0, 0x76});
    ctx().pc = 0x0100;
    EXPECT_EQ(run(30), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 42u);
    EXPECT_EQ(ctx().bc, 1);
    EXPECT_EQ(ctx().pc, 0x0100);
    EXPECT_EQ(f() & kPV, kPV);
    run(15);
    EXPECT_EQ(takeElapsed(), 16u);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(ctx().pc, 0x0102);
    EXPECT_EQ(f() & kPV, 0);
}

TEST_F(ZetaBlock, LddrCopiesDownwards) {
    load(0x3000, {1, 2});
    ctx().hl = 0x3001;
    ctx().de = 0x4001;
    ctx().bc = 2;
    EXPECT_EQ(execWithBudget({0xED, 0xB8}, 36), 21u + 16u);
    EXPECT_EQ(memory[0x4000], 1);
    EXPECT_EQ(memory[0x4001], 2);
    EXPECT_EQ(ctx().hl, 0x2FFF);
}

TEST_F(ZetaBlock, SingleTransferAndCompare) {
    ctx().hl = 0x3000;
    ctx().de = 0x4000;
    ctx().bc = 2;
    memory[0x3000] = 0x55;
    EXPECT_EQ(exec({0xED, 0xA0}), 16u);  // LDI
    EXPECT_EQ(memory[0x4000], 0x55);
    EXPECT_EQ(f() & kPV, kPV);
    setA(0x55);
    ctx().hl = 0x3000;
    EXPECT_EQ(exec({0xED, 0xA9}), 16u);  // CPD
    EXPECT_EQ(ctx().hl, 0x2FFF);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(f(), kZ | kN);
}

TEST_F(ZetaBlock, CpirStopsAtTheMatch) {
    load(0x3000, {0x10, 0x20, 0x30, 0x40, 0x50});
    ctx().hl = 0x3000;
    ctx().bc = 5;
    setA(0x30);
    setF(kC);
    EXPECT_EQ(execWithBudget({0xED, 0xB1}, 57), 21u + 21u + 16u);
    EXPECT_EQ(ctx().hl, 0x3003);
    EXPECT_EQ(ctx().bc, 2);
    EXPECT_EQ(f(), kZ | kPV | kN | kC);
}

TEST_F(ZetaBlock, CpirRunsOutAtBcZero) {
    load(0x3000, {0x10, 0x20});
    ctx().hl = 0x3000;
    ctx().bc = 2;
    setA(0x05);
    EXPECT_EQ(execWithBudget({0xED, 0xB1}, 36), 21u + 16u);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(f() & (kZ | kPV), 0);
}

TEST_F(ZetaBlock, IniSetsZOnlyWhenBReachesZero) {
    ctx().hl = 0x3000;
    ctx().bc = 0x0110;
    setF(kS | kC | kH | kPV);
    EXPECT_EQ(exec({0xED, 0xA2}), 16u);  // INI
    EXPECT_EQ(b(), 0);
    EXPECT_EQ(memory[0x3000], 0xFF) << "no port record: 0xFF";
    EXPECT_EQ(ctx().hl, 0x3001);
    EXPECT_EQ(f(), kS | kZ | kH | kPV | kN | kC) << "only Z and N change";
    ctx().bc = 0x0210;
    exec({0xED, 0xA2});
    EXPECT_EQ(b(), 1);
    EXPECT_EQ(f() & kZ, 0);
}

TEST_F(ZetaBlock, OtirRepeatsUntilBIsZero) {
    ctx().hl = 0x3000;
    ctx().bc = 0x0310;
    EXPECT_EQ(execWithBudget({0xED, 0xB3}, 57), 21u + 21u + 16u);
    EXPECT_EQ(b(), 0);
    EXPECT_EQ(ctx().hl, 0x3003);
    EXPECT_EQ(f() & (kZ | kN), kZ | kN);
}

// ---- the DD, FD and DD CB families ------------------------------------------------------------

class ZetaIndex : public ZetaOps {};

TEST_F(ZetaIndex, IndexedLoadsCost19) {
    ctx().ix = 0x3000;
    memory[0x2FFE] = 0x66;
    EXPECT_EQ(exec({0xDD, 0x7E, 0xFE}), 19u);  // LD A,(IX-2)
    EXPECT_EQ(a(), 0x66);
    EXPECT_EQ(exec({0xFD, 0x21, 0x34, 0x12}), 14u);  // LD IY,0x1234
    EXPECT_EQ(ctx().iy, 0x1234);
    EXPECT_EQ(exec({0xFD, 0x36, 0x05, 0x99}), 19u);  // LD (IY+5),0x99
    EXPECT_EQ(memory[0x1239], 0x99);
    ctx().hl = 0xAABB;
    EXPECT_EQ(exec({0xDD, 0x74, 0x01}), 19u);  // LD (IX+1),H - the real H
    EXPECT_EQ(memory[0x3001], 0xAA);
}

TEST_F(ZetaIndex, IndexedAddressWraps) {
    ctx().ix = 0xFFFF;
    memory[0x0001] = 0x42;
    exec({0xDD, 0x46, 0x02});  // LD B,(IX+2)
    EXPECT_EQ(b(), 0x42);
}

TEST_F(ZetaIndex, IndexedArithmetic) {
    ctx().iy = 0x3000;
    memory[0x3010] = 0x7F;
    EXPECT_EQ(exec({0xFD, 0x34, 0x10}), 23u);  // INC (IY+16)
    EXPECT_EQ(memory[0x3010], 0x80);
    EXPECT_EQ(f(), kS | kH | kPV);
    setA(0x01);
    EXPECT_EQ(exec({0xFD, 0x86, 0x10}), 19u);  // ADD A,(IY+16)
    EXPECT_EQ(a(), 0x81);
    ctx().ix = 0x8000;
    ctx().bc = 0x8000;
    EXPECT_EQ(exec({0xDD, 0x09}), 15u);  // ADD IX,BC
    EXPECT_EQ(ctx().ix, 0);
    EXPECT_EQ(f() & (kC | kN), kC);
    ctx().ix = 0x4000;
    exec({0xDD, 0x29});  // ADD IX,IX
    EXPECT_EQ(ctx().ix, 0x8000);
}

TEST_F(ZetaIndex, HalfRegisterForms) {
    ctx().ix = 0x7F02;
    EXPECT_EQ(exec({0xDD, 0x24}), 9u);  // INC IXH
    EXPECT_EQ(ctx().ix, 0x8002);
    EXPECT_EQ(f(), kS | kH | kPV);
    exec({0xDD, 0x2C});  // INC IXL
    EXPECT_EQ(ctx().ix, 0x8003);
    EXPECT_EQ(f(), 0);
    EXPECT_EQ(exec({0xFD, 0x26, 0x12}), 9u);  // LD IYH,0x12
    EXPECT_EQ(exec({0xFD, 0x2E, 0x34}), 9u);  // LD IYL,0x34
    EXPECT_EQ(ctx().iy, 0x1234);
    EXPECT_EQ(exec({0xFD, 0x65}), 9u);  // LD IYH,IYL
    EXPECT_EQ(ctx().iy, 0x3434);
    ctx().hl = 0x0000;
    exec({0xDD, 0x7C});  // LD A,IXH
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(exec({0xDD, 0x85}), 9u);  // ADD A,IXL
    EXPECT_EQ(a(), 0x83);
    exec({0xDD, 0x67});  // LD IXH,A
    EXPECT_EQ(ctx().ix, 0x8303);
    EXPECT_EQ(ctx().hl, 0) << "H and L are untouched";
}

TEST_F(ZetaIndex, StackAndJumpForms) {
    ctx().sp = 0x4000;
    ctx().ix = 0xABCD;
    EXPECT_EQ(exec({0xDD, 0xE5}), 15u);  // PUSH IX
    EXPECT_EQ(word(0x3FFE), 0xABCD);
    EXPECT_EQ(exec({0xFD, 0xE1}), 14u);  // POP IY
    EXPECT_EQ(ctx().iy, 0xABCD);
    load(0x4000, {0x11, 0x22});
    EXPECT_EQ(exec({0xDD, 0xE3}), 23u);  // EX (SP),IX
    EXPECT_EQ(ctx().ix, 0x2211);
    EXPECT_EQ(word(0x4000), 0xABCD);
    EXPECT_EQ(exec({0xFD, 0xF9}), 10u);  // LD SP,IY
    EXPECT_EQ(ctx().sp, 0xABCD);
    EXPECT_EQ(exec({0xDD, 0x23}), 10u);  // INC IX
    EXPECT_EQ(ctx().ix, 0x2212);
    EXPECT_EQ(exec({0xDD, 0x22, 0x00, 0x50}), 20u);  // LD (0x5000),IX
    EXPECT_EQ(word(0x5000), 0x2212);
    EXPECT_EQ(exec({0xDD, 0xE9}), 8u);  // JP (IX)
    EXPECT_EQ(ctx().pc, 0x2212);
}

TEST_F(ZetaIndex, IndexBitFamily) {
    ctx().ix = 0x3000;
    memory[0x3005] = 0x80;
    EXPECT_EQ(exec({0xDD, 0xCB, 0x05, 0x06}), 23u);  // RLC (IX+5)
    EXPECT_EQ(memory[0x3005], 0x01);
    EXPECT_EQ(f(), kC);
    memory[0x3005] = 0x00;
    exec({0xDD, 0xCB, 0x05, 0x06});
    EXPECT_EQ(f(), kZ | kPV);
    EXPECT_EQ(ctx().pc, 0x0104);
    ctx().iy = 0x3100;
    memory[0x30FF] = 0x80;
    EXPECT_EQ(exec({0xFD, 0xCB, 0xFF, 0x7E}), 20u);  // BIT 7,(IY-1)
    EXPECT_EQ(f() & (kS | kZ | kPV | kH | kN), kS | kH);
    EXPECT_EQ(exec({0xFD, 0xCB, 0xFF, 0xC6}), 23u);  // SET 0,(IY-1)
    EXPECT_EQ(memory[0x30FF], 0x81);
    EXPECT_EQ(exec({0xFD, 0xCB, 0xFF, 0xBE}), 23u);  // RES 7,(IY-1)
    EXPECT_EQ(memory[0x30FF], 0x01);
}

}  // namespace
}  // namespace vimo::test
