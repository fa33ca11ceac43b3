// The embedding side's one record of state: the container's sites and sinks, the advise
// holders, the extent and position, the window handle (kept by the window part), the
// event-freeze count and the state flags, with the small operations shared by every
// embedding interface of the object.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include "support/interface_ptr.h"

struct DrawRequest;
class UniqueVariant;

// The state bits of ControlState::Flags.  Bits not listed are never set or read.
namespace ControlFlag {
constexpr DWORD HasInPlaceSite = 0x0001;
constexpr DWORD IsWindowless = 0x0002;
constexpr DWORD IsInPlaceActive = 0x0004;
constexpr DWORD IsUIActive = 0x0008;
constexpr DWORD SiteSupportsEx = 0x0020;
constexpr DWORD EverWindowless = 0x0100;
// Switches of the control kind.  Nothing in this control sets them; their readers keep
// the branches for both values, so that another kind of control can turn them on.
constexpr DWORD NeverWindowless = 0x0040;
constexpr DWORD NeedsSave = 0x0080;
constexpr DWORD FixedToNaturalSize = 0x0200;
constexpr DWORD RedrawOnResize = 0x0400;
constexpr DWORD NaturalFollowsExtent = 0x0800;
constexpr DWORD RenderNaturalSize = 0x1000;
constexpr DWORD MetafileInHimetric = 0x2000;
}  // namespace ControlFlag

// Two inches a side, in HIMETRIC: the size a new control takes and prefers.
constexpr LONG kDefaultExtent = 5080;

class ControlState {
public:
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

    // The record's own operations, overridden by the control.
    virtual HWND MakeControlWindow(HWND parent, const RECT& position) = 0;
    virtual HRESULT QueryOwnInterface(REFIID riid, void** ppv) = 0;
    virtual HRESULT PrepareAndDraw(DrawRequest& request) = 0;
    virtual HRESULT DrawContent(DrawRequest& request) = 0;

    // The site's in-place interface at the level that was negotiated: a windowless site,
    // or an Ex or plain site kept in the same slot.  Only that level's methods are called.
    InterfacePtr<IOleInPlaceSiteWindowless> InPlaceSite;
    InterfacePtr<IDataAdviseHolder> DataAdviseHolder;
    InterfacePtr<IOleAdviseHolder> OleAdviseHolder;
    InterfacePtr<IOleClientSite> ClientSite;
    InterfacePtr<IAdviseSink> ViewAdviseSink;
    InterfacePtr<IDispatch> AmbientDispatch;  // the client site's, source of ambient properties
    SIZEL NaturalExtent{kDefaultExtent, kDefaultExtent};  // HIMETRIC
    SIZEL Extent{kDefaultExtent, kDefaultExtent};         // HIMETRIC; persisted
    RECT PositionRect{};                                  // pixels of the container window
    LONG FreezeCount = 0;
    DWORD Flags = 0;

    // The control window's handle, which the window part keeps.
    HWND& WindowHandleRef() const noexcept { return *windowHandle_; }

    bool Has(DWORD flag) const noexcept { return (Flags & flag) != 0; }
    void Set(DWORD flag) noexcept { Flags |= flag; }
    void Clear(DWORD flag) noexcept { Flags &= ~flag; }

    // DISPID_AMBIENT_USERMODE's boolean payload, unchecked; E_FAIL without a site dispatch.
    HRESULT QueryAmbientUserMode(BOOL* userMode) const;
    // The strict reading the primary verb uses: design mode only for a VT_BOOL false.
    bool IsAmbientDesignMode() const;
    // DISPID_AMBIENT_LOCALEID's 32-bit payload, unchecked; E_FAIL without a site dispatch.
    HRESULT QueryAmbientLocale(LCID* locale) const;

    // The client site's IOleControlSite; empty without a site, or when the site has none.
    InterfacePtr<IOleControlSite> FindControlSite() const;

    HRESULT NotifyViewChanged();
    HRESULT NotifyDataChanged(DWORD adviseFlags);
    HRESULT NotifySaved();

protected:
    ControlState() noexcept = default;
    ~ControlState() = default;

    // Points WindowHandleRef at the window part's handle once that part exists.
    void BindWindowHandle(HWND& handle) noexcept { windowHandle_ = &handle; }
    // Drops every interface field in reverse declaration order.
    void ReleaseInterfaces() noexcept;

private:
    // Reads an ambient property; E_FAIL when the site gave no dispatch.
    HRESULT ReadAmbient(DISPID id, UniqueVariant& value) const;

    HWND* windowHandle_ = nullptr;
};

// Replaces an owned interface field; the new pointer gains its reference before the old
// one loses its own, so assigning a field its own value is safe.
template <class Interface>
Interface* AssignInterface(InterfacePtr<Interface>& field, Interface* pointer) noexcept {
    field = InterfacePtr<Interface>::Share(pointer);
    return pointer;
}

// A property get through IDispatch::Invoke with no arguments; the caller owns the VARIANT.
HRESULT GetDispatchProperty(IDispatch* dispatch, DISPID id, VARIANT* value);
// A property put through IDispatch::Invoke; by reference first for objects, arrays and
// references.
HRESULT PutDispatchProperty(IDispatch* dispatch, DISPID id, VARIANT* value);
