// The emulated console: one Machine owns every emulated memory, holds the
// VDP, the PSG, the PCM chip and the CD unit by value, drives the main 68000
// and keeps the state of the I/O ports, the Z80 bus control, the frame and
// the Mega-CD.
//
// This header is the map of the machine. The fields come first, in the order
// of the machine's own table; the member functions follow, grouped by the file
// that defines them. Groups that later work fills are marked as such.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "cdunit/cdunit.h"
#include "cpu68000/cpu68000.h"
#include "machine/sound_frame.h"
#include "megacd/megacd.h"
#include "megacd/stamp_renderer.h"
#include "persistence/gym_logger.h"
#include "sound/pcm_chip.h"
#include "sound/sn76496.h"
#include "vdp/frame_buffer.h"
#include "vdp/vdp.h"
#include "z80/kite/kite.h"
#include "z80/zeta/zeta.h"

namespace vimo {

// ---- Sizes and fixed values ------------------------------------------------

constexpr uint32_t kWorkRamSize = 64 * 1024;
constexpr uint32_t kZ80RamSize = 8 * 1024;
constexpr uint32_t kPrgRamSize = 512 * 1024;
constexpr uint32_t kWordRamSize = 256 * 1024;
constexpr uint32_t kWordRamBankSize = 128 * 1024;
constexpr uint32_t kBackupRamSize = 8 * 1024;

constexpr uint32_t kMaxRomFileSize = 0x500000;   // larger files are refused
constexpr int32_t kRomBankingThreshold = 0x400001;  // images this large get a banking copy
constexpr uint32_t kRomWindowSize = 0x400000;    // the part of the image the 68000 maps
constexpr uint32_t kRomBankSize = 0x80000;       // one bank-register slot

constexpr uint32_t kPadsReleased = 0xF303F;      // a PadState word with nothing pressed
constexpr uint32_t kCountryJapan = 0x00;
constexpr uint32_t kCountryUsa = 0x80;
constexpr uint32_t kCountryEurope = 0xC0;
constexpr uint32_t kCountryAutodetectMenu = 0xFF0;      // the menu's autodetect value
constexpr uint32_t kCountryAutodetectStartup = 0xFF1;   // the constructor's autodetect value
constexpr uint32_t kBiosPathSize = 2048;

constexpr uint32_t kZetaCore = 1;
constexpr uint32_t kKiteCore = 2;

// Frame timing.
constexpr int32_t kLinesPerFrame = 262;
constexpr int32_t kVisibleLines = 224;
constexpr uint32_t kMainCyclesPerLine = 487;
constexpr uint32_t kHBlankCycles = 83;
constexpr int32_t kZ80CyclesPerLine = 227;
constexpr int32_t kPadTimeoutLines = 25;   // a pad timer above this clears the six-button count

// Ranges of the main 68000 that the cartridge and Mega-CD maps share.
constexpr uint32_t kIoLow = 0xA00000;
constexpr uint32_t kIoHigh = 0xA1001F;
constexpr uint32_t kSystemLow = 0xA10020;
constexpr uint32_t kSystemHigh = 0xBFFFFF;
constexpr uint32_t kVdpLow = 0xC00000;
constexpr uint32_t kVdpHigh = 0xDFFFFF;
constexpr uint32_t kWorkRamLow = 0xFF0000;
constexpr uint32_t kWorkRamHigh = 0xFFFFFF;

// The four bus callbacks of one range of a memory map.
struct DataHandlers {
    DataReadHandler readByte;
    DataReadHandler readWord;
    DataWriteHandler writeByte;
    DataWriteHandler writeWord;
};

// The five memory-map tables of a 68000, owned by the machine.
struct Cpu68000Tables {
    std::unique_ptr<ProgramRegion[]> fetch;
    std::unique_ptr<DataRegion[]> readByte;
    std::unique_ptr<DataRegion[]> readWord;
    std::unique_ptr<DataRegion[]> writeByte;
    std::unique_ptr<DataRegion[]> writeWord;

