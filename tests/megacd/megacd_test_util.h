// Helpers of the Mega-CD tests: booting a synthetic BIOS through the
// machine's own boot path, and the two CPUs' views of the shared memories.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "machine/machine.h"
#include "machine_test_util.h"

namespace vimo::test {

// The BIOS program padded with zeros to `fileSize` bytes (128 KB, as a real
// BIOS is, unless a test wants a short file), written to the folder as the
// BIOS of the machine's country (USA unless set otherwise) and booted with
// bootMegaCd. Returns bootMegaCd's result.
int32_t bootBios(Machine& machine, const ScratchFolder& folder, std::span<const uint8_t> program,
                 size_t fileSize = 0x20000);

// A Mega-CD machine booted with a BIOS that only waits; its sub CPU is held
// in reset until a test writes 0xA12001.
std::unique_ptr<Machine> makeMegaCdMachine(const ScratchFolder& folder);

// The 68000 word at `address` of a word-swapped block, and storing one.
uint16_t swappedWord(const uint8_t* block, uint32_t address);
void setSwappedWord(uint8_t* block, uint32_t address, uint16_t value);

// A comm status word (0xA12020 + offset) as the sub CPU left it.
uint16_t statusWord(const Machine& machine, uint32_t offset);

}  // namespace vimo::test
