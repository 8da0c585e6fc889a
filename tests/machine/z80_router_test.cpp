// The Z80 core router: core 1 on the Z80 bus, run slices that pay back their
// overrun, the frame's interrupt, resets (also one the Z80 asks for itself),
// and the register state that a change of cores moves. The programs here
// are put straight into Z80 RAM; the machine runs them as the frame does.
#include <cstdint>
#include <initializer_list>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine_test_util.h"
#include "z80_side_test_util.h"
#include "z80side_programs.h"

namespace vimo {
namespace {

using test::ReportRecorder;

constexpr int32_t kSlice = kZ80CyclesPerLine;

class Z80Router : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();

    void load(uint32_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) machine->z80Ram[address++] = byte;
    }
    void setWord(uint32_t address, uint16_t value) {
        machine->z80Ram[address] = static_cast<uint8_t>(value);
        machine->z80Ram[address + 1] = static_cast<uint8_t>(value >> 8);
    }
    uint16_t word(uint32_t address) const {
        return static_cast<uint16_t>(machine->z80Ram[address] | (machine->z80Ram[address + 1] << 8));
    }
    void setBank(uint32_t bank) {
        for (int i = 0; i < 9; ++i) machine->z80Write(0x6000, (bank >> i) & 1);
    }
    // The 68000 gives the Z80 its bus, as a write of 0 to 0xA11100 does.
    void release() { machine->writeByteSystem(0xA11100, 0); }
    void slices(int count) {
        for (int i = 0; i < count; ++i) machine->runZ80(kSlice);
    }
    ZetaContext registers() const {
        ZetaContext context;
        zetaSaveContext(machine->zetaCore, &context);
        return context;
    }
    // The cycles the core has counted since the router last took them.
    uint32_t owed() { return zetaTakeElapsed(machine->zetaCore, 0); }
};

// ---- Core 1 on the Z80 bus -------------------------------------------------------------

TEST_F(Z80Router, CoreOneStartsFromItsResetStateOnTheZ80Bus) {
    EXPECT_EQ(machine->z80Core, kZetaCore);
    const ZetaContext reset = registers();
    EXPECT_EQ(reset.pc, 0u);
    EXPECT_EQ(reset.sp, 0u);
    EXPECT_EQ(reset.af, 0x0040u);
    EXPECT_EQ(reset.ix, 0xFFFFu);
    EXPECT_EQ(reset.iy, 0xFFFFu);

    machine->z80Ram[0x1100] = 0x3C;
    load(0x0000, {
        0x3A, 0x00, 0x31,  // LD A,(0x3100): the mirror of 0x1100
        0x32, 0x00, 0x12,  // LD (0x1200),A
        0x3E, 0x2B,        // LD A,0x2B
        0x32, 0x00, 0x40,  // LD (0x4000),A: YM2612 part I register number
        0x3E, 0x80,        // LD A,0x80
        0x32, 0x01, 0x40,  // LD (0x4001),A: its data
        0xDB, 0x10,        // IN A,(0x10): no port answers
        0x32, 0x01, 0x12,  // LD (0x1201),A
        0x18, 0xFE,        // JR $
    });
    release();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1200], 0x3C);
    EXPECT_EQ(machine->fmShadow[0][0x2B], 0x80);
    EXPECT_EQ(machine->z80Ram[0x1201], 0xFF);
    EXPECT_EQ(registers().pc, 0x15u);
}

TEST_F(Z80Router, AHeldZ80NeitherRunsNorCountsCycles) {
    load(0x0000, {0x00, 0x00, 0x00, 0x00, 0xC3, 0x00, 0x00});  // NOPs, JP 0
    ASSERT_EQ(machine->z80Running, 0u) << "held after the hard reset";
    slices(20);
    EXPECT_EQ(registers().pc, 0u);
    EXPECT_EQ(owed(), 0u);

    release();
    slices(1);
    EXPECT_GE(owed(), static_cast<uint32_t>(kSlice));
    machine->writeByteSystem(0xA11100, 1);  // bus request: held again
    const uint16_t pc = registers().pc;
    const uint32_t counted = owed();
    slices(20);
    EXPECT_EQ(registers().pc, pc);
    EXPECT_EQ(owed(), counted);
}

