#pragma once
// Start and stop entry points of the engine's managers, in the libraries that
// own them. The application frame calls them in a fixed order.
#include "engine/core/types.h"

// engine/core
#include "engine/core/engine_math.h"

// engine/graphics and engine/model
i32 InitializeDirectXGraphics();
void DestroyDirectXGraphics();
i32 InitializeCamera();
void DestroyCamera();
i32 InitializeVertexShader();
void DestroyVertexShader();
i32 InitializeTexture();
void DestroyTexture();
i32 InitializeSprite();
void DestroySprite();
i32 InitializeScene();
void DestroyScene();
i32 InitializeModel();
void DestroyModel();
i32 InitializeSurface();
void DestroySurface();
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
// Device restore after a loss or a change of window mode.
i32 RestoreDevice(i32 force);

// engine/app (input devices)
#include "engine/app/input.h"

// engine/services
#include "engine/services/services.h"
