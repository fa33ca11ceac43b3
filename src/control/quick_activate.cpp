// IQuickActivate of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IQuickActivate

HRESULT STDMETHODCALLTYPE LumexControl::QuickActivate(QACONTAINER * /*pQaContainer*/, QACONTROL * /*pQaControl*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetContentExtent(LPSIZEL /*pSizel*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetContentExtent(LPSIZEL /*pSizel*/) { return E_NOTIMPL; }