// A slice that counted more than a whole line (its own overrun, or the cost
// of an interrupt taken before it) is paid back by the next: that one gets
// the line less the excess. A slice that counted less owes nothing.
TEST_F(Z80Router, ASliceThatRanLongerThanALineIsPaidBackInTheNext) {
    load(0x0000, {
        0xED, 0x56,                          // IM 1
        0x31, 0x00, 0x10,                    // LD SP,0x1000
        0xFB,                                // EI
        0xDD, 0xE3, 0xDD, 0xE3, 0xDD, 0xE3,  // 6: EX (SP),IX three times (23 cycles each)
        0xC3, 0x06, 0x00,                    // JP 6
    });
    load(0x0038, {0xFB, 0xED, 0x4D});  // EI, RETI
    release();

    constexpr uint32_t kLongestOverrun = 22;  // a 23-cycle instruction started with 0 left
    constexpr uint32_t kLine = kSlice;
    int shortened = 0;
    for (int i = 0; i < 400; ++i) {
        if (i % 100 == 50) machine->interruptZ80();  // 13 cycles of acceptance, between slices
        const uint32_t before = owed();
        const uint32_t budget = before > kLine ? kLine - (before - kLine) : kLine;
        machine->runZ80(kSlice);
        const uint32_t counted = owed();
        ASSERT_GE(counted, budget) << "slice " << i;
        ASSERT_LE(counted, budget + kLongestOverrun) << "slice " << i;
        if (budget < kLine) ++shortened;
    }
    EXPECT_GT(shortened, 100);
}

// A debt larger than the slice asked for (the frame's slices never leave
// one) skips the slice instead of running a negative budget.
TEST_F(Z80Router, ADebtLargerThanTheSliceSkipsIt) {
    load(0x0000, {0xDD, 0xE3, 0xC3, 0x00, 0x00});  // EX (SP),IX; JP 0
    release();
    machine->runZ80(kSlice);
    ASSERT_GT(owed(), 20u);
    const uint16_t pc = registers().pc;
    machine->runZ80(10);
    EXPECT_EQ(registers().pc, pc);
    EXPECT_EQ(owed(), 0u);
    machine->runZ80(kSlice);
    EXPECT_GE(owed(), static_cast<uint32_t>(kSlice)) << "the next slice runs whole";
}

TEST_F(Z80Router, TheFramesInterruptReachesCoreOneWithDataByteOne) {
    load(0x0000, {
        0xED, 0x5E,        // IM 2
        0x3E, 0x12,        // LD A,0x12
        0xED, 0x47,        // LD I,A
        0x31, 0x00, 0x10,  // LD SP,0x1000
        0xFB,              // EI
        0x76,              // 10: HALT
        0x18, 0xFD,        // JR 10
    });
    setWord(0x1201, 0x0150);  // the vector for data byte 1
    setWord(0x12FF, 0x0160);  // the vector for data byte 0xFF
    load(0x0150, {0x3E, 0xA1, 0x32, 0x00, 0x13, 0x18, 0xFE});  // LD A,0xA1; LD (0x1300),A; JR $
    load(0x0160, {0x3E, 0xFF, 0x32, 0x00, 0x13, 0x18, 0xFE});
    release();
    slices(2);
    ASSERT_EQ(registers().halted, 1u);
    machine->interruptZ80();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1300], 0xA1);
}

// ---- Resets --------------------------------------------------------------------------------

