// Image files: the format told by the name, block-to-sector mapping, reads
// past the end, 64-bit offsets, the table of contents, the CD tick's stream
// and the region byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

bool bufferHoldsSector(const CdUnit& unit, uint32_t sector) {
    for (uint32_t i = 0; i < kSectorDataSize; ++i)
        if (unit.sectorBuffer[i] != sectorByte(sector, i)) return false;
    return true;
}

bool bufferIsZero(const CdUnit& unit) {
    for (uint32_t i = 0; i < kSectorDataSize; ++i)
        if (unit.sectorBuffer[i] != 0) return false;
    return true;
}

// Runs the test from inside the scratch folder, so short names are whole paths.
class CdImage : public ::testing::Test {
protected:
    ReportRecorder recorder;
    ScratchFolder folder;
    std::filesystem::path previous = std::filesystem::current_path();
    CdUnit unit;

    void SetUp() override {
        std::filesystem::current_path(folder.path(""));
        unit.reset();
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    void open(const std::string& name, const std::vector<uint8_t>& image) {
        folder.write(name, image);
        ASSERT_EQ(unit.openImage(name.c_str()), 0);
        unit.reset();
        writeCdcRegisters(unit, 10, {kCtrl0Decen});
    }
};

TEST_F(CdImage, NameTellsTheFormatAndBlocksMapToSectors) {
    struct Row {
        const char* name;
        bool raw;
    };
    const Row rows[] = {{"a.BIN", true}, {"b.bin", true}, {"c.Bin", true}, {"d.iso", false},
                        {"disc", false}, {"abc", false}, {"x.bi", false}, {"bin", false}};
    struct Time {
        uint32_t m, s, f, sector;
    };
    const Time times[] = {{0, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 2, 16, 16}, {0, 2, 19, 19}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open(row.name, row.raw ? makeRawImage(20) : makePlainImage(20));
        for (const Time& t : times) {
            unit.readSectorAt(t.m, t.s, t.f);
            EXPECT_TRUE(bufferHoldsSector(unit, t.sector)) << t.m << ":" << t.s << ":" << t.f;
            EXPECT_EQ(unit.lba, (t.m * 60 + t.s) * 75 + t.f);
            EXPECT_EQ(unit.head[1], toBcd(t.s));
            EXPECT_EQ(unit.tickPending, 1u);
        }
    }
}

TEST_F(CdImage, ReadsPastTheEndDeliverZeros) {
    std::vector<uint8_t> image = makePlainImage(4);
    image.resize(image.size() + 100);  // a short fifth sector
    for (uint32_t i = 0; i < 100; ++i) image[4 * kSectorDataSize + i] = sectorByte(4, i);
    open("short.iso", image);
    unit.readSectorAt(0, 2, 1);
    ASSERT_TRUE(bufferHoldsSector(unit, 1));
    unit.readSectorAt(0, 2, 4);
    for (uint32_t i = 0; i < kSectorDataSize; ++i)
        ASSERT_EQ(unit.sectorBuffer[i], i < 100 ? sectorByte(4, i) : 0) << i;
    unit.readSectorAt(0, 2, 9);
    EXPECT_TRUE(bufferIsZero(unit));
}

TEST_F(CdImage, OffsetsBeyondFourGigabytesAreReached) {
    // A sparse raw image whose sector 1,900,000 lies past 2^32 bytes.
    const uint32_t sector = 1900000;
    const uint64_t offset = uint64_t{sector} * kRawSectorSize + kRawSectorDataOffset;
    {
        std::FILE* file = std::fopen("big.bin", "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        std::filesystem::resize_file("big.bin", offset + kSectorDataSize);
        std::fstream stream("big.bin", std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(static_cast<std::streamoff>(offset));
        std::vector<uint8_t> data(kSectorDataSize);
        for (uint32_t i = 0; i < kSectorDataSize; ++i) data[i] = sectorByte(sector, i);
        stream.write(reinterpret_cast<const char*>(data.data()), kSectorDataSize);
    }
    ASSERT_EQ(unit.openImage("big.bin"), 0);
    EXPECT_EQ(unit.imageSize(), static_cast<int64_t>(offset + kSectorDataSize));
    writeCdcRegisters(unit, 10, {kCtrl0Decen});
    unit.lba = sector + kFirstDataBlock;
    unit.readNextSector();
    EXPECT_TRUE(bufferHoldsSector(unit, sector));
}

TEST_F(CdImage, TickStreamsTheNextSectorWhilePlaying) {
    open("disc.iso", makePlainImage(8));
    writeCdcRegisters(unit, 10, {kCtrl0Decen | kCtrl0Wrrq | kCtrl0WriteFirst});
    unit.playing = 1;
    unit.readSectorAt(0, 2, 0);
    EXPECT_EQ(unit.lba, 151u);
    unit.tickPending = 0;  // as the frame does before the tick
    unit.readNextSector();
    EXPECT_TRUE(bufferHoldsSector(unit, 1));
    EXPECT_EQ(unit.lba, 152u);
    const uint32_t stored = kRawSectorSize;  // the second sector's place in the ring
    EXPECT_EQ(unit.cache[stored + 0], 0x00);
    EXPECT_EQ(unit.cache[stored + 1], 0x02);
    EXPECT_EQ(unit.cache[stored + 2], 0x01) << "block 151 is 00:02:01";
    EXPECT_EQ(unit.tickPending, 1u);
    unit.playing = 0;
    unit.tickPending = 0;
    unit.readNextSector();
    EXPECT_EQ(unit.tickPending, 0u) << "the stream ends once the drive stops";
}

TEST_F(CdImage, TableOfContentsOfAnImageAndOfNoDrive) {
    uint8_t expected[kTocSize] = {};
    EXPECT_TRUE(std::equal(expected, expected + kTocSize, unit.toc)) << "no drive: all zero";
    open("disc.iso", makePlainImage(1));
    expected[2] = expected[3] = 1;
    expected[17] = 73;
    expected[18] = 59;
    expected[19] = 74;
    EXPECT_TRUE(std::equal(expected, expected + kTocSize, unit.toc));
}

TEST_F(CdImage, RegionByteOfSectorZero) {
    const std::pair<uint8_t, uint32_t> rows[] = {
        {0x64, kCdRegionEurope}, {0xA1, kCdRegionJapan}, {0x7A, kCdRegionUsa}, {0x00, kCdRegionUsa}};
    for (const auto& [byte, region] : rows) {
        SCOPED_TRACE(int{byte});
        open("plain.iso", makePlainImage(2, byte));
        EXPECT_EQ(unit.detectRegion(), region);
        open("raw.bin", makeRawImage(2, byte));
        EXPECT_EQ(unit.detectRegion(), region);
    }
    // Without an image and without a drive nothing is read: not the last
    // image's Europe byte either.
    open("plain.iso", makePlainImage(1, 0x64));
    EXPECT_EQ(unit.detectRegion(), kCdRegionEurope);
    unit.closeImage();
    EXPECT_EQ(unit.detectRegion(), kCdRegionUsa);
    open("empty.iso", {});
    EXPECT_EQ(unit.detectRegion(), kCdRegionUsa);
}

TEST_F(CdImage, OpenFailuresReportAndLeaveDriveMode) {
    open("first.iso", makePlainImage(1));
    EXPECT_EQ(unit.openImage("missing.iso"), 1);
    EXPECT_EQ(unit.imageMode, 0u);
    EXPECT_EQ(unit.imageFile, nullptr) << "the first image was closed";
    const std::string tooLong(kCdPathSize + 10, 'a');
    EXPECT_EQ(unit.openImage(tooLong.c_str()), 1);
    EXPECT_EQ(unit.imageMode, 0u);
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.errors[0], "Error opening missing.iso");
}

}  // namespace
}  // namespace vimo::test
