#include "engine/graphics/texture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/graphics/clip_copy.h"
#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/draw2d.h"
#include "engine/graphics/image_upload.h"
#include "engine/graphics/surface.h"
#include "engine/image/image.h"
#include "platform/gfx/device.h"
#include "platform/gfx/raster.h"
#include "platform/image_file.h"

namespace gfx = platform::gfx;
using platform::gfx::FAILED;
using platform::gfx::SUCCEEDED;

namespace {

ResourceList g_textures;

void Progress(ProgressCallback callback) {
    if (callback) callback(0);
}

// Bytes per pixel of the colour formats textures are made in (0 for others).
i32 TexturePixelBytes(u32 format) {
    switch (format) {
        case gfx::D3DFMT_A8R8G8B8:
        case gfx::D3DFMT_X8R8G8B8: return 4;
        case gfx::D3DFMT_R5G6B5:
        case gfx::D3DFMT_X1R5G5B5:
        case gfx::D3DFMT_A1R5G5B5:
        case gfx::D3DFMT_A4R4G4B4:
        case gfx::D3DFMT_X4R4G4B4: return 2;
        default: return 0;
    }
}

// The utility library's texture creation: the size is clamped to what the
// device takes, so the whole image is later stretched over it.
gfx::Direct3DTexture8* CreateFittedTexture(i32 width, i32 height, u32 format, gfx::DWORD usage, gfx::D3DPOOL pool) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || width <= 0 || height <= 0) return nullptr;
    const gfx::D3DCAPS8& caps = GraphicsDeviceInfo().caps;
    u32 w = static_cast<u32>(width);
    u32 h = static_cast<u32>(height);
    if (caps.MaxTextureWidth != 0 && w > caps.MaxTextureWidth) w = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight != 0 && h > caps.MaxTextureHeight) h = caps.MaxTextureHeight;
    gfx::Direct3DTexture8* texture = nullptr;
    if (FAILED(device->CreateTexture(w, h, 1, usage, static_cast<gfx::D3DFORMAT>(format), pool, &texture))) {
        return nullptr;
    }
    return texture;
}

