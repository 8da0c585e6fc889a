// Save-state files loaded into a running machine. A file the loader refuses
// must leave the machine exactly as it was; a loaded one runs on for two
// frames with whatever registers and memories it brought.
//
// Input: byte 0 even: the rest is the file. Byte 0 odd: the file is a real
// state of a running program with the rest written over it at the offset
// that bytes 1-3 give.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_programs.h"

namespace {

constexpr size_t kStateSize = 140408;

vimo::Machine& runningMachine() {
    static const std::string rom = [] {
        const std::string path = vimo::fuzz::scratchPath("workload.bin");
        vimo::fuzz::writeFile(path, vimo::programs::machine_workload());
        return path;
    }();
    vimo::Machine& machine = vimo::fuzz::machine();
    if (machine.loadRomFile(rom.c_str()) != 0) std::abort();
    vimo::fuzz::runFrames(machine, 2);
    return machine;
}

const std::vector<uint8_t>& realState() {
    static const std::vector<uint8_t> state = [] {
        vimo::Machine& machine = runningMachine();
        vimo::fuzz::runFrames(machine, 10);
        const std::string path = vimo::fuzz::scratchPath("real.gst");
        std::FILE* file = std::fopen(path.c_str(), "w+b");
        std::vector<uint8_t> bytes(kStateSize);
        if (file == nullptr || machine.saveState(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
            std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            std::abort();
        std::fclose(file);
        return bytes;
    }();
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> file;
    if ((data[0] & 1) == 0 || size < 4) {
        file.assign(data + 1, data + size);
    } else {
        file = realState();
        size_t at = ((size_t{data[1]} << 16) | (size_t{data[2]} << 8) | data[3]) % kStateSize;
        for (size_t i = 4; i < size && at < kStateSize; ++i) file[at++] = data[i];
    }
    const std::string path = vimo::fuzz::scratchPath("state.gst");
    vimo::fuzz::writeFile(path, file);

    vimo::Machine& machine = runningMachine();
    const uint64_t before = vimo::fuzz::mainSideDigest(machine);
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    const int32_t result = machine.loadState(stream);
    std::fclose(stream);
    if (result != 0) {
        if (vimo::fuzz::mainSideDigest(machine) != before) std::abort();   // a refused file changed the machine
        return 0;
    }
    vimo::fuzz::runFrames(machine, 2);
    return 0;
}
