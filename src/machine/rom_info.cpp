// The ROM information box: the cartridge header's text fields.
#include <algorithm>
#include <cstring>

#include "machine/machine.h"
#include "machine/report.h"

namespace vimo {

namespace {

struct HeaderField {
    int32_t offset;  // natural offset into the image
    int32_t length;
};

// System, Copyright, Name (Domestic), Name (Overseas), Product info, Countries.
constexpr HeaderField kHeaderFields[] = {
    {0x100, 16}, {0x110, 16}, {0x120, 48}, {0x150, 48}, {0x180, 14}, {0x1F0, 3},
};
constexpr size_t kFieldCount = sizeof kHeaderFields / sizeof kHeaderFields[0];
constexpr size_t kLongestField = 48;

}  // namespace

void Machine::showRomInfo() {
    if (!rom) {
        showErrorBox("Rom info: No rom loaded");
        return;
    }
    // Read the header in natural byte order, then put the image back as the
    // 68000 needs it. A field reaching past the image's end is cut there.
    char fields[kFieldCount][kLongestField + 1] = {};
    swapBytePairs(rom.get(), swappedImageLength());
    for (size_t i = 0; i < kFieldCount; ++i) {
        const HeaderField& field = kHeaderFields[i];
        // A field the image does not reach is not even pointed at.
        const int32_t available = std::clamp(romSize - field.offset, 0, field.length);
        if (available > 0) std::memcpy(fields[i], rom.get() + field.offset, static_cast<size_t>(available));
        fields[i][available] = '\0';
    }
    swapBytePairs(rom.get(), swappedImageLength());

    showRomInfoBox(
        "\tSystem\t\t: %s\n\tCopyright\t\t: %s\n\tName (Domestic)\t: %s\n\tName (Overseas)\t: %s\n"
        "\tProduct info\t: %s\n\tCountries\t\t: %s\n",
        fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

}  // namespace vimo
