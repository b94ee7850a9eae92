#pragma once
// Start and stop entry points of the engine's managers, in the libraries that
// own them. The application frame calls them in a fixed order.
#include "engine/core/types.h"

// engine/core
#include "engine/core/engine_math.h"

// engine/graphics and engine/model
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
i32 InitializeCamera();
void DestroyCamera();
i32 InitializeVertexShader();
void DestroyVertexShader();
i32 InitializeSprite();
void DestroySprite();
i32 InitializeScene();
void DestroyScene();
i32 InitializeModel();
void DestroyModel();
i32 InitializeListSprite();
void DestroyListSprite();
i32 InitializeFont();
void DestroyFont();
i32 InitializeFontSprite();
void DestroyFontSprite();
i32 InitializeFontFx();
void DestroyFontFx();
i32 InitializeSheet();
void DestroySheet();
i32 InitializePrimitive();
void DestroyPrimitive();
i32 InitializePrimitive2();
void DestroyPrimitive2();
i32 InitializePerticle();
void DestroyPerticle();

// engine/app (input devices)
#include "engine/app/input.h"

// engine/services
#include "engine/services/services.h"
