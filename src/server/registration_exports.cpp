// The two self-registration exports.  A registration tool calls them in its own frames,
// where an exception would end the process: whatever is raised becomes the result.
#include "registration/server_registration.h"
#include "tag/com_error.h"

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return GuardBoundary([] { return RegisterObjectMap(TheModule, true, nullptr); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return GuardBoundary([] { return UnregisterObjectMap(TheModule, true, nullptr); });
}
