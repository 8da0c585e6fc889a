// The GST save-state file: the main 68000's registers, the VDP's registers
// and memories, Z80 RAM and work RAM at fixed offsets of a 140408-byte file,
// the layout other Mega Drive programs read and write. Nothing else of the
// machine is stored or changed by a load.
#include <algorithm>
#include <array>
#include <vector>

#include "machine/machine.h"
#include "machine/report.h"

namespace vimo {

namespace {

constexpr size_t kStateFileSize = 140408;
constexpr std::array<uint8_t, 8> kStateHeader = {'G', 'S', 'T', 0x00, 0x00, 0x00, 0xE0, 0x40};

constexpr size_t kDataRegistersOffset = 0x80;
constexpr size_t kAddressRegistersOffset = 0xA0;
constexpr size_t kPcOffset = 0xC8;
constexpr size_t kSrOffset = 0xD0;
constexpr size_t kVdpRegistersOffset = 0xFA;
constexpr size_t kCramOffset = 0x112;
constexpr size_t kVsramOffset = 0x192;
constexpr size_t kZ80RamOffset = 0x474;
constexpr size_t kWorkRamOffset = 0x2478;
constexpr size_t kVramOffset = 0x12478;

constexpr size_t kCramBytes = 128;   // 64 colour words
constexpr size_t kVsramBytes = 80;   // 40 scroll words

// The bits of SR the 68000 has; the core keeps only these on every SR write.
constexpr uint16_t kSrDefinedBits = 0xA71F;
constexpr uint16_t kSrSupervisor = 0x2000;

void putLong(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLong(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// Copies `count` bytes with the two bytes of every pair exchanged: between the
// word-swapped or high-byte-first memories and the file's order. `count` is
// even.
void copySwapped(uint8_t* to, const uint8_t* from, size_t count) {
    std::copy_n(from, count, to);
    swapBytePairs(to, static_cast<int32_t>(count));
}

}  // namespace

// The image is built in memory and written in one piece, so the machine's
// memories are only read and never left swapped, whatever the write does.
int32_t Machine::saveState(std::FILE* file) {
    if (!constructed || file == nullptr) {
        showErrorBox("Save States: Couldn't save game state");
        return 1;
    }
    std::vector<uint8_t> image(kStateFileSize, 0);
    uint8_t* bytes = image.data();
    std::copy(kStateHeader.begin(), kStateHeader.end(), bytes);

    mainCpu->getContext(&mainContext);
    for (int i = 0; i < 8; ++i) {
        putLong(bytes + kDataRegistersOffset + 4 * i, mainContext.d[i]);
        putLong(bytes + kAddressRegistersOffset + 4 * i, mainContext.a[i]);
    }
    putLong(bytes + kPcOffset, mainContext.pc);
    putLong(bytes + kSrOffset, mainContext.sr);

    std::copy_n(vdp.regs, kVdpRegisterCount, bytes + kVdpRegistersOffset);
    copySwapped(bytes + kCramOffset, vdp.cram, kCramBytes);
    copySwapped(bytes + kVsramOffset, vdp.vsram, kVsramBytes);
    std::copy_n(z80Ram.get(), kZ80RamSize, bytes + kZ80RamOffset);
    copySwapped(bytes + kWorkRamOffset, ram.get(), kWorkRamSize);
    std::copy_n(vdp.vram, kVramSize, bytes + kVramOffset);

    // A full disk may only show when the buffered bytes are flushed: that is
    // a failed save too, not a saved one.
    const bool written = std::fseek(file, 0, SEEK_SET) == 0 &&
                         std::fwrite(bytes, 1, kStateFileSize, file) == kStateFileSize &&
                         std::fflush(file) == 0;
    if (!written) {
        showErrorBox("Save States: Couldn't save game state");
        return 1;
    }
    return 0;
}

// The header is not looked at, so a state of another program with the same
// layout loads too. A short file changes nothing: a state is applied whole or
// not at all.
int32_t Machine::loadState(std::FILE* file) {
    std::vector<uint8_t> image(kStateFileSize);
    const bool read = constructed && file != nullptr && std::fseek(file, 0, SEEK_SET) == 0 &&
                      std::fread(image.data(), 1, kStateFileSize, file) == kStateFileSize;
    if (!read) {
        showErrorBox("Load States: Couldn't load save state");
        return 1;
    }
    const uint8_t* bytes = image.data();

    // The core keeps its own cycle count, interrupt state and memory lists.
    mainCpu->getContext(&mainContext);
    for (int i = 0; i < 8; ++i) {
        mainContext.d[i] = getLong(bytes + kDataRegistersOffset + 4 * i);
        mainContext.a[i] = getLong(bytes + kAddressRegistersOffset + 4 * i);
    }
    mainContext.pc = getLong(bytes + kPcOffset);
    mainContext.sr = static_cast<uint16_t>(getLong(bytes + kSrOffset) & kSrDefinedBits);
    // The lists in use follow the loaded mode, as on every change of S.
    mainContext.current = (mainContext.sr & kSrSupervisor) != 0 ? mainContext.supervisor : mainContext.user;
    mainCpu->setContext(&mainContext);

    std::copy_n(bytes + kVdpRegistersOffset, kVdpRegisterCount, vdp.regs);
    copySwapped(vdp.cram, bytes + kCramOffset, kCramBytes);
    copySwapped(vdp.vsram, bytes + kVsramOffset, kVsramBytes);
    vdp.convertPalette();

    std::copy_n(bytes + kZ80RamOffset, kZ80RamSize, z80Ram.get());
    copySwapped(ram.get(), bytes + kWorkRamOffset, kWorkRamSize);
    std::copy_n(bytes + kVramOffset, kVramSize, vdp.vram);
    return 0;
}

}  // namespace vimo
