// The run loop, exec results, the odometer family, STOP and RESET, context
// exchange from inside bus handlers, and two instances driving each other.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "rig.h"

namespace vimo::test {
namespace {

constexpr uint16_t kNop = 0x4E71;
constexpr uint16_t kStop = 0x4E72;
constexpr uint16_t kReset = 0x4E70;
constexpr uint16_t kMoveWordD0ToA0 = 0x3080;  // MOVE.W D0,(A0): 8 cycles
constexpr uint32_t kDevice = 0x20000;          // handler regions live here

uint16_t moveq(unsigned reg, uint8_t value) { return static_cast<uint16_t>(0x7000 | reg << 9 | value); }

// A write handler region whose handler runs a test's code.
struct Device {
    static inline std::function<void(uint32_t, uint32_t)> onWrite;
    static void write(uint32_t address, uint32_t data, const DataRegion*) {
        if (onWrite) onWrite(address, data);
    }
    static void attach(Rig& rig) {
        rig.ram.addDataRegion(M68kMemory::DataList::writeWord, DataRegion::writer(kDevice, kDevice + 0xFFFF, write));
        rig.ram.addDataRegion(M68kMemory::DataList::writeByte, DataRegion::writer(kDevice, kDevice + 0xFFFF, write));
    }
    Device() { onWrite = nullptr; }
    ~Device() { onWrite = nullptr; }
};

TEST(Exec, ZeroOrNegativeCyclesRunExactlyOneInstruction) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1), moveq(1, 2), moveq(2, 3)});
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(0), kExecSliceEnded);
    EXPECT_EQ(rig.context().d[0], 1u);
    EXPECT_EQ(rig.context().d[1], 0u);
    EXPECT_EQ(rig.context().odometer, 4u);
    EXPECT_EQ(rig.cpu->exec(-5), kExecSliceEnded);
    EXPECT_EQ(rig.context().d[1], 2u);
    EXPECT_EQ(rig.context().d[2], 0u);
    EXPECT_EQ(rig.context().odometer, 8u);
    EXPECT_EQ(rig.context().pc, 0x1004u);
}

TEST(Exec, TheLastInstructionOvershootsAndIsCounted) {
    Rig rig;
    rig.put(0x1000, {0x203C, 0x1234, 0x5678, moveq(1, 1)});  // MOVE.L #imm,D0 costs 12
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(10), kExecSliceEnded);
    EXPECT_EQ(rig.context().d[0], 0x12345678u);
    EXPECT_EQ(rig.context().d[1], 0u);
    EXPECT_EQ(rig.context().odometer, 12u);
}

TEST(Exec, TraceAtEntryStepsOneInstructionThenTheSliceGoesOnUntraced) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1)});
    rig.vector(9, 0x2000);
    rig.put(0x2000, {moveq(2, 7), kStop, 0x2700});
    rig.start(0x1000, 0xA700);
    EXPECT_EQ(rig.cpu->exec(1000), kExecSliceEnded);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.d[0], 1u);
    EXPECT_EQ(ctx.d[2], 7u);
    EXPECT_EQ(ctx.a[7], Rig::kSsp - 6) << "the handler itself must not be traced";
    EXPECT_EQ(rig.stackedSr(), 0xA700);
    EXPECT_EQ(rig.stackedPc(), 0x1002u);
    EXPECT_EQ(ctx.odometer, 1000u) << "STOP spends the rest of the slice";
}

TEST(Exec, AStoppedInstanceOnlyCountsCycles) {
    Rig rig;
    rig.put(0x1000, {kStop, 0x2700, moveq(0, 1)});
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(100), kExecSliceEnded);
    EXPECT_EQ(rig.context().odometer, 100u);
    EXPECT_EQ(rig.context().interrupts[0] & 1, 1);
    EXPECT_EQ(rig.cpu->exec(487), kExecSliceEnded);
    EXPECT_EQ(rig.context().odometer, 587u);
    EXPECT_EQ(rig.context().d[0], 0u);
    EXPECT_EQ(rig.context().pc, 0x1004u);
}

TEST(Exec, AnSrWriteThatUnmasksTakesThePendingLevelBeforeTheNextInstruction) {
    Rig rig;
    rig.put(0x1000, {0x46FC, 0x2000, moveq(0, 1)});  // MOVE #$2000,SR
    rig.vector(30, 0x2000);
    rig.put(0x2000, {kStop, 0x2700});
    rig.start(0x1000, 0x2700);
    EXPECT_EQ(rig.cpu->interrupt(6, -1), 0);
    rig.cpu->exec(1000);
    EXPECT_EQ(rig.context().d[0], 0u);
    EXPECT_EQ(rig.stackedPc(), 0x1004u);
    EXPECT_EQ(rig.stackedSr() & 0x0700, 0);
}

