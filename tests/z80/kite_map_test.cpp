// The Kite core's memory map: the set-up calls, fetch pages, read and write
// pages, the range dispatcher of partly covered pages, the bounds of the
// range lists and of the page loops, register access by number, reset and
// the record exchange.
//
// Memory handed to a map is allocated at exactly the size the map covers,
// so that AddressSanitizer reports any access the core makes outside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kite_fixture.h"

namespace vimo::test {
namespace {

// A map under test: code runs from its own 256-byte page at 0x0000 (fetch
// pages only), and data reads and writes go through whatever the test maps.
class KiteMapTest : public KiteTest {
protected:
    KiteMapTest() : code(256, 0) {
        core = std::make_unique<KiteCore>();  // no fetch page mapped yet
        kiteBeginMemoryMap(k());
        kiteMapFetchPages(k(), 0x0000, 0x00FF, code.data());
    }

    void finish() {
        kiteEndMemoryMap(k());
        kiteResetCpu(k());
    }

    // LD A,(address) through the core.
    uint8_t readVia(uint16_t address) {
        code[0] = 0x3A;
        code[1] = static_cast<uint8_t>(address);
        code[2] = static_cast<uint8_t>(address >> 8);
        set(kKitePC, 0);
        set(kKiteHalted, 0);
        step();
        return a();
    }

    // LD (address),A through the core.
    void writeVia(uint16_t address, uint8_t value) {
        code[0] = 0x32;
        code[1] = static_cast<uint8_t>(address);
        code[2] = static_cast<uint8_t>(address >> 8);
        set(kKitePC, 0);
        set(kKiteHalted, 0);
        setA(value);
        step();
    }

    // A buffer whose byte i is `first` + i.
    static std::vector<uint8_t> counting(size_t size, uint8_t first) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<uint8_t>(first + i);
        }
        return bytes;
    }

    std::vector<uint8_t> code;
};

// ---- the map set-up calls ----------------------------------------------------

TEST_F(KiteMapTest, BeginAndEndAloneAnswerEveryReadWithFFAndDropEveryWrite) {
    finish();
    EXPECT_EQ(readVia(0x1234), 0xFF);
    writeVia(0x0010, 0x55);
    EXPECT_EQ(code[0x10], 0x00) << "the fetch pages are not the write map";
    EXPECT_EQ(readVia(0x0010), 0xFF) << "nor the read map";
    code[3] = 0xDB;  // IN A,(0x10)
    code[4] = 0x10;
    set(kKitePC, 3);
    setA(0x00);
    step();
    EXPECT_EQ(a(), 0xFF);
}

TEST_F(KiteMapTest, RangeInsideOnePageMakesItADispatcherPage) {
    // 0x1010-0x10EF: 16 bytes into page 0x10 and 16 bytes before its end.
    std::vector<uint8_t> range = counting(0xE0, 0x40);
    kiteAddReadRange(k(), 0x1010, 0x10EF, kKiteRangeMemory, range.data());
    finish();
    EXPECT_TRUE(k().context.readPages[0x10].dispatch);
    EXPECT_EQ(readVia(0x1000), 0xFF);
    EXPECT_EQ(readVia(0x100F), 0xFF);
    EXPECT_EQ(readVia(0x1010), 0x40) << "the range's memory from its first byte on";
    EXPECT_EQ(readVia(0x10EF), static_cast<uint8_t>(0x40 + 0xDF));
    EXPECT_EQ(readVia(0x10F0), 0xFF);
    EXPECT_EQ(readVia(0x10FF), 0xFF);
}

TEST_F(KiteMapTest, RangeBeginningInsideAPageMapsTheWholePagesAfterIt) {
    std::vector<uint8_t> range = counting(0x2380, 0x00);  // 0x2080-0x43FF
    kiteAddReadRange(k(), 0x2080, 0x43FF, kKiteRangeMemory, range.data());
    kiteAddWriteRange(k(), 0x2080, 0x43FF, kKiteRangeMemory, range.data());
    finish();
    EXPECT_NE(k().context.readPages[0x21].memory, nullptr) << "a whole page holds host memory";
    EXPECT_EQ(readVia(0x2100), range[0x2100 - 0x2080]);
    EXPECT_EQ(readVia(0x43FF), range[0x43FF - 0x2080]);
    EXPECT_EQ(readVia(0x2080), range[0]) << "the partly covered first page, through the dispatcher";
    EXPECT_EQ(readVia(0x207F), 0xFF);
    writeVia(0x3000, 0xA5);
    EXPECT_EQ(range[0x3000 - 0x2080], 0xA5);
    writeVia(0x2090, 0x5A);
    EXPECT_EQ(range[0x10], 0x5A);
}

