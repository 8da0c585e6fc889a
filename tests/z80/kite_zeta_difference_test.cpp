// The difference suite: the same small programs
// (tests/programs/z80/kite_zeta_differences.asm) run on both Z80 cores, one
// test per behaviour in which the two cores differ on purpose. Each test
// states what each core does, from that core's own rules, so a change of
// either core shows up here.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "kite_zeta_programs.h"
#include "z80/kite/kite.h"
#include "z80/zeta/zeta.h"

namespace vimo::test {
namespace {

// The programs, in the order of the jump table.
enum Program : uint16_t {
    kEdNoOp,
    kPrefixBeforePlain,
    kSllIndexed,
    kIndexHalves,
    kBits3And5,
    kBlockInputFlags,
    kPortAddresses,
    kRetiFlipFlops,
    kRRegister,
    kLdirOverItself,
    kDaaAfterSubtract,
    kSllFlags,
    kBitParity,
    kEdImMirror,
    kWaitLoop,
    kHaltOnly,
    kCallAndReturn,
};

constexpr uint16_t kStack = 0xF000;
constexpr uint8_t kPortAnswer = 0xF0;
constexpr int kLongBudget = 10'000;

using PortWrite = std::pair<uint32_t, uint32_t>;  // port, byte

// ---- Zeta over a flat 64 KB image ----------------------------------------------------------

struct ZetaPorts {
    std::vector<PortWrite> writes;
};

uint32_t zetaPortRead(uint32_t, const Z80PortRange*) { return kPortAnswer; }

void zetaPortWrite(uint32_t port, uint32_t value, const Z80PortRange* range) {
    static_cast<ZetaPorts*>(range->user)->writes.emplace_back(port, value);
}

class ZetaSide {
public:
    ZetaSide() : memory_(0x10000, 0) {
        portReads_[0] = Z80PortRange::reader(0x00, 0xFF, zetaPortRead, &ports_);
        portReads_[1] = Z80PortRange::end();
        portWrites_[0] = Z80PortRange::writer(0x00, 0xFF, zetaPortWrite, &ports_);
        portWrites_[1] = Z80PortRange::end();
    }

    void start(Program program, const Z80MemRange* writes = nullptr) {
        const std::span<const uint8_t> image = programs::kite_zeta_differences();
        std::fill(memory_.begin(), memory_.end(), 0);
        std::copy(image.begin(), image.end(), memory_.begin());
        core = ZetaCore{};
        core.context.base = memory_.data();
        core.context.baseSize = static_cast<uint32_t>(memory_.size());
        core.context.portRead = portReads_;
        core.context.portWrite = portWrites_;
        core.context.memWrite = writes;
        zetaResetCpu(core);
        core.context.pc = static_cast<uint16_t>(program * 3);
        core.context.sp = kStack;
    }

    // Returns zetaRun's result.
    uint32_t run(uint32_t budget) { return zetaRun(core, budget); }
    uint32_t elapsed() { return zetaTakeElapsed(core, 1); }
    // Runs the jump-table entry and returns the program's address.
    uint16_t enter() {
        run(0);
        elapsed();
        return core.context.pc;
    }

    uint8_t a() const { return static_cast<uint8_t>(core.context.af >> 8); }
    uint8_t f() const { return static_cast<uint8_t>(core.context.af); }

    ZetaCore core;
    ZetaPorts ports_;
    std::vector<uint8_t> memory_;

private:
    Z80PortRange portReads_[2];
    Z80PortRange portWrites_[2];
};

// ---- Kite over the same image ---------------------------------------------------------------

class KiteSide {
public:
    KiteSide() : core(std::make_unique<KiteCore>()), memory_(0x10000, 0) { current = this; }
    ~KiteSide() { current = nullptr; }
    KiteSide(const KiteSide&) = delete;
    KiteSide& operator=(const KiteSide&) = delete;

