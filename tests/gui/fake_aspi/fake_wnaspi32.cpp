// A stand-in for WNASPI32.DLL with a drive that serves the synthetic disc of
// fake_disc.h. Execute requests complete from a thread of their own, so the
// caller's wait on its event is what ends them. Every request is written, as
// it arrives, to the file named by VIMO_FAKE_ASPI_LOG (else fake_aspi.log),
// one line each:
//   inquiry <adapter>
//   type <adapter>:<target>:<lun>
//   exec <adapter>:<target>:<lun> flags <hex> sense <n> length <n> data <n> cdb <hex bytes of the length>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cdunit/aspi_requests.h"
#include "fake_disc.h"

namespace {

using namespace vimo;

CRITICAL_SECTION logLock;

void logLine(const char* text) {
    char path[MAX_PATH] = "fake_aspi.log";
    GetEnvironmentVariableA("VIMO_FAKE_ASPI_LOG", path, sizeof path);
    EnterCriticalSection(&logLock);
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", text);
        std::fclose(file);
    }
    LeaveCriticalSection(&logLock);
}

void answerInquiry(AspiAdapterInquiry& inquiry) {
    char line[64];
    std::snprintf(line, sizeof line, "inquiry %u", inquiry.header.adapter);
    logLine(line);
    inquiry.adapterCount = fakedisc::kAdapters;
    inquiry.unique[kAspiMaxTargetsByte] = 8;
    inquiry.header.status = inquiry.header.adapter < fakedisc::kAdapters ? kAspiCompleted : 0x81;
}

void answerDeviceType(AspiDeviceType& probe) {
    char line[64];
    std::snprintf(line, sizeof line, "type %u:%u:%u", probe.header.adapter, probe.target, probe.lun);
    logLine(line);
    const bool drive = probe.header.adapter == fakedisc::kDriveAdapter && probe.target == fakedisc::kDriveTarget;
    const bool disk = probe.header.adapter == 0 && probe.target == 0;
    probe.deviceType = drive ? kAspiCdromDevice : 0;
    probe.header.status = (drive || disk) && probe.lun == 0 ? kAspiCompleted : 0x82;
}

void logExecute(const AspiExecuteRequest& request) {
    char line[256];
    int used = std::snprintf(line, sizeof line, "exec %u:%u:%u flags %02X sense %u length %u data %u cdb",
                             request.header.adapter, request.target, request.lun, request.header.flags,
                             request.senseLength, request.cdbLength, static_cast<unsigned>(request.dataLength));
    for (uint32_t i = 0; i < request.cdbLength && i < kAspiCdbSize; ++i)
        used += std::snprintf(line + used, sizeof line - used, " %02X", request.cdb[i]);
    logLine(line);
}

void fillToc(uint8_t* toc, uint32_t length) {
    uint8_t answer[4 + 8 * 4] = {0, 2 + 8 * 4, 1, fakedisc::kLastTrack};
    for (uint32_t k = 0; k < 4; ++k) {
        uint8_t* entry = &answer[4 + 8 * k];
        entry[1] = fakedisc::kTrackControl[k];
        entry[2] = k < fakedisc::kLastTrack ? static_cast<uint8_t>(k + 1) : 0xAA;
        std::memcpy(&entry[5], fakedisc::kTrackTimes[k], 3);
    }
    std::memcpy(toc, answer, length < sizeof answer ? length : sizeof answer);
}

// The drive's answer to a command; false for a command it does not know or
// a request that is not whole.
bool serve(AspiExecuteRequest& request) {
    const uint8_t* cdb = request.cdb;
    uint8_t* data = request.data;
    switch (cdb[0]) {
    case 0x43:
        if (data == nullptr) return false;
        fillToc(data, request.dataLength);
        return true;
    case 0xBE: {
        if (data == nullptr || request.dataLength < 2048 || request.cdbLength != 12) return false;
        const uint32_t block = (uint32_t{cdb[2]} << 24) | (cdb[3] << 16) | (cdb[4] << 8) | cdb[5];
        for (uint32_t i = 0; i < 2048; ++i) data[i] = fakedisc::sectorByte(block, i);
        return true;
    }
    case 0x42:
        if (data == nullptr || request.dataLength < 16) return false;
        std::memset(data, 0, 16);
        data[6] = fakedisc::kPositionTrack;
        std::memcpy(&data[13], fakedisc::kPositionTime, 3);
        return true;
    case 0x00:
    case 0x47:
    case 0x4B:
    case 0x4E: return true;
    default: return false;
    }
}

DWORD WINAPI completeLater(void* parameter) {
    auto* request = static_cast<AspiExecuteRequest*>(parameter);
    Sleep(1);
    const bool served = serve(*request);
    request->targetStatus = served ? 0 : 2;  // check condition
    request->header.status = served ? kAspiCompleted : 4;
    SetEvent(request->event);
    return 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD GetASPI32SupportInfo() {
    return (kAspiCompleted << 8) | fakedisc::kAdapters;
}

__declspec(dllexport) DWORD SendASPI32Command(void* block) {
    auto* header = static_cast<AspiRequestHeader*>(block);
    switch (header->command) {
    case kAspiHostAdapterInquiry: answerInquiry(*static_cast<AspiAdapterInquiry*>(block)); break;
    case kAspiGetDeviceType: answerDeviceType(*static_cast<AspiDeviceType*>(block)); break;
    case kAspiExecuteScsiCommand: {
        auto* request = static_cast<AspiExecuteRequest*>(block);
        logExecute(*request);
        if (request->event == nullptr || !(header->flags & kAspiEventNotify)) {
            header->status = 0x80;  // no way to tell the caller when it is over
            break;
        }
        header->status = kAspiPending;
        HANDLE thread = CreateThread(nullptr, 0, completeLater, request, 0, nullptr);
        if (thread == nullptr) {
            header->status = 4;
            break;
        }
        CloseHandle(thread);
        return kAspiPending;
    }
    default: header->status = 0x80; break;
    }
    return header->status;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&logLock);
    if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&logLock);
    return TRUE;
}

}  // extern "C"