TEST_F(KiteMapTest, HandlerRangesGetTheSixteenBitAddressAndTheByte) {
    static std::vector<uint32_t> reads;
    static std::vector<std::pair<uint32_t, uint32_t>> writes;
    reads.clear();
    writes.clear();
    kiteAddReadRange(k(), 0x4000, 0x5FFF, kKiteRangeHandler, [](uint32_t address) -> uint32_t {
        reads.push_back(address);
        return 0x1234;  // only the low byte counts
    });
    kiteAddWriteRange(k(), 0x4000, 0x5FFF, kKiteRangeHandler,
                      [](uint32_t address, uint32_t value) { writes.emplace_back(address, value); });
    finish();
    EXPECT_EQ(readVia(0x4001), 0x34);
    writeVia(0x5FFE, 0x99);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0], 0x4001u);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], std::make_pair(0x5FFEu, 0x99u));
}

// The dispatcher hands a handler range the address and the value it was
// given; a memory range keeps the value's low byte.
TEST_F(KiteMapTest, ListWritePassesTheValueToAHandlerRange) {
    static std::vector<std::pair<uint32_t, uint32_t>> writes;
    writes.clear();
    std::vector<uint8_t> bytes(0x10, 0x00);
    kiteAddWriteRange(k(), 0x5010, 0x501F, kKiteRangeMemory, bytes.data());
    kiteAddWriteRange(k(), 0x5020, 0x502F, kKiteRangeHandler,
                      [](uint32_t address, uint32_t value) { writes.emplace_back(address, value); });
    finish();
    kiteListWrite(k(), 0x5021, 0x1234);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], std::make_pair(0x5021u, 0x1234u));
    kiteListWrite(k(), 0x5011, 0x1234);
    EXPECT_EQ(bytes[1], 0x34);
}

TEST_F(KiteMapTest, FirstRangeHoldingAnAddressWins) {
    std::vector<uint8_t> first = counting(0x10, 0x10);
    std::vector<uint8_t> second = counting(0x100, 0x80);
    kiteAddReadRange(k(), 0x3008, 0x3017, kKiteRangeMemory, first.data());
    kiteAddReadRange(k(), 0x3000, 0x30FF, kKiteRangeMemory, second.data());
    finish();
    // Page 0x30 was made a dispatcher page by the first range; the second
    // range covers it whole and maps it straight onto its memory.
    EXPECT_EQ(readVia(0x3008), 0x88) << "the later whole-page mapping replaced the page entry";
    EXPECT_EQ(kiteListRead(k(), 0x3008), 0x10) << "the list still finds the first range first";
    EXPECT_EQ(kiteListRead(k(), 0x3020), 0xA0);
}

TEST_F(KiteMapTest, RangeHoldingNoAddressChangesNothing) {
    std::vector<uint8_t> bytes(16, 0x77);
    kiteAddReadRange(k(), 0x3010, 0x3000, kKiteRangeMemory, bytes.data());
    finish();
    EXPECT_EQ(readVia(0x3008), 0xFF);
    EXPECT_EQ(kiteListRead(k(), 0x3008), 0xFF);
}

// ---- fetch pages ----------------------------------------------------------------

// The console's map: fetch pages and RAM on 0x0000-0x1FFF, a handler above
// that mirrors the RAM at 0x2000-0x3FFF.
class KiteConsoleMapTest : public KiteTest {
protected:
    KiteConsoleMapTest() : ram(0x2000, 0) {
        mirrorCalls = 0;
        core = std::make_unique<KiteCore>();  // no fetch page mapped yet
        kiteBeginMemoryMap(k());
        kiteMapFetchPages(k(), 0x0000, 0x1FFF, ram.data());
        kiteAddReadRange(k(), 0x0000, 0x1FFF, kKiteRangeMemory, ram.data());
        kiteAddReadRange(k(), 0x2000, 0xFFFF, kKiteRangeHandler, mirrorRead);
        kiteAddWriteRange(k(), 0x0000, 0x1FFF, kKiteRangeMemory, ram.data());
        kiteAddWriteRange(k(), 0x2000, 0xFFFF, kKiteRangeHandler, mirrorWrite);
        kiteEndMemoryMap(k());
        kiteResetCpu(k());
    }

