#include "engine/graphics/image_upload.h"

#include <filesystem>
#include <memory>

#include "engine/core/application.h"
#include "engine/image/image.h"
#include "engine/image/prefetch.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

void PrefetchArchiveEntry(const char* archive, const char* entry) {
    if (!archive || !entry) return;
    const std::filesystem::path folder = GetApplicationDirectory();
    ImagePrefetchLag((folder / archive).string().c_str(), {entry});
}

bool WriteImageToSurface(Image* image, gfx::Direct3DSurface8* surface, u32 format, ProgressCallback callback) {
    if (!image || !surface) return false;
    i32 width = 0, height = 0;
    image->ImageGetSize(&width, &height);
    const bool whole = (format == gfx::D3DFMT_A8R8G8B8 || format == gfx::D3DFMT_X8R8G8B8) &&
                       surface->Format() == static_cast<gfx::D3DFORMAT>(format) &&
                       static_cast<i32>(surface->Width()) == width && static_cast<i32>(surface->Height()) == height &&
                       surface->Pitch() == width * 4 && !surface->IsLocked();
    if (whole) {
        std::unique_ptr<u8[]> pixels = image->ImageReleasePixels(callback);
        const std::size_t size = static_cast<std::size_t>(surface->Pitch()) * surface->Height();
        if (pixels && surface->AdoptBits(pixels, size)) return true;
        if (pixels) {
            // Not taken: the image keeps its block and writes it as usual.
            image->SetPixels(std::move(pixels), width, height, width * 4);
        }
    }
    gfx::D3DLOCKED_RECT locked;
    if (gfx::FAILED(surface->LockRect(&locked, nullptr, 0))) return false;
    const bool written = image->ImageWriteToSurface(locked.pBits, locked.Pitch, format, callback);
    surface->UnlockRect();
    return written;
}
