// A reference-counted holder of one wide string that makes its ANSI form on demand.
#pragma once
#include <windows.h>
#include <oleauto.h>

struct TextData {
    BSTR Wide = nullptr;
    char* Ansi = nullptr;  // made on first request, new[]-allocated
    ULONG RefCount = 1;
};

class TextHolder {
public:
    TextHolder() noexcept = default;
    // Both raise ComError(E_OUTOFMEMORY) when memory runs out.
    static TextHolder FromWide(const wchar_t* text);
    static TextHolder FromAnsi(const char* text);

    TextHolder(const TextHolder& other) noexcept;
    TextHolder& operator=(const TextHolder& other) noexcept;
    TextHolder(TextHolder&& other) noexcept;
    TextHolder& operator=(TextHolder&& other) noexcept;
    ~TextHolder();

    UINT Length() const noexcept;
    const wchar_t* Wide() const noexcept { return data_ != nullptr ? data_->Wide : nullptr; }
    // The ANSI form, made once and kept; null for a null text.
    const char* AnsiForm();
    // A new BSTR of the same byte length, embedded 0 characters included; the caller owns it.
    BSTR CopyOut() const;

private:
    explicit TextHolder(TextData* data) noexcept : data_(data) {}
    void Release() noexcept;

    TextData* data_ = nullptr;
};
