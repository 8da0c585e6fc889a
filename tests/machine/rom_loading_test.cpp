// Cartridge loading: raw, SMD and zip images, the 5 MB limit, the banking
// copy, failed loads, images of awkward sizes, the ROM information box and
// the backup RAM files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine/zip_entries.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

class RomLoading : public ::testing::Test {
protected:
    ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;

    // True when the machine holds exactly `image` (read as the 68000 sees it).
    ::testing::AssertionResult holds(const std::vector<uint8_t>& image) {
        if (machine->romSize != static_cast<int32_t>(image.size()))
            return ::testing::AssertionFailure()
                   << "size " << machine->romSize << " instead of " << image.size();
        for (uint32_t a = 0; a < image.size(); ++a) {
            if (machine->readByteRomRam(a) != image[a])
                return ::testing::AssertionFailure() << "byte 0x" << std::hex << a << " differs";
        }
        return ::testing::AssertionSuccess();
    }

    std::string zipPath(const std::vector<test::ZipEntry>& entries, const std::string& name = "roms.zip") {
        const auto path = folder.path(name);
        test::writeZip(path, entries);
        return path.string();
    }
};

TEST_F(RomLoading, RawImageIsHeldWordSwapped) {
    const auto image = test::patternImage(0x1000);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    EXPECT_TRUE(holds(image));
    EXPECT_EQ(machine->megaCdMode, 0u);
    EXPECT_EQ(machine->romBankMode, 0u);
    // The host block holds each 68000 word in host order.
    EXPECT_EQ(machine->rom[0], image[1]);
    EXPECT_EQ(machine->rom[1], image[0]);
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(RomLoading, FiveMegabytesLoadOneByteMoreIsRefused) {
    const std::vector<uint8_t> exact(0x500000, 0x11);
    ASSERT_EQ(test::loadImage(*machine, folder, exact, "exact.bin"), 0);
    EXPECT_EQ(machine->romSize, 0x500000);
    EXPECT_TRUE(recorder.errors.empty());

    const std::vector<uint8_t> tooBig(0x500001, 0x22);
    const std::string path = folder.write("big.bin", tooBig);
    EXPECT_EQ(machine->loadRomFile(path.c_str()), 1);
    EXPECT_EQ(recorder.errors,
              (std::vector<std::string>{"Rom size is too big : 5 MB", "Couldn't load: " + path}));
    EXPECT_TRUE(holds(exact)) << "a failed load keeps the previous image";
}

TEST_F(RomLoading, AMissingFileReportsItsPathAndKeepsThePreviousImage) {
    const auto image = test::patternImage(0x800);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    const std::string path = folder.path("missing.bin").string();
    EXPECT_EQ(machine->loadRomFile(path.c_str()), 1);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + path});
    EXPECT_TRUE(holds(image));
}

// A folder opens as a file on some hosts (and tells an absurd size), a device
// reads as an empty image: every loader refuses anything that is not a regular
// file, and the empty path, with its usual message and nothing changed.
TEST_F(RomLoading, EveryLoaderRefusesWhatIsNotARegularFile) {
    const auto image = test::patternImage(0x800);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    for (const char* name : {"folder.bin", "roms.zip", "disc.iso"}) std::filesystem::create_directory(folder.path(name));
    std::vector<std::string> paths = {folder.path("folder.bin").string(), folder.path("roms.zip").string(),
                                      folder.path("disc.iso").string(), ""};
    if (std::filesystem::exists("/dev/null")) paths.emplace_back("/dev/null");

    for (const std::string& path : paths) {
        SCOPED_TRACE("path \"" + path + "\"");
        EXPECT_FALSE(isRegularFile(path.c_str()));
        recorder.clear();
        EXPECT_EQ(machine->loadRomFile(path.c_str()), 1);
        EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + path});

        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
        EXPECT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "game.bin"), 1);
        EXPECT_EQ(buffer, path);
        EXPECT_TRUE(zipRomEntries(path).empty());

        recorder.clear();
        EXPECT_EQ(machine->loadCdImage(path.c_str()), 1);
        EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + path});
        EXPECT_EQ(machine->cdUnit.imageMode, 0u);

        recorder.clear();
        machine->country = kCountryUsa;
        std::snprintf(machine->biosPaths[0], kBiosPathSize, "%s", path.c_str());
        EXPECT_EQ(machine->bootMegaCd(), 1);
        EXPECT_EQ(recorder.errors, std::vector<std::string>{"Please configure the SegaCD USA bios"});

        EXPECT_EQ(machine->megaCdMode, 0u);
        EXPECT_TRUE(holds(image));
    }
    EXPECT_TRUE(isRegularFile(folder.path("game.bin").string().c_str()));
}

