// ROM images by name, raw and SMD, of every size from 0 to beyond the 5 MB
// limit, through the loader the menu uses. A loaded image runs one frame.
//
// Input: byte 0 picks the file name (bit 0 SMD, bit 1 upper case, bit 2 no
// extension); byte 1 adds that many 64 KB blocks of zeros behind the rest, so
// banked images above 4 MB and refused ones above 5 MB are reached.
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const char* const names[8] = {"rom.bin", "rom.smd", "ROM.BIN", "ROM.SMD", "rom", "r", "ROM", "s"};
    std::vector<uint8_t> file(data + 2, data + size);
    file.resize(file.size() + static_cast<size_t>(data[1] % 96) * 0x10000);
    const std::string path = vimo::fuzz::scratchPath(names[data[0] & 7]);
    vimo::fuzz::writeFile(path, file);

    vimo::Machine& machine = vimo::fuzz::machine();
    if (machine.loadRomFile(path.c_str()) == 0) vimo::fuzz::runFrames(machine, 1);
    return 0;
}
