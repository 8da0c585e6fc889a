// Backup RAM files: 8192 raw bytes, as held.
#include <cstdio>

#include "machine/machine.h"

namespace vimo {

int32_t Machine::saveBackupRam(const char* path) {
    if (!backupRam) return 1;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    // A short write or a failed flush (a full disk) leaves an incomplete file:
    // that is a failed save, not a saved one.
    const bool written = std::fwrite(backupRam.get(), 1, kBackupRamSize, file) == kBackupRamSize;
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 0 : 1;
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
