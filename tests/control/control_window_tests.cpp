// The control window in a real parent window: its class and style, its binding to the
// object from the first message on, painting, focus, mouse activation, reflected
// notifications, its end, and the entry stub every message passes through.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstring>

#include "container_fixture.h"
#include "common/dib_canvas.h"

namespace {

// A 200 x 100 canvas filled with grey.
class Canvas : public DibCanvas {
public:
    static constexpr DWORD kGrey = 0x808080;
    Canvas() : DibCanvas(200, 100, kGrey) {}

    // The control's picture on bounds: a black frame, white inside, the caption's black
    // strokes around the centre, grey outside.
    void ExpectControlOn(const RECT& b) const {
        EXPECT_EQ(At(b.left, b.top), kBlack);
        EXPECT_EQ(At(b.right - 1, b.bottom - 1), kBlack);
        EXPECT_EQ(At(b.left + 2, b.top + 2), kWhite);
        EXPECT_EQ(At(b.right, b.bottom), kGrey);
        const int x = (b.left + b.right) / 2;
        const int y = (b.top + b.bottom) / 2;
        EXPECT_GT(CountBlack(x - 30, y - 14, x + 30, y + 4), 20) << "the caption";
    }
};

bool HasUpdateRegion(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

using ControlWindow = ContainerFixture;

TEST_F(ControlWindow, TwoControlsShareOneClassNamedAfterTheLibrary) {
    ActivateWindowedInPlace();
    const HWND first = ControlWindowHandle();
    RecordingSite secondSite(log);
    secondSite.Options().Level = InPlaceLevel::Ex;
    secondSite.Options().Parent = container.Handle();
    secondSite.Options().Position = RECT{200, 20, 300, 70};
    auto second = MakeSitedControl(secondSite);
    RECT unused{};
    ASSERT_EQ(second->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &secondSite, 0, container.Handle(), &unused), S_OK);
    InterfacePtr<IOleWindow> secondWindow;
    second.QueryInto(IID_IOleWindow, secondWindow);
    HWND other = nullptr;
    ASSERT_EQ(secondWindow->GetWindow(&other), S_OK);
    ASSERT_NE(other, first);

    const std::string name = ClassNameOf(first);
    EXPECT_EQ(ClassNameOf(other), name);
    ASSERT_EQ(name.size(), 12u) << name;
    EXPECT_EQ(name.substr(0, 4), "TVK:");
    EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 4), std::string::npos) << name;
    for (HWND window : {first, other}) {
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x56000000u);
        EXPECT_EQ(GetParent(window), container.Handle());
        WNDCLASSEXA description{};
        description.cbSize = sizeof description;
        ASSERT_TRUE(GetClassInfoExA(server.Module(), name.c_str(), &description));
        EXPECT_EQ(description.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
        EXPECT_EQ(description.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    DropControl(second);
    EXPECT_EQ(secondSite.References(), 0);
}

// What a hook saw of the control's window while CreateWindowExA was still running.
struct CreationWatch {
    IOleWindow* Control = nullptr;
    HWND Window = nullptr;
    UINT FirstMessage = 0;
    bool BoundAtFirstMessage = false;
    bool HandleKnownAtCreate = false;
    bool CreateWindowReturned = false;
};
CreationWatch* watch = nullptr;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && watch != nullptr && !watch->CreateWindowReturned &&
        ClassNameOf(sent->hwnd).compare(0, 4, "TVK:") == 0) {
        HWND known = nullptr;
        watch->Control->GetWindow(&known);
        if (watch->Window == nullptr) {
            watch->Window = sent->hwnd;
            watch->FirstMessage = sent->message;
            // Bound: the window's procedure is no longer the class's, and the object
            // knows its window.
            watch->BoundAtFirstMessage =
                static_cast<ULONG_PTR>(GetWindowLongPtrA(sent->hwnd, GWLP_WNDPROC)) !=
                    GetClassLongPtrA(sent->hwnd, GCLP_WNDPROC) &&
                known == sent->hwnd;
        }
        if (sent->message == WM_CREATE) watch->HandleKnownAtCreate = known == sent->hwnd;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ControlWindow, TheFirstMessageBindsTheWindowBeforeCreationReturns) {
    UseLevel(InPlaceLevel::Ex);
    InterfacePtr<IOleWindow> control;
    object.QueryInto(IID_IOleWindow, control);
    CreationWatch seen;
    seen.Control = control.Get();
    watch = &seen;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    UnhookWindowsHookEx(hook);
    watch = nullptr;
    ASSERT_EQ(seen.Window, ControlWindowHandle());
    EXPECT_EQ(seen.FirstMessage, static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(seen.BoundAtFirstMessage);
    EXPECT_TRUE(seen.HandleKnownAtCreate);
}

TEST_F(ControlWindow, PaintsIntoAGivenDCOrBetweenBeginAndEndPaint) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    InvalidateRect(window, nullptr, TRUE);
    ASSERT_TRUE(HasUpdateRegion(window));

    Canvas canvas;
    EXPECT_EQ(SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0), 0);
    canvas.ExpectControlOn(RECT{0, 0, 100, 50});
    EXPECT_TRUE(HasUpdateRegion(window)) << "a given DC paints without BeginPaint";

    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_FALSE(HasUpdateRegion(window)) << "BeginPaint and EndPaint validated the window";
    EXPECT_EQ(log.Format(), "");
}