TEST_F(RomLoading, BankingCopyAboveFourMegabytes) {
    ASSERT_EQ(test::loadImage(*machine, folder, std::vector<uint8_t>(0x400000, 1)), 0);
    EXPECT_EQ(machine->romBankMode, 0u);
    EXPECT_EQ(machine->romCopy, nullptr);

    const auto image = test::patternImage(0x400001);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    EXPECT_EQ(machine->romBankMode, 1u);
    ASSERT_NE(machine->romCopy, nullptr);
    // The copy is word-swapped together with the image.
    EXPECT_EQ(std::memcmp(machine->romCopy.get(), machine->rom.get(), 0x400000), 0);
    EXPECT_TRUE(holds(image));
}

// ---- SMD -----------------------------------------------------------------------------

TEST_F(RomLoading, SmdFilesAreDeinterleavedWhateverTheCaseOfTheirName) {
    const auto image = test::patternImage(16384 * 3);
    const auto smd = test::makeSmd(image);
    for (const char* name : {"game.smd", "GAME.SMD", "Game.Smd"}) {
        ASSERT_EQ(test::loadImage(*machine, folder, smd, name), 0) << name;
        EXPECT_TRUE(holds(image)) << name;
    }
}

TEST_F(RomLoading, OnlyTheLastFourCharactersMakeAnSmdName) {
    const auto smd = test::makeSmd(test::patternImage(16384));
    for (const char* name : {"game.md", "game.smd.bin", "gamesmd"}) {
        ASSERT_EQ(test::loadImage(*machine, folder, smd, name), 0) << name;
        EXPECT_TRUE(holds(smd)) << name << " is loaded raw";
    }
}

TEST_F(RomLoading, SmdPartialBlockAndShortFiles) {
    const auto image = test::patternImage(16384 * 3);
    ASSERT_EQ(test::loadImage(*machine, folder, test::makeSmd(image, 100), "partial.smd"), 0);
    EXPECT_TRUE(holds(image)) << "512 + 3 blocks + 100 bytes give three blocks";

    for (size_t size : {0u, 100u, 512u, 512u + 16383u}) {
        ASSERT_EQ(test::loadImage(*machine, folder, std::vector<uint8_t>(size, 0x42), "short.smd"), 0);
        EXPECT_EQ(machine->romSize, 0) << size;
    }
    // An image of size 0 runs frames without a ROM mapped.
    EXPECT_EQ(machine->runFrame(nullptr, nullptr), 0);
}

TEST(DeinterleaveSmd, ConvertsInPlaceBlockByBlock) {
    // Block b's 16 KB of image: odd bytes first, then even bytes.
    const auto natural = test::patternImage(16384 * 2);
    auto file = test::makeSmd(natural, 7);
    int32_t size = static_cast<int32_t>(file.size());
    ASSERT_EQ(deinterleaveSmd(file.data(), size), 0);
    EXPECT_EQ(size, 16384 * 2);
    EXPECT_TRUE(std::equal(natural.begin(), natural.end(), file.begin()));

    std::vector<uint8_t> tiny(512, 1);
    size = 512;
    EXPECT_EQ(deinterleaveSmd(tiny.data(), size), 0);
    EXPECT_EQ(size, 0);
}

// ---- Zip -----------------------------------------------------------------------------

TEST_F(RomLoading, ZipEntryIsFoundIgnoringCaseAndItsNameReturned) {
    const auto first = test::patternImage(0x2000);
    const auto second = test::patternImage(0x3002);
    const std::string path = zipPath({{"readme.txt", {1, 2, 3}}, {"Game.BIN", first}, {"other.bin", second}});
    char buffer[300];
    std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
    ASSERT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "game.bin"), 0);
    EXPECT_TRUE(holds(first));
    EXPECT_STREQ(buffer, "Game.BIN");

    std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
    ASSERT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "OTHER.BIN"), 0);
    EXPECT_TRUE(holds(second));
    EXPECT_STREQ(buffer, "other.bin");
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(RomLoading, ZipSmdEntryIsDeinterleaved) {
    const auto image = test::patternImage(16384 * 2);
    const std::string path = zipPath({{"game.SMD", test::makeSmd(image, 3)}});
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(machine->loadRomFromZip(buffer.data(), buffer.size(), "game.smd"), 0);
    EXPECT_TRUE(holds(image));
}

