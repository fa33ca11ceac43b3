#include "registration/class_registration.h"

HRESULT WINAPI ApplyClassRegistryScript(BOOL) { return E_NOTIMPL; }
