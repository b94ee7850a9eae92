// Temporary: the graphics device and its managers are being built elsewhere.
#include "engine/app/managers.h"

i32 InitializeDirectXGraphics() { return 1; }
void DestroyDirectXGraphics() {}
i32 RestoreDevice(i32) { return 1; }