    static uint32_t mirrorRead(uint32_t address) {
        ++mirrorCalls;
        auto& self = static_cast<KiteConsoleMapTest&>(*current);
        return address < 0x4000 ? self.ram[address & 0x1FFF] : 0xFF;
    }
    static void mirrorWrite(uint32_t address, uint32_t value) {
        ++mirrorCalls;
        auto& self = static_cast<KiteConsoleMapTest&>(*current);
        if (address < 0x4000) {
            self.ram[address & 0x1FFF] = static_cast<uint8_t>(value);
        }
    }

    static inline int mirrorCalls = 0;
    std::vector<uint8_t> ram;
};

TEST_F(KiteConsoleMapTest, CodeAboveTheFetchPagesRunsThroughTheReadPath) {
    ram[0x0000] = 0xC3;  // JP 0x2005
    ram[0x0001] = 0x05;
    ram[0x0002] = 0x20;
    ram[0x0005] = 0x3E;  // LD A,0x42 (seen at 0x2005 through the mirror)
    ram[0x0006] = 0x42;
    ram[0x0007] = 0x76;  // HALT
    run(100);
    EXPECT_EQ(a(), 0x42);
    EXPECT_EQ(pc(), 0x2008);
    EXPECT_NE(reg(kKiteHalted), 0u);
    EXPECT_EQ(mirrorCalls, 3) << "opcode, operand and HALT each through the handler";
}

TEST_F(KiteConsoleMapTest, StackAboveTheRamGoesThroughTheHandlers) {
    ram[0x0000] = 0xCD;  // CALL 0x0010 with SP in the mirror
    ram[0x0001] = 0x10;
    ram[0x0002] = 0x00;
    ram[0x0010] = 0xC9;  // RET
    set(kKiteSP, 0x3000);
    step();
    EXPECT_EQ(mirrorCalls, 2);
    EXPECT_EQ(ram[0x0FFF], 0x00) << "the return address, high byte at SP + 1";
    EXPECT_EQ(ram[0x0FFE], 0x03);
    step();
    EXPECT_EQ(pc(), 0x0003);
    EXPECT_EQ(sp(), 0x3000);
}

TEST_F(KiteMapTest, PartlyMappedFetchPagesKeepTheirMappedPartAndReadTheRest) {
    // 0x0010-0x0205 on memory of exactly that size: pages 0x00 and 0x02 are
    // covered in part, and page 0x02 must not be skipped.
    std::vector<uint8_t> fetch(0x1F6, 0x00);
    fetch[0x200 - 0x10] = 0x3E;  // LD A,5 at 0x0200
    fetch[0x201 - 0x10] = 0x05;
    std::vector<uint8_t> data(0x10000, 0x00);
    data[0x0206] = 0x3C;  // INC A, past the fetch mapping: read path
    data[0x0207] = 0x76;  // HALT
    kiteAddReadRange(k(), 0x0000, 0xFFFF, kKiteRangeMemory, data.data());
    kiteMapFetchPages(k(), 0x0010, 0x0205, fetch.data());
    finish();
    EXPECT_EQ(k().context.fetchPages[0x01], fetch.data() + (0x100 - 0x10));
    EXPECT_EQ(k().context.fetchPages[0x02], nullptr) << "a partly mapped page holds a window";
    set(kKitePC, 0x0200);
    run(100);
    EXPECT_EQ(a(), 6);
    EXPECT_EQ(pc(), 0x0208);
}

TEST_F(KiteMapTest, MappingTheTopOfTheSpaceEnds) {
    std::vector<uint8_t> top(0x100, 0x00);
    top[0xF0] = 0x3E;  // LD A,0x11 at 0xFFF0
    top[0xF1] = 0x11;
    top[0xF2] = 0x76;
    std::vector<uint8_t> data(0x1000, 0x5A);
    kiteMapFetchPages(k(), 0xFF00, 0xFFFF, top.data());
    kiteAddReadRange(k(), 0xF000, 0xFFFF, kKiteRangeMemory, data.data());
    finish();
    EXPECT_EQ(k().context.fetchPages[0xFF], top.data());
    EXPECT_EQ(k().context.readPages[0xFF].memory, data.data() + 0xF00);
    set(kKitePC, 0xFFF0);
    run(100);
    EXPECT_EQ(a(), 0x11);
    EXPECT_EQ(readVia(0xFFFF), 0x5A);
}

