// The CD data controller: the register file behind 0xFF8005/0xFF8007, host
// reads at 0xFF8008, DMA out of the cache, and the decoder's store of each
// sector into the ring.
#include <algorithm>
#include <cstring>

#include "cdunit/cdunit.h"
#include "machine/machine.h"

namespace vimo {

namespace {

// Copies up to `length` cache bytes from `from` to `dest`, exchanging the two
// bytes of each pair on the way: the cache holds the disc's byte order, the
// destination memories the host order of word-swapped 68000 memory. The copy
// stops at the end of the cache and at the end of the destination; the cache
// itself is left as read from the disc, so the same bytes can be sent again.
void copySwapped(const uint8_t* cache, uint32_t from, uint32_t length, uint8_t* dest,
                 size_t destOffset, size_t destSize) {
    if (!dest || destOffset >= destSize) return;
    const size_t count = std::min<size_t>({length, kCdcCacheSize - from, destSize - destOffset});
    for (size_t i = 0; i < count; ++i) {
        const size_t source = from + (i ^ 1);
        if (source < kCdcCacheSize) dest[destOffset + i] = cache[source];
    }
}

}  // namespace

uint8_t* CdUnit::cdcModeByte() {
    return machine ? &machine->subGateArray[0x04] : nullptr;
}

void CdUnit::requestCdcInterrupt(uint32_t value) {
    if (machine) machine->cdcIrqRequest = value;
}

void CdUnit::setCdcRegisterAddress(uint32_t value) {
    cdcRegisterIndex = value & (kCdcRegisterCount - 1);
}

uint32_t CdUnit::cdcRegisterAddress() const {
    return cdcRegisterIndex;
}

uint32_t CdUnit::readCdcRegister() {
    const uint32_t index = cdcRegisterIndex & (kCdcRegisterCount - 1);
    cdcRegisterIndex = (index + 1) & (kCdcRegisterCount - 1);
    switch (index) {
    case 0: return cdcRead[0];  // COMIN
    case 1: return ifstat;
    case 2: return dbc & 0xFF;
    case 3: return dbc >> 8;
    case 4: case 5: case 6: case 7: return head[index - 4];
    case 8: return pt & 0xFF;
    case 9: return pt >> 8;
    case 10: return wa & 0xFF;
    case 11: return wa >> 8;
    case 12: return cdcRead[kCdcStat0];
    case 15:  // STAT3: reading it acknowledges the decoder interrupt
        ifstat |= kIfstatDeci;
        return (cdcWrite[kCdcCtrl0] & kCtrl0Stat3Flag) ? 0x20 : 0;
    default: return 0;
    }
}

void CdUnit::writeCdcRegister(uint32_t value) {
    const uint32_t index = cdcRegisterIndex & (kCdcRegisterCount - 1);
    const uint8_t byte = static_cast<uint8_t>(value);
    cdcWrite[index] = byte;
    uint32_t next = index + 1;
    switch (index) {
    case 2: dbc = static_cast<uint16_t>((dbc & 0xFF00) | byte); break;
    case 3: dbc = static_cast<uint16_t>((dbc & 0x00FF) | (byte << 8)); break;
    case 4: dac = static_cast<uint16_t>((dac & 0xFF00) | byte); break;
    case 5: dac = static_cast<uint16_t>((dac & 0x00FF) | (byte << 8)); break;
    case 6:  // DTTRG
        if (cdcWrite[kCdcIfctrl] & kIfctrlDouten) {
            ifstat &= static_cast<uint8_t>(~kIfstatDtbsy);
            if (uint8_t* mode = cdcModeByte()) *mode |= kCdcModeDsr;
            startTransfer();
        }
        break;
    case 7: ifstat |= kIfstatDtei; break;  // DTACK
    case 8: wa = static_cast<uint16_t>((wa & 0xFF00) | byte); break;
    case 9: wa = static_cast<uint16_t>((wa & 0x00FF) | (byte << 8)); break;
    case 12: pt = static_cast<uint16_t>((pt & 0xFF00) | byte); break;
    case 13: pt = static_cast<uint16_t>((pt & 0x00FF) | (byte << 8)); break;
    case 15:  // RESET; the HEAD bytes survive it
        std::memset(cdcRead, 0, sizeof cdcRead);
        std::memset(cdcWrite, 0, sizeof cdcWrite);
        ifstat = 0xFF;
        dbc = dac = pt = wa = 0;
        next = 1;  // the pointer restarts at 0 and then moves on as after any write
        break;
    default: break;  // IFCTRL, CTRL0, CTRL1 and the rest are only stored
    }
    cdcRegisterIndex = next & (kCdcRegisterCount - 1);
}

void CdUnit::setDmaAddress(uint32_t value) {
    dmaAddress = value & 0xFFFF;
}

void CdUnit::setTransferEndFlags() {
    ifstat = static_cast<uint8_t>((ifstat & ~kIfstatDtei) | kIfstatDtbsy);
    if (uint8_t* mode = cdcModeByte()) *mode |= kCdcModeEdt;
    requestCdcInterrupt(1);
}

uint32_t CdUnit::readHostData() {
    const uint16_t before = dbc;
    dbc = static_cast<uint16_t>(dbc - 1);
    if (before == 0) setTransferEndFlags();
    if (!cache) return 0;
    const uint32_t word = cache[dac] * 256u + cache[(dac + 1) & 0xFFFF];
    dac = static_cast<uint16_t>(dac + 2);
    return word;
}

void CdUnit::startTransfer() {
    const uint8_t* mode = cdcModeByte();
    if (!mode || !cache) return;
    const uint32_t length = dbc + 1u;
    switch (*mode & kCdcModeDestination) {
    case kCdcDestinationPrgRam:
        copySwapped(cache.get(), dac, length, machine->prgRam.get(), size_t{dmaAddress} * 8,
                    kPrgRamSize);
        break;
    case kCdcDestinationWordRam:
        if (machine->wordRamMode & kWordRamMode1M) {
            // 1M: the bank the sub CPU holds, bank 1 while RET is 0.
            uint8_t* bank = (machine->wordRamMode & kWordRamRet) ? machine->wordRamBank0.get()
                                                          : machine->wordRamBank1.get();
            copySwapped(cache.get(), dac, length, bank, size_t{dmaAddress & 0x3FFFu} * 8,
                        kWordRamBankSize);
        } else {
            copySwapped(cache.get(), dac, length, machine->wordRam.get(),
                        size_t{dmaAddress & 0x7FFFu} * 8, kWordRamSize);
        }
        break;
    case kCdcDestinationPcm:
        // No copy into wave RAM; the transfer only ends, with DBC kept.
        setTransferEndFlags();
        return;
    default:
        return;  // the host reads these through the data port
    }
    dbc = 0;
    setTransferEndFlags();
}

void CdUnit::decodeSector() {
    if (!cache || !sectorBuffer) return;
    const uint8_t ctrl0 = cdcWrite[kCdcCtrl0];
    if (ctrl0 & kCtrl0Wrrq) {
        const auto store = [this] {
            // PT comes from the sub CPU as 16 bits: every byte stays inside the cache.
            for (uint32_t i = 0; i < kSectorHeaderSize; ++i) cache[(pt + i) & 0xFFFF] = head[i];
            for (uint32_t i = 0; i < kSectorDataSize; ++i)
                cache[(pt + kSectorHeaderSize + i) & 0xFFFF] = sectorBuffer[i];
        };
        const auto advance = [this] { pt = static_cast<uint16_t>((pt + kRawSectorSize) & kCdcRingMask); };
        if (ctrl0 & kCtrl0WriteFirst) {
            store();
            advance();
        } else {
            advance();
            store();
        }
        wa = static_cast<uint16_t>((wa + kRawSectorSize) & kCdcRingMask);
        ++lba;
    }
    if (cdcWrite[kCdcIfctrl] & kIfctrlDecien) {
        requestCdcInterrupt(1);
        ifstat &= static_cast<uint8_t>(~kIfstatDeci);
    }
    cdcRead[kCdcStat0] = 0x80;
}

}  // namespace vimo
