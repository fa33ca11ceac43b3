// The stream form of the values of dispatch properties: a 16-bit VARTYPE, then the value
// (fixed-size bytes, a persisted object, or a counted UTF-16 string).
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <objidl.h>

HRESULT WriteVariantToStream(const VARIANT& value, IStream* stream);
// Clears value first; on failure it is left empty.
HRESULT ReadVariantFromStream(VARIANT& value, IStream* stream);

// A 32-bit byte count (text and terminator; 0 for a null string), then the bytes.
HRESULT WriteStringToStream(BSTR text, IStream* stream);
// text is null on failure and for a count of 0.
HRESULT ReadStringFromStream(IStream* stream, BSTR& text);
