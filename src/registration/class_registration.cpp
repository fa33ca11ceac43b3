#include "registration/class_registration.h"

#include "registration/server_registration.h"
#include "resource_ids.h"

HRESULT WINAPI ApplyClassRegistryScript(BOOL registerPass) {
    return ApplyRegistryResource(TheModule, TARVIK_LUMEX_REGISTRY_RESOURCE, registerPass != FALSE, nullptr);
}

HRESULT WINAPI ApplyTagFileRegistryScript(BOOL registerPass) {
    return ApplyRegistryResource(TheModule, TARVIK_TAGFILE_REGISTRY_RESOURCE, registerPass != FALSE, nullptr);
}
