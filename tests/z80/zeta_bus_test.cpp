// The Zeta core's range lists and bus calls: which accesses take the lists and
// which the memory image, the one-lookup 16-bit accesses, the ports, what a
// handler sees and may do, and the bounded image (every access beyond the
// image takes the normal read and write paths).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "zeta_fixture.h"

namespace vimo::test {
namespace {

struct Access {
    char kind;  // 'r' read, 'w' write
    uint32_t address;
    uint32_t value;
    bool operator==(const Access&) const = default;
};

// What the handlers record; handlers reach it through the range's user data.
struct Bus {
    ZetaCore* core = nullptr;
    std::vector<Access> log;
    std::vector<uint8_t>* ram = nullptr;  // served by the mirroring handlers
    uint8_t readValue = 0x5A;
    uint32_t elapsedSeen = 0;
    ZetaContext seen{};
    bool endTimeslice = false;
    bool resetCore = false;
    bool requestInterrupt = false;
    bool requestNmi = false;
    uint16_t newHl = 0;
    bool changeHl = false;
};

Bus& busOf(const Z80MemRange* range) { return *static_cast<Bus*>(range->user); }
Bus& busOf(const Z80PortRange* range) { return *static_cast<Bus*>(range->user); }

void sideEffects(Bus& bus) {
    bus.elapsedSeen = zetaTakeElapsed(*bus.core, 0);
    bus.seen = bus.core->context;
    if (bus.changeHl) {
        bus.core->context.hl = bus.newHl;
    }
    if (bus.endTimeslice) {
        zetaEndTimeslice(*bus.core);
    }
    if (bus.resetCore) {
        zetaResetCpu(*bus.core);
    }
    if (bus.requestInterrupt) {
        zetaInterrupt(*bus.core, 1);
    }
    if (bus.requestNmi) {
        zetaNmi(*bus.core);
    }
}

uint32_t recordRead(uint32_t address, const Z80MemRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'r', address, 0});
    sideEffects(bus);
    return 0x100u | bus.readValue;  // bits above 7 are to be ignored
}

void recordWrite(uint32_t address, uint32_t value, const Z80MemRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'w', address, value});
    sideEffects(bus);
}

// The console's view of 0x2000-0x3FFF: the 8 KB RAM once more.
uint32_t mirrorRead(uint32_t address, const Z80MemRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'r', address, 0});
    return address < 0x4000 ? bus.ram->at(address & 0x1FFF) : 0xEE;
}

void mirrorWrite(uint32_t address, uint32_t value, const Z80MemRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'w', address, value});
    if (address < 0x4000) {
        bus.ram->at(address & 0x1FFF) = static_cast<uint8_t>(value);
    }
}

uint32_t recordPortRead(uint32_t port, const Z80PortRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'r', port, 0});
    sideEffects(bus);
    return 0xF00u | bus.readValue;
}

void recordPortWrite(uint32_t port, uint32_t value, const Z80PortRange* range) {
    Bus& bus = busOf(range);
    bus.log.push_back({'w', port, value});
    sideEffects(bus);
}

class ZetaBus : public ZetaTest {
protected:
    ZetaBus() { bus.core = &core; }

    // One handled range on each side, like the machine's 0x2000-0xFFFF.
    void handleRange(uint32_t low, uint32_t high) {
        reads = {Z80MemRange::reader(low, high, recordRead, &bus), Z80MemRange::end()};
        writes = {Z80MemRange::writer(low, high, recordWrite, &bus), Z80MemRange::end()};
        ctx().memRead = reads.data();
        ctx().memWrite = writes.data();
    }

    void handlePorts() {
        portReads = {Z80PortRange::reader(0x00, 0xFF, recordPortRead, &bus), Z80PortRange::end()};
        portWrites = {Z80PortRange::writer(0x00, 0xFF, recordPortWrite, &bus), Z80PortRange::end()};
        ctx().portRead = portReads.data();
        ctx().portWrite = portWrites.data();
    }

    Bus bus;
    std::vector<Z80MemRange> reads;
    std::vector<Z80MemRange> writes;
    std::vector<Z80PortRange> portReads;
    std::vector<Z80PortRange> portWrites;
};

// ---- lookups ---------------------------------------------------------------------

