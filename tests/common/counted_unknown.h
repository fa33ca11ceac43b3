// The IUnknown of a test's own object of one interface: it answers IUnknown and that
// interface, counts its references and never deletes itself (the test's scope owns it),
// so that a test can check that whoever held it let go.
#pragma once
#include <windows.h>
#include <unknwn.h>

template <class Interface>
class CountedUnknown : public Interface {
public:
    explicit CountedUnknown(REFIID iid) : iid_(iid) {}
    CountedUnknown(const CountedUnknown&) = delete;
    CountedUnknown& operator=(const CountedUnknown&) = delete;
    virtual ~CountedUnknown() = default;

    LONG References() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--references_ == 0) OnLastRelease();
        return static_cast<ULONG>(references_);
    }

protected:
    // What the object does when its last reference goes; it stays alive.
    virtual void OnLastRelease() {}

private:
    IID iid_;
    LONG references_ = 0;
};
