// Construction, destruction and the hard reset of the CD unit.
#include "cdunit/cdunit.h"

#include <cstring>
#include <new>

#include "machine/report.h"

namespace vimo {

CdUnit::CdUnit() {
    cache.reset(new (std::nothrow) uint8_t[kCdcCacheSize]());
    if (!cache) {
        showErrorBox("Couldn't allocate 64KB of CD-ROM cache");
        return;
    }
    sectorBuffer.reset(new (std::nothrow) uint8_t[kSectorBufferSize]());
    if (!sectorBuffer) {
        showErrorBox("Couldn't allocate 16KB of CD-ROM cache");
        return;
    }
    // The nibbles, the register files and the drive flags start cleared (see
    // the fields); the unit starts without an image and without a host drive.
}

CdUnit::~CdUnit() {
    closeImage();
}

void CdUnit::setHostDrive(HostCdDrive* hostDrive) {
    drive = hostDrive ? hostDrive : &NoHostCdDrive::instance;
}

void CdUnit::reset() {
    cdcRegisterIndex = 0;
    cddControl = 0;
    paused = 0;
    track = 1;
    playing = 0;
    if (cache) std::memset(cache.get(), 0, kCdcCacheSize);
    std::memset(cddCommand, 0, sizeof cddCommand);
    std::memset(cddStatus, 0, sizeof cddStatus);
    std::memset(cdcRead, 0, sizeof cdcRead);
    std::memset(cdcWrite, 0, sizeof cdcWrite);
    dbc = dac = pt = wa = 0;
    dataMode = 0;
    lba = 0;
    head[0] = head[1] = head[2] = 0;
    head[3] = 1;
    ifstat = 0xFF;
    buildToc();
}

}  // namespace vimo
