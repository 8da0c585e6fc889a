// The data port, the control port's two-word command protocol and the
// command decode.
#include "vdp/vdp.h"

namespace vimo {

namespace {

constexpr uint32_t kCommandDmaBit = 0x80;
constexpr uint32_t kRegister1DmaEnable = 0x10;

bool isRegisterWrite(uint32_t word) { return (word & 0xC000) == 0x8000; }

}  // namespace

// Stores the word where the access code points and steps the address.
// Codes that name no writable memory store nothing but still step.
int32_t Vdp::writeDataWord(uint32_t word) {
    const auto high = static_cast<uint8_t>(word >> 8);
    const auto low = static_cast<uint8_t>(word);
    switch (accessCode) {
    case kAccessVramWrite:
        writeVram(address, word);
        break;
    case kAccessCramWrite:
        writeCram(address, high);
        writeCram(address + 1, low);
        break;
    case kAccessVsramWrite:
        writeVsram(address, high);
        writeVsram(address + 1, low);
        break;
    default:
        break;
    }
    address += regs[15];
    return 0;
}

uint8_t Vdp::readDataByte() {
    uint8_t value = 0;
    switch (accessCode) {
    case kAccessVramRead:
        value = vram[address & (kVramSize - 1)];
        break;
    case kAccessVsramRead:
        value = vsram[address & (kVsramSize - 1)];
        break;
    case kAccessCramRead:
        value = cram[address & (kCramSize - 1)];
        break;
    default:
        break;
    }
    address += regs[15];
    return value;
}

uint16_t Vdp::readDataWord() {
    const uint8_t* memory = nullptr;
    uint32_t mask = 0;
    switch (accessCode) {
    case kAccessVramRead:
        memory = vram;
        mask = kVramSize - 1;
        break;
    case kAccessVsramRead:
        memory = vsram;
        mask = kVsramSize - 1;
        break;
    case kAccessCramRead:
        memory = cram;
        mask = kCramSize - 1;
        break;
    default:
        break;
    }
    uint16_t value = 0;
    if (memory != nullptr) {
        value = static_cast<uint16_t>((memory[address & mask] << 8) | memory[(address + 1) & mask]);
    }
    address += regs[15];
    return value;
}

// A data write while a fill is armed is the fill's value: it is not stored
// itself, and the fill runs only if DMA is still enabled. Either way the fill
// is over. Any data write also forgets a half-written command.
int32_t Vdp::dataPortByte(uint32_t value) {
    if (dmaMode == kDmaModeFill) {
        if ((regs[1] & kRegister1DmaEnable) != 0) {
            fillVramByte(static_cast<uint8_t>(value));
        }
        dmaMode = 0;
    } else {
        writeDataWord(value & 0xFF);
    }
    commandPending = 0;
    return 0;
}

int32_t Vdp::dataPortWord(uint32_t value) {
    if (dmaMode == kDmaModeFill) {
        if ((regs[1] & kRegister1DmaEnable) != 0) {
            fillVramWord(value & 0xFFFF);
        }
        dmaMode = 0;
    } else {
        writeDataWord(value & 0xFFFF);
    }
    commandPending = 0;
    return 0;
}

// The register file has 24 entries; the 5-bit index of a register write can
// name 24-31, which do not exist and are dropped.
void Vdp::writeRegister(uint32_t index, uint8_t value) {
    if (index < kVdpRegisterCount) {
        regs[index] = value;
    }
}

int32_t Vdp::controlPortWord(uint32_t word) {
    word &= 0xFFFF;
    if (commandPending == 0 && isRegisterWrite(word)) {
        writeRegister((word >> 8) & 31, static_cast<uint8_t>(word));
        accessCode = 0;
        address = 0;
        return 0;
    }
    if (commandPending == 0) {
        command = (word << 16) | (command & 0xFFFF);
        executeCommand();
        commandPending = 1;
        return 0;
    }
    command = (command & 0xFFFF0000u) | word;
    executeCommand();
    commandPending = 0;
    return 0;
}

// Both halves set the code and address (the first with the previous low
// half); only the second half can start a DMA.
int32_t Vdp::executeCommand() {
    accessCode = ((command >> 28) & 0xC) | (command & 0x70);
    address = ((command >> 16) & 0x3FFF) | ((command & 3) << 14);
    if ((command & kCommandDmaBit) == 0 || commandPending != 1) {
        return 0;
    }
    dmaMode = regs[23] >> 6;
    const bool enabled = (regs[1] & kRegister1DmaEnable) != 0;
    if (dmaMode < kDmaModeFill) {
        if (enabled) {
            transferFrom68000();
        }
    } else if (dmaMode == kDmaModeCopy) {
        if (enabled) {
            copyVram();
        }
    }
    return 0;
}

}  // namespace vimo
