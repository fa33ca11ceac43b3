// The two self-registration exports.
#include "registration/server_registration.h"

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterObjectMap(TheModule, true, nullptr); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterObjectMap(TheModule, true, nullptr); }
