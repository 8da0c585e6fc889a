// The gate-array registers as both 68000s see them: the main side at
// 0xA12000-0xA1202F, the sub side at 0xFF8000-0xFF81FF. Every write is first
// stored in its side's register file (bus order); some offsets then act.
//
// The data controller and drive registers (sub 0x04-0x0A, 0x36-0x4B) are
// forwarded to the CD unit, which holds their state; what the sub CPU wrote
// there is stored as well. The font registers live in their own fields, and
// the stamp parameters are stored bytes the stamp renderer latches when its
// trigger word is written.
//
// The bus ignores A0 on word cycles, so a word access at an odd address acts
// on the even one: no word reaches past the end of a register file.
#include "machine/machine.h"
#include "machine/report.h"
#include "megacd/megacd.h"

namespace vimo {

namespace {

bool inCommArea(uint32_t offset) {
    return offset >= kGaCommandWords && offset < kGaCommEnd;
}

bool inMainGateArray(uint32_t address) {
    return address >= kMainGateArrayLow && address <= kMainGateArrayHigh;
}

bool inSubGateArray(uint32_t address) {
    return address >= kSubGateArrayLow && address <= kSubGateArrayHigh;
}

bool inFontData(uint32_t offset) {
    return offset >= kGaFontData && offset < kGaFontData + kGaFontDataSize;
}

bool inCddStatus(uint32_t offset) {
    return offset >= kGaCddStatus && offset < kGaCddStatusEnd;
}

bool inCddCommand(uint32_t offset) {
    return offset >= kGaCddCommand && offset < kGaCddCommandEnd;
}

}  // namespace

// ---- Dispatch by side ---------------------------------------------------------------

uint32_t Machine::readByteGateArray(uint32_t address) {
    if (inMainGateArray(address)) return readByteMainGateArray(address - kMainGateArrayLow);
    if (inSubGateArray(address)) return readByteSubGateArray(address - kSubGateArrayLow);
    return 0;
}

uint32_t Machine::readWordGateArray(uint32_t address) {
    if (inMainGateArray(address)) return readWordMainGateArray((address - kMainGateArrayLow) & ~1u);
    if (inSubGateArray(address)) return readWordSubGateArray((address - kSubGateArrayLow) & ~1u);
    return 0;
}

void Machine::writeByteGateArray(uint32_t address, uint32_t byte) {
    if (inMainGateArray(address))
        writeByteMainGateArray(address - kMainGateArrayLow, byte & 0xFF);
    else if (inSubGateArray(address))
        writeByteSubGateArray(address - kSubGateArrayLow, byte & 0xFF);
}

void Machine::writeWordGateArray(uint32_t address, uint32_t word) {
    if (inMainGateArray(address))
        writeWordMainGateArray((address - kMainGateArrayLow) & ~1u, word & 0xFFFF);
    else if (inSubGateArray(address))
        writeWordSubGateArray((address - kSubGateArrayLow) & ~1u, word & 0xFFFF);
}

uint32_t Machine::memoryModeRegister(uint8_t stored) const {
    return (wordRamMode & 0x07) | (stored & 0xF8);
}

// ---- Main side ---------------------------------------------------------------------

uint32_t Machine::readByteMainGateArray(uint32_t offset) {
    if (offset == kGaMemoryMode) return memoryModeRegister(mainGateArray[kGaMemoryMode]);
    if (offset == kGaCommFlags) return commFlags >> 8;
    if (offset == kGaCommFlags + 1) return commFlags & 0xFF;
    if (inCommArea(offset)) return commArea[offset - kGaCommandWords];
    return mainGateArray[offset];
}

uint32_t Machine::readWordMainGateArray(uint32_t offset) {
    switch (offset) {
        case kGaProtect: return (mainGateArray[kGaProtect] << 8) | readByteMainGateArray(kGaMemoryMode);
        case kGaHIntVector: return hIntVector;
        case kGaStopwatch: return static_cast<uint16_t>(stopwatch);
        case kGaCommFlags: return commFlags;
        default: break;
    }
    if (inCommArea(offset)) return storedWord(commArea, offset - kGaCommandWords);
    return storedWord(mainGateArray, offset);
}

void Machine::writeByteMainGateArray(uint32_t offset, uint32_t byte) {
    mainGateArray[offset] = static_cast<uint8_t>(byte);
    switch (offset) {
        case kGaProtect: subGateArray[kGaProtect] = static_cast<uint8_t>(byte); break;
        case kGaMemoryMode:
            mainMemoryModeWrite(byte & 0x07);
            mapMainPrgRamBank(byte >> 6);
            break;
        case kGaCommFlags: commFlags = static_cast<uint16_t>((commFlags & 0x00FF) | (byte << 8)); break;
        default:
            if (offset >= kGaCommandWords && offset < kGaStatusWords)
                commArea[offset - kGaCommandWords] = static_cast<uint8_t>(byte);
            break;
    }
}

void Machine::writeWordMainGateArray(uint32_t offset, uint32_t word) {
    storeWord(mainGateArray, offset, word);
    if (offset == kGaProtect) {
        subGateArray[kGaProtect] = static_cast<uint8_t>(word >> 8);
        writeByteMainGateArray(kGaMemoryMode, word & 0xFF);
    } else if (offset == kGaHIntVector) {
        hIntVector = static_cast<uint16_t>(word);
        // The H-interrupt vector is patched into the BIOS image, which only
        // exists in Mega-CD mode; a cartridge's own ROM is never written.
        if (megaCdMode != 0 && rom && romSize > 0) {
            rom[kHIntVectorAddress] = static_cast<uint8_t>(word);   // the host-order word at 0x72
            rom[kHIntVectorAddress + 1] = static_cast<uint8_t>(word >> 8);
            refreshMainCpuContext();
        }
    } else if (offset >= kGaCommandWords && offset < kGaStatusWords) {
        storeWord(commArea, offset - kGaCommandWords, word);
    }
}

// ---- Sub side ----------------------------------------------------------------------

uint32_t Machine::readByteSubGateArray(uint32_t offset) {
    if (offset == kGaMemoryMode) return memoryModeRegister(subGateArray[kGaMemoryMode]);
    if (offset == kGaCommFlags) return commFlags >> 8;
    if (offset == kGaCommFlags + 1) return commFlags & 0xFF;
    if (inCommArea(offset)) return commArea[offset - kGaCommandWords];
    if (offset == kGaFontColour + 1) return fontColour;
    if (offset == kGaFontBits) return fontBits >> 8;
    if (offset == kGaFontBits + 1) return fontBits & 0xFF;
    if (inFontData(offset)) return fontData[offset - kGaFontData];
    switch (offset) {
        case kGaCdcAddress: return cdUnit.cdcRegisterAddress();
        case kGaCdcRegister: return cdUnit.readCdcRegister();
        case kGaCddControl: return cdUnit.readCddControl(0);
        case kGaCddControl + 1: return cdUnit.readCddControl(1);
        default: break;
    }
    // The CDD status bytes read back as stored: only words read the status.
    return subGateArray[offset];
}

uint32_t Machine::readWordSubGateArray(uint32_t offset) {
    switch (offset) {
        case kGaProtect: return (subGateArray[kGaProtect] << 8) | readByteSubGateArray(kGaMemoryMode);
        case kGaStopwatch: return static_cast<uint16_t>(stopwatch);
        case kGaCommFlags: return commFlags;
        case kGaTimer: return subGateArray[kGaTimerReload];
        case kGaFader: return kFaderWord;
        case kGaFontColour: return fontColour;
        case kGaFontBits: return fontBits;
        case kGaCdcMode: return (subGateArray[kGaCdcMode] << 8) | cdUnit.cdcRegisterAddress();
        case kGaCdcRegisterWord: return cdUnit.readCdcRegister() & 0xFF;
        case kGaCdcHostData: return cdUnit.readHostData() & 0xFFFF;
        case kGaCdcDmaAddress: return (cdUnit.dmaAddress >> 3) & 0xFFFF;
        case kGaCddControl: return cdUnit.readCddControl(2);
        default: break;
    }
    if (inCddStatus(offset)) return cdUnit.readCddStatus(offset - kGaCddStatus);
    if (inCommArea(offset)) return storedWord(commArea, offset - kGaCommandWords);
    if (inFontData(offset)) return storedWord(fontData, offset - kGaFontData);
    return storedWord(subGateArray, offset);
}

void Machine::writeByteSubGateArray(uint32_t offset, uint32_t byte) {
    subGateArray[offset] = static_cast<uint8_t>(byte);
    switch (offset) {
        case kGaLamps: setStatusLamps(static_cast<uint8_t>(byte)); break;
        case kGaLamps + 1: subGateArray[offset] = static_cast<uint8_t>(byte ^ 0x01); break;
        case kGaMemoryMode: subMemoryModeWrite(byte & 0x07); break;
        case kGaCommFlags + 1: commFlags = static_cast<uint16_t>((commFlags & 0xFF00) | byte); break;
        case kGaTimerReload: subTimer = static_cast<int32_t>(byte); break;
        case kGaFontColour + 1: fontColour = static_cast<uint8_t>(byte); break;
        // A byte write changes the font bits without expanding them.
        case kGaFontBits: fontBits = static_cast<uint16_t>((fontBits & 0x00FF) | (byte << 8)); break;
        case kGaFontBits + 1: fontBits = static_cast<uint16_t>((fontBits & 0xFF00) | byte); break;
        case kGaCdcAddress: cdUnit.setCdcRegisterAddress(byte); break;
        case kGaCdcRegister: cdUnit.writeCdcRegister(byte); break;
        // Only the low byte carries the host clock that can raise level 4.
        case kGaCddControl: cdUnit.writeCddControl(byte, 0); break;
        case kGaCddControl + 1:
            if (cdUnit.writeCddControl(byte, 1)) interruptSubCpu(4);
            break;
        default:
            if (offset >= kGaStatusWords && offset < kGaCommEnd)
                commArea[offset - kGaCommandWords] = static_cast<uint8_t>(byte);
            break;
    }
}

void Machine::writeWordSubGateArray(uint32_t offset, uint32_t word) {
    storeWord(subGateArray, offset, word);
    switch (offset) {
        case kGaLamps:
            setStatusLamps(static_cast<uint8_t>(word >> 8));
            subGateArray[kGaLamps + 1] = static_cast<uint8_t>((word & 0xFF) ^ 0x01);
            break;
        case kGaProtect: subMemoryModeWrite(word & 0x07); break;
        case kGaStopwatch: stopwatch = static_cast<int32_t>(word); break;
        case kGaTimer: subTimer = static_cast<int32_t>(word & 0xFF); break;
        case kGaFontColour: fontColour = static_cast<uint8_t>(word); break;
        case kGaFontBits:
            fontBits = static_cast<uint16_t>(word);
            expandFontBits();
            break;
        case kGaTraceTable: runStampOperation(); break;
        // A word write to 0x04 leaves the register pointer where it is.
        case kGaCdcDmaAddress: cdUnit.setDmaAddress(word); break;
        case kGaCddControl:
            if (cdUnit.writeCddControl(word, 2)) interruptSubCpu(4);
            break;
        default:
            if (offset >= kGaStatusWords && offset < kGaCommEnd)
                storeWord(commArea, offset - kGaCommandWords, word);
            else if (inCddCommand(offset))
                cdUnit.writeCddCommand(offset - kGaCddCommand, word);  // the word at 0x4A executes
            break;
    }
}

}  // namespace vimo
