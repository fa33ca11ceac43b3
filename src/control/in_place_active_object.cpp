// IOleInPlaceActiveObject of the lumex control.  The control has no accelerators, menus
// or borders of its own: keys go on to the container's control site.
#include "control/lumex_control.h"

#include <olectl.h>

namespace {

// The modifier bits of IOleControlSite::TranslateAccelerator, as the platform defines
// them (these headers do not).
constexpr DWORD KeyModShift = 1;
constexpr DWORD KeyModControl = 2;
constexpr DWORD KeyModAlt = 4;

bool IsKeyDown(int key) { return GetKeyState(key) < 0; }

DWORD HeldModifiers() {
    DWORD modifiers = 0;
    if (IsKeyDown(VK_SHIFT)) modifiers |= KeyModShift;
    if (IsKeyDown(VK_CONTROL)) modifiers |= KeyModControl;
    if (IsKeyDown(VK_MENU)) modifiers |= KeyModAlt;
    return modifiers;
}

}  // namespace

HRESULT STDMETHODCALLTYPE LumexControl::TranslateAccelerator(LPMSG lpmsg) {
    const InterfacePtr<IOleControlSite> controlSite = FindControlSite();
    if (!controlSite) return S_FALSE;
    return controlSite->TranslateAccelerator(lpmsg, HeldModifiers()) == S_OK ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE LumexControl::OnFrameWindowActivate(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::OnDocWindowActivate(BOOL fActivate) {
    if (!fActivate) DeactivateUI();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::EnableModeless(BOOL) { return S_OK; }
