// In-place activation: the negotiation with the container's in-place site, activation
// with or without a window, UI activation, and their undoing in the reverse order.
#include "control/lumex_control.h"

namespace {

using SiteRef = InterfacePtr<IOleInPlaceSiteWindowless>;

// The container's window, the frame and document window it hands out with its window
// context, and the rectangles that go with them: zero rectangles when it gives none.
struct WindowContext {
    HWND Parent = nullptr;
    InterfacePtr<IOleInPlaceFrame> Frame;
    InterfacePtr<IOleInPlaceUIWindow> Document;
    RECT Position{};
    RECT Clip{};
};

// The container's window and, when it tells one, its window context: false when the site
// has no window, and nothing more is asked of it then.
bool FetchWindowContext(IOleInPlaceSite* site, WindowContext& context) {
    if (site->GetWindow(&context.Parent) != S_OK) return false;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    const HRESULT result = site->GetWindowContext(context.Frame.Receive(), context.Document.Receive(),
                                                  &context.Position, &context.Clip, &frameInfo);
    if (FAILED(result)) {
        context.Position = RECT{};
        context.Clip = RECT{};
    }
    return true;
}

// True when the window that has the focus lies inside window (not window itself).
bool FocusIsInside(HWND window) { return IsChild(window, GetFocus()) != FALSE; }

// The UI-active control's object handed to the frame, then the document window.
void ShareActiveObject(const WindowContext& context, IOleInPlaceActiveObject* activeObject) {
    if (activeObject == nullptr) return;
    if (context.Frame) context.Frame->SetActiveObject(activeObject, nullptr);
    if (context.Document) context.Document->SetActiveObject(activeObject, nullptr);
}

// The control takes no border space: the frame's, then the document window's.
void ClaimNoBorderSpace(const WindowContext& context) {
    if (context.Frame) context.Frame->SetBorderSpace(nullptr);
    if (context.Document) context.Document->SetBorderSpace(nullptr);
}

}  // namespace

bool LumexControl::VerbActivatesUI(LONG verb) const {
    switch (verb) {
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_PRIMARY:
            return true;
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
            // A container without ambient properties cannot ask for a control that is
            // only in place.
            return !AmbientDispatch;
        default:
            return false;
    }
}

HRESULT LumexControl::ActivateInPlace(LONG verb, LPCRECT) {
    if (!ClientSite) return S_OK;
    InterfacePtr<IOleInPlaceObject> inPlaceObject;
    QueryOwnInterface(IID_IOleInPlaceObject, inPlaceObject.ReceiveVoid());
    if (!Has(ControlFlag::HasInPlaceSite)) NegotiateInPlaceSite();
    if (!InPlaceSite) return E_FAIL;
    Set(ControlFlag::HasInPlaceSite);
    // Held for the whole activation: the container's answers may re-enter the object.
    const SiteRef site = InPlaceSite;
    const bool windowless = Has(ControlFlag::IsWindowless);

    if (!Has(ControlFlag::IsInPlaceActive)) {
        const HRESULT announced = AnnounceInPlaceActivation(site.Get(), windowless);
        if (announced != S_OK) return announced;
    }
    Set(ControlFlag::IsInPlaceActive);

    WindowContext context;
    if (FetchWindowContext(site.Get(), context)) {
        if (!windowless) ShowControlWindow(context.Parent, context.Position);
        inPlaceObject->SetObjectRects(&context.Position, &context.Clip);
    }

    InterfacePtr<IOleInPlaceActiveObject> activeObject;
    QueryOwnInterface(IID_IOleInPlaceActiveObject, activeObject.ReceiveVoid());
    if (VerbActivatesUI(verb) && !Has(ControlFlag::IsUIActive)) {
        // Set before the container hears of it, so the focus handler's nested verb
        // finds the control UI active already.
        Set(ControlFlag::IsUIActive);
        const HRESULT result = site->OnUIActivate();
        if (FAILED(result)) return result;
        TakeFocus(site.Get(), windowless);
        ShareActiveObject(context, activeObject.Get());
        ClaimNoBorderSpace(context);
    }
    if (ClientSite) ClientSite->ShowObject();
    return S_OK;
}