template <typename T>
void ReleaseInterface(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

gfx::Direct3DTexture8* ResourceOf(Texture* texture) { return texture ? texture->texture : nullptr; }

gfx::Direct3DBaseTexture8* DeviceTextureHook(Texture* texture) { return ResourceOf(texture); }

// The backup holds the picture: uploads it and counts the texture.
void FinishTexture(Texture* t, i32 imageWidth, i32 imageHeight) {
    t->TextureUpdate();
    t->ready = 1;
    t->videoMemoryCounted = GetFormatBytesPerPixel(t->format) * t->width * t->height;
    AddVideoMemoryUse(t->videoMemoryCounted);
    t->uScale = 1.0f / static_cast<f32>(imageWidth);
    t->vScale = 1.0f / static_cast<f32>(imageHeight);
}

// Loads `image` into a new texture object's two device textures.
void BuildTexture(Texture* t, Image* image, u32 format, ProgressCallback callback) {
    i32 iw = 0, ih = 0;
    image->ImageGetSize(&iw, &ih);
    t->format = format;
    t->width = iw;
    t->height = ih;
    t->imageWidth = iw;
    t->imageHeight = ih;

    // Halve the texture until it fits into the texture memory. A texture
    // halved down to nothing stays not ready.
    const u64 available = static_cast<u64>(GetAvailableTextureMemory()) << 20;
    while (t->width > 0 && t->height > 0) {
        t->texture = CreateFittedTexture(t->width, t->height, format, 0, gfx::D3DPOOL_DEFAULT);
        if (!t->texture) {
            LogPrintf("Error : Can't Create Texture\n");
            return;
        }
        gfx::D3DSURFACE_DESC desc;
        t->texture->GetLevelDesc(0, &desc);
        t->width = static_cast<i32>(desc.Width);
        t->height = static_cast<i32>(desc.Height);
        const u64 bytes =
            static_cast<u64>(t->width) * static_cast<u64>(t->height) * static_cast<u64>(TexturePixelBytes(format));
        if (bytes + bytes / 10 < available) break;
        t->width >>= 1;
        t->height >>= 1;
        ReleaseInterface(t->texture);
    }
    if (!t->texture) {
        LogPrintf("Error : Texture does not fit into the texture memory\n");
        return;
    }
    Progress(callback);

    if (t->width == iw && t->height == ih && t->TextureCreateBackup()) {
        // The backup is as large as the picture: the picture goes straight
        // into it (what copying it over from an image surface gives).
        const bool written = WriteImageToSurface(image, t->backup->Level0(), format, callback);
        Progress(callback);
        if (!written) {
            LogPrintf("Error : Can't Convert Image\n");
            ReleaseInterface(t->backup);
        } else {
            FinishTexture(t, iw, ih);
        }
        Progress(callback);
        return;
    }

    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    gfx::Direct3DSurface8* imageSurface = nullptr;
    if (FAILED(device->CreateImageSurface(static_cast<u32>(iw), static_cast<u32>(ih),
                                          static_cast<gfx::D3DFORMAT>(format), &imageSurface))) {
        LogPrintf("Error : Can't Create ImageSurface\n");
        return;
    }
    gfx::D3DLOCKED_RECT locked;
    bool written = false;
    if (SUCCEEDED(imageSurface->LockRect(&locked, nullptr, 0))) {
        written = image->ImageWriteToSurface(locked.pBits, locked.Pitch, format, callback);
        imageSurface->UnlockRect();
    }
    Progress(callback);
    if (!written) {
        LogPrintf("Error : Can't Convert Image\n");
    } else if (!t->TextureCreateBackup()) {
        LogPrintf("Error : Can't Create Backup Texture\n");
    } else if (const char* error = t->TextureCopyFromSurface(imageSurface)) {
        LogPrintf("Error : %s\n", error);
    } else {
        FinishTexture(t, iw, ih);
    }
    imageSurface->Release();
    Progress(callback);
}

Texture* NewTexture() {
    Texture* texture = new (std::nothrow) Texture();
    if (texture) ResourceListPushFront(&g_textures, texture);
    return texture;
}

}  // namespace

ResourceList& TextureList() { return g_textures; }

Texture::~Texture() {
    // The device's bound-texture cache must not keep naming a dead texture.
    for (u32 stage = 0; stage < 4; ++stage) {
        if (GraphicsDeviceInfo().boundTextures[stage] == this) SetTexture(nullptr, stage);
    }
    if (locked) TextureUnlock();
    ReleaseInterface(texture);
    ReleaseInterface(backup);
    if (videoMemoryCounted) AddVideoMemoryUse(-videoMemoryCounted);
    videoMemoryCounted = 0;
}

Texture* CreateTexture(const char* archive, const char* entry, i32 alpha, ProgressCallback callback) {
    Texture* t = NewTexture();
    if (!t) return nullptr;
    ResetCurrentDirectory();
    Image* image = CreateImage();
    if (!image) return t;
    Progress(callback);
    if (const char* error = image->ImageLoadLag(archive, entry, callback)) {
        LogPrintf("Error : %s\n", error);
        SayImageLoadFailure(archive, entry, error);
    } else if (GetDirect3DDevice()) {
        Progress(callback);
        BuildTexture(t, image, alpha ? GetAlphaTextureFormat() : GetNormalTextureFormat(), callback);
    }
    image->Release();
    return t;
}

