// IQuickActivate of the lumex control: the container's sites in one call, the control's
// status words back in one record.
#include "control/lumex_control.h"

#include <cstddef>
#include <cstring>

namespace {

// The part of the control record that both sides know: what the caller's size covers,
// and no more than the record this library was built with.
class ControlRecordWriter {
public:
    explicit ControlRecordWriter(QACONTROL* record)
        : record_(record), size_(record->cbSize < sizeof(QACONTROL) ? record->cbSize : sizeof(QACONTROL)) {}

    void ClearKnownPart() {
        const ULONG callerSize = record_->cbSize;
        std::memset(record_, 0, size_);
        record_->cbSize = callerSize;
    }
    // A field's address when the caller's record holds it, else null.
    DWORD* Field(std::size_t offset) const {
        if (offset + sizeof(DWORD) > size_) return nullptr;
        return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(record_) + offset);
    }

private:
    QACONTROL* record_;
    std::size_t size_;
};

// Connects a sink to one of the object's connection points, when it has them.
void ConnectSink(IConnectionPointContainer* points, REFIID iid, IUnknown* sink, DWORD* cookie) {
    if (points == nullptr || sink == nullptr || cookie == nullptr) return;
    InterfacePtr<IConnectionPoint> point;
    if (FAILED(points->FindConnectionPoint(iid, point.Receive()))) return;
    point->Advise(sink, cookie);
}

}  // namespace

HRESULT STDMETHODCALLTYPE LumexControl::QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) {
    if (pQaContainer == nullptr || pQaControl == nullptr) return E_POINTER;
    ControlRecordWriter control(pQaControl);
    control.ClearKnownPart();

    InterfacePtr<IOleObject> oleObject;
    InterfacePtr<IViewObjectEx> viewObject;
    InterfacePtr<IPointerInactive> pointerInactive;
    InterfacePtr<IProvideClassInfo2> classInfo;
    QueryOwnInterface(IID_IOleObject, oleObject.ReceiveVoid());
    QueryOwnInterface(IID_IViewObjectEx, viewObject.ReceiveVoid());
    QueryOwnInterface(IID_IPointerInactive, pointerInactive.ReceiveVoid());
    QueryOwnInterface(IID_IProvideClassInfo2, classInfo.ReceiveVoid());
    if (!oleObject || !viewObject) return E_FAIL;

    oleObject->SetClientSite(pQaContainer->pClientSite);
    if (pQaContainer->pAdviseSink != nullptr) viewObject->SetAdvise(DVASPECT_CONTENT, 0, pQaContainer->pAdviseSink);

    InterfacePtr<IConnectionPointContainer> points;
    QueryOwnInterface(IID_IConnectionPointContainer, points.ReceiveVoid());
    ConnectSink(points.Get(), IID_IPropertyNotifySink, pQaContainer->pPropertyNotifySink,
                control.Field(offsetof(QACONTROL, dwPropNotifyCookie)));
    IID eventInterface;
    if (classInfo && SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventInterface))) {
        ConnectSink(points.Get(), eventInterface, pQaContainer->pUnkEventSink,
                    control.Field(offsetof(QACONTROL, dwEventCookie)));
    }

    if (DWORD* miscStatus = control.Field(offsetof(QACONTROL, dwMiscStatus))) {
        oleObject->GetMiscStatus(DVASPECT_CONTENT, miscStatus);
    }
    if (DWORD* viewStatus = control.Field(offsetof(QACONTROL, dwViewStatus))) {
        viewObject->GetViewStatus(viewStatus);
    }
    DWORD* policy = control.Field(offsetof(QACONTROL, dwPointerActivationPolicy));
    if (pointerInactive && policy != nullptr) pointerInactive->GetActivationPolicy(policy);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::SetContentExtent(LPSIZEL pSizel) {
    InterfacePtr<IOleObject> oleObject;
    const HRESULT result = QueryOwnInterface(IID_IOleObject, oleObject.ReceiveVoid());
    if (FAILED(result)) return result;
    return oleObject->SetExtent(DVASPECT_CONTENT, pSizel);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetContentExtent(LPSIZEL pSizel) {
    if (pSizel == nullptr) return E_POINTER;
    *pSizel = Extent;
    return S_OK;
}
