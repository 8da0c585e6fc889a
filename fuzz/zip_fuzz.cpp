// Zip archives through the zip path of the menu: the entries are listed and
// each is loaded by name. A loaded image runs one frame.
#include <unzip.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

std::vector<std::string> entryNames(const std::string& path) {
    std::vector<std::string> names;
    unzFile zip = unzOpen(path.c_str());
    if (zip == nullptr) return names;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK && names.size() < 8; status = unzGoToNextFile(zip)) {
        char name[512] = {};
        unz_file_info info{};
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        names.emplace_back(name);
    }
    unzClose(zip);
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = vimo::fuzz::scratchPath("game.zip");
    vimo::fuzz::writeFile(path, {data, size});
    vimo::Machine& machine = vimo::fuzz::machine();
    for (const std::string& name : entryNames(path)) {
        char archive[4096];
        std::snprintf(archive, sizeof archive, "%s", path.c_str());
        if (machine.loadRomFromZip(archive, sizeof archive, name.c_str()) == 0) vimo::fuzz::runFrames(machine, 1);
    }
    return 0;
}
