// The two identities of a lumex object: used on its own, or owned by an outer object.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "control/lumex_control.h"
#include "module/module_lock_holder.h"

// The control used on its own: its IUnknown counts its own references.
class PlainObject final : private ModuleLockHolder, public LumexControl {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    friend HRESULT WINAPI MakeInstance(IUnknown* outer, REFIID riid, void** ppv);
    PlainObject() noexcept;
    ~PlainObject() override;

    LONG RefCount = 0;
};

// The control inside an aggregate: every interface delegates IUnknown to the outer object.
class ContainedControl final : public LumexControl {
public:
    explicit ContainedControl(IUnknown* outer) noexcept : OuterUnknown(outer) {}
    ~ContainedControl() override = default;

    using LumexControl::ReleaseControl;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    IUnknown* OuterUnknown;  // not counted: the outer object owns us
};

// The inner unknown handed to the outer object, and the control it owns.
class AggregateObject final : private ModuleLockHolder, public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    friend HRESULT WINAPI MakeInstance(IUnknown* outer, REFIID riid, void** ppv);
    explicit AggregateObject(IUnknown* outer) noexcept;
    virtual ~AggregateObject();

    LONG RefCount = 0;
    ContainedControl Control;
};

// The class table's instance maker: a plain object, or an aggregate when outer is given.
HRESULT WINAPI MakeInstance(IUnknown* outer, REFIID riid, void** ppv);
