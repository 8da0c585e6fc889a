// Reading the independent single-instruction vectors
// (z80-single-step.jsonl.gz), shared by the vector tests of both Z80 cores:
// a small JSON reader for the case lines, the instruction a case names, its
// port traffic, a walk over every case of the file, and the plumbing both
// runners share (mask tables, the port stand-in, the RAM, the report).
//
// Each case gives the registers and memory before and after, the T-states,
// and for I/O instructions the port traffic. The file is read from the
// directory in $VIMO_Z80_TESTDATA when that is set, otherwise from the shared
// test data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vimo::test {

// ---- a small JSON reader -------------------------------------------------------

struct Json {
    enum class Type { null, number, string, array, object } type = Type::null;
    int64_t number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> fields;

    const Json* find(std::string_view key) const;
    // The number under key, 0 when there is none.
    int64_t operator[](std::string_view key) const;
};

// Parses one JSON value; false when the text is not one (the case files use
// no string escapes and no fractions).
bool parseJson(std::string_view text, Json& out);

// ---- the instruction a case names ----------------------------------------------

// "ED B0 0012" or "DD CB __ 46 0003": the opcode bytes (the displacement of
// the index-bit forms is "__"), then the case number.
struct Opcode {
    int prefix = 0;         // 0, 0xCB, 0xDD, 0xED, 0xFD
    bool indexBit = false;  // DD CB / FD CB
    int op = 0;             // the opcode byte after the prefixes (the fourth byte for DD CB)
};

Opcode opcodeOf(const std::string& name);

// One case as the mask tables see it.
struct VectorCase {
    const Json& initial;
    const Json& final;
    const Opcode& opcode;
};

inline bool isUnprefixed(const VectorCase& c, int op) { return c.opcode.prefix == 0 && c.opcode.op == op; }
inline bool isEd(const VectorCase& c, int op) { return c.opcode.prefix == 0xED && c.opcode.op == op; }

// The byte at address in a state's "ram" list (0 when the list does not hold it).
uint8_t ramByte(const Json& state, int64_t address);

// ---- port traffic -----------------------------------------------------------------

struct PortEvent {
    uint16_t port;
    uint8_t value;
    char direction;  // 'r' or 'w'
    bool operator==(const PortEvent&) const = default;
};

// The case's "ports" list, in order (empty when it has none).
std::vector<PortEvent> portEventsOf(const Json& test);

// ---- the file ------------------------------------------------------------------------

// $VIMO_Z80_TESTDATA/z80-single-step.jsonl.gz when the variable is set, else
// defaultDirectory/z80-single-step.jsonl.gz.
std::string vectorFilePath(const std::string& defaultDirectory);

// Calls visit for every case of the file, in order. False, with the reason in
// error, when the file cannot be opened or a line is not a case.
bool forEachVectorCase(const std::string& path, const std::function<void(const Json& test)>& visit,
                       std::string& error);

// ---- what both cores' runners share ----------------------------------------------------

// One behaviour in which a core deliberately differs from the chip.
struct VectorMask {
    const char* behaviour;
    bool (*applies)(const VectorCase&);
    uint8_t flags;    // F bits not compared
    unsigned fields;  // other fields not compared (each runner names its own)
    const char* reason;
};

struct MaskSelection {
    uint8_t flags = 0;
    unsigned fields = 0;
};

// The union of the masks that apply to the case; counts each hit in hits.
MaskSelection selectMasks(std::span<const VectorMask> masks, const VectorCase& c, size_t* hits);

// The ports as the case drives them: reads answer the case's read values in
// order (0xFF past the end), and every access is recorded.
struct PortBus {
    std::vector<PortEvent> expectedReads;  // values to answer, in order
    size_t nextRead = 0;
    std::vector<PortEvent> seen;

    // Forgets the previous case and takes the reads of this one.
    void expect(const Json& test);
    uint8_t read(uint16_t port);
    void write(uint16_t port, uint8_t value);
};

// 64 KB of RAM holding a case's "ram" list; loading a case first clears what
// the previous one wrote.
class VectorRam {
public:
    void load(const Json& initial);
    uint8_t* data() { return memory_.data(); }
    size_t size() const { return memory_.size(); }
    uint8_t operator[](size_t address) const { return memory_[address]; }

private:
    std::vector<uint8_t> memory_ = std::vector<uint8_t>(0x10000, 0);
    std::vector<size_t> touched_;
};

// The differences of one case, as " what actual (expected value)" entries.
class Differences {
public:
    void compare(const char* what, int64_t actual, int64_t expected) {
        if (actual != expected) {
            text_ << ' ' << what << ' ' << std::hex << actual << " (expected " << expected << ')';
        }
    }
    void note(const std::string& text) { text_ << text; }
    std::string str() const { return text_.str(); }

private:
    std::ostringstream text_;
};

// Every case of the file at `path` through `check`, which returns what differed (empty
// when the case passes). The first 40 differing cases are reported as test
// failures, all of them are counted by instruction.
struct VectorTally {
    bool read = false;
    std::string error;
    size_t cases = 0;
    size_t failures = 0;
    std::map<std::string, size_t> failuresByOpcode;
};

VectorTally checkEveryVectorCase(const std::string& path, const std::function<std::string(const Json& test)>& check);

// Prints how often each mask applied and the instructions that failed.
void printVectorReport(const VectorTally& tally, std::span<const VectorMask> masks, const size_t* hits);

}  // namespace vimo::test
