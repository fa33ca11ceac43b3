// The control's interface table and its own lookup through it.
#include "control/lumex_control.h"

// Rows that share a sub-object answer with the same pointer.
const InterfaceTableEntry LumexControl::Interfaces[] = {
    {&IID_Ilumex, SubObjectOf<LumexControl, Ilumex>},
    {&IID_IDispatch, SubObjectOf<LumexControl, Ilumex>},
    {&IID_IViewObjectEx, SubObjectOf<LumexControl, IViewObjectEx>},
    {&IID_IViewObject2, SubObjectOf<LumexControl, IViewObjectEx>},
    {&IID_IViewObject, SubObjectOf<LumexControl, IViewObjectEx>},
    {&IID_IOleInPlaceObjectWindowless, SubObjectOf<LumexControl, IOleInPlaceObjectWindowless>},
    {&IID_IOleInPlaceObject, SubObjectOf<LumexControl, IOleInPlaceObjectWindowless>},
    {&IID_IOleWindow, SubObjectOf<LumexControl, IOleInPlaceObjectWindowless>},
    {&IID_IOleInPlaceActiveObject, SubObjectOf<LumexControl, IOleInPlaceActiveObject>},
    {&IID_IOleControl, SubObjectOf<LumexControl, IOleControl>},
    {&IID_IOleObject, SubObjectOf<LumexControl, IOleObject>},
    {&IID_IPersistStreamInit, SubObjectOf<LumexControl, IPersistStreamInit>},
    {&IID_IPersist, SubObjectOf<LumexControl, IPersistStreamInit>},
    {&IID_ISpecifyPropertyPages, SubObjectOf<LumexControl, ISpecifyPropertyPages>},
    {&IID_IQuickActivate, SubObjectOf<LumexControl, IQuickActivate>},
    {&IID_IPersistStorage, SubObjectOf<LumexControl, IPersistStorage>},
    {&IID_IDataObject, SubObjectOf<LumexControl, IDataObject>},
    {&IID_IProvideClassInfo, SubObjectOf<LumexControl, IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, SubObjectOf<LumexControl, IProvideClassInfo2>},
    {nullptr, nullptr},
};

HRESULT LumexControl::QueryOwnInterface(REFIID riid, void** ppv) {
    return QueryThroughTable(this, Interfaces, riid, ppv);
}