TEST_F(Z80Router, AResetRestartsTheCoreAndKeepsItsRamAndTheBank) {
    load(0x0000, {
        0x31, 0x00, 0x1E,        // LD SP,0x1E00
        0x01, 0x34, 0x12,        // LD BC,0x1234
        0xDD, 0x21, 0x78, 0x56,  // LD IX,0x5678
        0x3E, 0x77,              // LD A,0x77
        0xED, 0x47,              // LD I,A
        0xED, 0x56,              // IM 1
        0xFB,                    // EI
        0x18, 0xFE,              // JR $
    });
    setBank(0x1FE);
    release();
    slices(2);
    ASSERT_EQ(registers().bc, 0x1234u);

    machine->resetZ80();
    const ZetaContext reset = registers();
    EXPECT_EQ(reset.pc, 0u);
    EXPECT_EQ(reset.sp, 0u);
    EXPECT_EQ(reset.af, 0x0040u);
    EXPECT_EQ(reset.bc, 0u);
    EXPECT_EQ(reset.ix, 0xFFFFu);
    EXPECT_EQ(reset.i, 0u);
    EXPECT_EQ(reset.iff, 0u);
    EXPECT_EQ(reset.interruptMode, 0u);
    EXPECT_EQ(machine->z80Ram[0x0004], 0x34) << "Z80 RAM stays";
    EXPECT_EQ(machine->z80Bank, 0x1FEu) << "the bank register stays";
    EXPECT_EQ(machine->z80Running, 1u) << "a reset does not take the bus";
}

// The Z80 writes 0 to 0xA11200 through its window: the instruction that
// writes it finishes, then the core resets and the slice ends; nothing after
// it runs and nothing of the old registers survives.
TEST_F(Z80Router, AResetTheZ80AsksForItselfEndsTheSliceWithAWholeReset) {
    load(0x0000, {
        0x31, 0x00, 0x1E,  // LD SP,0x1E00 (10 cycles)
        0x01, 0x34, 0x12,  // LD BC,0x1234 (10)
        0xAF,              // XOR A (4)
        0x32, 0x00, 0x92,  // LD (0x9200),A (13): 68000 0xA11200 with bank 0x142
        0x3E, 0x55,        // LD A,0x55
        0x32, 0x00, 0x13,  // LD (0x1300),A
        0x18, 0xFE,        // JR $
    });
    setBank(0x142);
    release();
    slices(1);
    const ZetaContext after = registers();
    EXPECT_EQ(after.pc, 0u);
    EXPECT_EQ(after.sp, 0u);
    EXPECT_EQ(after.bc, 0u);
    EXPECT_EQ(after.af, 0x0040u);
    EXPECT_EQ(machine->z80Ram[0x1300], 0x00) << "the instruction after the reset never ran";
    EXPECT_EQ(owed(), 10u + 10u + 4u + 13u) << "the slice counted what ran, up to the reset";
    slices(1);
    EXPECT_EQ(owed(), 10u + 10u + 4u + 13u) << "the next slice starts the program again";
    EXPECT_EQ(registers().pc, 0u);
}

// ---- Selecting a core ----------------------------------------------------------------------

TEST_F(Z80Router, SelectingTheSelectedOrAMissingCoreChangesNothing) {
    load(0x0000, {0x01, 0x34, 0x12, 0x18, 0xFE});  // LD BC,0x1234; JR $
    release();
    slices(1);
    const ZetaContext before = registers();
    for (uint32_t core : {kZetaCore, 0u, 3u, 0xFFFFFFFFu}) {
        EXPECT_EQ(machine->selectZ80Core(core), 0);
        EXPECT_EQ(machine->z80Core, kZetaCore);
    }
    const ZetaContext after = registers();
    EXPECT_EQ(after.pc, before.pc);
    EXPECT_EQ(after.bc, before.bc);
    slices(1);
    EXPECT_EQ(registers().pc, 3u) << "the program goes on";
}

// ---- The register state moved between cores -------------------------------------------------

class Z80State : public Z80Router {
protected:
    // Every field different from a reset and from the others.
    static Z80RegisterState sample() {
        Z80RegisterState s;
        s.af = 0x8D41;
        s.bc = 0x1357;
        s.de = 0x2468;
        s.hl = 0x369C;
        s.af2 = 0x4A85;
        s.bc2 = 0x5B96;
        s.de2 = 0x6CA7;
        s.hl2 = 0x7DB8;
        s.ix = 0x8EC9;
        s.iy = 0x9FDA;
        s.sp = 0x1E00;
        s.pc = 0x0100;
        s.i = 0x12;
        s.r = 0x34;
        s.iff1 = 0;
        s.iff2 = 1;
        s.interruptMode = 2;
        s.halted = 0;
        s.interruptPending = 0;
        s.interruptVector = 0x20;
        return s;
    }
};

