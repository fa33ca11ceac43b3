// The registry script that the library ships, and one pass of a script through the library's
// engine; the benchmarks run it in a ScratchRegistryKey (tests/common) standing in for
// HKEY_CLASSES_ROOT.
#pragma once
#include <windows.h>

#include <string>

// The registry script compiled into the library (resource "REGISTRY" TARVIK_LUMEX_REGISTRY_RESOURCE).
std::string ShippedScript(HMODULE module);

// One pass of a script through the library's engine, with "Module" set to a fixed path.
HRESULT RunRegistryScript(const std::string& script, bool registerPass);
