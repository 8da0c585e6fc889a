// The Mega-CD's CD unit, held by value in the Machine: the CD data controller
// (an LC8951 as the sub 68000 programs it through the gate array) with its
// 64 KB cache, the CD drive as the sub 68000 commands it, and the sources of
// sectors: an image file, or the host's own drive through HostCdDrive.
//
// This header is the map of the unit. Members are grouped by the file that
// defines them. The gate array forwards the CDC and CDD registers to the
// members below; the Mega-CD frame calls readNextSector on its CD tick. The
// unit reaches the rest of the Mega-CD through `machine`: the CDC mode byte
// (sub register 0xFF8004), the interrupt mask (0xFF8033), program RAM, word
// RAM and the mode that chooses its layout, and the CDC and CDD interrupt
// requests. Without a machine (null) transfers and requests go nowhere.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "cdunit/host_drive.h"

namespace vimo {

class Machine;

// Sizes.
constexpr uint32_t kCdcCacheSize = 0x10000;      // the controller's buffer
constexpr uint32_t kCdcRingMask = 0x3FFF;        // PT and WA move inside 16 KB of it
constexpr uint32_t kSectorBufferSize = 2052;
constexpr uint32_t kSectorDataSize = 2048;       // user data of a mode-1 sector
constexpr uint32_t kRawSectorSize = 2352;        // a whole sector in a raw image
constexpr uint32_t kRawSectorDataOffset = 16;    // sync (12) and header (4) come first
constexpr uint32_t kSectorHeaderSize = 4;        // HEAD0-HEAD3 in front of the data in the cache
constexpr uint32_t kCdPathSize = 2048;
constexpr uint32_t kTocSize = 804;
constexpr uint32_t kFirstDataBlock = 150;        // 00:02:00, image sector 0
constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kCddNibbles = 10;
constexpr uint8_t kTocDataTrack = 0x04;          // control nibble of a descriptor: data track

// IFSTAT bits; active low: a clear bit is a pending condition.
constexpr uint8_t kIfstatDtei = 0x40;   // data transfer ended
constexpr uint8_t kIfstatDeci = 0x20;   // a sector was decoded
constexpr uint8_t kIfstatDtbsy = 0x08;  // transfer busy
// IFCTRL (write register 1).
constexpr uint8_t kIfctrlDecien = 0x20;  // decoder interrupt enable
constexpr uint8_t kIfctrlDouten = 0x02;  // data output enable
// CTRL0 (write register 10).
constexpr uint8_t kCtrl0Decen = 0x80;        // decoder on
constexpr uint8_t kCtrl0WriteFirst = 0x40;   // store the sector at PT, then move PT on
constexpr uint8_t kCtrl0Wrrq = 0x04;         // store decoded sectors in the cache
constexpr uint8_t kCtrl0Stat3Flag = 0x02;    // STAT3 reads 0x20 while set
// Register indexes.
constexpr uint32_t kCdcIfctrl = 1;
constexpr uint32_t kCdcStat0 = 12;
constexpr uint32_t kCdcCtrl0 = 10;
constexpr uint32_t kCdcRegisterCount = 16;

// The CDC mode byte (sub 0xFF8004).
constexpr uint8_t kCdcModeDestination = 0x07;
constexpr uint8_t kCdcModeDsr = 0x40;  // data set ready
constexpr uint8_t kCdcModeEdt = 0x80;  // end of data transfer
constexpr uint8_t kCdcDestinationPcm = 4;
constexpr uint8_t kCdcDestinationPrgRam = 5;
constexpr uint8_t kCdcDestinationWordRam = 7;

// CDD status codes (status nibble 0).
constexpr uint8_t kCddStopped = 0;
constexpr uint8_t kCddPlaying = 1;
constexpr uint8_t kCddSeeking = 2;
constexpr uint8_t kCddScanning = 3;
constexpr uint8_t kCddPaused = 4;
constexpr uint8_t kCddTrayOpen = 5;
// CDD control word bits.
constexpr uint16_t kCddControlHostClock = 0x0004;
constexpr uint16_t kCddControlBit8 = 0x0100;  // set by the status-like commands and the hard reset

// detectRegion's answers.
constexpr uint32_t kCdRegionUsa = 0;
constexpr uint32_t kCdRegionJapan = 1;
constexpr uint32_t kCdRegionEurope = 2;

// Two decimal digits as BCD, the tens in the high nibble (the header bytes).
constexpr uint8_t toBcd(uint32_t value) {
    return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}
// The block of a disc time; 00:00:00 is block 0.
constexpr uint32_t msfToBlock(uint32_t minute, uint32_t second, uint32_t frame) {
    return (minute * 60 + second) * kFramesPerSecond + frame;
}

class CdUnit {
public:
    // ==== Fields ================================================================

