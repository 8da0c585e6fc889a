// Assembled test programs run on the 68000 core: exception entry and return,
// trace, interrupts with STOP and the mask, and two instances whose bus
// handlers run each other.

#include <gtest/gtest.h>

#include <cstdint>

#include "cpu68000/cpu68000.h"
#include "cpu68000_programs.h"
#include "support/m68k_memory.h"

namespace {

using vimo::Cpu68000;
using vimo::Cpu68000Context;
using vimo::DataRegion;
using vimo::kExecSliceEnded;
using vimo::test::M68kMemory;

constexpr uint32_t kResults = 0x8000;
constexpr uint32_t kDoneMark = 0x600D600D;

// A 64 KB RAM at address 0 holding the program, with one instance on it.
struct Rig {
    M68kMemory memory{0x10000};
    Cpu68000 cpu;

    explicit Rig(std::span<const uint8_t> program) { memory.load(program); }

    void start() {
        cpu.init();
        Cpu68000Context ctx{};
        memory.mapInto(ctx);
        cpu.setContext(&ctx);
        ASSERT_EQ(cpu.reset(), 0);
    }
    Cpu68000Context context() const {
        Cpu68000Context ctx{};
        cpu.getContext(&ctx);
        return ctx;
    }
    bool stopped() const { return context().interrupts[0] & 1; }
    uint32_t result(uint32_t offset) const { return memory.readLong(kResults + offset); }
    // Runs slices until the program's word at `offset` reaches `value`.
    bool runUntil(uint32_t offset, uint32_t value, int slices = 200) {
        for (int i = 0; i < slices; ++i) {
            if (result(offset) == value) return true;
            cpu.exec(1000);
        }
        return result(offset) == value;
    }
};

TEST(Cpu68000Programs, ExceptionsStackTheDefinedFramesAndTraceStepsOneInstruction) {
    Rig rig(vimo::programs::exceptions());
    rig.start();
    ASSERT_TRUE(rig.runUntil(8, kDoneMark)) << "the program did not finish";
    EXPECT_EQ(rig.result(4), 0u) << "failed check number";
    // Eight exception checks and the trace log.
    EXPECT_EQ(rig.result(0), 9u);
    EXPECT_EQ(rig.result(24), 4u) << "instructions traced";
}

struct LogEntry {
    uint16_t vector;
    uint32_t pc;
    uint16_t sr;
};

LogEntry logEntry(const Rig& rig, int i) {
    uint32_t at = kResults + 0x40 + 8 * i;
    return {rig.memory.readWord(at), rig.memory.readLong(at + 2), rig.memory.readWord(at + 6)};
}

TEST(Cpu68000Programs, InterruptsWakeStopAndFollowTheMask) {
    Rig rig(vimo::programs::interrupts());
    rig.start();
    const uint32_t phase = 0, logCount = 20;

    // Phase 1: STOP with mask 0. A stopped core only counts the cycles.
    ASSERT_TRUE(rig.runUntil(phase, 1));
    rig.cpu.exec(100);
    ASSERT_TRUE(rig.stopped());
    rig.cpu.tripOdometer();
    EXPECT_EQ(rig.cpu.exec(487), kExecSliceEnded);
    EXPECT_EQ(rig.cpu.tripOdometer(), 487u);
    EXPECT_EQ(rig.result(logCount), 0u);

    EXPECT_EQ(rig.cpu.interrupt(4, -1), 0);
    EXPECT_FALSE(rig.stopped());
    ASSERT_TRUE(rig.runUntil(phase, 2));
    rig.cpu.exec(100);
    ASSERT_TRUE(rig.stopped());
    ASSERT_EQ(rig.result(logCount), 1u);
    LogEntry first = logEntry(rig, 0);
    EXPECT_EQ(first.vector, 28);  // autovector of level 4
    EXPECT_EQ(first.pc, rig.result(12)) << "the stacked PC is the instruction after STOP";
    EXPECT_EQ(first.sr & 0x0700, 0x0000) << "the stacked SR keeps the old mask";

    // Phase 2: mask 5. Level 4 stays pending and the core stays stopped.
    EXPECT_EQ(rig.cpu.interrupt(4, -1), 0);
    EXPECT_TRUE(rig.stopped());
    EXPECT_EQ(rig.cpu.interrupt(4, 0x50), 1) << "already pending";
    rig.cpu.exec(1000);
    EXPECT_EQ(rig.result(logCount), 1u);
    EXPECT_EQ(rig.cpu.interrupt(6, -1), 0);
    EXPECT_FALSE(rig.stopped());
    ASSERT_TRUE(rig.runUntil(phase, 3));
    ASSERT_EQ(rig.result(logCount), 3u);
    EXPECT_EQ(logEntry(rig, 1).vector, 30);
    EXPECT_EQ(logEntry(rig, 1).pc, rig.result(16));
    EXPECT_EQ(logEntry(rig, 1).sr & 0x0700, 0x0500);
    EXPECT_EQ(logEntry(rig, 2).vector, 28) << "level 4 waited for the mask, kept its first vector";

    // Phase 3: levels 2, 3 (own vector 64) and 5 at once: the highest first.
    EXPECT_EQ(rig.cpu.interrupt(2, -1), 0);
    EXPECT_EQ(rig.cpu.interrupt(3, 64), 0);
    EXPECT_EQ(rig.cpu.interrupt(5, -1), 0);
    ASSERT_TRUE(rig.runUntil(phase, 4));
    ASSERT_EQ(rig.result(logCount), 6u);
    EXPECT_EQ(logEntry(rig, 3).vector, 29);
    EXPECT_EQ(logEntry(rig, 4).vector, 64);
    EXPECT_EQ(logEntry(rig, 5).vector, 26);

    // Phase 4: mask 7 lets only level 7 in.
    EXPECT_EQ(rig.cpu.interrupt(6, -1), 0);
    rig.cpu.exec(2000);
    EXPECT_EQ(rig.result(logCount), 6u);
    EXPECT_EQ(rig.cpu.interrupt(7, -1), 0);
    ASSERT_TRUE(rig.runUntil(4, kDoneMark));
    ASSERT_EQ(rig.result(logCount), 7u);
    EXPECT_EQ(logEntry(rig, 6).vector, 31);
    EXPECT_EQ(logEntry(rig, 6).sr & 0x0700, 0x0700);
}

// Two instances: the first one's bus handlers run the second.
struct TwoInstances {
    Rig first{vimo::programs::instances_main()};
    Rig other{vimo::programs::instances_other()};
    uint32_t firstOdometerSeen = 0;

