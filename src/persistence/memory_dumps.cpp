// Memory dumps: each emulated memory written raw to a file of fixed name in
// the current directory, and the Mega-CD gate-array register copies listed as
// text. Nothing is reported to the user.
//
// Word-swapped memories (ROM, work RAM, program RAM) reach their files in
// 68000 order; Z80 RAM and the VDP's memories, held in natural order, reach
// theirs with every byte pair exchanged; word RAM, wave RAM and backup RAM
// are written as held. Stored dumps and the tools reading them expect exactly
// these orders.
#include <cstdio>
#include <vector>

#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kCramBytes = 128;
constexpr uint32_t kVsramBytes = 80;

// Writes `count` bytes of `memory` to `name`; a null memory gives an empty
// file, and a file that cannot be created is skipped.
void writeDump(const char* name, const uint8_t* memory, size_t count) {
    std::FILE* file = std::fopen(name, "wb");
    if (file == nullptr) return;
    if (memory != nullptr && count > 0) std::fwrite(memory, 1, count, file);
    std::fclose(file);
}

// The same with the two bytes of every pair exchanged. The exchange is made
// on a copy of the first `swapLength` bytes (`count` rounded up to even where
// the last byte's partner lies behind it), so the memory itself is never seen
// swapped and is as it was whatever the file does.
void writeSwappedDump(const char* name, const uint8_t* memory, size_t count, size_t swapLength) {
    if (memory == nullptr) {
        writeDump(name, nullptr, 0);
        return;
    }
    std::vector<uint8_t> copy(memory, memory + swapLength);
    swapBytePairs(copy.data(), static_cast<int32_t>(copy.size()));
    writeDump(name, copy.data(), count);
}

void writeSwappedDump(const char* name, const uint8_t* memory, size_t count) {
    writeSwappedDump(name, memory, count, count);
}

}  // namespace

int32_t Machine::dumpRom() {
    // An odd-sized image's last byte sits behind it in the swapped image.
    const size_t size = romSize > 0 ? static_cast<size_t>(romSize) : 0;
    writeSwappedDump("rom_dump", rom.get(), size, static_cast<size_t>(swappedImageLength()));
    return 0;
}

int32_t Machine::dumpRam() {
    writeSwappedDump("ram_dump", ram.get(), kWorkRamSize);
    return 0;
}

int32_t Machine::dumpZ80Ram() {
    writeSwappedDump("z80ram_dump", z80Ram.get(), kZ80RamSize);
    return 0;
}

int32_t Machine::dumpVram() {
    writeSwappedDump("vram_dump", vdp.vram, kVramSize);
    return 0;
}

int32_t Machine::dumpCram() {
    writeSwappedDump("cram_dump", vdp.cram, kCramBytes);
    return 0;
}

int32_t Machine::dumpVsram() {
    writeSwappedDump("vsram_dump", vdp.vsram, kVsramBytes);
    return 0;
}

int32_t Machine::dumpProgramRam() {
    writeSwappedDump("prog_ram_dump", prgRam.get(), kPrgRamSize);
    return 0;
}

// The 2M buffer, whatever the word-RAM mode.
int32_t Machine::dumpWordRam() {
    writeDump("word_ram_dump", wordRam.get(), kWordRamSize);
    return 0;
}

int32_t Machine::dumpPcmRam() {
    writeDump("pcm_ram_dump", pcm.waveRam.get(), kPcmWaveRamSize);
    return 0;
}

int32_t Machine::dumpBackupRam() {
    writeDump("backup.brm", backupRam.get(), kBackupRamSize);
    return 0;
}

// Written in binary with explicit CRLF line ends, so the file has the same
// bytes on every platform (a Windows text-mode file's).
int32_t Machine::dumpRegisters() {
    std::FILE* file = std::fopen("regs.txt", "wb");
    if (file == nullptr) return 0;
    for (uint32_t i = 0; i < sizeof mainGateArray; ++i)
        std::fprintf(file, "main_reg[0x%x] = %d\r\n", i, static_cast<int>(mainGateArray[i]));
    std::fputs("\r\n\r\n", file);
    for (uint32_t i = 0; i < sizeof subGateArray; ++i)
        std::fprintf(file, "sub_reg[0x%x] = %d\r\n", i, static_cast<int>(subGateArray[i]));
    std::fclose(file);
    return 0;
}

}  // namespace vimo
