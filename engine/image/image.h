#pragma once
// The engine's CPU-side picture: 32-bit pixels (bytes blue, green, red, alpha,
// rows top to bottom) loaded from an image archive entry or through an image
// plug-in, then written into texture or surface memory in the resource's own
// format (ordered dither for the 16-bit formats).
#include <memory>
#include <string>

#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/image/lag_archive.h"
#include "engine/image/lzss.h"

namespace platform {
class SharedLibrary;
}

// Pixel formats of texture and surface memory, numbered as Direct3D numbers them.
enum ImageFormat : u32 {
    kImageFormatA8R8G8B8 = 21,
    kImageFormatX8R8G8B8 = 22,
    kImageFormatR5G6B5 = 23,
    kImageFormatX1R5G5B5 = 24,
    kImageFormatA1R5G5B5 = 25,
    kImageFormatA4R4G4B4 = 26,
    kImageFormatR3G3B2 = 27,
    kImageFormatA8 = 28,
    kImageFormatA8R3G3B2 = 29,
    kImageFormatX4R4G4B4 = 30,
};

// Bytes per pixel of a format ImageWriteToSurface writes (4 or 2), 0 for others.
i32 ImageFormatBytesPerPixel(u32 format);

// 4 x 4 ordered dither before keeping the top 4 or 5 (6 for green in R5G6B5)
// bits of a channel. Results stay within 0 to 255.
i32 Dither4(i32 v, i32 x, i32 y);
i32 Dither5(i32 v, i32 x, i32 y);

// Error texts of the loaders.
extern const char kLagLoadError[];        // "Can't Load LAG File"
extern const char kImageNoMemoryError[];  // pixel or decode block not available

// A reference-counted engine object; CreateImage links it at the back of the
// image list, and destroying it frees its pixels and unlinks it.
class Image : public ResourceObject {
public:
    Image() = default;
    ~Image() override = default;

    // Loads entry `entryName` (matched in lower case) of the LAG archive at
    // `archivePath`. Returns null on success, else the error text, which
    // starts with "Can't Load LAG File" for a missing archive, a bad header, a
    // missing or damaged entry, and names the archive and the entry.
    const char* ImageLoadLag(const char* archivePath, const char* entryName, ImageProgressCallback callback);

    // Hands `filePath` to the image plug-ins ("*.spi" shared objects) in
    // `pluginFolder`; the first that supports it and delivers a bitmap wins.
    // Returns null on success, else the error text.
    const char* ImageLoadSusie(const char* filePath, const char* pluginFolder, ImageProgressCallback callback);

    // Asks a loaded plug-in's "GetPicture" for the picture in `contents` and
    // converts the bitmap it returns. Null on success, else the error text.
    const char* ImageSusieGetPicture(const platform::SharedLibrary& plugin, const u8* contents, std::size_t size,
                                     ImageProgressCallback callback);

    // Builds the pixels from a device-independent bitmap: `info` is the
    // 40-byte information header and its colour table, `bits` the bottom-up
    // rows (1, 2, 4, 8, 16, 24 or 32 bits per pixel, uncompressed). Both sizes
    // bound every read. Null on success, else the error text.
    const char* ImageFromBitmap(const u8* info, std::size_t infoSize, const u8* bits, std::size_t bitsSize);

    void ImageGetPixels(u8** pixels, i32* pitch) const;
    void ImageGetSize(i32* width, i32* height) const;

    // Writes the picture into locked texture or surface memory: `bits` at
    // `pitch` bytes per row, in `format` (A8R8G8B8, X8R8G8B8, R5G6B5,
    // X1R5G5B5, A1R5G5B5, A4R4G4B4, X4R4G4B4; any other format writes nothing).
    // The memory must hold `height` rows of at least `width` pixels. Returns
    // false when nothing was written (no pixels, another format, or a pitch
    // shorter than a row).
    bool ImageWriteToSurface(void* bits, i32 pitch, u32 format, ImageProgressCallback callback) const;

    // Gives the pixel block away, for memory of a 32-bit format (A8R8G8B8 or
    // X8R8G8B8) to take whole as what ImageWriteToSurface would write into
    // it: only when the rows are exactly width x 4 bytes (else null, and
    // nothing changes). The callback is called as ImageWriteToSurface calls
    // it for those formats. The image has no pixels afterwards.
    std::unique_ptr<u8[]> ImageReleasePixels(ImageProgressCallback callback);

    // Takes a finished pixel block (the plug-in converters and tests).
    void SetPixels(std::unique_ptr<u8[]> pixels, i32 width, i32 height, i32 pitch);
    bool HasPixels() const { return pixels_ != nullptr; }

private:
    std::unique_ptr<u8[]> pixels_;
    i32 width_ = 0;
    i32 height_ = 0;
    i32 pitch_ = 0;
};

// The list every image made by CreateImage lives in.
ResourceList& ImageList();

// A new empty image (reference count 1), pushed at the back of the image list;
// null when memory runs out.
Image* CreateImage();

// The last error texts of the archive loader and the plug-in loader, and of
// the plug-in picture call.
const char* ImageLastLagError();
const char* ImageLastSusieError();
const char* ImageLastGetPictureError();

// Says on standard error that entry `entry` of the archive `archive` did not
// load, with the loader's error text; once per entry for the program's life,
// however often the game asks for that picture again. False when it had been
// said already.
bool SayImageLoadFailure(const char* archive, const char* entry, const char* error);
