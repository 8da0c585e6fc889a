// Backup RAM files: 8192 raw bytes, as held.
#include <cstdio>

#include "machine/machine.h"

namespace vimo {

int32_t Machine::saveBackupRam(const char* path) {
    if (!backupRam) return 1;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::fwrite(backupRam.get(), 1, kBackupRamSize, file);
    std::fclose(file);
    return 0;
}

int32_t Machine::loadBackupRam(const char* path) {
    if (!backupRam) return 1;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 1;
    std::fread(backupRam.get(), 1, kBackupRamSize, file);
    std::fclose(file);
    return 0;
}

}  // namespace vimo
