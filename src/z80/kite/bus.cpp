// Bus side of the Kite core: the default handlers, the protocol around every
// handler call, the range dispatcher of partly covered pages, the page
// windows, fetches outside the fetch pages, and the ports.
#include "z80/kite/access.h"

namespace vimo {

uint32_t kiteDefaultRead(uint32_t /*address*/) { return 0xFF; }

void kiteDefaultWrite(uint32_t /*address*/, uint32_t /*value*/) {}

void kiteDefaultWrite() {}

namespace kite {
namespace {

// A handler sees every register current in the record and may change any of
// them; the run goes on with what the record holds when it returns.
struct BusCall {
    explicit BusCall(KiteCore& core) : k(core) {
        if (k.running) {
            storeWorkingRegisters(k);
        }
    }
    ~BusCall() {
        if (k.running) {
            loadWorkingRegisters(k);
        }
    }
    BusCall(const BusCall&) = delete;
    BusCall& operator=(const BusCall&) = delete;

    KiteCore& k;
};

bool inWindow(const KitePageWindow& window, uint32_t address) {
    const uint32_t offset = address & 0xFF;
    return window.memory != nullptr && offset >= window.first && offset <= window.last;
}

// The first slot holding the address; the search never leaves the list.
const KiteRange* findRange(const KiteRange (&slots)[kKiteRangeSlots], uint32_t address) {
    for (const KiteRange& slot : slots) {
        if (slot.low <= address && address <= slot.high) {
            return &slot;
        }
    }
    return nullptr;
}

}  // namespace

uint32_t callRead(KiteCore& k, KiteReadHandler handler, uint32_t address) {
    if (handler == nullptr) {
        return 0xFF;
    }
    BusCall call(k);
    return handler(address);
}

void callWrite(KiteCore& k, KiteWriteHandler handler, uint32_t address, uint32_t value) {
    if (handler == nullptr) {
        return;
    }
    BusCall call(k);
    handler(address, value);
}

void callRetiCallback(KiteCore& k) {
    if (k.context.retiCallback == nullptr) {
        return;
    }
    BusCall call(k);
    k.context.retiCallback();
}

uint8_t readSlow(KiteCore& k, uint16_t address) {
    const KitePage& page = k.context.readPages[address >> 8];
    if (page.dispatch) {
        return kiteListRead(k, address);
    }
    return static_cast<uint8_t>(callRead(k, page.read, address));
}

void writeSlow(KiteCore& k, uint16_t address, uint8_t value) {
    const KitePage& page = k.context.writePages[address >> 8];
    if (page.dispatch) {
        kiteListWrite(k, address, value);
        return;
    }
    callWrite(k, page.write, address, value);
}

// A fetch page that was never mapped, or mapped only in part: the window's
// bytes where it has one, else the read path, which answers every address.
uint8_t fetchSlow(KiteCore& k, uint16_t address) {
    const KitePageWindow& window = k.context.fetchWindows[address >> 8];
    if (inWindow(window, address)) {
        return window.memory[(address & 0xFF) - window.first];
    }
    return readByte(k, address);
}

uint8_t inPort(KiteCore& k, uint16_t port) { return static_cast<uint8_t>(callRead(k, k.context.portRead, port)); }

void outPort(KiteCore& k, uint16_t port, uint8_t value) { callWrite(k, k.context.portWrite, port, value); }

}  // namespace kite

uint8_t kiteListRead(KiteCore& k, uint32_t address) {
    address &= 0xFFFFu;
    const KitePageWindow& window = k.context.readWindows[address >> 8];
    if (kite::inWindow(window, address)) {
        return window.memory[(address & 0xFF) - window.first];
    }
    const KiteRange* range = kite::findRange(k.context.readRanges, address);
    if (range == nullptr) {
        return 0xFF;
    }
    if (range->type == kKiteRangeMemory) {
        return range->memory[address - range->low];
    }
    return static_cast<uint8_t>(kite::callRead(k, range->read, address));
}

void kiteListWrite(KiteCore& k, uint32_t address, uint32_t value) {
    address &= 0xFFFFu;
    const auto byte = static_cast<uint8_t>(value);
    const KitePageWindow& window = k.context.writeWindows[address >> 8];
    if (kite::inWindow(window, address)) {
        window.memory[(address & 0xFF) - window.first] = byte;
        return;
    }
    const KiteRange* range = kite::findRange(k.context.writeRanges, address);
    if (range == nullptr) {
        return;
    }
    if (range->type == kKiteRangeMemory) {
        range->memory[address - range->low] = byte;
        return;
    }
    // A handler gets the value as given (from the core it is already a byte).
    kite::callWrite(k, range->write, address, value);
}

}  // namespace vimo
