// Opening a file for reading by its wide name, as the caller gave it, and only a file on a
// disk: a pipe, a console or a device such as COM1 may never answer a read, and the
// caller's thread would hang.
#pragma once
#include <windows.h>

#include "support/unique_handle.h"

// The reason a file on a disk could not be had, when the name opens something else.
constexpr HRESULT kNotAFileOnADisk = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);

// The file opened for reading, shared for reading only; an invalid handle with *code set
// (the system's error, or kNotAFileOnADisk) when there is none.
UniqueHandle OpenDiskFileForReading(const wchar_t* path, HRESULT* code) noexcept;
// The file opened for reading and writing and shared with nobody, the same way.
UniqueHandle OpenDiskFileExclusively(const wchar_t* path, HRESULT* code) noexcept;
