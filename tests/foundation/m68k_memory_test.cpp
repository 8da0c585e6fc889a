// The shared 68000 memory helper: the word-swapped layout (68000 byte a is
// host byte a XOR 1) and the region lists it builds for a flat RAM.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "support/m68k_memory.h"
#include "vimo_foundation_m68k_programs.h"

namespace {

using vimo::DataRegion;
using vimo::ProgramRegion;
using vimo::test::M68kMemory;
using vimo::test::swapBytePairs;

TEST(SwapBytePairs, ExchangesEachPairAndLeavesAnOddLastByte) {
    std::vector<uint8_t> bytes{0x01, 0x02, 0x03, 0x04, 0x05};
    swapBytePairs(bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x02, 0x01, 0x04, 0x03, 0x05}));
    swapBytePairs(bytes);  // its own inverse
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x04, 0x05}));

    std::vector<uint8_t> none;
    swapBytePairs(none);
    EXPECT_TRUE(none.empty());
    std::vector<uint8_t> one{0x7F};
    swapBytePairs(one);
    EXPECT_EQ(one, std::vector<uint8_t>{0x7F});
}

TEST(M68kMemoryLayout, LoadedProgramIsWordSwapped) {
    M68kMemory memory(0x1000);
    auto image = vimo::programs::kit_vectors();
    memory.load(image);
    for (uint32_t a = 0; a < image.size(); ++a) {
        ASSERT_EQ(memory.host()[a ^ 1], image[a]) << "address " << a;
    }
    // The point of the layout: a 68000 word is one host 16-bit access.
    uint16_t hostWord = 0;
    std::memcpy(&hostWord, memory.host().data() + 0x100, sizeof hostWord);
    EXPECT_EQ(hostWord, 0x4E71);  // nop
    std::memcpy(&hostWord, memory.host().data() + 0x108, sizeof hostWord);
    EXPECT_EQ(hostWord, 0x4E72);  // stop
    EXPECT_EQ(memory.readWord(0x100), 0x4E71);
    EXPECT_EQ(memory.readLong(0x004), 0x00000100u);  // initial PC vector
    // Bytes past the image stay zero.
    EXPECT_EQ(memory.readWord(0x110), 0x0000);
}

TEST(M68kMemoryLayout, LoadAtAnOddAddressAndAnOffsetBase) {
    M68kMemory memory(0x100, 0xFF0000);
    memory.load(std::vector<uint8_t>{0xAA, 0xBB, 0xCC}, 0xFF0011);
    EXPECT_EQ(memory.readByte(0xFF0010), 0x00);
    EXPECT_EQ(memory.readByte(0xFF0011), 0xAA);
    EXPECT_EQ(memory.readWord(0xFF0012), 0xBBCC);
    EXPECT_EQ(memory.host()[0x10], 0xAA);  // 0x11 ^ 1
    EXPECT_EQ(memory.host()[0x13], 0xBB);
    EXPECT_EQ(memory.host()[0x12], 0xCC);
}

TEST(M68kMemoryLayout, WritesAreBigEndianAsTheCpuSeesThem) {
    M68kMemory memory(0x20);
    memory.writeLong(0x10, 0x01234567);
    EXPECT_EQ(memory.readByte(0x10), 0x01);
    EXPECT_EQ(memory.readByte(0x13), 0x67);
    EXPECT_EQ(memory.readWord(0x12), 0x4567);
    EXPECT_EQ(memory.host()[0x11], 0x01);
    EXPECT_EQ(memory.host()[0x10], 0x23);
    memory.writeByte(0x13, 0xEE);
    EXPECT_EQ(memory.readLong(0x10), 0x012345EEu);
    memory.writeWord(0x1E, 0xBEEF);  // the last word of the RAM
    EXPECT_EQ(memory.readWord(0x1E), 0xBEEF);
}

TEST(M68kMemoryLayout, RefusesAccessesOutsideTheRamAndBadShapes) {
    M68kMemory memory(0x20, 0x100);
    EXPECT_THROW(memory.readByte(0xFF), std::out_of_range);
    EXPECT_THROW(memory.readByte(0x120), std::out_of_range);
    EXPECT_THROW(memory.readWord(0x11F), std::out_of_range);  // odd
    EXPECT_THROW(memory.readLong(0x11E), std::out_of_range);  // straddles the end
    EXPECT_THROW(memory.writeWord(0x101, 0), std::out_of_range);
    EXPECT_THROW(memory.load(std::vector<uint8_t>(2, 0), 0x11F), std::out_of_range);
    EXPECT_NO_THROW(memory.load(std::vector<uint8_t>(0x20, 0), 0x100));
    // A one-byte image at the last (odd) address is still inside.
    memory.load(std::vector<uint8_t>{0x5A}, 0x11F);
    EXPECT_EQ(memory.readByte(0x11F), 0x5A);
    EXPECT_EQ(memory.host()[0x1E], 0x5A);

    EXPECT_THROW(M68kMemory(0, 0), std::invalid_argument);
    EXPECT_THROW(M68kMemory(0x11, 0), std::invalid_argument);
    EXPECT_THROW(M68kMemory(0x10, 1), std::invalid_argument);
    EXPECT_THROW(M68kMemory(0x20, 0xFFFFF0), std::invalid_argument);  // past 24 bits
    EXPECT_NO_THROW(M68kMemory(0x10, 0xFFFFF0));
}

