// The ASPI drive against an in-process library: opening and its boxes, the
// device search, the request block and command bytes of every operation,
// answers, the track search, and that nothing is sent without a device.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cdunit/aspi_drive.h"
#include "machine_test_util.h"

namespace vimo::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A library with devices at chosen adapters and targets. An execute copies
// `answer` into the request's data and ends with the configured statuses,
// at once or (pending) when the drive waits for the event.
class FakeAspi {
public:
    bool loadable = true;
    uint32_t supportInfo = 0x0102;  // completed, 2 adapters
    uint8_t inquiryStatus = kAspiCompleted;
    uint8_t maxTargets = 0;
    std::map<std::pair<uint8_t, uint8_t>, uint8_t> devices;  // (adapter, target) -> type
    bool pending = false;
    bool eventsFail = false;
    uint8_t executeStatus = kAspiCompleted;
    uint8_t targetStatus = 0;
    Bytes answer;

    std::vector<std::string> calls;
    std::vector<AspiExecuteRequest> executes;  // as sent
    int openEvents = 0;

    AspiLibrary table() {
        return {
            [this] { return log("load"), loadable; },
            [this] { log("unload"); },
            [this] { return log("support"), supportInfo; },
            [this](void* request) { return send(request); },
            [this]() -> void* { return eventsFail ? nullptr : (++openEvents, &event); },
            [this](void* waited) {
                log("wait");
                EXPECT_EQ(waited, &event);
                complete();
            },
            [this](void* closed) {
                EXPECT_EQ(closed, &event);
                --openEvents;
            },
        };
    }

private:
    int event = 0;
    AspiExecuteRequest* inFlight = nullptr;

    void log(const std::string& call) { calls.push_back(call); }

    uint32_t send(void* request) {
        auto* header = static_cast<AspiRequestHeader*>(request);
        if (header->command == kAspiHostAdapterInquiry) {
            log("inquiry " + std::to_string(header->adapter));
            static_cast<AspiAdapterInquiry*>(request)->unique[kAspiMaxTargetsByte] = maxTargets;
            return header->status = inquiryStatus;
        }
        if (header->command == kAspiGetDeviceType) {
            auto* probe = static_cast<AspiDeviceType*>(request);
            log("type " + std::to_string(header->adapter) + ":" + std::to_string(probe->target) + ":" +
                std::to_string(probe->lun));
            const auto device = devices.find({header->adapter, probe->target});
            header->status = device != devices.end() ? kAspiCompleted : 0x82;  // no such device
            if (device != devices.end()) probe->deviceType = device->second;
            return header->status;
        }
        inFlight = static_cast<AspiExecuteRequest*>(request);
        executes.push_back(*inFlight);
        log("execute");
        if (pending) return kAspiPending;
        complete();
        return inFlight->header.status;
    }

    void complete() {
        ASSERT_NE(inFlight, nullptr);
        if (inFlight->data) std::copy_n(answer.begin(), std::min<size_t>(answer.size(), inFlight->dataLength), inFlight->data);
        inFlight->header.status = executeStatus;
        inFlight->targetStatus = targetStatus;
    }
};

// Opens a drive over `fake` with a CD-ROM at 1:3.
struct OpenDrive {
    FakeAspi fake;
    ReportRecorder recorder;
    AspiDrive drive{fake.table()};

    OpenDrive() {
        fake.devices[{1, 3}] = kAspiCdromDevice;
        EXPECT_EQ(drive.openAspi(), 1u);
        fake.calls.clear();
        fake.executes.clear();
    }
};

Bytes cdbOf(const AspiExecuteRequest& request) {
    return Bytes(request.cdb, request.cdb + kAspiCdbSize);
}

Bytes padded(Bytes bytes) {
    bytes.resize(kAspiCdbSize);
    return bytes;
}

