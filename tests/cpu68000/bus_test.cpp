// Region lists and bus access: the walk, unmapped accesses, the long-word
// rule, handler calls, the 24-bit bus, accesses at the end of a host block,
// fetch mapping, fetch faults and null lists.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "rig.h"

namespace vimo::test {
namespace {

// Host blocks of exactly the size a region names, so that a host access past
// a block's end is caught by the address sanitizer.
struct Block {
    uint32_t low;
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size;
    Block(uint32_t low, uint32_t size, uint8_t fill = 0) : low(low), bytes(new uint8_t[size]), size(size) {
        for (uint32_t i = 0; i < size; ++i) bytes[i] = fill;
    }
    uint32_t high() const { return low + size - 1; }
    uint8_t& at(uint32_t address) { return bytes[(address - low) ^ 1]; }  // word-swapped
    void word(uint32_t address, uint16_t value) {
        at(address) = static_cast<uint8_t>(value >> 8);
        at(address + 1) = static_cast<uint8_t>(value);
    }
    DataRegion direct() const { return DataRegion::direct(low, high(), bytes.get()); }
    ProgramRegion program() const { return ProgramRegion::map(low, high(), bytes.get()); }
};

// One list for fetch, one for every read and one for every write.
struct Lists {
    std::vector<ProgramRegion> fetch{ProgramRegion::end()};
    std::vector<DataRegion> reads{DataRegion::end()};
    std::vector<DataRegion> writes{DataRegion::end()};
    void add(const Block& b) {
        fetch.insert(fetch.end() - 1, b.program());
        reads.insert(reads.end() - 1, b.direct());
        writes.insert(writes.end() - 1, b.direct());
    }
    void addHandler(const DataRegion& region) {
        reads.insert(reads.end() - 1, region);
        writes.insert(writes.end() - 1, region);
    }
    Cpu68000ListSet set() const { return {fetch.data(), reads.data(), reads.data(), writes.data(), writes.data()}; }
};

std::unique_ptr<Cpu68000> withLists(const Lists& lists, uint32_t pc = 0, uint16_t sr = 0x2700) {
    auto cpu = std::make_unique<Cpu68000>();
    Cpu68000Context ctx{};
    ctx.current = ctx.supervisor = ctx.user = lists.set();
    ctx.pc = pc;
    ctx.sr = sr;
    ctx.a[7] = 0x1000;
    cpu->setContext(&ctx);
    return cpu;
}

struct Call {
    uint32_t address;
    uint32_t data;
};
std::vector<Call> calls;

uint32_t recordRead(uint32_t address, const DataRegion*) {
    calls.push_back({address, 0});
    return 0xAB000000u | (address & 0xFFFF);  // bits above the word must be ignored
}
void recordWrite(uint32_t address, uint32_t data, const DataRegion*) { calls.push_back({address, data}); }

TEST(Bus, UnmappedReadsAreAllOnesAndAnUnmappedLongDoesNotLookFurther) {
    Block ram(0x3002, 0x10, 0x55);
    Lists lists;
    lists.add(ram);
    auto cpu = withLists(lists);
    EXPECT_EQ(cpu->readByte(0x3001), 0xFF);
    EXPECT_EQ(cpu->readWord(0x3000), 0xFFFF);
    EXPECT_EQ(cpu->readLong(0x3000), 0xFFFFFFFFu) << "address + 2 is mapped but not looked at";
    cpu->writeByte(0x3001, 1);  // dropped silently
    EXPECT_EQ(cpu->readLong(0x3002), 0x55555555u);
}

TEST(Bus, ALongWriteWithAnUnmappedFirstWordStoresOnlyItsLowWord) {
    Block ram(0x3002, 0x10);
    Lists lists;
    lists.add(ram);
    auto cpu = withLists(lists);
    cpu->writeLong(0x3000, 0x11223344);
    EXPECT_EQ(cpu->readWord(0x3002), 0x3344);
}

TEST(Bus, ALongReadAtARegionsLastWordTakesItsLowWordFromTheNextRegion) {
    Block first(0x3000, 0x10, 0x11);
    Block second(0x3010, 0x10, 0x22);
    Lists lists;
    lists.add(first);
    lists.add(second);
    auto cpu = withLists(lists);
    EXPECT_EQ(cpu->readLong(0x300E), 0x11112222u);
    EXPECT_EQ(cpu->readLong(0x301E), 0x2222FFFFu);
    cpu->writeLong(0x300E, 0xAABBCCDD);
    EXPECT_EQ(cpu->readWord(0x300E), 0xAABB);
    EXPECT_EQ(cpu->readWord(0x3010), 0xCCDD);
}

TEST(Bus, HandlersGetThe24BitAddressAndLongsCallThemTwiceHighWordFirst) {
    Lists lists;
    lists.addHandler({0x400000, 0x40FFFF, recordRead, recordWrite, nullptr});
    auto cpu = withLists(lists);
    calls.clear();
    cpu->writeLong(0x12400010, 0xCAFEF00D);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].address, 0x400010u);
    EXPECT_EQ(calls[0].data, 0xCAFEu);
    EXPECT_EQ(calls[1].address, 0x400012u);
    EXPECT_EQ(calls[1].data, 0xF00Du);
    calls.clear();
    EXPECT_EQ(cpu->readLong(0x400020), 0x00200022u);
    EXPECT_EQ(cpu->readByte(0x400031), 0x31);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].address, 0x400022u);
}

