// The path rules: routing by name and chooser filter, titles, quick-slot and
// GYM names (with the faulty cases of a plain extension cut), bounded paths,
// writing through a temporary file, centring; and the zip-entry filter.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "frontend/file_rules.h"
#include "machine/zip_entries.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

TEST(FileRules, RoutingByNameAndFilter) {
    const struct {
        const char* path;
        uint32_t filter;
        RomRoute route;
    } cases[] = {
        {"a.bin", 1, RomRoute::Cartridge}, {"a.bin", 2, RomRoute::CdImage}, {"A.BIN", 2, RomRoute::CdImage},
        {"a.iso", 1, RomRoute::CdImage},   {"a.ISO", 2, RomRoute::CdImage}, {"a.smd", 2, RomRoute::Cartridge},
        {"A.ZIP", 1, RomRoute::Zip},       {"a.gzip", 2, RomRoute::Zip},    {"game", 1, RomRoute::Cartridge},
        {"a.bin", 0, RomRoute::Cartridge},
    };
    for (const auto& c : cases) EXPECT_EQ(romRoute(c.path, c.filter), c.route) << c.path << " " << c.filter;
}

TEST(FileRules, FolderFileAndTitleParts) {
    EXPECT_EQ(folderPart("C:\\a\\b.bin"), "C:\\a");
    EXPECT_EQ(folderPart("b.bin"), "");
    EXPECT_EQ(fileNamePart("C:\\a\\b.bin"), "b.bin");
    EXPECT_EQ(fileNamePart("dir/game.bin"), "game.bin");
    EXPECT_EQ(windowTitleFor("Z:\\roms\\smoke.bin"), "Vimo v0.09 - smoke.bin");
    EXPECT_EQ(windowTitleFor("plain.smd"), "Vimo v0.09 - plain.smd");
}

TEST(FileRules, QuickSlotNamesReplaceOnlyTheFileExtension) {
    const struct {
        const char* folder;
        const char* rom;
        uint32_t slot;
        const char* expected;
    } cases[] = {
        {".\\", "game.bin", 1, ".\\\\game.gs1"},       // the default folder gives two backslashes
        {"C:\\s", "C:\\roms\\game.bin", 0, "C:\\s\\game.gs0"},
        {"C:\\s", "GAME", 3, "C:\\s\\GAME.gs3"},         // no extension: appended
        {".\\", "GAME", 1, ".\\\\GAME.gs1"},             // not cut at the folder's "."
        {"C:\\my.dir", "GAME", 1, "C:\\my.dir\\GAME.gs1"},
        {"C:\\s", "dir/a.b.smd", 9, "C:\\s\\a.b.gs9"},  // zip entry in a folder of the archive
    };
    for (const auto& c : cases) {
        std::string path;
        ASSERT_TRUE(quickSlotPath(c.folder, c.rom, c.slot, path)) << c.rom;
        EXPECT_EQ(path, c.expected);
    }
}

TEST(FileRules, PathsThatWouldNotFitAreRefused) {
    std::string path = "kept";
    EXPECT_FALSE(quickSlotPath(std::string(2040, 'f'), "game.bin", 1, path));
    EXPECT_TRUE(quickSlotPath(std::string(2035, 'f'), "g.bin", 1, path));   // 2035 + "\g.gs1" = 2041
    EXPECT_FALSE(withGymExtension(std::string(2044, 'g'), path));
    EXPECT_TRUE(withGymExtension(std::string(2043, 'g'), path));
    EXPECT_EQ(path.size(), kPathLimit);
}

TEST(FileRules, GymExtension) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {{"song", "song.gym"}, {"song.GyM", "song.GyM"}, {"x.gymx", "x.gymx.gym"}, {"gym", "gym.gym"}};
    for (const auto& c : cases) {
        std::string result;
        ASSERT_TRUE(withGymExtension(c.name, result));
        EXPECT_EQ(result, c.expected);
    }
}

TEST(FileRules, ZipEntryFilter) {
    for (const char* name : {"a.bin", "b.SMD", "robin", "x.Bin"}) EXPECT_TRUE(isZipRomEntry(name)) << name;
    for (const char* name : {"c.md", "readme.txt", "bi", ""}) EXPECT_FALSE(isZipRomEntry(name)) << name;
}

TEST(FileRules, CentringRoundsTowardZeroAndClampsAtZero) {
    const struct {
        int32_t left, top, width, height, windowWidth, windowHeight, x, y;
    } cases[] = {
        {0, 0, 1024, 768, 200, 100, 412, 334},
        {76, 53, 648, 494, 201, 101, 299, 249},   // odd differences: 447/2 = 223, 393/2 = 196
        {0, 0, 100, 100, 300, 300, 0, 0},         // larger than the reference
        {10, 10, 100, 100, 103, 103, 9, 9},       // -3/2 = -1 toward zero
    };
    for (const auto& c : cases) {
        const Placement place = centredPosition(c.left, c.top, c.width, c.height, c.windowWidth, c.windowHeight);
        EXPECT_EQ(place.x, c.x);
        EXPECT_EQ(place.y, c.y);
    }
}

class TemporaryWrite : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    std::string path = folder.path("game.gs1").string();
    std::function<int32_t(const char*, const char*)> rename = [](const char* from, const char* to) {
        return std::rename(from, to) == 0 ? 0 : 1;
    };

    void writeOld() const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("old", file);
        std::fclose(file);
    }
};

TEST_F(TemporaryWrite, ACompleteWriteReplacesTheFile) {
    writeOld();
    const int32_t result = writeThroughTemporary(path, [](std::FILE* f) { return std::fputs("new!", f) >= 0 ? 0 : 1; }, rename);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::readFile(path), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(TemporaryWrite, AFailedWriteOrReplaceKeepsTheOldFile) {
    writeOld();
    EXPECT_EQ(writeThroughTemporary(path, [](std::FILE* f) { std::fputs("half", f); return 1; }, rename), 2);
    EXPECT_EQ(writeThroughTemporary(path, [](std::FILE*) { return 0; }, [](const char*, const char*) { return 1; }), 2);
    EXPECT_EQ(test::readFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(writeThroughTemporary(folder.path("missing/x.gs1").string(), [](std::FILE*) { return 0; }, rename), 1);
}

}  // namespace
}  // namespace vimo
