// The drive's operations: each one SCSI command, its answer read into the
// table of contents, a sector or the current position. Every multi-byte
// number of a command is big-endian.
#include <algorithm>
#include <cstring>

#include "cdunit/aspi_drive.h"

namespace vimo {

namespace {

constexpr uint8_t kMsfAddresses = 0x02;       // byte 1 of READ TOC and READ SUB-CHANNEL
constexpr uint8_t kSubChannelQ = 0x40;
constexpr uint8_t kCurrentPosition = 1;
constexpr uint8_t kUserDataOnly = 0x10;       // READ CD: the 2048 user bytes of each block
constexpr uint8_t kLoadEject = 0x02;
constexpr uint32_t kLastTocTrack = 99;        // its lead-out is the table's last descriptor
constexpr uint32_t kScanLead = 2;             // a scan starts two seconds back

void putBlock(ScsiCdb& cdb, uint32_t at, uint32_t block) {
    cdb.bytes[at] = static_cast<uint8_t>(block >> 24);
    cdb.bytes[at + 1] = static_cast<uint8_t>(block >> 16);
    cdb.bytes[at + 2] = static_cast<uint8_t>(block >> 8);
    cdb.bytes[at + 3] = static_cast<uint8_t>(block);
}

// The drive's block of a disc time: 00:02:00 is block 0; earlier times read 0.
uint32_t driveBlock(uint32_t discBlock) {
    return discBlock >= kFirstDataBlock ? discBlock - kFirstDataBlock : 0;
}

uint32_t lastTrack(const uint8_t* tocData) {
    return std::min<uint32_t>(tocData[3], kLastTocTrack);
}

// The address of descriptor `entry` (1-based) of the table.
const uint8_t* descriptorTime(const uint8_t* tocData, uint32_t entry) {
    return &tocData[4 + 8 * (entry - 1) + 5];
}

}  // namespace

uint32_t AspiDrive::readToc(uint8_t* tocOut) {
    std::memset(toc, 0, sizeof toc);
    ScsiCdb cdb{{kScsiReadToc, kMsfAddresses}};
    cdb.bytes[7] = static_cast<uint8_t>(kTocSize >> 8);
    cdb.bytes[8] = static_cast<uint8_t>(kTocSize);
    const uint32_t result = execute(cdb, toc, kTocSize);
    std::memcpy(tocOut, toc, kTocSize);
    return result;
}

bool AspiDrive::readSector(uint32_t block, uint8_t* data) {
    ScsiCdb cdb{{kScsiReadCd}};
    putBlock(cdb, 2, block);
    cdb.bytes[8] = 1;
    cdb.bytes[9] = kUserDataOnly;
    // A failed read delivers nothing, so the unit does not take the buffer
    // for the sector.
    return execute(cdb, data, kSectorDataSize) == 0;
}

uint32_t AspiDrive::findPlayTrack(const uint8_t* tocData, CdMsf from) {
    // Whole times are compared: minute and second apart would pass over a
    // track whose second is below the play's.
    const uint32_t last = lastTrack(tocData);
    const uint32_t wanted = msfToBlock(from.minute, from.second, from.frame);
    for (uint32_t entry = 1; entry <= last; ++entry) {
        const uint8_t* time = descriptorTime(tocData, entry);
        if (msfToBlock(time[0], time[1], time[2]) >= wanted) return entry;
    }
    // No track starts at or after the play, so it lies in the last one.
    return std::max<uint32_t>(last, 1);
}

bool AspiDrive::playAudio(CdMsf from, uint32_t& track) {
    if (!deviceFound) return false;
    track = findPlayTrack(toc, from);
    const uint8_t* leadOut = descriptorTime(toc, lastTrack(toc) + 1);
    ScsiCdb cdb{{kScsiPlayAudioMsf, 0, 0, from.minute, from.second, from.frame, leadOut[0], leadOut[1], leadOut[2]}};
    execute(cdb, nullptr, 0);
    return true;
}

void AspiDrive::stopAudio() {
    execute(ScsiCdb{{kScsiStopPlayScan}}, nullptr, 0);
}

void AspiDrive::pauseAudio(bool resume) {
    ScsiCdb cdb{{kScsiPauseResume}};
    cdb.bytes[8] = resume ? 1 : 0;
    execute(cdb, nullptr, 0);
}

bool AspiDrive::readPosition(uint32_t& track, CdMsf& position) {
    uint8_t answer[kSubChannelAnswerSize] = {};
    ScsiCdb cdb{{kScsiReadSubChannel, kMsfAddresses, kSubChannelQ, kCurrentPosition}};
    cdb.bytes[8] = kSubChannelAnswerSize;
    if (execute(cdb, answer, kSubChannelAnswerSize) != 0) return false;
    track = answer[6];
    position = {answer[13], answer[14], answer[15]};
    return true;
}

void AspiDrive::loadEjectDrive(uint8_t start) {
    ScsiCdb cdb{{kScsiStartStopUnit}};
    cdb.bytes[4] = static_cast<uint8_t>(start | kLoadEject);
    execute(cdb, nullptr, 0);
}

void AspiDrive::seekDrive(CdMsf to) {
    ScsiCdb cdb{{kScsiSeek}};
    putBlock(cdb, 2, driveBlock(msfToBlock(to.minute, to.second, to.frame)));
    execute(cdb, nullptr, 0);
}

void AspiDrive::scanDriveAudio(uint8_t direction, CdMsf position) {
    const uint32_t seconds = position.minute * 60u + position.second;
    const uint32_t block = seconds >= kScanLead ? (seconds - kScanLead) * kFramesPerSecond + position.frame : 0;
    ScsiCdb cdb{{kScsiScan, static_cast<uint8_t>(direction * 16)}};
    // Three bytes of block from byte 3 on.
    cdb.bytes[3] = static_cast<uint8_t>(block >> 16);
    cdb.bytes[4] = static_cast<uint8_t>(block >> 8);
    cdb.bytes[5] = static_cast<uint8_t>(block);
    execute(cdb, nullptr, 0);
}

}  // namespace vimo
