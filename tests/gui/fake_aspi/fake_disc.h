// The disc that the fake ASPI library serves, known to the checks that read
// it: a data track 1 at 00:02:00, audio tracks 2 at 00:10:00 and 3 at
// 00:20:00, the lead-out at 00:30:00. Its drive is the only CD-ROM device,
// at adapter 1, target 3 (a disk sits at 0:0), so only a search through the
// adapter's own targets finds it.
#pragma once

#include <cstdint>

namespace vimo::fakedisc {

constexpr uint8_t kAdapters = 2;
constexpr uint8_t kDriveAdapter = 1;
constexpr uint8_t kDriveTarget = 3;
constexpr uint8_t kRegionByte = 0xA1;   // at 0x20B of block 0: a Japanese disc
constexpr uint32_t kRegionOffset = 0x20B;
constexpr uint8_t kLastTrack = 3;
// Start minute, second, frame of tracks 1-3 and the lead-out.
constexpr uint8_t kTrackTimes[4][3] = {{0, 2, 0}, {0, 10, 0}, {0, 20, 0}, {0, 30, 0}};
constexpr uint8_t kTrackControl[4] = {0x14, 0x10, 0x10, 0x10};  // ADR 1; track 1 data
// READ SUB-CHANNEL's answer: track 2, 00:01:23 into it.
constexpr uint8_t kPositionTrack = 2;
constexpr uint8_t kPositionTime[3] = {0, 1, 23};

// User-data byte i of drive block `block`.
inline uint8_t sectorByte(uint32_t block, uint32_t i) {
    if (block == 0 && i == kRegionOffset) return kRegionByte;
    return static_cast<uint8_t>(block * 7 + i + (i >> 8));
}

}  // namespace vimo::fakedisc
