// A growable block of bytes on the heap that reports a failed allocation instead of
// throwing; on failure it keeps what it held.
#pragma once
#include <windows.h>

#include <cstddef>

class ByteBuffer {
public:
    ByteBuffer() noexcept = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() { delete[] data_; }

    // Appends size bytes (none read for a null source); E_OUTOFMEMORY leaves the buffer as it was.
    HRESULT Append(const void* bytes, size_t size) noexcept;
    // Room for size more bytes at the end, counted as written; null when memory runs out.
    BYTE* Extend(size_t size) noexcept;
    // Forgets the bytes past size.
    void Truncate(size_t size) noexcept {
        if (size < size_) size_ = size;
    }

    const BYTE* Data() const noexcept { return data_; }
    size_t Size() const noexcept { return size_; }

private:
    BYTE* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