// ---- range lists ------------------------------------------------------------------

TEST_F(KiteMapTest, SixtyThreeRangesFitAndTheLastSlotIsTheCatchAlls) {
    std::vector<uint8_t> bytes = counting(64 * 2, 0x00);
    for (uint16_t i = 0; i < 64; ++i) {
        const auto low = static_cast<uint16_t>(0x3000 + i * 4);
        kiteAddReadRange(k(), low, static_cast<uint16_t>(low + 1), kKiteRangeMemory, bytes.data() + i * 2);
    }
    finish();
    EXPECT_EQ(readVia(0x3000), 0x00);
    EXPECT_EQ(readVia(0x3000 + 62 * 4 + 1), 62 * 2 + 1) << "range 63 was added";
    EXPECT_EQ(readVia(0x3000 + 63 * 4), 0xFF) << "range 64 found no slot";
    EXPECT_EQ(readVia(0x3002), 0xFF) << "the catch-all answers what no range covers";
    const KiteRange& last = k().context.readRanges[kKiteRangeSlots - 1];
    EXPECT_EQ(last.low, 0u);
    EXPECT_EQ(last.high, 0xFFFFu);
    EXPECT_EQ(last.read, &kiteDefaultRead);
}

TEST_F(KiteMapTest, DispatcherWithoutTheCatchAllStaysInsideItsList) {
    std::vector<uint8_t> bytes(0x10, 0x33);
    kiteAddReadRange(k(), 0x5010, 0x501F, kKiteRangeMemory, bytes.data());
    kiteAddWriteRange(k(), 0x5010, 0x501F, kKiteRangeMemory, bytes.data());
    kiteResetCpu(k());  // no kiteEndMemoryMap
    EXPECT_EQ(readVia(0x5010), 0x33);
    EXPECT_EQ(readVia(0x5000), 0xFF);
    writeVia(0x5020, 0x44);
    EXPECT_EQ(kiteListRead(k(), 0x5020), 0xFF);
}

TEST_F(KiteMapTest, BeginClearsTheRangesAndDataPagesButKeepsTheFetchPages) {
    std::vector<uint8_t> bytes(0x100, 0x21);
    kiteAddReadRange(k(), 0x6000, 0x60FF, kKiteRangeMemory, bytes.data());
    kiteSetPortReader(k(), [](uint32_t) -> uint32_t { return 0x00; });
    finish();
    EXPECT_EQ(readVia(0x6000), 0x21);
    kiteBeginMemoryMap(k());
    kiteEndMemoryMap(k());
    EXPECT_EQ(readVia(0x6000), 0xFF);
    EXPECT_EQ(k().context.fetchPages[0x00], code.data());
    EXPECT_EQ(k().context.portRead, &kiteDefaultRead);
}

TEST_F(KiteMapTest, ReadAndWritePagesMapWithoutRanges) {
    std::vector<uint8_t> bytes = counting(0x180, 0x00);  // 0x7080-0x71FF
    std::vector<uint8_t> under(0x100, 0xEE);            // a range under page 0x70
    kiteAddReadRange(k(), 0x7000, 0x70FF, kKiteRangeMemory, under.data());
    kiteMapReadPages(k(), 0x7080, 0x71FF, bytes.data());
    kiteMapWritePages(k(), 0x7080, 0x71FF, bytes.data());
    finish();
    EXPECT_EQ(readVia(0x7100), 0x80) << "a whole page";
    EXPECT_EQ(readVia(0x7080), 0x00) << "the mapped part of a partly mapped page";
    EXPECT_EQ(readVia(0x707F), 0xEE) << "the rest of that page, through the ranges";
    writeVia(0x7081, 0x99);
    EXPECT_EQ(bytes[1], 0x99);
    EXPECT_EQ(kiteListRead(k(), 0x7000), 0xEE);
}