TEST_F(ZetaBus, AddressBelowTheHandledRangeReadsTheImageWithoutACall) {
    handleRange(0x2000, 0xFFFF);
    memory[0x1FFF] = 0x77;
    load(0, {0x3A, 0xFF, 0x1F});  // LD A,(0x1FFF)
    EXPECT_EQ(step(), 13u);
    EXPECT_EQ(a(), 0x77);
    EXPECT_TRUE(bus.log.empty());
}

TEST_F(ZetaBus, AddressInTheHandledRangeCallsTheHandlerAndKeepsTheLowByte) {
    handleRange(0x2000, 0xFFFF);
    load(0, {0x3A, 0x00, 0x20});  // LD A,(0x2000)
    step();
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x2000, 0}}));
    EXPECT_EQ(a(), 0x5A);
}

TEST_F(ZetaBus, FirstMatchingRecordWins) {
    std::array<uint8_t, 16> host{};
    host[3] = 0x99;
    reads = {Z80MemRange::direct(0x4000, 0x400F, host.data()),
             Z80MemRange::reader(0x4000, 0x4FFF, recordRead, &bus), Z80MemRange::end()};
    ctx().memRead = reads.data();
    load(0, {0x3A, 0x03, 0x40, 0x3A, 0x10, 0x40});  // LD A,(0x4003); LD A,(0x4010)
    step();
    EXPECT_EQ(a(), 0x99);
    EXPECT_TRUE(bus.log.empty());
    step();
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x4010, 0}}));
}

TEST_F(ZetaBus, HostMemoryRangeIsReadAndWrittenWithoutACall) {
    std::array<uint8_t, 32> host{};
    host[5] = 0x42;
    reads = {Z80MemRange::direct(0x9000, 0x901F, host.data()), Z80MemRange::end()};
    writes = {Z80MemRange::direct(0x9000, 0x901F, host.data()), Z80MemRange::end()};
    ctx().memRead = reads.data();
    ctx().memWrite = writes.data();
    // LD A,(0x9005); INC A; LD (0x9006),A
    load(0, {0x3A, 0x05, 0x90, 0x3C, 0x32, 0x06, 0x90});
    run(20);
    EXPECT_EQ(a(), 0x43);
    EXPECT_EQ(host[6], 0x43);
    EXPECT_EQ(memory[0x9006], 0) << "the image behind the range is not touched";
}

TEST_F(ZetaBus, EndRecordIsRecognisedByItsLowSixteenBits) {
    // A record whose low is 0x1FFFF ends the list: the one after it is never
    // reached.
    reads = {{0x0001FFFFu, 0, nullptr, nullptr, nullptr}, Z80MemRange::reader(0, 0xFFFE, recordRead, &bus)};
    ctx().memRead = reads.data();
    memory[0x1234] = 0x12;
    load(0, {0x3A, 0x34, 0x12});
    step();
    EXPECT_EQ(a(), 0x12);
    EXPECT_TRUE(bus.log.empty());
}

TEST_F(ZetaBus, NullListsReadAsEmpty) {
    ctx().memRead = nullptr;
    ctx().memWrite = nullptr;
    ctx().portRead = nullptr;
    ctx().portWrite = nullptr;
    memory[0x4000] = 0x31;
    load(0, {0x3A, 0x00, 0x40, 0x32, 0x01, 0x40, 0xDB, 0x10});  // LD A,(nn); LD (nn),A; IN A,(0x10)
    step();
    step();
    EXPECT_EQ(memory[0x4001], 0x31);
    step();
    EXPECT_EQ(a(), 0xFF);
}

// ---- 16-bit accesses ---------------------------------------------------------------

TEST_F(ZetaBus, SixteenBitReadIsServedByTheRecordOfItsLowByte) {
    Bus second;
    second.core = &core;
    reads = {Z80MemRange::reader(0x2000, 0x3FFF, recordRead, &bus),
             Z80MemRange::reader(0x4000, 0xFFFF, recordRead, &second), Z80MemRange::end()};
    ctx().memRead = reads.data();
    load(0, {0x2A, 0xFF, 0x3F});  // LD HL,(0x3FFF)
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x3FFF, 0}, {'r', 0x4000, 0}}));
    EXPECT_TRUE(second.log.empty());
    EXPECT_EQ(ctx().hl, 0x5A5A);
}

TEST_F(ZetaBus, SixteenBitHandlerAccessWrapsAtTheTopOfTheAddressSpace) {
    handleRange(0x8000, 0xFFFF);
    ctx().hl = 0xBEEF;
    load(0, {0x22, 0xFF, 0xFF});  // LD (0xFFFF),HL
    step();
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0xFFFF, 0xEF}, {'w', 0x0000, 0xBE}}));
}

