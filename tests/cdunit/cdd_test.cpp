// The drive commands: each handler against the four drive states, the
// reports against the image table of contents and a hostile drive table,
// play, the command gate, the checksum and the host-clock interrupt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

using Digits = std::vector<uint8_t>;

Digits digits(const CdUnit& unit) {
    return {unit.cddStatus + 2, unit.cddStatus + 8};
}

TEST(CddCommands, EachHandlerAgainstEachDriveState) {
    constexpr int kKeep = -1;  // control bit 8 as it was
    struct Row {
        uint8_t command;
        int status0[4];  // by state: stopped, playing, paused, tray open; 9 = not run
        int bit8[4];
        int playing[4], paused[4], tray[4];
    };
    const Row rows[] = {
        {0x0, {0, 1, 4, 5}, {1, 1, 1, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0x1, {0, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}},
        {0x4, {2, 1, 2, 2}, {1, 1, 1, 1}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}},
        {0x6, {4, 4, 4, 4}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0x7, {1, 1, 1, 1}, {0, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0x8, {3, 3, 3, 3}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0x9, {3, 3, 3, 3}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0xA, {4, 4, 4, 4}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0xC, {0, 0, 0, 0}, {kKeep, kKeep, kKeep, kKeep}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {0xD, {5, 5, 5, 5}, {kKeep, kKeep, kKeep, kKeep}, {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}},
        {0xB, {9, 9, 9, 9}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
    };
    for (const Row& row : rows) {
        for (int state = 0; state < 4; ++state) {
            for (uint16_t control : {uint16_t{0}, kCddControlBit8}) {
                SCOPED_TRACE(::testing::Message() << "command " << int{row.command} << " state " << state
                                                  << " control " << control);
                CdUnit unit;
                unit.reset();
                unit.playing = state == 1;
                unit.paused = state == 2;
                unit.trayOpen = state == 3;
                unit.cddControl = control;
                std::fill_n(unit.cddStatus, 9, 9);
                sendCddCommand(unit, {row.command, 0, 1, 2, 3, 4, 5, 6});
                EXPECT_EQ(unit.cddStatus[0], row.status0[state]);
                const int bit8 = row.bit8[state] == kKeep ? (control != 0) : row.bit8[state];
                EXPECT_EQ((unit.cddControl & kCddControlBit8) != 0, bit8 != 0);
                EXPECT_EQ(unit.playing, static_cast<uint32_t>(row.playing[state]));
                EXPECT_EQ(unit.paused, static_cast<uint32_t>(row.paused[state]));
                EXPECT_EQ(unit.trayOpen, static_cast<uint32_t>(row.tray[state]));
                EXPECT_EQ(digits(unit), Digits(6, row.status0[state] == 9 ? 9 : 0));
                EXPECT_EQ(unit.lba, 0u) << "no command moves the sector position";
            }
        }
    }
}

TEST(CddReports, OnTheImageTableOfContents) {
    ScratchFolder folder;
    CdUnit unit;
    ASSERT_EQ(unit.openImage(folder.write("disc.iso", makePlainImage(4)).c_str()), 0);
    unit.reset();
    const uint8_t toc[20] = {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 73, 59, 74};
    EXPECT_TRUE(std::equal(toc, toc + 20, unit.toc));
    EXPECT_TRUE(std::all_of(unit.toc + 20, unit.toc + kTocSize, [](uint8_t b) { return b == 0; }));
    std::memcpy(unit.head, "\x12\x34\x56", 3);
    struct Row {
        uint8_t code, trackDigit;
        Digits digits;
        bool bit8;
    };
    const Row rows[] = {
        {0, 0, {1, 2, 3, 4, 5, 6}, false},  // position: the BCD header's nibbles
        {2, 0, {0, 1, 0, 0, 0, 0}, false},
        {3, 0, {7, 3, 5, 9, 7, 4}, false},
        {4, 0, {0, 1, 0, 1, 0, 0}, false},
        {5, 7, {0, 0, 0, 0, 8, 0}, true},  // any track of an image is data
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int{row.code});
        unit.cddControl = 0;
        sendCddCommand(unit, {2, 0, 0, row.code, 0, row.trackDigit});
        EXPECT_EQ(unit.cddStatus[0], kCddPaused) << "a report stops the drive in pause";
        EXPECT_EQ(unit.cddStatus[1], row.code);
        EXPECT_EQ(digits(unit), row.digits);
        EXPECT_EQ((unit.cddControl & kCddControlBit8) != 0, row.bit8);
    }
    EXPECT_EQ(unit.dataMode, 1u);
    EXPECT_EQ(unit.cddStatus[8], 7);
}

TEST(CddReports, HostileTrackNumbersAndTableReadOnlyExistingEntries) {
    CdUnit unit;
    unit.reset();
    std::fill(std::begin(unit.toc), std::end(unit.toc), uint8_t{59});
    unit.toc[3] = 255;  // a table claiming 255 tracks: no lead-out entry 256
    sendCddCommand(unit, {2, 0, 0, 3});
    EXPECT_EQ(digits(unit), Digits(6, 0));
    const Digits entry{5, 9, 5, 9, 5, 9}, none(6, 0);
    const std::tuple<uint32_t, uint8_t, Digits> rows[] = {
        {0x0000, 0, none}, {0x0909, 9, entry}, {0x0A00, 0, entry},  // entries 0, 99, 100
        {0x0A01, 1, none}, {0x1F1F, 5, none}, {0xFFFF, 5, none},    // 101, then 165 from masked bytes
    };
    for (const auto& [word, extra, expected] : rows) {
        SCOPED_TRACE(word);
        const uint32_t words[5] = {0x0200, 0x0005, word, 0, 0};
        for (uint32_t i = 0; i < 5; ++i) unit.writeCddCommand(2 * i, words[i]);
        EXPECT_LE(unit.cddCommand[4], 0x0F);
        EXPECT_EQ(digits(unit), expected);
        EXPECT_EQ(unit.cddStatus[8], extra);
    }
}

TEST(CddPlay, AudioPlayStopsTheStreamAndDataPlayReads) {
    ScratchFolder folder;
    ReportRecorder recorder;
    auto machine = makeMachine();
    CdUnit& unit = machine->cdUnit;
    machine->cdcIrqRequest = 1;
    unit.tickPending = 1;
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});  // track 1 not known as data: audio
    EXPECT_EQ(unit.tickPending + machine->cdcIrqRequest + (unit.cddControl & kCddControlBit8), 0u);
    EXPECT_EQ(digits(unit), (Digits{0, 1, 0, 0, 0, 0}));

    ASSERT_EQ(unit.openImage(folder.write("disc.iso", makePlainImage(4)).c_str()), 0);
    unit.reset();
    sendCddCommand(unit, {2, 0, 0, 5, 0, 1});
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(unit.cddStatus[0], kCddPlaying);
    EXPECT_EQ(unit.cddStatus[1], 2);
    EXPECT_EQ(unit.playing + unit.track + unit.tickPending, 3u);
    EXPECT_EQ(unit.lba, 150u);
    EXPECT_TRUE(unit.cddControl & kCddControlBit8);
    EXPECT_EQ(unit.head[0] | unit.head[2], 0);
    EXPECT_EQ(unit.head[1], 0x02);
    EXPECT_EQ(digits(unit), (Digits{0, 1, 0, 0, 0, 0}));
    sendCddCommand(unit, {4, 0, 1, 2, 3, 4, 5, 6});  // seek while playing
    EXPECT_EQ(unit.cddStatus[0], kCddPlaying);
    EXPECT_EQ(unit.lba, 150u);
    EXPECT_EQ(unit.head[0], 0x12);
    EXPECT_EQ(unit.drivePosition, (CdMsf{12, 34, 56}));
}

