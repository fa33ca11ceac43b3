// Running a registry script held in a module's resources.
#pragma once
#include <windows.h>

class ReplacementMap;

// Copies source into destination writing every apostrophe twice; destination holds
// at least 2 * length + 1 characters.
void DoubleApostrophes(wchar_t* destination, const wchar_t* source) noexcept;

HRESULT RunResourceScript(ReplacementMap& map, const wchar_t* path, WORD resourceId, const wchar_t* type,
                          bool registerPass) noexcept;
