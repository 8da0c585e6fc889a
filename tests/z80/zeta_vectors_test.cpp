// The independent single-instruction vectors (z80-single-step.jsonl.gz), run
// one case at a time through zetaRun with a budget of 0, which executes
// exactly one instruction.
//
// Each case gives the registers and memory before and after, the T-states,
// and for I/O instructions the port traffic. The cases come from a model of
// the real chip; where this core deliberately behaves otherwise, the
// comparison follows the mask table below, one row per behaviour with its
// reason. Instructions the core does not implement are checked against its
// own rule instead: the run stops at the instruction's first byte, changes
// nothing and counts nothing.
//
// The file is read from the directory in $VIMO_Z80_TESTDATA when that is set,
// otherwise from the shared test data (z80_vectors.h).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "z80/zeta/zeta.h"
#include "z80_vectors.h"
#include "zeta_opcodes.h"

namespace vimo::test {
namespace {

bool implementedByZeta(const Opcode& o) {
    switch (o.prefix) {
        case 0xED:
            return kZetaEdOpcodes.count(o.op) != 0;
        case 0xDD:
        case 0xFD:
            return o.indexBit ? zetaImplementsIndexBit(o.op) : kZetaIndexOpcodes.count(o.op) != 0;
        default:
            return true;  // unprefixed and CB: every opcode
    }
}

// ---- the mask table ---------------------------------------------------------------

constexpr uint8_t kFlagC = 0x01, kFlagN = 0x02, kFlagPV = 0x04, kFlag3 = 0x08, kFlagH = 0x10, kFlag5 = 0x20,
                  kFlagZ = 0x40, kFlagS = 0x80;

enum Field : unsigned {
    kFieldA = 1u << 0,
    kFieldIff1 = 1u << 1,
    kFieldCycles = 1u << 2,
};

using Case = VectorCase;

const VectorMask kMasks[] = {
    {"bits 3 and 5 of F", [](const Case&) { return true; }, kFlag3 | kFlag5, 0,
     "the core does not model them: results clear them, a few instructions keep them"},
    {"DAA half carry", [](const Case& c) { return isUnprefixed(c, 0x27); }, kFlagH, 0,
     "the core sets H whenever it corrects the low digit"},
    {"DAA carry after a subtraction",
     [](const Case& c) { return isUnprefixed(c, 0x27) && (c.initial["f"] & kFlagN) != 0; }, kFlagC, 0,
     "after a subtraction a low correction that borrows sets C"},
    {"SLL r and SLL (HL)", [](const Case& c) { return c.opcode.prefix == 0xCB && (c.opcode.op & 0xF8) == 0x30; },
     kFlagZ | kFlagPV, 0, "Z and P/V come from the value before bit 0 is set"},
    {"BIT b,r / (HL) / (IX+d) P/V",
     [](const Case& c) {
         const bool cb = c.opcode.prefix == 0xCB || c.opcode.indexBit;
         return cb && (c.opcode.op & 0xC0) == 0x40;
     },
     kFlagPV, 0, "BIT leaves P/V clear"},
    {"INI, IND, OUTI, OUTD and repeats",
     [](const Case& c) { return c.opcode.prefix == 0xED && (c.opcode.op & 0xE6) == 0xA2; },
     kFlagS | kFlagH | kFlagPV | kFlagN | kFlagC, 0, "the core sets Z from B and N, and keeps the others"},
    {"LD A,R", [](const Case& c) { return c.opcode.prefix == 0xED && c.opcode.op == 0x5F; },
     kFlagS | kFlagZ, kFieldA, "R follows the cycle count, not the opcode fetches"},
    {"RETI", [](const Case& c) { return c.opcode.prefix == 0xED && c.opcode.op == 0x4D; }, 0, kFieldIff1,
     "RETI leaves the interrupt flip-flops alone"},
    {"IXH, IXL, IYH, IYL forms",
     [](const Case& c) {
         return (c.opcode.prefix == 0xDD || c.opcode.prefix == 0xFD) && !c.opcode.indexBit &&
                kZetaIndexHalfOpcodes.count(c.opcode.op) != 0;
     },
     0, kFieldCycles, "they cost 9 in this core (the chip: 8, LD IXH,n 11)"},
    {"HALT", [](const Case& c) { return isUnprefixed(c, 0x76); }, 0, kFieldCycles,
     "HALT ends the run with its whole budget counted (0 here) instead of 4"},
    {"JR to itself",
     [](const Case& c) {
         return isUnprefixed(c, 0x18) && ramByte(c.initial, (c.initial["pc"] + 1) & 0xFFFF) == 0xFE;
     },
     0, kFieldCycles, "a JR with displacement -2 ends the run with its whole budget counted (0 here)"},
};
constexpr size_t kMaskCount = sizeof(kMasks) / sizeof(kMasks[0]);

// Compared everywhere: A F B C D E H L (F under the masks), IX, IY, SP, PC, the
// alternate set, I, IM, IFF1, IFF2, the final RAM, the port traffic and the
// T-states. Never compared: R (it follows the cycle count), the hidden WZ,
// Q and P, the "ei" marker, and the upper byte of port addresses (the core
// presents the 8-bit port number alone).

// Adjustments rather than masks:
// - EI (FB): the instruction after EI runs in the same run, so the call
//   executes EI and the NOP that the zero-filled memory holds after it: PC one
//   further and 4 more T-states than the case says.

// ---- running one case -----------------------------------------------------------------

// The core presents the 8-bit port number alone.
uint32_t portRead(uint32_t port, const Z80PortRange* range) {
    return static_cast<PortBus*>(range->user)->read(static_cast<uint8_t>(port));
}

void portWrite(uint32_t port, uint32_t value, const Z80PortRange* range) {
    static_cast<PortBus*>(range->user)->write(static_cast<uint8_t>(port), static_cast<uint8_t>(value));
}

class VectorRunner {
public:
    VectorRunner() {
        portReads_ = {Z80PortRange::reader(0x00, 0xFF, portRead, &ports_), Z80PortRange::end()};
        portWrites_ = {Z80PortRange::writer(0x00, 0xFF, portWrite, &ports_), Z80PortRange::end()};
    }

