// The CP/M harness of the instruction exercisers (see cpm_harness.h).
#include "cpm_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace vimo::test {

namespace {

constexpr uint16_t kProgramStart = 0x0100;
constexpr uint16_t kStackTop = 0xFFFE;
constexpr uint16_t kMemoryTop = 0xFE00;  // the word at 0x0006
constexpr uint8_t kHalt = 0x76;

}  // namespace

const char* describe(CpmOutcome outcome) {
    switch (outcome) {
        case CpmOutcome::ok:
            return "OK";
        case CpmOutcome::error:
            return "ERROR (CRC differs)";
        case CpmOutcome::invalidInstruction:
            return "stopped at an instruction the core does not implement";
    }
    return "?";
}

std::vector<uint8_t> readBinaryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool CpmMachine::findTable() {
    load();
    const uint16_t start = word(kProgramStart + 1);
    const uint8_t expected[] = {0x2A, 0x06, 0x00, 0xF9, 0x11};
    for (size_t i = 0; i < sizeof(expected); ++i) {
        if (memory_[static_cast<uint16_t>(start + i)] != expected[i]) {
            return false;
        }
    }
    if (memory_[static_cast<uint16_t>(start + 7)] != 0x0E || memory_[static_cast<uint16_t>(start + 9)] != 0xCD ||
        memory_[static_cast<uint16_t>(start + 12)] != 0x21) {
        return false;
    }
    table_ = word(static_cast<uint16_t>(start + 13));
    for (uint16_t entry = table_; word(entry) != 0; entry = static_cast<uint16_t>(entry + 2)) {
        groups_.push_back(word(entry));
    }
    return !groups_.empty();
}

CpmOutcome CpmMachine::runGroup(size_t index, CpmCpu& cpu, std::string& printed, uint16_t& stopAddress) {
    load();
    setWord(table_, groups_[index]);
    setWord(static_cast<uint16_t>(table_ + 2), 0);
    output_.clear();
    cpu.start(memory_, kProgramStart, kStackTop);
    CpmOutcome outcome = CpmOutcome::ok;
    for (;;) {
        if (!cpu.run(stopAddress)) {
            outcome = CpmOutcome::invalidInstruction;
            break;
        }
        const CpmRegisters registers = cpu.registers();
        if (!registers.halted) {
            continue;
        }
        if (registers.pc == 0x0001) {  // the program jumped to 0: done
            break;
        }
        if (registers.pc != 0x0006) {
            output_ += "\n[unexpected HALT]";
            outcome = CpmOutcome::error;
            break;
        }
        bdos(cpu, registers);
    }
    printed = output_;
    if (outcome == CpmOutcome::ok && printed.find("OK") == std::string::npos) {
        outcome = CpmOutcome::error;
    }
    return outcome;
}

void CpmMachine::load() {
    memory_.assign(0x10000, 0);
    std::copy(program_.begin(), program_.end(), memory_.begin() + kProgramStart);
    memory_[0x0000] = kHalt;  // the end of the program
    memory_[0x0005] = kHalt;  // the BDOS entry
    setWord(0x0006, kMemoryTop);
}

// Serves the call and returns from it.
void CpmMachine::bdos(CpmCpu& cpu, const CpmRegisters& registers) {
    const auto function = static_cast<uint8_t>(registers.bc);
    if (function == 2) {
        output_ += static_cast<char>(registers.de & 0xFF);
    } else if (function == 9) {
        for (uint16_t a = registers.de; memory_[a] != '$'; a = static_cast<uint16_t>(a + 1)) {
            output_ += static_cast<char>(memory_[a]);
        }
    }
    cpu.resume(word(registers.sp), static_cast<uint16_t>(registers.sp + 2));
}

uint16_t CpmMachine::word(uint16_t address) const {
    return static_cast<uint16_t>(memory_[address] | (memory_[static_cast<uint16_t>(address + 1)] << 8));
}

void CpmMachine::setWord(uint16_t address, uint16_t value) {
    memory_[address] = static_cast<uint8_t>(value);
    memory_[static_cast<uint16_t>(address + 1)] = static_cast<uint8_t>(value >> 8);
}

// Two or more dots end the name; no name holds two dots in a row.
std::string cpmGroupName(const std::string& printed) {
    std::string text = printed;
    const size_t banner = text.find("exerciser");
    if (banner != std::string::npos) {
        text = text.substr(banner + 9);
    }
    const size_t first = text.find_first_not_of("\r\n ");
    const size_t dots = text.find("..", first);
    if (first == std::string::npos || dots == std::string::npos) {
        return text;
    }
    return text.substr(first, dots - first);
}

void runExerciser(const std::string& path, CpmCpu& cpu, std::span<const CpmExpectedFailure> expectedFailures) {
    const std::vector<uint8_t> program = readBinaryFile(path);
    ASSERT_FALSE(program.empty()) << "cannot read " << path;
    ASSERT_LT(program.size(), static_cast<size_t>(kMemoryTop - kProgramStart));
    CpmMachine machine(program);
    ASSERT_TRUE(machine.findTable()) << "the program's start does not look like the exerciser's";

    size_t listedSeen = 0;
    for (size_t i = 0; i < machine.groupCount(); ++i) {
        std::string printed;
        uint16_t stopAddress = 0;
        const CpmOutcome outcome = machine.runGroup(i, cpu, printed, stopAddress);
        const std::string name = cpmGroupName(printed);
        CpmOutcome expected = CpmOutcome::ok;
        const char* reason = "";
        for (const CpmExpectedFailure& failure : expectedFailures) {
            if (name == failure.group) {
                expected = failure.outcome;
                reason = failure.reason;
                ++listedSeen;
            }
        }
        std::printf("%-32s %s", name.c_str(), describe(outcome));
        if (outcome == CpmOutcome::invalidInstruction) {
            std::printf(" at 0x%04X", stopAddress);
        }
        if (expected != CpmOutcome::ok) {
            std::printf("  [listed: %s]", reason);
        }
        std::printf("\n");
        EXPECT_EQ(outcome, expected) << name << " printed:" << printed;
    }
    EXPECT_EQ(listedSeen, expectedFailures.size()) << "every listed group exists";
}

}  // namespace vimo::test
