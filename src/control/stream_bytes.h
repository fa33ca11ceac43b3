// Whole reads from a stream: a read that stops short is a failure, not a smaller value.
#pragma once
#include <windows.h>
#include <objidl.h>

// Reads exactly size bytes: the stream's failure code, E_FAIL when fewer bytes arrive,
// otherwise the stream's success code.
HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size);

// The bytes between the stream's position and its end; 0 when the position is past it.
HRESULT CountBytesLeft(IStream* stream, ULONGLONG& left);
