// IDispatch, IProvideClassInfo and ISupportErrorInfo of the TagFile object, through the
// kept type information of ITagFile2 and TagFile.
#include "automation/type_info_keeper.h"
#include "tagfile/tag_file_object.h"

HRESULT STDMETHODCALLTYPE TagFileObject::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TagFileObject::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    return HandOutTypeInfo(TagFileInterfaceKeeper, lcid, ppTInfo);
}

HRESULT STDMETHODCALLTYPE TagFileObject::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                       DISPID* rgDispId) {
    return LookUpNames(TagFileInterfaceKeeper, rgszNames, cNames, lcid, rgDispId);
}

HRESULT STDMETHODCALLTYPE TagFileObject::Invoke(DISPID dispIdMember, REFIID, LCID lcid, WORD wFlags,
                                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                                UINT* puArgErr) {
    return InvokeThroughTypeInfo(TagFileInterfaceKeeper, static_cast<ITagFile2*>(this), dispIdMember, lcid, wFlags,
                                 pDispParams, pVarResult, pExcepInfo, puArgErr);
}

HRESULT STDMETHODCALLTYPE TagFileObject::GetClassInfo(ITypeInfo** ppTI) {
    if (ppTI == nullptr) return E_POINTER;
    *ppTI = nullptr;
    return HandOutTypeInfo(TagFileClassKeeper, 0, ppTI);
}

HRESULT STDMETHODCALLTYPE TagFileObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualGUID(riid, IID_ITagFile2) || IsEqualGUID(riid, IID_ITagFile) ? S_OK : S_FALSE;
}
