#include "platform/gfx/present.h"

#include <SDL.h>
#include <stb/stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/gfx/device.h"
#include "platform/gfx/raster.h"

namespace platform::gfx {
namespace {

struct Presenter {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool ownRenderer = false;
    int width = 0, height = 0;
    Uint32 format = SDL_PIXELFORMAT_UNKNOWN;
};

Presenter g_presenter;

void DropTexture() {
    if (g_presenter.texture) SDL_DestroyTexture(g_presenter.texture);
    g_presenter.texture = nullptr;
}

}  // namespace

void ReleasePresenter() {
    DropTexture();
    if (g_presenter.ownRenderer && g_presenter.renderer && g_presenter.window &&
        SDL_GetRenderer(g_presenter.window) == g_presenter.renderer) {
        SDL_DestroyRenderer(g_presenter.renderer);
    }
    g_presenter = Presenter{};
}

bool PresentSurface(void* windowHandle, Direct3DSurface8* surface) {
    auto* window = static_cast<SDL_Window*>(windowHandle);
    if (!window || !surface) return true;
    if (!raster::IsColourFormat(surface->Format())) return false;
    // 32-bit pixels go up as they are (the X byte and alpha are not shown);
    // 16-bit ones through the surface's own expansion to A8R8G8B8, so the
    // window shows exactly what a screenshot holds.
    const bool direct = surface->Format() == D3DFMT_X8R8G8B8 || surface->Format() == D3DFMT_A8R8G8B8;
    const Uint32 format = surface->Format() == D3DFMT_X8R8G8B8 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_ARGB8888;
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    if (window != g_presenter.window || renderer != g_presenter.renderer || !renderer) {
        DropTexture();
        g_presenter = Presenter{};
        g_presenter.window = window;
        if (!renderer) {
            renderer = SDL_CreateRenderer(window, -1, 0);
            if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
            if (!renderer) return false;
            g_presenter.ownRenderer = true;
        }
        g_presenter.renderer = renderer;
    }
    int w = static_cast<int>(surface->Width()), h = static_cast<int>(surface->Height());
    if (!g_presenter.texture || g_presenter.width != w || g_presenter.height != h || g_presenter.format != format) {
        DropTexture();
        g_presenter.texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!g_presenter.texture) return false;
        SDL_SetTextureBlendMode(g_presenter.texture, SDL_BLENDMODE_NONE);
        g_presenter.width = w;
        g_presenter.height = h;
        g_presenter.format = format;
        SDL_RenderSetLogicalSize(renderer, w, h);  // scaled with the aspect kept
    }
    const int updated = direct ? SDL_UpdateTexture(g_presenter.texture, nullptr, surface->Bits(), surface->Pitch())
                               : SDL_UpdateTexture(g_presenter.texture, nullptr, surface->Argb(), w * 4);
    if (updated != 0) return false;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, g_presenter.texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    return true;
}

std::vector<std::uint8_t> SurfaceToRgba(const Direct3DSurface8* surface) {
    std::vector<std::uint8_t> out;
    if (!surface || !raster::IsColourFormat(surface->Format())) return out;
    std::uint32_t w = surface->Width(), h = surface->Height();
    int bpp = raster::BytesPerPixel(surface->Format());
    out.resize(static_cast<std::size_t>(w) * h * 4);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = surface->Bits() + static_cast<std::ptrdiff_t>(y) * surface->Pitch();
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint32_t c = raster::ToArgb(row + x * bpp, surface->Format());
            std::uint8_t* o = &out[(static_cast<std::size_t>(y) * w + x) * 4];
            o[0] = static_cast<std::uint8_t>(c >> 16);
            o[1] = static_cast<std::uint8_t>(c >> 8);
            o[2] = static_cast<std::uint8_t>(c);
            o[3] = static_cast<std::uint8_t>(c >> 24);
        }
    }
    return out;
}

bool SaveRgbaPng(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    if (width <= 0 || height <= 0 || !rgba) return false;
    // Encoded in memory first, so that a write that fails (a full disk) is
    // seen: the encoder's own file writing does not check its writes.
    std::vector<std::uint8_t> png;
    const auto collect = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<std::uint8_t>*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(collect, &png, width, height, 4, rgba, width * 4) == 0 || png.empty()) {
        errno = ENOMEM;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        if (!written) errno = writeError;
        return false;
    }
    return true;
}

bool SaveSurfacePng(const std::string& path, const Direct3DSurface8* surface) {
    std::vector<std::uint8_t> rgba = SurfaceToRgba(surface);
    if (rgba.empty()) {
        errno = EINVAL;  // a format it cannot convert
        return false;
    }
    return SaveRgbaPng(path, static_cast<int>(surface->Width()), static_cast<int>(surface->Height()), rgba.data());
}

std::uint64_t HashPixels(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t width, std::uint32_t height,
                         D3DFORMAT format) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    auto mix = [&h](std::uint8_t b) {
        h ^= b;
        h *= 0x100000001b3ull;
    };
    for (int i = 0; i < 4; ++i) mix(static_cast<std::uint8_t>(width >> (8 * i)));
    for (int i = 0; i < 4; ++i) mix(static_cast<std::uint8_t>(height >> (8 * i)));
    for (int i = 0; i < 4; ++i) mix(static_cast<std::uint8_t>(format >> (8 * i)));
    int bpp = raster::BytesPerPixel(format);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(y) * pitch;
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t px[4];
            std::memcpy(px, row + x * bpp, bpp);
            if (format == D3DFMT_X8R8G8B8) px[3] = 0xFF;
            if (format == D3DFMT_X1R5G5B5) px[1] |= 0x80;
            if (format == D3DFMT_X4R4G4B4) px[1] |= 0xF0;
            for (int i = 0; i < bpp; ++i) mix(px[i]);
        }
    }
    return h;
}

std::uint64_t HashSurface(const Direct3DSurface8* surface) {
    if (!surface) return 0;
    return HashPixels(surface->Bits(), surface->Pitch(), surface->Width(), surface->Height(), surface->Format());
}

}  // namespace platform::gfx