TEST_F(ZetaBus, PushWritesTheLowByteFirstThroughOneLookup) {
    handleRange(0x7F00, 0x7FFF);
    ctx().sp = 0x7F80;
    ctx().bc = 0x1234;
    load(0, {0xC5});  // PUSH BC
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0x7F7E, 0x34}, {'w', 0x7F7F, 0x12}}));
    EXPECT_EQ(ctx().sp, 0x7F7E);
}

TEST_F(ZetaBus, PopReadsLowThenHighAndRaisesSpAfter) {
    handleRange(0x7F00, 0x7FFF);
    ctx().sp = 0x7F7E;
    load(0, {0xD1});  // POP DE
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x7F7E, 0}, {'r', 0x7F7F, 0}}));
    EXPECT_EQ(ctx().sp, 0x7F80);
    EXPECT_EQ(ctx().de, 0x5A5A);
}

TEST_F(ZetaBus, IndexFamilySixteenBitAccessLooksUpEachByte) {
    std::array<uint8_t, 2> host{0x11, 0x22};
    reads = {Z80MemRange::direct(0x5000, 0x5001, host.data()),
             Z80MemRange::reader(0x5002, 0x5FFF, recordRead, &bus), Z80MemRange::end()};
    ctx().memRead = reads.data();
    load(0, {0xDD, 0x2A, 0x01, 0x50});  // LD IX,(0x5001)
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(ctx().ix, 0x5A22);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x5002, 0}}));
}

// ---- what stays in the image -----------------------------------------------------

TEST_F(ZetaBus, ControlTransfersUseTheImageNotTheLists) {
    handleRange(0x0000, 0xFFFE);
    ctx().sp = 0x9000;
    // CALL 0x0100 at 0; at 0x0100: RST 0x28; at 0x28: RET; then RET to 3.
    load(0, {0xCD, 0x00, 0x01, 0x76});
    load(0x0100, {0xEF, 0xC9});
    load(0x0028, {0xC9});
    run(1000);
    EXPECT_TRUE(bus.log.empty());
    EXPECT_EQ(ctx().pc, 4);
    EXPECT_EQ(word(0x8FFE), 3);
    EXPECT_EQ(word(0x8FFC), 0x0101);
}

TEST_F(ZetaBus, ExchangeWithTheStackUsesTheImage) {
    handleRange(0x0000, 0xFFFE);
    ctx().sp = 0x9000;
    ctx().hl = 0x1234;
    load(0x9000, {0x78, 0x56});
    load(0, {0xE3});  // EX (SP),HL
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(ctx().hl, 0x5678);
    EXPECT_EQ(word(0x9000), 0x1234);
    EXPECT_TRUE(bus.log.empty());
}

// ---- ports -------------------------------------------------------------------------

TEST_F(ZetaBus, PortWithoutARecordReads0xFFAndIgnoresWrites) {
    portReads = {Z80PortRange::end()};
    portWrites = {Z80PortRange::end()};
    ctx().portRead = portReads.data();
    ctx().portWrite = portWrites.data();
    ctx().af = 0x12D7;
    load(0, {0xDB, 0x10, 0xD3, 0x10});  // IN A,(0x10); OUT (0x10),A
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(a(), 0xFF);
    EXPECT_EQ(f(), 0xD7) << "IN A,(n) changes no flag";
    EXPECT_EQ(step(), 11u);
}

TEST_F(ZetaBus, PortsCarryOnlyTheEightBitNumber) {
    handlePorts();
    ctx().af = 0xAB00;
    ctx().bc = 0x3477;
    // IN A,(0x10); OUT (0x20),A; IN D,(C); OUT (C),E
    load(0, {0xDB, 0x10, 0xD3, 0x20, 0xED, 0x50, 0xED, 0x59});
    ctx().de = 0x0099;
    run(11 + 11 + 12 + 11);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x10, 0}, {'w', 0x20, 0x5A}, {'r', 0x77, 0}, {'w', 0x77, 0x99}}));
    EXPECT_EQ(ctx().de >> 8, 0x5A);
}

// ---- the bus-call protocol -----------------------------------------------------------