TEST(M68kMemoryLists, FlatRamIsOneEntryPerListThenTheEnd) {
    M68kMemory memory(0x400, 0x200);
    vimo::Cpu68000ListSet lists = memory.lists();

    ASSERT_NE(lists.fetch, nullptr);
    EXPECT_EQ(lists.fetch[0].low, 0x200u);
    EXPECT_EQ(lists.fetch[0].high, 0x5FFu);
    // The host word for PC p is at offset + p.
    EXPECT_EQ(lists.fetch[0].offset + 0x234, reinterpret_cast<uintptr_t>(memory.host().data() + 0x34));
    EXPECT_EQ(lists.fetch[1].low, 0xFFFFFFFFu);

    for (const DataRegion* list : {lists.readByte, lists.readWord, lists.writeByte, lists.writeWord}) {
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list[0].low, 0x200u);
        EXPECT_EQ(list[0].high, 0x5FFu);
        EXPECT_EQ(list[0].read, nullptr);
        EXPECT_EQ(list[0].write, nullptr);
        EXPECT_EQ(list[0].userData, memory.host().data());
        EXPECT_EQ(list[1].low, 0xFFFFFFFFu);
    }
}

uint32_t readsAllOnes(uint32_t, const DataRegion*) { return 0xFFFF; }
void ignoresWrites(uint32_t, uint32_t, const DataRegion*) {}

TEST(M68kMemoryLists, AddedRegionsComeFirstInTheOrderAdded) {
    M68kMemory memory(0x100);
    uint8_t other[0x10] = {};
    memory.addDataRegion(M68kMemory::DataList::readWord, DataRegion::reader(0xA00000, 0xA0FFFF, readsAllOnes));
    memory.addDataRegion(M68kMemory::DataList::readWord, DataRegion::direct(0xB00000, 0xB0000F, other));
    memory.addDataRegion(M68kMemory::DataList::writeByte, DataRegion::writer(0xC00000, 0xC00001, ignoresWrites));
    memory.addFetchRegion(ProgramRegion::map(0xB00000, 0xB0000F, other));
    vimo::Cpu68000ListSet lists = memory.lists();

    EXPECT_EQ(lists.readWord[0].read, readsAllOnes);
    EXPECT_EQ(lists.readWord[1].userData, other);
    EXPECT_EQ(lists.readWord[2].userData, memory.host().data());
    EXPECT_EQ(lists.readWord[3].low, 0xFFFFFFFFu);

    EXPECT_EQ(lists.writeByte[0].write, ignoresWrites);
    EXPECT_EQ(lists.writeByte[1].userData, memory.host().data());
    EXPECT_EQ(lists.writeByte[2].low, 0xFFFFFFFFu);

    // Lists without additions keep only the RAM.
    EXPECT_EQ(lists.readByte[0].userData, memory.host().data());
    EXPECT_EQ(lists.readByte[1].low, 0xFFFFFFFFu);

    EXPECT_EQ(lists.fetch[0].low, 0xB00000u);
    EXPECT_EQ(lists.fetch[0].offset + 0xB00000, reinterpret_cast<uintptr_t>(other));
    EXPECT_EQ(lists.fetch[1].low, 0u);
    EXPECT_EQ(lists.fetch[2].low, 0xFFFFFFFFu);
}

TEST(M68kMemoryLists, MapIntoSetsAllThreeModes) {
    M68kMemory memory(0x100);
    vimo::Cpu68000Context context;
    memory.mapInto(context);
    vimo::Cpu68000ListSet lists = memory.lists();
    for (const vimo::Cpu68000ListSet* set : {&context.current, &context.supervisor, &context.user}) {
        EXPECT_EQ(set->fetch, lists.fetch);
        EXPECT_EQ(set->readByte, lists.readByte);
        EXPECT_EQ(set->readWord, lists.readWord);
        EXPECT_EQ(set->writeByte, lists.writeByte);
        EXPECT_EQ(set->writeWord, lists.writeWord);
    }
}

}  // namespace