TEST_F(RomLoading, ZipFailuresKeepThePreviousImage) {
    const auto image = test::patternImage(0x800);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    char buffer[512];

    const std::string archive = zipPath({{"game.bin", {1, 2, 3, 4}}});
    std::snprintf(buffer, sizeof buffer, "%s", archive.c_str());
    EXPECT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "absent.bin"), 1);
    EXPECT_STREQ(buffer, archive.c_str());

    const std::string notAZip = folder.write("fake.zip", test::patternImage(100));
    std::snprintf(buffer, sizeof buffer, "%s", notAZip.c_str());
    EXPECT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "game.bin"), 1);

    std::snprintf(buffer, sizeof buffer, "%s", folder.path("none.zip").string().c_str());
    EXPECT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "game.bin"), 1);
    EXPECT_TRUE(holds(image));

    // An entry claiming more than the bank registers can reach (256 x 512 KB)
    // is refused before anything is allocated for it.
    std::vector<uint8_t> zip = test::readFile(archive);
    const uint8_t central[] = {0x50, 0x4B, 0x01, 0x02};
    const auto entry = std::search(zip.begin(), zip.end(), std::begin(central), std::end(central));
    ASSERT_NE(entry, zip.end());
    const uint8_t claimed[] = {0x01, 0x00, 0x00, 0x08};   // 0x08000001 bytes, uncompressed
    std::copy(std::begin(claimed), std::end(claimed), entry + 24);
    std::snprintf(buffer, sizeof buffer, "%s", folder.write("huge.zip", zip).c_str());
    recorder.clear();
    EXPECT_EQ(machine->loadRomFromZip(buffer, sizeof buffer, "game.bin"), 1);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + folder.path("huge.zip").string()});
    EXPECT_TRUE(holds(image));
}

// Without the memory for the banking copy the load fails and the previous
// image stays, rather than running a large image with banking silently off.
TEST_F(RomLoading, ABankingCopyThatCannotBeMadeFailsTheLoad) {
    const auto image = test::patternImage(0x800);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    static int largeBlocks;
    largeBlocks = 0;
    blockAllocator = [](size_t bytes) -> uint8_t* {
        if (bytes > 0x400000 && ++largeBlocks == 2) return nullptr;   // the copy, not the image
        return allocateZeroedBlock(bytes);
    };
    EXPECT_EQ(test::loadImage(*machine, folder, test::patternImage(0x400001), "large.bin"), 1);
    blockAllocator = allocateZeroedBlock;
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Couldn't load: " + folder.path("large.bin").string()});
    EXPECT_TRUE(holds(image));
    EXPECT_EQ(machine->romBankMode, 0u);
}

TEST_F(RomLoading, ZipEntriesAboveFourMegabytesMapOnlyTheirFirstFour) {
    // A 6 MB entry loads; the 68000 sees its first 4 MB, and 0x400000 is
    // unmapped (all ones).
    const auto image = test::patternImage(0x600000);
    const std::string path = zipPath({{"big.bin", image}});
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(machine->loadRomFromZip(buffer.data(), buffer.size(), "big.bin"), 0);
    EXPECT_EQ(machine->romSize, 0x600000);
    const ProgramRegion& rom = machine->mainTables.fetch[0];
    EXPECT_EQ(rom.low, 0u);
    EXPECT_EQ(rom.high, 0x3FFFFFu);
    EXPECT_EQ(machine->mainTables.readByte[0].high, 0x3FFFFFu);
    EXPECT_EQ(machine->mainTables.readWord[0].high, 0x3FFFFFu);
    EXPECT_EQ(machine->mainCpu->readWord(0x3FFFFE),
              static_cast<uint16_t>((image[0x3FFFFE] << 8) | image[0x3FFFFF]));
    EXPECT_EQ(machine->mainCpu->readWord(0x400000), 0xFFFF);
}

