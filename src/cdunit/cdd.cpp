// The CD drive as the sub 68000 talks to it: ten command nibbles, ten status
// nibbles, the control word with its host-clock interrupt, and the command
// handlers that move the drive between stopped, playing, paused and tray open.
#include <cstring>

#include "cdunit/cdunit.h"
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kExecuteIndex = 8;     // the word at 0xFF804A runs the command
constexpr uint8_t kSubMaskLevel4 = 0x10;  // bit 4 of 0xFF8033

// The six decimal digits of a binary time.
void setMsfDigits(CdUnit& unit, uint32_t minute, uint32_t second, uint32_t frame) {
    unit.setCddStatusDigits(static_cast<uint8_t>(minute / 10), static_cast<uint8_t>(minute % 10),
                            static_cast<uint8_t>(second / 10), static_cast<uint8_t>(second % 10),
                            static_cast<uint8_t>(frame / 10), static_cast<uint8_t>(frame % 10));
}

void setTrackDigits(CdUnit& unit, uint32_t track) {
    unit.setCddStatusDigits(static_cast<uint8_t>(track / 10), static_cast<uint8_t>(track % 10), 0, 0, 0, 0);
}

void clearDigits(CdUnit& unit) {
    unit.setCddStatusDigits(0, 0, 0, 0, 0, 0);
}

}  // namespace

void CdUnit::requestCddInterrupt() {
    if (machine) machine->cddIrqRequest = 1;
}

// Descriptor `entry` (1-based) of the table of contents, or null when there is
// no such descriptor: entry numbers come from the sub CPU and from the disc.
const uint8_t* CdUnit::tocEntry(uint32_t entry) const {
    if (entry < 1) return nullptr;
    const size_t start = 4 + size_t{8} * (entry - 1);
    if (start + 8 > kTocSize) return nullptr;
    return &toc[start];
}

// The time in command nibbles 2-7, two decimal digits each (up to 165 each,
// since a nibble reaches 15).
CdMsf CdUnit::commandTime() const {
    return {static_cast<uint8_t>(cddCommand[2] * 10 + cddCommand[3]),
            static_cast<uint8_t>(cddCommand[4] * 10 + cddCommand[5]),
            static_cast<uint8_t>(cddCommand[6] * 10 + cddCommand[7])};
}

void CdUnit::writeCddCommand(uint32_t index, uint32_t word) {
    if (index > kExecuteIndex) return;
    // The drive's registers are 4 bits wide.
    cddCommand[index] = static_cast<uint8_t>((word >> 8) & 0x0F);
    cddCommand[index + 1] = static_cast<uint8_t>(word & 0x0F);
    if (index != kExecuteIndex) return;

    if (cddCommand[1] == 0) {
        switch (cddCommand[0]) {
        case 0x0: cddGetStatus(); break;
        case 0x1: cddStop(); break;
        case 0x2: cddReport(); break;
        case 0x3: cddPlay(); break;
        case 0x4: cddSeek(); break;
        case 0x6: cddPause(); break;
        case 0x7: cddResume(); break;
        case 0x8: cddFastForward(); break;
        case 0x9: cddRewind(); break;
        case 0xA: cddCommandA(); break;
        case 0xC: cddCloseTray(); break;
        case 0xD: cddOpenTray(); break;
        default: break;
        }
    }
    requestCddInterrupt();
}

uint32_t CdUnit::readCddStatus(uint32_t index) {
    if (index > kExecuteIndex) return 0;
    if (index == kExecuteIndex) {
        uint32_t sum = 0;
        for (uint32_t i = 0; i < 9; ++i) sum += cddStatus[i];
        cddStatus[9] = static_cast<uint8_t>(~sum & 0x0F);
    }
    return cddStatus[index] * 256u + cddStatus[index + 1];
}

bool CdUnit::writeCddControl(uint32_t value, uint32_t which) {
    bool raise = false;
    if (which == 1 || which == 2) {
        raise = (value & kCddControlHostClock) && !(cddControl & kCddControlHostClock) && machine &&
                (machine->subGateArray[0x33] & kSubMaskLevel4);
    }
    switch (which) {
    case 0: cddControl = static_cast<uint16_t>((cddControl & 0x00FF) | ((value & 0xFF) << 8)); break;
    case 1: cddControl = static_cast<uint16_t>((cddControl & 0xFF00) | (value & 0xFF)); break;
    case 2: cddControl = static_cast<uint16_t>(value); break;
    default: break;
    }
    return raise;
}

uint32_t CdUnit::readCddControl(uint32_t which) const {
    switch (which) {
    case 0: return cddControl >> 8;
    case 1: return cddControl & 0xFF;
    default: return cddControl;
    }
}

void CdUnit::setCddStatusDigits(uint8_t d2, uint8_t d3, uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7) {
    cddStatus[2] = d2;
    cddStatus[3] = d3;
    cddStatus[4] = d4;
    cddStatus[5] = d5;
    cddStatus[6] = d6;
    cddStatus[7] = d7;
}

void CdUnit::cddGetStatus() {
    cddStatus[0] = cddStatus[1] = cddStatus[8] = 0;
    clearDigits(*this);
    cddControl |= kCddControlBit8;
    if (paused) cddStatus[0] = kCddPaused;
    if (trayOpen) {
        cddControl &= static_cast<uint16_t>(~kCddControlBit8);
        cddStatus[1] = 0;
        paused = playing = 0;
        cddStatus[0] = kCddTrayOpen;
        return;
    }
    if (playing) {
        cddStatus[0] = kCddPlaying;
        std::memset(&cddStatus[1], 0, 8);
    }
}

