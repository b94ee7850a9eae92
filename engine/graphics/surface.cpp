#include "engine/graphics/surface.h"

#include <new>

#include "engine/graphics/clip_copy.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/image_upload.h"
#include "engine/image/image.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
using platform::gfx::FAILED;
using platform::gfx::SUCCEEDED;

namespace {

ResourceList g_surfaces;

void Progress(ProgressCallback callback) {
    if (callback) callback(0);
}

u32 SurfaceFormatOfKind(i32 kind) {
    switch (kind) {
        case 1: return GetBackBufferFormat();
        case 2: return GetNormalTextureFormat();
        case 3: return GetAlphaTextureFormat();
        case 4: return gfx::D3DFMT_A8R8G8B8;
        default: return 0;
    }
}

void ReleaseSurface(gfx::Direct3DSurface8*& s) {
    if (s) {
        s->Release();
        s = nullptr;
    }
}

i32 SetDepthBufferHook(Surface* surface) { return surface ? surface->SurfaceSetDepthBuffer() : 0; }

Surface* NewSurface() {
    Surface* surface = new (std::nothrow) Surface();
    if (surface) ResourceListPushFront(&g_surfaces, surface);
    return surface;
}

// Makes the device object of a render target or a depth buffer.
gfx::Direct3DSurface8* MakeDeviceSurface(bool depth, i32 width, i32 height, u32 format) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || width <= 0 || height <= 0) return nullptr;
    gfx::Direct3DSurface8* made = nullptr;
    gfx::HRESULT hr =
        depth ? device->CreateDepthStencilSurface(static_cast<u32>(width), static_cast<u32>(height),
                                                  static_cast<gfx::D3DFORMAT>(format), gfx::D3DMULTISAMPLE_NONE, &made)
              : device->CreateRenderTarget(static_cast<u32>(width), static_cast<u32>(height),
                                           static_cast<gfx::D3DFORMAT>(format), gfx::D3DMULTISAMPLE_NONE, 1, &made);
    return FAILED(hr) ? nullptr : made;
}

}  // namespace

ResourceList& SurfaceList() { return g_surfaces; }

Surface::~Surface() {
    // The device must not make a dead depth buffer current after a restore.
    if (GraphicsDeviceInfo().currentDepthBuffer == this) SetCurrentDepthBuffer(nullptr);
    if (locked) SurfaceUnlock();
    ReleaseSurface(surface);
    if (videoMemoryCounted) AddVideoMemoryUse(-videoMemoryCounted);
    videoMemoryCounted = 0;
}

Surface* CreateSurface(const char* archive, const char* entry, i32 kind, ProgressCallback callback) {
    Surface* s = NewSurface();
    if (!s) return nullptr;
    ResetCurrentDirectory();
    if (Image* image = CreateImage()) {
        Progress(callback);
        gfx::Direct3DDevice8* device = GetDirect3DDevice();
        if (const char* error = image->ImageLoadLag(archive, entry, callback)) {
            LogPrintf("Error : %s\n", error);
            SayImageLoadFailure(archive, entry, error);
        } else if (device) {
            Progress(callback);
            image->ImageGetSize(&s->width, &s->height);
            s->format = SurfaceFormatOfKind(kind);
            if (FAILED(device->CreateImageSurface(static_cast<u32>(s->width), static_cast<u32>(s->height),
                                                  static_cast<gfx::D3DFORMAT>(s->format), &s->surface))) {
                s->surface = nullptr;
                LogPrintf("Error : Can't Create ImageSurface\n");
            } else {
                const bool written = WriteImageToSurface(image, s->surface, s->format, callback);
                // A surface whose pixels could not be written copies nothing.
                if (!written) {
                    LogPrintf("Error : Can't Write Surface\n");
                    ReleaseSurface(s->surface);
                }
            }
            Progress(callback);
        }
        image->Release();
    }
    s->ready = 1;
    return s;
}

