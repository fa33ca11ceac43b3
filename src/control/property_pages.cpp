// ISpecifyPropertyPages of the lumex control and the properties verb's frame.  The pages
// are gathered from the property map by CollectPropertyPages (property_map.cpp).
#include "control/lumex_control.h"

#include <olectl.h>

#include "control/property_map.h"
#include "support/task_memory.h"

HRESULT STDMETHODCALLTYPE LumexControl::GetPages(CAUUID* pPages) { return CollectPropertyPages(PropertyMap, pPages); }

HRESULT LumexControl::OpenPropertyFrame(HWND parent) {
    // A container that shows its own frame wins.
    if (const InterfacePtr<IOleControlSite> controlSite = FindControlSite()) {
        const HRESULT shown = controlSite->ShowPropertyFrame();
        if (SUCCEEDED(shown)) return shown;
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
    // An empty list still hands the frame a valid array: the platform may refuse a null one.
    CLSID noPage = CLSID_NULL;
    CLSID* pageList = pageArray.Get() != nullptr ? pageArray.Get() : &noPage;
    return OleCreatePropertyFrame(parent, PositionRect.left, PositionRect.top, caption.Get(), 1, objects,
                                  pages.cElems, pageList, locale, 0, nullptr);
}
