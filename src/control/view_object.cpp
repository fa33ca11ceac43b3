// IViewObject, IViewObject2 and IViewObjectEx of the lumex control: drawing into a
// container's DC, the extents, hit testing, the view status and the view advise sink.
#include "control/lumex_control.h"

namespace {

bool IsDrawableAspect(DWORD aspect) {
    return aspect == DVASPECT_CONTENT || aspect == DVASPECT_OPAQUE || aspect == DVASPECT_TRANSPARENT;
}

// The container lets the control leave its GDI objects selected.
BOOL AllowsOptimizing(const void* aspectInfo) {
    const auto* info = static_cast<const DVASPECTINFO*>(aspectInfo);
    return info != nullptr && info->cb >= sizeof(DVASPECTINFO) && (info->dwFlags & DVASPECTINFOFLAG_CANOPTIMIZE) != 0;
}

}  // namespace

// IViewObject

HRESULT STDMETHODCALLTYPE LumexControl::Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                             HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds,
                                             LPCRECTL lprcWBounds, ContinueCallback, ULONG_PTR) {
    // RECTL and RECT are the same four LONGs.
    const RECT* bounds = reinterpret_cast<const RECT*>(lprcBounds);
    if (bounds == nullptr) {
        // Only a windowless control knows where it is without being told.
        if (!Has(ControlFlag::IsWindowless)) return E_INVALIDARG;
        bounds = &PositionRect;
    }
    if (!IsDrawableAspect(dwDrawAspect)) return DV_E_DVASPECT;
    DrawRequest request{};
    request.Aspect = dwDrawAspect;
    request.Index = lindex;
    request.TargetDevice = ptd;
    request.TargetDC = ptd == nullptr ? nullptr : hdcTargetDev;
    request.DrawDC = hdcDraw;
    request.Bounds = bounds;
    request.WindowBounds = reinterpret_cast<const RECT*>(lprcWBounds);
    request.CanOptimize = AllowsOptimizing(pvAspect);
    return PrepareAndDraw(request);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE LumexControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetAdvise(DWORD, DWORD, IAdviseSink* pAdvSink) {
    AssignInterface(ViewAdviseSink, pAdvSink);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetAdvise(DWORD*, DWORD*, IAdviseSink** ppAdvSink) {
    // The aspects and flags are not kept, so nothing is said about them.
    if (ppAdvSink != nullptr) *ppAdvSink = InterfacePtr<IAdviseSink>(ViewAdviseSink).Detach();
    return S_OK;
}

// IViewObject2

HRESULT STDMETHODCALLTYPE LumexControl::GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) {
    if (lpsizel == nullptr) return E_POINTER;
    *lpsizel = Extent;
    return S_OK;
}

// IViewObjectEx

HRESULT STDMETHODCALLTYPE LumexControl::GetRect(DWORD, LPRECTL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetViewStatus(DWORD* pdwStatus) {
    if (pdwStatus == nullptr) return E_POINTER;
    *pdwStatus = VIEWSTATUS_DVASPECTTRANSPARENT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc, LONG,
                                                      DWORD* pHitResult) {
    if (pHitResult == nullptr || pRectBounds == nullptr) return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT) return E_FAIL;
    *pHitResult = PtInRect(pRectBounds, ptlLoc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds, LPCRECT pRectLoc, LONG,
                                                     DWORD* pHitResult) {
    if (pHitResult == nullptr || pRectBounds == nullptr || pRectLoc == nullptr) return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT) return E_FAIL;
    RECT overlap;
    *pHitResult = IntersectRect(&overlap, pRectBounds, pRectLoc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetNaturalExtent(DWORD dwAspect, LONG, DVTARGETDEVICE*, HDC,
                                                         DVEXTENTINFO* pExtentInfo, LPSIZEL pSizel) {
    if (pExtentInfo == nullptr || pSizel == nullptr) return E_POINTER;
    if (dwAspect != DVASPECT_CONTENT || pExtentInfo->dwExtentMode != DVEXTENT_CONTENT) return E_FAIL;
    *pSizel = NaturalExtent;
    return S_OK;
}