    // `stackHandler` puts a write handler over 0xE000-0xEFFF that stores into
    // the same memory and counts its calls.
    void start(Program program, bool stackHandler = false) {
        const std::span<const uint8_t> image = programs::kite_zeta_differences();
        std::fill(memory_.begin(), memory_.end(), 0);
        std::copy(image.begin(), image.end(), memory_.begin());
        *core = KiteCore{};
        kiteBeginMemoryMap(*core);
        kiteMapFetchPages(*core, 0x0000, 0xFFFF, memory_.data());
        kiteAddReadRange(*core, 0x0000, 0xFFFF, kKiteRangeMemory, memory_.data());
        kiteAddWriteRange(*core, 0x0000, 0xFFFF, kKiteRangeMemory, memory_.data());
        if (stackHandler) {
            // Whole pages: the later range's handler replaces them.
            kiteAddWriteRange(*core, 0xE000, 0xEFFF, kKiteRangeHandler, countingWrite);
        }
        kiteSetPortReader(*core, [](uint32_t) -> uint32_t { return kPortAnswer; });
        kiteSetPortWriter(*core, [](uint32_t port, uint32_t value) { current->portWrites.emplace_back(port, value); });
        kiteEndMemoryMap(*core);
        kiteResetCpu(*core);
        kiteStoreRegister(*core, kKitePC, program * 3u);
        kiteStoreRegister(*core, kKiteSP, kStack);
        portWrites.clear();
        handlerWrites = 0;
    }

    int32_t run(int32_t budget) { return kiteRun(*core, budget); }
    uint16_t enter() {
        run(0);
        return static_cast<uint16_t>(reg(kKitePC));
    }
    uint32_t reg(uint32_t index) const { return kiteRegister(*core, index); }
    uint8_t a() const { return static_cast<uint8_t>(reg(kKiteAF) >> 8); }

    static void countingWrite(uint32_t address, uint32_t value) {
        ++current->handlerWrites;
        current->memory_[address] = static_cast<uint8_t>(value);
    }

