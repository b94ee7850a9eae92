#pragma once
// Showing frames and saving them: the SDL presenter behind Present, PNG
// files and the raw-pixel hash of golden tests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::gfx {

class Direct3DSurface8;

// Shows the surface in the window (an SDL_Window*) through a streaming
// texture, scaled to the window's size with its aspect kept; 32-bit surfaces
// are uploaded as they are, without a conversion. Does nothing for a null
// window. Returns false when SDL refused or the surface holds no colours.
bool PresentSurface(void* window, Direct3DSurface8* surface);
// Drops the presenter's renderer and texture (device destruction).
void ReleasePresenter();

// The pixels of a colour surface as 8-bit R, G, B, A rows (X formats opaque).
std::vector<std::uint8_t> SurfaceToRgba(const Direct3DSurface8* surface);
// Writes a colour surface as a PNG file; false when the format or the file
// could not be handled (errno says why the file could not be written).
bool SaveSurfacePng(const std::string& path, const Direct3DSurface8* surface);
bool SaveRgbaPng(const std::string& path, int width, int height, const std::uint8_t* rgba);

// A 64-bit FNV-1a hash of the raw pixels (row by row, without padding; the
// unused X bits of X8R8G8B8, X1R5G5B5 and X4R4G4B4 are hashed as set), of the
// size and of the format.
std::uint64_t HashPixels(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t width, std::uint32_t height,
                         D3DFORMAT format);
std::uint64_t HashSurface(const Direct3DSurface8* surface);

}  // namespace platform::gfx
