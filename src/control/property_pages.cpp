// ISpecifyPropertyPages of the lumex control and the properties verb's frame.
#include "control/lumex_control.h"

#include <olectl.h>

#include "support/task_memory.h"

HRESULT STDMETHODCALLTYPE LumexControl::GetPages(CAUUID*) { return E_NOTIMPL; }

HRESULT LumexControl::OpenPropertyFrame(HWND parent) {
    // A container that shows its own frame wins.
    if (ClientSite) {
        InterfacePtr<IOleControlSite> controlSite;
        if (SUCCEEDED(ClientSite.QueryInto(IID_IOleControlSite, controlSite))) {
            const HRESULT shown = controlSite->ShowPropertyFrame();
            if (SUCCEEDED(shown)) return shown;
        }
    }
    InterfacePtr<IUnknown> self;
    QueryOwnInterface(IID_IUnknown, self.ReceiveVoid());
    InterfacePtr<ISpecifyPropertyPages> pageSource;
    if (FAILED(self.QueryInto(IID_ISpecifyPropertyPages, pageSource))) return OLEOBJ_S_CANNOT_DOVERB_NOW;
    CAUUID pages{0, nullptr};
    const HRESULT listed = pageSource->GetPages(&pages);
    if (FAILED(listed)) return listed;
    TaskMemory<GUID> pageArray(pages.pElems);
    InterfacePtr<IOleObject> oleObject;
    if (FAILED(self.QueryInto(IID_IOleObject, oleObject))) return OLEOBJ_S_CANNOT_DOVERB_NOW;
    TaskMemory<OLECHAR> caption;
    oleObject->GetUserType(USERCLASSTYPE_SHORT, caption.Receive());
    LCID locale = LOCALE_USER_DEFAULT;
    if (FAILED(QueryAmbientLocale(&locale))) locale = LOCALE_USER_DEFAULT;
    IUnknown* objects[] = {self.Get()};
    return OleCreatePropertyFrame(parent, PositionRect.left, PositionRect.top, caption.Get(), 1, objects,
                                  pages.cElems, pageArray.Get(), locale, 0, nullptr);
}