TEST_F(ZetaBus, HandlerSeesEveryEarlierInstructionAndNoneOfTheCurrentOne) {
    handleRange(0x2000, 0xFFFF);
    // NOP; INC A; LD A,(0x2000); NOP
    load(0, {0x00, 0x3C, 0x3A, 0x00, 0x20, 0x00});
    run(20);
    EXPECT_EQ(bus.elapsedSeen, 8u);
    EXPECT_EQ(takeElapsed(), 8u + 13u) << "and the run still counts everything";
}

TEST_F(ZetaBus, HandlerSeesTheRegistersInTheRecord) {
    handleRange(0x2000, 0xFFFF);
    // LD BC,0x1122; LD DE,0x3344; LD HL,0x2000; LD A,(HL)
    load(0x0100, {0x01, 0x22, 0x11, 0x11, 0x44, 0x33, 0x21, 0x00, 0x20, 0x7E});
    ctx().pc = 0x0100;
    run(10 + 10 + 10);
    EXPECT_EQ(bus.seen.bc, 0x1122);
    EXPECT_EQ(bus.seen.de, 0x3344);
    EXPECT_EQ(bus.seen.hl, 0x2000);
    EXPECT_EQ(bus.seen.pc, 0x010A) << "the address after the bytes fetched so far";
}

TEST_F(ZetaBus, HandlerChangeToHlTakesEffect) {
    handleRange(0x2000, 0xFFFF);
    bus.changeHl = true;
    bus.newHl = 0x4321;
    ctx().hl = 0x2000;
    load(0, {0x7E, 0x23});  // LD A,(HL); INC HL
    run(7 + 6);
    EXPECT_EQ(ctx().hl, 0x4322);
}

TEST_F(ZetaBus, EndTimesliceEndsTheRunAfterTheCurrentInstruction) {
    handleRange(0x2000, 0xFFFF);
    bus.endTimeslice = true;
    // NOP; LD (0x2000),A; INC A; INC A
    load(0, {0x00, 0x32, 0x00, 0x20, 0x3C, 0x3C});
    EXPECT_EQ(run(1000), kZetaSliceEnded);
    EXPECT_EQ(takeElapsed(), 4u + 13u) << "only the cycles actually run";
    EXPECT_EQ(ctx().pc, 4);
    EXPECT_EQ(a(), 0);
}

TEST_F(ZetaBus, EndTimesliceInTheEiWindowEndsTheRunToo) {
    handleRange(0x2000, 0xFFFF);
    bus.endTimeslice = true;
    load(0, {0xFB, 0x32, 0x00, 0x20, 0x3C});  // EI; LD (0x2000),A; INC A
    run(1000);
    EXPECT_EQ(bus.elapsedSeen, 4u) << "inside the window the real count is used";
    EXPECT_EQ(takeElapsed(), 4u + 13u);
    EXPECT_EQ(ctx().pc, 4);
}

TEST_F(ZetaBus, EndTimesliceOutsideARunDoesNothing) {
    load(0, {0x00, 0x00, 0x00});
    zetaEndTimeslice(core);
    run(5);
    EXPECT_EQ(takeElapsed(), 8u);
}

TEST_F(ZetaBus, BlockRepeatStopsWhenTheHandlerEndsTheSlice) {
    handleRange(0x2000, 0xFFFF);
    bus.endTimeslice = true;
    ctx().hl = 0x2000;
    ctx().de = 0x0200;
    ctx().bc = 0x0010;
    load(0x0100, {0xED, 0xB0});  // LDIR
    ctx().pc = 0x0100;
    run(10000);
    EXPECT_EQ(ctx().bc, 0x000F);
    EXPECT_EQ(ctx().pc, 0x0100) << "the repeat resumes at the next run";
    EXPECT_EQ(takeElapsed(), 21u);
}

TEST_F(ZetaBus, ResetFromAHandlerTakesEffectWhenTheInstructionEnds) {
    handleRange(0x7000, 0x7FFF);
    bus.resetCore = true;
    ctx().sp = 0x7002;
    ctx().bc = 0xBEEF;
    ctx().ix = 0x1234;
    load(0x0100, {0xC5, 0x3C});  // PUSH BC; INC A
    ctx().pc = 0x0100;
    EXPECT_EQ(run(1000), kZetaSliceEnded);
    // The push finished on its own registers, then the core was reset.
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0x7000, 0xEF}, {'w', 0x7001, 0xBE}}));
    EXPECT_EQ(ctx().pc, 0);
    EXPECT_EQ(ctx().sp, 0);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(ctx().af, 0x0040);
    EXPECT_EQ(ctx().ix, 0xFFFF);
    EXPECT_EQ(takeElapsed(), 11u);
}

