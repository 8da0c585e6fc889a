// Cartridge images: raw and SMD files, zip entries, the banking copy of large
// images, and starting a loaded image.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include <sys/stat.h>
#include <unzip.h>

#include "machine/machine.h"
#include "machine/report.h"

namespace vimo {

namespace {

constexpr int32_t kSmdHeaderSize = 512;
constexpr int32_t kSmdBlockSize = 16384;
constexpr int32_t kSmdHalfBlock = kSmdBlockSize / 2;
constexpr size_t kZipNameSize = 261;   // up to 260 characters and the terminator
// The largest image the machine can hold: its size is a signed 32-bit count.
constexpr uint64_t kMaxImageSize = std::numeric_limits<int32_t>::max() - kImagePadding;
// The largest zip entry worth reading: all that the bank registers reach
// (256 banks of 512 KB). Anything larger is refused before it is allocated.
constexpr uint64_t kMaxZipEntrySize = 256 * uint64_t{kRomBankSize};

// A stdio stream closed on every path.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, or -1 when it cannot be told.
long fileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// A full copy of the image, padding included, for the bank registers.
std::unique_ptr<uint8_t[]> makeBankingCopy(const uint8_t* image, int32_t size) {
    auto copy = allocateImage(static_cast<size_t>(size));
    if (copy) std::memcpy(copy.get(), image, static_cast<size_t>(size));
    return copy;
}

// Closes the archive on every path.
struct ZipCloser {
    void operator()(void* zip) const { unzClose(static_cast<unzFile>(zip)); }
};
using ZipArchive = std::unique_ptr<void, ZipCloser>;

}  // namespace

std::unique_ptr<uint8_t[]> allocateImage(size_t size) {
    return std::unique_ptr<uint8_t[]>(blockAllocator(size + kImagePadding));
}

bool endsWithIgnoringCase(const char* text, const char* suffix) {
    const size_t textLength = std::strlen(text);
    const size_t suffixLength = std::strlen(suffix);
    if (suffixLength > textLength) return false;
    const char* tail = text + (textLength - suffixLength);
    for (size_t i = 0; i < suffixLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) !=
            std::tolower(static_cast<unsigned char>(suffix[i])))
            return false;
    }
    return true;
}

int32_t deinterleaveSmd(uint8_t* image, int32_t& size) {
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[kSmdBlockSize]);
    if (!scratch) return -1;
    const int32_t blocks = size > kSmdHeaderSize ? (size - kSmdHeaderSize) / kSmdBlockSize : 0;
    // Each output block lies 512 bytes before its input block; the input is
    // saved first, so the conversion runs in place.
    for (int32_t b = 0; b < blocks; ++b) {
        const size_t input = static_cast<size_t>(kSmdHeaderSize) + static_cast<size_t>(b) * kSmdBlockSize;
        std::memcpy(scratch.get(), image + input, kSmdBlockSize);
        uint8_t* output = image + static_cast<size_t>(b) * kSmdBlockSize;
        for (int32_t i = 0; i < kSmdHalfBlock; ++i) {
            output[2 * i + 1] = scratch[i];              // the odd bytes come first
            output[2 * i] = scratch[kSmdHalfBlock + i];  // then the even ones
        }
    }
    size = blocks * kSmdBlockSize;
    return 0;
}

