// Interrupt requests and the order they are taken in, exception frames and
// costs, privilege, user/supervisor switching, trace and STOP wake-up.
#include <gtest/gtest.h>

#include <vector>

#include "rig.h"

namespace vimo::test {
namespace {

constexpr uint16_t kStop = 0x4E72;
constexpr uint16_t kRte = 0x4E73;

uint16_t moveq(unsigned reg, uint8_t value) { return static_cast<uint16_t>(0x7000 | reg << 9 | value); }

TEST(Interrupt, RejectsBadArgumentsAndKeepsTheFirstVector) {
    Rig rig;
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->interrupt(0, -1), 2);
    EXPECT_EQ(rig.cpu->interrupt(8, -1), 2);
    EXPECT_EQ(rig.cpu->interrupt(-1, -1), 2);
    EXPECT_EQ(rig.cpu->interrupt(4, 256), 2);
    EXPECT_EQ(rig.cpu->interrupt(4, -3), 2);
    EXPECT_EQ(rig.context().interrupts[0], 0);
    EXPECT_EQ(rig.cpu->interrupt(4, 0x40), 0);
    EXPECT_EQ(rig.cpu->interrupt(4, 0x41), 1);
    EXPECT_EQ(rig.cpu->interrupt(3, -1), 0);
    EXPECT_EQ(rig.cpu->interrupt(2, -2), 0);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.interrupts[0], 0x1C);
    EXPECT_EQ(ctx.interrupts[4], 64);
    EXPECT_EQ(ctx.interrupts[3], 27) << "autovector";
    EXPECT_EQ(ctx.interrupts[2], 24) << "spurious";
}

TEST(Interrupt, LevelSevenIsTakenWhateverTheMask) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1)});
    rig.vector(31, 0x2000);
    rig.put(0x2000, {moveq(7, 7)});
    rig.start(0x1000, 0x2700);
    rig.cpu->interrupt(7, -1);
    rig.cpu->exec(0);  // the entry check takes it, then one instruction runs
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.d[7], 7u);
    EXPECT_EQ(ctx.d[0], 0u);
    EXPECT_EQ(ctx.sr & 0x0700, 0x0700);
    EXPECT_EQ(rig.stackedPc(), 0x1000u);
    EXPECT_EQ(ctx.odometer, 44u + 4);
    EXPECT_EQ(ctx.interrupts[0], 0);
}

TEST(Interrupt, AMaskedLevelWaitsUntilAnSrWriteLowersTheMask) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1), 0x46FC, 0x2500, moveq(1, 2)});  // MOVE #$2500,SR
    rig.vector(30, 0x2000);
    rig.put(0x2000, {moveq(3, 3), kStop, 0x2700});
    rig.start(0x1000, 0x2700);
    rig.cpu->interrupt(6, -1);
    rig.cpu->exec(4);
    EXPECT_EQ(rig.context().d[0], 1u);
    EXPECT_EQ(rig.context().interrupts[0], 0x40) << "still pending under mask 7";
    rig.cpu->exec(1000);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.d[1], 0u) << "taken before the next instruction";
    EXPECT_EQ(ctx.d[3], 3u);
    EXPECT_EQ(rig.stackedPc(), 0x1006u);
    EXPECT_EQ(rig.stackedSr() & 0x0700, 0x0500);
}

TEST(Interrupt, TheHighestPendingLevelGoesFirstTheNextWaitsForTheMask) {
    Rig rig;
    rig.put(0x1000, {moveq(0, 1)});
    rig.vector(29, 0x2000);
    rig.put(0x2000, {moveq(5, 5), 0x46FC, 0x2100});  // level 5 handler lowers the mask to 1
    rig.vector(26, 0x3000);
    rig.put(0x3000, {moveq(2, 2), kStop, 0x2700});
    rig.start(0x1000, 0x2000);
    rig.cpu->interrupt(2, -1);
    rig.cpu->interrupt(5, -1);
    rig.cpu->exec(0);
    EXPECT_EQ(rig.context().d[5], 5u);
    EXPECT_EQ(rig.context().sr & 0x0700, 0x0500);
    EXPECT_EQ(rig.context().interrupts[0], 0x04);
    rig.cpu->exec(1000);
    EXPECT_EQ(rig.context().d[2], 2u);
    EXPECT_EQ(rig.stackedPc(), 0x2006u);
    EXPECT_EQ(rig.stackedSr() & 0x0700, 0x0100);
    EXPECT_EQ(rig.context().d[0], 0u);
}