TEST_F(ZetaBus, ResetFromAHandlerAtAnInvalidInstructionStillResets) {
    // The second byte of DD xx comes through the handler, which resets.
    useImage(0x2000);
    handleRange(0x2000, 0xFFFF);
    bus.resetCore = true;
    load(0x1FFF, {0xDD});
    ctx().pc = 0x1FFF;
    bus.readValue = 0x00;  // DD 00: invalid
    EXPECT_EQ(run(100), kZetaSliceEnded);
    EXPECT_EQ(ctx().pc, 0);
}

TEST_F(ZetaBus, InterruptRequestFromAHandlerIsLeftPending) {
    handleRange(0x2000, 0xFFFF);
    bus.requestInterrupt = true;
    ctx().iff = 3;
    ctx().interruptMode = 1;
    ctx().sp = 0x1000;
    load(0, {0x3A, 0x00, 0x20, 0x3C});  // LD A,(0x2000); INC A
    run(13 + 4 - 1);
    EXPECT_EQ(ctx().interruptPending, 1);
    EXPECT_EQ(ctx().pc, 4);
    EXPECT_EQ(a(), 0x5B);
    bus.requestInterrupt = false;
    run(0);  // IFF1 is set: taken at the start of the next run
    EXPECT_EQ(word(0x0FFE), 4);
    EXPECT_EQ(ctx().pc, 0x39);
}

TEST_F(ZetaBus, NmiFromAHandlerIsTakenAtTheNextRun) {
    handlePorts();
    bus.requestNmi = true;
    load(0, {0xD3, 0x00, 0x00});  // OUT (0),A; NOP
    load(0x66, {0x76});
    ctx().sp = 0x1000;
    run(0);
    EXPECT_EQ(ctx().pc, 2) << "the OUT finished undisturbed";
    EXPECT_EQ(takeElapsed(), 11u);
    run(10);
    EXPECT_EQ(word(0x0FFE), 2);
    EXPECT_EQ(ctx().pc, 0x67);
    EXPECT_EQ(takeElapsed(), 11u + 10u) << "the NMI's 11 and the halted run's budget";
}

// ---- the bounded image -----------------------------------------------------------------

// The console's layout: 8 KB image, everything from 0x2000 up handled, and
// 0x2000-0x3FFF showing the RAM once more.
class ZetaBoundedImage : public ZetaBus {
protected:
    ZetaBoundedImage() {
        useImage(0x2000);
        bus.ram = &memory;
        reads = {Z80MemRange::reader(0x2000, 0xFFFF, mirrorRead, &bus), Z80MemRange::end()};
        writes = {Z80MemRange::writer(0x2000, 0xFFFF, mirrorWrite, &bus), Z80MemRange::end()};
        ctx().memRead = reads.data();
        ctx().memWrite = writes.data();
    }
};

TEST_F(ZetaBoundedImage, CodeBeyondTheImageIsFetchedThroughTheReadPath) {
    // JP 0x2003; at 3 (seen again at 0x2003): LD A,0x42; HALT
    load(0, {0xC3, 0x03, 0x20, 0x3E, 0x42, 0x76});
    run(1000);
    EXPECT_EQ(a(), 0x42);
    EXPECT_EQ(ctx().pc, 0x2006);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x2003, 0}, {'r', 0x2004, 0}, {'r', 0x2005, 0}}));
}

TEST_F(ZetaBoundedImage, SixteenBitReadAcrossTheImageEndTakesTheReadPathForItsHighByte) {
    memory[0x1FFF] = 0x34;
    memory[0x0000] = 0x2A;  // LD HL,(0x1FFF) - its own first byte is 0x2000's mirror
    load(1, {0xFF, 0x1F});
    step();
    EXPECT_EQ(ctx().hl, 0x2A34);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x2000, 0}}));
}

TEST_F(ZetaBoundedImage, SixteenBitWriteAcrossTheImageEndTakesTheWritePathForItsHighByte) {
    ctx().hl = 0xBEEF;
    load(0x0100, {0x22, 0xFF, 0x1F});  // LD (0x1FFF),HL
    ctx().pc = 0x0100;
    step();
    EXPECT_EQ(memory[0x1FFF], 0xEF);
    EXPECT_EQ(memory[0x0000], 0xBE) << "0x2000 is the RAM's first byte again";
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0x2000, 0xBE}}));
}

