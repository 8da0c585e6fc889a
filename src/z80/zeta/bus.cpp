// Bus calls of the Zeta core: the protocol around every handler call, the
// 16-bit data accesses of the unprefixed family and the port lists.
#include "z80/zeta/access.h"

namespace vimo::zeta {
namespace {

// Before a handler runs, the cycles executed since the last bus call (or the
// start of the run) are counted, so a handler that reads zetaTakeElapsed sees
// every earlier instruction and none of the current one, whose cost is
// charged after its accesses. The handler sees the registers in the record.
// Outside a run (an interrupt pushing beyond the image) the record is already
// up to date and there is nothing to count.
void beginBusCall(ZetaCore& z) {
    if (!z.running) {
        return;
    }
    storeWorkingRegisters(z);
    z.savedCycles = z.cyclesLeft;
    const int64_t realLeft = z.cyclesLeft + (z.eiWindow ? z.eiSavedCycles : 0);
    const auto executed = static_cast<uint32_t>(z.syncBase - realLeft);
    z.elapsedCycles += executed;
    z.context.rCounter += executed;
    z.syncBase = realLeft;
    z.inBusCall = true;
}

// The handler may have changed BC, DE, HL or PC in the record, and may have
// ended the time slice (zetaEndTimeslice zeroes the saved count).
void endBusCall(ZetaCore& z) {
    if (!z.running) {
        return;
    }
    z.inBusCall = false;
    const uint8_t a = z.reg[kA];
    const uint8_t f = z.reg[kF];
    loadWorkingRegisters(z);
    z.reg[kA] = a;
    z.reg[kF] = f;
    z.cyclesLeft = z.savedCycles;
}

}  // namespace

uint8_t zetaCallMemoryRead(ZetaCore& z, const Z80MemRange& range, uint32_t address) {
    beginBusCall(z);
    const uint32_t value = range.read(address, &range);
    endBusCall(z);
    return static_cast<uint8_t>(value);
}

void zetaCallMemoryWrite(ZetaCore& z, const Z80MemRange& range, uint32_t address, uint8_t value) {
    beginBusCall(z);
    range.write(address, value, &range);
    endBusCall(z);
}

uint8_t zetaCallPortRead(ZetaCore& z, const Z80PortRange& range, uint32_t port) {
    beginBusCall(z);
    const uint32_t value = range.read(port, &range);
    endBusCall(z);
    return static_cast<uint8_t>(value);
}

void zetaCallPortWrite(ZetaCore& z, const Z80PortRange& range, uint32_t port, uint8_t value) {
    beginBusCall(z);
    range.write(port, value, &range);
    endBusCall(z);
}

// One lookup at the low byte's address serves both bytes. A handler is called
// for the address and then for the next one (16-bit wrap), even when that lies
// beyond the record. A host-memory record or the image serves the second byte
// only when it holds it; otherwise the second byte takes its own normal path,
// so the access never reaches past the memory it was given.
uint16_t readWordOneLookup(ZetaCore& z, uint16_t address) {
    const auto next = static_cast<uint16_t>(address + 1);
    const ZetaContext& c = z.context;
    const Z80MemRange* range = findMemRange(c.memRead, address);
    uint8_t low;
    uint8_t high;
    if (range == nullptr) {
        low = address < c.baseSize ? c.base[address] : 0xFF;
        high = next < c.baseSize ? c.base[next] : readData(z, next);
    } else if (range->read == nullptr) {
        const auto* host = static_cast<const uint8_t*>(range->user);
        low = host[address - range->low];
        high = (next > address && next <= range->high) ? host[next - range->low] : readData(z, next);
    } else {
        low = zetaCallMemoryRead(z, *range, address);
        high = zetaCallMemoryRead(z, *range, next);
    }
    return static_cast<uint16_t>((high << 8) | low);
}

void writeWordOneLookup(ZetaCore& z, uint16_t address, uint16_t value) {
    const auto next = static_cast<uint16_t>(address + 1);
    const auto low = static_cast<uint8_t>(value);
    const auto high = static_cast<uint8_t>(value >> 8);
    const ZetaContext& c = z.context;
    const Z80MemRange* range = findMemRange(c.memWrite, address);
    if (range == nullptr) {
        if (address < c.baseSize) {
            c.base[address] = low;
        }
        if (next < c.baseSize) {
            c.base[next] = high;
        } else {
            writeData(z, next, high);
        }
    } else if (range->write == nullptr) {
        auto* host = static_cast<uint8_t*>(range->user);
        host[address - range->low] = low;
        if (next > address && next <= range->high) {
            host[next - range->low] = high;
        } else {
            writeData(z, next, high);
        }
    } else {
        zetaCallMemoryWrite(z, *range, address, low);
        zetaCallMemoryWrite(z, *range, next, high);
    }
}

// A record always answers through its handler; a record missing the handler
// for this direction answers like no record: reads give 0xFF, writes vanish.
uint8_t inPort(ZetaCore& z, uint8_t port) {
    const Z80PortRange* range = findPortRange(z.context.portRead, port);
    if (range == nullptr || range->read == nullptr) {
        return 0xFF;
    }
    return zetaCallPortRead(z, *range, port);
}

void outPort(ZetaCore& z, uint8_t port, uint8_t value) {
    const Z80PortRange* range = findPortRange(z.context.portWrite, port);
    if (range == nullptr || range->write == nullptr) {
        return;
    }
    zetaCallPortWrite(z, *range, port, value);
}

}  // namespace vimo::zeta
