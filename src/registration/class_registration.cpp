#include "registration/class_registration.h"

#include "registration/server_registration.h"

HRESULT WINAPI ApplyClassRegistryScript(BOOL registerPass) {
    return ApplyRegistryResource(TheModule, 102, registerPass != FALSE, nullptr);
}
