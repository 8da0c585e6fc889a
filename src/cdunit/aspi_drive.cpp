// Opening the ASPI library, choosing the CD-ROM device, and sending it one
// request at a time.
#include "cdunit/aspi_drive.h"

#include <utility>

#include "machine/report.h"

namespace vimo {

namespace {

constexpr uint32_t kDefaultTargetCount = 8;

uint8_t supportStatus(uint32_t supportInfo) {
    return static_cast<uint8_t>(supportInfo >> 8);
}

}  // namespace

uint8_t ScsiCdb::length() const {
    // The group code (the top three bits of the operation code) fixes the
    // length, so a 12-byte command is never cut to 10.
    switch (bytes[0] >> 5) {
    case 0: return 6;
    case 1:
    case 2: return 10;
    default: return 12;
    }
}

AspiDrive::AspiDrive(AspiLibrary aspiLibrary) : library(std::move(aspiLibrary)) {}

AspiDrive::~AspiDrive() {
    closeAspi();
}

uint32_t AspiDrive::openAspi() {
    if (!library.load()) {
        showErrorBox("ASPI: Error loading 'WNASPI32.DLL'");
        return 0;
    }
    loaded = true;
    const uint32_t supportInfo = library.getSupportInfo();
    const uint8_t status = supportStatus(supportInfo);
    if (status != kAspiCompleted && status != kAspiNoAdapters) {
        showErrorBox("ASPI: Error getting SupportInfo");
        closeAspi();
        return 0;
    }
    adapterCount = static_cast<uint8_t>(supportInfo);
    // Without an adapter there is nothing to inquire of nor to search: drive
    // mode simply has no device.
    if (adapterCount == 0) return 1;
    if (inquireHostAdapter()) findCdromDevice();
    if (deviceFound) testUnitReady();
    return 1;
}

void AspiDrive::closeAspi() {
    if (loaded) library.unload();
    loaded = false;
    deviceFound = false;
}

bool AspiDrive::inquireHostAdapter() {
    AspiAdapterInquiry inquiry{};
    inquiry.header.command = kAspiHostAdapterInquiry;
    library.sendCommand(&inquiry);
    if (inquiry.header.status != kAspiCompleted) {
        showErrorBox("ASPI: Host adapter inquiry error");
        return false;
    }
    // The adapter names how many target ids it serves; the count of adapters
    // beside it says nothing about that.
    const uint8_t maxTargets = inquiry.unique[kAspiMaxTargetsByte];
    targetCount = maxTargets != 0 ? maxTargets : kDefaultTargetCount;
    return true;
}

void AspiDrive::findCdromDevice() {
    for (uint8_t probeAdapter = 0; probeAdapter < adapterCount; ++probeAdapter) {
        for (uint8_t probeTarget = 0; probeTarget < targetCount; ++probeTarget) {
            AspiDeviceType probe{};
            probe.header.command = kAspiGetDeviceType;
            probe.header.adapter = probeAdapter;
            probe.target = probeTarget;
            library.sendCommand(&probe);
            if (probe.header.status == kAspiCompleted && probe.deviceType == kAspiCdromDevice) {
                adapter = probeAdapter;
                target = probeTarget;
                lun = 0;
                deviceFound = true;
                return;
            }
        }
    }
}

uint32_t AspiDrive::testUnitReady() {
    return execute(ScsiCdb{{kScsiTestUnitReady}}, nullptr, 0);
}

uint32_t AspiDrive::execute(const ScsiCdb& cdb, uint8_t* data, uint32_t length) {
    if (!deviceFound) return kAspiNotCompleted;
    // A request left pending without an event to wait for would complete into
    // a block that is gone: without one nothing is sent.
    void* event = library.createEvent();
    if (event == nullptr) return kAspiNotCompleted;
    AspiExecuteRequest request{};
    request.header.command = kAspiExecuteScsiCommand;
    request.header.adapter = adapter;
    request.header.flags = kAspiDirectionIn | kAspiEventNotify;
    request.target = target;
    request.lun = lun;
    request.dataLength = length;
    request.data = data;
    request.senseLength = kAspiSenseLength;
    request.cdbLength = cdb.length();
    request.event = event;
    for (uint32_t i = 0; i < sizeof cdb.bytes; ++i) request.cdb[i] = cdb.bytes[i];
    if (library.sendCommand(&request) == kAspiPending) library.waitForEvent(event);
    library.closeEvent(event);
    if (request.header.status == kAspiCompleted) return 0;
    return request.targetStatus != 0 ? request.targetStatus : kAspiNotCompleted | request.header.status;
}

}  // namespace vimo
