// Owner of one VARIANT; clears it with VariantClear.
#pragma once
#include <windows.h>
#include <oleauto.h>

class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* Get() noexcept { return &value_; }

private:
    VARIANT value_;
};