TEST_F(Z80State, CoreOneGivesItsWholeRegisterState) {
    const auto program = programs::z80side_registers();
    test::putZ80Program(*machine, program);
    release();
    slices(2);
    machine->interruptZ80();  // interrupts are off: it waits, and the halt ends

    Z80RegisterState s;
    ASSERT_TRUE(machine->saveZ80State(kZetaCore, s));
    EXPECT_EQ(s.af, 0xA5C3u);
    EXPECT_EQ(s.bc, 0x1122u);
    EXPECT_EQ(s.de, 0x3344u);
    EXPECT_EQ(s.hl, 0x5566u);
    EXPECT_EQ(s.af2, 0x1234u);
    EXPECT_EQ(s.bc2, 0x7788u);
    EXPECT_EQ(s.de2, 0x99AAu);
    EXPECT_EQ(s.hl2, 0xBBCCu);
    EXPECT_EQ(s.ix, 0xDDEEu);
    EXPECT_EQ(s.iy, 0xF00Fu);
    EXPECT_EQ(s.sp, 0x1E00u);
    EXPECT_EQ(s.pc, program.size()) << "just past the HALT, the program's last byte";
    EXPECT_EQ(s.i, 0x5Au);
    EXPECT_EQ(s.iff1, 0u);
    EXPECT_EQ(s.iff2, 0u);
    EXPECT_EQ(s.interruptMode, 2u);
    EXPECT_EQ(s.halted, 0u);
    EXPECT_EQ(s.interruptPending, 1u);
    EXPECT_EQ(s.interruptVector, 1u) << "the frame's data byte on core 1";
}

TEST_F(Z80State, CoreOneTakesAWholeRegisterStateAndRunsOnFromIt) {
    // Some cycles owed from a slice that ran over.
    load(0x0000, {0xDD, 0xE3, 0xC3, 0x00, 0x00});  // EX (SP),IX; JP 0
    release();
    slices(1);
    ASSERT_GT(owed(), static_cast<uint32_t>(kSlice));

    test::putZ80Program(*machine, programs::z80side_capture(), 0x0100);
    const Z80RegisterState s = sample();
    ASSERT_TRUE(machine->loadZ80State(kZetaCore, s));
    EXPECT_EQ(owed(), 0u) << "taking the program over, the core owes nothing";
    Z80RegisterState back;
    ASSERT_TRUE(machine->saveZ80State(kZetaCore, back));
    EXPECT_EQ(back, s);

    slices(2);
    EXPECT_EQ(test::z80Word(*machine, 0), s.sp);
    EXPECT_EQ(test::z80Word(*machine, 2), s.hl);
    EXPECT_EQ(test::z80Word(*machine, 4), s.bc);
    EXPECT_EQ(test::z80Word(*machine, 6), s.de);
    EXPECT_EQ(test::z80Word(*machine, 8), s.ix);
    EXPECT_EQ(test::z80Word(*machine, 10), s.iy);
    EXPECT_EQ(test::z80Word(*machine, 12), s.af);
    EXPECT_EQ(test::z80Word(*machine, 14), s.bc2);
    EXPECT_EQ(test::z80Word(*machine, 16), s.de2);
    EXPECT_EQ(test::z80Word(*machine, 18), s.hl2);
    EXPECT_EQ(test::z80Word(*machine, 20), s.af2);
    EXPECT_EQ(test::z80Byte(*machine, 22), s.i);
    const ZetaContext after = registers();
    EXPECT_EQ(after.iff, 2u) << "IFF1 clear, IFF2 set";
    EXPECT_EQ(after.interruptMode, 2u);
    EXPECT_EQ(after.base, machine->z80Ram.get()) << "the map stays the core's own";
}

