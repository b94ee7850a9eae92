#pragma once
// Start and stop entry points of the engine's managers, in the libraries that
// own them. The application frame calls them in a fixed order.
#include "engine/core/types.h"

// engine/core
void InitializeMath();
void DestroyMath();

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
i32 InitializeDirectInput();
void DestroyDirectInput();
void InputMouseWheel(i32 delta);
void InputMouseLeftDoubleClick();
void InputMouseRightDoubleClick();
void InputMouseMiddleDoubleClick();

// engine/services
i32 InitializeDirectSound();
void DestroyDirectSound();
i32 InitializeDirectMusic();
void DestroyDirectMusic();
i32 InitializeDirectShow();
void DestroyDirectShow();
i32 InitializeDirectPlay();
void DestroyDirectPlay();
i32 InitializeMediaStream();
void DestroyMediaStream();
i32 InitializeMCI();
void DestroyMCI();
void DirectShowPumpEvents();
void MciNotify();
