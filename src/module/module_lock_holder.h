// One module lock for the life of an object.
#pragma once
#include "module/server_module.h"

// As the first base of an object it is given back last, after the object's own clean-up,
// so the library cannot be unloaded while that code still runs.
class ModuleLockHolder {
protected:
    ModuleLockHolder() noexcept { AddModuleLock(); }
    ~ModuleLockHolder() { DropModuleLock(); }
};
