// A small Windows program that shows known colours through the real video
// output, drawn the way the line renderer draws: RGB565 pixels written
// through the locked FrameBufferDesc. The picture's four quadrants are red,
// green, blue and white; the 8-pixel border around it is magenta, which must
// never reach the screen in a window. The window has a status bar like the
// main window's, so the picture must end above it.
//
// It prints the lock's fields and the client size, presents for a few
// seconds (long enough for a screenshot) and ends with 0, or 1 when the lock
// failed.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/video_output.h"

namespace {

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;
constexpr uint16_t kBlue = 0x001F;
constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kMagenta = 0xF81F;
constexpr DWORD kShowMilliseconds = 8000;

uint16_t colourAt(uint32_t x, uint32_t y) {
    if (x < 8 || x >= 328 || y < 8 || y >= 232) return kMagenta;
    const bool right = x >= 168;
    const bool bottom = y >= 120;
    if (!bottom) return right ? kGreen : kRed;
    return right ? kWhite : kBlue;
}

bool drawPicture(vimo::VideoOutput& video) {
    vimo::FrameBufferDesc frame{};
    video.lock(&frame);
    if (frame.pixels == nullptr) return false;
    for (uint32_t y = 0; y < vimo::kSurfaceHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(frame.pixels) + y * frame.pitch);
        for (uint32_t x = 0; x < vimo::kSurfaceWidth; ++x) row[x] = colourAt(x, y);
    }
    std::printf("lock width %u height %u pitch %u bits %u\n", frame.width, frame.height, frame.pitch,
                frame.bitsPerPixel);
    video.unlock();
    return true;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOWFRAME + 1);
    windowClass.lpszClassName = "VIMOVIDEOCHECK";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "VIMOVIDEOCHECK", "Vimo video check", WS_OVERLAPPEDWINDOW, 76, 53, 648, 494,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 2;
    CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window, vimo::kStatusBarId);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    vimo::VideoOutput video(window, 0);
    if (!drawPicture(video)) return 1;
    RECT client{};
    GetClientRect(window, &client);
    RECT status{};
    GetWindowRect(GetDlgItem(window, vimo::kStatusBarId), &status);
    std::printf("client %ld x %ld status %ld\n", client.right, client.bottom, status.bottom - status.top);
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < kShowMilliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        video.present();
        Sleep(20);
    }
    return 0;
}
