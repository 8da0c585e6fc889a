// The video display processor: its three memories, 24 registers, the data
// and control port protocol, DMA, the status word, and the line renderer that
// draws one shown line at a time straight into the host's 16-bit surface.
//
// This header is the map of the chip. Members are grouped by the file that
// defines them. The machine's port decoders, frame scheduler, save states and
// dumps reach the public fields directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vdp/frame_buffer.h"

namespace vimo {

class Machine;

constexpr uint32_t kVramSize = 0x10000;  // bytes
constexpr uint32_t kCramSize = 0x80;     // bytes addressed (64 colour words)
constexpr uint32_t kVsramSize = 0x80;    // bytes addressed (64 words)
constexpr uint32_t kVdpRegisterCount = 24;
constexpr uint32_t kPaletteSize = 64;
constexpr uint32_t kSpriteListSize = 256;
constexpr int32_t kShownLines = 224;

// Status word bits.
constexpr uint32_t kStatusPal = 0x001;
constexpr uint32_t kStatusHBlank = 0x004;
constexpr uint32_t kStatusVBlank = 0x008;
constexpr uint32_t kStatusOddFrame = 0x010;
constexpr uint32_t kStatusVIntPending = 0x080;
constexpr uint32_t kStatusWordReadToggle = 0x100;
constexpr uint32_t kStatusHighByteReadToggle = 0x200;

// Access codes: four times the 5-bit code CD4..CD0.
constexpr uint32_t kAccessVramRead = 0;
constexpr uint32_t kAccessVramWrite = 4;
constexpr uint32_t kAccessCramWrite = 12;
constexpr uint32_t kAccessVsramRead = 16;
constexpr uint32_t kAccessVsramWrite = 20;
constexpr uint32_t kAccessCramRead = 32;

// DMA modes (register 23 >> 6).
constexpr uint32_t kDmaModeFill = 2;
constexpr uint32_t kDmaModeCopy = 3;

// Pixel formats of the converted palette.
constexpr uint32_t kPixelFormatRgb555 = 15;
constexpr uint32_t kPixelFormatRgb565 = 16;

// The four memory pointers handed out by getMemories.
struct VdpMemoryView {
    uint8_t* vram;
    uint8_t* cram;
    uint8_t* vsram;
    uint8_t* registers;
};

// Source of 68000-to-VDP DMA words: returns the big-endian word at the 68000
// byte address. The machine installs its ROM-and-RAM reader here when it sets
// the back-pointer; a Vdp on its own (tests) can install any reader.
using VdpDmaReadWord = uint32_t (*)(void* context, uint32_t address);

class Vdp {
public:
    // ---- vdp.cpp: construction, reset, memories ----------------------
    Vdp();
    ~Vdp();
    Vdp(const Vdp&) = delete;
    Vdp& operator=(const Vdp&) = delete;

    void reset();
    int32_t getMemories(VdpMemoryView* view);
    int32_t writeVram(uint32_t address, uint32_t word);
    int32_t writeCram(uint32_t address, uint8_t byte);
    int32_t writeVsram(uint32_t address, uint8_t byte);

    // ---- ports.cpp: data and control ports, command decode -----------
    int32_t writeDataWord(uint32_t word);
    uint8_t readDataByte();
    uint16_t readDataWord();
    int32_t dataPortByte(uint32_t value);
    int32_t dataPortWord(uint32_t value);
    int32_t controlPortWord(uint32_t word);  // the two-word command protocol
    void writeRegister(uint32_t index, uint8_t value);  // indices past 23 are ignored
    int32_t executeCommand();

    // ---- dma.cpp: the three DMA kinds --------------------------------
    uint32_t dmaLength() const;
    uint32_t dmaSource() const;
    void fillVramByte(uint8_t value);
    void fillVramWord(uint32_t value);
    void transferFrom68000();
    void copyVram();

    // ---- palette.cpp: CRAM colours to host pixels --------------------
    void convertPalette();
    void convertPaletteEntry(uint32_t entry);
    void setPixelFormat(uint32_t format);  // stores the format and rebuilds the palette

    // ---- renderer.cpp: the line entry points and layer order ---------
    // The frame scheduler draws each shown line by fillBackground, then
    // drawLayers (renderLine does both). Nothing is drawn for a null frame,
    // a null pixel pointer, a surface smaller than 336 x 240 16-bit pixels,
    // or a line outside 0-223. The tile rows themselves are drawn by
    // render::drawTileRow (tile_row.h).
    void renderLine(const FrameBufferDesc* frame, int32_t line);
    void fillBackground(const FrameBufferDesc* frame, int32_t line);
    void drawLayers(const FrameBufferDesc* frame, int32_t line);

    // ---- sprites.cpp ---------------------------------------------------
    // Walks the link chain from sprite 0 into spriteList and spriteCount (at
    // most 256 sprites) and notes which listed sprites cross the line.
    void buildSpriteList(int32_t line);

