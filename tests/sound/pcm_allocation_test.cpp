// The PCM chip without its wave RAM: when the 64 KB cannot be had, the chip
// reports it in an error box and carries on without it.
//
// This executable replaces the non-throwing array allocation so that a test
// can make the next one fail; every other allocation goes through as usual.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "machine/report.h"
#include "sound/pcm_chip.h"

namespace {

bool failNextArrayAllocation = false;

}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (failNextArrayAllocation) {
        failNextArrayAllocation = false;
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace vimo::test {
namespace {

std::vector<std::string> errorBoxes;

void recordErrorBox(const char* text) {
    errorBoxes.emplace_back(text);
}

TEST(PcmAllocationTest, AFailedWaveRamIsReportedAndLeavesASilentChip) {
    ReportSink sink;
    sink.errorBox = recordErrorBox;
    installReportSink(&sink);
    errorBoxes.clear();

    failNextArrayAllocation = true;
    PcmChip pcm;
    installReportSink(nullptr);

    ASSERT_EQ(errorBoxes.size(), 1u);
    EXPECT_EQ(errorBoxes[0], "Couldn't allocate 64 KB of PCM waveform ram");
    EXPECT_FALSE(pcm.waveRam);

    // The machine still resets it, sets its rates, writes and mixes it.
    pcm.reset();
    pcm.setRates(44100, kPcmClock);
    pcm.writeRegister(7, 0xC0);
    pcm.writeRegister(0, 0xFF);
    pcm.writeRegister(1, 0xFF);
    pcm.writeRegister(3, 0x08);
    pcm.writeRegister(8, 0x00);
    pcm.writeRam(0, 0x7F);
    EXPECT_EQ(pcm.readRam(0), 0);
    EXPECT_EQ(pcm.channelAddressByte(1), 0u);
    std::array<int16_t, 4> left{1, 2, 3, 4};
    std::array<int16_t, 4> right{};
    pcm.mix({left.data(), right.data()}, 4);
    EXPECT_EQ(left, (std::array<int16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(right, (std::array<int16_t, 4>{}));
}

TEST(PcmAllocationTest, AnAllocatedWaveRamIsZeroedAndReportsNothing) {
    ReportSink sink;
    sink.errorBox = recordErrorBox;
    installReportSink(&sink);
    errorBoxes.clear();
    PcmChip pcm;
    installReportSink(nullptr);
    EXPECT_TRUE(errorBoxes.empty());
    ASSERT_TRUE(pcm.waveRam);
    for (uint32_t i = 0; i < kPcmWaveRamSize; ++i) ASSERT_EQ(pcm.waveRam[i], 0) << i;
}

}  // namespace
}  // namespace vimo::test
