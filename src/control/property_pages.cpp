// ISpecifyPropertyPages of the lumex control; not supported yet.
#include "control/lumex_control.h"

// ISpecifyPropertyPages

HRESULT STDMETHODCALLTYPE LumexControl::GetPages(CAUUID * /*pPages*/) { return E_NOTIMPL; }