TEST_F(RomLoading, ZipLoadNeverKeepsABankingCopyOfAnEarlierImage) {
    ASSERT_EQ(test::loadImage(*machine, folder, test::patternImage(0x500000)), 0);
    ASSERT_EQ(machine->romBankMode, 1u);

    const auto small = test::patternImage(0x10000);
    const std::string path = zipPath({{"small.bin", small}});
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(machine->loadRomFromZip(buffer.data(), buffer.size(), "small.bin"), 0);
    EXPECT_EQ(machine->romBankMode, 0u);
    EXPECT_EQ(machine->romCopy, nullptr);
    machine->writeByteSystem(0xA130FF, 0x09);  // must not copy anything now
    EXPECT_TRUE(holds(small));
    EXPECT_TRUE(recorder.errors.empty());

    // A large zip entry gets a banking copy of its own.
    const auto large = test::patternImage(0x480000);
    const std::string largePath = zipPath({{"large.bin", large}}, "large.zip");
    buffer.assign(largePath.begin(), largePath.end());
    buffer.push_back('\0');
    ASSERT_EQ(machine->loadRomFromZip(buffer.data(), buffer.size(), "large.bin"), 0);
    EXPECT_EQ(machine->romBankMode, 1u);
    machine->writeByteSystem(0xA130FF, 0x08);
    EXPECT_EQ(machine->readByteRomRam(0x380005), large[0x400005]);
}

TEST_F(RomLoading, ZipStoredNameIsCutToTheCallersBuffer) {
    const std::string path = zipPath({{"a-rather-long-entry-name.bin", {1, 2}}});
    std::vector<char> buffer(path.size() + 1);
    std::memcpy(buffer.data(), path.c_str(), path.size() + 1);
    ASSERT_GE(buffer.size(), 8u);
    ASSERT_EQ(machine->loadRomFromZip(buffer.data(), 8, "a-rather-long-entry-name.bin"), 0);
    EXPECT_STREQ(buffer.data(), "a-rathe");
}

// ---- Awkward images ------------------------------------------------------------------