// stat takes the path as fopen does (on Windows in the host's code page, which
// std::filesystem would not use for a narrow path).
bool isRegularFile(const char* path) {
    struct stat status {};
    return path != nullptr && stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

int32_t loadRomImage(const char* path, std::unique_ptr<uint8_t[]>& image, int32_t& size) {
    if (!isRegularFile(path)) return 1;
    File file(std::fopen(path, "rb"));
    if (!file) return 1;
    const long length = fileSize(file.get());
    if (length < 0) return 1;
    if (static_cast<unsigned long>(length) > kMaxRomFileSize) {
        showErrorBox("Rom size is too big : %d MB", static_cast<int>(length / 1024 / 1024));
        return 1;
    }
    auto buffer = allocateImage(static_cast<size_t>(length));
    if (!buffer) return 1;
    if (std::fread(buffer.get(), 1, static_cast<size_t>(length), file.get()) !=
        static_cast<size_t>(length))
        return 1;
    file.reset();

    int32_t loaded = static_cast<int32_t>(length);
    if (endsWithIgnoringCase(path, ".SMD")) deinterleaveSmd(buffer.get(), loaded);
    image = std::move(buffer);
    size = loaded;
    return 0;
}

int32_t loadWholeFile(const char* path, std::unique_ptr<uint8_t[]>& buffer, int32_t& size) {
    size = 0;
    File file(std::fopen(path, "rb"));
    if (!file) return 1;
    const long length = fileSize(file.get());
    if (length < 0 || static_cast<uint64_t>(length) > kMaxImageSize) return 1;
    auto data = allocateImage(static_cast<size_t>(length));
    if (!data) return 1;
    if (std::fread(data.get(), 1, static_cast<size_t>(length), file.get()) !=
        static_cast<size_t>(length))
        return 1;
    buffer = std::move(data);
    size = static_cast<int32_t>(length);
    return 0;
}

int32_t Machine::swappedImageLength() const {
    return romSize > 0 ? romSize + (romSize & 1) : 0;
}

// The new image replaces the old one, with a banking copy of its own when it
// is larger than 4 MB: a copy made for an earlier image is never kept. 1 when
// the copy cannot be allocated: the image would run with banking silently
// off, so the previous image stays instead.
int32_t Machine::takeImage(std::unique_ptr<uint8_t[]> image, int32_t size) {
    std::unique_ptr<uint8_t[]> copy;
    if (size >= kRomBankingThreshold) {
        copy = makeBankingCopy(image.get(), size);
        if (!copy) return 1;
    }
    rom = std::move(image);
    romCopy = std::move(copy);
    romSize = size;
    romBankMode = romCopy ? 1 : 0;
    return 0;
}

int32_t Machine::loadRomFile(const char* path) {
    if (!constructed) return 1;
    shutdownFm();
    std::unique_ptr<uint8_t[]> image;
    int32_t size = 0;
    if (loadRomImage(path, image, size) != 0 || takeImage(std::move(image), size) != 0) {
        showErrorBox("Couldn't load: %s", path);
        initSoundChips();
        return 1;
    }
    megaCdMode = 0;
    startLoadedImage();
    initSoundChips();
    return 0;
}

int32_t Machine::loadRomFromZip(char* archivePath, size_t archivePathSize, const char* entryName) {
    if (!constructed || !isRegularFile(archivePath)) return 1;
    ZipArchive zip(unzOpen(archivePath));
    if (!zip) return 1;
    constexpr int kCaseInsensitive = 2;
    if (unzLocateFile(zip.get(), entryName, kCaseInsensitive) != UNZ_OK) return 1;

    unz_file_info info{};
    char storedName[kZipNameSize] = {};
    if (unzGetCurrentFileInfo(zip.get(), &info, storedName, sizeof storedName, nullptr, 0,
                              nullptr, 0) != UNZ_OK)
        return 1;
    const uint64_t entrySize = info.uncompressed_size;
    if (entrySize > kMaxZipEntrySize) {
        showErrorBox("Couldn't load: %s", archivePath);
        return 1;
    }
    auto image = allocateImage(static_cast<size_t>(entrySize));
    if (!image) return 1;

    if (unzOpenCurrentFile(zip.get()) != UNZ_OK) return 1;
    uint64_t done = 0;
    while (done < entrySize) {
        const uint64_t chunk = std::min<uint64_t>(entrySize - done, 1u << 20);
        const int read = unzReadCurrentFile(zip.get(), image.get() + done, static_cast<unsigned>(chunk));
        if (read <= 0) break;
        done += static_cast<uint64_t>(read);
    }
    unzCloseCurrentFile(zip.get());
    if (done != entrySize) return 1;  // a short read keeps the previous image
    zip.reset();

    int32_t size = static_cast<int32_t>(entrySize);
    if (endsWithIgnoringCase(storedName, "smd")) deinterleaveSmd(image.get(), size);
    if (takeImage(std::move(image), size) != 0) {
        showErrorBox("Couldn't load: %s", archivePath);
        return 1;
    }

    if (archivePath != nullptr && archivePathSize > 0)
        std::snprintf(archivePath, archivePathSize, "%s", storedName);
    startLoadedImage();
    return 0;
}

// A Mega-CD BIOS is mapped as a fixed 128 KB block, so a smaller image is
// held in a zero-padded 128 KB buffer; romSize stays the size that was loaded.
int32_t Machine::padBiosImage() {
    if (megaCdMode == 0 || !rom || static_cast<uint32_t>(std::max(romSize, 0)) >= kBiosImageSize)
        return 0;
    auto padded = allocateImage(kBiosImageSize);
    if (!padded) return 1;
    std::memcpy(padded.get(), rom.get(), static_cast<size_t>(swappedImageLength()));
    rom = std::move(padded);
    return 0;
}

int32_t Machine::loadCdImage(const char* path) {
    if (!constructed) return 1;
    if (File probe{isRegularFile(path) ? std::fopen(path, "rb") : nullptr}; !probe) {
        showErrorBox("Couldn't load: %s", path);
        return 1;
    }
    cdUnit.closeImageIfOpen();
    cdUnit.openImage(path);
    bootMegaCd();
    return 0;
}

int32_t Machine::bootMegaCd() {
    if (!constructed) return 1;
    // The BIOS paths are held in the order USA, Japan, Europe.
    uint32_t slot = 0;
    const char* missing = "Please configure the SegaCD/MegaCD bios";
    switch (country & kCountryAutodetectMenu) {
        case kCountryUsa: missing = "Please configure the SegaCD USA bios"; break;
        case kCountryJapan:
            slot = 1;
            missing = "Please configure the MegaCD JAP bios";
            break;
        case kCountryEurope:
            slot = 2;
            missing = "Please configure the MegaCD EUR bios";
            break;
        default: slot = static_cast<uint32_t>(cdUnit.detectRegion()); break;
    }

    std::unique_ptr<uint8_t[]> image;
    int32_t size = 0;
    if (slot > 2 || loadRomImage(biosPaths[slot], image, size) != 0) {
        showErrorBox("%s", missing);
        megaCdMode = 0;
        return 1;
    }
    rom.reset();
    romCopy.reset();
    rom = std::move(image);
    romSize = size;
    romBankMode = 0;
    megaCdMode = 1;
    startLoadedImage();
    return 0;
}

int32_t Machine::startLoadedImage() {
    if (!constructed) return 1;
    if (padBiosImage() != 0) {
        // No room for the padded BIOS: run without one rather than map
        // past the image.
        rom.reset();
        romSize = 0;
    }
    swapBytePairs(rom.get(), swappedImageLength());
    if (romBankMode == 1) swapBytePairs(romCopy.get(), swappedImageLength());
    initMainCpu();
    initSubCpu();
    reset();
    return 0;
}

int32_t Machine::freeRom() {
    rom.reset();
    romCopy.reset();
    romSize = 0;
    romBankMode = 0;
    // No table entry may keep pointing at the released image.
    if (megaCdMode == 0) {
        buildCartridgeMemoryMap();
        return 0;
    }
    buildMegaCdMemoryMap();
    if ((wordRamMode & kWordRamMode1M) != 0) {
        mapMainWordRamHandled();
        mapWordRam1MByRet();
    }
    mapMainPrgRamBank(mainGateArray[kGaMemoryMode] >> 6);
    return 0;
}

}  // namespace vimo