TEST_F(ZetaBoundedImage, StackOfACallAcrossTheImageEndTakesTheWritePath) {
    ctx().sp = 0x2001;
    load(0x0100, {0xCD, 0x00, 0x02});  // CALL 0x0200
    ctx().pc = 0x0100;
    step();
    EXPECT_EQ(ctx().sp, 0x1FFF);
    EXPECT_EQ(memory[0x1FFF], 0x03);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0x2000, 0x01}}));
    EXPECT_EQ(memory[0x0000], 0x01);
}

TEST_F(ZetaBoundedImage, ReturnFromAStackBeyondTheImageReadsThroughTheReadPath) {
    ctx().sp = 0x3000;
    memory[0x1000] = 0x34;  // seen at 0x3000
    memory[0x1001] = 0x12;
    load(0x0100, {0xC9});  // RET
    ctx().pc = 0x0100;
    step();
    EXPECT_EQ(ctx().pc, 0x1234);
    EXPECT_EQ(ctx().sp, 0x3002);
}

TEST_F(ZetaBoundedImage, InterruptPushAndMode2VectorBeyondTheImageTakeTheNormalPaths) {
    ctx().iff = 1;
    ctx().interruptMode = 2;
    ctx().i = 0x3F;
    ctx().sp = 0x2002;
    ctx().pc = 0x0555;
    memory[0x1FFF] = 0x78;  // the vector word at 0x3FFF / 0x4000
    EXPECT_EQ(zetaInterrupt(core, 0xFF), 0);
    EXPECT_EQ(word(0x0000), 0x0555) << "pushed at 0x2000, the RAM again";
    EXPECT_EQ(ctx().pc, 0xEE78) << "0x4000 is not RAM: the handler answers 0xEE";
    EXPECT_EQ(bus.log, (std::vector<Access>{{'w', 0x2000, 0x55}, {'w', 0x2001, 0x05}, {'r', 0x3FFF, 0},
                                            {'r', 0x4000, 0}}));
}

TEST_F(ZetaBoundedImage, NothingAnswersBeyondTheImageWhenNoRecordHoldsTheAddress) {
    ctx().memRead = nullptr;
    ctx().memWrite = nullptr;
    ctx().sp = 0x1000;
    // JP 0x8000: the fetch there reads 0xFF (RST 0x38); at 0x38: HALT.
    load(0, {0xC3, 0x00, 0x80});
    load(0x38, {0x76});
    run(1000);
    EXPECT_EQ(ctx().pc, 0x39);
    EXPECT_EQ(word(0x0FFE), 0x8001);
    // A data write there is dropped, a data read gives 0xFF.
    load(0x0100, {0x32, 0x00, 0x90, 0x3A, 0x01, 0x90});  // LD (0x9000),A; LD A,(0x9001)
    ctx().pc = 0x0100;
    ctx().halted = 0;
    run(13 + 13 - 1);
    EXPECT_EQ(a(), 0xFF);
}

TEST_F(ZetaBoundedImage, HostRangeServesASecondByteBeyondItsHighThroughItsOwnLookup) {
    std::array<uint8_t, 2> host{0x11, 0x22};
    reads = {Z80MemRange::direct(0x8000, 0x8001, host.data()),
             Z80MemRange::reader(0x8002, 0xFFFF, mirrorRead, &bus), Z80MemRange::end()};
    ctx().memRead = reads.data();
    load(0, {0x2A, 0x01, 0x80});  // LD HL,(0x8001)
    step();
    EXPECT_EQ(ctx().hl, 0xEE22);
    EXPECT_EQ(bus.log, (std::vector<Access>{{'r', 0x8002, 0}}));
}

TEST(ZetaWrap, SequentialFetchWrapsAtTheTopOfTheAddressSpace) {
    std::vector<uint8_t> memory(0x10000, 0);
    memory[0xFFFF] = 0x3C;  // INC A
    memory[0x0000] = 0x76;  // HALT
    ZetaCore core;
    core.context.base = memory.data();
    core.context.baseSize = 0x10000;
    zetaResetCpu(core);
    core.context.pc = 0xFFFF;
    zetaRun(core, 100);
    EXPECT_EQ(core.context.pc, 1);
    EXPECT_EQ(core.context.af >> 8, 1);
    EXPECT_EQ(core.context.halted, 1u);
}

}  // namespace
}  // namespace vimo::test