Texture* CreateTextureFromFile(const char* path) {
    Texture* t = NewTexture();
    if (!t) return nullptr;
    Image* image = CreateImage();
    if (!image) return t;
    i32 w = 0, h = 0;
    std::vector<u8> bgra;
    std::string error;
    if (!platform::LoadImageFileBgra(path, w, h, bgra, error)) {
        LogPrintf("Error : %s\n", error.c_str());
    } else if (GetDirect3DDevice()) {
        std::unique_ptr<u8[]> pixels(new (std::nothrow) u8[bgra.size()]);
        if (pixels) {
            std::memcpy(pixels.get(), bgra.data(), bgra.size());
            image->SetPixels(std::move(pixels), w, h, w * 4);
            BuildTexture(t, image, GetNormalTextureFormat(), nullptr);
        }
    }
    image->Release();
    return t;
}

void Texture::TextureOnLostDevice() { ReleaseInterface(texture); }

void Texture::TextureOnResetDevice() {
    if (texture || (!ready && !renderTarget)) return;
    const gfx::DWORD usage = renderTarget ? static_cast<gfx::DWORD>(gfx::D3DUSAGE_RENDERTARGET) : 0u;
    texture = CreateFittedTexture(width, height, format, usage, gfx::D3DPOOL_DEFAULT);
    if (!texture) {
        ready = 0;
        renderTarget = 0;
        if (videoMemoryCounted) AddVideoMemoryUse(-videoMemoryCounted);
        videoMemoryCounted = 0;
        LogPrintf("Error : Can't Restore Texture\n");
        return;
    }
    if (!renderTarget) TextureUpdate();
}

i32 Texture::TextureCreateBackup() {
    ReleaseInterface(backup);
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || width <= 0 || height <= 0) return 0;
    if (FAILED(device->CreateTexture(static_cast<u32>(width), static_cast<u32>(height), 1, 0,
                                     static_cast<gfx::D3DFORMAT>(format), gfx::D3DPOOL_SYSTEMMEM, &backup))) {
        backup = nullptr;
        return 0;
    }
    return 1;
}

const char* Texture::TextureCopyFromSurface(gfx::Direct3DSurface8* surface) {
    if (!backup) return "Backup Texture is NULL";
    if (!surface) return "Surface is NULL";
    gfx::D3DLOCKED_RECT to, from;
    if (FAILED(backup->LockRect(0, &to, nullptr, 0))) return "Can't Lock Backup Texture";
    if (FAILED(surface->LockRect(&from, nullptr, 0))) {
        backup->UnlockRect(0);
        return "Can't Lock Surface";
    }
    PixelBlock d{to.pBits, to.Pitch, width, height};
    PixelBlock s{from.pBits, from.Pitch, static_cast<i32>(surface->Width()), static_cast<i32>(surface->Height())};
    const i32 ok = TransferPixels16(d, s, format, nullptr);
    surface->UnlockRect();
    backup->UnlockRect(0);
    return ok ? nullptr : "Can't Transfer Pixels";
}

void Texture::TextureUpdate() {
    if (!texture || !backup) return;
    texture->AddDirtyRect(nullptr);
    backup->AddDirtyRect(nullptr);
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || FAILED(device->UpdateTexture(backup, texture))) LogPrintf("テクスチャの更新に失敗\n");
}

i32 Texture::TextureLock(gfx::D3DLOCKED_RECT* out) {
    if (!ready || !backup || locked || !out) return locked;
    if (SUCCEEDED(backup->LockRect(0, out, nullptr, 0))) locked = 1;
    return locked;
}

void Texture::TextureUnlock() {
    if (!locked) return;
    if (backup) backup->UnlockRect(0);
    locked = 0;
}

i32 Texture::TextureGetMemorySize() const {
    const i32 bytes = TexturePixelBytes(format);
    return width * height * (bytes == 0 ? 2 : bytes * 2);
}

i32 Texture::TextureSetRenderTarget() {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!renderTarget || !texture || !device) return 0;
    gfx::Direct3DSurface8* level = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &level))) return 0;
    gfx::Direct3DSurface8* depth = nullptr;
    device->GetDepthStencilSurface(&depth);
    const bool ok = SUCCEEDED(device->SetRenderTarget(level, depth));
    if (depth) depth->Release();
    level->Release();
    return ok ? 1 : 0;
}

