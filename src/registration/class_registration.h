// The classes' registry updaters: each runs its registry script resource.
#pragma once
#include <windows.h>

HRESULT WINAPI ApplyClassRegistryScript(BOOL registerPass);
HRESULT WINAPI ApplyTagFileRegistryScript(BOOL registerPass);