TEST_F(Z80State, APendingRequestMovesWithItsDataByte) {
    load(0x0200, {0x18, 0xFE});  // JR $
    setWord(0x1220, 0x0300);     // the vector for data byte 0x20
    setWord(0x1201, 0x0310);     // the vector for the frame's data byte 1
    load(0x0300, {0x3E, 0xB2, 0x32, 0x00, 0x13, 0x18, 0xFE});  // LD A,0xB2; LD (0x1300),A; JR $
    load(0x0310, {0x3E, 0xB3, 0x32, 0x00, 0x13, 0x18, 0xFE});
    Z80RegisterState s = sample();
    s.pc = 0x0200;
    s.iff1 = 1;
    s.iff2 = 1;
    s.interruptPending = 1;
    ASSERT_TRUE(machine->loadZ80State(kZetaCore, s));
    release();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1300], 0xB2) << "taken at the start of the run, through I x 256 + 0x20";
    EXPECT_EQ(word(0x1DFE), 0x0200u) << "the return address";
}

TEST_F(Z80State, AHaltMovesAndTheNextInterruptEndsIt) {
    load(0x0200, {0x76, 0x18, 0xFD});                          // HALT; JR back to it
    load(0x0038, {0x3E, 0xC4, 0x32, 0x00, 0x13, 0x18, 0xFE});  // LD A,0xC4; LD (0x1300),A; JR $
    Z80RegisterState s = sample();
    s.pc = 0x0201;
    s.halted = 1;
    s.iff1 = 1;
    s.iff2 = 1;
    s.interruptMode = 1;
    ASSERT_TRUE(machine->loadZ80State(kZetaCore, s));
    release();
    for (int i = 0; i < 3; ++i) {
        machine->runZ80(kSlice);
        EXPECT_EQ(owed(), static_cast<uint32_t>(kSlice)) << "a halted core counts its slice";
    }
    EXPECT_EQ(registers().pc, 0x0201u);
    EXPECT_EQ(machine->z80Ram[0x1300], 0x00);
    machine->interruptZ80();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1300], 0xC4);
    EXPECT_EQ(word(0x1DFE), 0x0201u) << "the return address is the one after the HALT";
}

TEST_F(Z80State, AMissingCoreGivesAndTakesNothing) {
    const ZetaContext before = registers();
    Z80RegisterState s = sample();
    const Z80RegisterState untouched = s;
    for (uint32_t core : {0u, 3u}) {
        EXPECT_FALSE(machine->saveZ80State(core, s));
        EXPECT_EQ(s, untouched);
        EXPECT_FALSE(machine->loadZ80State(core, s));
    }
    EXPECT_EQ(registers().af, before.af);
    EXPECT_EQ(registers().pc, before.pc);
}

// ---- Core 2 ---------------------------------------------------------------------------------------

class Z80RouterCoreTwo : public Z80State {
protected:
    Z80RouterCoreTwo() { EXPECT_EQ(machine->selectZ80Core(kKiteCore), 0); }
    uint32_t kite(uint32_t index) const { return kiteRegister(machine->kiteCore, index); }
    int32_t counted() const { return kiteCyclesDone(machine->kiteCore); }
};

TEST_F(Z80RouterCoreTwo, RunsOnTheSameZ80Bus) {
    ASSERT_EQ(machine->z80Core, kKiteCore);
    machine->z80Ram[0x1100] = 0x3C;
    load(0x0000, {
        0x3A, 0x00, 0x31,  // LD A,(0x3100): the mirror of 0x1100
        0x32, 0x00, 0x12,  // LD (0x1200),A
        0x3E, 0x2B,        // LD A,0x2B
        0x32, 0x00, 0x40,  // LD (0x4000),A: YM2612 part I register number
        0x3E, 0x80,        // LD A,0x80
        0x32, 0x01, 0x40,  // LD (0x4001),A: its data
        0xDB, 0x10,        // IN A,(0x10): no port answers
        0x32, 0x01, 0x12,  // LD (0x1201),A
        0xC3, 0x00, 0x3F,  // JP 0x3F00: on through the RAM mirror
    });
    load(0x1F00, {0x18, 0xFE});  // JR $, run at 0x3F00
    release();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1200], 0x3C);
    EXPECT_EQ(machine->fmShadow[0][0x2B], 0x80);
    EXPECT_EQ(machine->z80Ram[0x1201], 0xFF);
    EXPECT_EQ(kite(kKitePC), 0x3F00u) << "running from the RAM mirror";
    EXPECT_EQ(registers().pc, 0u) << "core 1 stood still";
}

