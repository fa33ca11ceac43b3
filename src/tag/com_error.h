// The error object that the text-bridging layer raises, and the guard that turns it
// back into an HRESULT before it could leave an interface method.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <new>

class ComError {
public:
    ComError(HRESULT code, IErrorInfo* errorInfo, bool addRef) noexcept;
    ComError(const ComError& other) noexcept;
    ComError& operator=(const ComError& other) noexcept;
    virtual ~ComError();

    HRESULT Code() const noexcept { return code_; }
    IErrorInfo* ErrorInfo() const noexcept { return errorInfo_; }
    // The system's message for Code, formatted on first request; null if there is none.
    const wchar_t* MessageText() const noexcept;

private:
    void ReleaseOwned() noexcept;

    HRESULT code_;
    IErrorInfo* errorInfo_;
    mutable wchar_t* messageText_ = nullptr;  // LocalAlloc'd by FormatMessageW
};

// Throws a ComError with the code and no error information.  A success code is not an
// error, so it is raised as E_FAIL.
[[noreturn]] void RaiseError(HRESULT code);

// Raises the HRESULT form of GetLastError (E_FAIL when the system reports no error).
[[noreturn]] void RaiseLastError();

// Runs the body of an interface method; a raised error becomes the method's result.
template <class Body>
HRESULT GuardBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (const ComError& error) {
        return error.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
