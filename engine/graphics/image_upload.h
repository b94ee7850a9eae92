#pragma once
// Pictures into device memory: texture backups and image surfaces of the
// picture's own size.
#include "engine/core/types.h"

class Image;
namespace platform::gfx {
class Direct3DSurface8;
}

using ProgressCallback = void (*)(i32);

// Starts decoding entry `entry` of `archive` ahead (see
// engine/image/prefetch.h) for a later CreateTexture or CreateSurface without
// a progress callback; the archive is found as those find it, in the
// program's folder.
void PrefetchArchiveEntry(const char* archive, const char* entry);

// Writes `image` into `surface` (of the image's size, in `format`) as
// Image::ImageWriteToSurface writes it into the locked surface, with the same
// progress calls; a 32-bit surface takes the image's pixel block itself
// instead (the same bytes, no copy), which leaves the image without pixels.
// False when nothing was written.
bool WriteImageToSurface(Image* image, platform::gfx::Direct3DSurface8* surface, u32 format, ProgressCallback callback);