    // ---- fields (order as the machine's other parts know them) --------
    uint8_t* vram = nullptr;   // 64 KB, high byte of each word at the even address
    uint8_t* cram = nullptr;   // 128 bytes: 64 colour words ----bbb-ggg-rrr-, high byte first
    uint8_t* vsram = nullptr;  // 128 bytes: words 0 and 1 scroll planes A and B vertically
    uint8_t regs[kVdpRegisterCount] = {};
    uint32_t status = 0;
    uint32_t command = 0;         // first control word in bits 16-31, second in bits 0-15
    uint32_t commandPending = 0;  // 1 after the first half of a command
    uint32_t accessCode = 0;
    uint32_t address = 0;         // grows by register 15; each access reduces it into its memory
    uint32_t dmaMode = 0;         // 0/1 68000 transfer, 2 fill armed, 3 copy
    uint32_t pixelFormat = kPixelFormatRgb565;
    uint32_t showSprites = 1;
    uint32_t showWindow = 1;
    uint32_t showPlaneA = 1;
    uint32_t showPlaneB = 1;
    Machine* machine = nullptr;   // owner, set by the Machine constructor
    uint32_t palette[kPaletteSize] = {};  // converted colours, pixel in the low 16 bits
    uint8_t spriteList[kSpriteListSize] = {};
    uint32_t spriteCount = 0;

    // DMA source reader and its context (the machine sets both with `machine`).
    VdpDmaReadWord dmaReadWord = nullptr;
    void* dmaReadContext = nullptr;

private:
    // ---- renderer.cpp ------------------------------------------------
    bool frameUsable(const FrameBufferDesc* frame, int32_t line) const;
    void setRenderLine(const FrameBufferDesc* frame, int32_t line);
    void refreshPaletteFormat();
    uint16_t backgroundPixel() const;
    void mergePriorities();
    void writeLineColours();
    void refillNarrowBorders();

    // ---- planes.cpp ----------------------------------------------------
    void drawPlaneA(int32_t line);
    void drawPlaneB(int32_t line);

    // ---- window.cpp ----------------------------------------------------
    void drawWindow(int32_t line);
    bool lineInWindowBand(int32_t line) const;

    // ---- sprites.cpp ---------------------------------------------------
    void drawSprites(int32_t line);
    bool spriteTableUnchanged() const;
    void copySpriteTable(uint8_t* destination, uint32_t length) const;
    void walkSpriteChain();
    void sortIntoBands();

    // Surface byte address of pixel x = 0 of the line being drawn; set by
    // fillBackground and drawLayers.
    uint8_t* renderLinePtr = nullptr;
    // The line fillBackground last laid and the pixel it used: drawLayers
    // leaves exactly those pixels where no layer draws.
    uint8_t* backgroundLinePtr = nullptr;
    uint16_t backgroundLaid = 0;

    // The pixel format the palette was last converted for: a pixelFormat
    // field changed directly by the host rebuilds the palette before the
    // next drawing or CRAM write.
    uint32_t paletteFormat = kPixelFormatRgb565;

    // The layers of a line are composed as colour indices (palette line * 16
    // + colour), one byte per pixel from x = -8 on, 0 where nothing is drawn
    // (a drawn colour is never 0 in its low nibble). Cells of priority 0 and
    // 1 go to separate rows, each in drawing order (plane B, plane A,
    // window, sprites), and the line shows the priority-1 pixel wherever
    // there is one: the same picture as drawing every low-priority layer and
    // then every high-priority layer over it. Drawers write whole 8-pixel
    // rows, so each row has room for a cell starting at x = 319. The two
    // rows lie one after the other in one array: drawers reach the
    // priority-1 row by adding kLineBufferSize to a priority-0 position,
    // which has to stay inside a single array object.
    static constexpr int32_t kLineOrigin = 8;
    static constexpr size_t kLineBufferSize = 352;
    uint8_t layerColours[2 * kLineBufferSize] = {};

    // The sprite chain as last walked, decoded, by position in spriteList,
    // with a copy of the attribute bytes it was read from (sprites 0 to the
    // highest listed) and the registers that shape it: while they are all
    // unchanged a new walk would give the same list, so it is reused.
    struct ListedSprite {
        int32_t top;       // first line
        int32_t left;      // x of the leftmost cell
        uint32_t widthCells;
        uint32_t heightCells;
        uint32_t pattern;
    };
    ListedSprite listed[kSpriteListSize] = {};
    // The lines each listed sprite covers, first and last; a sprite that no
    // column of can land in -8 < x < 320 covers none.
    int32_t listedFirstLine[kSpriteListSize] = {};
    int32_t listedLastLine[kSpriteListSize] = {};
    // For each band of 8 shown lines, the list positions of the sprites
    // that cover a line of it, in list order: band b's are bandSprites
    // [bandStart[b], bandStart[b + 1]). A sprite covers at most 32 lines,
    // so at most 5 bands.
    static constexpr uint32_t kBands = kShownLines / 8;
    uint16_t bandStart[kBands + 1] = {};
    uint8_t bandSprites[kSpriteListSize * 5] = {};
    uint8_t spriteTableCopy[kSpriteListSize * 8] = {};
    uint32_t spriteTableCopyLength = 0;  // 0: no walk made yet
    uint32_t spriteTableBase = 0;
    uint8_t spriteTableMode = 0;         // register 12 bits 0-1 of the walk

    // Positions in spriteList of the sprites that cross the line being
    // drawn, in list order; gathered by buildSpriteList.
    uint8_t lineSprites[kSpriteListSize] = {};
    uint32_t lineSpriteCount = 0;
};

}  // namespace vimo
