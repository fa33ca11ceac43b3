#include "control/control_state.h"

#include <olectl.h>

#include "support/unique_variant.h"

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

HRESULT ControlState::ReadAmbient(DISPID id, UniqueVariant& value) const {
    if (!AmbientDispatch) return E_FAIL;
    return GetDispatchProperty(AmbientDispatch.Get(), id, value.Get());
}

// The payloads are taken whatever the type says; a failed read leaves the caller's value.
HRESULT ControlState::QueryAmbientUserMode(BOOL* userMode) const {
    UniqueVariant value;
    const HRESULT result = ReadAmbient(DISPID_AMBIENT_USERMODE, value);
    if (SUCCEEDED(result)) *userMode = V_BOOL(value.Get());  // sign-extended
    return result;
}

bool ControlState::IsAmbientDesignMode() const {
    UniqueVariant value;
    return SUCCEEDED(ReadAmbient(DISPID_AMBIENT_USERMODE, value)) && V_VT(value.Get()) == VT_BOOL &&
           V_BOOL(value.Get()) == VARIANT_FALSE;
}

HRESULT ControlState::QueryAmbientLocale(LCID* locale) const {
    UniqueVariant value;
    const HRESULT result = ReadAmbient(DISPID_AMBIENT_LOCALEID, value);
    if (SUCCEEDED(result)) *locale = V_UI4(value.Get());
    return result;
}

InterfacePtr<IOleControlSite> ControlState::FindControlSite() const {
    InterfacePtr<IOleControlSite> site;
    if (ClientSite && FAILED(ClientSite.QueryInto(IID_IOleControlSite, site))) site.Reset();
    return site;
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
