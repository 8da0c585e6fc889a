#include "machine/zip_entries.h"

#include <algorithm>
#include <cctype>

#include <unzip.h>

#include "machine/machine.h"

namespace vimo {

namespace {

constexpr size_t kEntryNameSize = 261;   // 260 characters and the zero

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

bool isZipRomEntry(const char* name) {
    return endsWithIgnoringCase(name, "bin") || endsWithIgnoringCase(name, "smd");
}

std::vector<std::string> zipRomEntries(const std::string& path) {
    std::vector<std::string> names;
    if (!isRegularFile(path.c_str())) return names;
    unzFile zip = unzOpen(path.c_str());
    if (zip == nullptr) return names;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        char name[kEntryNameSize] = {};
        unz_file_info info{};
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        if (isZipRomEntry(name)) names.emplace_back(name);
    }
    unzClose(zip);
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

}  // namespace vimo