// The check after an SR write is the one at exec entry: whatever the taken
// interrupt leaves of the slice, the instruction after the check runs (as
// exec(0) runs one instruction after an entry interrupt).
TEST(Exec, AnInterruptTakenAfterAnSrWriteIsFollowedByOneInstructionEvenPastTheSlice) {
    struct Case {
        const char* what;
        std::vector<uint16_t> code;
        uint32_t cost;
    };
    const Case cases[] = {
        {"MOVE #$2000,SR", {0x46FC, 0x2000}, 16},
        {"ANDI #$F8FF,SR", {0x027C, 0xF8FF}, 20},
        {"RTE", {0x4E73}, 20},
    };
    for (const Case& c : cases) {
        Rig rig;
        uint32_t at = 0x1000;
        for (uint16_t w : c.code) at = rig.put(at, {w});
        rig.put(at, {moveq(0, 1)});
        rig.vector(30, 0x2000);
        rig.put(0x2000, {moveq(5, 5), moveq(6, 6)});
        rig.start(0x1000, 0x2700);
        // RTE returns to the instruction after it, with mask 0.
        rig.ram.writeWord(Rig::kSsp, 0x2000);
        rig.ram.writeLong(Rig::kSsp + 2, at);
        EXPECT_EQ(rig.cpu->interrupt(6, -1), 0);
        EXPECT_EQ(rig.cpu->exec(static_cast<int32_t>(c.cost) + 4), kExecSliceEnded) << c.what;
        const Cpu68000Context ctx = rig.context();
        EXPECT_EQ(ctx.d[0], 0u) << c.what;
        EXPECT_EQ(ctx.d[5], 5u) << c.what << ": the handler's first instruction runs";
        EXPECT_EQ(ctx.d[6], 0u) << c.what;
        EXPECT_EQ(ctx.pc, 0x2002u) << c.what;
        EXPECT_EQ(ctx.odometer, c.cost + 44 + 4) << c.what;
    }
}

TEST(Exec, AnInterruptRaisedByAHandlerIsTakenAfterTheInstructionAndTheSliceGoesOn) {
    Rig rig;
    Device device;
    Device::attach(rig);
    Device::onWrite = [&](uint32_t, uint32_t) { EXPECT_EQ(rig.cpu->interrupt(5, -1), 0); };
    rig.put(0x1000, {kNop, kMoveWordD0ToA0, moveq(1, 1)});
    rig.vector(29, 0x2000);
    for (uint32_t at = 0x2000; at < 0x2040; at += 2) rig.put(at, {kNop});
    rig.start(0x1000, 0x2000);
    rig.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    EXPECT_EQ(rig.cpu->exec(100), kExecSliceEnded);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.d[1], 0u);
    EXPECT_EQ(rig.stackedPc(), 0x1004u);
    // NOP 4 + MOVE 8 + interrupt 44, then the remaining 44 cycles: 11 NOPs.
    EXPECT_EQ(ctx.odometer, 100u);
    EXPECT_EQ(ctx.pc, 0x2000u + 22);
}

TEST(Exec, NeverRunsAnInstructionWhileStopped) {
    // A handler stops the instance through its context and parks the rest of
    // the slice with a masked request: the slice must end there.
    Rig rig;
    Device device;
    Device::attach(rig);
    Device::onWrite = [&](uint32_t, uint32_t) {
        rig.cpu->interrupt(2, -1);
        rig.edit([](Cpu68000Context& c) { c.interrupts[0] |= 1; });
    };
    rig.put(0x1000, {kMoveWordD0ToA0, moveq(1, 1)});
    rig.start(0x1000, 0x2700);
    rig.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    EXPECT_EQ(rig.cpu->exec(100), kExecSliceEnded);
    EXPECT_EQ(rig.context().d[1], 0u);
    EXPECT_EQ(rig.context().odometer, 100u) << "the rest of the slice is spent waiting";
}

TEST(Exec, ExtremeCycleCountsDoNotOverflow) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1), kStop, 0x2700});
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(INT32_MIN), kExecSliceEnded);
    EXPECT_EQ(rig.context().d[0], 1u);
    EXPECT_EQ(rig.context().odometer, 4u);
    EXPECT_EQ(rig.cpu->exec(INT32_MAX), kExecSliceEnded);
    EXPECT_EQ(rig.context().odometer, 4u + INT32_MAX);
}

