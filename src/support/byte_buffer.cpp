#include "support/byte_buffer.h"

#include <new>

BYTE* ByteBuffer::Extend(size_t size) noexcept {
    if (size > static_cast<size_t>(-1) / 2 - size_) return nullptr;
    if (size_ + size > capacity_) {
        size_t capacity = capacity_ == 0 ? 256 : capacity_;
        while (capacity < size_ + size) capacity *= 2;
        BYTE* data = new (std::nothrow) BYTE[capacity];
        if (data == nullptr) return nullptr;
        if (size_ > 0) CopyMemory(data, data_, size_);
        delete[] data_;
        data_ = data;
        capacity_ = capacity;
    }
    BYTE* at = data_ + size_;
    size_ += size;
    return at;
}

HRESULT ByteBuffer::Append(const void* bytes, size_t size) noexcept {
    BYTE* at = Extend(size);
    if (at == nullptr && size > 0) return E_OUTOFMEMORY;
    if (bytes != nullptr && size > 0) CopyMemory(at, bytes, size);
    return S_OK;
}