i32 Texture::TextureDrawToRenderTarget(i32 x, i32 y) {
    if (!ready || !texture) return 0;
    return CopyToRenderTarget(texture->Level0(), width, height, x, y, 0, 0, width, height);
}

i32 Texture::CaptureFrom(DeviceSurface source, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    if (!ready || !texture) return 0;
    // The backup takes the same copy, so the capture survives a device loss.
    return CaptureFromDevice(source, texture->Level0(), backup ? backup->Level0() : nullptr, width, height, x, y, left,
                             top, right, bottom);
}

i32 Texture::TextureCaptureRenderTarget(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    return CaptureFrom(DeviceSurface::RenderTarget, x, y, left, top, right, bottom);
}

i32 Texture::TextureCaptureBackBuffer(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    return CaptureFrom(DeviceSurface::BackBuffer, x, y, left, top, right, bottom);
}

i32 Texture::TextureBlitFromSurface(Surface* surface, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    if (!ready || !backup || !surface || !surface->ready || !surface->surface || surface->format != format) return 0;
    if (!ClipCopyRect(x, y, left, top, right, bottom, surface->width, surface->height, width, height)) return 0;
    gfx::D3DLOCKED_RECT to, from;
    if (FAILED(backup->LockRect(0, &to, nullptr, 0))) return 0;
    if (FAILED(surface->surface->LockRect(&from, nullptr, 0))) {
        backup->UnlockRect(0);
        return 0;
    }
    PixelBlock d{to.pBits, to.Pitch, width, height};
    PixelBlock s{from.pBits, from.Pitch, surface->width, surface->height};
    const i32 ok = TransferPixels(d, x, y, s, Rect{left, top, right, bottom}, format, nullptr);
    surface->surface->UnlockRect();
    backup->UnlockRect(0);
    TextureUpdate();
    return ok;
}

i32 Texture::TextureSaveBitmap(const char* path) {
    if (!path || !ready || !backup) return 0;
    gfx::D3DLOCKED_RECT rect;
    if (!TextureLock(&rect)) return 0;
    const i32 bpp = TexturePixelBytes(format);
    std::vector<u8> file;
    const u32 rowBytes = static_cast<u32>(width) * 4;
    const u32 imageBytes = rowBytes * static_cast<u32>(height);
    // clang-format off
    auto put16 = [&](u32 v) { file.push_back(u8(v)); file.push_back(u8(v >> 8)); };
    auto put32 = [&](u32 v) { put16(v & 0xFFFF); put16(v >> 16); };
    // File header, then the 40-byte information header: 32 bits, uncompressed.
    put16(0x4D42); put32(14 + 40 + imageBytes); put32(0); put32(14 + 40);
    put32(40); put32(static_cast<u32>(width)); put32(static_cast<u32>(height)); put16(1); put16(32);
    put32(0); put32(imageBytes); put32(2835); put32(2835); put32(0); put32(0);
    // clang-format on
    for (i32 y = height - 1; y >= 0; --y) {
        const u8* row = static_cast<const u8*>(rect.pBits) + static_cast<std::ptrdiff_t>(y) * rect.Pitch;
        for (i32 x = 0; x < width; ++x) {
            const u32 argb = bpp == 0 ? 0 : gfx::raster::ToArgb(row + x * bpp, static_cast<gfx::D3DFORMAT>(format));
            put32(argb);
        }
    }
    TextureUnlock();
    const std::string temp = std::string(path) + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        return 0;
    }
    return 1;
}

