// The drive commands: each handler against the four drive states, the
// reports against the image table of contents and a hostile drive table,
// play, the command gate, the checksum and the host-clock interrupt.
#include <gtest/gtest.h>

#include <algorithm>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

enum DriveState { kStopped, kPlaying, kPausedState, kTray };
constexpr int kKeep = -1;  // the value the state started with

TEST(CddCommands, EachHandlerAgainstEachDriveState) {
    struct Row {
        uint8_t command;
        int status0[4];     // by state: stopped, playing, paused, tray open
        int bit8[4];        // control bit 8 after, or kKeep
        int playing[4];
        int paused[4];
        int tray[4];
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
        {0x5, {9, 9, 9, 9}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
        {0xB, {9, 9, 9, 9}, {kKeep, kKeep, kKeep, kKeep}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
    };
    for (const Row& row : rows) {
        for (int state = kStopped; state <= kTray; ++state) {
            for (uint16_t control : {uint16_t{0}, kCddControlBit8}) {
                SCOPED_TRACE(::testing::Message() << "command " << int{row.command} << " state " << state
                                                  << " control " << control);
                CdUnit unit;
                unit.reset();
                unit.playing = state == kPlaying;
                unit.paused = state == kPausedState;
                unit.trayOpen = state == kTray;
                unit.cddControl = control;
                std::fill_n(unit.cddStatus, 9, 9);  // nothing clears what a no-op leaves
                sendCddCommand(unit, {row.command, 0, 1, 2, 3, 4, 5, 6, 0, 0});
                EXPECT_EQ(unit.cddStatus[0], row.status0[state]);
                const int bit8 = row.bit8[state] == kKeep ? (control != 0) : row.bit8[state];
                EXPECT_EQ((unit.cddControl & kCddControlBit8) != 0, bit8 != 0);
                EXPECT_EQ(unit.playing, static_cast<uint32_t>(row.playing[state]));
                EXPECT_EQ(unit.paused, static_cast<uint32_t>(row.paused[state]));
                EXPECT_EQ(unit.trayOpen, static_cast<uint32_t>(row.tray[state]));
                const bool ran = row.status0[state] != 9;
                for (int digit = 2; digit < 8; ++digit) EXPECT_EQ(unit.cddStatus[digit], ran ? 0 : 9) << digit;
                EXPECT_EQ(unit.lba, 0u) << "no command moves the sector position";
            }
        }
    }
}

std::vector<uint8_t> digits(const CdUnit& unit) {
    return {unit.cddStatus + 2, unit.cddStatus + 8};
}

TEST(CddReports, OnTheImageTableOfContents) {
    ScratchFolder folder;
    CdUnit unit;
    ASSERT_EQ(unit.openImage(folder.write("disc.iso", makePlainImage(4)).c_str()), 0);
    unit.reset();
    unit.head[0] = 0x12;
    unit.head[1] = 0x34;
    unit.head[2] = 0x56;
    struct Row {
        uint8_t code;
        uint8_t t10, t1;
        std::vector<uint8_t> digits;
        bool bit8;
    };
    const Row rows[] = {
        {0, 0, 0, {1, 2, 3, 4, 5, 6}, false},  // image position: the BCD header's nibbles
        {2, 0, 0, {0, 1, 0, 0, 0, 0}, false},
        {3, 0, 0, {7, 3, 5, 9, 7, 4}, false},
        {4, 0, 0, {0, 1, 0, 1, 0, 0}, false},
        {5, 0, 7, {0, 0, 0, 0, 8, 0}, true},   // any track of an image is data
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int{row.code});
        unit.cddControl = 0;
        unit.dataMode = 0;
        sendCddCommand(unit, {2, 0, 0, row.code, row.t10, row.t1});
        EXPECT_EQ(unit.cddStatus[0], kCddPaused) << "a report stops the drive in pause";
        EXPECT_EQ(unit.cddStatus[1], row.code);
        EXPECT_EQ(digits(unit), row.digits);
        EXPECT_EQ((unit.cddControl & kCddControlBit8) != 0, row.bit8);
        if (row.code == 5) {
            EXPECT_EQ(unit.dataMode, 1u);
            EXPECT_EQ(unit.cddStatus[8], 7);
        }
    }
}

TEST(CddReports, HostileTrackNumbersAndTableReadOnlyExistingEntries) {
    CdUnit unit;
    unit.reset();
    std::fill(std::begin(unit.toc), std::end(unit.toc), uint8_t{59});
    unit.toc[3] = 255;  // a table claiming 255 tracks
    sendCddCommand(unit, {2, 0, 0, 3});
    EXPECT_EQ(digits(unit), std::vector<uint8_t>(6, 0)) << "no lead-out entry 256";
    struct Row {
        uint32_t commandWord;  // nibbles 4 and 5, as written (masked to 4 bits)
        uint8_t extra;
        std::vector<uint8_t> digits;
    };
    const Row rows[] = {
        {0x0000, 0, {0, 0, 0, 0, 0, 0}},
        {0x0909, 9, {5, 9, 5, 9, 5, 9}},  // entry 99 exists
        {0x0A00, 0, {5, 9, 5, 9, 5, 9}},  // entry 100 ends at the last byte
        {0x0A01, 1, {0, 0, 0, 0, 0, 0}},
        {0x1F1F, 5, {0, 0, 0, 0, 0, 0}},  // 15 x 10 + 15 = 165
        {0xFFFF, 5, {0, 0, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.commandWord);
        unit.writeCddCommand(0, 0x0200);
        unit.writeCddCommand(2, 0x0005);
        unit.writeCddCommand(4, row.commandWord);
        unit.writeCddCommand(6, 0);
        unit.writeCddCommand(8, 0);
        EXPECT_LE(unit.cddCommand[4], 0x0F);
        EXPECT_EQ(digits(unit), row.digits);
        EXPECT_EQ(unit.cddStatus[8], row.extra);
    }
}

TEST(CddPlay, DataPlayReadsAndAudioPlayStopsTheStream) {
    ScratchFolder folder;
    ReportRecorder recorder;
    auto machine = makeMachine();
    CdUnit& unit = machine->cdUnit;
    // Audio: track 1 not known as data; without a drive only the report changes.
    machine->cdcIrqRequest = 1;
    unit.tickPending = 1;
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(unit.tickPending, 0u);
    EXPECT_EQ(machine->cdcIrqRequest, 0u);
    EXPECT_EQ(unit.cddControl & kCddControlBit8, 0);
    EXPECT_EQ(digits(unit), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0}));

    ASSERT_EQ(unit.openImage(folder.write("disc.iso", makePlainImage(4)).c_str()), 0);
    unit.reset();
    sendCddCommand(unit, {2, 0, 0, 5, 0, 1});
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(unit.cddStatus[0], kCddPlaying);
    EXPECT_EQ(unit.cddStatus[1], 2);
    EXPECT_EQ(unit.playing, 1u);
    EXPECT_EQ(unit.track, 1u);
    EXPECT_EQ(unit.lba, 150u);
    EXPECT_EQ(unit.tickPending, 1u);
    EXPECT_TRUE(unit.cddControl & kCddControlBit8);
    EXPECT_EQ(unit.head[0], 0x00);
    EXPECT_EQ(unit.head[1], 0x02);
    EXPECT_EQ(unit.head[2], 0x00);
    EXPECT_EQ(digits(unit), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0}));
    // Seek while playing: the state stays 1, the header moves, the block does not.
    sendCddCommand(unit, {4, 0, 1, 2, 3, 4, 5, 6});
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
