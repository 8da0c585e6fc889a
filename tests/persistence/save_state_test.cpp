// The GST save-state file: its bytes against the layout, round trips, and the
// loads and saves that must change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "machine_programs.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kFileSize = 140408;

// What a state holds, and a little it must not touch, as the machine holds it.
struct Snapshot {
    uint32_t d[8], a[8], pc, sr, otherSp;
    Bytes vdpRegs, cram, vsram, vram, z80Ram, ram, prgRam;
    std::vector<uint32_t> palette;

    explicit Snapshot(const Machine& m) {
        Cpu68000Context c;
        m.mainCpu->getContext(&c);
        std::copy_n(c.d, 8, d);
        std::copy_n(c.a, 8, a);
        pc = c.pc, sr = c.sr, otherSp = c.otherSp;
        vdpRegs.assign(m.vdp.regs, m.vdp.regs + kVdpRegisterCount);
        cram.assign(m.vdp.cram, m.vdp.cram + kCramSize);
        vsram.assign(m.vdp.vsram, m.vdp.vsram + kVsramSize);
        vram.assign(m.vdp.vram, m.vdp.vram + kVramSize);
        z80Ram.assign(m.z80Ram.get(), m.z80Ram.get() + kZ80RamSize);
        ram.assign(m.ram.get(), m.ram.get() + kWorkRamSize);
        prgRam.assign(m.prgRam.get(), m.prgRam.get() + kPrgRamSize);
        palette.assign(m.vdp.palette, m.vdp.palette + kPaletteSize);
    }
    bool operator==(const Snapshot&) const = default;
};

class SaveState : public ::testing::Test {
protected:
    test::ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;

    Bytes save() {
        std::FILE* file = std::fopen(folder.path("saved.gst").c_str(), "wb");
        EXPECT_EQ(machine->saveState(file), 0);
        std::fclose(file);
        return test::readFile(folder.path("saved.gst"));
    }

    int32_t load(const Bytes& bytes) {
        std::FILE* file = std::fopen(folder.write("load.gst", bytes).c_str(), "rb");
        const int32_t result = machine->loadState(file);
        std::fclose(file);
        return result;
    }
};

TEST_F(SaveState, LayoutAndEncodings) {
    Cpu68000Context c;
    machine->mainCpu->getContext(&c);
    c.d[0] = 0x11223344, c.d[7] = 0x8899AABB, c.a[7] = 0x00FF0070, c.pc = 0x200, c.sr = 0x2700;
    machine->mainCpu->setContext(&c);
    for (uint32_t i = 0; i < kVdpRegisterCount; ++i) machine->vdp.regs[i] = static_cast<uint8_t>(0xA0 + i);
    machine->vdp.cram[0] = 0x0E, machine->vdp.cram[1] = 0xEE;     // colour word 0x0EEE
    machine->vdp.vsram[0] = 0x01, machine->vdp.vsram[1] = 0x23;   // scroll word 0x0123
    std::fill(machine->vdp.vsram + 80, machine->vdp.vsram + kVsramSize, 0x99);  // not stored
    machine->z80Ram[kZ80RamSize - 1] = 0xCD;
    test::setRamByte(*machine, 0xFF0000, 0x12), test::setRamByte(*machine, 0xFF0001, 0x34);
    machine->vdp.vram[0] = 0x12, machine->vdp.vram[kVramSize - 1] = 0x77;
    machine->vdp.convertPalette();

    Bytes file = save();
    ASSERT_EQ(file.size(), kFileSize);
    const std::pair<size_t, Bytes> fields[] = {
        {0x00, {'G', 'S', 'T', 0x00, 0x00, 0x00, 0xE0, 0x40}},
        {0x80, {0x44, 0x33, 0x22, 0x11}},  {0x9C, {0xBB, 0xAA, 0x99, 0x88}},  // D0, D7
        {0xBC, {0x70, 0x00, 0xFF, 0x00}},  {0xC8, {0x00, 0x02, 0x00, 0x00}},  // A7, PC
        {0xD0, {0x00, 0x27, 0x00, 0x00}},  {0xFA, {0xA0, 0xA1}}, {0x111, {0xB7}},  // SR, VDP 0, 1, 23
        {0x112, {0xEE, 0x0E}}, {0x192, {0x23, 0x01}}, {0x2473, {0xCD}},  // CRAM, VSRAM, Z80 RAM end
        {0x2478, {0x12, 0x34}}, {0x12478, {0x12, 0x00}}, {kFileSize - 1, {0x77}}};  // work RAM, VRAM
    for (const auto& [offset, bytes] : fields)
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin() + offset)) << std::hex << offset;
    const std::pair<size_t, size_t> zeros[] = {
        {0x08, 0x80}, {0xC0, 0xC8}, {0xCC, 0xD0}, {0xD4, 0xFA}, {0x1E2, 0x474}, {0x2474, 0x2478}};
    for (const auto& [begin, end] : zeros)
        EXPECT_TRUE(std::all_of(file.begin() + begin, file.begin() + end, [](uint8_t b) { return b == 0; }))
            << std::hex << begin;

    // Another program's header loads all the same into a fresh machine; SR
    // keeps the bits the 68000 has, and the lists in use follow its S bit.
    const Snapshot saved(*machine);
    std::fill(file.begin(), file.begin() + 8, 'X');
    std::fill(file.begin() + 0xD0, file.begin() + 0xD4, 0xFF);
    machine.reset();
    machine = test::makeMachine();
    ASSERT_EQ(load(file), 0);
    Snapshot loaded(*machine);
    EXPECT_EQ(loaded.sr, 0xA71Fu);
    loaded.sr = saved.sr;
    loaded.vsram = saved.vsram;
    EXPECT_TRUE(loaded == saved);
    machine->mainCpu->getContext(&c);
    EXPECT_EQ(c.current.fetch, c.supervisor.fetch);
}

