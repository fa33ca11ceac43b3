// The lumex class's registry updater: runs the registry script resource.
#pragma once
#include <windows.h>

HRESULT WINAPI ApplyClassRegistryScript(BOOL registerPass);