TEST(Interrupt, AStoppedInstanceWakesOnlyForALevelAboveItsMask) {
    Rig rig;
    rig.put(0x1000, {kStop, 0x2500, moveq(0, 1)});
    rig.vector(30, 0x2000);
    rig.put(0x2000, {moveq(6, 6)});
    rig.start(0x1000);
    rig.cpu->exec(100);
    EXPECT_EQ(rig.cpu->interrupt(4, -1), 0);
    EXPECT_EQ(rig.context().interrupts[0] & 1, 1);
    EXPECT_EQ(rig.cpu->exec(10), kExecSliceEnded);
    EXPECT_EQ(rig.context().odometer, 110u);
    EXPECT_EQ(rig.cpu->interrupt(6, -1), 0);
    EXPECT_EQ(rig.context().interrupts[0] & 1, 0);
    rig.cpu->exec(0);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.d[6], 6u);
    EXPECT_EQ(rig.stackedPc(), 0x1004u) << "the instruction after STOP";
    EXPECT_EQ(ctx.odometer, 110u + 44 + 4);
    EXPECT_EQ(ctx.interrupts[0], 0x10) << "level 4 still waits";
}

TEST(Exception, UserModeUsesTheSupervisorStackAndRteSwitchesBack) {
    Rig rig;
    rig.put(0x1000, {0x4E40, moveq(2, 2)});  // TRAP #0
    rig.vector(32, 0x2000);
    rig.put(0x2000, {moveq(1, 1), kRte});
    const uint8_t* host = rig.ram.host().data();
    const ProgramRegion userFetch[] = {ProgramRegion::map(0, rig.ram.high(), const_cast<uint8_t*>(host)),
                                       ProgramRegion::end()};
    rig.start(0x1000, 0x0000);
    rig.edit([&](Cpu68000Context& c) {
        c.user.fetch = userFetch;
        c.current = c.user;
    });
    rig.cpu->exec(0);
    Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.a[7], Rig::kSsp - 6);
    EXPECT_EQ(ctx.otherSp, Rig::kUsp);
    EXPECT_EQ(ctx.sr, 0x2000);
    EXPECT_EQ(ctx.current.fetch, ctx.supervisor.fetch);
    EXPECT_EQ(rig.stackedPc(), 0x1002u);
    EXPECT_EQ(rig.stackedSr(), 0x0000);
    EXPECT_EQ(ctx.odometer, 34u);
    rig.cpu->exec(0);
    rig.cpu->exec(0);
    ctx = rig.context();
    EXPECT_EQ(ctx.d[1], 1u);
    EXPECT_EQ(ctx.a[7], Rig::kUsp);
    EXPECT_EQ(ctx.otherSp, Rig::kSsp);
    EXPECT_EQ(ctx.sr, 0x0000);
    EXPECT_EQ(ctx.pc, 0x1002u);
    EXPECT_EQ(ctx.current.fetch, userFetch);
    EXPECT_EQ(ctx.odometer, 34u + 4 + 20);
}

TEST(Exception, ATrapWhileTracingIsNotTraced) {
    Rig rig;
    rig.put(0x1000, {0x4E4F});  // TRAP #15
    rig.vector(47, 0x2000);
    rig.put(0x2000, {moveq(1, 1), kStop, 0x2700});
    rig.start(0x1000, 0xA700);
    rig.cpu->exec(1000);
    const Cpu68000Context ctx = rig.context();
    EXPECT_EQ(ctx.a[7], Rig::kSsp - 6) << "one frame only";
    EXPECT_EQ(rig.stackedPc(), 0x1002u);
    EXPECT_EQ(rig.stackedSr(), 0xA700);
    EXPECT_EQ(ctx.d[1], 1u);
}

