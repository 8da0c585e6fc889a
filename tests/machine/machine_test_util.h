// Helpers shared by the machine's tests: a recorder for the report seam,
// scratch files, cartridge images and reading the machine's memories as the
// 68000 sees them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/report.h"

namespace vimo::test {

// Installs itself as the report sink for its lifetime and keeps every report
// in order. Error boxes are switched on while it lives.
class ReportRecorder {
public:
    ReportRecorder();
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    std::vector<std::string> errors;
    std::vector<std::string> romInfo;
    std::vector<std::string> statusTexts;
    std::vector<uint8_t> lamps;

    void clear();

private:
    static ReportRecorder* active;
};

// A fresh folder for the files one test writes, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path(const std::string& name) const { return root / name; }
    // Writes the bytes to `name` and returns the full path.
    std::string write(const std::string& name, std::span<const uint8_t> bytes) const;

private:
    std::filesystem::path root;
};

std::vector<uint8_t> readFile(const std::filesystem::path& path);

// A zip archive with the given entries (deflated), written by minizip's zip side.
struct ZipEntry {
    std::string name;
    std::vector<uint8_t> data;
};
void writeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

// Interleaves a natural image into SMD blocks behind a 512-byte header, as the
// format is documented: per 16 KB block, the odd bytes first, then the even
// ones. `trailing` extra bytes follow the last block.
std::vector<uint8_t> makeSmd(std::span<const uint8_t> image, size_t trailing = 0);

// `size` bytes where byte i is a mix of i that differs between neighbours and
// between 512 KB blocks.
std::vector<uint8_t> patternImage(size_t size);

// A machine built with the recorder already in place.
std::unique_ptr<Machine> makeMachine();

// Writes the image to a file of the folder and loads it as the front end
// does; returns loadRomFile's result.
int32_t loadImage(Machine& machine, const ScratchFolder& folder, std::span<const uint8_t> image,
                  const std::string& name = "game.bin");

// The 68000's view of work RAM and of the mapped image (word-swapped inside).
uint8_t ramByte(const Machine& machine, uint32_t address);
uint16_t ramWord(const Machine& machine, uint32_t address);
uint32_t ramLong(const Machine& machine, uint32_t address);
void setRamByte(Machine& machine, uint32_t address, uint8_t value);

}  // namespace vimo::test