    Cpu68000ListSet lists() const {
        return {fetch.get(), readByte.get(), readWord.get(), writeByte.get(), writeWord.get()};
    }
    // Zeroed tables of the given entries (end entry included) for the fetch,
    // read and write lists; false, with none kept, when the memory is not there.
    bool allocate(size_t fetchEntries, size_t readEntries, size_t writeEntries);
    void release();
    // Entry `readSlot` of both read lists and `writeSlot` of both write lists:
    // low..high through the callbacks, or straight onto the host block.
    void setHandled(uint32_t readSlot, uint32_t writeSlot, uint32_t low, uint32_t high,
                    const DataHandlers& handlers);
    void setDirect(uint32_t readSlot, uint32_t writeSlot, uint32_t low, uint32_t high, void* host);
    void setEnd(uint32_t readSlot, uint32_t writeSlot);
};

// Allocation of the machine's memory blocks and images: zeroed bytes, or null
// when the memory is not there. Replaceable so that the out-of-memory paths can
// be exercised; the blocks are released with delete[].
using BlockAllocator = uint8_t* (*)(size_t bytes);
uint8_t* allocateZeroedBlock(size_t bytes);   // the default
extern BlockAllocator blockAllocator;

// The register state of a Z80 as any of the machine's cores can give and take
// it. Switching cores moves it whole, so the sound program goes on where it
// was with its registers, flags and interrupt state. Pairs are in Z80 order
// (F, C, E, L in bits 0-7).
struct Z80RegisterState {
    uint16_t af = 0, bc = 0, de = 0, hl = 0;
    uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0;
    uint16_t ix = 0, iy = 0, sp = 0, pc = 0;
    uint8_t i = 0;
    uint8_t r = 0;
    uint8_t iff1 = 0;               // 0 or 1
    uint8_t iff2 = 0;               // 0 or 1
    uint8_t interruptMode = 0;      // 0, 1 or 2
    uint8_t halted = 0;             // 1 from HALT until the halt ends
    uint8_t interruptPending = 0;   // 1 while a requested interrupt waits for IFF1
    uint8_t interruptVector = 0;    // the data-bus byte of that request

    bool operator==(const Z80RegisterState&) const = default;
};

// Swaps the two bytes of every complete pair in place (a trailing odd byte
// stays); applying it twice restores the buffer. Returns 0.
int32_t swapBytePairs(uint8_t* buffer, int32_t length);

class Machine {
public:
    // ==== Fields ================================================================

    // Cartridge banking and I/O port state.
    uint32_t romBankMode = 0;       // 1 while the image is larger than 4 MB
    uint32_t ioControl[6] = {};     // 0xA10009, 0xA1000B, 0xA1000D, 0xA10013, 0xA10019, 0xA1001F
    uint32_t txData[3] = {};        // serial transmit; only the first is reachable (0xA1000F)
    uint32_t rxData[3] = {};        // serial receive; not reachable
    uint32_t extData = 0;           // 0xA10007
    uint8_t tmssBytes[4] = {};      // 0xA14000-0xA14003
    int32_t vCounter = 0;           // V counter of the line being run
    int32_t thLevel[2] = {};        // last TH level written per pad
    int32_t sixButtonCount[2] = {}; // TH 1-to-0 writes since the pad timer ran out
    int32_t linesSinceThWrite[2] = {};

    // Mega-CD graphics: the stamp operation's latches and the font registers.
    StampOperation stampOperation;
    uint8_t fontColour = 0;           // high nibble: colour of 1-bits, low nibble: of 0-bits
    uint16_t fontBits = 0;
    uint8_t fontData[8] = {};         // the expanded pixels, two a byte