TEST(Reset, LoadsTheVectorsAndKeepsTheOdometerAndVectorBytes) {
    Rig rig;
    rig.ram.writeLong(0, 0x7000);
    rig.ram.writeLong(4, 0x1000);
    rig.start(0x3000, 0x0005);
    rig.edit([](Cpu68000Context& c) {
        c.d[3] = 5;
        c.a[2] = 6;
        c.odometer = 77;
        c.interrupts[0] = 0x12;
        c.interrupts[4] = 0x40;
    });
    EXPECT_EQ(rig.cpu->reset(), 0);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.a[7], 0x7000u);
    EXPECT_EQ(ctx.pc, 0x1000u);
    EXPECT_EQ(ctx.sr, 0x2700);
    EXPECT_EQ(ctx.d[3], 0u);
    EXPECT_EQ(ctx.a[2], 0u);
    EXPECT_EQ(ctx.otherSp, 0u);
    EXPECT_EQ(ctx.interrupts[0], 0);
    EXPECT_EQ(ctx.interrupts[4], 0x40);
    EXPECT_EQ(ctx.odometer, 77u);
}

TEST(Reset, AnOddInitialPcLeavesTheInstanceStopped) {
    Rig rig;
    rig.ram.writeLong(0, 0x7000);
    rig.ram.writeLong(4, 0x1001);
    rig.start(0);
    EXPECT_EQ(rig.cpu->reset(), -1);
    EXPECT_EQ(rig.cpu->exec(50), kExecOddPc);
    EXPECT_EQ(rig.context().odometer, 0u);
}

TEST(Reset, IsRefusedWithoutASupervisorFetchListAndWhileExecuting) {
    Rig rig;
    EXPECT_EQ(rig.cpu->reset(), 1);  // the record is all zero before the owner sets it

    static Cpu68000* running = nullptr;
    static int refused = -2;
    running = rig.cpu.get();
    rig.put(0x1000, {kReset});
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.resetCallback = [] { refused = running->reset(); }; });
    rig.cpu->exec(0);
    EXPECT_EQ(refused, 1);
}

TEST(Reset, AddressZeroOutsideEveryFetchRegionOrABlockShorterThanTheVectors) {
    for (uint32_t high : {0x0005u, 0x0006u}) {
        // A host block of exactly high + 1 bytes: reading the vectors from it
        // would leave it.
        std::vector<uint8_t> block(high + 1, 0x11);
        ProgramRegion fetch[] = {ProgramRegion::map(0, high, block.data()), ProgramRegion::end()};
        auto cpu = std::make_unique<Cpu68000>();
        Cpu68000Context ctx{};
        ctx.supervisor.fetch = fetch;
        cpu->setContext(&ctx);
        EXPECT_EQ(cpu->reset(), 1) << high;
        cpu->getContext(&ctx);
        EXPECT_EQ(ctx.pc, 1u);
        EXPECT_EQ(ctx.interrupts[0] & 1, 1);
        EXPECT_EQ(cpu->exec(10), kExecOddPc);
    }
    std::vector<uint8_t> block(0x100);
    ProgramRegion fetch[] = {ProgramRegion::map(0x100, 0x1FF, block.data()), ProgramRegion::end()};
    auto cpu = std::make_unique<Cpu68000>();
    Cpu68000Context ctx{};
    ctx.supervisor.fetch = fetch;
    cpu->setContext(&ctx);
    EXPECT_EQ(cpu->reset(), 1);
}

TEST(ResetInstruction, WithoutACallbackReturnsItsAddressUncharged) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1), kReset, moveq(1, 2)});
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(100), 0x1002u);
    EXPECT_EQ(rig.context().pc, 0x1002u);
    EXPECT_EQ(rig.context().d[1], 0u);
    EXPECT_EQ(rig.context().odometer, 4u) << "the rest of the slice is not counted";
    rig.edit([](Cpu68000Context& c) { c.pc += 2; });  // what the machine does
    rig.cpu->exec(0);
    EXPECT_EQ(rig.context().d[1], 2u);
}

TEST(ResetInstruction, WithACallbackCosts132) {
    Rig rig;
    static int calls = 0;
    calls = 0;
    rig.put(0x1000, {kReset, moveq(0, 1)});
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.resetCallback = [] { ++calls; }; });
    EXPECT_EQ(rig.cpu->exec(0), kExecSliceEnded);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rig.context().odometer, 132u);
    EXPECT_EQ(rig.context().pc, 0x1002u);
}

