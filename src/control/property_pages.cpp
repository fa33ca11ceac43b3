// ISpecifyPropertyPages of the lumex control and the properties verb's frame.
#include "control/lumex_control.h"

#include <olectl.h>

#include "control/property_map.h"
#include "support/task_memory.h"

namespace {

// Only dispatch entries (no VarType) name a page; raw entries never do.
bool NamesAPage(const PropertyMapEntry& entry) {
    return entry.VarType == 0 && !IsEqualCLSID(*entry.PageClsid, CLSID_NULL);
}

bool Holds(const CLSID* pages, ULONG count, const CLSID& page) {
    for (ULONG i = 0; i < count; ++i) {
        if (IsEqualCLSID(pages[i], page)) return true;
    }
    return false;
}

}  // namespace

HRESULT CollectPropertyPages(const PropertyMapEntry* map, CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    ULONG count = 0;
    for (const PropertyMapEntry* entry = map; entry->PageClsid != nullptr; ++entry) {
        if (NamesAPage(*entry)) ++count;
    }
    // No pages is an empty list, whatever a zero-byte allocation would answer.
    if (count == 0) return S_OK;
    TaskMemory<CLSID> found(static_cast<CLSID*>(CoTaskMemAlloc(count * sizeof(CLSID))));
    if (found.Get() == nullptr) return E_OUTOFMEMORY;
    ULONG distinct = 0;
    for (const PropertyMapEntry* entry = map; entry->PageClsid != nullptr; ++entry) {
        if (NamesAPage(*entry) && !Holds(found.Get(), distinct, *entry->PageClsid)) {
            found.Get()[distinct++] = *entry->PageClsid;
        }
    }
    pages->cElems = distinct;
    pages->pElems = found.Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetPages(CAUUID* pPages) { return CollectPropertyPages(PropertyMap, pPages); }

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
    // An empty list still hands the frame a valid array: the platform may refuse a null one.
    CLSID noPage = CLSID_NULL;
    CLSID* pageList = pageArray.Get() != nullptr ? pageArray.Get() : &noPage;
    return OleCreatePropertyFrame(parent, PositionRect.left, PositionRect.top, caption.Get(), 1, objects,
                                  pages.cElems, pageList, locale, 0, nullptr);
}
