// Memory streams as bytes: what a test hands an object to load, and what the object saved.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <vector>

#include "support/interface_ptr.h"

using Bytes = std::vector<BYTE>;

// A stream on global memory holding the bytes, positioned at its start.
InterfacePtr<IStream> StreamOf(const Bytes& bytes);
// All of the stream's bytes, read from its start.
Bytes BytesOf(IStream* stream);
// The first count bytes of the stream.
Bytes Prefix(IStream* stream, size_t count);
