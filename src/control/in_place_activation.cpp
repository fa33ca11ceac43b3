// In-place activation: not built yet.
#include "control/lumex_control.h"

HRESULT LumexControl::ActivateInPlace(LONG, LPCRECT) { return E_NOTIMPL; }
bool LumexControl::VerbActivatesUI(LONG) const { return false; }
HRESULT LumexControl::DeactivateUI() { return S_OK; }
HRESULT LumexControl::DeactivateInPlace() { return S_OK; }
HRESULT LumexControl::SetPositionRects(LPCRECT, LPCRECT) { return E_NOTIMPL; }
