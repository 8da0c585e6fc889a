// Each dump's file name, size and byte order; the memories left as they were,
// also when a file cannot be created; missing memories; "regs.txt".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "machine_test_util.h"

namespace vimo {
namespace {

using Bytes = std::vector<uint8_t>;

struct Dump {
    const char* file;
    int32_t (Machine::*write)();
    uint8_t* (*memory)(Machine&);
    size_t size;
    bool swapped;   // every byte pair exchanged on its way to the file
};

const Dump kDumps[] = {
    {"ram_dump", &Machine::dumpRam, [](Machine& m) { return m.ram.get(); }, 65536, true},
    {"z80ram_dump", &Machine::dumpZ80Ram, [](Machine& m) { return m.z80Ram.get(); }, 8192, true},
    {"vram_dump", &Machine::dumpVram, [](Machine& m) { return m.vdp.vram; }, 65536, true},
    {"cram_dump", &Machine::dumpCram, [](Machine& m) { return m.vdp.cram; }, 128, true},
    {"vsram_dump", &Machine::dumpVsram, [](Machine& m) { return m.vdp.vsram; }, 80, true},
    {"prog_ram_dump", &Machine::dumpProgramRam, [](Machine& m) { return m.prgRam.get(); }, 524288, true},
    {"word_ram_dump", &Machine::dumpWordRam, [](Machine& m) { return m.wordRam.get(); }, 262144, false},
    {"pcm_ram_dump", &Machine::dumpPcmRam, [](Machine& m) { return m.pcm.waveRam.get(); }, 65536, false},
    {"backup.brm", &Machine::dumpBackupRam, [](Machine& m) { return m.backupRam.get(); }, 8192, false},
};

// The dumps land in the current folder: the test runs inside a scratch one.
class MemoryDumps : public ::testing::Test {
protected:
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
    std::filesystem::path startFolder = std::filesystem::current_path();

    void SetUp() override { std::filesystem::current_path(folder.path("")); }
    void TearDown() override { std::filesystem::current_path(startFolder); }
};

TEST_F(MemoryDumps, FilesAndByteOrders) {
    // An odd-sized image reaches its file as it was loaded, last byte included.
    const Bytes image = test::patternImage(0x1001);
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    machine->dumpRom();
    EXPECT_EQ(test::readFile("rom_dump"), image);

    for (const Dump& dump : kDumps) {
        SCOPED_TRACE(dump.file);
        uint8_t* memory = dump.memory(*machine);
        memory[0] = 0x12;
        memory[1] = 0x34;
        memory[dump.size - 1] = 0x5A;
        const Bytes before(memory, memory + dump.size);
        EXPECT_EQ((machine.get()->*dump.write)(), 0);
        Bytes expected = before;
        if (dump.swapped)
            for (size_t i = 0; i < expected.size(); i += 2) std::swap(expected[i], expected[i + 1]);
        EXPECT_TRUE(test::readFile(dump.file) == expected);

        // Where the file cannot be created nothing is written.
        std::filesystem::remove(dump.file);
        std::filesystem::create_directory(dump.file);
        EXPECT_EQ((machine.get()->*dump.write)(), 0);
        EXPECT_TRUE(std::filesystem::is_directory(dump.file));
        EXPECT_TRUE(Bytes(memory, memory + dump.size) == before) << "memory changed";
    }
}

TEST_F(MemoryDumps, MissingMemoriesAndTheRegisterListing) {
    machine->prgRam.reset();
    machine->dumpRom();
    machine->dumpProgramRam();
    EXPECT_EQ(std::filesystem::file_size("rom_dump"), 0u);
    EXPECT_EQ(std::filesystem::file_size("prog_ram_dump"), 0u);

    // Lower-case hexadecimal indices, unsigned decimal values, the same CRLF
    // bytes on every platform.
    machine->mainGateArray[0] = 1;
    machine->mainGateArray[0x2F] = 0xFF;
    machine->subGateArray[0x1FF] = 0x80;
    machine->dumpRegisters();
    const Bytes bytes = test::readFile("regs.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_TRUE(text.starts_with("main_reg[0x0] = 1\r\nmain_reg[0x1] = 0\r\n"));
    EXPECT_NE(text.find("main_reg[0x2f] = 255\r\n\r\n\r\nsub_reg[0x0] = 0\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("sub_reg[0x1ff] = 128\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 48 + 2 + 512);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 48 + 2 + 512);
}

}  // namespace
}  // namespace vimo
