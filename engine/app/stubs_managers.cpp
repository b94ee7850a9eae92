// Temporary: resource managers not built yet.
#include "engine/app/managers.h"

i32 InitializeTexture() { return 1; }
void DestroyTexture() {}
i32 InitializeSurface() { return 1; }
void DestroySurface() {}
