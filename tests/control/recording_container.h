// A container written for the tests: a client site (with ambient properties, a control
// site and in-place sites at each level), a frame, a document window and advise sinks.
// Every call the control makes on them is written to one log, in order, since the order
// of a container's calls is the control's contract.  The objects count their own
// references and never delete themselves: a test ends by checking that each is back at 0.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// The calls received, as "Who.Method(arguments)".
class CallLog {
public:
    void Add(const std::string& entry) { entries_.push_back(entry); }
    const std::vector<std::string>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    // The entries that start with a prefix ("Site." ...), in order.
    std::vector<std::string> Only(const std::string& prefix) const;
    bool Contains(const std::string& entry) const;
    // Every entry, one per line, for failure messages.
    std::string Format() const;

private:
    std::vector<std::string> entries_;
};

// The reference count of an object that a test owns.
class CountedObject {
public:
    LONG References() const { return references_; }

protected:
    ULONG AddReference() { return static_cast<ULONG>(++references_); }
    ULONG DropReference() { return static_cast<ULONG>(--references_); }

private:
    LONG references_ = 0;
};

// The in-place site a client site offers when asked.
enum class InPlaceLevel { None, Plain, Ex, Windowless };

class RecordingUIWindow;

struct SiteOptions {
    InPlaceLevel Level = InPlaceLevel::Windowless;
    bool AcceptsWindowless = false;   // CanWindowlessActivate answers S_OK, else S_FALSE
    bool OffersDispatch = true;       // the client site answers IDispatch
    bool OffersControlSite = true;    // the client site answers IOleControlSite
    HRESULT CanInPlaceActivateResult = S_OK;
    HRESULT OnUIActivateResult = S_OK;
    HRESULT GetWindowResult = S_OK;
    HRESULT GetWindowContextResult = S_OK;
    HRESULT ShowPropertyFrameResult = E_NOTIMPL;
    HRESULT TranslateAcceleratorResult = S_FALSE;
    HWND Parent = nullptr;            // what GetWindow hands out
    RECT Position{10, 20, 110, 70};   // GetWindowContext's rectangles
    RECT Clip{0, 0, 400, 300};
    RecordingUIWindow* Frame = nullptr;     // handed out by GetWindowContext when set
    RecordingUIWindow* Document = nullptr;
    // A container that acts from inside a notice: run after OnFocus(FALSE) and
    // OnUIDeactivate are logged.
    std::function<void()> WhenFocusLost;
    std::function<void()> WhenUIDeactivated;
};

// The container's frame or document window: one class, named in the log by its role.
class RecordingUIWindow final : public IOleInPlaceFrame, public CountedObject {
public:
    RecordingUIWindow(CallLog& log, const char* role) : log_(log), role_(role) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override;

    // The active object last handed over, kept with a reference as a container would.
    IOleInPlaceActiveObject* ActiveObject() const { return active_; }
    void ForgetActiveObject();

private:
    void Record(const std::string& method) { log_.Add(std::string(role_) + "." + method); }

    CallLog& log_;
    const char* role_;
    IOleInPlaceActiveObject* active_ = nullptr;
};

// The client site and everything it answers: IOleClientSite, the ambient IDispatch,
// IOleControlSite and the in-place site at the level the options give.
class RecordingSite final : public IOleClientSite,
                            public IDispatch,
                            public IOleControlSite,
                            public IOleInPlaceSiteWindowless,
                            public CountedObject {
public:
    RecordingSite(CallLog& log, SiteOptions options = SiteOptions()) : log_(log), options_(options) {}

    SiteOptions& Options() { return options_; }
    // Ambient properties by DISPID; one that is absent answers DISP_E_MEMBERNOTFOUND.
    void SetAmbient(DISPID id, const VARIANT& value) { ambients_[id] = value; }
    void SetUserMode(bool runMode);
    // The modifier word of the last control-site TranslateAccelerator.
    DWORD LastModifiers() const { return lastModifiers_; }
    // How many OnFocus(TRUE) or OnFocus(FALSE) notices arrived.
    int FocusNotices(BOOL gotFocus) const { return gotFocus ? focusIn_ : focusOut_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;
    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override;
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch**) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message, DWORD modifiers) override;
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override;
    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override;
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override;
    // IOleInPlaceSiteWindowless
    HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override;
    HRESULT STDMETHODCALLTYPE GetCapture() override;
    HRESULT STDMETHODCALLTYPE SetCapture(BOOL) override;
    HRESULT STDMETHODCALLTYPE GetFocus() override;
    HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) override;
    HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC*) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override;
    HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) override;
    HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override;
    HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override;
    HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override;

private:
    void Record(const std::string& entry) { log_.Add("Site." + entry); }

    CallLog& log_;
    SiteOptions options_;
    std::map<DISPID, VARIANT> ambients_;
    DWORD lastModifiers_ = 0;
    int focusIn_ = 0;
    int focusOut_ = 0;
};

// An advise sink for the view, the OLE object and the data; logged as "Sink.".
class RecordingSink final : public IAdviseSinkEx, public CountedObject {
public:
    explicit RecordingSink(CallLog& log) : log_(log) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override;
    void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG index) override;
    void STDMETHODCALLTYPE OnRename(IMoniker*) override;
    void STDMETHODCALLTYPE OnSave() override;
    void STDMETHODCALLTYPE OnClose() override;
    void STDMETHODCALLTYPE OnViewStatusChange(DWORD status) override;

private:
    CallLog& log_;
};

// A top-level window of the test's own, to serve as the parent of a windowed control.
class ContainerWindow {
public:
    ContainerWindow(int width = 400, int height = 300);
    ContainerWindow(const ContainerWindow&) = delete;
    ContainerWindow& operator=(const ContainerWindow&) = delete;
    ~ContainerWindow();
    HWND Handle() const { return window_; }

private:
    HWND window_;
};