TEST_F(RomLoading, EmptyShortAndOddImagesStayInsideTheirBuffers) {
    // Each image is loaded, run for a few frames, read at its end through the
    // ROM-and-RAM reader and the 68000's lists, and shown in the information
    // box; AddressSanitizer watches every access.
    for (size_t size : {0u, 1u, 2u, 5u, 7u, 0x201u, 0x400001u}) {
        auto image = test::patternImage(size);
        ASSERT_EQ(test::loadImage(*machine, folder, image), 0) << size;
        EXPECT_TRUE(holds(image)) << size;
        for (int frame = 0; frame < 2; ++frame) EXPECT_EQ(machine->runFrame(nullptr, nullptr), 0);
        if (size > 0) {
            const uint32_t last = static_cast<uint32_t>(size - 1);
            EXPECT_EQ(machine->readByteRomRam(last), image[last]) << size;
            machine->mainCpu->readWord(last & ~1u);
            machine->mainCpu->readLong(last & ~1u);
            machine->mainCpu->readWord(last);
        }
        EXPECT_EQ(machine->readByteRomRam(static_cast<uint32_t>(size)), 0u) << size;
        machine->showRomInfo();
    }
    // The odd banking image: its last block is one byte long.
    machine->writeByteSystem(0xA130FF, 0x08);
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(RomLoading, FreeRomLeavesNothingMappedOnTheImage) {
    ASSERT_EQ(test::loadImage(*machine, folder, test::patternImage(0x500000)), 0);
    EXPECT_EQ(machine->freeRom(), 0);
    EXPECT_EQ(machine->rom, nullptr);
    EXPECT_EQ(machine->romCopy, nullptr);
    EXPECT_EQ(machine->romSize, 0);
    EXPECT_EQ(machine->romBankMode, 0u);
    EXPECT_EQ(machine->mainTables.fetch[0].low, 0xFF0000u) << "the fetch list starts with work RAM";
    EXPECT_EQ(machine->readByteRomRam(0x100), 0u);
    EXPECT_EQ(machine->mainCpu->readWord(0x100), 0xFFFF);
    EXPECT_EQ(machine->runFrame(nullptr, nullptr), 0);
    machine->writeByteSystem(0xA130FF, 0x01);
}

// ---- ROM information ---------------------------------------------------------------------

std::vector<uint8_t> imageWithHeader() {
    std::vector<uint8_t> image(0x400, 0);
    auto put = [&](size_t offset, const std::string& text) {
        std::memcpy(image.data() + offset, text.data(), text.size());
    };
    put(0x100, "SEGA GENESIS    ");
    put(0x110, "(C)T-99 1991.JUN");
    put(0x120, "DOMESTIC NAME OF THE GAME                       ");
    put(0x150, "OVERSEAS NAME OF THE GAME                       ");
    put(0x180, "GM 00001009-00");
    put(0x18E, "XY");  // right after the product info: not part of it
    put(0x1F0, "JUE");
    return image;
}

const char* const kHeaderBox =
    "\tSystem\t\t: SEGA GENESIS    \n"
    "\tCopyright\t\t: (C)T-99 1991.JUN\n"
    "\tName (Domestic)\t: DOMESTIC NAME OF THE GAME                       \n"
    "\tName (Overseas)\t: OVERSEAS NAME OF THE GAME                       \n"
    "\tProduct info\t: GM 00001009-00\n"
    "\tCountries\t\t: JUE\n";

TEST_F(RomLoading, RomInfoShowsTheHeaderBeforeAndAfterRunning) {
    machine->showRomInfo();
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Rom info: No rom loaded"});
    EXPECT_TRUE(recorder.romInfo.empty());

    const auto image = imageWithHeader();
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    machine->showRomInfo();
    machine->runFrame(nullptr, nullptr);
    machine->showRomInfo();
    EXPECT_EQ(recorder.romInfo, (std::vector<std::string>{kHeaderBox, kHeaderBox}));
    EXPECT_TRUE(holds(image)) << "the image is swapped back";

    // Shown while error boxes are off, too.
    errorBoxesEnabled = 0;
    machine->showRomInfo();
    EXPECT_EQ(recorder.romInfo.size(), 3u);
}

TEST_F(RomLoading, RomInfoCutsFieldsAtTheImagesEnd) {
    auto image = imageWithHeader();
    image.resize(0x125);  // Name (Domestic) has five characters, the rest nothing
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    machine->showRomInfo();
    ASSERT_EQ(recorder.romInfo.size(), 1u);
    EXPECT_EQ(recorder.romInfo[0],
              "\tSystem\t\t: SEGA GENESIS    \n\tCopyright\t\t: (C)T-99 1991.JUN\n"
              "\tName (Domestic)\t: DOMES\n\tName (Overseas)\t: \n\tProduct info\t: \n"
              "\tCountries\t\t: \n");
    EXPECT_TRUE(holds(image));

    // An empty image: every field is empty.
    ASSERT_EQ(test::loadImage(*machine, folder, std::vector<uint8_t>{}), 0);
    machine->showRomInfo();
    EXPECT_EQ(recorder.romInfo.back(),
              "\tSystem\t\t: \n\tCopyright\t\t: \n\tName (Domestic)\t: \n\tName (Overseas)\t: \n"
              "\tProduct info\t: \n\tCountries\t\t: \n");
}

// ---- Backup RAM files ------------------------------------------------------------------------

TEST_F(RomLoading, BackupRamFilesHoldTheRawBytes) {
    for (uint32_t i = 0; i < kBackupRamSize; ++i) machine->backupRam[i] = static_cast<uint8_t>(i * 3);
    const auto path = folder.path("cart.brm");
    ASSERT_EQ(machine->saveBackupRam(path.string().c_str()), 0);
    const auto saved = test::readFile(path);
    ASSERT_EQ(saved.size(), kBackupRamSize);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), machine->backupRam.get()));

    // Loading reads up to 8192 bytes; a shorter file changes only its length.
    std::memset(machine->backupRam.get(), 0xEE, kBackupRamSize);
    const std::vector<uint8_t> shortFile(100, 0x12);
    ASSERT_EQ(machine->loadBackupRam(folder.write("short.brm", shortFile).c_str()), 0);
    EXPECT_EQ(machine->backupRam[99], 0x12);
    EXPECT_EQ(machine->backupRam[100], 0xEE);
    ASSERT_EQ(machine->loadBackupRam(path.string().c_str()), 0);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), machine->backupRam.get()));

    EXPECT_EQ(machine->loadBackupRam(folder.path("absent.brm").string().c_str()), 1);
    EXPECT_EQ(machine->saveBackupRam(folder.path("no/such/folder.brm").string().c_str()), 1);
}

TEST_F(RomLoading, BackupRamSaveThatCannotBeWrittenWholeFails) {
    // The device accepts the open but refuses every byte, as a full disk does.
    std::FILE* probe = std::fopen("/dev/full", "wb");
    if (probe == nullptr) GTEST_SKIP() << "no /dev/full on this system";
    std::fclose(probe);
    EXPECT_EQ(machine->saveBackupRam("/dev/full"), 1);
}

}  // namespace
}  // namespace vimo