TEST(ResetInstruction, InUserModeIsAPrivilegeViolation) {
    Rig rig;
    rig.put(0x1000, {kReset});
    rig.vector(8, 0x2000);
    rig.start(0x1000, 0x0000);
    EXPECT_EQ(rig.cpu->exec(0), kExecSliceEnded);
    EXPECT_EQ(rig.context().pc, 0x2000u);
    EXPECT_EQ(rig.stackedPc(), 0x1000u);
    EXPECT_EQ(rig.context().odometer, 34u);
}

// The odometer adds exactly the cycles run, also when cycles were parked.
TEST(Odometer, AResetExitWhileTracingCountsNothing) {
    Rig rig;
    rig.put(0x1000, {kReset});
    rig.start(0x1000, 0xA700);
    EXPECT_EQ(rig.cpu->exec(100), 0x1000u);
    EXPECT_EQ(rig.context().odometer, 0u);
    EXPECT_EQ(rig.cpu->readOdometer(), 0u);
}

TEST(Odometer, AFetchFaultExitAfterAnInterruptCountsOnlyWhatRan) {
    Rig rig;
    Device device;
    Device::attach(rig);
    bool raised = false;
    Device::onWrite = [&](uint32_t, uint32_t) {
        if (!raised) raised = rig.cpu->interrupt(3, -1) == 0;
    };
    rig.put(0x1000, {moveq(0, 1), 0x4EB9, 0x00F0, 0x0000});  // JSR $F00000 (unmapped), 20 cycles
    rig.vector(27, 0x3000);
    rig.start(0x1000, 0x2000);
    rig.edit([](Cpu68000Context& c) { c.a[7] = kDevice + 0x100; });  // pushes reach the device
    EXPECT_EQ(rig.cpu->exec(1000), kExecFetchFault);
    EXPECT_EQ(rig.context().odometer, 4u + 20u + 44u);
    EXPECT_EQ(rig.context().pc, 0x3000u);
}

TEST(Odometer, ATripInsideExecCountsOnlyWhatFollowsIncludingParkedCycles) {
    Rig rig;
    Device device;
    Device::attach(rig);
    uint32_t tripped = 0;
    Device::onWrite = [&](uint32_t, uint32_t) {
        rig.cpu->interrupt(2, -1);  // below the mask: parks cycles, is not taken
        tripped = rig.cpu->tripOdometer();
    };
    const uint32_t end = rig.put(0x1000, {kNop, kMoveWordD0ToA0});
    for (int i = 0; i < 16; ++i) rig.put(end + 2 * i, {kNop});
    rig.start(0x1000, 0x2700);
    rig.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    rig.cpu->exec(40);
    EXPECT_EQ(tripped, 4u);
    // Run: NOP 4 | MOVE 8 + seven NOPs 28 = 40 in all.
    EXPECT_EQ(rig.context().odometer, 36u);
    EXPECT_EQ(rig.context().pc, 0x1004u + 14);
}

TEST(Odometer, ReadFromAHandlerInTheThirdInstructionCountsTheFirstTwo) {
    Rig rig;
    Device device;
    Device::attach(rig);
    uint32_t seen = 0, pcSeen = 0;
    Device::onWrite = [&](uint32_t, uint32_t) {
        seen = rig.cpu->readOdometer();
        pcSeen = rig.cpu->readPc();
    };
    rig.put(0x1000, {kNop, moveq(0, 5), kMoveWordD0ToA0});
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) {
        c.odometer = 1000;
        c.a[0] = kDevice;
    });
    rig.cpu->exec(100);
    EXPECT_EQ(seen, 1008u);
    EXPECT_EQ(pcSeen, 0x1006u);
    EXPECT_EQ(rig.cpu->controlOdometer(0), rig.context().odometer);
    const uint32_t total = rig.context().odometer;
    EXPECT_EQ(rig.cpu->controlOdometer(1), total);
    EXPECT_EQ(rig.context().odometer, 0u);
}

TEST(Odometer, ReleaseTimesliceEndsTheSliceAfterTheCurrentInstruction) {
    Rig rig;
    Device device;
    Device::attach(rig);
    Device::onWrite = [&](uint32_t, uint32_t) { rig.cpu->releaseTimeslice(); };
    rig.put(0x1000, {kNop, kMoveWordD0ToA0, kNop});
    rig.start(0x1000);
    rig.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    EXPECT_EQ(rig.cpu->exec(1000), kExecSliceEnded);
    EXPECT_EQ(rig.context().odometer, 12u);
    EXPECT_EQ(rig.context().pc, 0x1004u);
    EXPECT_EQ(rig.cpu->releaseTimeslice(), 0);  // outside exec: no change
    EXPECT_EQ(rig.cpu->readOdometer(), 12u);
}

