// The host's own CD-ROM drive reached through an ASPI for Win32 library
// ("WNASPI32.DLL"): it finds the first CD-ROM device and sends it SCSI
// commands for the table of contents, data sectors, audio play, stop, pause
// and the current position. Played audio comes out of the drive itself.
//
// The drive speaks to the library only through AspiLibrary, a table of
// functions: the Windows program fills it with the real library and its
// events, the tests with a fake. Every request is synchronous for the caller:
// one that the library leaves pending is waited for, without a time limit.
//
// This header is the drive's map; members are grouped by the file that
// defines them.
#pragma once

#include <cstdint>
#include <functional>

#include "cdunit/aspi_requests.h"
#include "cdunit/cdunit.h"
#include "cdunit/host_drive.h"

namespace vimo {

struct AspiLibrary {
    // Loads the library and finds "GetASPI32SupportInfo" and
    // "SendASPI32Command"; false when the library or either is missing.
    std::function<bool()> load;
    std::function<void()> unload;
    std::function<uint32_t()> getSupportInfo;
    std::function<uint32_t(void* request)> sendCommand;
    // A manual-reset event, not signalled; null when none could be made.
    std::function<void*()> createEvent;
    std::function<void(void* event)> waitForEvent;
    std::function<void(void* event)> closeEvent;
};

// SCSI operation codes.
constexpr uint8_t kScsiTestUnitReady = 0x00;
constexpr uint8_t kScsiStartStopUnit = 0x1B;
constexpr uint8_t kScsiSeek = 0x2B;
constexpr uint8_t kScsiReadSubChannel = 0x42;
constexpr uint8_t kScsiReadToc = 0x43;
constexpr uint8_t kScsiPlayAudioMsf = 0x47;
constexpr uint8_t kScsiPauseResume = 0x4B;
constexpr uint8_t kScsiStopPlayScan = 0x4E;
constexpr uint8_t kScsiScan = 0xBA;
constexpr uint8_t kScsiReadCd = 0xBE;

constexpr uint32_t kSubChannelAnswerSize = 16;
// What an execute returns when it was not sent, or failed before reaching the
// target (then the request status is in the low byte).
constexpr uint32_t kAspiNotCompleted = 0x100;

// A SCSI command block: the bytes, and the length its group code gives.
struct ScsiCdb {
    uint8_t bytes[12] = {};
    uint8_t length() const;
};

class AspiDrive final : public HostCdDrive {
public:
    // ==== Fields ================================================================
    uint8_t adapterCount = 0;     // from the support information
    uint8_t targetCount = 0;      // target ids probed on each adapter
    uint8_t adapter = 0;          // the chosen device
    uint8_t target = 0;
    uint8_t lun = 0;
    bool loaded = false;          // the library is loaded
    bool deviceFound = false;     // a CD-ROM device was chosen; without one nothing is sent
    uint8_t toc[kTocSize] = {};   // the table of contents last read, for the track search

    // ==== Member functions ======================================================

    // ---- aspi_drive.cpp: opening, the device search, requests ---------------
    explicit AspiDrive(AspiLibrary library);
    ~AspiDrive() override;
    AspiDrive(const AspiDrive&) = delete;
    AspiDrive& operator=(const AspiDrive&) = delete;

    // 1 when the library answers (with or without a device), 0 after its box.
    uint32_t openAspi();
    void closeAspi();
    // Adapter 0's inquiry: sets the target count; false after its box.
    bool inquireHostAdapter();
    // The first CD-ROM device, adapter by adapter, target by target, LUN 0.
    void findCdromDevice();
    // 0, or the target status.
    uint32_t testUnitReady();
    // Sends `cdb` to the chosen device with `length` bytes of answer into
    // `data`; 0 when it completed, else the target status, or
    // kAspiNotCompleted | the request status when the target gave none.
    uint32_t execute(const ScsiCdb& cdb, uint8_t* data, uint32_t length);

    // ---- aspi_commands.cpp: the drive's operations ---------------------------
    uint32_t readToc(uint8_t* tocOut) override;
    bool readSector(uint32_t block, uint8_t* data) override;
    bool playAudio(CdMsf from, uint32_t& track) override;
    void stopAudio() override;
    void pauseAudio(bool resume) override;
    bool readPosition(uint32_t& track, CdMsf& position) override;
    // Not used by the CD unit: the tray, a seek, and a scan from two seconds
    // before `position` (direction 0 forward, 1 back).
    void loadEjectDrive(uint8_t start);
    void seekDrive(CdMsf to);
    void scanDriveAudio(uint8_t direction, CdMsf position);

    // The track a play from `from` reports: the first track of `tocData`
    // starting at or after it, or the last track when the play lies inside it.
    static uint32_t findPlayTrack(const uint8_t* tocData, CdMsf from);

private:
    AspiLibrary library;
};

}  // namespace vimo
