// The GYM log of programs making known YM2612 and PSG writes is exactly the
// record stream those writes stand for, with and without DAC logging.
#include <gtest/gtest.h>

#include "machine_test_util.h"
#include "persistence_programs.h"
#include "persistence_z80_programs.h"
#include "z80_side_test_util.h"
#include "z80side_host_programs.h"

namespace vimo {
namespace {

using Bytes = std::vector<uint8_t>;

// `groups[f]` written in frame f of the log, then a stop: every frame opens
// with an end-of-frame record and the stop adds one. Both programs write the
// same three groups; the second holds the DAC records.
Bytes expectedLog(bool dac, const std::vector<int>& groupOfFrame) {
    const Bytes groups[4] = {
        {},
        {0x03, 0x9F, 0x01, 0x28, 0xF0},
        dac ? Bytes{0x02, 0xB4, 0xC0, 0x01, 0x2B, 0x80, 0x01, 0x2A, 0x10, 0x01, 0x2A, 0x20, 0x02, 0x2A, 0x30}
            : Bytes{0x02, 0xB4, 0xC0},
        {0x03, 0xBF, 0x01, 0x22, 0x08}};
    Bytes log;
    for (int g : groupOfFrame) {
        log.push_back(0x00);
        log.insert(log.end(), groups[g].begin(), groups[g].end());
    }
    log.push_back(0x00);
    return log;
}

class GymLog : public ::testing::TestWithParam<bool> {
protected:
    test::ReportRecorder recorder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    test::ScratchFolder folder;
    std::string path = folder.path("music.gym").string();

    Bytes logFrames(int frames) {
        machine->gymLogDac = GetParam() ? 1 : 0;
        EXPECT_EQ(machine->startGymLog(path.c_str()), 0);
        machine->z80Ram[0x1700] = 1;   // the Z80 program's handshake
        for (int i = 0; i < frames; ++i) machine->runFrame(nullptr, nullptr);
        EXPECT_EQ(machine->stopGymLog(), 0);
        EXPECT_EQ(machine->gymLogging, 0u);
        return test::readFile(path);
    }
};

// The score's entries of frame f run in the V blank of frame f - 1 (address
// port writes, which go before each data write, leave no record).
TEST_P(GymLog, The68000sWrites) {
    ASSERT_EQ(test::loadImage(*machine, folder, programs::gym_score()), 0);
    EXPECT_EQ(logFrames(6), expectedLog(GetParam(), {1, 2, 0, 3, 0, 0}));
}

TEST_P(GymLog, TheZ80sWrites) {
    auto image = test::z80Cartridge(programs::machine_z80_host(), programs::gym_z80());
    ASSERT_EQ(test::loadImage(*machine, folder, image), 0);
    for (int i = 0; i < 10 && test::z80Byte(*machine, 0) != 0x5A; ++i) machine->runFrame(nullptr, nullptr);
    ASSERT_EQ(test::z80Byte(*machine, 0), 0x5A) << "the Z80 program did not start";
    EXPECT_EQ(logFrames(4), expectedLog(GetParam(), {1, 2, 3, 0}));
}

INSTANTIATE_TEST_SUITE_P(DacLogging, GymLog, ::testing::Bool());

TEST(GymLogLifecycle, FailuresRestartsAndTheMachinesEnd) {
    test::ReportRecorder recorder;
    auto machine = test::makeMachine();
    test::ScratchFolder folder;
    const std::string first = folder.path("first.gym").string(), second = folder.path("second.gym").string();

    EXPECT_EQ(machine->stopGymLog(), 1);
    EXPECT_EQ(machine->startGymLog(folder.path("none/x.gym").string().c_str()), 1);
    EXPECT_EQ(machine->gymLogging, 0u);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{"Can not create GYM file"});

    // A second start finishes the first log as a stop would; the machine's
    // end stops the second, so both files are complete.
    ASSERT_EQ(machine->startGymLog(first.c_str()), 0);
    machine->runFrame(nullptr, nullptr);
    ASSERT_EQ(machine->startGymLog(second.c_str()), 0);
    machine->writeByteVdp(0xC00011, 0x9F);
    machine.reset();
    EXPECT_EQ(test::readFile(first), (Bytes{0x00, 0x00}));
    EXPECT_EQ(test::readFile(second), (Bytes{0x03, 0x9F, 0x00}));
}

}  // namespace
}  // namespace vimo