    // CPU contexts. The live registers stay inside the cores.
    Cpu68000Context mainContext{};
    Cpu68000Tables mainTables;
    Cpu68000Context subContext{};
    Cpu68000Tables subTables;
    ZetaContext zetaContext{};      // copy of Z80 core 1's record: installs its map, moves its registers
    ZetaCore zetaCore;              // Z80 core 1 ("Zeta v1.0"): its record and run state
    KiteCore kiteCore;              // Z80 core 2 ("Kite v1.0"): its record (map included) and run state

    // Z80 bus control and line state.
    uint32_t z80Bank = 0;           // 9 bits; window 0x8000-0xFFFF shows (z80Bank << 15) + low 15 bits
    uint32_t z80Running = 0;        // 1 while the Z80 runs; 0 after reset and while the 68000 holds its bus
    int32_t hIntCounter = 0;        // lines left to the next H interrupt

    // Sub-objects held by value, constructed in this order.
    Vdp vdp;
    Sn76496 psg;
    PcmChip pcm;
    CdUnit cdUnit;

    // Memory blocks and image state. The image, its banking copy, work RAM,
    // program RAM and word RAM are word-swapped (the 68000 byte at a is the
    // host byte at a XOR 1); Z80 RAM and backup RAM keep natural byte order.
    std::unique_ptr<uint8_t[]> rom;       // cartridge ROM or Mega-CD BIOS; null when none
    std::unique_ptr<uint8_t[]> romCopy;   // full copy of an image above 4 MB; null otherwise
    std::unique_ptr<uint8_t[]> ram;       // 64 KB work RAM
    std::unique_ptr<uint8_t[]> z80Ram;    // 8 KB
    std::unique_ptr<uint8_t[]> prgRam;    // 512 KB Mega-CD program RAM
    std::unique_ptr<uint8_t[]> wordRam;   // 256 KB Mega-CD word RAM (2M mode)
    std::unique_ptr<uint8_t[]> backupRam; // 8 KB Mega-CD backup RAM
    std::unique_ptr<uint8_t[]> wordRamBank0;  // 128 KB each: word RAM in 1M mode
    std::unique_ptr<uint8_t[]> wordRamBank1;
    int32_t line = 0;               // the line being run
    int32_t romSize = 0;            // bytes of the image, 0 when none

    // Mega-CD gate array and sub-CPU requests. The register files hold bus
    // order (a word's high byte at the even offset).
    uint8_t subGateArray[kSubGateArraySize] = {};    // sub side 0xFF8000-0xFF81FF
    uint8_t mainGateArray[kMainGateArraySize] = {};  // main side 0xA12000-0xA1202F
    uint8_t commArea[kCommAreaSize] = {};            // register offsets 0x10-0x2F
    uint16_t commFlags = 0;
    uint16_t hIntVector = 0;
    uint32_t graphicsIrqRequest = 0;  // level 1
    uint32_t cddIrqRequest = 0;       // level 4
    uint32_t cdcIrqRequest = 0;       // level 5
    int32_t subTimer = 0;
    int32_t stopwatch = 0;
    uint32_t wordRamMode = 0;         // bit 0 RET, bit 1 DMNA, bit 2 MODE (1M)
    // Line steps left before a pending graphics interrupt is delivered; kept
    // across resets, like the countdown it belongs to.
    int32_t graphicsIrqDelay = kGraphicsIrqDelayStart;
    // Lines since the last CD data tick: one counter of the program, carried
    // from frame to frame and kept across resets.
    uint32_t cdTickCounter = 0;

    // Options and inputs.
    uint32_t country = kCountryAutodetectStartup;  // 0x00, 0x80, 0xC0, or autodetect (bits 4-11 all set)
    uint32_t hInterrupts = 1;
    uint32_t pads[2] = {kPadsReleased, kPadsReleased};  // active low PadState words
    uint32_t z80Core = kZetaCore;

