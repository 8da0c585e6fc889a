// The stamp renderer. The whole operation runs inside the sub CPU's word write
// that starts it and then requests the graphics interrupt.
//
// Every word-RAM offset the renderer forms wraps inside the 256 KB block, as
// the address bus would, so no register value can reach past it. Positions
// are unsigned and wrap: a trace vector may run anywhere.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kWordRamMask = kWordRamSize - 1;
constexpr uint32_t kPositionMask = 0x1FFF;   // 13-bit map positions
constexpr uint32_t kDeltaSign = 0x8000;

// Stamp numbers: bits 0-10 for 16x16 stamps (128 bytes each), bits 2-10 for
// 32x32 stamps (512 bytes each).
constexpr uint32_t kStampNumber16 = 0x7FF;
constexpr uint32_t kStampNumber32 = 0x7FC;
constexpr uint32_t kStampBytesPerNumber = 128;

}  // namespace

uint8_t& Machine::wordRamByte(uint32_t offset) {
    return wordRam[(offset & kWordRamMask) ^ 1];
}

uint32_t Machine::wordRamWord(uint32_t offset) {
    return (static_cast<uint32_t>(wordRamByte(offset)) << 8) | wordRamByte(offset + 1);
}

void Machine::latchStampRegisters() {
    const uint32_t size = subGateArray[kGaStampSize + 1];
    stampOperation.repeat = size & 1;
    stampOperation.stampSize32 = (size >> 1) & 1;
    stampOperation.mapSize4096 = (size >> 2) & 1;
    stampOperation.stampMapBase = storedWord(subGateArray, kGaStampMap) * 4;
    stampOperation.imageCellHeight = (subGateArray[kGaImageHeight + 1] & 31) + 1;
    stampOperation.imageBufferBase = storedWord(subGateArray, kGaImageBuffer) * 4;
    stampOperation.imageOffset = storedWord(subGateArray, kGaImageOffset);
    stampOperation.hDots = storedWord(subGateArray, kGaImageHDots);
    stampOperation.vDots = storedWord(subGateArray, kGaImageVDots);
    stampOperation.traceTableAddress = storedWord(subGateArray, kGaTraceTable) * 4;
    stampOperation.writeMode = static_cast<StampWriteMode>((subGateArray[kGaMemoryMode] >> 3) & 3);
}

void Machine::runStampOperation() {
    latchStampRegisters();
    StampOperation& op = stampOperation;
    uint32_t y = op.imageOffset >> 3;
    for (; op.vDots > 0; --op.vDots, ++y) {
        const uint32_t entry = op.traceTableAddress;
        op.traceTableAddress += 8;
        uint32_t positionX = wordRamWord(entry) << 8;
        uint32_t positionY = wordRamWord(entry + 2) << 8;
        const uint32_t deltaX = wordRamWord(entry + 4);
        const uint32_t deltaY = wordRamWord(entry + 6);
        uint32_t x = op.imageOffset & 7;
        for (uint32_t dot = 0; dot < op.hDots; ++dot, ++x) {
            const uint32_t px = (positionX >> 11) & kPositionMask;
            const uint32_t py = (positionY >> 11) & kPositionMask;
            const uint32_t mapWord = stampMapWord(px, py);
            if (op.stampSize32 != 0)
                drawStampPixel32(mapWord, px, py, x, y);
            else
                drawStampPixel16(mapWord, px, py, x, y);
            positionX = stepPosition(positionX, deltaX);
            positionY = stepPosition(positionY, deltaY);
        }
    }
    // Nothing is left to draw: the register reads 0 until the next operation.
    storeWord(subGateArray, kGaImageVDots, 0);
    graphicsIrqRequest = 1;
}

// Deltas are sign and magnitude: bit 15 set moves backwards.
uint32_t Machine::stepPosition(uint32_t position, uint32_t delta) {
    const uint32_t magnitude = delta & ~kDeltaSign;
    return (delta & kDeltaSign) != 0 ? position - magnitude : position + magnitude;
}

// With repeat set the map is a torus; without it everything outside the map
// is map word 0. Either way a position never runs into the next map row.
uint32_t Machine::stampMapWord(uint32_t px, uint32_t py) {
    const uint32_t mapDots = stampOperation.mapSize4096 != 0 ? 4096 : 256;
    if (stampOperation.repeat != 0) {
        px &= mapDots - 1;
        py &= mapDots - 1;
    } else if (px >= mapDots || py >= mapDots) {
        return 0;
    }
    const uint32_t shift = stampOperation.stampSize32 != 0 ? 5 : 4;
    const uint32_t stampsPerRow = mapDots >> shift;
    return wordRamWord(stampOperation.stampMapBase + ((py >> shift) * stampsPerRow + (px >> shift)) * 2);
}

void Machine::drawStampPixel16(uint32_t mapWord, uint32_t px, uint32_t py, uint32_t x, uint32_t y) {
    drawStampPixel(mapWord, 16, (mapWord & kStampNumber16) * kStampBytesPerNumber, px, py, x, y);
}

void Machine::drawStampPixel32(uint32_t mapWord, uint32_t px, uint32_t py, uint32_t x, uint32_t y) {
    drawStampPixel(mapWord, 32, (mapWord & kStampNumber32) * kStampBytesPerNumber, px, py, x, y);
}

// Orientation (map word bits 13-15) turns the position inside the stamp;
// stamps and the image buffer are both stored in columns 8 pixels wide, each
// row of a column 4 bytes, the even pixel in the high nibble.
void Machine::drawStampPixel(uint32_t mapWord, uint32_t n, uint32_t stampBase, uint32_t px, uint32_t py,
                             uint32_t x, uint32_t y) {
    const uint32_t sx = px % n, sy = py % n, last = n - 1;
    uint32_t tx = sx, ty = sy;
    switch (mapWord >> 13) {
        case 0: tx = sx;        ty = sy;        break;
        case 1: tx = sy;        ty = sx;        break;
        case 2: tx = last - sx; ty = last - sy; break;
        case 3: tx = last - sy; ty = last - sx; break;
        case 4: tx = last - sx; ty = sy;        break;
        case 5: tx = sy;        ty = last - sx; break;
        case 6: tx = sx;        ty = last - sy; break;
        default: tx = last - sy; ty = sx;       break;
    }
    const uint32_t column = (tx / 8) * n * 4;
    const uint8_t stampByte = wordRamByte(stampBase + column + ty * 4 + (tx & 7) / 2);
    const uint32_t source = (tx & 1) != 0 ? stampByte & 0x0F : stampByte >> 4;

    const StampOperation& op = stampOperation;
    uint8_t& target = wordRamByte(op.imageBufferBase + (y + op.imageCellHeight * 8 * (x / 8)) * 4 + ((x / 2) & 3));
    const uint32_t shift = (x & 1) != 0 ? 0 : 4;
    const uint32_t current = (target >> shift) & 0x0F;
    bool write = false;
    switch (op.writeMode) {
        case StampWriteMode::overwrite: write = true; break;
        case StampWriteMode::underwrite: write = current == 0; break;
        case StampWriteMode::nonZeroOnly: write = source != 0; break;
        case StampWriteMode::none: break;
    }
    if (write) target = static_cast<uint8_t>((target & ~(0x0F << shift)) | (source << shift));
}

}  // namespace vimo
