// IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IOleWindow

HRESULT STDMETHODCALLTYPE LumexControl::GetWindow(HWND * /*phwnd*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::ContextSensitiveHelp(BOOL /*fEnterMode*/) { return E_NOTIMPL; }

// IOleInPlaceObject

HRESULT STDMETHODCALLTYPE LumexControl::InPlaceDeactivate() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::UIDeactivate() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetObjectRects(LPCRECT /*lprcPosRect*/, LPCRECT /*lprcClipRect*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::ReactivateAndUndo() { return E_NOTIMPL; }

// IOleInPlaceObjectWindowless

HRESULT STDMETHODCALLTYPE LumexControl::OnWindowMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT * /*plResult*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetDropTarget(IDropTarget ** /*ppDropTarget*/) { return E_NOTIMPL; }
