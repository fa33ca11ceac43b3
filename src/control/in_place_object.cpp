// IOleWindow, IOleInPlaceObject and IOleInPlaceObjectWindowless of the lumex control.
#include "control/lumex_control.h"

// IOleWindow, shared with IOleInPlaceActiveObject

HRESULT STDMETHODCALLTYPE LumexControl::GetWindow(HWND* phwnd) {
    // A control that was ever windowless tells no window, even once it has one.
    if (Has(ControlFlag::EverWindowless)) return E_FAIL;
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = WindowHandleRef();
    return *phwnd != nullptr ? S_OK : E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE LumexControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceObject

HRESULT STDMETHODCALLTYPE LumexControl::InPlaceDeactivate() { return DeactivateInPlace(); }

HRESULT STDMETHODCALLTYPE LumexControl::UIDeactivate() { return DeactivateUI(); }

HRESULT STDMETHODCALLTYPE LumexControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) {
    return SetPositionRects(lprcPosRect, lprcClipRect);
}

HRESULT STDMETHODCALLTYPE LumexControl::ReactivateAndUndo() { return E_NOTIMPL; }

// IOleInPlaceObjectWindowless

HRESULT STDMETHODCALLTYPE LumexControl::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) {
    // The table writes the result only when a handler or a reflection ran.
    LRESULT unused = 0;
    LRESULT& result = plResult != nullptr ? *plResult : unused;
    return RouteMessage(WindowHandleRef(), msg, wParam, lParam, result, 0) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetDropTarget(IDropTarget**) { return E_NOTIMPL; }