TEST(Bus, TheTopByteOfAnAddressIsIgnored) {
    Block ram(0xFF0000, 0x100);
    Lists lists;
    lists.add(ram);
    auto cpu = withLists(lists);
    cpu->writeByte(0x00FF0001, 0x5A);
    EXPECT_EQ(cpu->readByte(0x12FF0001), 0x5A);
    EXPECT_EQ(ram.at(0xFF0001), 0x5A);
}

TEST(Bus, WordAccessesAtTheEndOfABlockStayInsideIt) {
    // Five bytes: the 68000 byte at 0x2004 would be host byte 5, past the block.
    Block odd(0x2000, 5, 0x00);
    odd.word(0x2000, 0x0102);
    odd.word(0x2002, 0x0304);
    odd.bytes[4] = 0x05;  // the 68000 byte at 0x2005, outside the region
    Lists lists;
    lists.add(odd);
    auto cpu = withLists(lists);
    EXPECT_EQ(cpu->readByte(0x2004), 0xFF);
    EXPECT_EQ(cpu->readWord(0x2004), 0xFF05);
    EXPECT_EQ(cpu->readWord(0x2003), 0x0503) << "an odd word: the host word at the odd offset";
    EXPECT_EQ(cpu->readLong(0x2002), 0x0304FF05u) << "split: the low word walked afresh";
    cpu->writeWord(0x2004, 0xEEDD);
    EXPECT_EQ(odd.bytes[4], 0xDD);
    cpu->writeByte(0x2004, 0x77);  // dropped: outside the block
    cpu->writeLong(0x2002, 0x0A0B0C0D);
    EXPECT_EQ(cpu->readWord(0x2002), 0x0A0B);
    EXPECT_EQ(odd.bytes[4], 0x0D);
}

TEST(Bus, AnOddWordReachingPastAnEvenSizedBlockReadsItsOutsideByteAsAllOnes) {
    Block four(0x2000, 4, 0x00);
    four.bytes[3] = 0x44;
    Lists lists;
    lists.add(four);
    auto cpu = withLists(lists);
    EXPECT_EQ(cpu->readWord(0x2003), 0xFF44);
    cpu->writeWord(0x2003, 0x1234);
    EXPECT_EQ(four.bytes[3], 0x34);
}

TEST(Bus, ADirectLongNeedsAllFourBytesInsideItsEntry) {
    Block six(0x2000, 6, 0x11);
    Block next(0x2006, 2, 0x22);
    Lists lists;
    lists.add(six);
    lists.add(next);
    auto cpu = withLists(lists);
    EXPECT_EQ(cpu->readLong(0x2002), 0x11111111u);
    EXPECT_EQ(cpu->readLong(0x2004), 0x11112222u);
    cpu->writeLong(0x2004, 0x12345678);
    EXPECT_EQ(cpu->readWord(0x2004), 0x1234);
    EXPECT_EQ(cpu->readWord(0x2006), 0x5678);
}

TEST(Bus, NullListsReadAsEmpty) {
    auto cpu = std::make_unique<Cpu68000>();
    Cpu68000Context ctx{};
    ctx.supervisor.fetch = nullptr;
    ctx.pc = 0x1000;
    cpu->setContext(&ctx);
    EXPECT_EQ(cpu->readByte(0), 0xFF);
    EXPECT_EQ(cpu->readWord(0), 0xFFFF);
    EXPECT_EQ(cpu->readLong(0), 0xFFFFFFFFu);
    cpu->writeLong(0, 1);
    EXPECT_EQ(cpu->exec(100), kExecFetchFault);
    EXPECT_EQ(cpu->reset(), 1);
    EXPECT_EQ(cpu->fetchWord(0), -1);
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.odometer, 0u);
}

TEST(Fetch, SequentialExecutionRunsOntoTheNextFetchRegion) {
    Block first(0x0000, 0x1000);
    Block second(0x1000, 0x1000);
    first.word(0x0FFC, 0x7001);   // MOVEQ #1,D0
    first.word(0x0FFE, 0x7202);   // MOVEQ #2,D1
    second.word(0x1000, 0x7403);  // MOVEQ #3,D2
    second.word(0x1002, 0x4E72);  // STOP #$2700
    second.word(0x1004, 0x2700);
    Lists lists;
    lists.add(first);
    lists.add(second);
    auto cpu = withLists(lists, 0x0FFC);
    cpu->exec(100);
    Cpu68000Context ctx{};
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.d[2], 3u);
    EXPECT_EQ(ctx.pc, 0x1006u);
}

