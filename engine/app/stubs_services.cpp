// Temporary: the engine services are being built elsewhere.
#include "engine/app/managers.h"

i32 InitializeDirectSound() { return 1; }
void DestroyDirectSound() {}
i32 InitializeDirectMusic() { return 1; }
void DestroyDirectMusic() {}
i32 InitializeDirectShow() { return 1; }
void DestroyDirectShow() {}
i32 InitializeDirectPlay() { return 1; }
void DestroyDirectPlay() {}
i32 InitializeMediaStream() { return 1; }
void DestroyMediaStream() {}
i32 InitializeMCI() { return 1; }
void DestroyMCI() {}
void DirectShowPumpEvents() {}
void MciNotify() {}