Surface* CreateDepthBuffer(i32 width, i32 height, ProgressCallback callback) {
    Surface* s = NewSurface();
    if (!s) return nullptr;
    s->width = width;
    s->height = height;
    s->format = gfx::D3DFMT_D16;
    s->surface = MakeDeviceSurface(true, width, height, s->format);
    if (!s->surface) {
        LogPrintf("Error Can't Create DepthBuffer\n");
        return s;
    }
    Progress(callback);
    s->videoMemoryCounted = GetFormatBytesPerPixel(s->format) * width * height;
    AddVideoMemoryUse(s->videoMemoryCounted);
    s->depthBuffer = 1;
    s->ready = 1;
    return s;
}

void Surface::SurfaceBlit(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    if (!ready || !surface || depthBuffer) return;
    CopyToRenderTarget(surface, width, height, x, y, left, top, right, bottom);
}

i32 Surface::SurfaceSetDepthBuffer() {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!ready || !depthBuffer || !surface || !device) return 0;
    if (FAILED(device->SetRenderTarget(nullptr, surface))) return 0;
    SetCurrentDepthBuffer(this);
    return 1;
}

i32 Surface::SurfaceSetRenderTarget() {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!ready || !renderTarget || !surface || !device) return 0;
    gfx::Direct3DSurface8* depth = nullptr;
    device->GetDepthStencilSurface(&depth);
    const bool ok = SUCCEEDED(device->SetRenderTarget(surface, depth));
    if (depth) depth->Release();
    return ok ? 1 : 0;
}

i32 Surface::SurfaceLock(gfx::D3DLOCKED_RECT* out) {
    if (!surface || locked || !out) return 0;
    if (FAILED(surface->LockRect(out, nullptr, 0))) return 0;
    locked = 1;
    return 1;
}

void Surface::SurfaceUnlock() {
    if (!locked) return;
    if (surface) surface->UnlockRect();
    locked = 0;
}

i32 Surface::CaptureFrom(DeviceSurface source, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    if (!ready || !surface || depthBuffer) return 0;
    return CaptureFromDevice(source, surface, nullptr, width, height, x, y, left, top, right, bottom);
}

i32 Surface::SurfaceCaptureRenderTarget(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    return CaptureFrom(DeviceSurface::RenderTarget, x, y, left, top, right, bottom);
}

i32 Surface::SurfaceCaptureBackBuffer(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    return CaptureFrom(DeviceSurface::BackBuffer, x, y, left, top, right, bottom);
}

void Surface::SurfaceOnLostDevice() {
    if (renderTarget || depthBuffer) {
        if (locked) SurfaceUnlock();
        ReleaseSurface(surface);
    }
}

void Surface::SurfaceOnResetDevice() {
    if ((!renderTarget && !depthBuffer) || surface) return;
    surface = MakeDeviceSurface(depthBuffer != 0, width, height, format);
    if (!surface) {
        ready = 0;
        renderTarget = 0;
        depthBuffer = 0;
        if (videoMemoryCounted) AddVideoMemoryUse(-videoMemoryCounted);
        videoMemoryCounted = 0;
        LogPrintf("Error : Can't Restore Surface\n");
    }
}

void SurfaceLostAll() { ResourceListForEach<Surface>(&g_surfaces, &Surface::SurfaceOnLostDevice); }

void SurfaceResetAll() { ResourceListForEach<Surface>(&g_surfaces, &Surface::SurfaceOnResetDevice); }

i32 InitializeSurface() {
    ResourceListClear(&g_surfaces);
    DeviceHooks().setDepthBuffer = SetDepthBufferHook;
    SetDeviceObjectHooks(kDeviceObjectSurfaces, SurfaceLostAll, SurfaceResetAll);
    return 1;
}

void DestroySurface() {
    LogPrintf("Destroy Surface\n");
    ResourceListReleaseAll(&g_surfaces);
}
