// The Mega-CD as the machine wires it: the sub 68000's address space, the
// gate-array register block both 68000s share, word RAM in its 2M and 1M
// modes, the main 68000's Mega-CD map with its window onto program RAM, and
// the backup RAM and PCM chip on the sub bus.
//
// Everything here acts on the one Machine: the operations are Machine
// members (grouped in machine.h by the file of this folder that defines
// them), and the bus callbacks (bus_callbacks.h) reach the machine through
// the global machine pointer, as the main 68000's callbacks do.
//
// This header is the map of the Mega-CD: addresses, the slots of the list
// entries that change at run time, register offsets and timing.
#pragma once

#include <cstdint>

namespace vimo {

// ---- Sub 68000 address space ------------------------------------------------------

constexpr uint32_t kSubPrgRamLow = 0x000000;
constexpr uint32_t kSubPrgRamHigh = 0x07FFFF;
constexpr uint32_t kSubWordRamLow = 0x080000;
constexpr uint32_t kSubWordRam2MHigh = 0x0BFFFF;   // 2M: the whole block, direct
constexpr uint32_t kSubWordRam1MHigh = 0x0DFFFF;   // 1M: dot image and bank, through callbacks
constexpr uint32_t kSubDotImageHigh = 0x0BFFFF;    // 1M: 4-bit dots into the sub bank
constexpr uint32_t kSubBankLow = 0x0C0000;         // 1M: the sub CPU's bank, linear
constexpr uint32_t kSubBankHigh = 0x0DFFFF;
constexpr uint32_t kSubPeripheralLow = 0xFE0000;
constexpr uint32_t kSubPeripheralHigh = 0xFF7FFF;
constexpr uint32_t kSubGateArrayLow = 0xFF8000;
constexpr uint32_t kSubGateArrayHigh = 0xFF81FF;

// Sub peripheral bus.
constexpr uint32_t kBackupRamLow = 0xFE0000;
constexpr uint32_t kBackupRamHigh = 0xFE3FFF;
constexpr uint32_t kPcmLow = 0xFF0000;
constexpr uint32_t kPcmRegistersHigh = 0xFF0011;   // odd addresses: registers 0-8
constexpr uint32_t kPcmChannelAddressLow = 0xFF0020;
constexpr uint32_t kPcmChannelAddressHigh = 0xFF003F;
constexpr uint32_t kPcmWaveWindowLow = 0xFF2000;
constexpr uint32_t kPcmWaveWindowHigh = 0xFF3FFF;

// Sub list slots (0-based) that the word-RAM switches rewrite: the fetch
// list's 1M bank window and the word-RAM entry of the four data lists.
constexpr uint32_t kSubFetchSlots = 3;
constexpr uint32_t kSubDataSlots = 5;
constexpr uint32_t kSubFetchBankSlot = 1;
constexpr uint32_t kSubWordRamSlot = 3;

// ---- Main 68000 Mega-CD map ----------------------------------------------------------

constexpr uint32_t kBiosLow = 0x000000;
constexpr uint32_t kBiosHigh = 0x01FFFF;
constexpr uint32_t kBiosImageSize = 0x20000;      // a smaller BIOS is padded with zeros
constexpr uint32_t kPrgWindowLow = 0x020000;
constexpr uint32_t kPrgWindowHigh = 0x03FFFF;
constexpr uint32_t kPrgBankSize = 0x20000;
constexpr uint32_t kMainWordRamLow = 0x200000;
constexpr uint32_t kMainWordRam2MHigh = 0x23FFFF;
constexpr uint32_t kMainBankHigh = 0x21FFFF;       // 1M: the part of the range that is written and fetched
constexpr uint32_t kHIntVectorAddress = 0x72;      // the level-4 vector's low word in the BIOS

// Main list slots (0-based) that the switches rewrite. The read lists hold
// the BIOS entry, the write lists do not, so their word-RAM slots differ.
constexpr uint32_t kMainFetchWordRamSlot = 2;
constexpr uint32_t kMainFetchPrgSlot = 3;
constexpr uint32_t kMainReadWordRamSlot = 6;
constexpr uint32_t kMainWriteWordRamSlot = 5;

// ---- Gate array -----------------------------------------------------------------------

constexpr uint32_t kMainGateArrayLow = 0xA12000;
constexpr uint32_t kMainGateArrayHigh = 0xA1202F;
constexpr uint32_t kMainGateArraySize = 48;
constexpr uint32_t kSubGateArraySize = 512;
constexpr uint32_t kCommAreaSize = 32;

// Main side offsets.
constexpr uint32_t kGaMainRequest = 0x00;    // bit 0: level-2 request to the sub CPU
constexpr uint32_t kGaMainReset = 0x01;      // bit 0 = 0 holds the sub CPU in reset, bit 1 requests its bus
// Both sides.
constexpr uint32_t kGaProtect = 0x02;
constexpr uint32_t kGaMemoryMode = 0x03;
constexpr uint32_t kGaHIntVector = 0x06;
constexpr uint32_t kGaStopwatch = 0x0C;
constexpr uint32_t kGaCommFlags = 0x0E;
constexpr uint32_t kGaCommandWords = 0x10;   // 0x10-0x1F written by the main side
constexpr uint32_t kGaStatusWords = 0x20;    // 0x20-0x2F written by the sub side
constexpr uint32_t kGaCommEnd = 0x30;
// Sub side offsets.
constexpr uint32_t kGaLamps = 0x00;
constexpr uint32_t kGaTimer = 0x30;          // word; the reload byte is 0x31
constexpr uint32_t kGaTimerReload = 0x31;
constexpr uint32_t kGaInterruptMask = 0x33;  // bit n enables level n
constexpr uint32_t kGaFader = 0x34;
constexpr uint16_t kFaderWord = 0xFFF0;
// Sub side: the CD data controller and the CD drive.
constexpr uint32_t kGaCdcMode = 0x04;        // destination, DSR, EDT; its word adds the register pointer
constexpr uint32_t kGaCdcAddress = 0x05;     // the register pointer
constexpr uint32_t kGaCdcRegisterWord = 0x06;
constexpr uint32_t kGaCdcRegister = 0x07;    // register data, through the pointer
constexpr uint32_t kGaCdcHostData = 0x08;    // word
constexpr uint32_t kGaCdcDmaAddress = 0x0A;  // word
constexpr uint32_t kGaCddControl = 0x36;     // word; 0x37 its low byte (host clock)
constexpr uint32_t kGaCddStatus = 0x38;      // 0x38-0x41: five status words
constexpr uint32_t kGaCddStatusEnd = 0x42;
constexpr uint32_t kGaCddCommand = 0x42;     // 0x42-0x4B: five command words
constexpr uint32_t kGaCddCommandEnd = 0x4C;
// Sub side: the graphics unit.
constexpr uint32_t kGaFontColour = 0x4C;     // word; the colours are the byte at 0x4D
constexpr uint32_t kGaFontBits = 0x4E;
constexpr uint32_t kGaFontData = 0x50;       // 0x50-0x57
constexpr uint32_t kGaFontDataSize = 8;
constexpr uint32_t kGaStampSize = 0x58;      // 0x59: repeat, stamp size, map size
constexpr uint32_t kGaStampMap = 0x5A;
constexpr uint32_t kGaImageHeight = 0x5C;    // 0x5D: cells - 1
constexpr uint32_t kGaImageBuffer = 0x5E;
constexpr uint32_t kGaImageOffset = 0x60;
constexpr uint32_t kGaImageHDots = 0x62;
constexpr uint32_t kGaImageVDots = 0x64;
constexpr uint32_t kGaTraceTable = 0x66;     // its word write starts an operation

// A word of a register file held in bus order: the high byte at the even
// offset.
inline uint32_t storedWord(const uint8_t* file, uint32_t offset) {
    return (static_cast<uint32_t>(file[offset]) << 8) | file[offset + 1];
}

inline void storeWord(uint8_t* file, uint32_t offset, uint32_t word) {
    file[offset] = static_cast<uint8_t>(word >> 8);
    file[offset + 1] = static_cast<uint8_t>(word);
}

// Word-RAM state byte (Machine.wordRamMode).
constexpr uint32_t kWordRamRet = 0x01;
constexpr uint32_t kWordRamDmna = 0x02;
constexpr uint32_t kWordRamMode1M = 0x04;

// Sub CPU timing and interrupt bookkeeping.
constexpr uint32_t kSubCyclesPerLine = 795;
constexpr int32_t kMegaCdTimerStep = 2;     // timer and stopwatch, per line
constexpr int32_t kSubTimerFloor = -kMegaCdTimerStep;  // the timer's countdown stops here
constexpr int32_t kGraphicsIrqDelayStart = 2;
constexpr uint32_t kCdTickLines = 210;      // the CD data tick, counted across frames

}  // namespace vimo
