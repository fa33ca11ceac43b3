// Owner of one reference to a COM interface.
#pragma once
#include <windows.h>
#include <unknwn.h>

template <class Interface>
class InterfacePtr {
public:
    InterfacePtr() noexcept = default;
    // Takes over a reference the caller already holds.
    static InterfacePtr Adopt(Interface* p) noexcept {
        InterfacePtr owner;
        owner.p_ = p;
        return owner;
    }
    // Adds a reference of its own.
    static InterfacePtr Share(Interface* p) noexcept {
        if (p != nullptr) p->AddRef();
        return Adopt(p);
    }
    InterfacePtr(const InterfacePtr& other) noexcept : p_(other.p_) {
        if (p_ != nullptr) p_->AddRef();
    }
    InterfacePtr& operator=(const InterfacePtr& other) noexcept {
        InterfacePtr copy(other);
        Swap(copy);
        return *this;
    }
    InterfacePtr(InterfacePtr&& other) noexcept : p_(other.Detach()) {}
    InterfacePtr& operator=(InterfacePtr&& other) noexcept {
        InterfacePtr moved(static_cast<InterfacePtr&&>(other));
        Swap(moved);
        return *this;
    }
    ~InterfacePtr() { Reset(); }

    Interface* Get() const noexcept { return p_; }
    Interface* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    Interface** Receive() noexcept {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }
    Interface* Detach() noexcept {
        Interface* p = p_;
        p_ = nullptr;
        return p;
    }
    void Reset() noexcept {
        if (p_ != nullptr) {
            Interface* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    template <class Other>
    HRESULT QueryInto(REFIID iid, InterfacePtr<Other>& out) const noexcept {
        if (p_ == nullptr) return E_POINTER;
        return p_->QueryInterface(iid, out.ReceiveVoid());
    }
    void Swap(InterfacePtr& other) noexcept {
        Interface* p = p_;
        p_ = other.p_;
        other.p_ = p;
    }

private:
    Interface* p_ = nullptr;
};
