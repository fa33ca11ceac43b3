// Whole characters of ANSI text in the system code page.
#pragma once
#include <windows.h>

// The byte length of the character at p: 2 for a lead byte with its trail, 1 otherwise,
// 0 at the NUL. A lead byte right before the NUL is a broken character and stands alone.
inline int AnsiCharLength(const char* p) noexcept {
    if (p[0] == '\0') return 0;
    return IsDBCSLeadByte(static_cast<BYTE>(p[0])) && p[1] != '\0' ? 2 : 1;
}