TEST_F(ControlWindow, AWindowlessControlPaintsOnlyIntoAGivenDCAtItsPosition) {
    UseLevel(InPlaceLevel::Windowless, true);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    LRESULT result = 77;
    EXPECT_EQ(InPlace()->OnWindowMessage(WM_PAINT, 0, 0, &result), S_FALSE);
    Canvas canvas;
    EXPECT_EQ(canvas.At(10, 20), Canvas::kGrey);
    EXPECT_EQ(InPlace()->OnWindowMessage(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0, &result), S_OK);
    EXPECT_EQ(result, 0);
    canvas.ExpectControlOn(site.Options().Position);
}

TEST_F(ControlWindow, FocusUIActivatesAndTellsTheControlSite) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    SetFocus(container.Handle());
    log.Clear();
    SetFocus(window);
    EXPECT_TRUE(log.Contains("Site.OnUIActivate"));
    EXPECT_EQ(log.Entries().back(), "Site.OnFocus(1)");
    EXPECT_EQ(site.FocusNotices(TRUE), 1);
    // The message itself is answered by the default procedure.
    EXPECT_EQ(SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(container.Handle()), 0),
              DefWindowProcA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(container.Handle()), 0));
    EXPECT_EQ(site.FocusNotices(TRUE), 2);

    // The focus moving into a window inside the control stays with the control.
    ASSERT_EQ(GetFocus(), window);
    const HWND inner = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window, nullptr,
                                       nullptr, nullptr);
    SetFocus(inner);
    EXPECT_EQ(site.FocusNotices(FALSE), 0);
    SetFocus(window);
    SetFocus(container.Handle());
    EXPECT_EQ(site.FocusNotices(FALSE), 1);
    DestroyWindow(inner);

    // Not in place: no notices at all.
    SetFocus(window);
    ASSERT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.FocusNotices(TRUE), 4);
    EXPECT_EQ(site.FocusNotices(FALSE), 1);
}

TEST_F(ControlWindow, AClickActivatesOnlyInRunMode) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    const WPARAM top = reinterpret_cast<WPARAM>(container.Handle());
    site.SetUserMode(false);
    EXPECT_EQ(SendMessageA(window, WM_MOUSEACTIVATE, top, click), MA_ACTIVATE);
    EXPECT_FALSE(log.Contains("Site.OnUIActivate"));
    site.SetUserMode(true);
    EXPECT_EQ(SendMessageA(window, WM_MOUSEACTIVATE, top, click), MA_ACTIVATE);
    EXPECT_TRUE(log.Contains("Site.OnUIActivate"));

    // A container without ambient properties counts as running.
    ASSERT_EQ(InPlace()->UIDeactivate(), S_OK);
    site.Options().OffersDispatch = false;
    object->SetClientSite(&site);
    log.Clear();
    SendMessageA(window, WM_MOUSEACTIVATE, top, click);
    EXPECT_TRUE(log.Contains("Site.OnUIActivate"));
}

TEST_F(ControlWindow, ReflectedNotificationsAreAnsweredAsTheirMessages) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    HDC dc = GetDC(window);
    const auto brush = DefWindowProcA(window, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(window));
    ASSERT_NE(brush, 0);
    EXPECT_EQ(SendMessageA(window, OCM__BASE + WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(window)),
              brush);
    // Unknown to the table: the default procedure gets the reflected number itself.
    EXPECT_EQ(SendMessageA(window, OCM__BASE + WM_CTLCOLORBTN - 0x100, reinterpret_cast<WPARAM>(dc), 0), 0);
    EXPECT_EQ(SendMessageA(window, OCM__BASE + WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0), 0);
    ReleaseDC(window, dc);

    // The same table for a windowless control, which tells handled from not handled.
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    UseLevel(InPlaceLevel::Windowless, true);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    LRESULT result = 77;
    EXPECT_EQ(InPlace()->OnWindowMessage(OCM__BASE + WM_COMMAND, 1, 0, &result), S_OK);
    EXPECT_EQ(result, 0);
    result = 77;
    EXPECT_EQ(InPlace()->OnWindowMessage(OCM__BASE + WM_KEYDOWN, 'A', 0, &result), S_FALSE);
    EXPECT_EQ(result, 77) << "nothing ran, nothing written";
    EXPECT_EQ(InPlace()->OnWindowMessage(WM_KEYDOWN, 'A', 0, &result), S_FALSE);
    EXPECT_EQ(InPlace()->OnWindowMessage(OCM__BASE + WM_COMMAND, 1, 0, nullptr), S_OK);
    // The focus handler runs and leaves the message to the container.
    log.Clear();
    EXPECT_EQ(InPlace()->OnWindowMessage(WM_SETFOCUS, 0, 0, &result), S_FALSE);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(log.Contains("Site.SetFocus(1)"));
    EXPECT_EQ(log.Entries().back(), "Site.OnFocus(1)");
}

