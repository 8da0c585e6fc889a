// The commands: each id's effect on the settings and the machine, the calls
// it makes in order and the status text it leaves; the menu's ticks and
// greyed items for a set of states; refusal without a machine.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/command_model.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

class RecordingPorts final : public CommandPorts {
public:
    std::vector<std::string> calls;
    int32_t gymChooserResult = 0;
    int32_t loadRom() override { return record("loadRom"); }
    int32_t bootSegaCd() override { return record("bootSegaCd"); }
    int32_t loadState(uint32_t quick) override { return record("loadState " + std::to_string(quick)); }
    int32_t saveState(uint32_t quick) override { return record("saveState " + std::to_string(quick)); }
    void exitProgram() override { record("exit"); }
    void recreateSoundBuffer() override { record("recreateSoundBuffer"); }
    void openFrequencyDialog() override { record("frequency"); }
    void openDirectoriesDialog() override { record("directories"); }
    void openAboutBox() override { record("about"); }
    int32_t chooseBiosFile(uint32_t region) override { return record("bios " + std::to_string(region)); }
    int32_t chooseGymFile() override { record("chooseGym"); return gymChooserResult; }
    const char* gymPath() override { return gym.c_str(); }
    void frameStep() override { record("frameStep"); }
    void setStatusText(const std::string& text) override { record("status " + text); }
    std::string gym;

private:
    int32_t record(const std::string& call) {
        calls.push_back(call);
        return 0;
    }
};

class Commands : public ::testing::Test {
protected:
    test::ReportRecorder reports;
    test::ScratchFolder folder;
    std::unique_ptr<Machine> machine = test::makeMachine();
    uint32_t running = 1, slot = 1, romInfo = 1, errorBoxes = 1, rate = 44100, bits = 16, stereo = 1;
    int32_t skip = -1;
    CommandState state{machine.get(), &running, &skip, &slot, &romInfo, &errorBoxes, &rate, &bits, &stereo};
    RecordingPorts ports;

    std::vector<std::string> run(uint16_t id) {
        ports.calls.clear();
        EXPECT_TRUE(applyCommand(id, state, ports)) << id;
        return ports.calls;
    }
    std::vector<uint16_t> ticked(uint32_t popup) const {
        std::vector<uint16_t> ids;
        for (const MenuMark& mark : menuMarks(state)) {
            if (mark.popup == popup && mark.kind == MenuMark::Tick && mark.on) ids.push_back(mark.id);
        }
        return ids;
    }
};

using Calls = std::vector<std::string>;

