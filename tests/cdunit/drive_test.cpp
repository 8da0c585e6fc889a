// The host-drive seam: what the unit asks of a drive that is there, and that
// it asks nothing while an image is open.
#include <gtest/gtest.h>

#include <string>

#include "cd_test_util.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

// A disc of a data track 1 at 00:02:00 and an audio track 2 at 10:00:00,
// lead-out at 20:00:00, sectors from the generator; records every request.
class FakeDrive final : public HostCdDrive {
public:
    std::vector<std::string> calls;

    uint32_t readToc(uint8_t* toc) override {
        calls.push_back("toc");
        const uint8_t answer[28] = {0, 26, 1, 2, 0, 0x14, 1, 0, 0, 0, 2, 0, 0, 0x10, 2, 0,
                                    0, 10, 0, 0, 0, 0x10, 0xAA, 0, 0, 20, 0, 0};
        std::copy(answer, answer + 28, toc);
        return 0;
    }
    bool readSector(uint32_t block, uint8_t* data) override {
        calls.push_back("sector " + std::to_string(block));
        for (uint32_t i = 0; i < kSectorDataSize; ++i) data[i] = sectorByte(block, i, 0xA1);
        return true;
    }
    bool playAudio(CdMsf from, uint32_t& track) override {
        calls.push_back("play " + std::to_string(from.minute));
        track = 2;
        return true;
    }
    void stopAudio() override { calls.push_back("stop"); }
    void pauseAudio(bool resume) override { calls.push_back(resume ? "resume" : "pause"); }
    bool readPosition(uint32_t& track, CdMsf& position) override {
        calls.push_back("position");
        track = 2;
        position = {1, 2, 3};
        return true;
    }
};

TEST(CdHostDrive, ServesTheDiscWhileNoImageIsOpen) {
    FakeDrive drive;
    CdUnit unit;
    unit.setHostDrive(&drive);
    unit.reset();
    EXPECT_EQ(unit.detectRegion(), kCdRegionJapan);
    sendCddCommand(unit, {2, 0, 0, 5, 0, 1});  // start of track 1: a data track
    EXPECT_EQ(std::vector<uint8_t>(unit.cddStatus + 2, unit.cddStatus + 8), (std::vector<uint8_t>{0, 0, 0, 2, 8, 0}));
    EXPECT_EQ(unit.dataMode, 1u);
    writeCdcRegisters(unit, 10, {kCtrl0Decen});
    sendCddCommand(unit, {3, 0, 0, 0, 0, 2, 0, 5});  // data play 00:02:05: drive block 5
    EXPECT_EQ(unit.sectorBuffer[3], 5);
    sendCddCommand(unit, {3, 0, 1, 0, 0, 0, 0, 0});  // 10:00:00 lies in track 2: audio
    EXPECT_EQ(unit.track, 2u);
    sendCddCommand(unit, {2, 0, 0, 0});  // position while playing
    EXPECT_EQ(std::vector<uint8_t>(unit.cddStatus + 2, unit.cddStatus + 8), (std::vector<uint8_t>{0, 1, 0, 2, 0, 3}));
    for (uint8_t command : {6, 7, 1}) sendCddCommand(unit, {command});
    const std::vector<std::string> expected = {"toc", "toc", "sector 0", "sector 5", "play 10", "position",
                                               "pause", "resume", "stop"};
    EXPECT_EQ(drive.calls, expected);

    ScratchFolder folder;
    ASSERT_EQ(unit.openImage(folder.write("disc.iso", makePlainImage(4)).c_str()), 0);
    unit.reset();
    for (uint8_t command : {3, 2, 6, 7, 1}) sendCddCommand(unit, {command});
    unit.detectRegion();
    EXPECT_EQ(drive.calls, expected) << "nothing is sent while an image is open";
}

}  // namespace
}  // namespace vimo::test
