// A small CP/M harness for the instruction exercisers (zexdoc.com,
// zexall.com), shared by the long tests of both Z80 cores.
//
// The harness: 64 KB of memory, the program at 0x0100 and started there
// with SP at 0xFFFE, HALT at 0x0000 (a jump there ends the program) and at
// 0x0005 (the BDOS entry: C = 2 prints E, C = 9 prints the '$'-terminated
// string at DE, then the harness returns from the call), and the word at
// 0x0006 giving the top of the memory the program may use.
//
// The exerciser walks a table of test groups. The harness runs each group on
// its own, pointing the table at that group alone, so a group that stops at
// an instruction a core does not implement does not hide the groups after
// it. Every group must print "OK" except those a test lists as expected
// failures, which must fail in the listed way, so a change of behaviour is
// noticed either way.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vimo::test {

enum class CpmOutcome { ok, error, invalidInstruction };

const char* describe(CpmOutcome outcome);

// A group that a core fails on purpose, with the behaviour behind it.
struct CpmExpectedFailure {
    const char* group;  // the group's name as the program prints it
    CpmOutcome outcome;
    const char* reason;
};

struct CpmRegisters {
    uint16_t pc = 0;
    uint16_t sp = 0;
    uint16_t bc = 0;
    uint16_t de = 0;
    bool halted = false;
};

// What the harness asks of a core.
struct CpmCpu {
    // Reset the core on the 64 KB memory (every access reaching it) and set
    // PC and SP.
    std::function<void(std::vector<uint8_t>& memory, uint16_t pc, uint16_t sp)> start;
    // One long run; false when the core stopped at an instruction it does not
    // implement, whose address goes to stopAddress.
    std::function<bool(uint16_t& stopAddress)> run;
    std::function<CpmRegisters()> registers;
    // Return from a BDOS call: PC and SP set, the halt ended.
    std::function<void(uint16_t pc, uint16_t sp)> resume;
};

std::vector<uint8_t> readBinaryFile(const std::string& path);

class CpmMachine {
public:
    explicit CpmMachine(const std::vector<uint8_t>& program) : program_(program) {}

    // Finds the table of group pointers from the program's start ("LD HL,(6);
    // LD SP,HL; LD DE,msg; LD C,9; CALL print; LD HL,table").
    bool findTable();
    size_t groupCount() const { return groups_.size(); }

    // Runs group `index` alone and returns what it printed after the banner.
    CpmOutcome runGroup(size_t index, CpmCpu& cpu, std::string& printed, uint16_t& stopAddress);

private:
    void load();
    void bdos(CpmCpu& cpu, const CpmRegisters& registers);
    uint16_t word(uint16_t address) const;
    void setWord(uint16_t address, uint16_t value);

    const std::vector<uint8_t>& program_;
    std::vector<uint8_t> memory_;
    uint16_t table_ = 0;
    std::vector<uint16_t> groups_;
    std::string output_;
};

// The group's name: what it prints before its run of dots.
std::string cpmGroupName(const std::string& printed);

// Runs every group of the exerciser in `path` on the core, prints one line
// per group, and checks (GoogleTest expectations) that every group prints
// "OK" but the listed ones, which must fail as listed.
void runExerciser(const std::string& path, CpmCpu& cpu, std::span<const CpmExpectedFailure> expectedFailures);

}  // namespace vimo::test