void LumexControl::NegotiateInPlaceSite() {
    if (!Has(ControlFlag::NeverWindowless)) ClientSite.QueryInto(IID_IOleInPlaceSiteWindowless, InPlaceSite);
    if (InPlaceSite) {
        Set(ControlFlag::SiteSupportsEx);
        if (InPlaceSite->CanWindowlessActivate() == S_OK) {
            Set(ControlFlag::IsWindowless | ControlFlag::EverWindowless);
        } else {
            Clear(ControlFlag::IsWindowless);
        }
        return;
    }
    ClientSite.QueryInto(IID_IOleInPlaceSiteEx, InPlaceSite);
    if (InPlaceSite) {
        Set(ControlFlag::SiteSupportsEx);
    } else {
        ClientSite.QueryInto(IID_IOleInPlaceSite, InPlaceSite);
    }
}

HRESULT LumexControl::AnnounceInPlaceActivation(IOleInPlaceSiteWindowless* site, bool windowless) {
    BOOL noRedraw = FALSE;
    if (windowless) {
        site->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
    } else if (Has(ControlFlag::SiteSupportsEx)) {
        site->OnInPlaceActivateEx(&noRedraw, 0);
    } else {
        const HRESULT result = site->CanInPlaceActivate();
        if (FAILED(result)) return result;
        if (result != S_OK) return E_FAIL;
        site->OnInPlaceActivate();
    }
    return S_OK;
}

void LumexControl::ShowControlWindow(HWND parent, const RECT& position) {
    const HWND window = WindowHandleRef();
    if (window == nullptr) {
        MakeControlWindow(parent, position);
        return;
    }
    // Moving the focus in UI-activates the control from its WM_SETFOCUS.
    ShowWindow(window, SW_SHOW);
    if (!FocusIsInside(window)) SetFocus(window);
}

void LumexControl::TakeFocus(IOleInPlaceSiteWindowless* site, bool windowless) {
    if (windowless) {
        site->SetFocus(TRUE);
        return;
    }
    const HWND window = WindowHandleRef();
    // Without a window there is nothing to give the focus to, and the container keeps it.
    if (window != nullptr && !FocusIsInside(window)) SetFocus(window);
}

HRESULT LumexControl::DeactivateUI() {
    if (!Has(ControlFlag::IsUIActive)) return S_OK;
    Clear(ControlFlag::IsUIActive);
    const SiteRef site = InPlaceSite;
    if (!site) return S_OK;
    WindowContext context;
    if (FetchWindowContext(site.Get(), context)) {
        if (context.Document) context.Document->SetActiveObject(nullptr, nullptr);
        if (context.Frame) context.Frame->SetActiveObject(nullptr, nullptr);
    }
    site->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT LumexControl::DeactivateInPlace() {
    InterfacePtr<IOleInPlaceObject> inPlaceObject;
    QueryOwnInterface(IID_IOleInPlaceObject, inPlaceObject.ReceiveVoid());
    if (!Has(ControlFlag::IsInPlaceActive)) return S_OK;
    inPlaceObject->UIDeactivate();
    // The site may have deactivated the control from its OnUIDeactivate: done, and told.
    if (!Has(ControlFlag::IsInPlaceActive)) return S_OK;
    // Cleared before the window goes, so its WM_KILLFOCUS tells the container nothing.
    Clear(ControlFlag::IsInPlaceActive);
    DestroyControlWindow();
    if (InPlaceSite) InPlaceSite->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT LumexControl::SetPositionRects(LPCRECT position, LPCRECT clip) {
    if (position == nullptr || clip == nullptr) return E_POINTER;
    PositionRect = *position;
    const HWND window = WindowHandleRef();
    if (window == nullptr) return S_OK;

    // Clip only what the clip rectangle cuts off; a clip that holds the whole control,
    // or misses it entirely, leaves the window unclipped.
    RECT visible{};
    HRGN region = nullptr;
    if (IntersectRect(&visible, position, clip) && !EqualRect(&visible, position)) {
        OffsetRect(&visible, -position->left, -position->top);
        region = CreateRectRgnIndirect(&visible);
    }
    // The window owns the region once it is set; a refused region is still ours.
    if (!SetWindowRgn(window, region, TRUE) && region != nullptr) DeleteObject(region);
    SetWindowPos(window, nullptr, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}
