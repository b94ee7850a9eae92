// Temporary: textures are being built elsewhere; delete this file when their
// implementation (engine/graphics/texture.cpp) is merged.
#include "engine/graphics/texture.h"

Texture::~Texture() = default;
void Texture::TextureDraw(const Rect&, f32, const Rect&, u32, i32) {}
