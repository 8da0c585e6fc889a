// The FM chip array: initialisation, shutdown, reset and the four ports.
#include <memory>
#include <new>

#include "sound/fm_synth.h"
#include "sound/fm_shared.h"

namespace vimo::FmSynth {

namespace {

constexpr double kPrescaler = 144.0;

// The chip array; null while the synthesiser is not initialised (also after a
// failed initialisation, so every entry point checks it).
std::unique_ptr<FmChip[]> chips;
int32_t chipCount = 0;

// Puts every slot into the released, silent state.
void silenceChannels(FmChip& chip) {
    for (FmChannel& channel : chip.channels) {
        channel.baseFrequency = 0;
        channel.pan = 3;
        for (FmSlot& slot : channel.slots) {
            slot.ssgEg = 0;
            slot.envelopePhase = EnvelopePhase::Release;
            slot.envelopeCounter = kEnvelopeSilent;
            slot.envelopeEnd = kEnvelopeNeverEnds;
            slot.envelopeStep = 0;
        }
    }
}

// Rows point somewhere valid from the start; the reset's register writes then
// give them their real values.
void pointRowsAtZeros(FmChip& chip) {
    for (FmChannel& channel : chip.channels) {
        for (FmSlot& slot : channel.slots) {
            slot.detuneRow = chip.detune[0];
            slot.attackRow = slot.firstDecayRow = slot.secondDecayRow = slot.releaseRow = zeroRow;
        }
    }
}

}  // namespace

FmChip* findChip(int32_t index) {
    if (!chips || index < 0 || index >= chipCount) return nullptr;
    return &chips[index];
}

int32_t init(int32_t count, uint32_t clock, uint32_t rate, FmTimerHandler timerHandler,
             FmIrqHandler irqHandler) {
    if (chips) return -1;
    if (count < 1 || count > kFmMaxChips) return -1;

    std::unique_ptr<FmChip[]> created(new (std::nothrow) FmChip[static_cast<size_t>(count)]());
    if (!created) return -1;
    if (buildLfoTable() != 0) {
        freeTables();
        return -1;
    }

    chips = std::move(created);
    chipCount = count;
    for (int32_t i = 0; i < count; ++i) {
        FmChip& chip = chips[i];
        chip.index = static_cast<uint8_t>(i);
        chip.features = kFmFeatureLfo | kFmFeatureSixChannels;
        chip.clock = clock;
        chip.rate = rate;
        chip.timerHandler = timerHandler;
        chip.irqHandler = irqHandler;
        pointRowsAtZeros(chip);
        reset(i);
    }
    return 0;
}

void shutdown() {
    if (!chips) return;
    freeTables();
    chips.reset();
    chipCount = 0;
}

int32_t reset(int32_t index) {
    FmChip* found = findChip(index);
    if (found == nullptr) return -1;
    FmChip& chip = *found;

    chip.frequencyBase = (chip.rate != 0 && chip.clock != 0)
                             ? static_cast<double>(chip.clock) / chip.rate / kPrescaler
                             : 0.0;
    chip.timerBase = chip.clock != 0 ? 1.0 / (chip.clock / kPrescaler) : 0.0;
    buildChipTables(chip);

    chip.irqMask = 3;
    writeMode(chip, 0x27, 0x30);
    chip.mode = 0;
    chip.status = 0;
    if (chip.irqLine != 0) {
        chip.irqLine = 0;
        if (chip.irqHandler != nullptr) chip.irqHandler(chip.index, 0);
    }
    chip.timerAValue = 0;
    chip.timerACount = 0;
    chip.timerBValue = 0;
    chip.timerBCount = 0;
    silenceChannels(chip);

    for (uint32_t reg = 0xB6; reg >= 0xB4; --reg) {
        writeRegister(chip, reg, 0xC0);
        writeRegister(chip, reg | 0x100, 0xC0);
    }
    for (uint32_t reg = 0xB2; reg >= 0x30; --reg) {
        writeRegister(chip, reg, 0);
        writeRegister(chip, reg | 0x100, 0);
    }
    for (uint32_t reg = 0x26; reg >= 0x20; --reg) writeMode(chip, reg, 0);

    chip.dacEnable = 0;
    return 0;
}

uint8_t write(int32_t index, uint32_t port, uint32_t data) {
    FmChip* found = findChip(index);
    if (found == nullptr) return 0;
    FmChip& chip = *found;
    data &= 0xFF;   // the chip's data bus is 8 bits wide

    switch (port & 3) {
    case 0:
        chip.addressLatch = static_cast<uint8_t>(data);
        break;
    case 2:
        chip.part1AddressLatch = data;
        break;
    case 1:
        if (chip.addressLatch < 0x20 || chip.addressLatch > 0x2F) {
            writeRegister(chip, chip.addressLatch, data);
        } else if (chip.addressLatch == 0x2A) {
            chip.dacSample = (static_cast<int32_t>(data) - 128) * (1 << 19);
        } else if (chip.addressLatch == 0x2B) {
            chip.dacEnable = data & 0x80;
        } else {
            writeMode(chip, chip.addressLatch, data);
        }
        break;
    case 3:
        writeRegister(chip, chip.part1AddressLatch | 0x100, data);
        break;
    }
    return chip.irqLine;
}

uint8_t read(int32_t index, uint32_t /*port*/) {
    const FmChip* chip = findChip(index);
    return chip != nullptr ? chip->status : 0;
}

const FmChip* chipState(int32_t index) {
    return findChip(index);
}

}  // namespace vimo::FmSynth
