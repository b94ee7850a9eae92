// Temporary: the input devices are being built elsewhere.
#include "engine/app/managers.h"

i32 InitializeDirectInput() { return 1; }
void DestroyDirectInput() {}
void InputMouseWheel(i32) {}
void InputMouseLeftDoubleClick() {}
void InputMouseRightDoubleClick() {}
void InputMouseMiddleDoubleClick() {}
