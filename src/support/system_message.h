// The system's text for an error code.
#pragma once
#include <windows.h>

// The text as FormatMessageW allocates it (free it with LocalFree); null when the system
// has none for the code.
wchar_t* AllocateSystemMessage(HRESULT code) noexcept;