    // Sound glue and options.
    uint32_t fmAddressLatch[2] = {};  // last address byte written to part 0 and part 1
    uint8_t fmStatus = 0;             // the YM2612 status the CPUs read: bit 0 timer A, bit 1 timer B overflowed
    double fmTimerElapsed[2] = {};    // microseconds counted for timer A and timer B
    uint16_t fmShadow[2][256] = {};   // last data byte per register of part 0 and 1; 0xFFFF never written
    uint32_t psgEnabled = 1;          // each chip's output on when non-zero
    uint32_t fmEnabled = 1;
    uint32_t pcmEnabled = 1;          // heard only in Mega-CD mode
    uint32_t soundMuted = 0;          // all sound off when non-zero
    uint32_t sampleRate = 44100;      // 8000, 11025, 22050 or 44100; reaches the chips by re-initialisation
    uint32_t sound16Bit = 1;

    // Mode, paths and logging.
    uint32_t megaCdMode = 0;                    // 1 while a BIOS is booted
    char biosPaths[3][kBiosPathSize] = {};      // USA, Japan, Europe
    uint32_t gymLogging = 0;                    // 1 while a GYM log is open
    uint32_t gymLogDac = 0;                     // DAC writes (registers 0x2A, 0x2B) logged too
    GymLogger gymLog;                           // the log's stream while logging

    // The 68000 instances, both created by the constructor.
    std::unique_ptr<Cpu68000> mainCpu;
    std::unique_ptr<Cpu68000> subCpu;

    // ==== machine.cpp: construction, destruction, hard reset ====================

    Machine();
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // True once construction has completed. A machine whose construction failed
    // refuses to run frames, load images or reset.
    bool isUsable() const { return constructed; }
    int32_t reset();

    // ==== frame.cpp: frame scheduler =============================================

    int32_t runFrame(const FrameBufferDesc* frame, const SoundFrameDesc* sound);
    int32_t runFrameMegaCd(const FrameBufferDesc* frame, const SoundFrameDesc* sound);
    int32_t renderLine(const FrameBufferDesc* frame);
    int32_t hCounterRaw() const;
    int32_t hCounter() const;

    // ==== main_bus.cpp: main 68000 glue, cartridge map, ROM-and-RAM access ========

    int32_t initMainCpu();
    void freeMainCpuTables();
    int32_t resetMainCpu();
    void interruptMainCpu(int32_t level);
    void runMainCpuTo(uint32_t target);
    int32_t refreshMainCpuContext();
    int32_t buildCartridgeMemoryMap();
    uint32_t readByteRomRam(uint32_t address);
    void writeByteRam(uint32_t address, uint32_t byte);
    uint32_t readWordRomRam(uint32_t address);
    void writeWordRam(uint32_t address, uint32_t word);

    // ==== io_ports.cpp: version register, pads, control bytes (0xA00000-0xA1001F) ==

    uint32_t readByteIo(uint32_t address);
    uint32_t readWordIo(uint32_t address);
    void writeByteIo(uint32_t address, uint32_t byte);
    void writeWordIo(uint32_t address, uint32_t word);
    uint32_t readVersionRegister();
    uint32_t readPadData(int32_t pad) const;
    void writePadTh(int32_t pad, uint32_t byte);

    // ==== vdp_ports.cpp: VDP ports, HV counter, PSG port (0xC00000-0xDFFFFF) ======

    uint32_t readByteVdp(uint32_t address);
    uint32_t readWordVdp(uint32_t address);
    void writeByteVdp(uint32_t address, uint32_t byte);
    void writeWordVdp(uint32_t address, uint32_t word);

    // ==== system_registers.cpp: Z80 control, banks, TMSS (0xA10020-0xBFFFFF) ======

    uint32_t readByteSystem(uint32_t address);
    uint32_t readWordSystem(uint32_t address);
    void writeByteSystem(uint32_t address, uint32_t byte);
    void writeWordSystem(uint32_t address, uint32_t word);
    void writeBankRegister(uint32_t address, uint32_t bank);

    // ==== z80_bus.cpp: the Z80's address space and ports ============================

    uint32_t z80Read(uint32_t address);
    void z80Write(uint32_t address, uint32_t byte);
    uint32_t z80ReadPort(uint32_t port);
    void z80WritePort(uint32_t port, uint32_t byte);