TEST(AspiOpening, BoxesAndResultsOfEachPath) {
    struct Case {
        const char* name;
        bool loadable;
        uint32_t supportInfo;
        uint8_t inquiryStatus;
        uint32_t result;
        std::vector<std::string> errors;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"no library", false, 0x0102, 1, 0, {"ASPI: Error loading 'WNASPI32.DLL'"}, {"load"}},
        {"bad support status", true, 0x0502, 1, 0, {"ASPI: Error getting SupportInfo"}, {"load", "support", "unload"}},
        // No adapter (how the library answers on a machine without a drive):
        // nothing to inquire of, no box, no device.
        {"no adapters", true, 0xE800, 1, 1, {}, {"load", "support"}},
        {"inquiry fails", true, 0x0101, 0xE0, 1, {"ASPI: Host adapter inquiry error"}, {"load", "support", "inquiry 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAspi fake;
        fake.loadable = c.loadable;
        fake.supportInfo = c.supportInfo;
        fake.inquiryStatus = c.inquiryStatus;
        fake.devices[{0, 0}] = kAspiCdromDevice;
        ReportRecorder recorder;
        AspiDrive drive(fake.table());
        EXPECT_EQ(drive.openAspi(), c.result);
        EXPECT_EQ(recorder.errors, c.errors);
        EXPECT_EQ(fake.calls, c.calls);
        uint8_t toc[kTocSize] = {};
        uint8_t sector[kSectorDataSize] = {};
        uint32_t track = 0;
        EXPECT_NE(drive.readToc(toc), 0u);
        EXPECT_FALSE(drive.readSector(0, sector));
        EXPECT_FALSE(drive.playAudio({0, 2, 0}, track));
        drive.stopAudio();
        EXPECT_TRUE(fake.executes.empty()) << "nothing is sent without a device";
    }
}

TEST(AspiDeviceSearch, ProbesEachAdaptersTargetsUpToItsMaximum) {
    struct Case {
        const char* name;
        uint8_t adapters;
        uint8_t maxTargets;
        std::map<std::pair<uint8_t, uint8_t>, uint8_t> devices;
        bool found;
        uint8_t adapter, target;
        uint32_t probes;
    };
    const std::vector<Case> cases = {
        {"second adapter, target 3", 2, 0, {{{1, 3}, 5}}, true, 1, 3, 12},
        {"target 12 of an adapter of 16", 1, 16, {{{0, 12}, 5}}, true, 0, 12, 13},
        {"beyond the adapter's targets", 1, 4, {{{0, 5}, 5}}, false, 0, 0, 4},
        {"a disk is passed over", 1, 0, {{{0, 0}, 0}, {{0, 2}, 5}}, true, 0, 2, 3},
        {"first of two drives", 2, 2, {{{1, 0}, 5}, {{1, 1}, 5}}, true, 1, 0, 3},
        {"no drive", 3, 2, {{{2, 1}, 0}}, false, 0, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAspi fake;
        fake.supportInfo = 0x0100u | c.adapters;
        fake.maxTargets = c.maxTargets;
        fake.devices = c.devices;
        AspiDrive drive(fake.table());
        EXPECT_EQ(drive.openAspi(), 1u);
        EXPECT_EQ(drive.deviceFound, c.found);
        ASSERT_EQ(fake.calls.size(), 3 + c.probes + (c.found ? 1 : 0));
        EXPECT_EQ(fake.calls[3], "type 0:0:0");
        if (!c.found) {
            EXPECT_TRUE(fake.executes.empty()) << "no TEST UNIT READY to a device that is not there";
            continue;
        }
        EXPECT_EQ(fake.calls[2 + c.probes], "type " + std::to_string(c.adapter) + ":" + std::to_string(c.target) + ":0");
        EXPECT_EQ(std::make_tuple(drive.adapter, drive.target, drive.lun), std::make_tuple(c.adapter, c.target, uint8_t{0}));
        ASSERT_EQ(fake.executes.size(), 1u);
        EXPECT_EQ(cdbOf(fake.executes[0]), padded({0x00}));
        EXPECT_EQ(fake.executes[0].cdbLength, 6);
    }
}

TEST(AspiCommands, RequestBlockAndBytesOfEveryOperation) {
    struct Case {
        const char* name;
        std::function<void(AspiDrive&)> run;
        Bytes cdb;
        uint8_t length;
        uint32_t dataLength;
    };
    uint8_t toc[kTocSize];
    uint8_t sector[kSectorDataSize];
    uint32_t track = 0;
    CdMsf position;
    const std::vector<Case> cases = {
        {"TEST UNIT READY", [](AspiDrive& d) { d.testUnitReady(); }, {0x00}, 6, 0},
        {"READ TOC", [&](AspiDrive& d) { d.readToc(toc); }, {0x43, 0x02, 0, 0, 0, 0, 0, 0x03, 0x24}, 10, 804},
        {"READ CD", [&](AspiDrive& d) { d.readSector(0x012345, sector); },
         {0xBE, 0, 0x00, 0x01, 0x23, 0x45, 0, 0, 1, 0x10}, 12, 2048},
        {"PLAY AUDIO MSF", [&](AspiDrive& d) { d.playAudio({4, 10, 5}, track); }, {0x47, 0, 0, 4, 10, 5, 0, 0, 0}, 10, 0},
        {"STOP PLAY/SCAN", [](AspiDrive& d) { d.stopAudio(); }, {0x4E}, 10, 0},
        {"PAUSE", [](AspiDrive& d) { d.pauseAudio(false); }, {0x4B, 0, 0, 0, 0, 0, 0, 0, 0}, 10, 0},
        {"RESUME", [](AspiDrive& d) { d.pauseAudio(true); }, {0x4B, 0, 0, 0, 0, 0, 0, 0, 1}, 10, 0},
        {"READ SUB-CHANNEL", [&](AspiDrive& d) { d.readPosition(track, position); },
         {0x42, 0x02, 0x40, 0x01, 0, 0, 0, 0, 16}, 10, 16},
        {"START STOP UNIT, eject", [](AspiDrive& d) { d.loadEjectDrive(0); }, {0x1B, 0, 0, 0, 0x02}, 6, 0},
        {"START STOP UNIT, load", [](AspiDrive& d) { d.loadEjectDrive(1); }, {0x1B, 0, 0, 0, 0x03}, 6, 0},
        // 01:00:10 is block 4510, the drive's 4360 (0x1108).
        {"SEEK", [](AspiDrive& d) { d.seekDrive({1, 0, 10}); }, {0x2B, 0, 0, 0, 0x11, 0x08}, 10, 0},
        {"SEEK before the data", [](AspiDrive& d) { d.seekDrive({0, 1, 0}); }, {0x2B}, 10, 0},
        // Two seconds before 10:00:05: (598 x 75) + 5 = 44855 (0xAF37).
        {"SCAN back", [](AspiDrive& d) { d.scanDriveAudio(1, {10, 0, 5}); }, {0xBA, 0x10, 0, 0x00, 0xAF, 0x37}, 12, 0},
        {"SCAN from the start", [](AspiDrive& d) { d.scanDriveAudio(0, {0, 1, 74}); }, {0xBA}, 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDrive open;
        c.run(open.drive);
        ASSERT_EQ(open.fake.executes.size(), 1u);
        const AspiExecuteRequest& sent = open.fake.executes[0];
        EXPECT_EQ(cdbOf(sent), padded(c.cdb));
        EXPECT_EQ(sent.cdbLength, c.length);
        const uint32_t dataLength = sent.dataLength;
        EXPECT_EQ(dataLength, c.dataLength);
        EXPECT_EQ(sent.data != nullptr, c.dataLength != 0);
        EXPECT_EQ(sent.header.command, kAspiExecuteScsiCommand);
        EXPECT_EQ(sent.header.flags, 0x48);
        EXPECT_EQ(std::make_tuple(sent.header.adapter, sent.target, sent.lun), std::make_tuple(1, 3, 0));
        EXPECT_EQ(sent.senseLength, 14);
        const void* event = sent.event;  // a packed field: read it out first
        EXPECT_NE(event, nullptr);
        EXPECT_EQ(open.fake.openEvents, 0) << "the event is released with its request";
    }
}

TEST(AspiCommands, PendingRequestsAreWaitedForAndAnswersRead) {
    OpenDrive open;
    open.fake.pending = true;
    open.fake.answer = {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 1, 2, 3};
    uint32_t track = 0;
    CdMsf position;
    ASSERT_TRUE(open.drive.readPosition(track, position));
    EXPECT_EQ(open.fake.calls, (std::vector<std::string>{"execute", "wait"}));
    EXPECT_EQ(track, 3u);
    EXPECT_EQ(position, (CdMsf{1, 2, 3}));

    open.fake.answer.assign(kSectorDataSize, 0x5A);
    uint8_t sector[kSectorDataSize] = {};
    EXPECT_TRUE(open.drive.readSector(7, sector));
    EXPECT_EQ(sector[kSectorDataSize - 1], 0x5A);
    EXPECT_EQ(open.fake.openEvents, 0);

    // Failures: the target's status, or the request's when the target gave none.
    open.fake.executeStatus = 4;
    open.fake.targetStatus = 2;
    EXPECT_EQ(open.drive.testUnitReady(), 2u);
    EXPECT_FALSE(open.drive.readPosition(track, position));
    EXPECT_FALSE(open.drive.readSector(7, sector));
    open.fake.targetStatus = 0;
    EXPECT_EQ(open.drive.testUnitReady(), kAspiNotCompleted | 4);

    // Without an event to wait on, nothing is sent.
    open.fake.eventsFail = true;
    open.fake.executes.clear();
    EXPECT_EQ(open.drive.testUnitReady(), kAspiNotCompleted);
    EXPECT_TRUE(open.fake.executes.empty());
}

// Tracks at 00:02:00, 04:10:00 and 06:40:00, lead-out at 08:00:00.
Bytes threeTrackToc() {
    Bytes toc(kTocSize, 0);
    toc[1] = 34;
    toc[2] = 1;
    toc[3] = 3;
    const uint8_t times[4][3] = {{0, 2, 0}, {4, 10, 0}, {6, 40, 0}, {8, 0, 0}};
    for (uint32_t k = 0; k < 4; ++k) {
        toc[4 + 8 * k + 2] = k < 3 ? static_cast<uint8_t>(k + 1) : 0xAA;
        std::copy_n(times[k], 3, &toc[4 + 8 * k + 5]);
    }
    return toc;
}

TEST(AspiCommands, PlayReportsTheTrackFromWholeTimesAndPlaysToTheLeadOut) {
    const std::vector<std::pair<CdMsf, uint32_t>> cases = {
        {{0, 0, 0}, 1}, {{0, 2, 0}, 1}, {{4, 10, 0}, 2}, {{4, 10, 1}, 3},
        {{5, 30, 0}, 3}, {{5, 50, 0}, 3}, {{6, 40, 0}, 3}, {{7, 0, 0}, 3},  // inside the last track
    };
    OpenDrive open;
    open.fake.answer = threeTrackToc();
    uint8_t toc[kTocSize];
    ASSERT_EQ(open.drive.readToc(toc), 0u);
    EXPECT_EQ(Bytes(toc, toc + kTocSize), open.fake.answer);
    for (const auto& [from, expected] : cases) {
        SCOPED_TRACE(testing::Message() << int(from.minute) << ":" << int(from.second) << ":" << int(from.frame));
        open.fake.executes.clear();
        uint32_t track = 0;
        ASSERT_TRUE(open.drive.playAudio(from, track));
        EXPECT_EQ(track, expected);
        ASSERT_EQ(open.fake.executes.size(), 1u);
        EXPECT_EQ(cdbOf(open.fake.executes[0]), padded({0x47, 0, 0, from.minute, from.second, from.frame, 8, 0, 0}));
    }
}

}  // namespace
}  // namespace vimo::test
