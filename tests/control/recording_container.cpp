#include "recording_container.h"

#include <olectl.h>

#include <sstream>

namespace {

std::string Describe(const RECT* rect) {
    if (rect == nullptr) return "null";
    std::ostringstream text;
    text << rect->left << "," << rect->top << "," << rect->right << "," << rect->bottom;
    return text.str();
}

// Hands out this interface of an object that counts its own references.
template <class Interface, class Object>
HRESULT HandOut(Object* object, void** ppv) {
    *ppv = static_cast<Interface*>(object);
    object->AddRef();
    return S_OK;
}

}  // namespace

std::vector<std::string> CallLog::Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& entry : entries_) {
        if (entry.compare(0, prefix.size(), prefix) == 0) out.push_back(entry);
    }
    return out;
}

bool CallLog::Contains(const std::string& entry) const {
    for (const std::string& e : entries_) {
        if (e == entry) return true;
    }
    return false;
}

std::string CallLog::Format() const {
    std::string text;
    for (const std::string& entry : entries_) text += "  " + entry + "\n";
    return text;
}

// RecordingUIWindow

HRESULT STDMETHODCALLTYPE RecordingUIWindow::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
        return HandOut<IOleInPlaceFrame>(this, ppv);
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::GetWindow(HWND* phwnd) {
    Record("GetWindow");
    *phwnd = nullptr;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::GetBorder(LPRECT) {
    Record("GetBorder");
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::RequestBorderSpace(LPCBORDERWIDTHS) {
    Record("RequestBorderSpace");
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::SetBorderSpace(LPCBORDERWIDTHS widths) {
    Record(std::string("SetBorderSpace(") + (widths == nullptr ? "null" : Describe(widths)) + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) {
    Record(std::string("SetActiveObject(") + (object == nullptr ? "null" : "object") + "," +
           (name == nullptr ? "null" : "name") + ")");
    if (object != nullptr) object->AddRef();
    ForgetActiveObject();
    active_ = object;
    return S_OK;
}

void RecordingUIWindow::ForgetActiveObject() {
    if (active_ != nullptr) active_->Release();
    active_ = nullptr;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    Record("InsertMenus");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::SetMenu(HMENU, HOLEMENU, HWND) {
    Record("SetMenu");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::RemoveMenus(HMENU) {
    Record("RemoveMenus");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::SetStatusText(LPCOLESTR) {
    Record("SetStatusText");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::EnableModeless(BOOL) {
    Record("EnableModeless");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingUIWindow::TranslateAccelerator(LPMSG, WORD) {
    Record("TranslateAccelerator");
    return S_FALSE;
}

// RecordingSite

void RecordingSite::SetUserMode(bool runMode) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = runMode ? VARIANT_TRUE : VARIANT_FALSE;
    SetAmbient(DISPID_AMBIENT_USERMODE, value);
}

HRESULT STDMETHODCALLTYPE RecordingSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
        return HandOut<IOleClientSite>(this, ppv);
    }
    if (IsEqualIID(riid, IID_IDispatch)) {
        Record("QueryInterface(IDispatch)");
        return options_.OffersDispatch ? HandOut<IDispatch>(this, ppv) : E_NOINTERFACE;
    }
    if (IsEqualIID(riid, IID_IOleControlSite)) {
        Record("QueryInterface(IOleControlSite)");
        return options_.OffersControlSite ? HandOut<IOleControlSite>(this, ppv) : E_NOINTERFACE;
    }
    const InPlaceLevel level = options_.Level;
    if (IsEqualIID(riid, IID_IOleInPlaceSiteWindowless)) {
        Record("QueryInterface(IOleInPlaceSiteWindowless)");
        return level == InPlaceLevel::Windowless ? HandOut<IOleInPlaceSiteWindowless>(this, ppv) : E_NOINTERFACE;
    }
    if (IsEqualIID(riid, IID_IOleInPlaceSiteEx)) {
        Record("QueryInterface(IOleInPlaceSiteEx)");
        return level == InPlaceLevel::Windowless || level == InPlaceLevel::Ex
                   ? HandOut<IOleInPlaceSiteWindowless>(this, ppv)
                   : E_NOINTERFACE;
    }
    if (IsEqualIID(riid, IID_IOleInPlaceSite)) {
        Record("QueryInterface(IOleInPlaceSite)");
        return level != InPlaceLevel::None ? HandOut<IOleInPlaceSiteWindowless>(this, ppv) : E_NOINTERFACE;
    }
    if (IsEqualIID(riid, IID_IOleWindow)) {
        return level != InPlaceLevel::None ? HandOut<IOleInPlaceSiteWindowless>(this, ppv) : E_NOINTERFACE;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingSite::SaveObject() {
    Record("SaveObject");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    Record("GetMoniker");
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetContainer(IOleContainer** container) {
    Record("GetContainer");
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingSite::ShowObject() {
    Record("ShowObject");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnShowWindow(BOOL show) {
    Record(std::string("OnShowWindow(") + (show ? "1" : "0") + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::RequestNewObjectLayout() {
    Record("RequestNewObjectLayout");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                                VARIANT* result, EXCEPINFO*, UINT*) {
    std::ostringstream entry;
    entry << "Ambient(" << id << ",flags " << flags << ",lcid 0x" << std::hex << lcid << std::dec << ",args "
          << (params == nullptr ? -1 : static_cast<int>(params->cArgs)) << ")";
    Record(entry.str());
    const auto found = ambients_.find(id);
    if (found == ambients_.end()) return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr) return E_POINTER;
    return VariantCopy(result, &found->second);
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnControlInfoChanged() {
    Record("OnControlInfoChanged");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::LockInPlaceActive(BOOL) {
    Record("LockInPlaceActive");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetExtendedControl(IDispatch** control) {
    Record("GetExtendedControl");
    *control = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::TransformCoords(POINTL*, POINTF*, DWORD) {
    Record("TransformCoords");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::TranslateAccelerator(MSG*, DWORD modifiers) {
    Record("TranslateAccelerator(" + std::to_string(modifiers) + ")");
    lastModifiers_ = modifiers;
    return options_.TranslateAcceleratorResult;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnFocus(BOOL gotFocus) {
    Record(std::string("OnFocus(") + (gotFocus ? "1" : "0") + ")");
    ++(gotFocus ? focusIn_ : focusOut_);
    if (!gotFocus && options_.WhenFocusLost) options_.WhenFocusLost();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::ShowPropertyFrame() {
    Record("ShowPropertyFrame");
    return options_.ShowPropertyFrameResult;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetWindow(HWND* phwnd) {
    Record("GetWindow");
    *phwnd = options_.GetWindowResult == S_OK ? options_.Parent : nullptr;
    return options_.GetWindowResult;
}

HRESULT STDMETHODCALLTYPE RecordingSite::ContextSensitiveHelp(BOOL) {
    Record("ContextSensitiveHelp");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::CanInPlaceActivate() {
    Record("CanInPlaceActivate");
    return options_.CanInPlaceActivateResult;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnInPlaceActivate() {
    Record("OnInPlaceActivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnUIActivate() {
    Record("OnUIActivate");
    return options_.OnUIActivateResult;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                          LPRECT position, LPRECT clip,
                                                          LPOLEINPLACEFRAMEINFO info) {
    Record("GetWindowContext(info size " + std::to_string(info == nullptr ? 0 : info->cb) + ")");
    *frame = nullptr;
    *document = nullptr;
    if (options_.GetWindowContextResult != S_OK) {
        // A failing container need not leave the rectangles alone.
        *position = RECT{-7777, -7777, 7777, 7777};
        *clip = RECT{-7777, -7777, 7777, 7777};
        return options_.GetWindowContextResult;
    }
    if (options_.Frame != nullptr) {
        *frame = options_.Frame;
        options_.Frame->AddRef();
    }
    if (options_.Document != nullptr) {
        *document = options_.Document;
        options_.Document->AddRef();
    }
    *position = options_.Position;
    *clip = options_.Clip;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::Scroll(SIZE) {
    Record("Scroll");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnUIDeactivate(BOOL undoable) {
    Record(std::string("OnUIDeactivate(") + (undoable ? "1" : "0") + ")");
    if (options_.WhenUIDeactivated) options_.WhenUIDeactivated();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnInPlaceDeactivate() {
    Record("OnInPlaceDeactivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::DiscardUndoState() {
    Record("DiscardUndoState");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::DeactivateAndUndo() {
    Record("DeactivateAndUndo");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnPosRectChange(LPCRECT rect) {
    Record("OnPosRectChange(" + Describe(rect) + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
    Record("OnInPlaceActivateEx(" + std::to_string(flags) + ")");
    if (noRedraw != nullptr) *noRedraw = FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnInPlaceDeactivateEx(BOOL) {
    Record("OnInPlaceDeactivateEx");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::RequestUIActivate() {
    Record("RequestUIActivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::CanWindowlessActivate() {
    Record("CanWindowlessActivate");
    return options_.AcceptsWindowless ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetCapture() {
    Record("GetCapture");
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE RecordingSite::SetCapture(BOOL) {
    Record("SetCapture");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetFocus() {
    Record("GetFocus");
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE RecordingSite::SetFocus(BOOL focus) {
    Record(std::string("SetFocus(") + (focus ? "1" : "0") + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::GetDC(LPCRECT, DWORD, HDC* dc) {
    Record("GetDC");
    *dc = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::ReleaseDC(HDC) {
    Record("ReleaseDC");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::InvalidateRect(LPCRECT rect, BOOL erase) {
    Record("InvalidateRect(" + Describe(rect) + "," + (erase ? "1" : "0") + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::InvalidateRgn(HRGN, BOOL) {
    Record("InvalidateRgn");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::ScrollRect(INT, INT, LPCRECT, LPCRECT) {
    Record("ScrollRect");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSite::AdjustRect(LPRECT) {
    Record("AdjustRect");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    Record("OnDefWindowMessage");
    if (result != nullptr) *result = 0;
    return S_FALSE;
}

// RecordingSink

HRESULT STDMETHODCALLTYPE RecordingSink::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAdviseSink) || IsEqualIID(riid, IID_IAdviseSinkEx)) {
        return HandOut<IAdviseSinkEx>(this, ppv);
    }
    return E_NOINTERFACE;
}

void STDMETHODCALLTYPE RecordingSink::OnDataChange(FORMATETC*, STGMEDIUM*) { log_.Add("Sink.OnDataChange"); }

void STDMETHODCALLTYPE RecordingSink::OnViewChange(DWORD aspect, LONG index) {
    log_.Add("Sink.OnViewChange(" + std::to_string(aspect) + "," + std::to_string(index) + ")");
}

void STDMETHODCALLTYPE RecordingSink::OnRename(IMoniker*) { log_.Add("Sink.OnRename"); }
void STDMETHODCALLTYPE RecordingSink::OnSave() { log_.Add("Sink.OnSave"); }
void STDMETHODCALLTYPE RecordingSink::OnClose() { log_.Add("Sink.OnClose"); }
void STDMETHODCALLTYPE RecordingSink::OnViewStatusChange(DWORD status) {
    log_.Add("Sink.OnViewStatusChange(" + std::to_string(status) + ")");
}

// ContainerWindow

ContainerWindow::ContainerWindow(int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = GetModuleHandleW(nullptr);
        description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        description.lpszClassName = L"TarvikTestContainer";
        return RegisterClassExW(&description);
    }();
    window_ = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"container",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
}

ContainerWindow::~ContainerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}