    static TwoInstances* self(const DataRegion* entry) { return static_cast<TwoInstances*>(entry->userData); }
    static void runOther(uint32_t, uint32_t data, const DataRegion* entry) {
        TwoInstances* t = self(entry);
        t->other.cpu.exec(int32_t(data));
    }
    static uint32_t otherD0(uint32_t, const DataRegion* entry) {
        TwoInstances* t = self(entry);
        t->firstOdometerSeen = t->first.cpu.readOdometer();
        return t->other.context().d[0] & 0xFFFF;
    }

    TwoInstances() {
        auto& m = first.memory;
        m.addDataRegion(M68kMemory::DataList::writeWord, DataRegion::writer(0xA00000, 0xA00001, runOther, this));
        m.addDataRegion(M68kMemory::DataList::readWord, DataRegion::reader(0xA00002, 0xA00003, otherD0, this));
    }
};

TEST(Cpu68000Programs, BusHandlersOfOneInstanceRunTheOther) {
    TwoInstances t;
    t.first.start();
    t.other.start();
    t.first.cpu.exec(56);  // exactly the first three instructions: 20 + 16 + 20 cycles
    EXPECT_EQ(t.first.result(0), 10u) << "ten 18-cycle rounds in 180 cycles";
    EXPECT_EQ(t.firstOdometerSeen, 20u) << "the running instance's odometer from inside its handler";
    EXPECT_EQ(t.first.cpu.tripOdometer(), 56u);
    EXPECT_EQ(t.other.cpu.tripOdometer(), 180u);

    ASSERT_TRUE(t.first.runUntil(8, kDoneMark));
    EXPECT_EQ(t.first.result(4), 20u);
    EXPECT_EQ(t.other.cpu.tripOdometer(), 180u);
}

}  // namespace
