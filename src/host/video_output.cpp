#include "host/video_output.h"

#include <cstring>

#include "host/com_release.h"
#include "machine/machine.h"

namespace vimo {

namespace {

// DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX.
constexpr DWORD kFullscreenCooperation = 0x53;
constexpr uint32_t kHostPitch = kSurfaceWidth * 2;

RECT toRect(const ScreenRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// The Vdp learns which 16-bit layout it draws; a machine that failed to
// build has no Vdp to tell.
void setVdpPixelFormat(uint32_t format) {
    if (globalMachine != nullptr) globalMachine->vdp.pixelFormat = format;
}

bool surfaceFormat(IDirectDrawSurface* surface, DDPIXELFORMAT& format) {
    std::memset(&format, 0, sizeof format);
    format.dwSize = sizeof format;
    return SUCCEEDED(surface->GetPixelFormat(&format));
}

// The client area in screen coordinates, less the status bar when there is one.
ScreenRect pictureDestination(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const ScreenRect onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    int32_t statusHeight = 0;
    HWND statusBar = GetDlgItem(window, kStatusBarId);
    RECT statusRect{};
    if (statusBar != nullptr && IsWindowVisible(statusBar) && GetWindowRect(statusBar, &statusRect)) {
        statusHeight = statusRect.bottom - statusRect.top;
    }
    return windowedDestRect(onScreen, statusHeight);
}

}  // namespace

IDirectDrawSurface* createPrimarySurface(IDirectDraw* directDraw) {
    if (directDraw == nullptr) return nullptr;
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&description, &surface, nullptr))) return nullptr;
    return surface;
}

IDirectDrawSurface* createOffscreenSurface(IDirectDraw* directDraw, uint32_t width, uint32_t height) {
    if (directDraw == nullptr) return nullptr;
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = width;
    description.dwHeight = height;
    IDirectDrawSurface* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&description, &surface, nullptr))) return nullptr;
    return surface;
}

IDirectDrawClipper* createClipper(IDirectDraw* directDraw, HWND window, IDirectDrawSurface* primary) {
    IDirectDrawClipper* clipper = nullptr;
    if (directDraw == nullptr || FAILED(directDraw->CreateClipper(0, &clipper, nullptr))) return nullptr;
    if (FAILED(clipper->SetHWnd(0, window)) || FAILED(primary->SetClipper(clipper))) {
        clipper->Release();
        return nullptr;
    }
    return clipper;
}

int32_t lockSurface(FrameBufferDesc* frame, IDirectDrawSurface* surface) {
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    if (FAILED(surface->GetSurfaceDesc(&description))) return 1;
    frame->width = description.dwWidth;
    frame->height = description.dwHeight;
    DDPIXELFORMAT format;
    if (!surfaceFormat(surface, format)) return 1;
    const PixelFormatRule rule = classifyPixelFormat(format.dwRGBBitCount, format.dwGBitMask);
    frame->bitsPerPixel = rule.bitsPerPixel;
    setVdpPixelFormat(rule.vdpFormat);
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    if (FAILED(surface->Lock(nullptr, &description, 0, nullptr))) return 1;
    frame->pixels = description.lpSurface;
    frame->pitch = static_cast<uint32_t>(description.lPitch);
    return 0;
}

VideoOutput::VideoOutput(HWND window, uint32_t fullscreen) : window(window), fullscreen(fullscreen) {
    open();
}

int32_t VideoOutput::open() {
    if (directDraw == nullptr && FAILED(DirectDrawCreate(nullptr, &directDraw, nullptr))) {
        directDraw = nullptr;
        return 1;
    }
    if (fullscreen != 0 && FAILED(directDraw->SetCooperativeLevel(window, kFullscreenCooperation))) {
        fullscreen = 0;
    }
    if (fullscreen == 0 && FAILED(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL))) return 1;
    if (fullscreen != 0) directDraw->SetDisplayMode(320, 240, 16);
    if (primary == nullptr && (primary = createPrimarySurface(directDraw)) == nullptr) return 1;
    if (back == nullptr && (back = createOffscreenSurface(directDraw, kSurfaceWidth, kSurfaceHeight)) == nullptr) {
        return 1;
    }
    if (fullscreen == 0 && clipper == nullptr) clipper = createClipper(directDraw, window, primary);
    return 0;
}

