// The ASPI for Win32 library, loaded when the program starts; its requests
// signal a manual-reset event when the library leaves them pending.
#include "host/aspi_library.h"

#include <windows.h>

namespace vimo {

namespace {

using GetSupportInfo = DWORD (*)();
using SendCommand = DWORD (*)(void* request);

struct LoadedAspi {
    HMODULE module = nullptr;
    GetSupportInfo getSupportInfo = nullptr;
    SendCommand sendCommand = nullptr;
} aspi;

// An entry point as the type it has; the plain function type in between is
// how a looked-up address is converted without a warning.
template <typename Function>
Function entryPoint(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(aspi.module, name)));
}

bool loadAspi() {
    aspi.module = LoadLibraryA("WNASPI32.DLL");
    if (aspi.module == nullptr) return false;
    aspi.getSupportInfo = entryPoint<GetSupportInfo>("GetASPI32SupportInfo");
    aspi.sendCommand = entryPoint<SendCommand>("SendASPI32Command");
    if (aspi.getSupportInfo != nullptr && aspi.sendCommand != nullptr) return true;
    FreeLibrary(aspi.module);
    aspi = {};
    return false;
}

void unloadAspi() {
    if (aspi.module != nullptr) FreeLibrary(aspi.module);
    aspi = {};
}

}  // namespace

AspiLibrary windowsAspiLibrary() {
    return {
        loadAspi,
        unloadAspi,
        [] { return static_cast<uint32_t>(aspi.getSupportInfo()); },
        [](void* request) { return static_cast<uint32_t>(aspi.sendCommand(request)); },
        []() -> void* { return CreateEventA(nullptr, TRUE, FALSE, nullptr); },
        [](void* event) { WaitForSingleObject(event, INFINITE); },
        [](void* event) { CloseHandle(event); },
    };
}

HostCdDrive* openAspiDrive() {
    static AspiDrive drive(windowsAspiLibrary());
    drive.openAspi();
    return &drive;
}

}  // namespace vimo