// As on core 1, a debt larger than the slice skips that one slice only.
TEST_F(Z80RouterCoreTwo, ADebtLargerThanTheSliceSkipsOneSlice) {
    load(0x0000, {0xDD, 0xE3, 0xC3, 0x00, 0x00});  // EX (SP),IX; JP 0
    release();
    machine->runZ80(4 * kSlice);
    ASSERT_GE(counted(), 4 * kSlice);
    const uint32_t pc = kite(kKitePC);
    machine->runZ80(kSlice);
    EXPECT_EQ(kite(kKitePC), pc);
    machine->runZ80(kSlice);
    EXPECT_GE(counted(), kSlice) << "the next slice runs whole";
    EXPECT_LT(counted(), 2 * kSlice);
}

TEST_F(Z80RouterCoreTwo, SlicesPayBackTheOverrunAndTheAcceptanceCycles) {
    load(0x0000, {
        0xED, 0x56,                          // IM 1
        0x31, 0x00, 0x10,                    // LD SP,0x1000
        0xFB,                                // EI
        0xDD, 0xE3, 0xDD, 0xE3, 0xDD, 0xE3,  // 6: EX (SP),IX three times (23 cycles each)
        0xC3, 0x06, 0x00,                    // JP 6
    });
    load(0x0038, {0xFB, 0xED, 0x4D});  // EI, RETI
    release();
    constexpr int32_t kLongestOverrun = 22;
    constexpr int32_t kAcceptance = 13;
    int shortened = 0;
    int accepted = 0;
    for (int i = 0; i < 400; ++i) {
        bool interrupt = false;
        if (i % 100 == 50) {
            machine->interruptZ80();  // accepted at once; its 13 cycles counted by the next slice
            interrupt = true;
            ++accepted;
        }
        const int32_t before = counted();
        const int32_t budget = before > kSlice ? kSlice - (before - kSlice) : kSlice;
        machine->runZ80(kSlice);
        const int32_t now = counted() - (interrupt ? kAcceptance : 0);
        ASSERT_GE(now, budget) << "slice " << i;
        ASSERT_LE(now, budget + kLongestOverrun) << "slice " << i;
        if (budget < kSlice) ++shortened;
    }
    EXPECT_EQ(accepted, 4);
    EXPECT_GT(shortened, 100);
}

TEST_F(Z80RouterCoreTwo, TheFramesInterruptComesWithDataByteFF) {
    load(0x0000, {
        0xED, 0x5E,        // IM 2
        0x3E, 0x12,        // LD A,0x12
        0xED, 0x47,        // LD I,A
        0x31, 0x00, 0x10,  // LD SP,0x1000
        0xFB,              // EI
        0x76,              // 10: HALT
        0x18, 0xFD,        // JR 10
    });
    setWord(0x1201, 0x0150);  // the vector for data byte 1
    setWord(0x12FF, 0x0160);  // the vector for data byte 0xFF
    load(0x0150, {0x3E, 0xA1, 0x32, 0x00, 0x13, 0x18, 0xFE});
    load(0x0160, {0x3E, 0xFF, 0x32, 0x00, 0x13, 0x18, 0xFE});
    release();
    slices(2);
    ASSERT_EQ(kite(kKiteHalted), 1u);
    machine->interruptZ80();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1300], 0xFF);
}

TEST_F(Z80RouterCoreTwo, AResetTheZ80AsksForItselfEndsTheSliceWithAWholeReset) {
    load(0x0000, {
        0x31, 0x00, 0x1E,  // LD SP,0x1E00 (10 cycles)
        0x01, 0x34, 0x12,  // LD BC,0x1234 (10)
        0xAF,              // XOR A (4)
        0x32, 0x00, 0x92,  // LD (0x9200),A (13): 68000 0xA11200 with bank 0x142
        0x3E, 0x55,        // LD A,0x55
        0x32, 0x00, 0x13,  // LD (0x1300),A
        0x18, 0xFE,        // JR $
    });
    setBank(0x142);
    release();
    slices(1);
    EXPECT_EQ(kite(kKitePC), 0u);
    EXPECT_EQ(kite(kKiteSP), 0u);
    EXPECT_EQ(kite(kKiteBC), 0u);
    EXPECT_EQ(kite(kKiteAF), 0x0040u);
    EXPECT_EQ(machine->z80Ram[0x1300], 0x00) << "the instruction after the reset never ran";
    EXPECT_EQ(counted(), 10 + 10 + 4 + 13) << "the slice counted what ran, up to the reset";
    slices(1);
    EXPECT_EQ(counted(), 10 + 10 + 4 + 13) << "the next slice starts the program again";
    EXPECT_EQ(kite(kKitePC), 0u);
}

