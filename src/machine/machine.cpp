// Construction, destruction and the hard reset of the machine, and the
// byte-pair swap that converts images to and from the word-swapped layout.
#include "machine/machine.h"

#include <cstring>
#include <new>
#include <utility>

#include "machine/report.h"

namespace vimo {

Machine* globalMachine = nullptr;

uint8_t* allocateZeroedBlock(size_t bytes) {
    return new (std::nothrow) uint8_t[bytes]();
}

BlockAllocator blockAllocator = allocateZeroedBlock;

int32_t swapBytePairs(uint8_t* buffer, int32_t length) {
    if (buffer == nullptr || length < 1) return 0;
    for (int32_t i = 0; i + 1 < length; i += 2) std::swap(buffer[i], buffer[i + 1]);
    return 0;
}

namespace {

// The VDP's 68000-to-VDP DMA reads its source words through the machine.
uint32_t vdpDmaReadWord(void* context, uint32_t address) {
    return static_cast<Machine*>(context)->readWordRomRam(address);
}

void zeroBlock(const std::unique_ptr<uint8_t[]>& block, size_t size) {
    if (block) std::memset(block.get(), 0, size);
}

}  // namespace

Machine::Machine() {
    // The sub-objects (Vdp, Sn76496, PcmChip, CdUnit) are built by now, in
    // that order. Defaults not given with the fields:
    vdp.pixelFormat = kPixelFormatRgb565;
    for (auto& part : fmShadow)
        for (auto& entry : part) entry = 0xFFFF;  // unwritten: the first init replays nothing

    if (allocateMemories() != 0) return;

    vdp.machine = this;
    vdp.dmaReadWord = vdpDmaReadWord;
    vdp.dmaReadContext = this;
    cdUnit.machine = this;

    if (initChips() != 0) return;

    constructed = true;
    reset();
    globalMachine = this;
}

Machine::~Machine() {
    freeMainCpuTables();
    freeSubCpuTables();
    stopGymLog();
    shutdownFm();
    rom.reset();
    romCopy.reset();
    ram.reset();
    z80Ram.reset();
    prgRam.reset();
    wordRam.reset();
    wordRamBank0.reset();
    wordRamBank1.reset();
    backupRam.reset();
    mainCpu.reset();
    subCpu.reset();
    if (globalMachine == this) globalMachine = nullptr;
    // The CdUnit, PcmChip, Sn76496 and Vdp are destroyed after this body, in
    // that order.
}

int32_t Machine::allocateMemories() {
    struct Block {
        std::unique_ptr<uint8_t[]>& block;
        size_t size;
        const char* failure;
    };
    const Block blocks[] = {
        {ram, kWorkRamSize, "Couldn't allocate 64KB of ram"},
        {z80Ram, kZ80RamSize, "Couldn't allocate 8KB of sound ram"},
        {prgRam, kPrgRamSize, "Couldn't allocate 512KB of program ram"},
        {wordRam, kWordRamSize, "Couldn't allocate 256 KB of word ram"},
        {wordRamBank0, kWordRamBankSize, "Couldn't allocate 128 KB of word ram bank 0"},
        {wordRamBank1, kWordRamBankSize, "Couldn't allocate 128 KB of word ram bank 1"},
        {backupRam, kBackupRamSize, "Couldn't allocate 8 KB of backup ram"},
    };
    for (const Block& b : blocks) {
        b.block.reset(blockAllocator(b.size));
        if (!b.block) {
            showErrorBox("%s", b.failure);
            return 1;
        }
    }
    return 0;
}

int32_t Machine::initChips() {
    mainCpu.reset(new (std::nothrow) Cpu68000());
    if (!mainCpu || initMainCpu() != 0) {
        showErrorBox("Main 68000: Failed to initialize");
        return 1;
    }
    subCpu.reset(new (std::nothrow) Cpu68000());
    if (initSubCpu() != 0) {
        showErrorBox("Sub 68000: Failed to initialize");
        return 1;
    }
    if (initZ80Cores() != 0) {
        showErrorBox("Z80: Failed to initialize");
        return 1;
    }
    if (initSoundChips() != 0) {
        showErrorBox("YM2612 or SN76496: Failed to initialize");
        return 1;
    }
    return 0;
}

int32_t Machine::reset() {
    if (!constructed) return 1;

    // Memories: everything but the backup RAM and the image.
    zeroBlock(ram, kWorkRamSize);
    zeroBlock(z80Ram, kZ80RamSize);
    zeroBlock(prgRam, kPrgRamSize);
    zeroBlock(wordRam, kWordRamSize);
    zeroBlock(wordRamBank0, kWordRamBankSize);
    zeroBlock(wordRamBank1, kWordRamBankSize);

    resetMainCpu();
    resetSubCpu();
    resetZ80();

    vdp.reset();
    cdUnit.reset();
    pcm.reset();
    psg.reset();

    // I/O ports and pads.
    vCounter = 0;
    for (int32_t pad = 0; pad < 2; ++pad) {
        thLevel[pad] = 0;
        sixButtonCount[pad] = 0;
        linesSinceThWrite[pad] = 0;
        pads[pad] = kPadsReleased;
    }
    for (auto& control : ioControl) control = 0;
    for (auto& tx : txData) tx = 0xFF;
    for (auto& rx : rxData) rx = 0;
    extData = 0x7F;
    for (auto& tmss : tmssBytes) tmss = 0;

    // Sound glue: every YM2612 register unwritten, latches, status and timers cleared.
    for (auto& part : fmShadow)
        for (auto& entry : part) entry = 0xFFFF;
    fmAddressLatch[0] = fmAddressLatch[1] = 0;
    fmStatus = 0;
    fmTimerElapsed[0] = fmTimerElapsed[1] = 0.0;

    line = 0;
    hIntCounter = 0;

    // Gate array: both register files cleared, then the reset values.
    std::memset(subGateArray, 0, sizeof subGateArray);
    std::memset(mainGateArray, 0, sizeof mainGateArray);
    std::memset(commArea, 0, sizeof commArea);
    commFlags = 0;
    cdUnit.cddControl |= 0x100;
    subGateArray[0x03] = 1;
    mainGateArray[0x03] = 1;
    wordRamMode = 1;  // 2M, RET = 1
    mainGateArray[0x06] = 0xFF;
    mainGateArray[0x07] = 0xFF;
    hIntVector = 0;

    // Word RAM mapping: the cartridge tables have no room for the main entry.
    // The program-RAM window is back on bank 0 for fetch as for data.
    if (megaCdMode != 0) {
        mapMainWordRam2M();
        mapMainPrgRamBank(0);
    }
    mapSubWordRam2M();

    graphicsIrqRequest = 0;
    cddIrqRequest = 0;
    cdcIrqRequest = 0;
    subTimer = 0;
    stopwatch = 0;
    fontColour = 0;
    fontBits = 0;
    std::memset(fontData, 0, sizeof fontData);

    // The Z80 waits until the 68000 releases its bus.
    z80Running = 0;
    z80Bank = 0;

    setStatusLamps(0);
    return 0;
}

}  // namespace vimo