    // Returns an empty string when the case passes, else what differed.
    std::string check(const Json& test, size_t maskHits[kMaskCount], bool& invalid) {
        const Json& initial = *test.find("initial");
        const Json& final = *test.find("final");
        const Opcode opcode = opcodeOf(test.find("name")->text);
        const Case c{initial, final, opcode};
        setUp(initial, test);

        Differences diff;
        const auto result = zetaRun(core_, 0);
        const uint32_t elapsed = zetaTakeElapsed(core_, 1);
        const ZetaContext& x = core_.context;

        invalid = !implementedByZeta(opcode);
        if (invalid) {
            // The core's exit: stopped on the first byte, nothing changed or counted.
            const auto pc = static_cast<uint16_t>(initial["pc"]);
            std::ostringstream text;
            if (result != pc) text << " result " << std::hex << result << " (expected the instruction's address)";
            if (x.pc != pc) text << " pc " << std::hex << x.pc;
            if (elapsed != 0) text << " elapsed " << std::dec << elapsed;
            if (!unchanged(initial) || !ports_.seen.empty()) text << " state changed";
            return text.str();
        }
        if (result != kZetaSliceEnded) {
            return " stopped as invalid at " + std::to_string(result);
        }

        const auto [flagMask, fieldMask] = selectMasks(kMasks, c, maskHits);
        int64_t expectedPc = final["pc"];
        int64_t expectedCycles = test["cycles"];
        if (opcode.prefix == 0 && opcode.op == 0xFB) {
            expectedPc = (expectedPc + 1) & 0xFFFF;
            expectedCycles += 4;
        }

        if ((fieldMask & kFieldA) == 0) diff.compare("a", x.af >> 8, final["a"]);
        diff.compare("f", (x.af & 0xFF) & ~flagMask, final["f"] & ~flagMask);
        diff.compare("b", x.bc >> 8, final["b"]);
        diff.compare("c", x.bc & 0xFF, final["c"]);
        diff.compare("d", x.de >> 8, final["d"]);
        diff.compare("e", x.de & 0xFF, final["e"]);
        diff.compare("h", x.hl >> 8, final["h"]);
        diff.compare("l", x.hl & 0xFF, final["l"]);
        diff.compare("ix", x.ix, final["ix"]);
        diff.compare("iy", x.iy, final["iy"]);
        diff.compare("sp", x.sp, final["sp"]);
        diff.compare("pc", x.pc, expectedPc);
        diff.compare("af'", x.af2, final["af_"]);
        diff.compare("bc'", x.bc2, final["bc_"]);
        diff.compare("de'", x.de2, final["de_"]);
        diff.compare("hl'", x.hl2, final["hl_"]);
        diff.compare("i", x.i, final["i"]);
        diff.compare("im", x.interruptMode, final["im"]);
        if ((fieldMask & kFieldIff1) == 0) diff.compare("iff1", x.iff & 1u, final["iff1"]);
        diff.compare("iff2", (x.iff >> 1) & 1u, final["iff2"]);
        if ((fieldMask & kFieldCycles) == 0) diff.compare("cycles", elapsed, expectedCycles);
        for (const Json& pair : final.find("ram")->items) {
            const auto address = static_cast<size_t>(pair.items[0].number);
            diff.compare("ram", memory_[address], pair.items[1].number);
        }
        std::vector<PortEvent> expectedPorts = portEventsOf(test);
        for (PortEvent& event : expectedPorts) {
            event.port &= 0xFF;  // the core presents the 8-bit port number alone
        }
        if (ports_.seen != expectedPorts) {
            diff.note(" port traffic differs");
        }
        return diff.str();
    }

private:
    void setUp(const Json& initial, const Json& test) {
        memory_.load(initial);
        ports_.expect(test);
        ZetaContext c{};
        c.base = memory_.data();
        c.baseSize = static_cast<uint32_t>(memory_.size());
        c.portRead = portReads_.data();
        c.portWrite = portWrites_.data();
        c.af = static_cast<uint16_t>((initial["a"] << 8) | initial["f"]);
        c.bc = static_cast<uint16_t>((initial["b"] << 8) | initial["c"]);
        c.de = static_cast<uint16_t>((initial["d"] << 8) | initial["e"]);
        c.hl = static_cast<uint16_t>((initial["h"] << 8) | initial["l"]);
        c.af2 = static_cast<uint16_t>(initial["af_"]);
        c.bc2 = static_cast<uint16_t>(initial["bc_"]);
        c.de2 = static_cast<uint16_t>(initial["de_"]);
        c.hl2 = static_cast<uint16_t>(initial["hl_"]);
        c.ix = static_cast<uint16_t>(initial["ix"]);
        c.iy = static_cast<uint16_t>(initial["iy"]);
        c.sp = static_cast<uint16_t>(initial["sp"]);
        c.pc = static_cast<uint16_t>(initial["pc"]);
        c.i = static_cast<uint8_t>(initial["i"]);
        c.r = static_cast<uint8_t>(initial["r"]);
        c.interruptMode = static_cast<uint32_t>(initial["im"]);
        c.iff = static_cast<uint32_t>(initial["iff1"] | (initial["iff2"] << 1));
        c.interruptAddress = 0x38;
        c.nmiAddress = 0x66;
        zetaLoadContext(core_, &c);
        zetaTakeElapsed(core_, 1);
        initialRam_ = initial.find("ram");
    }

