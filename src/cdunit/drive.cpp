// The unit's requests to the host's own drive, and the drive of a host
// without one.
#include <cstring>

#include "cdunit/cdunit.h"

namespace vimo {

NoHostCdDrive NoHostCdDrive::instance;

uint32_t NoHostCdDrive::readToc(uint8_t*) {
    return 1;
}

bool NoHostCdDrive::readSector(uint32_t, uint8_t*) {
    return false;
}

bool NoHostCdDrive::playAudio(CdMsf, uint32_t&) {
    return false;
}

void NoHostCdDrive::stopAudio() {}

void NoHostCdDrive::pauseAudio(bool) {}

bool NoHostCdDrive::readPosition(uint32_t&, CdMsf&) {
    return false;
}

uint32_t CdUnit::readDriveToc() {
    std::memset(toc, 0, sizeof toc);
    return drive->readToc(toc);
}

void CdUnit::readDriveSector() {
    // A sector the drive did not deliver reads as zeros, not as the last one.
    const uint32_t block = lba >= kFirstDataBlock ? lba - kFirstDataBlock : 0;
    if (!drive->readSector(block, sectorBuffer.get())) std::memset(sectorBuffer.get(), 0, kSectorDataSize);
}

uint32_t CdUnit::playDriveAudio(uint32_t minute, uint32_t second, uint32_t frame) {
    uint32_t played = track;
    const CdMsf from{static_cast<uint8_t>(minute), static_cast<uint8_t>(second), static_cast<uint8_t>(frame)};
    return drive->playAudio(from, played) ? played : track;
}

void CdUnit::stopDriveAudio() {
    drive->stopAudio();
}

void CdUnit::pauseDriveAudio(uint32_t resume) {
    drive->pauseAudio(resume != 0);
}

void CdUnit::readDrivePosition() {
    uint32_t where = 0;
    CdMsf position;
    if (drive->readPosition(where, position)) {
        track = where;
        drivePosition = position;
    }
}

}  // namespace vimo