TEST_F(ControlWindow, AWindowDestroyedFromOutsideIsForgotten) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    const std::string name = ClassNameOf(window);
    DestroyWindow(window);
    HWND none = nullptr;
    EXPECT_EQ(InPlace()->GetWindow(&none), E_UNEXPECTED);
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(log.Contains("Site.OnShowWindow(0)"));
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    ASSERT_NE(ControlWindowHandle(), nullptr);
    EXPECT_EQ(ClassNameOf(ControlWindowHandle()), name);
}

TEST_F(ControlWindow, WindowsOfTheClassThatNoControlMadeBelongToNobody) {
    ActivateWindowedInPlace();
    const std::string name = ClassNameOf(ControlWindowHandle());
    // A control whose window cannot be made: the parent is no window.
    RecordingSite lostSite(log);
    lostSite.Options().Level = InPlaceLevel::Ex;
    lostSite.Options().Parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF1234));
    auto lost = MakeSitedControl(lostSite);
    RECT unused{};
    EXPECT_EQ(lost->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &lostSite, 0, nullptr, &unused), S_OK);
    InterfacePtr<IOleWindow> lostWindow;
    lost.QueryInto(IID_IOleWindow, lostWindow);
    HWND none = nullptr;
    EXPECT_EQ(lostWindow->GetWindow(&none), E_UNEXPECTED);
    lostWindow.Reset();
    DropControl(lost);
    EXPECT_EQ(lostSite.References(), 0);

    // Its creation record went with the failure: a stranger's window of the class finds
    // none, and answers as the default procedure.
    const HWND stranger = CreateWindowExA(0, name.c_str(), "stranger", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                          container.Handle(), nullptr, server.Module(), nullptr);
    ASSERT_NE(stranger, nullptr);
    char text[16] = {};
    EXPECT_EQ(SendMessageA(stranger, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 8);
    EXPECT_STREQ(text, "stranger");
    UpdateWindow(stranger);
    DestroyWindow(stranger);
    EXPECT_NE(ControlWindowHandle(), nullptr) << "the control's own window is untouched";
}

TEST_F(ControlWindow, EveryMessageEntersThroughTheObjectsExecutableStub) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    const auto* stub = reinterpret_cast<const BYTE*>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    ASSERT_NE(stub, nullptr);
    // The object's window part is also the child id.
    const auto objectAddress = static_cast<UINT_PTR>(GetWindowLongPtrA(window, GWLP_ID));
    ASSERT_NE(objectAddress, 0u);
    UINT_PTR operand = 0;
    UINT_PTR target = 0;
#if defined(__i386__)
    const BYTE store[] = {0xC7, 0x44, 0x24, 0x04};  // mov dword [esp+4], imm32
    EXPECT_EQ(std::memcmp(stub, store, sizeof store), 0);
    std::memcpy(&operand, stub + 4, 4);
    EXPECT_EQ(stub[8], 0xE9);  // jmp rel32
    INT32 displacement = 0;
    std::memcpy(&displacement, stub + 9, 4);
    target = reinterpret_cast<UINT_PTR>(stub) + 13 + displacement;
#else
    EXPECT_EQ(stub[0], 0x48);
    EXPECT_EQ(stub[1], 0xB9);  // mov rcx, imm64
    std::memcpy(&operand, stub + 2, 8);
    EXPECT_EQ(stub[10], 0x48);
    EXPECT_EQ(stub[11], 0xB8);  // mov rax, imm64
    std::memcpy(&target, stub + 12, 8);
    EXPECT_EQ(stub[20], 0xFF);
    EXPECT_EQ(stub[21], 0xE0);  // jmp rax
#endif
    EXPECT_EQ(operand, objectAddress);
    // The jump lands in the library's code.
    const auto base = reinterpret_cast<const BYTE*>(server.Module());
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_GE(target, reinterpret_cast<UINT_PTR>(base) + headers->OptionalHeader.BaseOfCode);
    EXPECT_LT(target, reinterpret_cast<UINT_PTR>(base) + headers->OptionalHeader.SizeOfImage);
    // The stub's memory is executable and the object's own, not the heap's.
    MEMORY_BASIC_INFORMATION memory{};
    ASSERT_NE(VirtualQuery(stub, &memory, sizeof memory), 0u);
    EXPECT_EQ(memory.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(memory.Type, static_cast<DWORD>(MEM_PRIVATE));
    EXPECT_NE(memory.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE), 0u);
    EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, stub));

    // Messages go through it for real: a call of the stub as a window procedure answers.
    char text[8] = {};
    EXPECT_EQ(CallWindowProcA(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), window,
                              WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)),
              0);
    // The memory goes back with the object.
    DropControl(object);
    ASSERT_NE(VirtualQuery(stub, &memory, sizeof memory), 0u);
    EXPECT_EQ(memory.State, static_cast<DWORD>(MEM_FREE));
}

}  // namespace