    // ==== z80_router.cpp: Z80 core router ===========================================

    // Installs the Z80 bus into the cores and resets them; core 1 selected.
    int32_t initZ80Cores();
    // Resets both cores, whichever is selected.
    void resetZ80();
    // The frame's interrupt, to the selected core.
    void interruptZ80();
    // One slice of `cycles` on the selected core while the Z80 runs. A slice
    // that counted more than `cycles` is paid back by shortening the next.
    void runZ80(int32_t cycles);
    // Selects core 1 or 2, moving the whole register state to it. Returns 0;
    // any other core number, or the core already selected, changes nothing.
    int32_t selectZ80Core(uint32_t core);
    // The register state of core 1 or 2. False (and nothing read or changed)
    // for a core the machine does not have. Loading also clears what the core
    // owed from slices it ran before, as it takes the program over.
    bool saveZ80State(uint32_t core, Z80RegisterState& state);
    bool loadZ80State(uint32_t core, const Z80RegisterState& state);

    // ==== rom_loading.cpp: cartridge images ============================================

    int32_t loadRomFile(const char* path);
    // Loads the entry of the archive; on success the entry's stored name
    // replaces the archive path in the caller's buffer (cut to fit).
    int32_t loadRomFromZip(char* archivePath, size_t archivePathSize, const char* entryName);
    int32_t startLoadedImage();
    int32_t freeRom();
    // Bytes of the image as it is swapped: romSize rounded up to even, so an odd
    // image's last byte is paired with the zero pad byte behind it.
    int32_t swappedImageLength() const;
    // Boots the Mega-CD with the BIOS of the country setting (in autodetect,
    // of the disc's region). 0, or 1 with cartridge mode set when the BIOS
    // cannot be loaded.
    int32_t bootMegaCd();
    // Opens a disc image in place of any open one and boots the Mega-CD. 0
    // whatever the boot gives, or 1 with "Couldn't load" when the file cannot
    // be opened.
    int32_t loadCdImage(const char* path);

    // ==== rom_info.cpp ======================================================================

    void showRomInfo();

    // ==== backup_ram.cpp ====================================================================

    int32_t saveBackupRam(const char* path);
    int32_t loadBackupRam(const char* path);

    // ==== sound_glue.cpp: sound chips, YM2612 ports and timers, per-line mixing =========

    // Starts the YM2612 at the sample rate and replays its shadowed registers,
    // then the PSG and the PCM chip. 0, or 1 when the YM2612 cannot start (a
    // chip array not shut down first, or no memory); the PSG and PCM are then
    // left as they were. The YM2612 is one per process: a chip that another
    // machine started is taken over. Every re-initialisation is shutdownFm
    // followed by this.
    int32_t initSoundChips();
    // Frees the YM2612 this machine started. Returns 0.
    int32_t shutdownFm();
    // Writes every register of the shadow to the YM2612, each F-number after
    // its own channel's latch. Returns 0.
    int32_t replayFmRegisters();
    // The YM2612 port write of the Z80 (0x4000-0x5FFF) and of the 68000
    // (0xA04000-0xA05FFF): address bits 0-1 select the port.
    void writeFm(uint32_t address, uint32_t value);
    // The status at even addresses, 0 at odd ones.
    uint32_t readFm(uint32_t address);
    // Once per scan line, before the CPUs run: both timers advance one line.
    void tickFmTimers();
    // The timers' periods in microseconds from the shadowed registers.
    double fmTimerAPeriod() const;
    double fmTimerBPeriod() const;
    // Renders the samples [first, end) of the frame's buffers. Returns 0.
    int32_t mixSound(const SoundFrameDesc* sound, uint32_t first, uint32_t end);

    // ==== megacd/sub_cpu.cpp: sub 68000 glue, its map, per-line step, timers ===========

