// The decode census: every one of the 65,536 opcode words is classified by an
// independent disassembler for the 68000 (the m68k cross objdump, run at test
// time) and compared with what the core's decode table sends it to. The core
// executes a few encodings the disassembler rejects; those are listed below
// with the reason.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "cpu68000/cpu68000.h"

namespace fs = std::filesystem;

namespace {

// Each opcode gets a slot of seven words: the opcode, four zero extension
// words (enough for the longest 68000 instruction), then two NOPs, so that any
// zero words the instruction does not consume decode as complete instructions
// and the next slot starts on an instruction boundary.
constexpr int kSlotWords = 7;

struct Name {
    std::string base;  // Motorola mnemonic, lower case
    char size;         // 'b', 'w', 'l' or 0 when not compared
    bool operator==(const Name&) const = default;
};

std::string describe(const Name& n) { return n.size ? n.base + "." + n.size : n.base; }

// Instructions whose size the disassembler does not print (or that have none).
const std::set<std::string> kUnsized = {
    "btst", "bchg", "bclr", "bset", "swap", "exg", "tas", "nbcd", "abcd", "sbcd", "moveq", "trap",
    "stop", "rte", "rts", "rtr", "trapv", "reset", "nop", "jmp", "jsr", "lea", "pea", "unlk",
    "illegal", "linea", "linef", "move_usp", "ori_ccr", "ori_sr", "andi_ccr", "andi_sr", "eori_ccr",
    "eori_sr", "move_from_sr", "move_to_ccr", "move_to_sr"};

const char* kConditions[] = {"t", "f", "hi", "ls", "cc", "cs", "ne", "eq",
                             "vc", "vs", "pl", "mi", "ge", "lt", "gt", "le"};

bool isScc(const std::string& b) {
    for (auto c : kConditions) {
        if (b == std::string("s") + c) return true;
    }
    return false;
}
bool isDbcc(const std::string& b) {
    for (auto c : kConditions) {
        if (b == std::string("db") + c) return true;
    }
    return false;
}
bool isBcc(const std::string& b) {
    if (b == "bra" || b == "bsr") return true;
    for (int i = 2; i < 16; ++i) {
        if (b == std::string("b") + kConditions[i]) return true;
    }
    return false;
}

// The core's own name, "base" or "base.size".
Name coreName(uint16_t opcode) {
    std::string s = vimo::Cpu68000::opcodeName(opcode);
    Name n{s, 0};
    if (auto dot = s.find('.'); dot != std::string::npos && dot + 2 == s.size()) {
        n.base = s.substr(0, dot);
        n.size = s[dot + 1];
    }
    if (kUnsized.count(n.base) || isScc(n.base) || isDbcc(n.base)) n.size = 0;
    return n;
}

// Where the disassembler accepts more than the 68000 has, even when told the
// processor is a 68000.
bool disassemblerTooLenient(uint16_t opcode, const std::string& mnemonic) {
    // Every line-F word is unimplemented on the 68000; the disassembler still
    // decodes coprocessor (FPU, MMU) instructions there.
    if ((opcode & 0xF000) == 0xF000) return true;
    // SUBQ.B to an address register: byte operations on An do not exist.
    if ((opcode & 0xF1F8) == 0x5108) return true;
    // 0x4AFD is an illegal TAS form; the disassembler prints an assembler
    // pseudo-op for it.
    return mnemonic.rfind("swbeg", 0) == 0;
}

// The disassembler's mnemonic and operands, in the core's naming.
Name disassemblerName(uint16_t opcode, const std::string& mnemonic, const std::string& operands) {
    if (mnemonic == ".short" || disassemblerTooLenient(opcode, mnemonic)) {
        if ((opcode & 0xF000) == 0xA000) return {"linea", 0};
        if ((opcode & 0xF000) == 0xF000) return {"linef", 0};
        return {"illegal", 0};
    }
    auto has = [&](const char* reg) { return operands.find(reg) != std::string::npos; };
    auto endsWith = [&](const char* reg) {
        std::string r(reg);
        return operands.size() >= r.size() && operands.compare(operands.size() - r.size(), r.size(), r) == 0;
    };
    if (has("%usp")) return {"move_usp", 0};
    for (const char* op : {"ori", "andi", "eori"}) {
        if (mnemonic.rfind(op, 0) == 0 && mnemonic.size() == std::string(op).size() + 1) {
            if (endsWith("%ccr")) return {std::string(op) + "_ccr", 0};
            if (endsWith("%sr")) return {std::string(op) + "_sr", 0};
        }
    }
    if (mnemonic == "movew" && endsWith("%sr")) return {"move_to_sr", 0};
    if (mnemonic == "movew" && endsWith("%ccr")) return {"move_to_ccr", 0};
    if (mnemonic == "movew" && operands.rfind("%sr,", 0) == 0) return {"move_from_sr", 0};

    if (kUnsized.count(mnemonic) || isScc(mnemonic) || isDbcc(mnemonic)) return {mnemonic, 0};
    char last = mnemonic.back();
    std::string stem = mnemonic.substr(0, mnemonic.size() - 1);
    if (isBcc(stem) && (last == 's' || last == 'w')) return {stem, last == 's' ? 'b' : 'w'};
    if (last == 'b' || last == 'w' || last == 'l') {
        if (kUnsized.count(stem)) return {stem, 0};
        return {stem, last};
    }
    return {mnemonic, 0};
}

// Encodings the core executes although the 68000's instruction map leaves
// them out.
bool documentedExtraForm(uint16_t opcode) {
    // BTST #n,#imm: tests a bit of the immediate byte.
    if (opcode == 0x083C) return true;
    // MOVE.B An,<ea>: moves the low byte of the address register.
    bool moveByte = (opcode & 0xF000) == 0x1000;
    bool fromAddressRegister = (opcode & 0x0038) == 0x0008;
    return moveByte && fromAddressRegister;
}

std::map<uint32_t, std::pair<std::string, std::string>> disassembleAll(std::string& error) {
    std::map<uint32_t, std::pair<std::string, std::string>> lines;
    fs::path dir = fs::temp_directory_path() / ("vimo-census-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path bin = dir / "opcodes.bin";
    {
        std::ofstream out(bin, std::ios::binary);
        for (uint32_t op = 0; op < 0x10000; ++op) {
            const uint16_t slot[kSlotWords] = {uint16_t(op), 0, 0, 0, 0, 0x4E71, 0x4E71};
            for (uint16_t w : slot) {
                const char bytes[2] = {char(w >> 8), char(w & 0xFF)};
                out.write(bytes, 2);
            }
        }
    }
    std::string command = std::string(VIMO_M68K_OBJDUMP) + " -D -z -b binary -m m68k:68000 " + bin.string();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        error = "cannot run " + command;
        return lines;
    }
    static const std::regex line(R"(^\s*([0-9a-f]+):\t[0-9a-f ]+\t(\S+)\s*(.*)$)");
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe.get())) {
        std::string text(buffer);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        std::smatch m;
        if (!std::regex_match(text, m, line)) continue;
        uint32_t address = std::stoul(m[1].str(), nullptr, 16);
        if (address % (2 * kSlotWords) != 0) continue;
        lines[address / (2 * kSlotWords)] = {m[2].str(), m[3].str()};
    }
    fs::remove_all(dir);
    return lines;
}