    bool unchanged(const Json& initial) const {
        const ZetaContext& x = core_.context;
        bool same = x.af == ((initial["a"] << 8) | initial["f"]) && x.bc == ((initial["b"] << 8) | initial["c"]) &&
                    x.de == ((initial["d"] << 8) | initial["e"]) && x.hl == ((initial["h"] << 8) | initial["l"]) &&
                    x.ix == initial["ix"] && x.iy == initial["iy"] && x.sp == initial["sp"];
        for (const Json& pair : initialRam_->items) {
            same = same && memory_[static_cast<size_t>(pair.items[0].number)] == pair.items[1].number;
        }
        return same;
    }

    ZetaCore core_;
    VectorRam memory_;
    const Json* initialRam_ = nullptr;
    PortBus ports_;
    std::vector<Z80PortRange> portReads_;
    std::vector<Z80PortRange> portWrites_;
};

TEST(ZetaVectors, EveryCaseOutsideTheMasksMatches) {
    VectorRunner runner;
    size_t maskHits[kMaskCount] = {};
    size_t invalidCases = 0;
    const VectorTally tally =
        checkEveryVectorCase(vectorFilePath(VIMO_TESTDATA_DIR "/z80"), [&](const Json& test) {
            bool invalid = false;
            std::string diff = runner.check(test, maskHits, invalid);
            invalidCases += invalid ? 1 : 0;
            return diff;
        });
    const size_t cases = tally.cases;
    const size_t failures = tally.failures;
    EXPECT_TRUE(tally.read) << tally.error;

    std::printf("%zu cases: %zu compared with the chip, %zu checked as invalid for this core\n", cases,
                cases - invalidCases, invalidCases);
    printVectorReport(tally, kMasks, maskHits);
    EXPECT_GT(cases, 0u);
    EXPECT_EQ(failures, 0u);
}

}  // namespace
}  // namespace vimo::test
