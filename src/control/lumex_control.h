// The lumex control: one object over every interface.  It is built, in this order, from
// the dual interface Ilumex, the embedding state record (ControlState), the window part
// (ControlWindow), the entry points of its eleven other interfaces, and the tag record.
// Its IUnknown is left to the identity that owns it, the plain object or the contained
// control of an aggregate (see server/lumex_object.h).
//
// This header is the control's map: each group of methods below names the file of
// src/control that holds it.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include "automation/tarvik.h"
#include "control/control_state.h"
#include "control/control_window.h"
#include "control/draw_request.h"
#include "module/interface_table.h"
#include "tag/tag_record.h"

// IPersistStreamInit and IPersistStorage both have an IsDirty of the same signature;
// these entries give each its own name, so that each can answer in its own way.
class PersistStreamEntry : public IPersistStreamInit {
public:
    HRESULT STDMETHODCALLTYPE IsDirty() final { return StreamIsDirty(); }

protected:
    virtual HRESULT StreamIsDirty() = 0;
};

class PersistStorageEntry : public IPersistStorage {
public:
    HRESULT STDMETHODCALLTYPE IsDirty() final { return StorageIsDirty(); }

protected:
    virtual HRESULT StorageIsDirty() = 0;
};

class LumexControl : public Ilumex,
                     public ControlState,
                     public ControlWindow,
                     public PersistStreamEntry,
                     public IOleControl,
                     public IOleObject,
                     public IOleInPlaceActiveObject,
                     public IViewObjectEx,
                     public IOleInPlaceObjectWindowless,
                     public PersistStorageEntry,
                     public ISpecifyPropertyPages,
                     public IQuickActivate,
                     public IDataObject,
                     public IProvideClassInfo2 {
public:
    using ContinueCallback = BOOL(STDMETHODCALLTYPE*)(ULONG_PTR dwContinue);

    LumexControl(const LumexControl&) = delete;
    LumexControl& operator=(const LumexControl&) = delete;

    // The 19 interfaces in lookup order; the first answers IUnknown (lumex_interfaces.cpp).
    static const InterfaceTableEntry Interfaces[];

    // ControlState's operations.  The window is made in control_window.cpp.
    HWND MakeControlWindow(HWND parent, const RECT& position) override;
    // The control's own lookup, without any outer object (lumex_interfaces.cpp).
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;
    // How the control paints (rendering.cpp).
    HRESULT PrepareAndDraw(DrawRequest& request) override;
    HRESULT DrawContent(DrawRequest& request) override;

    // ControlWindow's operations: the routing in message_routing.cpp, the hold in
    // lumex_control.cpp.
    BOOL RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      DWORD tableId) override;
    InterfacePtr<IUnknown> HoldForMessage() override;

    // IDispatch (dispatch_methods.cpp)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
    // Ilumex: the tag methods, as the type library's property gets name them in C++
    // (tag_methods.cpp).
    HRESULT STDMETHODCALLTYPE LoadMP3Head(BSTR strName) override;
    HRESULT STDMETHODCALLTYPE get_GetTitle(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetArtist(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetAlbum(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetProYear(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetComment(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetGenreNo(short* pVal) override;
    HRESULT STDMETHODCALLTYPE DoCutTailSp() override;

    // IPersist, for both persistence interfaces (persist_stream.cpp)
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    // IPersistStreamInit (persist_stream.cpp); its IsDirty is StreamIsDirty below
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    // IOleControl (ole_control.cpp)
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) override;
    // IOleObject (ole_object.cpp; DoVerb in object_verbs.cpp)
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                     HWND hwndParent, LPCRECT lprcPosRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) override;
    // IOleWindow, for both in-place interfaces (in_place_object.cpp)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
    // IOleInPlaceActiveObject (in_place_active_object.cpp)
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fFrameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    // IViewObject, IViewObject2 and IViewObjectEx (view_object.cpp)
    HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                   HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                   ContinueCallback pfnContinue, ULONG_PTR dwContinue) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                          HDC hicTargetDev, LOGPALETTE** ppColorSet) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override;
    // IViewObject2
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                        LPSIZEL lpsizel) override;
    // IViewObjectEx
    HRESULT STDMETHODCALLTYPE GetRect(DWORD dwAspect, LPRECTL pRect) override;
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc, LONG lCloseHint,
                                            DWORD* pHitResult) override;
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds, LPCRECT pRectLoc, LONG lCloseHint,
                                           DWORD* pHitResult) override;
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD dwAspect, LONG lindex, DVTARGETDEVICE* ptd, HDC hicTargetDev,
                                               DVEXTENTINFO* pExtentInfo, LPSIZEL pSizel) override;
    // IOleInPlaceObject and IOleInPlaceObjectWindowless (in_place_object.cpp)
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    // IOleInPlaceObjectWindowless
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** ppDropTarget) override;
    // IPersistStorage (persist_storage.cpp); its IsDirty is StorageIsDirty below
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* pStg) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* pStg) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* pStgNew) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;
    // ISpecifyPropertyPages (property_pages.cpp; the pages are collected in property_map.cpp)
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pPages) override;
    // IQuickActivate (quick_activate.cpp)
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL pSizel) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL pSizel) override;
    // IDataObject (data_object.cpp)
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                      DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;
    // IProvideClassInfo, IProvideClassInfo2 (dispatch_methods.cpp)
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) override;

protected:
    LumexControl() noexcept;
    virtual ~LumexControl() = default;

    // The clean-up of the last release, run while the object is still whole: leaves the
    // in-place state quietly, destroys the control window, then drops the container's
    // pointers.  Nothing is sent to the container, and the object is no longer counted.
    // With the constructor, in lumex_control.cpp.
    void ReleaseControl() noexcept;

    // The persistence interfaces' IsDirty answers (persist_stream.cpp, persist_storage.cpp).
    HRESULT StreamIsDirty() override;
    HRESULT StorageIsDirty() override;

private:
    // Activation (in place, UI) and its undoing (in_place_activation.cpp).
    HRESULT ActivateInPlace(LONG verb, LPCRECT position);
    // ActivateInPlace's steps.
    void NegotiateInPlaceSite();
    HRESULT AnnounceInPlaceActivation(IOleInPlaceSiteWindowless* site, bool windowless);
    void ShowControlWindow(HWND parent, const RECT& position);
    bool VerbActivatesUI(LONG verb) const;
    void TakeFocus(IOleInPlaceSiteWindowless* site, bool windowless);
    HRESULT DeactivateUI();
    HRESULT DeactivateInPlace();
    HRESULT SetPositionRects(LPCRECT position, LPCRECT clip);
    // The in-place-activate verb, also the primary verb in run mode (object_verbs.cpp).
    HRESULT DoInPlaceActivateVerb(LPCRECT position);
    // The properties verb (property_pages.cpp).
    HRESULT OpenPropertyFrame(HWND parent);
    // The metafile picture behind GetData (metafile_picture.cpp).
    HRESULT RenderMetafile(FORMATETC* format, STGMEDIUM* medium);
    // The IPersistStreamInit that the storage methods work through (persist_storage.cpp).
    HRESULT FindStreamPersistence(InterfacePtr<IPersistStreamInit>& found);
    // Destroys the control window if it is still there and forgets its handle; a window
    // that this thread may not destroy is unbound from the object instead.  Beside
    // MakeControlWindow, in control_window.cpp.
    void DestroyControlWindow();

    // The message table's handlers; handled is TRUE on entry (message_handlers.cpp).
    LRESULT HandlePaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMouseActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    TagRecord Tag;
    bool DestructionBegun = false;  // set by ReleaseControl: the count is not touched again
};
