// A small OLE container for the lumex control: a top-level window whose client site,
// in-place site and frame are its own.  It loads tarvik.DLL from its own folder, makes
// the control through the library's class object, activates it in place with a window,
// keeps it 20 pixels inside its client area while the window is resized, and closes it
// cleanly when the window closes.
//
//   container.exe [--resize WIDTHxHEIGHT] [--close-after MILLISECONDS]
//
// It prints "ready", the client area in screen coordinates and the control's rectangle
// in the client area once the control is shown (after the resize, if one was asked
// for), and "closed cleanly" when every reference has come back and the library may unload.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/interface_ptr.h"

namespace {

constexpr int kMargin = 20;
constexpr COLORREF kBackground = RGB(64, 96, 160);  // the container's own colour around the control
constexpr UINT_PTR kResizeTimer = 1;
constexpr UINT_PTR kCloseTimer = 2;
const CLSID kLumexClsid = {0x5C3E7A1D, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

HWND mainWindow = nullptr;

RECT ClientRect() {
    RECT client{};
    GetClientRect(mainWindow, &client);
    return client;
}

// Where the control sits: the client area less the margin.
RECT ControlRect() {
    RECT rect = ClientRect();
    InflateRect(&rect, -kMargin, -kMargin);
    return rect;
}

// Counts its references and never deletes itself: it lives as long as the program.
class Counted {
public:
    LONG References() const { return references_; }

protected:
    ULONG Add() { return static_cast<ULONG>(++references_); }
    ULONG Drop() { return static_cast<ULONG>(--references_); }

private:
    LONG references_ = 0;
};

// The frame: no menus, no tools, and it keeps the active object it is given.
class Frame final : public IOleInPlaceFrame, public Counted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
            riid == IID_IOleInPlaceFrame) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = mainWindow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        Active = InterfacePtr<IOleInPlaceActiveObject>::Share(object);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    InterfacePtr<IOleInPlaceActiveObject> Active;
};

// The client site and the plain in-place site: no ambient properties, no windowless
// activation, so the control comes up in a window of its own.
class Site final : public IOleClientSite, public IOleInPlaceSite, public Counted {
public:
    explicit Site(Frame& frame) : frame_(frame) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *ppv = static_cast<IOleClientSite*>(this);
        } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
            *ppv = static_cast<IOleInPlaceSite*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = mainWindow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        *frame = &frame_;
        frame_.AddRef();
        *document = nullptr;
        *position = ControlRect();
        *clip = ClientRect();
        info->fMDIApp = FALSE;
        info->hwndFrame = mainWindow;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    Frame& frame_;
};

Frame frame;
Site site(frame);
InterfacePtr<IOleObject> control;
SIZE resizeTo{};

// The control follows the window: new position and clip rectangles on every resize.
void PlaceControl() {
    InterfacePtr<IOleInPlaceObject> inPlace;
    if (!control || FAILED(control.QueryInto(IID_IOleInPlaceObject, inPlace))) return;
    const RECT position = ControlRect();
    const RECT clip = ClientRect();
    inPlace->SetObjectRects(&position, &clip);
}

void PrintReady() {
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client = ClientRect();
    MapWindowPoints(mainWindow, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT placed = ControlRect();
    std::printf("ready client=%ld,%ld,%ld,%ld control=%ld,%ld,%ld,%ld\n", client.left, client.top,
                client.right - client.left, client.bottom - client.top, placed.left, placed.top, placed.right,
                placed.bottom);
    std::fflush(stdout);
}

// Deactivates and closes the control and lets go of it and of what it was given.
void CloseControl() {
    if (!control) return;
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    control.Reset();
    frame.Active.Reset();
}

void ResizeClientTo(SIZE size) {
    RECT outer{0, 0, size.cx, size.cy};
    AdjustWindowRect(&outer, static_cast<DWORD>(GetWindowLongA(mainWindow, GWL_STYLE)), FALSE);
    SetWindowPos(mainWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT CALLBACK ContainerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            PlaceControl();
            return 0;
        case WM_TIMER:
            KillTimer(window, wParam);
            if (wParam == kResizeTimer) {
                ResizeClientTo(resizeTo);
                PrintReady();
            } else if (wParam == kCloseTimer) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_CLOSE:
            CloseControl();
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

std::wstring LibraryPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L"\\/") + 1) + L"tarvik.DLL";
}

HWND MakeMainWindow() {
    WNDCLASSEXA description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = ContainerProcedure;
    description.hInstance = GetModuleHandleA(nullptr);
    description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    description.hbrBackground = CreateSolidBrush(kBackground);
    description.lpszClassName = "TarvikContainer";
    RegisterClassExA(&description);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT outer{0, 0, 400, 300};
    AdjustWindowRect(&outer, style, FALSE);
    return CreateWindowExA(0, "TarvikContainer", "tarvik container", style, 40, 40, outer.right - outer.left,
                           outer.bottom - outer.top, nullptr, nullptr, description.hInstance, nullptr);
}

// Makes the control through the library's own class object.
HRESULT MakeControl(HMODULE library) {
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (getClassObject == nullptr) return E_FAIL;
    InterfacePtr<IClassFactory> factory;
    HRESULT result = getClassObject(kLumexClsid, IID_IClassFactory, factory.ReceiveVoid());
    if (FAILED(result)) return result;
    result = factory->CreateInstance(nullptr, IID_IOleObject, control.ReceiveVoid());
    if (FAILED(result)) return result;
    InterfacePtr<IPersistStreamInit> persistence;
    if (SUCCEEDED(control.QueryInto(IID_IPersistStreamInit, persistence))) persistence->InitNew();
    return control->SetClientSite(&site);
}

void ReadOptions(int argc, char** argv, DWORD& closeAfter) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--resize") == 0) {
            std::sscanf(argv[i + 1], "%ldx%ld", &resizeTo.cx, &resizeTo.cy);
        } else if (std::strcmp(argv[i], "--close-after") == 0) {
            closeAfter = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    DWORD closeAfter = 0;
    ReadOptions(argc, argv, closeAfter);
    if (FAILED(OleInitialize(nullptr))) return 2;
    const HMODULE library = LoadLibraryW(LibraryPath().c_str());
    mainWindow = library != nullptr ? MakeMainWindow() : nullptr;
    HRESULT result = mainWindow != nullptr ? MakeControl(library) : E_FAIL;
    if (SUCCEEDED(result)) {
        ShowWindow(mainWindow, SW_SHOW);
        UpdateWindow(mainWindow);
        const RECT position = ControlRect();
        result = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, mainWindow, &position);
    }
    if (FAILED(result)) {
        std::printf("cannot show the control: 0x%08lX\n", static_cast<unsigned long>(result));
        CloseControl();
        if (mainWindow != nullptr) DestroyWindow(mainWindow);
        OleUninitialize();
        return 1;
    }
    if (resizeTo.cx > 0 && resizeTo.cy > 0) {
        SetTimer(mainWindow, kResizeTimer, 300, nullptr);
    } else {
        PrintReady();
    }
    if (closeAfter != 0) SetTimer(mainWindow, kCloseTimer, closeAfter, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Keys go to the active control first, as in any container.
        if (frame.Active && frame.Active->TranslateAccelerator(&message) == S_OK) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CloseControl();

    using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();
    const auto canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
    const bool clean = site.References() == 0 && frame.References() == 0 && canUnloadNow() == S_OK;
    FreeLibrary(library);
    OleUninitialize();
    std::printf(clean ? "closed cleanly\n" : "references left behind\n");
    return clean ? 0 : 1;
}
