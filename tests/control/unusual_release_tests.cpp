// The control's life when its container lets go in unusual places: from inside a focus
// notice, on a thread that does not own the window, and without closing it first.  Run
// once more under heap poisoning (see CMakeLists.txt), where freed memory faults when used.
#include <gtest/gtest.h>

#include "container_fixture.h"
#include "common/outer_object.h"
#include "support/unique_handle.h"

namespace {

using UnusualRelease = ContainerFixture;

TEST_F(UnusualRelease, AContainerMayCloseAndReleaseTheControlFromItsFocusNotice) {
    ActivateWindowedInPlace();
    ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    ASSERT_EQ(GetFocus(), ControlWindowHandle());
    site.Options().WhenFocusLost = [this] { DropControl(object); };
    SetFocus(container.Handle());
    EXPECT_FALSE(object);
    EXPECT_EQ(site.FocusNotices(FALSE), 1);
    EXPECT_EQ(ControlWindowHandle(), nullptr);
}

DWORD WINAPI ReleaseHere(void* object) {
    static_cast<IUnknown*>(object)->Release();
    return 0;
}

TEST_F(UnusualRelease, AWindowLeftBehindByAReleaseOnAnotherThreadGetsTheDefaultProcedure) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    const LONG_PTR stub = GetWindowLongPtrA(window, GWLP_WNDPROC);
    UniqueHandle thread(CreateThread(nullptr, 0, ReleaseHere, object.Detach(), 0, nullptr));
    ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
    // That thread could not destroy the window; its messages no longer reach the object.
    ASSERT_TRUE(IsWindow(window));
    EXPECT_NE(GetWindowLongPtrA(window, GWLP_WNDPROC), stub);
    EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("left")));
    char text[8] = {};
    EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 4);
    DestroyWindow(window);
}

TEST_F(UnusualRelease, AFocusedAggregateDestroyedWithoutCloseTellsNoOneAnything) {
    OuterObject outer;
    ASSERT_EQ(server.Factory()->CreateInstance(&outer, IID_IUnknown, outer.Inner.ReceiveVoid()), S_OK);
    InterfacePtr<IOleObject> control;
    ASSERT_EQ(outer.QueryInterface(IID_IOleObject, control.ReceiveVoid()), S_OK);
    control->SetClientSite(&site);
    UseLevel(InPlaceLevel::Ex);
    RECT unused{};
    ASSERT_EQ(control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, container.Handle(), &unused), S_OK);
    ASSERT_EQ(GetFocus(), ControlWindowHandle());
    control.Reset();
    frame.ForgetActiveObject();
    document.ForgetActiveObject();
    log.Clear();
    outer.Destroy();
    EXPECT_EQ(outer.CallsWhileDying, 0);
    EXPECT_EQ(log.Format(), "");
    EXPECT_EQ(ControlWindowHandle(), nullptr);
}

}  // namespace