TEST_F(Commands, PortCommandsCallTheirActionAndLeaveTheirStatusText) {
    const struct {
        uint16_t id;
        Calls calls;
    } cases[] = {
        {32771, {"loadRom", "status Starting Genesis/Megadrive emulation..."}},
        {32902, {"bootSegaCd", "status Booting MegaCD/SegaCD..."}},
        {32863, {"loadState 0"}}, {32864, {"saveState 0"}},
        {32832, {"loadState 1"}}, {32833, {"saveState 1"}},
        {105, {"exit"}}, {32923, {"frequency"}}, {32924, {"directories"}}, {104, {"about"}},
        {32859, {"bios 0"}}, {32857, {"bios 1"}}, {32858, {"bios 2"}}, {32916, {"frameStep"}},
        {32786, {"status Resetting Megadrive..."}},
        {32845, {"status Resetting main 68000 cpu..."}},
        {32846, {"status Resetting Z80 cpu..."}},
        {32848, {"status Resetting sub 68000 cpu..."}},
        {32796, {}}, {32822, {}}, {32861, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(run(c.id), c.calls) << c.id;
}

TEST_F(Commands, SoundCommandsRestartInOrder) {
    EXPECT_EQ(run(32800), (Calls{"recreateSoundBuffer"}));
    EXPECT_EQ(bits, 8u);
    EXPECT_EQ(machine->sound16Bit, 0u);
    EXPECT_EQ(run(362), (Calls{"recreateSoundBuffer"}));
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(machine->sampleRate, 22050u);
    EXPECT_EQ(run(32801), (Calls{"recreateSoundBuffer"}));
    EXPECT_EQ(machine->sound16Bit, 1u);
    EXPECT_EQ(run(32922), (Calls{"recreateSoundBuffer"}));
    EXPECT_EQ(stereo, 0u);
}

TEST_F(Commands, SettingsCommandsSetTheirValues) {
    const struct {
        uint16_t id;
        uint32_t country;
        const char* status;
    } countries[] = {{32789, 0xFF0, "status Autodetect country"}, {32790, 0x80, "status Country set to USA"},
                     {32791, 0x00, "status Country set to Japan"}, {32792, 0xC0, "status Country set to Europe"}};
    for (const auto& c : countries) {
        EXPECT_EQ(run(c.id), Calls{c.status});
        EXPECT_EQ(machine->country, c.country);
    }
    run(32823);
    EXPECT_EQ(machine->z80Core, 2u);
    run(32843);
    EXPECT_EQ(slot, 0u);
    run(32842);
    EXPECT_EQ(slot, 9u);
    run(32815);
    EXPECT_EQ(skip, 5);
    run(32810);
    EXPECT_EQ(skip, -1);
    run(32908);
    EXPECT_EQ(machine->vdp.pixelFormat, 15u);
}

TEST_F(Commands, TogglesFlipBetweenZeroAndOne) {
    machine->psgEnabled = 2;   // any non-zero value counts as on
    run(32804);
    EXPECT_EQ(machine->psgEnabled, 0u);
    run(32804);
    EXPECT_EQ(machine->psgEnabled, 1u);
    const struct {
        uint16_t id;
        uint32_t* flag;
    } toggles[] = {{32866, &machine->vdp.showPlaneA}, {32869, &machine->vdp.showSprites},
                   {32830, &machine->hInterrupts}, {32910, &machine->soundMuted},
                   {32921, &machine->gymLogDac}, {32865, &romInfo}, {32860, &errorBoxes}};
    for (const auto& t : toggles) {
        const uint32_t before = *t.flag;
        run(t.id);
        EXPECT_EQ(*t.flag, before == 0 ? 1u : 0u) << t.id;
    }
}

TEST_F(Commands, PauseTwiceShowsBothTextsAndTheTick) {
    EXPECT_EQ(run(32787), Calls{"status Emulation paused..."});
    EXPECT_EQ(ticked(1).front(), 32787);
    EXPECT_EQ(run(32787), Calls{"status Emulation resumed..."});
    EXPECT_NE(ticked(1).front(), 32787);
}

TEST_F(Commands, GymStartAndStopReportOnlySuccess) {
    ports.gymChooserResult = 1;
    EXPECT_EQ(run(32919), Calls{"chooseGym"});
    EXPECT_EQ(machine->gymLogging, 0u);
    EXPECT_EQ(run(32920), Calls{}) << "stopping without a log says nothing";

    ports.gymChooserResult = 0;
    ports.gym = folder.path("song.gym").string();
    EXPECT_EQ(run(32919), (Calls{"chooseGym", "status GYM logging to " + ports.gym}));
    EXPECT_EQ(machine->gymLogging, 1u);
    const auto marks = menuMarks(state);
    EXPECT_NE(std::find(marks.begin(), marks.end(), MenuMark{4, 32919, MenuMark::Grey, true}), marks.end());
    EXPECT_NE(std::find(marks.begin(), marks.end(), MenuMark{4, 32920, MenuMark::Grey, false}), marks.end());
    EXPECT_EQ(run(32920), Calls{"status GYM logging stopped..."});
    EXPECT_EQ(machine->gymLogging, 0u);
}

TEST_F(Commands, UnknownIdsAreNotHandled) {
    for (uint16_t id : {uint16_t{32883}, uint16_t{0}, uint16_t{32788}}) {
        EXPECT_FALSE(applyCommand(id, state, ports)) << id;
    }
    EXPECT_TRUE(ports.calls.empty());
}

TEST_F(Commands, WithoutAMachineOnlyFrontEndCommandsRun) {
    state.machine = nullptr;
    EXPECT_EQ(run(32771), Calls{});
    EXPECT_EQ(run(32786), Calls{});
    EXPECT_EQ(run(362), Calls{});
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(run(32916), Calls{});
    EXPECT_EQ(run(32787), Calls{"status Emulation paused..."});
    EXPECT_EQ(run(104), Calls{"about"});
    EXPECT_EQ(run(105), Calls{"exit"});
    EXPECT_FALSE(menuMarks(state).empty());
}

TEST_F(Commands, TicksFollowTheSettings) {
    const struct {
        uint32_t country;
        std::vector<uint16_t> ticks;
    } countries[] = {{0xFF1, {32789}}, {0x80, {32790}}, {0x00, {32791}}, {0xC0, {32792}}, {0x123, {}}};
    for (const auto& c : countries) {
        machine->country = c.country;
        machine->z80Core = 1;
        slot = 1;
        std::vector<uint16_t> expected = c.ticks;
        expected.push_back(32822);
        expected.push_back(32834);
        EXPECT_EQ(ticked(1), expected) << std::hex << c.country;
    }
    skip = 3;
    machine->hInterrupts = 0;
    machine->vdp.showWindow = 0;
    EXPECT_EQ(ticked(3), (std::vector<uint16_t>{32813, 32866, 32867, 32869, 32909}));
    bits = 8;
    rate = 22050;
    stereo = 0;
    machine->soundMuted = 1;
    machine->fmEnabled = 0;
    EXPECT_EQ(ticked(4), (std::vector<uint16_t>{32800, 362, 32804, 32885}));
    romInfo = 0;
    EXPECT_EQ(ticked(5), (std::vector<uint16_t>{32860}));
}

}  // namespace
}  // namespace vimo
