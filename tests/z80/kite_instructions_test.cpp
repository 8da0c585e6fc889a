// The Kite instruction set: the cost of every opcode of the six tables, the
// flag rules with bits 3 and 5, the INC, DEC and DAA tables, the undocumented
// forms, the ED no-ops and the prefixes without an indexed form, the port
// addresses and the block instructions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kite_fixture.h"
#include "z80/kite/tables.h"

namespace vimo::test {
namespace {

// ---- costs -----------------------------------------------------------------------------

// The published Zilog timing table for the unprefixed opcodes, with F = 0 and
// B = 1: conditions NZ, NC, PO and P hold, Z, C, PE and M do not, and DJNZ
// falls through. 0 marks the entries measured elsewhere: the prefixes, HALT
// and EI.
constexpr uint8_t kMainCosts[256] = {
    //  0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    4, 10, 7, 6, 4, 4, 7, 4, 4, 11, 7, 6, 4, 4, 7, 4,       // 0x00
    8, 10, 7, 6, 4, 4, 7, 4, 12, 11, 7, 6, 4, 4, 7, 4,      // 0x10
    12, 10, 16, 6, 4, 4, 7, 4, 7, 11, 16, 6, 4, 4, 7, 4,    // 0x20
    12, 10, 13, 6, 11, 11, 10, 4, 7, 11, 13, 6, 4, 4, 7, 4,  // 0x30
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x40
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x50
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x60
    7, 7, 7, 7, 7, 7, 0, 7, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x70
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x80
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0x90
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0xA0
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,         // 0xB0
    11, 10, 10, 10, 17, 11, 7, 11, 5, 10, 10, 0, 10, 17, 7, 11,  // 0xC0
    11, 10, 10, 11, 17, 11, 7, 11, 5, 4, 10, 11, 10, 0, 7, 11,   // 0xD0
    11, 10, 10, 19, 17, 11, 7, 11, 5, 4, 10, 4, 10, 0, 7, 11,    // 0xE0
    11, 10, 10, 4, 17, 11, 7, 11, 5, 6, 10, 0, 10, 0, 7, 11,     // 0xF0
};

// The conditional instructions with F = 0xFF: the other path of each.
struct Branch {
    uint8_t opcode;
    int cost;
};
constexpr Branch kOtherPaths[] = {
    {0x20, 7},  {0x28, 12}, {0x30, 7},  {0x38, 12},  // JR cc
    {0xC0, 5},  {0xC8, 11}, {0xD0, 5},  {0xD8, 11}, {0xE0, 5}, {0xE8, 11}, {0xF0, 5}, {0xF8, 11},  // RET cc
    {0xC4, 10}, {0xCC, 17}, {0xD4, 10}, {0xDC, 17}, {0xE4, 10}, {0xEC, 17}, {0xF4, 10}, {0xFC, 17},  // CALL cc
    {0xC2, 10}, {0xCA, 10},  // JP cc: 10 either way
};

// ED table: the documented instructions, their undocumented mirrors, and 8
// for every opcode with no instruction (state as costOf sets it).
int edCost(int op) {
    if (op >= 0x40 && op <= 0x7F) {
        switch (op & 7) {
            case 0: case 1: return 12;  // IN r,(C) / OUT (C),r (70 and 71 included)
            case 2: return 15;          // SBC / ADC HL,rr
            case 3: return 20;          // LD (nn),rr / LD rr,(nn)
            case 4: return 8;           // NEG and mirrors
            case 5: return 14;          // RETN, RETI and mirrors
            case 6: return 8;           // IM
            default:
                switch (op) {
                    case 0x47: case 0x4F: case 0x57: case 0x5F: return 9;  // LD I,A  LD R,A  LD A,I  LD A,R
                    case 0x67: case 0x6F: return 18;                       // RRD, RLD
                    default: return 8;                                     // 77, 7F: nothing
                }
        }
    }
    if (op == 0xB0 || op == 0xB8) {
        return 21;  // LDIR, LDDR: BC = 0x0101 goes on, so the count runs out after one repetition
    }
    if ((op & 0xE4) == 0xA0) {
        return 16;  // A0-A3, A8-AB, B1-B3, B9-BB: CPIR finds A (0) at once, B goes to 0
    }
    return 8;
}

// DD table (FD alike): the IX instructions and their costs; 4 for a prefix
// before an opcode with no indexed form.
int indexCost(int op) {
    const int x = op >> 6;
    const int y = (op >> 3) & 7;
    const int z = op & 7;
    const auto half = [](int r) { return r == 4 || r == 5; };
    if (x == 1 && op != 0x76) {
        if (y == 6 || z == 6) return 19;         // LD r,(IX+d) / LD (IX+d),r
        if (half(y) || half(z)) return 8;        // the IXH / IXL loads
        return 4;
    }
    if (x == 2) {
        if (z == 6) return 19;  // ALU A,(IX+d)
        if (half(z)) return 8;  // ALU A,IXH / IXL
        return 4;
    }
    switch (op) {
        case 0x09: case 0x19: case 0x29: case 0x39: return 15;  // ADD IX,rr
        case 0x21: return 14;                                   // LD IX,nn
        case 0x22: case 0x2A: return 20;                        // LD (nn),IX / LD IX,(nn)
        case 0x23: case 0x2B: return 10;                        // INC IX / DEC IX
        case 0x24: case 0x25: case 0x2C: case 0x2D: return 8;   // INC / DEC IXH, IXL
        case 0x26: case 0x2E: return 11;                        // LD IXH,n / LD IXL,n
        case 0x34: case 0x35: return 23;                        // INC / DEC (IX+d)
        case 0x36: return 19;                                   // LD (IX+d),n
        case 0xE1: return 14;                                   // POP IX
        case 0xE3: return 23;                                   // EX (SP),IX
        case 0xE5: return 15;                                   // PUSH IX
        case 0xE9: return 8;                                    // JP (IX)
        case 0xF9: return 10;                                   // LD SP,IX
        default: return 4;
    }
}

class KiteCosts : public KiteTest {
protected:
    // One instruction from a fixed state at 0x1000, its bytes followed by
    // zeros (NOP, and operands of 0).
    int costOf(std::initializer_list<uint8_t> bytes, uint8_t flags = 0x00) {
        mapFlat();
        std::fill(memory.begin(), memory.end(), 0);
        load(0x1000, bytes);
        set(kKitePC, 0x1000);
        set(kKiteSP, 0x8000);
        set(kKiteAF, flags);
        set(kKiteBC, 0x0101);
        set(kKiteHL, 0x4000);
        set(kKiteDE, 0x5000);
        set(kKiteIX, 0x6000);
        set(kKiteIY, 0x6000);
        return step();
    }
};

TEST_F(KiteCosts, UnprefixedOpcodesCostWhatThePublishedTableGives) {
    for (int op = 0; op < 256; ++op) {
        if (kMainCosts[op] != 0) {
            EXPECT_EQ(costOf({static_cast<uint8_t>(op)}), kMainCosts[op]) << "opcode " << std::hex << op;
        }
    }
    for (const Branch& branch : kOtherPaths) {
        EXPECT_EQ(costOf({branch.opcode}, 0xFF), branch.cost) << "opcode " << std::hex << int(branch.opcode);
    }
}

TEST_F(KiteCosts, DjnzTakenCostsThirteen) {
    load(0, {0x10, 0xFE});
    set(kKiteBC, 0x0300);
    EXPECT_EQ(step(), 13);
    EXPECT_EQ(pc(), 0);
}

TEST_F(KiteCosts, CbOpcodesCostEightOnARegisterAndMoreOnHl) {
    for (int op = 0; op < 256; ++op) {
        const bool memoryOperand = (op & 7) == 6;
        const bool bit = (op & 0xC0) == 0x40;
        const int expected = !memoryOperand ? 8 : (bit ? 12 : 15);
        EXPECT_EQ(costOf({0xCB, static_cast<uint8_t>(op)}), expected) << "CB " << std::hex << op;
    }
}

TEST_F(KiteCosts, EdOpcodesIncludingMirrorsAndNoOps) {
    for (int op = 0; op < 256; ++op) {
        EXPECT_EQ(costOf({0xED, static_cast<uint8_t>(op)}), edCost(op)) << "ED " << std::hex << op;
    }
}

TEST_F(KiteCosts, DdAndFdOpcodesAndThePrefixAlone) {
    for (const uint8_t prefix : {uint8_t{0xDD}, uint8_t{0xFD}}) {
        for (int op = 0; op < 256; ++op) {
            if (op == 0xCB) {
                continue;
            }
            const int cost = costOf({prefix, static_cast<uint8_t>(op)});
            EXPECT_EQ(cost, indexCost(op)) << std::hex << int(prefix) << ' ' << op;
            if (indexCost(op) == 4) {
                EXPECT_EQ(pc(), 0x1001) << "the prefix steps back to the opcode";
            }
        }
    }
}

TEST_F(KiteCosts, IndexBitOpcodesCostTwentyOrTwentyThree) {
    for (int op = 0; op < 256; ++op) {
        const int expected = (op & 0xC0) == 0x40 ? 20 : 23;
        EXPECT_EQ(costOf({0xDD, 0xCB, 0x05, static_cast<uint8_t>(op)}), expected) << "DD CB " << std::hex << op;
        EXPECT_EQ(pc(), 0x1004);
    }
}

TEST_F(KiteCosts, PrefixChainsRunOneInstructionPerPrefix) {
    load(0, {0xDD, 0xFD, 0x21, 0x34, 0x12, 0xDD, 0xED, 0x44, 0xFD, 0x76});
    EXPECT_EQ(step(), 4) << "DD before FD";
    EXPECT_EQ(step(), 14) << "LD IY,0x1234";
    EXPECT_EQ(reg(kKiteIY), 0x1234u);
    EXPECT_EQ(reg(kKiteIX), 0xFFFFu);
    EXPECT_EQ(step(), 4) << "DD before ED";
    setA(1);
    EXPECT_EQ(step(), 8) << "NEG";
    EXPECT_EQ(a(), 0xFF);
    EXPECT_EQ(step(), 4) << "FD before HALT";
    EXPECT_EQ(step(), 4) << "HALT";
    EXPECT_EQ(reg(kKiteHalted), 1u);
}

// ---- flag tables ----------------------------------------------------------------------

TEST(KiteTables, IncAndDecRows) {
    EXPECT_EQ(kiteIncFlags[0x7F], 0x94);
    EXPECT_EQ(kiteIncFlags[0xFF], 0x50);
    EXPECT_EQ(kiteIncFlags[0x0F], 0x10);
    EXPECT_EQ(kiteIncFlags[0x27], 0x28) << "bits 3 and 5 from the result 0x28";
    EXPECT_EQ(kiteDecFlags[0x00], 0xBA);
    EXPECT_EQ(kiteDecFlags[0x80], 0x3E);
    EXPECT_EQ(kiteDecFlags[0x10], 0x1A);
    EXPECT_EQ(kiteDecFlags[0x01], 0x42);
}

TEST(KiteTables, DaaRows) {
    // H clear, N clear, C clear.
    EXPECT_EQ(kiteDaaTables[0][0x9A], 0x5500);
    EXPECT_EQ(kiteDaaTables[0][0x99], 0x8C99);
    // 0x15 + 0x27 = 0x3C: the low digit is corrected, H set: 0x42, F = H, P/V.
    EXPECT_EQ(kiteDaaTables[0][0x3C], 0x1442);
    // 0x42 - 0x15 = 0x2D (H and N set): 0x27; H clears, the low nibble 0xD
    // not being below 6. F = 5, P/V, N.
    EXPECT_EQ(kiteDaaTables[1][512 + 0x2D], 0x2627);
    // N and H set, low nibble 2 (below 6): 0x02 - 6 = 0xFC with H set.
    EXPECT_EQ(kiteDaaTables[1][512 + 0x02], 0xBEFC);
    // C set, N clear: 0x60 added and C kept set.
    EXPECT_EQ(kiteDaaTables[0][256 + 0x00], 0x2560);
    // N set, C clear, A above 0x99: 0x60 subtracted and C set.
    EXPECT_EQ(kiteDaaTables[0][512 + 0xA0], 0x0340);
}

// ---- flags through instructions ------------------------------------------------------------

class KiteFlags : public KiteTest {
protected:
    // Runs the bytes at 0x0100 as one instruction from the given A and F.
    int exec(std::initializer_list<uint8_t> bytes, uint8_t aValue, uint8_t fValue) {
        load(0x0100, bytes);
        set(kKitePC, 0x0100);
        set(kKiteAF, static_cast<uint32_t>((aValue << 8) | fValue));
        return step();
    }
};

TEST_F(KiteFlags, AluTakesBitsThreeAndFiveFromTheResult) {
    exec({0xC6, 0x00}, 0x28, 0x00);  // ADD A,0
    EXPECT_EQ(f(), kF5 | kF3);
    exec({0xE6, 0xFF}, 0x08, 0x00);  // AND 0xFF
    EXPECT_EQ(f(), kH | kF3) << "H set by AND; 0x08 has odd parity";
    exec({0xD6, 0x01}, 0x21, 0x00);  // SUB 1 = 0x20
    EXPECT_EQ(f(), kF5 | kN);
}

TEST_F(KiteFlags, CompareTakesThemFromTheOperand) {
    exec({0xFE, 0x28}, 0x00, 0x00);  // CP 0x28: 0x00 - 0x28 = 0xD8
    EXPECT_EQ(f(), kS | kF5 | kH | kF3 | kN | kC);
    EXPECT_EQ(a(), 0x00);
}

TEST_F(KiteFlags, ScfAndCcfTakeThemFromA) {
    exec({0x37}, 0x28, 0x00);  // SCF
    EXPECT_EQ(f(), kF5 | kF3 | kC);
    exec({0x3F}, 0x00, kF5 | kF3 | kC | kZ);  // CCF: old C to H, C inverted, Z kept
    EXPECT_EQ(f(), kZ | kH);
}

TEST_F(KiteFlags, IncOfSevenFKeepsCarry) {
    exec({0x3C}, 0x7F, kC);
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(f(), 0x95);
}

TEST_F(KiteFlags, DaaAfterAddingFortyFiveAndFiftyFive) {
    load(0x0100, {0xC6, 0x55, 0x27});  // ADD A,0x55; DAA
    set(kKitePC, 0x0100);
    set(kKiteAF, 0x4500);
    step();
    EXPECT_EQ(a(), 0x9A);
    step();
    EXPECT_EQ(a(), 0x00);
    EXPECT_EQ(f(), 0x55);
}

TEST_F(KiteFlags, DaaAfterASubtractionThatBorrowsFromTheLowDigit) {
    load(0x0100, {0xD6, 0x15, 0x27});  // SUB 0x15; DAA
    set(kKitePC, 0x0100);
    set(kKiteAF, 0x4200);
    step();
    EXPECT_EQ(a(), 0x2D);
    step();
    EXPECT_EQ(a(), 0x27);
    EXPECT_EQ(f(), kF5 | kPV | kN);
}

TEST_F(KiteFlags, BitOnARegisterTakesTheBitsFromTheRegister) {
    set(kKiteHL, 0x8028);
    exec({0xCB, 0x7C}, 0x00, kC);  // BIT 7,H
    EXPECT_EQ(f(), kS | kH | kC);
    exec({0xCB, 0x45}, 0x00, 0x00);  // BIT 0,L (0x28)
    EXPECT_EQ(f(), kZ | kPV | kH | kF5 | kF3);
}

TEST_F(KiteFlags, BitOnHlKeepsTheBitsAndBitOnIxTakesTheAddressHighByte) {
    set(kKiteHL, 0x4000);
    memory[0x4000] = 0x01;
    exec({0xCB, 0x46}, 0x00, kF5 | kF3);  // BIT 0,(HL)
    EXPECT_EQ(f(), kF5 | kH | kF3);
    set(kKiteIX, 0x2800);
    memory[0x2808] = 0x00;
    exec({0xDD, 0xCB, 0x08, 0x46}, 0x00, 0x00);  // BIT 0,(IX+8)
    EXPECT_EQ(f(), kZ | kF5 | kH | kF3 | kPV);
}

TEST_F(KiteFlags, AddHlTakesTheBitsFromTheHighByte) {
    set(kKiteHL, 0x0FFF);
    set(kKiteBC, 0x1801);
    exec({0x09}, 0x00, kS | kZ | kPV);  // ADD HL,BC = 0x2800
    EXPECT_EQ(reg(kKiteHL), 0x2800u);
    EXPECT_EQ(f(), kS | kZ | kF5 | kH | kF3 | kPV);
}

TEST_F(KiteFlags, BlockTransferAndSearchBits) {
    set(kKiteHL, 0x4000);
    set(kKiteDE, 0x5000);
    set(kKiteBC, 2);
    memory[0x4000] = 0x02;
    exec({0xED, 0xA0}, 0x20, kZ | kC);  // LDI: n = 0x22, bit 1 gives bit 5
    EXPECT_EQ(f(), kZ | kF5 | kPV | kC);
    EXPECT_EQ(memory[0x5000], 0x02);
    set(kKiteHL, 0x4000);
    set(kKiteBC, 1);
    memory[0x4000] = 0x01;
    exec({0xED, 0xA1}, 0x10, 0x00);  // CPI: 0x10 - 0x01 = 0x0F with H: n = 0x0E
    EXPECT_EQ(f(), kF5 | kH | kF3 | kN);
}

TEST_F(KiteFlags, InTakesTheFlagsFromTheValueAndInFStoresNothing) {
    kiteSetPortReader(k(), [](uint32_t) -> uint32_t { return 0x28; });
    set(kKiteBC, 0x1234);
    exec({0xED, 0x78}, 0x00, kC);  // IN A,(C)
    EXPECT_EQ(a(), 0x28);
    EXPECT_EQ(f(), kF5 | kF3 | kPV | kC);
    exec({0xED, 0x70}, 0x55, 0x00);  // IN F,(C)
    EXPECT_EQ(a(), 0x55);
    EXPECT_EQ(reg(kKiteBC), 0x1234u);
    EXPECT_EQ(f(), kF5 | kF3 | kPV);
}

TEST_F(KiteFlags, NegAndItsMirrors) {
    for (const uint8_t op : {uint8_t{0x44}, uint8_t{0x4C}, uint8_t{0x54}, uint8_t{0x5C}, uint8_t{0x64},
                             uint8_t{0x6C}, uint8_t{0x74}, uint8_t{0x7C}}) {
        exec({0xED, op}, 0x80, 0x00);
        EXPECT_EQ(a(), 0x80);
        EXPECT_EQ(f(), kS | kPV | kN | kC) << std::hex << int(op);
    }
    exec({0xED, 0x44}, 0x01, 0x00);
    EXPECT_EQ(a(), 0xFF);
    EXPECT_EQ(f(), kS | kF5 | kH | kF3 | kN | kC);
}

TEST_F(KiteFlags, RotateDigitFlagsFromTheNewA) {
    set(kKiteHL, 0x4000);
    memory[0x4000] = 0x86;
    exec({0xED, 0x6F}, 0x23, kC);  // RLD: (HL) = 0x63, A = 0x28
    EXPECT_EQ(memory[0x4000], 0x63);
    EXPECT_EQ(a(), 0x28);
    EXPECT_EQ(f(), kF5 | kF3 | kPV | kC);
    exec({0xED, 0x67}, 0x28, 0x00);  // RRD: (HL) = 0x86, A = 0x23
    EXPECT_EQ(memory[0x4000], 0x86);
    EXPECT_EQ(a(), 0x23);
    EXPECT_EQ(f(), kF5);
}

TEST_F(KiteFlags, LdAITakesIff2AndTheValuesBits) {
    set(kKiteIR, 0x2800);
    set(kKiteIFF2, 1);
    exec({0xED, 0x57}, 0x00, kC);
    EXPECT_EQ(a(), 0x28);
    EXPECT_EQ(f(), kF5 | kF3 | kPV | kC);
    set(kKiteIR, 0x0000);
    set(kKiteIFF2, 0);
    exec({0xED, 0x57}, 0x55, 0x00);
    EXPECT_EQ(f(), kZ);
}

TEST_F(KiteFlags, PushAfAndExAfMoveFWhole) {
    set(kKiteSP, 0x8000);
    exec({0xC6, 0x00}, 0x28, 0x00);  // ADD A,0: F = 0x28
    exec({0xF5}, 0x28, 0x28);        // PUSH AF
    EXPECT_EQ(word(0x7FFE), 0x2828);
    exec({0x08}, 0x11, 0xFF);        // EX AF,AF'
    EXPECT_EQ(reg(kKiteAF2), 0x11FFu);
    set(kKiteAF2, 0x3328);
    exec({0x08}, 0x00, 0x00);
    EXPECT_EQ(reg(kKiteAF), 0x3328u);
    memory[0x7000] = 0xD7;
    memory[0x7001] = 0x44;
    set(kKiteSP, 0x7000);
    exec({0xF1}, 0x00, 0x00);  // POP AF
    EXPECT_EQ(reg(kKiteAF), 0x44D7u);
    EXPECT_EQ(run(0), 4) << "NOP: F stays whole at the end of the run";
    EXPECT_EQ(f(), 0xD7);
}

// ---- block I/O, ports ----------------------------------------------------------------------

class KitePorts : public KiteTest {
protected:
    struct Event {
        uint32_t port;
        uint32_t value;
        bool operator==(const Event&) const = default;
    };
    static inline std::vector<Event> writes;
    static inline std::vector<uint32_t> reads;
    static inline uint8_t answer = 0;

