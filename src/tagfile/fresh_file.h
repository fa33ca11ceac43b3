// A file made beside another under a name that nothing holds yet ("<target><suffix>", else
// "<target><suffix>-2", "-3" ...): created only where no file of that name exists, so a
// file the caller did not make is never written over, nor removed when the work fails.
#pragma once
#include <windows.h>

#include <string>

#include "support/unique_handle.h"

// The new file, opened for reading and writing and shared with nobody, its name in *name;
// an invalid handle with the system's error set when none can be made.
UniqueHandle CreateFreshFileBeside(const std::wstring& target, const wchar_t* suffix, DWORD attributes,
                                   std::wstring* name);