// Save, run on, load: the registers and memories are those saved, the palette
// is rebuilt from CRAM, and the program goes on from there.
TEST_F(SaveState, RoundTripThroughARunningProgram) {
    ASSERT_EQ(test::loadImage(*machine, folder, programs::machine_workload()), 0);
    for (int i = 0; i < 20; ++i) machine->runFrame(nullptr, nullptr);
    const Bytes file = save();
    const Snapshot saved(*machine);
    const uint32_t frames = test::ramLong(*machine, 0xFF0000);

    for (int i = 0; i < 20; ++i) machine->runFrame(nullptr, nullptr);
    std::fill_n(machine->vdp.palette, kPaletteSize, 0u);
    ASSERT_FALSE(Snapshot(*machine) == saved);
    ASSERT_EQ(load(file), 0);
    EXPECT_TRUE(Snapshot(*machine) == saved);
    machine->runFrame(nullptr, nullptr);
    EXPECT_EQ(test::ramLong(*machine, 0xFF0000), frames + 1);
    EXPECT_TRUE(recorder.errors.empty());
}

// A short file, even one byte short, and a save onto a full disk change
// nothing in the machine and say so.
TEST_F(SaveState, FailuresChangeNothing) {
    test::setRamByte(*machine, 0xFF0000, 0x12);
    const Bytes file = save();
    machine->vdp.vram[0] = 0x34;
    const Snapshot before(*machine);
    for (const size_t size : {size_t{0}, size_t{0xD2}, kFileSize - 1}) {
        EXPECT_EQ(load(Bytes(file.begin(), file.begin() + size)), 1) << size;
        EXPECT_TRUE(Snapshot(*machine) == before) << size;
    }
    EXPECT_EQ(recorder.errors, std::vector<std::string>(3, "Load States: Couldn't load save state"));

    recorder.clear();
    if (std::FILE* full = std::fopen("/dev/full", "wb")) {
        EXPECT_EQ(machine->saveState(full), 1);
        std::fclose(full);
        EXPECT_EQ(recorder.errors, std::vector<std::string>{"Save States: Couldn't save game state"});
        EXPECT_TRUE(Snapshot(*machine) == before);
    }
}

}  // namespace
}  // namespace vimo
