// The independent single-instruction vectors (z80-single-step.jsonl.gz, read
// through z80_vectors.h), run one case at a time through kiteRun with a
// budget of 0, which executes exactly one instruction.
//
// The cases come from a model of the real chip. This core follows the chip
// in nearly everything, R and bits 3 and 5 of F included; where it
// deliberately behaves otherwise the comparison follows the short mask table
// below, one row per behaviour with its reason. Every case outside it must
// match.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "z80/kite/kite.h"
#include "z80_vectors.h"

namespace vimo::test {
namespace {

constexpr uint8_t kFlagC = 0x01, kFlagN = 0x02, kFlagPV = 0x04, kFlag3 = 0x08, kFlagH = 0x10, kFlag5 = 0x20;

enum Field : unsigned {
    kFieldIm = 1u << 0,
    kFieldPortHighByte = 1u << 1,
};

// The instructions with no DD or FD form: the prefix runs as an instruction
// of its own. Written out from the instruction set: what a DD table holds.
bool hasIndexedForm(int op) {
    const int x = op >> 6;
    const int y = (op >> 3) & 7;
    const int z = op & 7;
    const auto half = [](int r) { return r == 4 || r == 5; };  // H or L: IXH or IXL
    if (x == 1) {  // LD r,r': (IX+d) in the (HL) slot, the halves for H and L; 76 is HALT
        return op != 0x76 && (y == 6 || z == 6 || half(y) || half(z));
    }
    if (x == 2) {  // ALU A,r
        return z == 6 || half(z);
    }
    switch (op) {
        case 0x09: case 0x19: case 0x29: case 0x39: case 0x21: case 0x22: case 0x2A: case 0x23: case 0x2B:
        case 0x24: case 0x25: case 0x26: case 0x2C: case 0x2D: case 0x2E: case 0x34: case 0x35: case 0x36:
        case 0xE1: case 0xE3: case 0xE5: case 0xE9: case 0xF9: case 0xCB:
            return true;
        default:
            return false;
    }
}

bool isPrefixWithoutForm(const VectorCase& c) {
    return (c.opcode.prefix == 0xDD || c.opcode.prefix == 0xFD) && !c.opcode.indexBit && !hasIndexedForm(c.opcode.op);
}

bool isBlockIo(const VectorCase& c) { return c.opcode.prefix == 0xED && (c.opcode.op & 0xE6) == 0xA2; }
bool isBlockOut(const VectorCase& c) { return isBlockIo(c) && (c.opcode.op & 1) != 0; }
bool isRepeat(const VectorCase& c) { return c.opcode.prefix == 0xED && (c.opcode.op & 0xF0) == 0xB0; }

// A repeating block instruction that repeats: the chip then moves PC back,
// and the case's final PC is the instruction's own address.
bool repeats(const VectorCase& c) { return isRepeat(c) && c.final["pc"] == c.initial["pc"]; }

const VectorMask kMasks[] = {
    {"SCF / CCF bits 3 and 5",
     [](const VectorCase& c) {
         // The chip ORs F's bits into A's when the instruction before left F
         // alone (q names what it changed; a DD or FD prefix changes nothing).
         const bool scfCcf = (c.opcode.op == 0x37 || c.opcode.op == 0x3F) &&
                             (c.opcode.prefix == 0 || isPrefixWithoutForm(c));
         const int64_t q = c.opcode.prefix == 0 ? c.initial["q"] : 0;
         const int64_t chip = (q ^ c.initial["f"]) | c.initial["a"];
         return scfCcf && ((chip ^ c.initial["a"]) & 0x28) != 0;
     },
     kFlag3 | kFlag5, 0, "SCF and CCF take bits 3 and 5 from A alone"},
    {"BIT b,(HL) bits 3 and 5",
     [](const VectorCase& c) {
         return c.opcode.prefix == 0xCB && (c.opcode.op & 0xC7) == 0x46;
     },
     kFlag3 | kFlag5, 0, "BIT b,(HL) leaves bits 3 and 5 as they were (the chip shows its hidden address latch)"},
    {"block I/O P/V", isBlockIo, kFlagPV, 0,
     "INI, IND, OUTI, OUTD and their repeats take P/V from the parity of B alone"},
    {"OUTI / OUTD H and C", isBlockOut, kFlagH | kFlagC, 0,
     "OUTI, OUTD and their repeats add C + 1 to the byte for H and C (the chip adds L)"},
    {"OUTI / OUTD port", isBlockOut, 0, kFieldPortHighByte,
     "OUTI, OUTD and their repeats put B on the bus as it was before the decrement"},
    {"repeating block I/O", [](const VectorCase& c) { return isBlockIo(c) && repeats(c); },
     kFlagH | kFlag3 | kFlag5, 0,
     "a block I/O repeat keeps the flags of its iteration (the chip alters H, P/V, 3 and 5 when it repeats)"},
    {"repeating LDIR / CPIR bits 3 and 5",
     [](const VectorCase& c) { return isRepeat(c) && !isBlockIo(c) && repeats(c); }, kFlag3 | kFlag5, 0,
     "a repeating transfer or search keeps the bits of its iteration (the chip takes them from PC)"},
    {"IM for ED 4E and 6E", [](const VectorCase& c) { return isEd(c, 0x4E) || isEd(c, 0x6E); }, 0, kFieldIm,
     "ED 4E and ED 6E select mode 1 (the chip: mode 0)"},
};
constexpr size_t kMaskCount = sizeof(kMasks) / sizeof(kMasks[0]);

// Compared everywhere: A F B C D E H L (F under the masks), IX, IY, SP, PC, the
// alternate set, I, R, IM, IFF1, IFF2, the final RAM, the port traffic (16-bit
// port addresses) and the T-states. Never compared: the hidden WZ, Q and P,
// and the "ei" marker.
//
// Adjustments rather than masks:
// - DD or FD before an opcode with no indexed form is an instruction of its
//   own here: the case runs two instructions (the prefix, then the opcode),
//   which together must give what the chip gives for the pair.
// - EI (FB): the instruction after EI runs in the same run, so the call
//   executes EI and the NOP that the zero-filled memory holds after it: PC
//   one further, R one more and 4 more T-states than the case says.

// ---- running one case -----------------------------------------------------------------

PortBus* ports = nullptr;

uint32_t portRead(uint32_t port) { return ports->read(static_cast<uint16_t>(port)); }

void portWrite(uint32_t port, uint32_t value) {
    ports->write(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
}

class VectorRunner {
public:
    VectorRunner() {
        ports = &ports_;
        kiteBeginMemoryMap(core_);
        kiteMapFetchPages(core_, 0x0000, 0xFFFF, memory_.data());
        kiteAddReadRange(core_, 0x0000, 0xFFFF, kKiteRangeMemory, memory_.data());
        kiteAddWriteRange(core_, 0x0000, 0xFFFF, kKiteRangeMemory, memory_.data());
        kiteSetPortReader(core_, portRead);
        kiteSetPortWriter(core_, portWrite);
        kiteEndMemoryMap(core_);
        kiteResetCpu(core_);
    }
    ~VectorRunner() { ports = nullptr; }
    VectorRunner(const VectorRunner&) = delete;
    VectorRunner& operator=(const VectorRunner&) = delete;

    // Returns an empty string when the case passes, else what differed.
    std::string check(const Json& test, size_t maskHits[kMaskCount]) {
        const Json& initial = *test.find("initial");
        const Json& final = *test.find("final");
        const Opcode opcode = opcodeOf(test.find("name")->text);
        const VectorCase c{initial, final, opcode};
        setUp(initial, test);

        int64_t cycles = kiteRun(core_, 0);
        if (isPrefixWithoutForm(c)) {
            cycles += kiteRun(core_, 0);
        }

        const auto [flagMask, fieldMask] = selectMasks(kMasks, c, maskHits);
        int64_t expectedPc = final["pc"];
        int64_t expectedCycles = test["cycles"];
        int64_t expectedR = final["r"];
        const bool ei = opcode.op == 0xFB && (opcode.prefix == 0 || isPrefixWithoutForm(c));
        if (ei) {
            expectedPc = (expectedPc + 1) & 0xFFFF;
            expectedCycles += 4;
            expectedR = (expectedR & 0x80) | ((expectedR + 1) & 0x7F);
        }

        Differences diff;
        const uint32_t af = kiteRegister(core_, kKiteAF);
        diff.compare("a", af >> 8, final["a"]);
        diff.compare("f", (af & 0xFF) & ~flagMask, final["f"] & ~flagMask);
        diff.compare("bc", kiteRegister(core_, kKiteBC), (final["b"] << 8) | final["c"]);
        diff.compare("de", kiteRegister(core_, kKiteDE), (final["d"] << 8) | final["e"]);
        diff.compare("hl", kiteRegister(core_, kKiteHL), (final["h"] << 8) | final["l"]);
        diff.compare("ix", kiteRegister(core_, kKiteIX), final["ix"]);
        diff.compare("iy", kiteRegister(core_, kKiteIY), final["iy"]);
        diff.compare("sp", kiteRegister(core_, kKiteSP), final["sp"]);
        diff.compare("pc", kiteRegister(core_, kKitePC), expectedPc);
        diff.compare("af'", kiteRegister(core_, kKiteAF2), final["af_"]);
        diff.compare("bc'", kiteRegister(core_, kKiteBC2), final["bc_"]);
        diff.compare("de'", kiteRegister(core_, kKiteDE2), final["de_"]);
        diff.compare("hl'", kiteRegister(core_, kKiteHL2), final["hl_"]);
        diff.compare("ir", kiteRegister(core_, kKiteIR), (final["i"] << 8) | expectedR);
        if ((fieldMask & kFieldIm) == 0) diff.compare("im", kiteRegister(core_, kKiteIM), final["im"]);
        diff.compare("iff1", kiteRegister(core_, kKiteIFF1), final["iff1"]);
        diff.compare("iff2", kiteRegister(core_, kKiteIFF2), final["iff2"]);
        diff.compare("cycles", cycles, expectedCycles);
        for (const Json& pair : final.find("ram")->items) {
            const auto address = static_cast<size_t>(pair.items[0].number);
            diff.compare("ram", memory_[address], pair.items[1].number);
        }
        std::vector<PortEvent> expectedPorts = portEventsOf(test);
        std::vector<PortEvent> seen = ports_.seen;
        if ((fieldMask & kFieldPortHighByte) != 0) {
            for (PortEvent& event : expectedPorts) event.port &= 0xFF;
            for (PortEvent& event : seen) event.port &= 0xFF;
        }
        if (seen != expectedPorts) {
            diff.note(" port traffic differs");
        }
        return diff.str();
    }

private:
    void setUp(const Json& initial, const Json& test) {
        memory_.load(initial);
        ports_.expect(test);
        kiteResetCpu(core_);
        kiteStoreRegister(core_, kKiteAF, static_cast<uint32_t>((initial["a"] << 8) | initial["f"]));
        kiteStoreRegister(core_, kKiteBC, static_cast<uint32_t>((initial["b"] << 8) | initial["c"]));
        kiteStoreRegister(core_, kKiteDE, static_cast<uint32_t>((initial["d"] << 8) | initial["e"]));
        kiteStoreRegister(core_, kKiteHL, static_cast<uint32_t>((initial["h"] << 8) | initial["l"]));
        kiteStoreRegister(core_, kKiteAF2, static_cast<uint32_t>(initial["af_"]));
        kiteStoreRegister(core_, kKiteBC2, static_cast<uint32_t>(initial["bc_"]));
        kiteStoreRegister(core_, kKiteDE2, static_cast<uint32_t>(initial["de_"]));
        kiteStoreRegister(core_, kKiteHL2, static_cast<uint32_t>(initial["hl_"]));
        kiteStoreRegister(core_, kKiteIX, static_cast<uint32_t>(initial["ix"]));
        kiteStoreRegister(core_, kKiteIY, static_cast<uint32_t>(initial["iy"]));
        kiteStoreRegister(core_, kKiteSP, static_cast<uint32_t>(initial["sp"]));
        kiteStoreRegister(core_, kKitePC, static_cast<uint32_t>(initial["pc"]));
        kiteStoreRegister(core_, kKiteIR, static_cast<uint32_t>((initial["i"] << 8) | initial["r"]));
        kiteStoreRegister(core_, kKiteIM, static_cast<uint32_t>(initial["im"]));
        kiteStoreRegister(core_, kKiteIFF1, static_cast<uint32_t>(initial["iff1"]));
        kiteStoreRegister(core_, kKiteIFF2, static_cast<uint32_t>(initial["iff2"]));
    }

    KiteCore core_;
    VectorRam memory_;
    PortBus ports_;
};

TEST(KiteVectors, EveryCaseOutsideTheMasksMatches) {
    auto runner = std::make_unique<VectorRunner>();
    size_t maskHits[kMaskCount] = {};
    const VectorTally tally = checkEveryVectorCase(vectorFilePath(VIMO_TESTDATA_DIR "/z80"),
                                                   [&](const Json& test) { return runner->check(test, maskHits); });
    const size_t cases = tally.cases;
    const size_t failures = tally.failures;
    EXPECT_TRUE(tally.read) << tally.error;

    std::printf("%zu cases compared with the chip\n", cases);
    printVectorReport(tally, kMasks, maskHits);
    EXPECT_GT(cases, 0u);
    EXPECT_EQ(failures, 0u);
}

}  // namespace
}  // namespace vimo::test
