// Reads every entry of a zip archive through minizip's unzip side and prints
// "<name> <bytes read>" for each. The cross build links it to prove that the
// Windows build of minizip and zlib is complete; run under Wine it also proves
// that they inflate an entry (a wrong byte would fail the entry's CRC check).
#include <unzip.h>

#include <cstdio>

namespace {

// Reads the current entry to its end; -1 on any error, CRC included.
long readCurrentEntry(unzFile archive) {
    if (unzOpenCurrentFile(archive) != UNZ_OK) {
        return -1;
    }
    long total = 0;
    char buffer[4096];
    int count = 0;
    while ((count = unzReadCurrentFile(archive, buffer, sizeof buffer)) > 0) {
        total += count;
    }
    int closed = unzCloseCurrentFile(archive);  // checks the CRC of a fully read entry
    return count < 0 || closed != UNZ_OK ? -1 : total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s archive.zip\n", argv[0]);
        return 2;
    }
    unzFile archive = unzOpen(argv[1]);
    if (archive == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    int status = unzGoToFirstFile(archive);
    while (status == UNZ_OK) {
        char name[256];
        unz_file_info info;
        if (unzGetCurrentFileInfo(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            ++failures;
            break;
        }
        long bytes = readCurrentEntry(archive);
        if (bytes < 0 || static_cast<unsigned long>(bytes) != info.uncompressed_size) {
            std::fprintf(stderr, "%s: read failed\n", name);
            ++failures;
        } else {
            std::printf("%s %ld\n", name, bytes);
        }
        status = unzGoToNextFile(archive);
    }
    unzClose(archive);
    return failures == 0 && status == UNZ_END_OF_LIST_OF_FILE ? 0 : 1;
}
