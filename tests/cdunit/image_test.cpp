// Image files: the format told by the name, block-to-sector mapping, reads
// past the end, 64-bit offsets, the region byte and failed opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

// Runs inside the scratch folder, so that short names are whole paths.
class CdImage : public ::testing::Test {
protected:
    ReportRecorder recorder;
    ScratchFolder folder;
    std::filesystem::path previous = std::filesystem::current_path();
    CdUnit unit;

    void SetUp() override { std::filesystem::current_path(folder.path("")); }
    void TearDown() override { std::filesystem::current_path(previous); }

    void open(const std::string& name, const std::vector<uint8_t>& image) {
        folder.write(name, image);
        ASSERT_EQ(unit.openImage(name.c_str()), 0);
        unit.reset();
        writeCdcRegisters(unit, 10, {kCtrl0Decen});
    }
    // The sector buffer against `count` bytes of image sector `sector`, zeros after.
    bool holds(uint32_t sector, uint32_t count = kSectorDataSize) const {
        for (uint32_t i = 0; i < kSectorDataSize; ++i)
            if (unit.sectorBuffer[i] != (i < count ? sectorByte(sector, i) : 0)) return false;
        return true;
    }
};

TEST_F(CdImage, NameTellsTheFormatAndBlocksMapToSectors) {
    const std::pair<const char*, bool> names[] = {{"a.BIN", true}, {"b.bin", true}, {"c.Bin", true},
                                                  {"d.iso", false}, {"disc", false}, {"abc", false},
                                                  {"x.bi", false}, {"bin", false}};
    struct Time {
        uint32_t m, s, f, sector;
    };
    const Time times[] = {{0, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 2, 16, 16}, {0, 2, 19, 19}};
    for (const auto& [name, raw] : names) {
        SCOPED_TRACE(name);
        open(name, raw ? makeRawImage(20) : makePlainImage(20));
        for (const Time& t : times) {
            unit.readSectorAt(t.m, t.s, t.f);
            EXPECT_TRUE(holds(t.sector)) << t.m << ":" << t.s << ":" << t.f;
            EXPECT_EQ(unit.lba, (t.m * 60 + t.s) * 75 + t.f);
            EXPECT_EQ(unit.head[1], toBcd(t.s));
        }
    }
}

TEST_F(CdImage, ReadsPastTheEndDeliverZeros) {
    std::vector<uint8_t> image = makePlainImage(5);
    image.resize(4 * kSectorDataSize + 100);  // a short fifth sector
    open("short.iso", image);
    unit.readSectorAt(0, 2, 1);
    ASSERT_TRUE(holds(1));
    unit.readSectorAt(0, 2, 4);
    EXPECT_TRUE(holds(4, 100));
    unit.readSectorAt(0, 2, 9);
    EXPECT_TRUE(holds(0, 0));
}

TEST_F(CdImage, OffsetsBeyondFourGigabytesAreReached) {
    const uint32_t sector = 1900000;  // a sparse raw image: this sector lies past 2^32 bytes
    const uint64_t offset = uint64_t{sector} * kRawSectorSize + kRawSectorDataOffset;
    std::ofstream("big.bin").close();
    std::filesystem::resize_file("big.bin", offset + kSectorDataSize);
    std::vector<char> data(kSectorDataSize);
    for (uint32_t i = 0; i < kSectorDataSize; ++i) data[i] = static_cast<char>(sectorByte(sector, i));
    std::fstream("big.bin", std::ios::in | std::ios::out | std::ios::binary)
        .seekp(static_cast<std::streamoff>(offset))
        .write(data.data(), kSectorDataSize);
    ASSERT_EQ(unit.openImage("big.bin"), 0);
    writeCdcRegisters(unit, 10, {kCtrl0Decen});
    EXPECT_EQ(unit.imageSize(), static_cast<int64_t>(offset + kSectorDataSize));
    unit.lba = sector + kFirstDataBlock;
    unit.readNextSector();
    EXPECT_TRUE(holds(sector));
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
    // Nothing to read (no image and no drive, or an empty image): not the
    // Europe byte still in the buffer either.
    open("plain.iso", makePlainImage(1, 0x64));
    EXPECT_EQ(unit.detectRegion(), kCdRegionEurope);
    unit.closeImage();
    EXPECT_EQ(unit.detectRegion(), kCdRegionUsa);
    open("plain.iso", makePlainImage(1, 0x64));
    unit.detectRegion();
    open("empty.iso", {});
    EXPECT_EQ(unit.detectRegion(), kCdRegionUsa);
}

TEST_F(CdImage, OpenFailuresReportAndLeaveDriveMode) {
    open("first.iso", makePlainImage(1));
    EXPECT_EQ(unit.openImage("missing.iso"), 1);
    EXPECT_EQ(unit.imageMode, 0u);
    EXPECT_EQ(unit.imageFile, nullptr) << "the first image was closed";
    EXPECT_EQ(unit.openImage(std::string(kCdPathSize + 10, 'a').c_str()), 1) << "a path too long to keep";
    EXPECT_EQ(unit.imageMode, 0u);
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.errors[0], "Error opening missing.iso");
}

}  // namespace
}  // namespace vimo::test
