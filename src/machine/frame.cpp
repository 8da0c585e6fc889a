// The frame scheduler: one video frame of 262 lines, in each of which the
// 68000, the Z80 and the sound advance by fixed amounts, interrupts are raised
// at fixed points, a shown line is drawn and the line's share of the frame's
// samples is mixed. The per-line order below is the whole timing model.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint8_t kRegister0HIntEnable = 0x10;
constexpr uint8_t kRegister1VIntEnable = 0x20;
constexpr uint8_t kRegister12Interlace = 0x02;
constexpr int32_t kVCounterJumpLine = 235;
constexpr int32_t kVCounterAfterJump = 0xE5;  // incremented to 0xE6 for line 236

// The end of line `line`'s share of the frame's n samples.
uint32_t sampleSpanEnd(int32_t line, uint32_t samplesPerFrame) {
    const uint64_t end =
        (static_cast<uint64_t>(line) + 1) * samplesPerFrame / static_cast<uint64_t>(kLinesPerFrame);
    return end < samplesPerFrame ? static_cast<uint32_t>(end) : samplesPerFrame;
}

}  // namespace

int32_t Machine::runFrame(const FrameBufferDesc* frame, const SoundFrameDesc* sound) {
    if (!constructed) return 1;
    if (megaCdMode != 0) {
        runFrameMegaCd(frame, sound);
        return 0;
    }
    return runFrameLines(frame, sound, false);
}

// The cartridge frame plus, on every line, the CD data tick (first), the
// Mega-CD timers and a line of the sub 68000 (run right after the main
// 68000's line, before the Z80); and at its end the CD drive's interrupt.
int32_t Machine::runFrameMegaCd(const FrameBufferDesc* frame, const SoundFrameDesc* sound) {
    if (!constructed) return 1;
    return runFrameLines(frame, sound, true);
}

int32_t Machine::runFrameLines(const FrameBufferDesc* frame, const SoundFrameDesc* sound, bool megaCd) {
    // A surface whose lock failed has no pixels: the frame runs undrawn.
    if (frame != nullptr && frame->pixels == nullptr) frame = nullptr;

    mainCpu->tripOdometer();
    if (megaCd) subCpu->tripOdometer();
    uint32_t subTarget = 0;
    vCounter = 0;
    hIntCounter = vdp.regs[10];
    if (gymLogging != 0) gymWriteFrameEnd();
    uint32_t hBlankTarget = kHBlankCycles;
    uint32_t lineEndTarget = 0;
    uint32_t firstUnmixed = 0;

    auto mixLine = [&] {
        if (sound == nullptr) return;
        const uint32_t end = sampleSpanEnd(line, sound->samplesPerFrame);
        mixSound(sound, firstUnmixed, end);
        firstUnmixed = end;
    };

    auto stepSubCpu = [&] {
        if (!megaCd) return;
        subTarget += kSubCyclesPerLine;
        stepSubCpuTo(subTarget);
    };

    for (line = 0; line < kVisibleLines; ++line) {
        if (megaCd) tickCdData();
        tickFmTimers();
        if (megaCd) tickMegaCdTimers();

        if (--hIntCounter < 0) {
            if ((vdp.regs[0] & kRegister0HIntEnable) != 0 && hInterrupts != 0) interruptMainCpu(4);
            hIntCounter = vdp.regs[10];
        }

        if (frame != nullptr) renderLine(frame);

        vdp.status |= kStatusHBlank;
        runMainCpuTo(hBlankTarget);
        lineEndTarget += kMainCyclesPerLine;
        hBlankTarget += kMainCyclesPerLine;
        vdp.status &= ~kStatusHBlank;
        runMainCpuTo(lineEndTarget);
        stepSubCpu();

        runZ80(kZ80CyclesPerLine);

        ++vCounter;

        for (int32_t pad = 0; pad < 2; ++pad) {
            if (linesSinceThWrite[pad] <= kPadTimeoutLines)
                ++linesSinceThWrite[pad];
            else
                sixButtonCount[pad] = 0;
        }

        mixLine();
    }

    vdp.status |= kStatusVBlank;
    if ((vdp.regs[1] & kRegister1VIntEnable) != 0) {
        interruptMainCpu(6);
        vdp.status |= kStatusVIntPending;
    }
    interruptZ80();

    for (; line < kLinesPerFrame; ++line) {
        if (megaCd) tickCdData();
        tickFmTimers();
        if (megaCd) tickMegaCdTimers();
        lineEndTarget += kMainCyclesPerLine;
        runMainCpuTo(lineEndTarget);
        stepSubCpu();
        runZ80(kZ80CyclesPerLine);
        if (line == kVCounterJumpLine) vCounter = kVCounterAfterJump;
        ++vCounter;
        mixLine();
    }

    vdp.status &= ~(kStatusVBlank | kStatusVIntPending);
    if ((vdp.regs[12] & kRegister12Interlace) != 0) vdp.status ^= kStatusOddFrame;
    if (megaCd) deliverCddInterrupt();
    return 0;
}

int32_t Machine::renderLine(const FrameBufferDesc* frame) {
    if (frame == nullptr || frame->pixels == nullptr) return 0;
    if (line < 0 || line >= kVisibleLines) return 0;
    vdp.fillBackground(frame, line);
    vdp.drawLayers(frame, line);
    return 0;
}

int32_t Machine::hCounterRaw() const {
    // 416 counter steps over the 487 cycles of a line, from -56 at its start.
    // Computed wide: the result is the 32-bit value wherever that is exact.
    const int64_t intoLine = static_cast<int64_t>(static_cast<int32_t>(mainCpu->readOdometer())) -
                             static_cast<int64_t>(kMainCyclesPerLine) * line;
    return static_cast<int32_t>(intoLine * 416 / static_cast<int64_t>(kMainCyclesPerLine) - 56);
}

int32_t Machine::hCounter() const {
    return hCounterRaw() >> 1;
}

}  // namespace vimo
