// The VDP ports as the 68000 sees them at 0xC00000-0xDFFFFF: data and control
// ports, the status word, the HV counter and the PSG. Only the exact addresses
// below decode; every other address and access reads 0 or is dropped.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kRegister1DisplayEnable = 0x40;

}  // namespace

uint32_t Machine::readByteVdp(uint32_t address) {
    switch (address) {
        case 0xC00000: case 0xC00001:
            return vdp.readDataByte();
        case 0xC00004:
            // Each read of the high byte flips status bit 9, so a program
            // polling a bit sees it alternate.
            vdp.status ^= kStatusHighByteReadToggle;
            return (vdp.status >> 8) & 0xFF;
        case 0xC00005:
            return vdp.status & 0xFF;
        case 0xC00008:
            return static_cast<uint32_t>(vCounter) & 0xFF;
        case 0xC00009:
            return static_cast<uint32_t>(hCounter()) & 0xFF;
        default:
            return 0;
    }
}

uint32_t Machine::readWordVdp(uint32_t address) {
    switch (address) {
        case 0xC00000: case 0xC00002:
            return vdp.readDataWord();
        case 0xC00004: case 0xC00006:
            vdp.status ^= kStatusWordReadToggle;
            if ((vdp.regs[1] & kRegister1DisplayEnable) == 0) vdp.status |= kStatusVBlank;
            return vdp.status & 0xFFFF;
        case 0xC00008:
            return ((static_cast<uint32_t>(vCounter) & 0xFF) << 8) |
                   (static_cast<uint32_t>(hCounter()) & 0xFF);
        default:
            return 0;
    }
}

void Machine::writeByteVdp(uint32_t address, uint32_t byte) {
    switch (address) {
        case 0xC00000: case 0xC00002:
            vdp.dataPortByte(byte & 0xFF);
            vdp.commandPending = 0;
            break;
        case 0xC00010: case 0xC00011:
            if (gymLogging != 0) gymWritePsg(byte & 0xFF);
            psg.write(static_cast<uint8_t>(byte));
            break;
        default:
            break;  // control-port bytes among them
    }
}

void Machine::writeWordVdp(uint32_t address, uint32_t word) {
    switch (address) {
        case 0xC00000: case 0xC00002:
            vdp.dataPortWord(word & 0xFFFF);
            vdp.commandPending = 0;
            break;
        case 0xC00004: case 0xC00006:
            // Register writes naming registers 24-31 are dropped by the VDP.
            vdp.controlPortWord(word & 0xFFFF);
            break;
        default:
            break;  // PSG words among them
    }
}

}  // namespace vimo