void CdUnit::cddStop() {
    cddStatus[0] = cddStatus[1] = 0;
    clearDigits(*this);
    if (playing && !imageMode) stopDriveAudio();
    cddControl |= kCddControlBit8;
    paused = playing = 0;
}

void CdUnit::cddReport() {
    const uint8_t code = cddCommand[3];
    if (trayOpen) {
        cddStatus[0] = kCddTrayOpen;
        cddStatus[1] = code;
        cddControl &= static_cast<uint16_t>(~kCddControlBit8);
        paused = playing = 0;
        clearDigits(*this);
        return;
    }
    if (playing) {
        cddStatus[1] = code;
        cddStatus[0] = kCddPlaying;
        clearDigits(*this);
    } else {
        paused = 1;
        cddStatus[0] = kCddPaused;
        cddStatus[1] = code;
    }

    switch (code) {
    case 0:
    case 1:  // position
        if (!imageMode) {
            if (code == 0 && playing) readDrivePosition();
            setMsfDigits(*this, drivePosition.minute, drivePosition.second, drivePosition.frame);
        } else {
            setCddStatusDigits(head[0] >> 4, head[0] & 0x0F, head[1] >> 4, head[1] & 0x0F, head[2] >> 4,
                               head[2] & 0x0F);
        }
        break;
    case 2:  // track
        setTrackDigits(*this, track);
        break;
    case 3: {  // lead-out: the descriptor after the last track
        const uint8_t* entry = tocEntry(toc[3] + 1u);
        if (entry) setMsfDigits(*this, entry[5], entry[6], entry[7]);
        else clearDigits(*this);
        break;
    }
    case 4: {  // first and last track
        cddControl &= static_cast<uint16_t>(~kCddControlBit8);
        const uint8_t first = toc[2];
        const uint8_t last = toc[3];
        setCddStatusDigits(first / 10, first % 10, last / 10, last % 10, 0, 0);
        break;
    }
    case 5: {  // track start
        const uint32_t number = cddCommand[4] * 10u + cddCommand[5];
        const uint8_t* entry = tocEntry(number);
        if (entry) setMsfDigits(*this, entry[5], entry[6], entry[7]);
        else clearDigits(*this);
        cddStatus[8] = static_cast<uint8_t>(number % 10);
        if (number == 1) {
            if (entry && (entry[1] & kTocDataTrack)) {
                cddStatus[6] = 8;
                dataMode = 1;
            } else {
                dataMode = 0;
            }
        }
        if (imageMode) {
            setCddStatusDigits(0, 0, 0, 0, 8, 0);
            dataMode = 1;
        }
        cddControl |= kCddControlBit8;
        break;
    }
    default: break;
    }
}

void CdUnit::cddPlay() {
    playing = 1;
    cddStatus[0] = kCddPlaying;
    cddStatus[1] = 2;
    const CdMsf from = commandTime();
    if (dataMode == 1) {
        const uint8_t* entry2 = tocEntry(2);
        const uint32_t secondStart = msfToBlock(entry2[5], entry2[6], entry2[7]);
        track = msfToBlock(from.minute, from.second, from.frame) >= secondStart ? 2 : 1;
    }
    if (dataMode == 1 && track == 1) {
        cddControl |= kCddControlBit8;
        readSectorAt(from.minute, from.second, from.frame);
    } else {
        cddControl &= static_cast<uint16_t>(~kCddControlBit8);
        tickPending = 0;
        requestCdcInterrupt(0);
        if (!imageMode) track = playDriveAudio(from.minute, from.second, from.frame);
    }
    setTrackDigits(*this, track);
}

void CdUnit::cddSeek() {
    cddControl |= kCddControlBit8;
    paused = 0;
    if (playing) {
        cddStatus[0] = kCddPlaying;
        cddStatus[1] = 0;
        clearDigits(*this);
    } else {
        cddStatus[0] = kCddSeeking;
    }
    drivePosition = commandTime();
    std::memset(&cddStatus[1], 0, 8);
    head[0] = toBcd(drivePosition.minute);
    head[1] = toBcd(drivePosition.second);
    head[2] = toBcd(drivePosition.frame);
}

void CdUnit::cddPause() {
    if (!imageMode) pauseDriveAudio(0);
    cddControl |= kCddControlBit8;
    playing = 0;
    clearDigits(*this);
    cddStatus[0] = kCddPaused;
    cddStatus[1] = cddStatus[8] = 0;
}

void CdUnit::cddResume() {
    if (!imageMode) pauseDriveAudio(1);
    cddControl &= static_cast<uint16_t>(~kCddControlBit8);
    playing = 1;
    clearDigits(*this);
    cddStatus[0] = kCddPlaying;
    cddStatus[1] = cddStatus[8] = 0;
}

void CdUnit::cddFastForward() {
    clearDigits(*this);
    cddStatus[0] = kCddScanning;
    cddStatus[1] = cddStatus[8] = 0;
}

void CdUnit::cddRewind() {
    cddFastForward();
}

void CdUnit::cddCommandA() {
    cddStatus[0] = kCddPaused;
    cddStatus[1] = 0;
    clearDigits(*this);
}

void CdUnit::cddCloseTray() {
    clearDigits(*this);
    cddStatus[0] = cddStatus[1] = cddStatus[8] = 0;
    paused = playing = trayOpen = 0;
}

void CdUnit::cddOpenTray() {
    cddStatus[0] = kCddTrayOpen;
    cddStatus[1] = 0;
    clearDigits(*this);
    trayOpen = 1;
    playing = paused = 0;
}

}  // namespace vimo
