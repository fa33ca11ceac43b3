// IDispatch and IProvideClassInfo2 of the lumex control, through the kept type information.
#include "automation/type_info_keeper.h"
#include "control/lumex_control.h"

HRESULT STDMETHODCALLTYPE LumexControl::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

// Every index yields the interface's type information.
HRESULT STDMETHODCALLTYPE LumexControl::GetTypeInfo(UINT, LCID lcid, ITypeInfo** ppTInfo) {
    return HandOutTypeInfo(InterfaceKeeper, lcid, ppTInfo);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                      DISPID* rgDispId) {
    return LookUpNames(InterfaceKeeper, rgszNames, cNames, lcid, rgDispId);
}

HRESULT STDMETHODCALLTYPE LumexControl::Invoke(DISPID dispIdMember, REFIID, LCID lcid, WORD wFlags,
                                               DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                               UINT* puArgErr) {
    return InvokeThroughTypeInfo(InterfaceKeeper, static_cast<Ilumex*>(this), dispIdMember, lcid, wFlags, pDispParams,
                                 pVarResult, pExcepInfo, puArgErr);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetClassInfo(ITypeInfo** ppTI) {
    if (ppTI == nullptr) return E_POINTER;
    return HandOutTypeInfo(ClassKeeper, 0, ppTI);
}

// The class has no outgoing interface, whatever kind of GUID is asked for.
HRESULT STDMETHODCALLTYPE LumexControl::GetGUID(DWORD, GUID* pGUID) {
    if (pGUID == nullptr) return E_POINTER;
    *pGUID = GUID_NULL;
    return E_FAIL;
}