    KitePorts() {
        writes.clear();
        reads.clear();
        kiteSetPortReader(k(), [](uint32_t port) -> uint32_t {
            reads.push_back(port);
            return answer;
        });
        kiteSetPortWriter(k(), [](uint32_t port, uint32_t value) { writes.push_back({port, value}); });
    }
    int exec(std::initializer_list<uint8_t> bytes) {
        load(0x0100, bytes);
        set(kKitePC, 0x0100);
        return step();
    }
};

TEST_F(KitePorts, PortAddressesCarryTheUpperByte) {
    setA(0x12);
    exec({0xD3, 0x34});  // OUT (0x34),A
    set(kKiteBC, 0x5678);
    exec({0xED, 0x79});  // OUT (C),A
    exec({0xED, 0x71});  // OUT (C),0
    EXPECT_EQ(writes, (std::vector<Event>{{0x1234, 0x12}, {0x5678, 0x12}, {0x5678, 0x00}}));
    setA(0x9A);
    exec({0xDB, 0xBC});  // IN A,(0xBC)
    exec({0xED, 0x40});  // IN B,(C)
    EXPECT_EQ(reads, (std::vector<uint32_t>{0x9ABC, 0x5678}));
}

TEST_F(KitePorts, IniTakesTheUpperByteBeforeTheDecrementAndSetsItsFlags) {
    answer = 0xF0;
    set(kKiteBC, 0x0210);
    set(kKiteHL, 0x4000);
    EXPECT_EQ(exec({0xED, 0xA2}), 16);  // INI
    EXPECT_EQ(reads, (std::vector<uint32_t>{0x0210}));
    EXPECT_EQ(memory[0x4000], 0xF0);
    EXPECT_EQ(reg(kKiteBC), 0x0110u);
    EXPECT_EQ(reg(kKiteHL), 0x4001u);
    // 0xF0 + (C + 1) exceeds 0xFF: H and C; N from bit 7; B = 1: odd parity.
    EXPECT_EQ(f(), kH | kN | kC);
}

TEST_F(KitePorts, IndAddsCMinusOne) {
    answer = 0x01;
    set(kKiteBC, 0x0100);  // C - 1 = 0xFF
    set(kKiteHL, 0x4000);
    exec({0xED, 0xAA});  // IND
    EXPECT_EQ(reg(kKiteHL), 0x3FFFu);
    EXPECT_EQ(f(), kZ | kH | kPV | kC) << "B = 0: Z and even parity";
}

TEST_F(KitePorts, OutiWritesTheByteToBcBeforeTheDecrement) {
    set(kKiteBC, 0x0534);
    set(kKiteHL, 0x4000);
    memory[0x4000] = 0x28;
    exec({0xED, 0xA3});  // OUTI
    EXPECT_EQ(writes, (std::vector<Event>{{0x0534, 0x28}}));
    // B = 4; 0x28 + 0x35 = 0x5D: no carry.
    EXPECT_EQ(f(), 0);
    EXPECT_EQ(reg(kKiteBC), 0x0434u);
}

TEST_F(KitePorts, OtirRepeatsUntilBIsZero) {
    set(kKiteBC, 0x0310);
    set(kKiteHL, 0x4000);
    load(0x4000, {1, 2, 3});
    load(0x0100, {0xED, 0xB3});
    set(kKitePC, 0x0100);
    EXPECT_EQ(run(58), 21 + 21 + 16);
    EXPECT_EQ(writes, (std::vector<Event>{{0x0310, 1}, {0x0210, 2}, {0x0110, 3}}));
    EXPECT_EQ(pc(), 0x0102);
}

TEST_F(KitePorts, InirRunningOutOfCyclesClearsPv) {
    answer = 0x00;
    set(kKiteBC, 0x0310);  // B = 2 after the first iteration: even parity
    set(kKiteHL, 0x4000);
    const int before = r();
    EXPECT_EQ(exec({0xED, 0xB2}), 21);
    EXPECT_EQ(pc(), 0x0100);
    EXPECT_EQ(f() & kPV, 0);
    EXPECT_EQ((r() - before) & 0x7F, 2);
}

// ---- undocumented forms -------------------------------------------------------------------

class KiteUndocumented : public KiteTest {
protected:
    int exec(std::initializer_list<uint8_t> bytes) {
        load(0x0100, bytes);
        set(kKitePC, 0x0100);
        return step();
    }
};

TEST_F(KiteUndocumented, IndexBitFormCopiesTheResultToARegister) {
    set(kKiteIX, 0x4000);
    memory[0x4005] = 0x81;
    EXPECT_EQ(exec({0xDD, 0xCB, 0x05, 0x00}), 23);  // RLC (IX+5),B
    EXPECT_EQ(memory[0x4005], 0x03);
    EXPECT_EQ(reg(kKiteBC) >> 8, 0x03u);
    EXPECT_EQ(f(), kPV | kC);
    set(kKiteIY, 0x4000);
    memory[0x3FFF] = 0x10;
    EXPECT_EQ(exec({0xFD, 0xCB, 0xFF, 0xC7}), 23) << "SET 0,(IY-1),A";
    EXPECT_EQ(memory[0x3FFF], 0x11);
    EXPECT_EQ(a(), 0x11);
    set(kKiteIY, 0x4000);
    memory[0x3FFF] = 0x10;
    exec({0xFD, 0xCB, 0xFF, 0x87});  // RES 0,(IY-1),A
    EXPECT_EQ(a(), 0x10);
}

TEST_F(KiteUndocumented, SllShiftsInAOne) {
    set(kKiteBC, 0x8000);
    EXPECT_EQ(exec({0xCB, 0x30}), 8);  // SLL B
    EXPECT_EQ(reg(kKiteBC) >> 8, 0x01u);
    EXPECT_EQ(f(), kC) << "flags from the result 0x01";
    set(kKiteIX, 0x4000);
    memory[0x4001] = 0x40;
    EXPECT_EQ(exec({0xDD, 0xCB, 0x01, 0x36}), 23);  // SLL (IX+1)
    EXPECT_EQ(memory[0x4001], 0x81);
    EXPECT_EQ(f(), kS | kPV);
}

TEST_F(KiteUndocumented, IndexHalvesAreEightBitRegisters) {
    set(kKiteIX, 0x1234);
    EXPECT_EQ(exec({0xDD, 0x26, 0x7F}), 11);  // LD IXH,0x7F
    EXPECT_EQ(exec({0xDD, 0x24}), 8);          // INC IXH
    EXPECT_EQ(reg(kKiteIX), 0x8034u);
    EXPECT_EQ(f(), kS | kH | kPV);
    EXPECT_EQ(exec({0xDD, 0x45}), 8);  // LD B,IXL
    EXPECT_EQ(reg(kKiteBC) >> 8, 0x34u);
    EXPECT_EQ(exec({0xDD, 0x6C}), 8);  // LD IXL,IXH
    EXPECT_EQ(reg(kKiteIX), 0x8080u);
    setA(0x01);
    EXPECT_EQ(exec({0xDD, 0x85}), 8);  // ADD A,IXL
    EXPECT_EQ(a(), 0x81);
    set(kKiteIY, 0x0000);
    exec({0xFD, 0x2D});  // DEC IYL
    EXPECT_EQ(reg(kKiteIY), 0x00FFu);
    EXPECT_EQ(reg(kKiteIX), 0x8080u);
    set(kKiteHL, 0x5555);
    exec({0xDD, 0x66, 0x00});  // LD H,(IX+0): the real H
    EXPECT_EQ(reg(kKiteHL) >> 8, memory[0x8080]);
    EXPECT_EQ(reg(kKiteIX), 0x8080u);
}

TEST_F(KiteUndocumented, EdMirrorsAndNoOps) {
    set(kKiteSP, 0x7000);
    load(0x7000, {0x00, 0x02});
    set(kKiteIFF1, 0);
    set(kKiteIFF2, 1);
    EXPECT_EQ(exec({0xED, 0x55}), 14);  // RETN mirror
    EXPECT_EQ(pc(), 0x0200);
    EXPECT_EQ(reg(kKiteIFF1), 1u);
    set(kKiteIM, 2);
    exec({0xED, 0x66});
    EXPECT_EQ(reg(kKiteIM), 0u);
    exec({0xED, 0x76});
    EXPECT_EQ(reg(kKiteIM), 1u);
    // No-ops: nothing but PC, R and the cost changes.
    set(kKiteAF, 0x1234);
    set(kKiteBC, 0x5678);
    for (const uint8_t op : {uint8_t{0x00}, uint8_t{0x3F}, uint8_t{0x77}, uint8_t{0x7F}, uint8_t{0x80},
                             uint8_t{0xA4}, uint8_t{0xBF}, uint8_t{0xC0}, uint8_t{0xFF}}) {
        EXPECT_EQ(exec({0xED, op}), 8);
        EXPECT_EQ(pc(), 0x0102);
        EXPECT_EQ(reg(kKiteAF), 0x1234u);
        EXPECT_EQ(reg(kKiteBC), 0x5678u);
    }
}

TEST_F(KiteUndocumented, RetiCopiesIff2ToIff1) {
    set(kKiteSP, 0x7000);
    load(0x7000, {0x34, 0x12});
    set(kKiteIFF1, 0);
    set(kKiteIFF2, 1);
    EXPECT_EQ(exec({0xED, 0x4D}), 14);
    EXPECT_EQ(pc(), 0x1234);
    EXPECT_EQ(reg(kKiteIFF1), 1u);
}

}  // namespace
}  // namespace vimo::test
