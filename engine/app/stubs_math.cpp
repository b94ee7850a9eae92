// Temporary: the math library is being built elsewhere.
#include "engine/app/managers.h"

void InitializeMath() {}
void DestroyMath() {}
