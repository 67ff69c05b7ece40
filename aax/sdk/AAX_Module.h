// Module-wide bookkeeping of our AAX layer: the count of live objects the host holds (effect
// parameters and editors), which decides whether the module may be unloaded.
#pragma once

#include <cstdint>

void AAX_ModuleObjectCreated();
void AAX_ModuleObjectDestroyed();
int32_t AAX_ModuleObjectCount();