TEST(Exception, PrivilegedInstructionsInUserModeTrapBeforeTheirExtensionWords) {
    const std::vector<std::vector<uint16_t>> privileged = {
        {0x46FC, 0x2700},  // MOVE #,SR
        {0x027C, 0xFFFF},  // ANDI #,SR
        {0x007C, 0x0000},  // ORI #,SR
        {0x0A7C, 0x0000},  // EORI #,SR
        {0x4E60},          // MOVE A0,USP
        {0x4E69},          // MOVE USP,A1
        {kStop, 0x2700},   // STOP
        {kRte},            // RTE
        {0x4E70},          // RESET
    };
    for (const auto& words : privileged) {
        Rig rig;
        uint32_t at = 0x1000;
        for (uint16_t w : words) at = rig.put(at, {w});
        rig.vector(8, 0x2000);
        rig.start(0x1000, 0x0015);
        EXPECT_EQ(rig.cpu->exec(0), kExecSliceEnded) << std::hex << words[0];
        const Cpu68000Context ctx = rig.context();
        EXPECT_EQ(ctx.pc, 0x2000u) << std::hex << words[0];
        EXPECT_EQ(rig.stackedPc(), 0x1000u) << std::hex << words[0];
        EXPECT_EQ(rig.stackedSr(), 0x0015) << std::hex << words[0];
        EXPECT_EQ(ctx.odometer, 34u) << std::hex << words[0];
    }
}

TEST(Exception, IllegalLineAAndLineFStackTheOpcodesAddress) {
    const struct {
        uint16_t opcode;
        unsigned vector;
    } cases[] = {{0x4AFC, 4}, {0x4AFB, 4}, {0x4AFA, 4}, {0x4101, 4}, {0xA123, 10}, {0xF800, 11}};
    for (const auto& c : cases) {
        Rig rig;
        rig.put(0x1000, {c.opcode});
        rig.vector(c.vector, 0x2000);
        rig.start(0x1000, 0x2704);
        rig.cpu->exec(0);
        EXPECT_EQ(rig.context().pc, 0x2000u) << std::hex << c.opcode;
        EXPECT_EQ(rig.stackedPc(), 0x1000u) << std::hex << c.opcode;
        EXPECT_EQ(rig.stackedSr(), 0x2704) << std::hex << c.opcode;
        EXPECT_EQ(rig.context().odometer, 34u) << std::hex << c.opcode;
    }
}

TEST(Exception, AnUnmappedVectorGivesAllOnesAndTheFetchFault) {
    // Code and stack, but no vector table.
    std::vector<uint8_t> block(0x1000);
    block[0x0000 ^ 1] = 0x4E;  // TRAP #0 at 0x1000
    block[0x0001 ^ 1] = 0x40;
    const ProgramRegion fetch[] = {ProgramRegion::map(0x1000, 0x1FFF, block.data()), ProgramRegion::end()};
    const DataRegion data[] = {DataRegion::direct(0x1000, 0x1FFF, block.data()), DataRegion::end()};
    auto cpu = std::make_unique<Cpu68000>();
    Cpu68000Context ctx{};
    ctx.current = ctx.supervisor = ctx.user = {fetch, data, data, data, data};
    ctx.pc = 0x1000;
    ctx.sr = 0x2700;
    ctx.a[7] = 0x1800;
    cpu->setContext(&ctx);
    EXPECT_EQ(cpu->exec(100), kExecSliceEnded);
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.pc, 0xFFFFFFFFu);
    EXPECT_EQ(ctx.odometer, 34u);
    EXPECT_EQ(cpu->exec(100), kExecFetchFault);
}

}  // namespace
}  // namespace vimo::test
