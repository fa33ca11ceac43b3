#include "tag/text_holder.h"

#include <new>

#include "tag/com_error.h"
#include "tag/text_conversion.h"

namespace {

TextData* NewTextData() {
    TextData* data = new (std::nothrow) TextData;
    if (data == nullptr) RaiseError(E_OUTOFMEMORY);
    return data;
}

}  // namespace

TextHolder TextHolder::FromWide(const wchar_t* text) {
    TextHolder holder(NewTextData());  // owns the record from here on, also when raising
    holder.data_->Wide = SysAllocString(text);
    if (text != nullptr && holder.data_->Wide == nullptr) RaiseError(E_OUTOFMEMORY);
    return holder;
}

TextHolder TextHolder::FromAnsi(const char* text) {
    TextHolder holder(NewTextData());
    holder.data_->Wide = AnsiToWide(text);
    if (text != nullptr && holder.data_->Wide == nullptr) RaiseError(E_OUTOFMEMORY);
    return holder;
}

TextHolder::TextHolder(const TextHolder& other) noexcept : data_(other.data_) {
    if (data_ != nullptr) InterlockedIncrement(reinterpret_cast<LONG volatile*>(&data_->RefCount));
}

TextHolder& TextHolder::operator=(const TextHolder& other) noexcept {
    TextHolder copy(other);
    TextData* mine = data_;
    data_ = copy.data_;
    copy.data_ = mine;
    return *this;
}

TextHolder::TextHolder(TextHolder&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }

TextHolder& TextHolder::operator=(TextHolder&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

TextHolder::~TextHolder() { Release(); }

void TextHolder::Release() noexcept {
    TextData* data = data_;
    data_ = nullptr;
    if (data == nullptr) return;
    if (InterlockedDecrement(reinterpret_cast<LONG volatile*>(&data->RefCount)) != 0) return;
    if (data->Wide != nullptr) SysFreeString(data->Wide);
    delete[] data->Ansi;
    delete data;
}

UINT TextHolder::Length() const noexcept { return data_ != nullptr ? SysStringLen(data_->Wide) : 0; }

const char* TextHolder::AnsiForm() {
    if (data_ == nullptr) return nullptr;
    if (data_->Ansi == nullptr) data_->Ansi = WideToAnsi(data_->Wide);
    return data_->Ansi;
}

BSTR TextHolder::CopyOut() const {
    const wchar_t* wide = Wide();
    if (wide == nullptr) return nullptr;
    BSTR copy = SysAllocStringByteLen(reinterpret_cast<const char*>(wide), SysStringByteLen(data_->Wide));
    if (copy == nullptr) RaiseError(E_OUTOFMEMORY);
    return copy;
}