    static inline KiteSide* current = nullptr;
    std::unique_ptr<KiteCore> core;
    std::vector<uint8_t> memory_;
    std::vector<PortWrite> portWrites;
    int handlerWrites = 0;
};

class KiteZetaDifferences : public ::testing::Test {
protected:
    ZetaSide zeta;
    KiteSide kite;
};

// ---- instruction set ------------------------------------------------------------------------

TEST_F(KiteZetaDifferences, EdWithNoInstruction) {
    zeta.start(kEdNoOp);
    const uint16_t address = zeta.enter();
    EXPECT_EQ(zeta.run(kLongBudget), address) << "Zeta: the invalid-instruction exit at the ED byte";
    EXPECT_EQ(zeta.core.context.pc, address);
    kite.start(kEdNoOp);
    kite.enter();
    EXPECT_EQ(kite.run(0), 8) << "Kite: a no-op of 8 cycles";
    kite.run(kLongBudget);
    EXPECT_EQ(kite.a(), 1);
    EXPECT_EQ(kite.reg(kKiteHalted), 1u);
}

TEST_F(KiteZetaDifferences, PrefixBeforeAnOpcodeWithNoIndexedForm) {
    zeta.start(kPrefixBeforePlain);
    const uint16_t address = zeta.enter();
    EXPECT_EQ(zeta.run(kLongBudget), address);
    EXPECT_EQ(zeta.a(), 0);
    kite.start(kPrefixBeforePlain);
    kite.enter();
    EXPECT_EQ(kite.run(0), 4) << "Kite: the prefix alone";
    EXPECT_EQ(kite.run(0), 4) << "then INC A as an instruction of its own";
    EXPECT_EQ(kite.a(), 1);
}

TEST_F(KiteZetaDifferences, SllOnAnIndexedOperand) {
    zeta.start(kSllIndexed);
    const uint16_t address = zeta.enter();
    EXPECT_EQ(zeta.run(kLongBudget), static_cast<uint32_t>(address + 4)) << "Zeta: invalid after LD IX,nn";
    kite.start(kSllIndexed);
    kite.run(kLongBudget);
    const auto data = static_cast<uint16_t>(kite.reg(kKiteIX));
    EXPECT_EQ(kite.memory_[data], 0x81) << "Kite: 0x40 shifted left with bit 0 set";
    EXPECT_EQ(zeta.memory_[data], 0x40);
}

TEST_F(KiteZetaDifferences, IndexHalfCosts) {
    zeta.start(kIndexHalves);
    zeta.enter();
    zeta.run(0);
    EXPECT_EQ(zeta.elapsed(), 9u) << "Zeta: LD IXH,n 9";
    zeta.run(0);
    EXPECT_EQ(zeta.elapsed(), 9u) << "Zeta: LD A,IXH 9";
    kite.start(kIndexHalves);
    kite.enter();
    EXPECT_EQ(kite.run(0), 11) << "Kite: LD IXH,n 11";
    EXPECT_EQ(kite.run(0), 8) << "Kite: LD A,IXH 8";
    EXPECT_EQ(zeta.a(), 0x12);
    EXPECT_EQ(kite.a(), 0x12);
}

TEST_F(KiteZetaDifferences, EdImMirror) {
    zeta.start(kEdImMirror);
    const uint16_t address = zeta.enter();
    EXPECT_EQ(zeta.run(kLongBudget), address);
    kite.start(kEdImMirror);
    kite.run(kLongBudget);
    EXPECT_EQ(kite.reg(kKiteIM), 1u);
}

// ---- flags --------------------------------------------------------------------------------------

TEST_F(KiteZetaDifferences, BitsThreeAndFiveOfF) {
    zeta.start(kBits3And5);
    zeta.run(kLongBudget);
    kite.start(kBits3And5);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.core.context.bc, 0x2800) << "Zeta: ADD leaves them clear";
    EXPECT_EQ(kite.reg(kKiteBC), 0x2828u) << "Kite: from the result 0x28";
}

TEST_F(KiteZetaDifferences, BlockInputFlags) {
    zeta.start(kBlockInputFlags);
    zeta.run(kLongBudget);
    kite.start(kBlockInputFlags);
    kite.run(kLongBudget);
    // After XOR A (Z, P/V), INI with B = 2 reading 0xF0.
    EXPECT_EQ(zeta.core.context.de & 0xFF, 0x06) << "Zeta: Z from B (now 1), N set, the rest kept";
    EXPECT_EQ(kite.reg(kKiteDE) & 0xFF, 0x13u) << "Kite: 0xF0 + C + 1 carries (H, C), N from bit 7, B odd";
}

TEST_F(KiteZetaDifferences, DaaHalfCarryAfterASubtraction) {
    zeta.start(kDaaAfterSubtract);
    zeta.run(kLongBudget);
    kite.start(kDaaAfterSubtract);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.core.context.bc, 0x2716) << "Zeta: H set whenever the low digit is corrected";
    EXPECT_EQ(kite.reg(kKiteBC), 0x2726u) << "Kite: H clear (low nibble 0xD is not below 6), bit 5 from 0x27";
}

TEST_F(KiteZetaDifferences, SllFlags) {
    zeta.start(kSllFlags);
    zeta.run(kLongBudget);
    kite.start(kSllFlags);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.core.context.bc >> 8, 0x01);
    EXPECT_EQ(kite.reg(kKiteBC) >> 8, 0x01u);
    EXPECT_EQ(zeta.core.context.de & 0xFF, 0x45) << "Zeta: S, Z, P/V from 0x00, before bit 0 is set";
    EXPECT_EQ(kite.reg(kKiteDE) & 0xFF, 0x01u) << "Kite: from the result 0x01";
}