TEST_F(KiteMapTest, PortHandlersGetTheBusAddress) {
    static uint32_t portSeen = 0;
    kiteSetPortReader(k(), [](uint32_t port) -> uint32_t {
        portSeen = port;
        return 0x5A;
    });
    finish();
    code[0] = 0xDB;  // IN A,(0x34) with A = 0x12
    code[1] = 0x34;
    setA(0x12);
    step();
    EXPECT_EQ(portSeen, 0x1234u);
    EXPECT_EQ(a(), 0x5A);
}

// ---- registers, reset, record exchange ---------------------------------------------

class KiteRegisters : public KiteTest {};

TEST_F(KiteRegisters, ResetState) {
    set(kKiteBC, 0x1234);
    set(kKitePC, 0x4567);
    set(kKiteIR, 0x89AB);
    set(kKiteIFF1, 1);
    set(kKiteIM, 2);
    kiteResetCpu(k());
    EXPECT_EQ(reg(kKiteAF), 0x0040u);
    EXPECT_EQ(reg(kKiteIX), 0xFFFFu);
    EXPECT_EQ(reg(kKiteIY), 0xFFFFu);
    EXPECT_EQ(reg(kKitePC), 0u);
    EXPECT_EQ(reg(kKiteIR), 0u);
    EXPECT_EQ(reg(kKiteBC), 0u);
    EXPECT_EQ(reg(kKiteIFF1), 0u);
    EXPECT_EQ(reg(kKiteIM), 0u);
}

TEST_F(KiteRegisters, FlagRegistersReadAsZeroOrOne) {
    set(kKiteIFF1, 7);
    EXPECT_EQ(reg(kKiteIFF1), 1u);
    EXPECT_EQ(k().context.iff1, kKiteIffSet) << "held as the P/V bit";
    set(kKiteHalted, 0x10000);
    EXPECT_EQ(reg(kKiteHalted), 0u) << "the value is cut to 16 bits first";
}

TEST_F(KiteRegisters, AfIsExchangedInZ80Order) {
    set(kKiteAF, 0x12D7);
    EXPECT_EQ(a(), 0x12);
    EXPECT_EQ(f(), 0xD7);
    EXPECT_EQ(reg(kKiteAF), 0x12D7u);
    EXPECT_EQ(k().context.af, 0xD712u) << "the record keeps A in bits 0-7";
    set(kKiteAF2, 0x3456);
    EXPECT_EQ(reg(kKiteAF2), 0x3456u);
}

TEST_F(KiteRegisters, IrCombinesIAndBothPartsOfR) {
    set(kKiteIR, 0x12F5);
    EXPECT_EQ(reg(kKiteIR), 0x12F5u);
    step();  // NOP: R counts in bits 0-6 and keeps bit 7
    EXPECT_EQ(reg(kKiteIR), 0x12F6u);
    set(kKiteIR, 0x12FF);
    step();
    EXPECT_EQ(reg(kKiteIR), 0x1280u);
    EXPECT_EQ(reg(19), reg(kKiteIR)) << "indexes above 18 read IR";
}

TEST_F(KiteRegisters, ValuesAreCutToSixteenBits) {
    set(kKiteBC, 0x12345);
    EXPECT_EQ(reg(kKiteBC), 0x2345u);
    set(kKiteIM, 0x0102);
    EXPECT_EQ(reg(kKiteIM), 0x02u);
}

TEST_F(KiteRegisters, SaveAndLoadExchangeTheWholeRecord) {
    EXPECT_EQ(kiteContextSize(), sizeof(KiteContext));
    set(kKiteDE, 0xBEEF);
    set(kKiteSP, 0x8000);
    set(kKiteIR, 0x3344);
    auto saved = std::make_unique<KiteContext>();
    kiteSaveContext(k(), saved.get());
    kiteResetCpu(k());
    EXPECT_EQ(reg(kKiteDE), 0u);
    kiteLoadContext(k(), saved.get());
    EXPECT_EQ(reg(kKiteDE), 0xBEEFu);
    EXPECT_EQ(reg(kKiteSP), 0x8000u);
    EXPECT_EQ(reg(kKiteIR), 0x3344u);
    EXPECT_EQ(k().context.fetchPages[0x12], memory.data() + 0x1200) << "the map comes with the record";
}

}  // namespace
}  // namespace vimo::test
