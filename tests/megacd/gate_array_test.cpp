// The gate-array registers of both sides: what each write stores and sets
// off, what each read returns, and word accesses at odd addresses.
#include <vector>

#include <gtest/gtest.h>

#include "megacd/megacd.h"
#include "megacd_test_util.h"

namespace vimo {
namespace {

struct Access {
    uint32_t address;
    int size;  // 1 byte, 2 word
    uint32_t value;
};

struct RegisterCase {
    const char* name;
    std::vector<Access> writes;
    std::vector<Access> reads;  // value = what the read returns
};

// From the documented register maps: main 0xA12000-0xA1202F, sub
// 0xFF8000-0xFF81FF.
const RegisterCase kRegisterCases[] = {
    {"ResetValues", {},
     {{0xA12001, 1, 0x00}, {0xA12003, 1, 0x01}, {0xFF8003, 1, 0x01}, {0xA12006, 1, 0xFF},
      {0xA12007, 1, 0xFF}, {0xA12006, 2, 0x0000}, {0xA1200E, 2, 0x0000}, {0xFF8034, 2, 0xFFF0}}},
    {"MainFlagByteSetsOnlyTheHighByte", {{0xA1200E, 1, 0x5A}, {0xA1200F, 1, 0x77}},
     {{0xA1200E, 2, 0x5A00}, {0xFF800E, 1, 0x5A}, {0xFF800F, 1, 0x00}}},
    {"SubFlagByteSetsOnlyTheLowByte", {{0xFF800F, 1, 0xA5}, {0xFF800E, 1, 0x77}},
     {{0xFF800E, 2, 0x00A5}, {0xA1200F, 1, 0xA5}, {0xA1200E, 1, 0x00}}},
    {"FlagWordWritesAreOnlyStored", {{0xA1200E, 2, 0x1234}, {0xFF800E, 2, 0x5678}},
     {{0xA1200E, 2, 0x0000}, {0xFF800E, 2, 0x0000}}},
    {"CommandWordsGoFromMainToSub", {{0xA12010, 2, 0xBEEF}, {0xA1201F, 1, 0x42}, {0xFF8010, 2, 0x1111}},
     {{0xFF8010, 2, 0xBEEF}, {0xFF801F, 1, 0x42}, {0xA12010, 2, 0xBEEF}}},
    {"StatusWordsGoFromSubToMain", {{0xFF8020, 2, 0xCAFE}, {0xFF802F, 1, 0x24}, {0xA12020, 2, 0x7777}},
     {{0xA12020, 2, 0xCAFE}, {0xA1202F, 1, 0x24}, {0xFF8020, 2, 0xCAFE}}},
    {"LampResetBitReadsInverted", {{0xFF8001, 1, 0x01}}, {{0xFF8001, 1, 0x00}}},
    {"LampResetBitZeroReadsOne", {{0xFF8001, 1, 0x00}}, {{0xFF8001, 1, 0x01}}},
    {"LampWordInvertsBitZeroOfTheLowByte", {{0xFF8000, 2, 0x0301}}, {{0xFF8000, 2, 0x0300}}},
    {"MainProtectByteIsCopiedToTheSub", {{0xA12002, 1, 0x5A}}, {{0xFF8002, 1, 0x5A}, {0xA12002, 1, 0x5A}}},
    {"MainProtectWordAlsoWritesTheModeByte", {{0xA12002, 2, 0x55C2}},
     {{0xFF8002, 1, 0x55}, {0xA12003, 1, 0xC2}, {0xA12002, 2, 0x55C2}, {0xFF8003, 1, 0x02}}},
    {"ModeReadMergesStoredHighBits", {{0xFF8003, 1, 0x18}}, {{0xFF8003, 1, 0x19}, {0xFF8002, 2, 0x0019}}},
    {"HIntVectorWordIsTheVector", {{0xA12006, 2, 0x1234}}, {{0xA12006, 2, 0x1234}, {0xA12006, 1, 0x12}}},
    {"TimerWordReadsTheReloadByte", {{0xFF8030, 2, 0x0A0B}}, {{0xFF8030, 2, 0x000B}, {0xFF8031, 1, 0x0B}}},
    {"StopwatchIsSeenFromBothSides", {{0xFF800C, 2, 0x0100}}, {{0xA1200C, 2, 0x0100}, {0xFF800C, 2, 0x0100}}},
    {"CddStatusBytesAreStoredBytes", {{0xFF8038, 2, 0x1234}}, {{0xFF8038, 1, 0x12}, {0xFF8039, 1, 0x34}}},
    // Font colours 0x31 and bits 0x8001: the leftmost and rightmost pixels in
    // the first colour, every other pixel in the second.
    {"FontWordWritesExpandTheBits", {{0xFF804C, 2, 0x0031}, {0xFF804E, 2, 0x8001}},
     {{0xFF804D, 1, 0x31}, {0xFF804C, 2, 0x0031}, {0xFF804E, 2, 0x8001}, {0xFF8050, 1, 0x31},
      {0xFF8057, 1, 0x13}, {0xFF8052, 2, 0x1111}, {0xFF8056, 2, 0x1113}}},
    {"FontByteWritesDoNotExpand", {{0xFF804D, 1, 0x21}, {0xFF804E, 1, 0x80}, {0xFF804F, 1, 0x01}},
     {{0xFF804E, 2, 0x8001}, {0xFF804F, 1, 0x01}, {0xFF8050, 1, 0x00}, {0xFF804D, 1, 0x21}}},
    {"StampParametersAreStoredAndVDotsReadZeroAfterAnOperation",
     {{0xFF8062, 2, 0x0000}, {0xFF8064, 2, 0x0003}, {0xFF8066, 2, 0x0010}},
     {{0xFF8066, 2, 0x0010}, {0xFF8062, 2, 0x0000}, {0xFF8064, 2, 0x0000}, {0xFF8065, 1, 0x00}}},
    {"OutsideBothFilesReadsZero", {{0xFF8200, 1, 0x55}}, {{0xFF8200, 1, 0x00}, {0xA12030, 1, 0x00}}},
    // The bus ignores A0 on word cycles: a word at an odd address is the
    // word at the even one, and the last word of a file stays inside it.
    {"OddWordAccessesUseTheEvenAddress", {{0xFF802F, 2, 0x1357}, {0xA1201F, 2, 0x2468}},
     {{0xA1202E, 2, 0x1357}, {0xA1202F, 2, 0x1357}, {0xFF801E, 2, 0x2468}, {0xA12020, 2, 0x0000}}},
};

class GateArrayRegisters : public ::testing::TestWithParam<RegisterCase> {};

TEST_P(GateArrayRegisters, ReadBackAsDocumented) {
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    auto machine = test::makeMegaCdMachine(folder);
    for (const Access& w : GetParam().writes) {
        if (w.size == 1)
            machine->writeByteGateArray(w.address, w.value);
        else
            machine->writeWordGateArray(w.address, w.value);
    }
    for (const Access& r : GetParam().reads) {
        const uint32_t got =
            r.size == 1 ? machine->readByteGateArray(r.address) : machine->readWordGateArray(r.address);
        EXPECT_EQ(got, r.value) << std::hex << "read of 0x" << r.address << " (size " << r.size << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GateArrayRegisters, ::testing::ValuesIn(kRegisterCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GateArray, LastWordsOfTheFilesStayInside) {
    // The files lie side by side in the machine: a word stored one past the
    // end of one would land in the next.
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    auto machine = test::makeMegaCdMachine(folder);
    const uint16_t flags = machine->commFlags;
    machine->writeWordGateArray(0xA1202F, 0xABCD);
    machine->writeWordGateArray(0xFF81FF, 0x9876);
    EXPECT_EQ(machine->mainGateArray[0x2F], 0xCD);
    EXPECT_EQ(machine->commArea[0], 0x00);
    EXPECT_EQ(machine->subGateArray[0x1FF], 0x76);
    EXPECT_EQ(machine->mainGateArray[0], 0x00);
    machine->writeWordGateArray(0xFF802F, 0x1357);
    EXPECT_EQ(machine->commFlags, flags);
}

TEST(GateArray, HIntVectorIsPatchedIntoTheBios) {
    test::ReportRecorder recorder;
    test::ScratchFolder folder;
    auto machine = test::makeMegaCdMachine(folder);
    machine->writeWordGateArray(0xA12006, 0x4321);
    EXPECT_EQ(machine->hIntVector, 0x4321);
    EXPECT_EQ(machine->mainCpu->readWord(kHIntVectorAddress), 0x4321) << "the main CPU reads the new vector";
}

}  // namespace
}  // namespace vimo
