// The report seam: formatting, bounds, the error-box switch and the sink.
#include <string>

#include <gtest/gtest.h>

#include "machine/report.h"
#include "machine_test_util.h"

namespace vimo {
namespace {

using test::ReportRecorder;

TEST(Report, BoxesAreFormattedPrintfStyle) {
    ReportRecorder recorder;
    showErrorBox("Couldn't load: %s", "game.bin");
    showErrorBox("Rom size is too big : %d MB", 5);
    showRomInfoBox("\tSystem\t\t: %s\n", "SEGA");
    setStatusText("GYM logging to %s", "song.gym");
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.errors[0], "Couldn't load: game.bin");
    EXPECT_EQ(recorder.errors[1], "Rom size is too big : 5 MB");
    ASSERT_EQ(recorder.romInfo.size(), 1u);
    EXPECT_EQ(recorder.romInfo[0], "\tSystem\t\t: SEGA\n");
    ASSERT_EQ(recorder.statusTexts.size(), 1u);
    EXPECT_EQ(recorder.statusTexts[0], "GYM logging to song.gym");
}

TEST(Report, ErrorBoxesSwitchedOffAreDroppedButRomInfoIsNot) {
    ReportRecorder recorder;
    errorBoxesEnabled = 0;
    showErrorBox("Couldn't load: %s", "x");
    showRomInfoBox("info");
    errorBoxesEnabled = 1;
    showErrorBox("shown");
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0], "shown");
    ASSERT_EQ(recorder.romInfo.size(), 1u);
    EXPECT_EQ(recorder.romInfo[0], "info");
}

TEST(Report, OverlongTextsAreCutToTheirBuffers) {
    ReportRecorder recorder;
    const std::string path(3000, 'p');
    showErrorBox("Couldn't load: %s", path.c_str());
    showRomInfoBox("%s", path.c_str());
    setStatusText("%s%s", path.c_str(), path.c_str());
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0].size(), kMessageBufferSize - 1);
    EXPECT_EQ(recorder.errors[0], ("Couldn't load: " + path).substr(0, kMessageBufferSize - 1));
    ASSERT_EQ(recorder.romInfo.size(), 1u);
    EXPECT_EQ(recorder.romInfo[0].size(), kMessageBufferSize - 1);
    ASSERT_EQ(recorder.statusTexts.size(), 1u);
    EXPECT_EQ(recorder.statusTexts[0].size(), kStatusTextSize - 1);
}

TEST(Report, LampsPassTheirBits) {
    ReportRecorder recorder;
    setStatusLamps(3);
    setStatusLamps(0);
    setStatusLamps(1);
    EXPECT_EQ(recorder.lamps, (std::vector<uint8_t>{3, 0, 1}));
}

TEST(Report, WithoutASinkEveryReportIsDropped) {
    installReportSink(nullptr);
    EXPECT_EQ(reportSink().errorBox, nullptr);
    showErrorBox("%s", "nowhere");
    showRomInfoBox("%s", "nowhere");
    setStatusText("%s", "nowhere");
    setStatusLamps(3);
    // A sink that only takes lamps leaves the other reports dropped.
    static int lampCalls = 0;
    ReportSink lampsOnly;
    lampsOnly.statusLamps = [](uint8_t) { ++lampCalls; };
    installReportSink(&lampsOnly);
    showErrorBox("still nowhere");
    setStatusLamps(2);
    installReportSink(nullptr);
    EXPECT_EQ(lampCalls, 1);
}

}  // namespace
}  // namespace vimo
