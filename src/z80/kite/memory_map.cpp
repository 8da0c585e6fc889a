// The Kite core's map set-up: fetch pages, read and write pages and their
// range lists, the port handlers and the callbacks.
//
// Every page loop runs over page numbers, from the page of the first address
// to the page of the last, so a map that reaches 0xFFFF ends and a range
// whose last page is covered only in part still maps it.
#include <type_traits>

#include "z80/kite/kite.h"

namespace vimo {
namespace {

constexpr uint32_t kPageSize = 256;

// The part of page `page` that [low, high] covers.
struct PageSpan {
    uint32_t first;  // first covered address
    uint32_t last;   // last covered address
    bool whole;
};

PageSpan spanOf(uint32_t page, uint32_t low, uint32_t high) {
    const uint32_t start = page * kPageSize;
    const uint32_t end = start + kPageSize - 1;
    const uint32_t first = low > start ? low : start;
    const uint32_t last = high < end ? high : end;
    return {first, last, first == start && last == end};
}

KitePageWindow windowOf(const PageSpan& span, uint8_t* memory, uint32_t low) {
    return {memory + (span.first - low), static_cast<uint8_t>(span.first & 0xFF),
            static_cast<uint8_t>(span.last & 0xFF)};
}

// A page mapped straight onto host memory: the pointer to the host byte of
// the page's first address, which lies inside the memory given.
uint8_t* pageMemory(uint32_t page, uint8_t* memory, uint32_t low) { return memory + (page * kPageSize - low); }

void mapPages(KitePage (&pages)[kKitePageCount], KitePageWindow (&windows)[kKitePageCount], uint16_t low,
              uint16_t high, uint8_t* memory) {
    if (memory == nullptr || low > high) {
        return;
    }
    for (uint32_t page = low >> 8; page <= static_cast<uint32_t>(high >> 8); ++page) {
        const PageSpan span = spanOf(page, low, high);
        KitePage& entry = pages[page];
        entry.read = nullptr;
        entry.write = nullptr;
        if (span.whole) {
            entry.memory = pageMemory(page, memory, low);
            entry.dispatch = false;
            windows[page] = {};
        } else {
            // The rest of the page is left to the range dispatcher.
            entry.memory = nullptr;
            entry.dispatch = true;
            windows[page] = windowOf(span, memory, low);
        }
    }
}

// The first free slot, or null when only the slot kept for the catch-all is
// left (`forCatchAll` may take that one too).
KiteRange* freeSlot(KiteRange (&slots)[kKiteRangeSlots], bool forCatchAll) {
    const size_t usable = forCatchAll ? kKiteRangeSlots : kKiteRangeSlots - 1;
    for (size_t i = 0; i < usable; ++i) {
        if (slots[i].low == 0xFFFFFFFFu && slots[i].high == 0xFFFFFFFFu && slots[i].type == 0xFFFFFFFFu) {
            return &slots[i];
        }
    }
    return nullptr;
}

// A range's pages: a page the range covers only in part goes to the
// dispatcher; each whole page gets the range's memory or handler.
template <typename Handler>
void addRange(KiteRange (&slots)[kKiteRangeSlots], KitePage (&pages)[kKitePageCount],
              KitePageWindow (&windows)[kKitePageCount], uint16_t low, uint16_t high, Handler handler,
              uint8_t* memory) {
    KiteRange* slot = freeSlot(slots, false);
    if (slot == nullptr) {
        return;
    }
    *slot = KiteRange{};
    slot->low = low;
    slot->high = high;
    if (memory != nullptr) {
        slot->type = kKiteRangeMemory;
        slot->memory = memory;
    } else {
        slot->type = kKiteRangeHandler;
        if constexpr (std::is_same_v<Handler, KiteReadHandler>) {
            slot->read = handler;
        } else {
            slot->write = handler;
        }
    }
    if (low > high) {
        return;  // holds no address: no page changes
    }
    for (uint32_t page = low >> 8; page <= static_cast<uint32_t>(high >> 8); ++page) {
        const PageSpan span = spanOf(page, low, high);
        KitePage& entry = pages[page];
        windows[page] = {};
        entry = KitePage{};
        if (!span.whole) {
            entry.dispatch = true;
        } else if (memory != nullptr) {
            entry.memory = pageMemory(page, memory, low);
        } else if constexpr (std::is_same_v<Handler, KiteReadHandler>) {
            entry.read = handler;
        } else {
            entry.write = handler;
        }
    }
}

}  // namespace

void kiteBeginMemoryMap(KiteCore& k) {
    KiteContext& c = k.context;
    c.portRead = kiteDefaultRead;
    c.portWrite = kiteDefaultWrite;
    c.retiCallback = kiteDefaultWrite;
    c.spareCallback = kiteDefaultWrite;
    for (KiteRange& slot : c.readRanges) {
        slot = KiteRange{};
    }
    for (KiteRange& slot : c.writeRanges) {
        slot = KiteRange{};
    }
    // The handler decides while it is set, so no page keeps host memory, and
    // the windows of partly mapped read and write pages go with it. Fetch
    // pages stay as they were.
    for (size_t page = 0; page < kKitePageCount; ++page) {
        c.readPages[page] = KitePage{};
        c.readPages[page].read = kiteDefaultRead;
        c.writePages[page] = KitePage{};
        c.writePages[page].write = kiteDefaultWrite;
        c.readWindows[page] = {};
        c.writeWindows[page] = {};
    }
}

void kiteMapFetchPages(KiteCore& k, uint16_t low, uint16_t high, uint8_t* memory) {
    KiteContext& c = k.context;
    if (memory == nullptr || low > high) {
        return;
    }
    for (uint32_t page = low >> 8; page <= static_cast<uint32_t>(high >> 8); ++page) {
        const PageSpan span = spanOf(page, low, high);
        if (span.whole) {
            c.fetchPages[page] = pageMemory(page, memory, low);
            c.fetchWindows[page] = {};
        } else {
            // The rest of the page is fetched through the read path.
            c.fetchPages[page] = nullptr;
            c.fetchWindows[page] = windowOf(span, memory, low);
        }
    }
}

void kiteAddReadRange(KiteCore& k, uint16_t low, uint16_t high, uint32_t /*type*/, KiteReadHandler handler) {
    KiteContext& c = k.context;
    addRange<KiteReadHandler>(c.readRanges, c.readPages, c.readWindows, low, high, handler, nullptr);
}

// What the last argument is decides the range's type: a handler makes a
// handler range, host memory a memory range (null memory a range that answers
// like the default handler).
void kiteAddReadRange(KiteCore& k, uint16_t low, uint16_t high, uint32_t /*type*/, uint8_t* memory) {
    KiteContext& c = k.context;
    addRange<KiteReadHandler>(c.readRanges, c.readPages, c.readWindows, low, high, nullptr, memory);
}

void kiteAddWriteRange(KiteCore& k, uint16_t low, uint16_t high, uint32_t /*type*/, KiteWriteHandler handler) {
    KiteContext& c = k.context;
    addRange<KiteWriteHandler>(c.writeRanges, c.writePages, c.writeWindows, low, high, handler, nullptr);
}

void kiteAddWriteRange(KiteCore& k, uint16_t low, uint16_t high, uint32_t /*type*/, uint8_t* memory) {
    KiteContext& c = k.context;
    addRange<KiteWriteHandler>(c.writeRanges, c.writePages, c.writeWindows, low, high, nullptr, memory);
}

void kiteSetPortReader(KiteCore& k, KiteReadHandler handler) { k.context.portRead = handler; }

void kiteSetPortWriter(KiteCore& k, KiteWriteHandler handler) { k.context.portWrite = handler; }

// The catch-all ends every search of the lists: an address that no range
// covers reads 0xFF or is dropped.
void kiteEndMemoryMap(KiteCore& k) {
    KiteContext& c = k.context;
    if (KiteRange* slot = freeSlot(c.readRanges, true); slot != nullptr) {
        *slot = KiteRange{};
        slot->low = 0;
        slot->high = 0xFFFF;
        slot->type = kKiteRangeHandler;
        slot->read = kiteDefaultRead;
    }
    if (KiteRange* slot = freeSlot(c.writeRanges, true); slot != nullptr) {
        *slot = KiteRange{};
        slot->low = 0;
        slot->high = 0xFFFF;
        slot->type = kKiteRangeHandler;
        slot->write = kiteDefaultWrite;
    }
}

void kiteMapReadPages(KiteCore& k, uint16_t low, uint16_t high, uint8_t* memory) {
    mapPages(k.context.readPages, k.context.readWindows, low, high, memory);
}

void kiteMapWritePages(KiteCore& k, uint16_t low, uint16_t high, uint8_t* memory) {
    mapPages(k.context.writePages, k.context.writeWindows, low, high, memory);
}

void kiteSetRetiCallback(KiteCore& k, KiteCallback callback) { k.context.retiCallback = callback; }

void kiteSetSpareCallback(KiteCore& k, KiteCallback callback) { k.context.spareCallback = callback; }

}  // namespace vimo
