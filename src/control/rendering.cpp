// Rendering: not built yet.
#include "control/lumex_control.h"

HRESULT LumexControl::PrepareAndDraw(DrawRequest&) { return E_NOTIMPL; }
HRESULT LumexControl::DrawContent(DrawRequest&) { return E_NOTIMPL; }