TEST_F(KiteZetaDifferences, BitParityFlag) {
    zeta.start(kBitParity);
    zeta.run(kLongBudget);
    kite.start(kBitParity);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.core.context.de & 0xFF, 0x50) << "Zeta: Z and H, P/V clear";
    EXPECT_EQ(kite.reg(kKiteDE) & 0xFF, 0x54u) << "Kite: P/V set with Z";
}

// ---- ports, interrupts flip-flops, R, LDIR ------------------------------------------------------

TEST_F(KiteZetaDifferences, PortAddresses) {
    zeta.start(kPortAddresses);
    zeta.run(kLongBudget);
    kite.start(kPortAddresses);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.ports_.writes, (std::vector<PortWrite>{{0x34, 0x56}, {0x78, 0x56}})) << "Zeta: C or n alone";
    EXPECT_EQ(kite.portWrites, (std::vector<PortWrite>{{0x1234, 0x56}, {0x5678, 0x56}}))
        << "Kite: BC, and A x 256 + n";
}

TEST_F(KiteZetaDifferences, RetiAndTheFlipFlops) {
    zeta.start(kRetiFlipFlops);
    zeta.core.context.iff = 2;  // IFF1 clear, IFF2 set
    zeta.run(kLongBudget);
    kite.start(kRetiFlipFlops);
    kiteStoreRegister(*kite.core, kKiteIFF1, 0);
    kiteStoreRegister(*kite.core, kKiteIFF2, 1);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.core.context.iff & 1u, 0u) << "Zeta: RETI leaves them alone";
    EXPECT_EQ(kite.reg(kKiteIFF1), 1u) << "Kite: IFF1 = IFF2";
}

TEST_F(KiteZetaDifferences, RCountsFetchesOrFollowsTheCycles) {
    zeta.start(kRRegister);
    zeta.run(kLongBudget);
    kite.start(kRRegister);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.a(), 0) << "Zeta: LD A,R gives what the previous LD A,R prepared (R as reset)";
    EXPECT_EQ(kite.a(), 11) << "Kite: JP, eight NOPs, ED and 5F fetched";
}

TEST_F(KiteZetaDifferences, LdirOverItsOwnBytes) {
    zeta.start(kLdirOverItself);
    zeta.run(kLongBudget);
    kite.start(kLdirOverItself);
    kite.run(kLongBudget);
    EXPECT_EQ(zeta.a(), 0) << "Zeta: the copy runs to its end and the HALT it copied stops the program";
    EXPECT_EQ(zeta.core.context.bc, 0);
    EXPECT_EQ(kite.a(), 1) << "Kite: the repetition ends at the first overwritten byte: INC A, OR B, HALT";
    EXPECT_EQ(kite.reg(kKiteBC), 2u);
    EXPECT_EQ(kite.reg(kKitePC), zeta.core.context.pc) << "both stop at the HALT after the LDIR's place";
}

// ---- timing ---------------------------------------------------------------------------------------

TEST_F(KiteZetaDifferences, HaltTakesUpTheRun) {
    zeta.start(kHaltOnly);
    zeta.enter();
    zeta.run(101);
    EXPECT_EQ(zeta.elapsed(), 101u) << "Zeta: exactly the budget";
    kite.start(kHaltOnly);
    kite.enter();
    EXPECT_EQ(kite.run(101), 101 - (101 & 3) + 4) << "Kite: in 4-cycle steps";
}

TEST_F(KiteZetaDifferences, JumpToItself) {
    zeta.start(kWaitLoop);
    const uint16_t address = zeta.enter();
    zeta.run(100);
    EXPECT_EQ(zeta.elapsed(), 100u) << "Zeta: the run ends with its whole budget";
    EXPECT_EQ(zeta.core.context.pc, address);
    kite.start(kWaitLoop);
    kite.enter();
    EXPECT_EQ(kite.run(100), 9 * 12) << "Kite: a JR of 12 like any other";
    EXPECT_EQ(kite.reg(kKitePC), address);
}

// ---- memory paths -----------------------------------------------------------------------------------

