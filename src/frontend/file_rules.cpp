#include "frontend/file_rules.h"

#include <algorithm>

#include "machine/machine.h"

namespace vimo {

std::string folderPart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return {};
    return path.substr(0, std::min(slash, kPathLimit));
}

std::string fileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string windowTitleFor(const std::string& path) {
    return kTitlePrefix + fileNamePart(path);
}

RomRoute romRoute(const std::string& path, uint32_t filterIndex) {
    if (endsWithIgnoringCase(path.c_str(), "zip")) return RomRoute::Zip;
    if (endsWithIgnoringCase(path.c_str(), ".iso")) return RomRoute::CdImage;
    if (endsWithIgnoringCase(path.c_str(), ".bin") && filterIndex == 2) return RomRoute::CdImage;
    return RomRoute::Cartridge;
}

// Only the file-name part loses its extension: a "." in the folder (such as
// the default ".\") must not cut the name, or games without an extension
// would all share one slot file.
bool quickSlotPath(const std::string& folder, const std::string& romName, uint32_t slot, std::string& path) {
    std::string name = fileNamePart(romName);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    std::string joined = folder + "\\" + name + ".gs" + static_cast<char>('0' + slot % 10);
    if (joined.size() > kPathLimit) return false;
    path = std::move(joined);
    return true;
}

bool withGymExtension(const std::string& path, std::string& result) {
    std::string named = endsWithIgnoringCase(path.c_str(), ".gym") ? path : path + ".gym";
    if (named.size() > kPathLimit) return false;
    result = std::move(named);
    return true;
}

int32_t writeThroughTemporary(const std::string& path, const std::function<int32_t(std::FILE*)>& write,
                              const std::function<int32_t(const char*, const char*)>& replace) {
    const std::string temporary = path + ".tmp";
    if (temporary.size() > kPathLimit) return 1;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return 1;
    const int32_t written = write(file);
    const bool closed = std::fclose(file) == 0;
    if (written == 0 && closed && replace(temporary.c_str(), path.c_str()) == 0) return 0;
    std::remove(temporary.c_str());
    return 2;
}

Placement centredPosition(int32_t left, int32_t top, int32_t width, int32_t height, int32_t windowWidth,
                          int32_t windowHeight) {
    const int32_t x = left + (width - windowWidth) / 2;
    const int32_t y = top + (height - windowHeight) / 2;
    return {std::max(x, 0), std::max(y, 0)};
}

}  // namespace vimo
