// Temporary: resource managers not built yet.
#include "engine/app/managers.h"

i32 InitializeCamera() { return 1; }
void DestroyCamera() {}
i32 InitializeVertexShader() { return 1; }
void DestroyVertexShader() {}
i32 InitializeSprite() { return 1; }
void DestroySprite() {}
i32 InitializeScene() { return 1; }
void DestroyScene() {}
i32 InitializeModel() { return 1; }
void DestroyModel() {}
i32 InitializeListSprite() { return 1; }
void DestroyListSprite() {}
i32 InitializeFont() { return 1; }
void DestroyFont() {}
i32 InitializeFontSprite() { return 1; }
void DestroyFontSprite() {}
i32 InitializeFontFx() { return 1; }
void DestroyFontFx() {}
i32 InitializeSheet() { return 1; }
void DestroySheet() {}
i32 InitializePrimitive() { return 1; }
void DestroyPrimitive() {}
i32 InitializePrimitive2() { return 1; }
void DestroyPrimitive2() {}
i32 InitializePerticle() { return 1; }
void DestroyPerticle() {}