i32 Texture::TextureFill(u32 colour) {
    if (!ready || !backup) return 0;
    const i32 bpp = TexturePixelBytes(format);
    if (bpp == 0) return 0;
    const u32 r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    u32 value = 0;
    switch (format) {
        case gfx::D3DFMT_R5G6B5: value = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3); break;
        case gfx::D3DFMT_X1R5G5B5:
        case gfx::D3DFMT_A1R5G5B5: value = 0x8000u | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); break;
        case gfx::D3DFMT_A4R4G4B4:
        case gfx::D3DFMT_X4R4G4B4: value = 0xF000u | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4); break;
        default: value = 0xFF000000u | (colour & 0xFFFFFF); break;
    }
    gfx::D3DLOCKED_RECT rect;
    if (!TextureLock(&rect)) return 0;
    for (i32 y = 0; y < height; ++y) {
        u8* row = static_cast<u8*>(rect.pBits) + static_cast<std::ptrdiff_t>(y) * rect.Pitch;
        for (i32 x = 0; x < width; ++x) {
            if (bpp == 4) {
                std::memcpy(row + x * 4, &value, 4);
            } else {
                const u16 v16 = static_cast<u16>(value);
                std::memcpy(row + x * 2, &v16, 2);
            }
        }
    }
    TextureUnlock();
    TextureUpdate();
    return 1;
}

void Texture::TextureBuildVertices(const Rect& d, f32 z, const Rect& s, u32 colour, SpriteVertex out[4]) const {
    const f32 offset = GetTextureOffset();
    const f32 uL = (static_cast<f32>(s.left) + offset) * uScale;
    const f32 uR = (static_cast<f32>(s.right) - offset) * uScale;
    const f32 vT = (static_cast<f32>(s.top) + offset) * vScale;
    const f32 vB = (static_cast<f32>(s.bottom) - offset) * vScale;
    const f32 zz = z * (1.0f / 65536.0f);
    const f32 left = static_cast<f32>(d.left) - 0.5f;
    const f32 right = static_cast<f32>(d.right) - 0.5f;
    const f32 top = static_cast<f32>(d.top) - 0.5f;
    const f32 bottom = static_cast<f32>(d.bottom) - 0.5f;
    out[0] = SpriteVertex{left, top, zz, 1.0f, colour, uL, vT};
    out[1] = SpriteVertex{right, top, zz, 1.0f, colour, uR, vT};
    out[2] = SpriteVertex{right, bottom, zz, 1.0f, colour, uR, vB};
    out[3] = SpriteVertex{left, bottom, zz, 1.0f, colour, uL, vB};
}

void Texture::SendQuad(const SpriteVertex vertices[4], i32 mode) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return;
    SetTexture(this, 0);
    device->SetVertexShader(kSpriteVertexFormat);
    if (mode != 3) {
        SetBlendMode(mode);
        device->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, vertices, sizeof(SpriteVertex));
    } else {
        // Subtractive: Begin2D(3) inverts the screen and unbinds the textures;
        // the sprite is bound again and added, End2D inverts back.
        Begin2D(3);
        SetTexture(this, 0);
        device->SetVertexShader(kSpriteVertexFormat);
        SetBlendMode(2);
        device->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, vertices, sizeof(SpriteVertex));
        End2D();
    }
    AddPolygonCount(2);
}

void Texture::TextureDraw(const Rect& destination, f32 z, const Rect& source, u32 colour, i32 mode) {
    if (!ready) return;
    SpriteVertex v[4];
    TextureBuildVertices(destination, z, source, colour, v);
    SendQuad(v, mode);
}

void Texture::TextureDrawRotated(const Rect& destination, f32 z, const Rect& source, i32 angle, u32 colour, i32 mode) {
    if (!ready) return;
    SpriteVertex v[4];
    TextureBuildVertices(destination, z, source, colour, v);
    const f32 cx = static_cast<f32>(destination.left + destination.right) * 0.5f;
    const f32 cy = static_cast<f32>(destination.top + destination.bottom) * 0.5f;
    for (SpriteVertex& p : v) {
        f32 x = p.x - cx;
        f32 y = p.y - cy;
        RotateByAngle(&x, &y, angle);
        p.x = x + cx;
        p.y = y + cy;
    }
    SendQuad(v, mode);
}

