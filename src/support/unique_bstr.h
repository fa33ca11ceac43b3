// Owner of one BSTR; frees it with SysFreeString.
#pragma once
#include <windows.h>
#include <oleauto.h>

class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    explicit UniqueBstr(BSTR text) noexcept : text_(text) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : text_(other.Detach()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    ~UniqueBstr() { Reset(); }

    BSTR Get() const noexcept { return text_; }
    UINT Length() const noexcept { return SysStringLen(text_); }
    // For out-parameters: frees what is held and hands out the slot.
    BSTR* Receive() noexcept {
        Reset();
        return &text_;
    }
    BSTR Detach() noexcept {
        BSTR t = text_;
        text_ = nullptr;
        return t;
    }
    void Reset(BSTR text = nullptr) noexcept {
        if (text_ != nullptr) SysFreeString(text_);
        text_ = text;
    }

private:
    BSTR text_ = nullptr;
};
