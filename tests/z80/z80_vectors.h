// Reading the independent single-instruction vectors
// (z80-single-step.jsonl.gz), shared by the vector tests of both Z80 cores:
// a small JSON reader for the case lines, the instruction a case names, its
// port traffic, and a walk over every case of the file.
//
// Each case gives the registers and memory before and after, the T-states,
// and for I/O instructions the port traffic. The file is read from the
// directory in $VIMO_Z80_TESTDATA when that is set, otherwise from the shared
// test data.
#pragma once

#include <cstdint>
#include <functional>
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

}  // namespace vimo::test