void VideoOutput::close() {
    releaseAll();
    window = nullptr;
    frame.pixels = nullptr;
    hostLocked = false;
}

int32_t VideoOutput::releaseAll() {
    releaseObject(clipper);
    releaseObject(back);
    releaseObject(primary);
    releaseObject(directDraw);
    return 0;
}

// What is missing is made again; a failed attempt releases everything so the
// next one starts clean.
bool VideoOutput::ready() {
    if (directDraw == nullptr || primary == nullptr || back == nullptr) {
        if (open() != 0) releaseAll();
    }
    return directDraw != nullptr && primary != nullptr && back != nullptr;
}

int32_t VideoOutput::repaint() {
    if (!ready()) return 1;
    if (fullscreen != 0) {
        DDBLTFX effects{};
        effects.dwSize = sizeof effects;
        effects.dwFillColor = 0;
        RECT screen{0, 0, 320, 240};
        primary->Blt(&screen, nullptr, nullptr, DDBLT_COLORFILL, &effects);
    }
    return present();
}

HRESULT VideoOutput::blitPicture() {
    if (fullscreen != 0) {
        RECT source = toRect(kFullscreenSourceRect);
        return primary->BltFast(0, 0, back, &source, 0);
    }
    RECT source = toRect(kPictureRect);
    RECT destination = toRect(pictureDestination(window));
    if (destination.right <= destination.left || destination.bottom <= destination.top) return DD_OK;
    return primary->Blt(&destination, back, &source, 0, nullptr);
}

// A mode switch or another program can take the surfaces' memory away; they
// are restored and the picture copied once more.
void VideoOutput::restoreSurfaces() {
    primary->Restore();
    back->Restore();
}

int32_t VideoOutput::present() {
    if (!ready()) return 1;
    if (blitPicture() == DDERR_SURFACELOST) {
        restoreSurfaces();
        blitPicture();
    }
    return 0;
}

void VideoOutput::lockHostBuffer(const SurfaceLayout& layout) {
    if (hostPixels == nullptr) {
        hostPixels = std::make_unique<uint16_t[]>(kSurfaceWidth * kSurfaceHeight);
    }
    backLayout = layout;
    hostLocked = true;
    setVdpPixelFormat(16);
    frame.pixels = hostPixels.get();
    frame.width = kSurfaceWidth;
    frame.height = kSurfaceHeight;
    frame.pitch = kHostPitch;
    frame.bitsPerPixel = 16;
}

FrameBufferDesc VideoOutput::lock(FrameBufferDesc* out) {
    frame.pixels = nullptr;
    DDPIXELFORMAT format;
    if (ready() && surfaceFormat(back, format)) {
        if (format.dwRGBBitCount == 16) {
            if (lockSurface(&frame, back) != 0) frame.pixels = nullptr;
        } else {
            lockHostBuffer({format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask});
        }
    }
    if (out != nullptr) *out = frame;
    return frame;
}

void VideoOutput::copyHostBuffer() {
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    HRESULT result = back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr);
    if (result == DDERR_SURFACELOST) {
        back->Restore();
        result = back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr);
    }
    if (FAILED(result)) return;
    const uint32_t width = description.dwWidth < kSurfaceWidth ? description.dwWidth : kSurfaceWidth;
    const uint32_t height = description.dwHeight < kSurfaceHeight ? description.dwHeight : kSurfaceHeight;
    convertRgb565(reinterpret_cast<const uint8_t*>(hostPixels.get()), kHostPitch,
                  static_cast<uint8_t*>(description.lpSurface), static_cast<uint32_t>(description.lPitch),
                  width, height, backLayout);
    back->Unlock(description.lpSurface);
}

int32_t VideoOutput::unlock() {
    if (frame.pixels == nullptr) return 0;
    if (hostLocked) {
        hostLocked = false;
        if (back != nullptr) copyHostBuffer();
    } else if (back != nullptr) {
        back->Unlock(frame.pixels);
    }
    frame.pixels = nullptr;
    return 0;
}

}  // namespace vimo
