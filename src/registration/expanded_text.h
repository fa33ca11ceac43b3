// The growable byte buffer, in COM task memory, that receives a registry script
// after its replacement names have been expanded.
#pragma once
#include <windows.h>
#include <objbase.h>

class ExpandedText {
public:
    ExpandedText() noexcept = default;
    ExpandedText(const ExpandedText&) = delete;
    ExpandedText& operator=(const ExpandedText&) = delete;
    ExpandedText(ExpandedText&& other) noexcept;
    ExpandedText& operator=(ExpandedText&& other) noexcept;
    ~ExpandedText();

    // Drops what is held and allocates room for capacity bytes.
    HRESULT Allocate(int capacity) noexcept;
    // Appends the character at p whole: its lead and trail byte together.
    HRESULT AppendChar(const char* p) noexcept;
    // Appends a wide string in the ANSI code page, character by character.
    HRESULT AppendText(const wchar_t* text) noexcept;
    // Appends the terminating NUL.
    HRESULT Finish() noexcept;

    const char* Text() const noexcept { return Data; }
    int Length() const noexcept { return Count; }
    // Hands the buffer over; the receiver frees it with CoTaskMemFree.
    char* Detach() noexcept;
    void Reset() noexcept;

private:
    HRESULT AppendBytes(const char* bytes, int length) noexcept;
    HRESULT Reserve(int length) noexcept;

    int Count = 0;
    int Capacity = 0;
    char* Data = nullptr;
};