    // Builds the sub 68000's tables and hands them to its core. 0, or 1 when
    // the core cannot start ("Sub 68000 couldn't initialize").
    int32_t initSubCpu();
    void freeSubCpuTables();
    void resetSubCpu();
    // Autovectored (24 + level).
    void interruptSubCpu(int32_t level);
    // One line of the sub 68000 up to `target` cycles of the frame: the
    // reset hold, the level-2 and graphics requests, then its run unless the
    // main CPU holds its bus.
    void stepSubCpuTo(uint32_t target);
    // The level-3 timer and the stopwatch, once per line.
    void tickMegaCdTimers();
    // The CD data tick, counted at the start of every Mega-CD line: on every
    // 210th line the pending level-5 request is delivered (when the mask lets
    // it) and then the sector that is due is read.
    void tickCdData();
    // At the end of a Mega-CD frame: the pending level-4 (CD drive) request.
    void deliverCddInterrupt();
    int32_t buildSubMemoryMap();
    void mapSubWordRam2M();
    void mapSubWordRam1M();

    // ==== megacd/sub_peripheral.cpp: backup RAM and PCM on the sub bus ===================

    uint32_t readByteSubPeripheral(uint32_t address);
    uint32_t readWordSubPeripheral(uint32_t address);
    void writeByteSubPeripheral(uint32_t address, uint32_t byte);
    void writeWordSubPeripheral(uint32_t address, uint32_t word);

    // ==== megacd/gate_array.cpp: gate-array registers of both sides ======================

    // The side is told by the address: 0xA12000-0xA1202F main, 0xFF8000-0xFF81FF sub.
    uint32_t readByteGateArray(uint32_t address);
    uint32_t readWordGateArray(uint32_t address);
    void writeByteGateArray(uint32_t address, uint32_t byte);
    void writeWordGateArray(uint32_t address, uint32_t word);

    // ==== megacd/word_ram.cpp: word-RAM handshake, map switches, 1M access ===============

    // The memory-mode bits written by each side (value AND 7).
    void mainMemoryModeWrite(uint32_t bits);
    void subMemoryModeWrite(uint32_t bits);
    void mapMainWordRam2M();
    void mapMainWordRamHandled();
    void mapWordRam1MBank0Main();
    void mapWordRam1MBank1Main();
    // Word RAM as either CPU sees it through the 1M callbacks; the address
    // tells the CPU. VDP DMA reads the main range through readByteWordRam
    // in either mode.
    uint32_t readByteWordRam(uint32_t address);
    uint32_t readWordWordRam(uint32_t address);
    void writeByteWordRam(uint32_t address, uint32_t byte);
    void writeWordWordRam(uint32_t address, uint32_t word);

    // ==== megacd/main_map.cpp: the main 68000's Mega-CD map and program-RAM window =======

    int32_t buildMegaCdMemoryMap();
    // Bank 0-3 of program RAM for instruction fetch at 0x020000-0x03FFFF.
    void mapMainPrgRamBank(uint32_t bank);
    uint32_t readBytePrgRam(uint32_t address);
    uint32_t readWordPrgRam(uint32_t address);
    void writeBytePrgRam(uint32_t address, uint32_t byte);
    void writeWordPrgRam(uint32_t address, uint32_t word);

    // ==== megacd/stamp_renderer.cpp, megacd/font_register.cpp: Mega-CD graphics ======

    // The whole stamp operation, run on the sub CPU's word write of the trace
    // table register; requests the graphics interrupt when done.
    void runStampOperation();
    void latchStampRegisters();
    // One pixel of the stamp the map word names, at map position (px, py),
    // into the image buffer at column x of line y, by the write mode.
    void drawStampPixel16(uint32_t mapWord, uint32_t px, uint32_t py, uint32_t x, uint32_t y);
    void drawStampPixel32(uint32_t mapWord, uint32_t px, uint32_t py, uint32_t x, uint32_t y);
    // Run on the sub CPU's word write of the font bits.
    void expandFontBits();

    // ==== gym_log.cpp: the GYM music log ===============================================

