#include "control/control_state.h"

#include <olectl.h>

void ControlState::ReleaseInterfaces() noexcept {
    AmbientDispatch.Reset();
    ViewAdviseSink.Reset();
    ClientSite.Reset();
    OleAdviseHolder.Reset();
    DataAdviseHolder.Reset();
    InPlaceSite.Reset();
}

HRESULT GetDispatchProperty(IDispatch* dispatch, DISPID id, VARIANT* value) {
    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArguments, value, nullptr,
                            nullptr);
}

HRESULT PutDispatchProperty(IDispatch* dispatch, DISPID id, VARIANT* value) {
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS arguments = {value, &namedPut, 1, 1};
    const VARTYPE type = V_VT(value);
    const bool byReference =
        type == VT_UNKNOWN || type == VT_DISPATCH || (type & VT_ARRAY) != 0 || (type & VT_BYREF) != 0;
    if (byReference) {
        const HRESULT result = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF,
                                                &arguments, nullptr, nullptr, nullptr);
        if (SUCCEEDED(result)) return result;
    }
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &arguments, nullptr, nullptr,
                            nullptr);
}

HRESULT ControlState::QueryAmbientUserMode(BOOL* userMode) const {
    if (!AmbientDispatch) return E_FAIL;
    VARIANT value{};
    const HRESULT result = GetDispatchProperty(AmbientDispatch.Get(), DISPID_AMBIENT_USERMODE, &value);
    // The boolean payload, sign-extended, whatever the type says; a failed read leaves the
    // caller's starting value.
    if (SUCCEEDED(result)) *userMode = V_BOOL(&value);
    VariantClear(&value);
    return result;
}

bool ControlState::IsAmbientDesignMode() const {
    if (!AmbientDispatch) return false;
    VARIANT value{};
    const HRESULT result = GetDispatchProperty(AmbientDispatch.Get(), DISPID_AMBIENT_USERMODE, &value);
    const bool designMode = SUCCEEDED(result) && V_VT(&value) == VT_BOOL && V_BOOL(&value) == VARIANT_FALSE;
    VariantClear(&value);
    return designMode;
}

HRESULT ControlState::QueryAmbientLocale(LCID* locale) const {
    if (!AmbientDispatch) return E_FAIL;
    VARIANT value{};
    const HRESULT result = GetDispatchProperty(AmbientDispatch.Get(), DISPID_AMBIENT_LOCALEID, &value);
    if (SUCCEEDED(result)) *locale = V_UI4(&value);
    VariantClear(&value);
    return result;
}

HRESULT ControlState::NotifyViewChanged() {
    if (Has(ControlFlag::IsInPlaceActive)) {
        if (WindowHandleRef() != nullptr) {
            InvalidateRect(WindowHandleRef(), nullptr, TRUE);
        } else if (Has(ControlFlag::IsWindowless) && InPlaceSite) {
            InPlaceSite->InvalidateRect(nullptr, TRUE);
        }
    } else if (ViewAdviseSink) {
        ViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    return S_OK;
}

HRESULT ControlState::NotifyDataChanged(DWORD adviseFlags) {
    if (!DataAdviseHolder) return S_OK;
    InterfacePtr<IDataObject> self;
    if (FAILED(QueryOwnInterface(IID_IDataObject, self.ReceiveVoid()))) return S_OK;
    return DataAdviseHolder->SendOnDataChange(self.Get(), 0, adviseFlags);
}

HRESULT ControlState::NotifySaved() {
    if (!OleAdviseHolder) return S_OK;
    return OleAdviseHolder->SendOnSave();
}