TEST(CddRegisters, GateChecksumAndHostClockInterrupt) {
    ReportRecorder recorder;
    auto machine = makeMachine();
    CdUnit& unit = machine->cdUnit;
    machine->cddIrqRequest = 0;
    sendCddCommand(unit, {0xD, 1});  // open tray, but nibble 1 is set
    EXPECT_EQ(unit.trayOpen, 0u);
    EXPECT_EQ(machine->cddIrqRequest, 1u) << "the interrupt is requested all the same";

    std::fill_n(unit.cddStatus, 10, 0);
    unit.cddStatus[0] = 1;
    EXPECT_EQ(unit.readCddStatus(0), 0x0100u);
    EXPECT_EQ(unit.cddStatus[9], 0) << "only the last word recomputes the checksum";
    EXPECT_EQ(unit.readCddStatus(8), 0x000Eu);

    machine->subGateArray[0x33] = 0x10;
    EXPECT_TRUE(unit.writeCddControl(0x0004, 2));
    EXPECT_FALSE(unit.writeCddControl(0x0004, 2)) << "still set: no new edge";
    EXPECT_FALSE(unit.writeCddControl(0x0000, 1));
    EXPECT_FALSE(unit.writeCddControl(0x0004, 0)) << "a high-byte write never raises it";
    EXPECT_EQ(unit.readCddControl(2), 0x0400u);
    EXPECT_TRUE(unit.writeCddControl(0x0004, 1));
    EXPECT_EQ(unit.readCddControl(1), 0x04u);
    unit.writeCddControl(0, 2);
    machine->subGateArray[0x33] = 0;
    EXPECT_FALSE(unit.writeCddControl(0x0004, 2)) << "masked";
}

}  // namespace
}  // namespace vimo::test
