// Boots the Mega-CD from the disc in the host's drive, the way vimo.exe's
// start-up plugs that drive in: the ASPI drive over whatever "WNASPI32.DLL"
// Windows loads (under the GUI tests, the fake library serving fake_disc.h).
// Only a Japanese BIOS is configured, so the boot succeeds only if the drive
// path read the disc's region. Then, as a BIOS would, it reads the first
// sectors of the data track into program RAM by DMA and plays, locates,
// pauses, resumes and stops the audio of track 2.
//
// Prints what it saw, "FAIL: ..." for each difference from the disc, and
// ends with 0 when there was none.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "fake_aspi/fake_disc.h"
#include "host/aspi_library.h"
#include "machine/machine.h"
#include "machine/report.h"

namespace {

using namespace vimo;

constexpr uint32_t kSectors = 8;
constexpr uint32_t kBiosSize = 0x20000;
const char* const kBiosFile = "jp_bios.bin";

int failures = 0;

void check(bool good, const char* format, ...) {
    if (good) return;
    ++failures;
    std::va_list arguments;
    va_start(arguments, format);
    std::printf("FAIL: ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
}

void printBox(const char* text) {
    std::printf("box: %s\n", text);
    ++failures;
}

// A main-CPU program that only loops: vectors, the header's "SEGA", bra.s *.
bool writeBios() {
    std::vector<uint8_t> image(kBiosSize, 0);
    const uint8_t vectors[8] = {0x00, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x02, 0x00};
    std::memcpy(image.data(), vectors, sizeof vectors);
    std::memcpy(&image[0x100], "SEGA MEGA DRIVE ", 16);
    image[0x200] = 0x60;
    image[0x201] = 0xFE;
    FILE* file = std::fopen(kBiosFile, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    return std::fclose(file) == 0 && written;
}

void writeCdcRegisters(CdUnit& unit, uint32_t first, std::initializer_list<uint8_t> values) {
    unit.setCdcRegisterAddress(first);
    for (uint8_t value : values) unit.writeCdcRegister(value);
}

void sendCddCommand(CdUnit& unit, std::initializer_list<uint8_t> nibbles) {
    uint8_t n[kCddNibbles] = {};
    std::copy(nibbles.begin(), nibbles.end(), n);
    for (uint32_t index = 0; index < kCddNibbles; index += 2) unit.writeCddCommand(index, n[index] * 256u + n[index + 1]);
}

bool digitsAre(const CdUnit& unit, std::initializer_list<uint8_t> digits) {
    return std::equal(digits.begin(), digits.end(), unit.cddStatus + 2);
}

uint16_t storedSector(CdUnit& unit) {
    unit.setCdcRegisterAddress(8);
    const uint32_t low = unit.readCdcRegister();
    const uint32_t pt = low | (unit.readCdcRegister() << 8);
    return static_cast<uint16_t>(pt - kRawSectorSize) & kCdcRingMask;
}

// The sector just stored, moved by DMA to program RAM 0x8000 + 2048 x sector.
void moveToProgramRam(Machine& machine, uint32_t sector) {
    CdUnit& unit = machine.cdUnit;
    const uint16_t from = static_cast<uint16_t>(storedSector(unit) + kSectorHeaderSize);
    writeCdcRegisters(unit, 2, {0xFF, 0x07, static_cast<uint8_t>(from), static_cast<uint8_t>(from >> 8)});
    machine.subGateArray[4] = kCdcDestinationPrgRam;
    unit.setDmaAddress(0x1000 + sector * (kSectorDataSize / 8));
    writeCdcRegisters(unit, 6, {0});  // DTTRG
    writeCdcRegisters(unit, 7, {0});  // DTACK
}

void readDataTrack(Machine& machine) {
    CdUnit& unit = machine.cdUnit;
    sendCddCommand(unit, {2, 0, 0, 5, 0, 1});  // start of track 1
    check(unit.dataMode == 1 && digitsAre(unit, {0, 0, 0, 2, 8, 0}), "track 1 is not a data track at 00:02:00");
    writeCdcRegisters(unit, 15, {0});
    writeCdcRegisters(unit, 1, {kIfctrlDecien | kIfctrlDouten});
    writeCdcRegisters(unit, 10, {kCtrl0Decen | kCtrl0Wrrq | kCtrl0WriteFirst});
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});  // play 00:02:00
    for (uint32_t sector = 0; sector < kSectors; ++sector) {
        if (sector > 0) {
            unit.tickPending = 0;
            unit.readNextSector();
        }
        moveToProgramRam(machine, sector);
    }
    sendCddCommand(unit, {1});
    uint32_t wrong = 0;
    for (uint32_t sector = 0; sector < kSectors; ++sector)
        for (uint32_t i = 0; i < kSectorDataSize; ++i)
            if (machine.prgRam[(0x8000 + sector * kSectorDataSize + i) ^ 1] != fakedisc::sectorByte(sector, i)) ++wrong;
    std::printf("data track: %u sectors in program RAM, %u bytes differ\n", kSectors, wrong);
    check(wrong == 0, "program RAM does not hold the disc's first sectors");
}

void playAudioTrack(CdUnit& unit) {
    sendCddCommand(unit, {2, 0, 0, 5, 0, 2});  // start of track 2: 00:10:00
    check(digitsAre(unit, {0, 0, 1, 0, 0, 0}), "track 2 does not start at 00:10:00");
    sendCddCommand(unit, {3, 0, 0, 0, 1, 0, 0, 0});
    std::printf("audio play: track %u\n", unit.track);
    check(unit.track == 2 && digitsAre(unit, {0, 2, 0, 0, 0, 0}), "the play at 00:10:00 is not track 2");
    sendCddCommand(unit, {2, 0, 0, 0});  // position
    check(digitsAre(unit, {0, 0, 0, 1, 2, 3}), "the position is not the drive's 00:01:23");
    for (uint8_t command : {6, 7, 1}) sendCddCommand(unit, {command});  // pause, resume, stop
}

}  // namespace

int main() {
    ReportSink sink;
    sink.errorBox = printBox;
    installReportSink(&sink);
    auto* machine = new Machine;
    if (!machine->isUsable() || !writeBios()) return 2;
    machine->cdUnit.setHostDrive(openAspiDrive());
    std::strcpy(machine->biosPaths[1], kBiosFile);  // Japan; USA and Europe stay unset

    const int32_t booted = machine->bootMegaCd();
    std::printf("boot: %d, Mega-CD mode %u\n", booted, machine->megaCdMode);
    check(booted == 0 && machine->megaCdMode == 1, "the Japanese BIOS did not boot");
    machine->runFrameMegaCd(nullptr, nullptr);
    Cpu68000Context registers{};
    machine->mainCpu->getContext(&registers);
    std::printf("main 68000 after a frame: PC %06X\n", registers.pc & 0xFFFFFF);
    check((registers.pc & 0xFFFFFF) == 0x200, "the BIOS's loop at 0x200 is not running");
    readDataTrack(*machine);
    playAudioTrack(machine->cdUnit);
    std::printf("%s\n", failures == 0 ? "PASS" : "FAILED");
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
