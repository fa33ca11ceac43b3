#include "tag/com_error.h"

#include "support/last_error.h"
#include "support/system_message.h"

ComError::ComError(HRESULT code, IErrorInfo* errorInfo, bool addRef) noexcept
    : code_(code), errorInfo_(errorInfo) {
    if (addRef && errorInfo_ != nullptr) errorInfo_->AddRef();
}

ComError::ComError(const ComError& other) noexcept : code_(other.code_), errorInfo_(other.errorInfo_) {
    if (errorInfo_ != nullptr) errorInfo_->AddRef();
}

ComError& ComError::operator=(const ComError& other) noexcept {
    if (this != &other) {
        if (other.errorInfo_ != nullptr) other.errorInfo_->AddRef();
        ReleaseOwned();
        code_ = other.code_;
        errorInfo_ = other.errorInfo_;
    }
    return *this;
}

ComError::~ComError() { ReleaseOwned(); }

void ComError::ReleaseOwned() noexcept {
    if (errorInfo_ != nullptr) errorInfo_->Release();
    errorInfo_ = nullptr;
    if (messageText_ != nullptr) LocalFree(messageText_);
    messageText_ = nullptr;
}

const wchar_t* ComError::MessageText() const noexcept {
    if (messageText_ == nullptr) messageText_ = AllocateSystemMessage(code_);
    return messageText_;
}

void RaiseError(HRESULT code) {
    throw ComError(SUCCEEDED(code) ? E_FAIL : code, nullptr, false);
}

void RaiseLastError() { RaiseError(LastErrorResult()); }
