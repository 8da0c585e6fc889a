// The picture on the host screen through DirectDraw: a primary surface, a
// 336 x 240 back surface in system memory that the line renderer draws into,
// and in a window a clipper that keeps the picture inside it.
//
// On a 16-bit display the renderer draws straight into the back surface. On
// any other depth it draws into an RGB565 buffer of the same size, which the
// unlock converts into the back surface, so the colours are right whatever
// the desktop's depth.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <memory>

#include "host/video_geometry.h"
#include "vdp/frame_buffer.h"

namespace vimo {

// The status bar's control id: the windowed picture ends above it.
constexpr int kStatusBarId = 4997;

class VideoOutput {
public:
    VideoOutput(HWND window, uint32_t fullscreen);

    int32_t open();
    void close();
    int32_t releaseAll();
    int32_t repaint();
    int32_t present();
    FrameBufferDesc lock(FrameBufferDesc* out);
    int32_t unlock();

    HWND window;
    uint32_t fullscreen;
    FrameBufferDesc frame{};
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    IDirectDrawClipper* clipper = nullptr;

private:
    bool ready();
    void lockHostBuffer(const SurfaceLayout& layout);
    void copyHostBuffer();
    HRESULT blitPicture();
    void restoreSurfaces();

    std::unique_ptr<uint16_t[]> hostPixels;   // RGB565, for displays that are not 16-bit
    SurfaceLayout backLayout{};
    bool hostLocked = false;
};

IDirectDrawSurface* createPrimarySurface(IDirectDraw* directDraw);
IDirectDrawSurface* createOffscreenSurface(IDirectDraw* directDraw, uint32_t width, uint32_t height);
IDirectDrawClipper* createClipper(IDirectDraw* directDraw, HWND window, IDirectDrawSurface* primary);
// Locks a 16-bit surface for the renderer. 0, or 1 on failure.
int32_t lockSurface(FrameBufferDesc* frame, IDirectDrawSurface* surface);

}  // namespace vimo
