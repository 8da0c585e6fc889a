// Word RAM: the RET/DMNA/MODE handshake of both sides, the map switches that
// follow each change on both 68000s, and the 1M-mode accesses (each CPU's
// bank, the sub CPU's dot image). All three blocks hold 68000 words in host
// order, like program RAM.
//
// The main CPU's tables only have room for word RAM in Mega-CD mode, so its
// switches do nothing in cartridge mode (the state byte still changes).
#include "machine/machine.h"
#include "megacd/bus_callbacks.h"
#include "megacd/megacd.h"

namespace vimo {

namespace {

bool isMode1M(uint32_t mode) {
    return (mode & kWordRamMode1M) != 0;
}

}  // namespace

// ---- Handshake ------------------------------------------------------------------------

void Machine::mainMemoryModeWrite(uint32_t bits) {
    if (isMode1M(wordRamMode)) {
        if ((bits & kWordRamDmna) != 0)
            wordRamMode = kWordRamMode1M | kWordRamRet;   // RET = 1, DMNA = 0
        else
            wordRamMode |= kWordRamDmna;                  // RET kept
        mapWordRam1MByRet();
        return;
    }
    // 2M: the main CPU hands word RAM to the sub CPU; both keep reaching it.
    if ((bits & kWordRamDmna) != 0) wordRamMode = kWordRamDmna;
}

void Machine::subMemoryModeWrite(uint32_t bits) {
    if (isMode1M(wordRamMode)) {
        if ((bits & kWordRamMode1M) == 0) {
            wordRamMode = 0;   // 2M with RET = 0, DMNA = 0
            mapSubWordRam2M();
            mapMainWordRam2M();
            return;
        }
        wordRamMode = kWordRamMode1M | (bits & kWordRamRet);   // DMNA = 0
        mapWordRam1MByRet();
        return;
    }
    if ((bits & kWordRamMode1M) != 0) {
        wordRamMode |= kWordRamMode1M;
        mapSubWordRam1M();
        mapMainWordRamHandled();
        // Instruction fetch follows the data accesses onto the banks at once.
        mapWordRam1MByRet();
    } else if ((bits & kWordRamRet) != 0) {
        wordRamMode = kWordRamRet;   // RET = 1, DMNA = 0
    }
}

uint8_t* Machine::mainWordRamBank() const {
    return (wordRamMode & kWordRamRet) != 0 ? wordRamBank1.get() : wordRamBank0.get();
}

uint8_t* Machine::subWordRamBank() const {
    return (wordRamMode & kWordRamRet) != 0 ? wordRamBank0.get() : wordRamBank1.get();
}

void Machine::mapWordRam1MByRet() {
    if ((wordRamMode & kWordRamRet) != 0)
        mapWordRam1MBank1Main();
    else
        mapWordRam1MBank0Main();
}

// ---- Map switches -----------------------------------------------------------------------

void Machine::mapMainWordRam2M() {
    if (megaCdMode == 0 || !mainTables.fetch) return;
    mainTables.fetch[kMainFetchWordRamSlot] =
        ProgramRegion::map(kMainWordRamLow, kMainWordRam2MHigh, wordRam.get());
    mainTables.setDirect(kMainReadWordRamSlot, kMainWriteWordRamSlot, kMainWordRamLow, kMainWordRam2MHigh,
                         wordRam.get());
    refreshMainCpuContext();
}

void Machine::mapMainWordRamHandled() {
    if (megaCdMode == 0 || !mainTables.fetch) return;
    mainTables.setHandled(kMainReadWordRamSlot, kMainWriteWordRamSlot, kMainWordRamLow, kMainWordRam2MHigh,
                          kMainWordRamCallbacks);
    refreshMainCpuContext();
}

void Machine::mapWordRam1MBank0Main() {
    mapWordRam1MBanks(wordRamBank0.get(), wordRamBank1.get());
}

void Machine::mapWordRam1MBank1Main() {
    mapWordRam1MBanks(wordRamBank1.get(), wordRamBank0.get());
}

void Machine::mapWordRam1MBanks(uint8_t* mainBank, uint8_t* subBank) {
    if (megaCdMode != 0 && mainTables.fetch) {
        mainTables.fetch[kMainFetchWordRamSlot] = ProgramRegion::map(kMainWordRamLow, kMainBankHigh, mainBank);
        refreshMainCpuContext();
    }
    if (subTables.fetch) {
        subTables.fetch[kSubFetchBankSlot] = ProgramRegion::map(kSubBankLow, kSubBankHigh, subBank);
        refreshSubCpuContext();
    }
}

// ---- 1M accesses -------------------------------------------------------------------------

uint32_t Machine::readByteWordRam(uint32_t address) {
    if (address >= kMainWordRamLow && address <= kMainWordRam2MHigh) {
        // VDP DMA reads here in 2M mode too, and then sees the 2M block.
        if (!isMode1M(wordRamMode)) return wordRam[(address ^ 1) & (kWordRamSize - 1)];
        return mainWordRamBank()[(address ^ 1) & (kWordRamBankSize - 1)];
    }
    if (address >= kSubBankLow && address <= kSubBankHigh)
        return subWordRamBank()[(address ^ 1) & (kWordRamBankSize - 1)];
    return 0;   // the dot image reads as 0
}

uint32_t Machine::readWordWordRam(uint32_t address) {
    const uint8_t* bank = nullptr;
    if (address >= kMainWordRamLow && address <= kMainWordRam2MHigh)
        bank = mainWordRamBank();
    else if (address >= kSubBankLow && address <= kSubBankHigh)
        bank = subWordRamBank();
    if (bank == nullptr) return 0;
    const uint32_t index = address & (kWordRamBankSize - 2);
    return bank[index] | (bank[index + 1] << 8);
}

void Machine::writeByteWordRam(uint32_t address, uint32_t byte) {
    const auto data = static_cast<uint8_t>(byte);
    if (address >= kMainWordRamLow && address <= kMainBankHigh) {
        mainWordRamBank()[(address ^ 1) & (kWordRamBankSize - 1)] = data;
    } else if (address >= kSubBankLow && address <= kSubBankHigh) {
        subWordRamBank()[(address ^ 1) & (kWordRamBankSize - 1)] = data;
    } else if (address >= kSubWordRamLow && address <= kSubDotImageHigh) {
        // One 4-bit dot: the even address is the byte's high nibble.
        uint8_t& pair = subWordRamBank()[((address - kSubWordRamLow) >> 1) ^ 1];
        if ((address & 1) == 0)
            pair = static_cast<uint8_t>((pair & 0x0F) | ((data & 0x0F) << 4));
        else
            pair = static_cast<uint8_t>((pair & 0xF0) | (data & 0x0F));
    }
}

void Machine::writeWordWordRam(uint32_t address, uint32_t word) {
    uint8_t* bank = nullptr;
    if (address >= kMainWordRamLow && address <= kMainBankHigh) {
        bank = mainWordRamBank();
    } else if (address >= kSubBankLow && address <= kSubBankHigh) {
        bank = subWordRamBank();
    } else if (address >= kSubWordRamLow && address <= kSubDotImageHigh) {
        // Two dots, the low nibbles of the word's two bytes.
        subWordRamBank()[((address - kSubWordRamLow) >> 1) ^ 1] =
            static_cast<uint8_t>(((word >> 4) & 0xF0) | (word & 0x0F));
        return;
    }
    if (bank == nullptr) return;
    const uint32_t index = address & (kWordRamBankSize - 2);
    bank[index] = static_cast<uint8_t>(word);
    bank[index + 1] = static_cast<uint8_t>(word >> 8);
}

}  // namespace vimo