TEST_F(Z80RouterCoreTwo, AResetResetsBothCores) {
    load(0x0000, {0x01, 0x34, 0x12, 0x18, 0xFE});  // LD BC,0x1234; JR $
    release();
    slices(1);
    ASSERT_EQ(kite(kKiteBC), 0x1234u);
    machine->resetZ80();
    EXPECT_EQ(kite(kKiteBC), 0u);
    EXPECT_EQ(kite(kKitePC), 0u);
    EXPECT_EQ(kite(kKiteIX), 0xFFFFu);
    EXPECT_EQ(machine->z80Core, kKiteCore) << "the choice of core stays";
}

TEST_F(Z80RouterCoreTwo, TakesAWholeRegisterStateAndGivesItBack) {
    const Z80RegisterState s = sample();
    ASSERT_TRUE(machine->loadZ80State(kKiteCore, s));
    Z80RegisterState back;
    ASSERT_TRUE(machine->saveZ80State(kKiteCore, back));
    EXPECT_EQ(back, s);
    EXPECT_EQ(machine->kiteCore.context.fetchPages[0x00], machine->z80Ram.get()) << "the map stays the core's own";
    EXPECT_EQ(counted(), 0) << "taking the program over, the core owes nothing";
}

// A change of cores carries everything core 1 held, its pending frame
// interrupt with the data byte core 2 is given for it; back on core 1 the
// same state returns.
TEST_F(Z80RouterCoreTwo, SwitchingMovesTheWholeStateBothWays) {
    ASSERT_EQ(machine->selectZ80Core(kZetaCore), 0);
    test::putZ80Program(*machine, programs::z80side_registers());
    release();
    slices(2);
    machine->interruptZ80();  // interrupts are off: it stays pending
    Z80RegisterState onZeta;
    ASSERT_TRUE(machine->saveZ80State(kZetaCore, onZeta));
    ASSERT_EQ(onZeta.interruptPending, 1u);

    ASSERT_EQ(machine->selectZ80Core(kKiteCore), 0);
    Z80RegisterState onKite;
    ASSERT_TRUE(machine->saveZ80State(kKiteCore, onKite));
    Z80RegisterState expected = onZeta;
    expected.interruptVector = 0xFF;
    EXPECT_EQ(onKite, expected);

    ASSERT_EQ(machine->selectZ80Core(kZetaCore), 0);
    Z80RegisterState back;
    ASSERT_TRUE(machine->saveZ80State(kZetaCore, back));
    EXPECT_EQ(back, onZeta) << "the frame's data byte is core 1's own again, so IM 2 finds its vector";
}

TEST_F(Z80RouterCoreTwo, APendingRequestAllowedByIff1IsAcceptedAsItMoves) {
    load(0x0200, {0x18, 0xFE});  // JR $
    setWord(0x1220, 0x0300);     // the vector for data byte 0x20
    load(0x0300, {0x3E, 0xB2, 0x32, 0x00, 0x13, 0x18, 0xFE});  // LD A,0xB2; LD (0x1300),A; JR $
    Z80RegisterState s = sample();
    s.pc = 0x0200;
    s.iff1 = 1;
    s.iff2 = 1;
    s.interruptPending = 1;
    ASSERT_TRUE(machine->loadZ80State(kKiteCore, s));
    EXPECT_EQ(kite(kKitePC), 0x0300u);
    EXPECT_EQ(word(0x1DFE), 0x0200u) << "the return address";
    release();
    slices(1);
    EXPECT_EQ(machine->z80Ram[0x1300], 0xB2);
}

}  // namespace
}  // namespace vimo
