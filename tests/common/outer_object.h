// The smallest honest outer object of an aggregate: its own count, the inner unknown it
// owns, and a count of the calls that reach it once its destruction has begun.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "support/interface_ptr.h"

class OuterObject : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        NoteCall();
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualGUID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualGUID(riid, IID_IPersist)) return E_NOINTERFACE;  // the outer object's own, refused here
        return Inner ? Inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        NoteCall();
        return static_cast<ULONG>(++Count);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        NoteCall();
        return static_cast<ULONG>(--Count);
    }

    // What a real outer object's destructor does: it lets go of the inner unknown.
    void Destroy() {
        Dying = true;
        Inner.Reset();
    }

    LONG Count = 1;
    bool Dying = false;
    int CallsWhileDying = 0;
    InterfacePtr<IUnknown> Inner;

private:
    void NoteCall() {
        if (Dying) ++CallsWhileDying;
    }
};
