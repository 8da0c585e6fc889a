// zexdoc.com, the documented-instruction exerciser, under a small CP/M
// harness on the Zeta core.
//
// The harness: 64 KB of memory, the program at 0x0100 and started there,
// HALT at 0x0000 (a jump there ends the program) and at 0x0005 (the BDOS
// entry: C = 2 prints E, C = 9 prints the '$'-terminated string at DE, then
// the harness returns from the call), and the word at 0x0006 giving the top
// of the memory the program may use.
//
// The exerciser walks a table of test groups. The harness runs each group on
// its own, pointing the table at that group alone, so a group that stops at
// an instruction this core does not implement does not hide the groups after
// it. Every group must print "OK" except those listed in kExpectedFailures,
// where the core deliberately differs from the chip; they must fail in the
// listed way, so a change of behaviour is noticed either way.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "z80/zeta/zeta.h"

namespace vimo::test {
namespace {

enum class Outcome { ok, error, invalidInstruction };

const char* describe(Outcome outcome) {
    switch (outcome) {
        case Outcome::ok:
            return "OK";
        case Outcome::error:
            return "ERROR (CRC differs)";
        case Outcome::invalidInstruction:
            return "stopped at an instruction the core does not implement";
    }
    return "?";
}

struct ExpectedFailure {
    const char* group;  // the group's name as the program prints it
    Outcome outcome;
    const char* reason;
};

const ExpectedFailure kExpectedFailures[] = {
    {"<daa,cpl,scf,ccf>", Outcome::error,
     "DAA sets H whenever it corrects the low digit, and after a subtraction a low correction that borrows "
     "sets C"},
    {"ld <bcdexya>,<bcdexya>", Outcome::invalidInstruction,
     "DD and FD before an opcode with no indexed form (DD 40, LD B,B) are invalid instructions for this core"},
    {"shf/rot (<ix,iy>+1)", Outcome::invalidInstruction,
     "SLL (IX+d) (DD CB d 36) is not implemented by this core"},
    {"shf/rot <b,c,d,e,h,l,(hl),a>", Outcome::error,
     "SLL takes S, Z and P/V from the value before bit 0 is set"},
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CpmMachine {
public:
    explicit CpmMachine(const std::vector<uint8_t>& program) : program_(program) {}

    // The table of group pointers that the program walks: found from its start,
    // "LD HL,(6); LD SP,HL; LD DE,msg; LD C,9; CALL print; LD HL,table".
    bool findTable() {
        load();
        const uint16_t start = word(0x0101);
        const uint8_t expected[] = {0x2A, 0x06, 0x00, 0xF9, 0x11};
        for (size_t i = 0; i < sizeof(expected); ++i) {
            if (memory_[start + i] != expected[i]) {
                return false;
            }
        }
        if (memory_[start + 7] != 0x0E || memory_[start + 9] != 0xCD || memory_[start + 12] != 0x21) {
            return false;
        }
        table_ = word(static_cast<uint16_t>(start + 13));
        for (uint16_t entry = table_; word(entry) != 0; entry = static_cast<uint16_t>(entry + 2)) {
            groups_.push_back(word(entry));
        }
        return !groups_.empty();
    }

    size_t groupCount() const { return groups_.size(); }

    // Runs group `index` alone and returns what it printed after the banner.
    Outcome runGroup(size_t index, std::string& printed, uint16_t& stopAddress) {
        load();
        setWord(table_, groups_[index]);
        setWord(static_cast<uint16_t>(table_ + 2), 0);
        output_.clear();
        ZetaCore core;
        core.context.base = memory_.data();
        core.context.baseSize = static_cast<uint32_t>(memory_.size());
        zetaResetCpu(core);
        core.context.pc = 0x0100;
        core.context.sp = 0xFFFE;
        Outcome outcome = Outcome::ok;
        for (;;) {
            const uint32_t result = zetaRun(core, 50'000'000);
            ZetaContext& c = core.context;
            if (result != kZetaSliceEnded) {
                stopAddress = static_cast<uint16_t>(result);
                outcome = Outcome::invalidInstruction;
                break;
            }
            if (c.halted == 0) {
                continue;
            }
            if (c.pc == 0x0001) {  // the program jumped to 0: done
                break;
            }
            if (c.pc != 0x0006) {
                output_ += "\n[unexpected HALT]";
                outcome = Outcome::error;
                break;
            }
            bdos(c);
        }
        printed = output_;
        if (outcome == Outcome::ok && printed.find("OK") == std::string::npos) {
            outcome = Outcome::error;
        }
        return outcome;
    }

private:
    void load() {
        memory_.assign(0x10000, 0);
        std::copy(program_.begin(), program_.end(), memory_.begin() + 0x0100);
        memory_[0x0000] = 0x76;  // HALT: the end of the program
        memory_[0x0005] = 0x76;  // HALT: the BDOS entry
        setWord(0x0006, 0xFE00);  // the top of the memory the program may use
    }

    // Serves the call and returns from it.
    void bdos(ZetaContext& c) {
        const uint8_t function = static_cast<uint8_t>(c.bc);
        if (function == 2) {
            output_ += static_cast<char>(c.de & 0xFF);
        } else if (function == 9) {
            for (uint16_t a = c.de; memory_[a] != '$'; a = static_cast<uint16_t>(a + 1)) {
                output_ += static_cast<char>(memory_[a]);
            }
        }
        c.pc = word(c.sp);
        c.sp = static_cast<uint16_t>(c.sp + 2);
        c.halted = 0;
    }

    uint16_t word(uint16_t address) const {
        return static_cast<uint16_t>(memory_[address] | (memory_[static_cast<uint16_t>(address + 1)] << 8));
    }
    void setWord(uint16_t address, uint16_t value) {
        memory_[address] = static_cast<uint8_t>(value);
        memory_[static_cast<uint16_t>(address + 1)] = static_cast<uint8_t>(value >> 8);
    }

    const std::vector<uint8_t>& program_;
    std::vector<uint8_t> memory_;
    uint16_t table_ = 0;
    std::vector<uint16_t> groups_;
    std::string output_;
};

// The group's name: what it prints before its run of dots (two or more; no
// name holds two dots in a row).
std::string groupName(const std::string& printed) {
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

TEST(ZetaZexdoc, EveryGroupPassesButTheListedDepartures) {
    const std::string path = VIMO_TESTDATA_DIR "/z80/zexdoc.com";
    const std::vector<uint8_t> program = readFile(path);
    ASSERT_FALSE(program.empty()) << "cannot read " << path;
    ASSERT_LT(program.size(), 0xFE00u - 0x0100u);
    CpmMachine machine(program);
    ASSERT_TRUE(machine.findTable()) << "the program's start does not look like the exerciser's";

    size_t listedSeen = 0;
    for (size_t i = 0; i < machine.groupCount(); ++i) {
        std::string printed;
        uint16_t stopAddress = 0;
        const Outcome outcome = machine.runGroup(i, printed, stopAddress);
        const std::string name = groupName(printed);
        Outcome expected = Outcome::ok;
        const char* reason = "";
        for (const ExpectedFailure& failure : kExpectedFailures) {
            if (name == failure.group) {
                expected = failure.outcome;
                reason = failure.reason;
                ++listedSeen;
            }
        }
        std::printf("%-32s %s", name.c_str(), describe(outcome));
        if (outcome == Outcome::invalidInstruction) {
            std::printf(" at 0x%04X", stopAddress);
        }
        if (expected != Outcome::ok) {
            std::printf("  [listed: %s]", reason);
        }
        std::printf("\n");
        EXPECT_EQ(outcome, expected) << name << " printed:" << printed;
    }
    EXPECT_EQ(listedSeen, sizeof(kExpectedFailures) / sizeof(kExpectedFailures[0]))
        << "every listed group exists";
}

}  // namespace
}  // namespace vimo::test