TEST(Fetch, AnOpcodePastTheLastRegionRunsNothingAndFaultsTheNextExec) {
    Block code(0x0000, 0x1000);
    code.word(0x0FFC, 0x7001);
    code.word(0x0FFE, 0x7202);
    Lists lists;
    lists.add(code);
    auto cpu = withLists(lists, 0x0FFC);
    EXPECT_EQ(cpu->exec(100), kExecSliceEnded);
    Cpu68000Context ctx{};
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.d[1], 2u);
    EXPECT_EQ(ctx.pc, 0x1000u);
    EXPECT_EQ(ctx.odometer, 8u);
    EXPECT_EQ(cpu->exec(100), kExecFetchFault);
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.odometer, 8u);
}

TEST(Fetch, AnExtensionWordPastTheLastRegionReadsAllOnesAndEndsTheSlice) {
    Block code(0x0000, 0x1000);
    code.word(0x0FFE, 0x303C);  // MOVE.W #imm,D0 with the immediate outside
    Lists lists;
    lists.add(code);
    auto cpu = withLists(lists, 0x0FFE);
    EXPECT_EQ(cpu->exec(1000), kExecSliceEnded);
    Cpu68000Context ctx{};
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.d[0] & 0xFFFF, 0xFFFFu);
    EXPECT_EQ(ctx.odometer, 8u);
    EXPECT_EQ(cpu->exec(10), kExecFetchFault);
}

TEST(Fetch, AJumpToAnUnmappedAddressEndsTheSliceWithTheCountIntact) {
    Rig rig;
    rig.put(0x1000, {0x7001, 0x4EF9, 0x00F0, 0x0000, 0x7202});  // MOVEQ; JMP $F00000
    rig.start(0x1000);
    EXPECT_EQ(rig.cpu->exec(1000), kExecSliceEnded);
    EXPECT_EQ(rig.context().pc, 0x00F00000u);
    EXPECT_EQ(rig.context().odometer, 4u + 12);
    EXPECT_EQ(rig.cpu->exec(1000), kExecFetchFault);
    EXPECT_EQ(rig.context().odometer, 16u);
}

TEST(Fetch, TheTopByteOfThePcIsKeptAndStacked) {
    Rig rig;
    rig.put(0x1000, {0x4EF9, 0x1200, 0x0400});  // JMP $12000400
    rig.put(0x0400, {0x4E4F});                  // TRAP #15
    rig.vector(47, 0x2000);
    rig.put(0x2000, {0x4E72, 0x2700});
    rig.start(0x1000);
    rig.cpu->exec(12);
    EXPECT_EQ(rig.context().pc, 0x12000400u);
    rig.cpu->exec(1);
    EXPECT_EQ(rig.stackedPc(), 0x12000402u);
}

TEST(Fetch, ARelativeBranchKeepsTheMappedBlockAJumpLooksThePcUp) {
    Block code(0x1000, 0x1000);
    Block replacement(0x1000, 0x2000);
    code.word(0x1000, 0x3080);  // MOVE.W D0,(A0): the device swaps the fetch list
    code.word(0x1002, 0x600C);  // BRA.S $1010
    code.word(0x1010, 0x7001);  // MOVEQ #1,D0 (old block)
    code.word(0x1012, 0x4EF9);  // JMP $2000
    code.word(0x1014, 0x0000);
    code.word(0x1016, 0x2000);
    replacement.word(0x1010, 0x7063);  // MOVEQ #99,D0 (new block)
    replacement.word(0x2000, 0x7202);  // MOVEQ #2,D1
    replacement.word(0x2002, 0x4E72);
    replacement.word(0x2004, 0x2700);
    static Cpu68000* running = nullptr;
    static const ProgramRegion* newFetch = nullptr;
    const ProgramRegion swapped[] = {replacement.program(), ProgramRegion::end()};
    newFetch = swapped;
    auto swap = [](uint32_t, uint32_t, const DataRegion*) {
        Cpu68000Context ctx{};
        running->getContext(&ctx);
        ctx.current.fetch = ctx.supervisor.fetch = newFetch;
        running->setContext(&ctx);
    };
    Lists lists;
    lists.add(code);
    lists.writes.insert(lists.writes.begin(), DataRegion::writer(0x20000, 0x20001, swap));
    auto cpu = withLists(lists, 0x1000);
    running = cpu.get();
    Cpu68000Context ctx{};
    cpu->getContext(&ctx);
    ctx.a[0] = 0x20000;
    cpu->setContext(&ctx);
    cpu->exec(100);
    cpu->getContext(&ctx);
    EXPECT_EQ(ctx.d[0], 1u);
    EXPECT_EQ(ctx.d[1], 2u);
}

}  // namespace
}  // namespace vimo::test