void Texture::TextureDrawQuad(const i32 points[8], f32 z, const Rect& source, u32 colour, i32 mode) {
    if (!ready) return;
    SpriteVertex v[4];
    TextureBuildVertices(Rect{}, z, source, colour, v);
    for (int i = 0; i < 4; ++i) {
        v[i].x = static_cast<f32>(points[i * 2]) - 0.5f;
        v[i].y = static_cast<f32>(points[i * 2 + 1]) - 0.5f;
    }
    SendQuad(v, mode);
}

void TextureLostAll() { ResourceListForEach<Texture>(&g_textures, &Texture::TextureOnLostDevice); }

void TextureResetAll() { ResourceListForEach<Texture>(&g_textures, &Texture::TextureOnResetDevice); }

i32 InitializeTexture() {
    ResourceListClear(&g_textures);
    DeviceHooks().textureResource = DeviceTextureHook;
    SetDeviceObjectHooks(kDeviceObjectTextures, TextureLostAll, TextureResetAll);
    return 1;
}

void DestroyTexture() {
    LogPrintf("Destroy Texture\n");
    ResourceListReleaseAll(&g_textures);
}

i32 TransferPixels16(const PixelBlock& destination, const PixelBlock& source, u32 format, ProgressCallback callback) {
    if (!destination.bits || !source.bits) return 0;
    const i32 bpp = TexturePixelBytes(format);
    if (bpp == 0 || destination.width <= 0 || destination.height <= 0 || source.width <= 0 || source.height <= 0) {
        return 1;
    }
    if (destination.pitch == source.pitch && destination.width == source.width && destination.height == source.height) {
        std::memcpy(destination.bits, source.bits,
                    static_cast<std::size_t>(source.pitch) * static_cast<std::size_t>(source.height));
        return 1;
    }
    const u64 stepX = (static_cast<u64>(source.width) << 16) / static_cast<u64>(destination.width);
    const u64 stepY = (static_cast<u64>(source.height) << 16) / static_cast<u64>(destination.height);
    u32 counted = 0;
    u64 sy = 0;
    for (i32 y = 0; y < destination.height; ++y, sy += stepY) {
        const u8* from = static_cast<const u8*>(source.bits) + static_cast<std::ptrdiff_t>(sy >> 16) * source.pitch;
        u8* to = static_cast<u8*>(destination.bits) + static_cast<std::ptrdiff_t>(y) * destination.pitch;
        u64 sx = 0;
        for (i32 x = 0; x < destination.width; ++x, sx += stepX) {
            std::memcpy(to + x * bpp, from + static_cast<std::ptrdiff_t>(sx >> 16) * bpp,
                        static_cast<std::size_t>(bpp));
            if (++counted == 65536) {
                counted = 0;
                Progress(callback);
            }
        }
    }
    return 1;
}

i32 TransferPixels(const PixelBlock& destination, i32 x, i32 y, const PixelBlock& source, const Rect& rect, u32 format,
                   ProgressCallback callback) {
    if (!destination.bits || !source.bits) return 0;
    const i32 bpp = TexturePixelBytes(format);
    i32 l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    if (bpp == 0 ||
        !ClipCopyRect(x, y, l, t, r, b, source.width, source.height, destination.width, destination.height)) {
        return 1;
    }
    for (i32 row = t; row < b; ++row) {
        std::memcpy(static_cast<u8*>(destination.bits) + static_cast<std::ptrdiff_t>(y + row - t) * destination.pitch +
                        static_cast<std::ptrdiff_t>(x) * bpp,
                    static_cast<const u8*>(source.bits) + static_cast<std::ptrdiff_t>(row) * source.pitch +
                        static_cast<std::ptrdiff_t>(l) * bpp,
                    static_cast<std::size_t>(r - l) * static_cast<std::size_t>(bpp));
    }
    Progress(callback);
    return 1;
}