    // Creates the log file (an open log is stopped first). 0, or 1 with the
    // error box when the file cannot be created.
    int32_t startGymLog(const char* path);
    // Writes a last end-of-frame record and closes the log. 1 when no log runs.
    int32_t stopGymLog();
    // The records, written while the log's file is open. Callers check
    // gymLogging (and the DAC filter) first.
    void gymWriteFrameEnd();
    void gymWriteFm(uint32_t part, uint32_t reg, uint32_t value);
    void gymWritePsg(uint32_t byte);

    // ==== persistence/save_state.cpp (library vimo_persistence): GST save states ======

    // Writes the main 68000's registers, the VDP registers, CRAM, VSRAM, Z80
    // RAM, work RAM and VRAM to a file opened "wb". 0, or 1 with the error box
    // when a write fails.
    int32_t saveState(std::FILE* file);
    // Reads them back from a file opened "rb" and rebuilds the palette. The
    // whole file is read before anything is applied: 0, or 1 with the error
    // box and the machine untouched when the file is short or unreadable.
    int32_t loadState(std::FILE* file);

    // ==== persistence/memory_dumps.cpp (library vimo_persistence): dumps ==============

    // Each writes one memory to its fixed file name in the current directory
    // ("rom_dump", "ram_dump", ...) and returns 0. A file that cannot be
    // created is skipped; a memory that is not there gives an empty file. The
    // memories themselves are never changed.
    int32_t dumpRom();
    int32_t dumpRam();
    int32_t dumpZ80Ram();
    int32_t dumpVram();
    int32_t dumpCram();
    int32_t dumpVsram();
    int32_t dumpProgramRam();
    int32_t dumpWordRam();
    int32_t dumpPcmRam();
    int32_t dumpBackupRam();
    // "regs.txt": the main and sub gate-array register copies, one per line.
    int32_t dumpRegisters();

private:
    // megacd/stamp_renderer.cpp
    uint8_t& wordRamByte(uint32_t offset);   // 68000 byte offset, wrapped into word RAM
    uint32_t wordRamWord(uint32_t offset);
    static uint32_t stepPosition(uint32_t position, uint32_t delta);
    uint32_t stampMapWord(uint32_t px, uint32_t py);
    void drawStampPixel(uint32_t mapWord, uint32_t n, uint32_t stampBase, uint32_t px, uint32_t py, uint32_t x,
                        uint32_t y);

    // machine.cpp
    int32_t allocateMemories();
    int32_t initChips();

    // rom_loading.cpp
    int32_t takeImage(std::unique_ptr<uint8_t[]> image, int32_t size);
    int32_t padBiosImage();

    // sound_glue.cpp
    void replayFmRegister(uint32_t part, uint32_t reg);

    // frame.cpp: the frame of either mode; the Mega-CD frame adds the sub
    // 68000 and the Mega-CD timers to every line.
    int32_t runFrameLines(const FrameBufferDesc* frame, const SoundFrameDesc* sound, bool megaCd);

    // megacd/sub_cpu.cpp
    void refreshSubCpuContext();

    // megacd/gate_array.cpp: one side each; offsets inside the register file.
    uint32_t readByteMainGateArray(uint32_t offset);
    uint32_t readWordMainGateArray(uint32_t offset);
    void writeByteMainGateArray(uint32_t offset, uint32_t byte);
    void writeWordMainGateArray(uint32_t offset, uint32_t word);
    uint32_t readByteSubGateArray(uint32_t offset);
    uint32_t readWordSubGateArray(uint32_t offset);
    void writeByteSubGateArray(uint32_t offset, uint32_t byte);
    void writeWordSubGateArray(uint32_t offset, uint32_t word);
    uint32_t memoryModeRegister(uint8_t stored) const;

    // megacd/word_ram.cpp: in 1M mode, the main CPU fetches from the bank its
    // data accesses use (and the sub CPU from the other).
    void mapWordRam1MByRet();
    void mapWordRam1MBanks(uint8_t* mainBank, uint8_t* subBank);   // fetch entries of both CPUs
    uint8_t* mainWordRamBank() const;
    uint8_t* subWordRamBank() const;

