// Image files, the table of contents, sector reading and the CD tick's
// stream, and the region byte of the disc.
#include <cstdio>
#include <cstring>

#include "cdunit/cdunit.h"
#include "machine/report.h"

namespace vimo {

namespace {

constexpr uint32_t kRegionByteOffset = 0x20B;

// 64-bit offsets: a raw image passes 2 GB near sector 913,000.
int seekImage(std::FILE* file, int64_t offset, int origin) {
#if defined(_WIN32)
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

int64_t tellImage(std::FILE* file) {
#if defined(_WIN32)
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}

// A path ending in ".bin" (any case) names a raw image of 2352-byte sectors;
// any other path, a shorter one included, a plain image of 2048-byte sectors.
bool isRawImagePath(const char* path) {
    const size_t length = std::strlen(path);
    if (length < 4) return false;
    const char* suffix = path + length - 4;
    const char* raw = ".bin";
    for (size_t i = 0; i < 4; ++i) {
        char c = suffix[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != raw[i]) return false;
    }
    return true;
}

}  // namespace

int32_t CdUnit::openImage(const char* path) {
    closeImage();
    if (!path) path = "";
    const int written = std::snprintf(imagePath, sizeof imagePath, "%s", path);
    // A path that does not fit could not name the format or the file again.
    if (written >= 0 && static_cast<size_t>(written) < sizeof imagePath)
        imageFile = std::fopen(path, "rb");
    if (!imageFile) {
        showErrorBox("Error opening %s", path);
        imageMode = 0;
        return 1;
    }
    imageMode = 1;
    return 0;
}

void CdUnit::closeImage() {
    if (imageFile) std::fclose(imageFile);
    imageFile = nullptr;
    imageMode = 0;
}

void CdUnit::closeImageIfOpen() {
    if (imageMode) closeImage();
}

int64_t CdUnit::imageSize() const {
    if (!imageFile) return -1;
    const int64_t here = tellImage(imageFile);
    if (seekImage(imageFile, 0, SEEK_END) != 0) return -1;
    const int64_t size = tellImage(imageFile);
    seekImage(imageFile, here, SEEK_SET);
    return size;
}

void CdUnit::buildToc() {
    std::memset(toc, 0, sizeof toc);
    if (!imageMode) {
        readDriveToc();
        return;
    }
    // One data track; descriptor 1 stays zero, the lead-out sits at 73:59:74.
    toc[2] = 1;
    toc[3] = 1;
    toc[17] = 73;
    toc[18] = 59;
    toc[19] = 74;
}

// Image sector `sector` into the sector buffer. Whatever could not be read
// (past the end of the image, a failed seek) reads as zeros.
void CdUnit::readImageSector(uint32_t sector) {
    uint8_t* data = sectorBuffer.get();
    const bool raw = isRawImagePath(imagePath);
    const int64_t offset = raw ? int64_t{sector} * kRawSectorSize + kRawSectorDataOffset
                               : int64_t{sector} * kSectorDataSize;
    size_t got = 0;
    if (imageFile && seekImage(imageFile, offset, SEEK_SET) == 0)
        got = std::fread(data, 1, kSectorDataSize, imageFile);
    std::memset(data + got, 0, kSectorDataSize - got);
}

// The sector of block `lba` into the sector buffer, from the image or the drive.
void CdUnit::readBlock() {
    if (!sectorBuffer) return;
    if (imageMode) readImageSector(lba >= kFirstDataBlock ? lba - kFirstDataBlock : 0);
    else readDriveSector();
}

void CdUnit::updateHeaderMsf() {
    head[0] = toBcd(lba / (60 * kFramesPerSecond));
    head[1] = toBcd((lba % (60 * kFramesPerSecond)) / kFramesPerSecond);
    head[2] = toBcd(lba % kFramesPerSecond);
}

void CdUnit::readSectorAt(uint32_t minute, uint32_t second, uint32_t frame) {
    head[0] = toBcd(minute);
    head[1] = toBcd(second);
    head[2] = toBcd(frame);
    lba = msfToBlock(minute, second, frame);
    if (cdcWrite[kCdcCtrl0] & kCtrl0Decen) {
        readBlock();
        decodeSector();
    }
    tickPending = 1;
}

void CdUnit::readNextSector() {
    if (cdcWrite[kCdcCtrl0] & kCtrl0Decen) {
        readBlock();
        if (cdcWrite[kCdcCtrl0] & kCtrl0Wrrq) {
            updateHeaderMsf();
            decodeSector();
        }
    }
    if (playing) tickPending = 1;
}

uint32_t CdUnit::detectRegion() {
    if (!sectorBuffer) return kCdRegionUsa;
    // A sector that cannot be read leaves zeros here, which count as USA.
    std::memset(sectorBuffer.get(), 0, kSectorBufferSize);
    if (imageMode) {
        readImageSector(0);
    } else {
        readDriveToc();
        if (tocEntry(1)[1] & kTocDataTrack) {
            if (!drive->readSector(0, sectorBuffer.get()))
                std::memset(sectorBuffer.get(), 0, kSectorDataSize);
        }
    }
    switch (sectorBuffer[kRegionByteOffset]) {
    case 0x64: return kCdRegionEurope;
    case 0xA1: return kCdRegionJapan;
    default: return kCdRegionUsa;
    }
}

}  // namespace vimo