    uint32_t tickPending = 0;          // a sector is due at the next CD tick
    uint32_t imageMode = 0;            // 1 while an image file is open, 0 = the host drive
    uint8_t cdcRead[kCdcRegisterCount] = {};   // read file: only COMIN (0) and STAT0 (12) live here
    uint8_t cdcWrite[kCdcRegisterCount] = {};  // the last byte written to each write register
    std::unique_ptr<uint8_t[]> cache;          // 64 KB, sectors in disc byte order
    std::unique_ptr<uint8_t[]> sectorBuffer;   // the 2048 user-data bytes of the last sector read
    uint32_t cdcRegisterIndex = 0;     // the register pointer, 0-15
    char imagePath[kCdPathSize] = {};
    Machine* machine = nullptr;        // owner, set by the Machine constructor
    uint32_t dmaAddress = 0;           // as written at 0xFF800A
    uint8_t cddCommand[kCddNibbles] = {};  // one nibble each; [0] command, [2]-[7] data
    uint8_t cddStatus[kCddNibbles] = {};   // [0] state, [1] report, [2]-[7] digits, [8] extra, [9] checksum
    uint16_t cddControl = 0;           // bit 2 host clock; bit 8 see kCddControlBit8
    HostCdDrive* drive = &NoHostCdDrive::instance;  // never null; not owned
    uint8_t toc[kTocSize] = {};        // READ TOC format 0 (MSF) layout
    uint32_t paused = 0;
    uint32_t playing = 0;
    uint32_t trayOpen = 0;
    uint32_t track = 1;
    uint32_t dataMode = 0;             // 1 when track 1 is known to be data
    CdMsf drivePosition;
    // LC8951 counters.
    uint16_t dbc = 0;                  // byte count minus one (words on the host path)
    uint16_t dac = 0;                  // cache address of the next host read or DMA
    uint16_t pt = 0;                   // where the last sector was stored
    uint16_t wa = 0;                   // write address
    uint8_t ifstat = 0xFF;
    uint8_t head[4] = {0, 0, 0, 1};    // HEAD0-HEAD3: minute, second, frame (BCD), mode
    uint32_t lba = 0;                  // block of the next sector; 00:00:00 is 0
    std::FILE* imageFile = nullptr;    // the open image, read only

    // ==== Member functions ======================================================

    // ---- cdunit.cpp: construction, reset ---------------------------------
    CdUnit();
    ~CdUnit();
    CdUnit(const CdUnit&) = delete;
    CdUnit& operator=(const CdUnit&) = delete;

    // Hard reset; the tray-open flag and the open image survive it, and the
    // table of contents is rebuilt from the image or the drive.
    void reset();
    // Plugs in the host's drive (not owned); null puts back "no drive".
    void setHostDrive(HostCdDrive* hostDrive);

    // ---- cdc.cpp: the data controller --------------------------------------
    void setCdcRegisterAddress(uint32_t value);  // 0xFF8005 write
    uint32_t cdcRegisterAddress() const;         // 0xFF8005 read, 0xFF8004 word's low byte
    void writeCdcRegister(uint32_t value);       // 0xFF8007 write
    uint32_t readCdcRegister();                  // 0xFF8007 read, 0xFF8006 word's low byte
    void setDmaAddress(uint32_t value);          // 0xFF800A word write
    uint32_t readHostData();                     // 0xFF8008 word read
    void startTransfer();                        // DTTRG
    // The decoder's step for the sector in sectorBuffer (its time in
    // HEAD0-HEAD2): into the ring, with the decoder interrupt. The sector
    // readers run it only while DECEN is set.
    void decodeSector();

    // ---- cdd.cpp: the drive as the sub 68000 commands it -------------------
    void writeCddCommand(uint32_t index, uint32_t word);   // 0xFF8042 + index, word
    uint32_t readCddStatus(uint32_t index);                // 0xFF8038 + index, word
    // which: 0 high byte (0xFF8036), 1 low byte (0xFF8037), 2 word. Returns
    // true when the write raises sub 68000 interrupt level 4 at once (the
    // host-clock bit rose while the mask enables level 4); the caller raises it.
    bool writeCddControl(uint32_t value, uint32_t which);
    uint32_t readCddControl(uint32_t which) const;
    void setCddStatusDigits(uint8_t d2, uint8_t d3, uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7);
    void cddGetStatus();
    void cddStop();
    void cddReport();
    void cddPlay();
    void cddSeek();
    void cddPause();
    void cddResume();
    void cddFastForward();
    void cddRewind();
    void cddCommandA();
    void cddCloseTray();
    void cddOpenTray();

    // ---- image.cpp: image files, table of contents, sector reading --------
    // Returns 0, or 1 after "Error opening %s" (the unit is then in drive mode).
    int32_t openImage(const char* path);
    void closeImage();
    void closeImageIfOpen();
    int64_t imageSize() const;          // bytes; -1 without an image
    void buildToc();
    uint32_t detectRegion();            // kCdRegionUsa, kCdRegionJapan or kCdRegionEurope
    void updateHeaderMsf();
    void readSectorAt(uint32_t minute, uint32_t second, uint32_t frame);
    void readNextSector();              // the CD tick; the caller clears tickPending first

    // ---- drive.cpp: requests to the host's drive ----------------------------
    uint32_t readDriveToc();
    void readDriveSector();
    uint32_t playDriveAudio(uint32_t minute, uint32_t second, uint32_t frame);
    void stopDriveAudio();
    void pauseDriveAudio(uint32_t resume);
    void readDrivePosition();

private:
    // cdc.cpp
    uint8_t* cdcModeByte();  // the machine's 0xFF8004; null without a machine
    void requestCdcInterrupt(uint32_t value);
    void setTransferEndFlags();
    // cdd.cpp
    void requestCddInterrupt();
    CdMsf commandTime() const;
    const uint8_t* tocEntry(uint32_t entry) const;
    // image.cpp
    void readImageSector(uint32_t sector);
    void readBlock();
};

}  // namespace vimo