TEST(DecodeCensus, EveryOpcodeMatchesAnIndependentDisassembly) {
    std::string error;
    auto lines = disassembleAll(error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(lines.size(), 0x10000u) << "the disassembly lost slot boundaries";

    int mismatches = 0, extras = 0, legal = 0;
    std::map<std::string, int> perName;
    for (uint32_t op = 0; op < 0x10000; ++op) {
        Name core = coreName(uint16_t(op));
        const auto& [mnemonic, operands] = lines[op];
        Name reference = disassemblerName(uint16_t(op), mnemonic, operands);
        if (core.base != "illegal" && core.base != "linea" && core.base != "linef") ++legal;
        if (core == reference) continue;
        if (reference.base == "illegal" && documentedExtraForm(uint16_t(op))) {
            ++extras;
            continue;
        }
        if (++mismatches <= 40) {
            ADD_FAILURE() << std::hex << "opcode 0x" << op << ": core " << describe(core) << ", disassembler "
                          << mnemonic << " " << operands << " (" << describe(reference) << ")";
        }
    }
    EXPECT_EQ(mismatches, 0);
    // The extra forms: BTST #n,#imm and MOVE.B An to each of its 8 x 8
    // register destinations and 5 x 8 + 2 memory destinations.
    EXPECT_EQ(extras, 1 + 8 * (8 + 5 * 8 + 2));
    std::printf("decode census: %d opcodes reach an instruction handler, %d extra forms\n", legal, extras);
}

TEST(DecodeCensus, SpecialOpcodesReachTheirHandlers) {
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4E71), "nop");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4AFC), "illegal");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4AFB), "illegal");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4AFA), "illegal");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0xA123), "linea");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0xF800), "linef");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4181), "chk.w");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x4101), "illegal");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x50C8), "dbt");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x1009), "move.b");
    EXPECT_STREQ(vimo::Cpu68000::opcodeName(0x083C), "btst.b");
}

}  // namespace