TEST(Context, AHandlerSeesLiveRegistersButPcAndCcrFromExecEntry) {
    Rig rig;
    Device device;
    Device::attach(rig);
    Cpu68000Context seen{};
    Device::onWrite = [&](uint32_t, uint32_t) {
        rig.cpu->getContext(&seen);
        rig.cpu->setContext(&seen);  // harmless: exit rewrites PC and CCR
    };
    rig.put(0x1000, {moveq(0, 0), moveq(1, 0x80), kMoveWordD0ToA0, kNop});
    rig.start(0x1000, 0x2701);
    rig.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    rig.cpu->exec(0x14);
    EXPECT_EQ(seen.d[1], 0xFFFFFF80u);
    EXPECT_EQ(seen.pc, 0x1000u);
    EXPECT_EQ(seen.sr, 0x2701);
    const Cpu68000Context after = rig.context();
    EXPECT_EQ(after.pc, 0x1008u);
    EXPECT_EQ(after.sr, 0x2704) << "Z from the MOVE.W of zero";
    EXPECT_EQ(after.odometer, 4u + 4 + 8 + 4);
}

TEST(Context, FlushInterruptsTakesOneLevelWithoutMapping) {
    Rig rig;
    rig.vector(28, 0x00F00000);  // an unmapped handler is fine: no mapping
    rig.start(0x1234, 0x2000);
    rig.cpu->interrupt(4, -1);
    rig.cpu->interrupt(2, -1);
    rig.cpu->flushInterrupts();
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.pc, 0x00F00000u);
    EXPECT_EQ(ctx.sr, 0x2400);
    EXPECT_EQ(ctx.odometer, 44u);
    EXPECT_EQ(ctx.interrupts[0], 0x04);
    EXPECT_EQ(rig.stackedPc(), 0x1234u);
}

TEST(Context, FetchWordReadsThroughTheSupervisorFetchList) {
    Rig rig;
    rig.put(0x1000, {0xBEEF});
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->fetchWord(0x1000), 0xBEEF);
    EXPECT_EQ(rig.cpu->fetchWord(0x12001000), 0xBEEF);
    EXPECT_EQ(rig.cpu->fetchWord(0x00F00000), -1);
    EXPECT_EQ(Cpu68000::contextSize(), sizeof(Cpu68000Context));
}

// The main CPU's device runs the other instance; the other's device reads
// the main CPU's odometer and raises an interrupt on it.
TEST(TwoInstances, BusHandlersOfOneRunTheOther) {
    Rig main;
    Rig other;
    static Rig* mainRig = nullptr;
    static Rig* otherRig = nullptr;
    static uint32_t mainOdometerSeen = 0;
    mainRig = &main;
    otherRig = &other;
    auto mainWrite = [](uint32_t, uint32_t, const DataRegion*) { otherRig->cpu->exec(20); };
    auto otherWrite = [](uint32_t, uint32_t, const DataRegion*) {
        mainOdometerSeen = mainRig->cpu->readOdometer();
        mainRig->cpu->interrupt(5, -1);
    };
    main.ram.addDataRegion(M68kMemory::DataList::writeWord, DataRegion::writer(kDevice, kDevice + 1, mainWrite));
    other.ram.addDataRegion(M68kMemory::DataList::writeWord, DataRegion::writer(kDevice, kDevice + 1, otherWrite));

    main.put(0x1000, {kNop, kMoveWordD0ToA0, moveq(1, 1)});
    main.vector(29, 0x2000);
    main.put(0x2000, {moveq(7, 7), kStop, 0x2700});
    other.put(0x1000, {moveq(2, 2), kMoveWordD0ToA0, moveq(3, 3), kNop});
    main.start(0x1000, 0x2000);
    other.start(0x1000, 0x2700);
    main.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });
    other.edit([](Cpu68000Context& c) { c.a[0] = kDevice; });

    main.cpu->exec(1000);
    const Cpu68000Context m = main.context();
    const Cpu68000Context o = other.context();
    EXPECT_EQ(mainOdometerSeen, 4u);
    EXPECT_EQ(m.d[1], 0u) << "the interrupt is taken right after the MOVE";
    EXPECT_EQ(m.d[7], 7u);
    EXPECT_EQ(main.stackedPc(), 0x1004u);
    EXPECT_EQ(m.odometer, 1000u);
    EXPECT_EQ(o.d[2], 2u);
    EXPECT_EQ(o.d[3], 3u);
    EXPECT_EQ(o.odometer, 4u + 8 + 4 + 4);
}

}  // namespace
}  // namespace vimo::test