int zetaHandlerWrites = 0;
void zetaCountingWrite(uint32_t, uint32_t, const Z80MemRange*) { ++zetaHandlerWrites; }

TEST_F(KiteZetaDifferences, StackTrafficOfACall) {
    const Z80MemRange writes[] = {Z80MemRange::writer(0xE000, 0xEFFF, zetaCountingWrite), Z80MemRange::end()};
    zetaHandlerWrites = 0;
    zeta.start(kCallAndReturn, writes);
    zeta.core.context.sp = 0xE800;
    zeta.run(kLongBudget);
    kite.start(kCallAndReturn, true);
    kiteStoreRegister(*kite.core, kKiteSP, 0xE800);
    kite.run(kLongBudget);
    EXPECT_EQ(zetaHandlerWrites, 0) << "Zeta: CALL pushes straight into its memory image";
    EXPECT_EQ(kite.handlerWrites, 2) << "Kite: through the write pages";
    EXPECT_EQ(zeta.core.context.halted, 1u);
    EXPECT_EQ(kite.reg(kKiteHalted), 1u);
}

// ---- interrupts ------------------------------------------------------------------------------------

TEST_F(KiteZetaDifferences, ModeZeroDataBusByte) {
    zeta.start(kHaltOnly);
    zeta.core.context.iff = 3;
    kite.start(kHaltOnly);
    kiteStoreRegister(*kite.core, kKiteIFF1, 1);
    EXPECT_EQ(zetaInterrupt(zeta.core, 0xCF), 0);
    kiteRaiseIrq(*kite.core, 0xCF);
    EXPECT_EQ(zeta.core.context.pc, 0x38) << "Zeta: mode 0 goes to its interrupt address";
    EXPECT_EQ(kite.reg(kKitePC), 0x08u) << "Kite: RST 08 on the data bus";
}

TEST_F(KiteZetaDifferences, AcceptanceCycles) {
    zeta.start(kHaltOnly);
    zeta.core.context.iff = 3;
    kite.start(kHaltOnly);
    kiteStoreRegister(*kite.core, kKiteIFF1, 1);
    zetaInterrupt(zeta.core, 0xFF);
    kiteRaiseIrq(*kite.core, 0xFF);
    EXPECT_EQ(zeta.elapsed(), 13u) << "Zeta: counted at once";
    EXPECT_EQ(kiteCyclesDone(*kite.core), 0) << "Kite: owed to the next run";
    kite.memory_[0x38] = 0x00;  // NOP
    EXPECT_EQ(kite.run(0), 4 + 13);
}

TEST_F(KiteZetaDifferences, InterruptWhileHaltedWithInterruptsDisabled) {
    zeta.start(kHaltOnly);
    zeta.enter();
    zeta.run(100);
    kite.start(kHaltOnly);
    kite.enter();
    kite.run(100);
    EXPECT_EQ(zetaInterrupt(zeta.core, 0xFF), -1);
    kiteRaiseIrq(*kite.core, 0xFF);
    EXPECT_EQ(zeta.core.context.halted, 0u) << "Zeta: the request ends the halt and stays pending";
    EXPECT_EQ(kite.reg(kKiteHalted), 1u) << "Kite: the line stays raised, the CPU halted";
    EXPECT_EQ(kite.reg(kKiteIrqLine), 1u);
}

TEST_F(KiteZetaDifferences, ResetAndAPendingInterrupt) {
    zeta.start(kHaltOnly);
    kite.start(kHaltOnly);
    zetaInterrupt(zeta.core, 0xFF);
    kiteRaiseIrq(*kite.core, 0xFF);
    zetaResetCpu(zeta.core);
    kiteResetCpu(*kite.core);
    EXPECT_EQ(zeta.core.context.interruptPending, 1) << "Zeta: a request survives a reset";
    EXPECT_EQ(kite.reg(kKiteIrqLine), 0u) << "Kite: the reset clears the line";
}

}  // namespace
}  // namespace vimo::test