    bool constructed = false;
};

// The one machine, through which the bus callbacks of the CPU cores reach it.
// Set by the constructor as its very last step, cleared by the destructor.
extern Machine* globalMachine;

// ---- main_bus.cpp: bus callbacks of the main 68000's memory maps -----------------
// Each ignores its region record and forwards to the member of the same range on
// the global machine.
uint32_t mainReadByteIo(uint32_t address, const DataRegion* region);
uint32_t mainReadWordIo(uint32_t address, const DataRegion* region);
void mainWriteByteIo(uint32_t address, uint32_t data, const DataRegion* region);
void mainWriteWordIo(uint32_t address, uint32_t data, const DataRegion* region);
uint32_t mainReadByteSystem(uint32_t address, const DataRegion* region);
uint32_t mainReadWordSystem(uint32_t address, const DataRegion* region);
void mainWriteByteSystem(uint32_t address, uint32_t data, const DataRegion* region);
void mainWriteWordSystem(uint32_t address, uint32_t data, const DataRegion* region);
uint32_t mainReadByteVdp(uint32_t address, const DataRegion* region);
uint32_t mainReadWordVdp(uint32_t address, const DataRegion* region);
void mainWriteByteVdp(uint32_t address, uint32_t data, const DataRegion* region);
void mainWriteWordVdp(uint32_t address, uint32_t data, const DataRegion* region);

// ---- z80_bus.cpp: bus callbacks of the Z80 cores --------------------------------------
// Core 1's memory and port handlers. Each ignores its range record and
// forwards to the Z80 bus of the global machine.
uint32_t z80ReadMemoryZeta(uint32_t address, const Z80MemRange* range);
void z80WriteMemoryZeta(uint32_t address, uint32_t value, const Z80MemRange* range);
uint32_t z80ReadPortZeta(uint32_t port, const Z80PortRange* range);
void z80WritePortZeta(uint32_t port, uint32_t value, const Z80PortRange* range);
// Core 2's memory and port handlers, forwarding the same way. The port is the
// 16-bit address the instruction puts on the bus.
uint32_t z80ReadMemoryKite(uint32_t address);
void z80WriteMemoryKite(uint32_t address, uint32_t value);
uint32_t z80ReadPortKite(uint32_t port);
void z80WritePortKite(uint32_t port, uint32_t value);

// ---- rom_loading.cpp: image files ---------------------------------------------------

// An image buffer of `size` bytes with zeroed padding behind it, so that the
// reset vectors, a word at an odd image end and the byte swap of an odd image
// all stay inside the allocation. Null when the memory is not there.
std::unique_ptr<uint8_t[]> allocateImage(size_t size);
constexpr size_t kImagePadding = 16;

// True for a path that names a regular file: loaders refuse folders, devices
// and the empty path before they open anything (a folder opens as a file on
// some hosts and reads as nothing, or as an absurd size).
bool isRegularFile(const char* path);
// Reads a raw or SMD cartridge file (at most 5 MB). 0 on success, 1 on failure;
// the outputs change only on success.
int32_t loadRomImage(const char* path, std::unique_ptr<uint8_t[]>& image, int32_t& size);
// Converts an SMD image in place: drops the 512-byte header and the trailing
// partial block and de-interleaves each 16 KB block. 0, or -1 when the scratch
// block cannot be had (image and size unchanged).
int32_t deinterleaveSmd(uint8_t* image, int32_t& size);
// Reads a whole file into a new buffer. 0, or 1 when it cannot be opened
// (size 0) or read.
int32_t loadWholeFile(const char* path, std::unique_ptr<uint8_t[]>& buffer, int32_t& size);
// True when the text ends in the suffix, compared ignoring case.
bool endsWithIgnoringCase(const char* text, const char* suffix);

}  // namespace vimo
