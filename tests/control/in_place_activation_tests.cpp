// In-place activation from the container's side: the order of the container calls for
// each state change, the failure answers, the window's place and region, and the keys
// handed on to the control site.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <functional>
#include <string>

#include "container_fixture.h"

namespace {

std::string Context() {
    return "Site.GetWindowContext(info size " + std::to_string(sizeof(OLEINPLACEFRAMEINFO)) + ")";
}

const std::vector<std::string> kUICalls = {
    "Site.OnUIActivate",
    "Frame.SetActiveObject(object,null)",
    "Document.SetActiveObject(object,null)",
    "Frame.SetBorderSpace(null)",
    "Document.SetBorderSpace(null)",
};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The window's region: its type (ERROR when it has none) and its box.
int RegionOf(HWND window, RECT& box) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int type = GetWindowRgn(window, region);
    if (type != ERROR) GetRgnBox(region, &box);
    DeleteObject(region);
    return type;
}

std::string Text(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

#define EXPECT_LOG(...) EXPECT_EQ(log.Format(), Lines(__VA_ARGS__))

using InPlaceActivation = ContainerFixture;

TEST_F(InPlaceActivation, WithoutClientSiteNothingIsCalled) {
    object->SetClientSite(nullptr);
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG({});
    EXPECT_EQ(ControlWindowHandle(), nullptr);
}

TEST_F(InPlaceActivation, EachSiteLevelIsNegotiatedAndNotified) {
    struct Row {
        InPlaceLevel Level;
        bool AcceptsWindowless;
        std::vector<std::string> Negotiation;
        bool Windowed;
    };
    const Row rows[] = {
        {InPlaceLevel::Plain, false,
         {"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.QueryInterface(IOleInPlaceSiteEx)",
          "Site.QueryInterface(IOleInPlaceSite)", "Site.CanInPlaceActivate", "Site.OnInPlaceActivate"},
         true},
        {InPlaceLevel::Ex, false,
         {"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.QueryInterface(IOleInPlaceSiteEx)",
          "Site.OnInPlaceActivateEx(0)"},
         true},
        {InPlaceLevel::Windowless, false,
         {"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.CanWindowlessActivate",
          "Site.OnInPlaceActivateEx(0)"},
         true},
        {InPlaceLevel::Windowless, true,
         {"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.CanWindowlessActivate",
          "Site.OnInPlaceActivateEx(1)"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.Level) * 2 + row.AcceptsWindowless);
        UseLevel(row.Level, row.AcceptsWindowless);
        EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
        // The in-place verb asks the container to redraw: a windowless one through its site.
        auto expected = Join({row.Negotiation, {"Site.GetWindow", Context(), "Site.ShowObject"}});
        if (!row.Windowed) expected.push_back("Site.InvalidateRect(null,1)");
        EXPECT_LOG(expected);
        HWND window = nullptr;
        if (row.Windowed) {
            ASSERT_EQ(InPlace()->GetWindow(&window), S_OK);
            EXPECT_EQ(window, ControlWindowHandle());
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_NE(GetFocus(), window) << "a new window is not given the focus";
        } else {
            EXPECT_EQ(InPlace()->GetWindow(&window), E_FAIL);
            EXPECT_EQ(ActiveObject()->GetWindow(&window), E_FAIL);
            EXPECT_EQ(ControlWindowHandle(), nullptr);
        }
        // Back to passive with no site negotiated, for the next row.
        EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
        EXPECT_EQ(ControlWindowHandle(), nullptr);
        log.Clear();
    }
}

TEST_F(InPlaceActivation, PassiveWithNegotiatedSiteActivatesWithOrWithoutUI) {
    ActivateWindowedInPlace();
    ASSERT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    EXPECT_LOG({"Site.OnInPlaceDeactivate"});
    EXPECT_EQ(ControlWindowHandle(), nullptr);
    log.Clear();

    // The UI verb: the new window gets the focus only in the UI step, whose WM_SETFOCUS
    // tells the control site.
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG(Join({{"Site.OnInPlaceActivateEx(0)", "Site.GetWindow", Context(), "Site.OnUIActivate",
                      "Site.QueryInterface(IOleControlSite)", "Site.OnFocus(1)"},
                     {kUICalls.begin() + 1, kUICalls.end()},
                     {"Site.ShowObject"}}));
    EXPECT_EQ(GetFocus(), ControlWindowHandle());
    EXPECT_NE(frame.ActiveObject(), nullptr);
    EXPECT_NE(document.ActiveObject(), nullptr);

    ASSERT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_SHOW), S_OK);
    EXPECT_LOG({"Site.OnInPlaceActivateEx(0)", "Site.GetWindow", Context(), "Site.ShowObject"});
}

TEST_F(InPlaceActivation, FocusMovedIntoAnExistingWindowUIActivatesWhateverTheVerb) {
    ActivateWindowedInPlace();
    SetFocus(container.Handle());
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_SHOW), S_OK);
    // The nested UI-activate verb runs inside the SetFocus of the activation calls.
    EXPECT_LOG(Join({{"Site.GetWindow", Context(), "Site.GetWindow", Context()},
                     kUICalls,
                     {"Site.ShowObject", "Site.QueryInterface(IOleControlSite)", "Site.OnFocus(1)",
                      "Site.ShowObject"}}));
    EXPECT_EQ(GetFocus(), ControlWindowHandle());
}

TEST_F(InPlaceActivation, FocusAlreadyInTheWindowLeavesUIActivationToTheVerb) {
    ActivateWindowedInPlace();
    ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    ASSERT_EQ(InPlace()->UIDeactivate(), S_OK);
    ASSERT_EQ(GetFocus(), ControlWindowHandle()) << "UI deactivation leaves the focus where it is";
    log.Clear();

    EXPECT_EQ(Activate(OLEIVERB_SHOW), S_OK);
    EXPECT_LOG({"Site.GetWindow", Context(), "Site.ShowObject"});
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG(Join({{"Site.GetWindow", Context()}, kUICalls, {"Site.ShowObject"}}));
}

TEST_F(InPlaceActivation, WindowlessInPlaceTakesTheFocusThroughItsSite) {
    UseLevel(InPlaceLevel::Windowless, true);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_SHOW), S_OK);
    EXPECT_LOG({"Site.GetWindow", Context(), "Site.ShowObject"});
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG(Join({{"Site.GetWindow", Context(), "Site.OnUIActivate", "Site.SetFocus(1)"},
                     {kUICalls.begin() + 1, kUICalls.end()},
                     {"Site.ShowObject"}}));
    log.Clear();
    // UI active: any verb only renews the window context.
    EXPECT_EQ(Activate(OLEIVERB_SHOW), S_OK);
    EXPECT_LOG({"Site.GetWindow", Context(), "Site.ShowObject"});
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG({});
}

TEST_F(InPlaceActivation, UIDeactivationHandsBackInReverseOrderByEveryRoute) {
    ActivateWindowedInPlace();
    const std::vector<std::string> expected = {"Site.GetWindow", Context(), "Document.SetActiveObject(null,null)",
                                               "Frame.SetActiveObject(null,null)", "Site.OnUIDeactivate(0)"};
    // Hiding the focused window moves the focus out of it, which the control site hears.
    const std::vector<std::string> hidden =
        Join({expected, {"Site.QueryInterface(IOleControlSite)", "Site.OnFocus(0)"}});
    struct Route {
        std::function<void()> Run;
        const std::vector<std::string>& Expected;
    };
    const Route routes[] = {
        {[&] { EXPECT_EQ(InPlace()->UIDeactivate(), S_OK); }, expected},
        {[&] { EXPECT_EQ(ActiveObject()->OnDocWindowActivate(FALSE), S_OK); }, expected},
        {[&] { EXPECT_EQ(Activate(OLEIVERB_HIDE), S_OK); }, hidden},
    };
    for (const Route& route : routes) {
        ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
        ASSERT_EQ(ActiveObject()->OnDocWindowActivate(TRUE), S_OK);
        log.Clear();
        route.Run();
        EXPECT_LOG(route.Expected);
        EXPECT_EQ(frame.ActiveObject(), nullptr);
        EXPECT_EQ(document.ActiveObject(), nullptr);
        log.Clear();
        EXPECT_EQ(InPlace()->UIDeactivate(), S_OK);
        EXPECT_LOG({});
    }
    EXPECT_FALSE(IsWindowVisible(ControlWindowHandle())) << "the hide verb hides the window";
}

TEST_F(InPlaceActivation, InPlaceDeactivationEndsUIFirstAndDestroysTheWindowQuietly) {
    ActivateWindowedInPlace();
    ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    const HWND window = ControlWindowHandle();
    ASSERT_EQ(GetFocus(), window);
    log.Clear();
    EXPECT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    // The window loses the focus on its way out, after the control left the in-place
    // state: the control site hears nothing of it.
    EXPECT_EQ(log.Format(), Lines({"Site.GetWindow", Context(), "Document.SetActiveObject(null,null)",
                                   "Frame.SetActiveObject(null,null)", "Site.OnUIDeactivate(0)",
                                   "Site.QueryInterface(IOleControlSite)", "Site.OnInPlaceDeactivate"}));
    EXPECT_FALSE(IsWindow(window));
    HWND none = nullptr;
    EXPECT_EQ(InPlace()->GetWindow(&none), E_UNEXPECTED);
    log.Clear();
    EXPECT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    EXPECT_LOG({});
}

TEST_F(InPlaceActivation, ASiteThatDeactivatesFromItsUIDeactivateNoticeHearsOfItOnce) {
    ActivateWindowedInPlace();
    ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    site.Options().WhenUIDeactivated = [this] { EXPECT_EQ(InPlace()->InPlaceDeactivate(), S_OK); };
    log.Clear();
    EXPECT_EQ(InPlace()->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(log.Only("Site.OnInPlaceDeactivate").size(), 1u) << log.Format();
    EXPECT_EQ(ControlWindowHandle(), nullptr);
}

TEST_F(InPlaceActivation, CloseForgetsTheSiteSoTheNextActivationNegotiatesAgain) {
    ActivateWindowedInPlace();
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_LOG({"Site.OnShowWindow(0)", "Site.OnInPlaceDeactivate"});
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_EQ(log.Entries().front(), "Site.QueryInterface(IOleInPlaceSiteWindowless)");
}

TEST_F(InPlaceActivation, AWindowlessControlNeverTellsAWindowAgain) {
    UseLevel(InPlaceLevel::Windowless, true);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    UseLevel(InPlaceLevel::Windowless, false);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    EXPECT_NE(ControlWindowHandle(), nullptr) << "activated with a window this time";
    HWND window = nullptr;
    EXPECT_EQ(InPlace()->GetWindow(&window), E_FAIL);
    EXPECT_EQ(ActiveObject()->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
}

TEST_F(InPlaceActivation, AContainerWithoutAnyInPlaceSiteIsRefused) {
    UseLevel(InPlaceLevel::None);
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), E_FAIL);
    EXPECT_LOG({"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.QueryInterface(IOleInPlaceSiteEx)",
                "Site.QueryInterface(IOleInPlaceSite)"});
    EXPECT_EQ(ControlWindowHandle(), nullptr);
}

TEST_F(InPlaceActivation, APlainSiteThatMayNotActivateStopsItWithoutAWindow) {
    UseLevel(InPlaceLevel::Plain);
    for (HRESULT answer : {E_ACCESSDENIED, S_FALSE}) {
        site.Options().CanInPlaceActivateResult = answer;
        log.Clear();
        EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), answer == S_FALSE ? E_FAIL : answer);
        EXPECT_EQ(log.Entries().back(), "Site.CanInPlaceActivate");
        EXPECT_EQ(ControlWindowHandle(), nullptr);
        HWND window = nullptr;
        EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
    }
    // The site was kept: the last attempt did not negotiate again.
    EXPECT_LOG({"Site.CanInPlaceActivate"});
}

TEST_F(InPlaceActivation, AFailedUIActivationStaysUIActiveWithoutFocusOrActiveObject) {
    UseLevel(InPlaceLevel::Ex);
    site.Options().OnUIActivateResult = E_ACCESSDENIED;
    SetFocus(container.Handle());
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), E_ACCESSDENIED);
    EXPECT_LOG({"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.QueryInterface(IOleInPlaceSiteEx)",
                "Site.OnInPlaceActivateEx(0)", "Site.GetWindow", Context(), "Site.OnUIActivate"});
    const HWND window = ControlWindowHandle();
    ASSERT_NE(window, nullptr);
    const RECT placed = RectInParent(window);
    EXPECT_TRUE(EqualRect(&placed, &site.Options().Position));
    EXPECT_EQ(GetFocus(), container.Handle());
    EXPECT_EQ(frame.ActiveObject(), nullptr);
    log.Clear();
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG({});
    EXPECT_EQ(InPlace()->UIDeactivate(), S_OK);
    EXPECT_EQ(log.Entries().back(), "Site.OnUIDeactivate(0)");
}

TEST_F(InPlaceActivation, ASiteWithoutWindowGetsNoWindowAndKeepsItsFocus) {
    UseLevel(InPlaceLevel::Ex);
    site.Options().GetWindowResult = E_FAIL;
    SetFocus(container.Handle());
    EXPECT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_LOG({"Site.QueryInterface(IOleInPlaceSiteWindowless)", "Site.QueryInterface(IOleInPlaceSiteEx)",
                "Site.OnInPlaceActivateEx(0)", "Site.GetWindow", "Site.OnUIActivate", "Site.ShowObject"});
    EXPECT_EQ(ControlWindowHandle(), nullptr);
    HWND window = nullptr;
    EXPECT_EQ(InPlace()->GetWindow(&window), E_UNEXPECTED);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(GetFocus(), container.Handle()) << "no window to focus: the container's focus stays";
}

TEST_F(InPlaceActivation, AFailedWindowContextPlacesTheWindowOnZeroRectangles) {
    UseLevel(InPlaceLevel::Ex);
    site.Options().GetWindowContextResult = E_FAIL;
    EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    const HWND window = ControlWindowHandle();
    ASSERT_NE(window, nullptr);
    const RECT placed = RectInParent(window);
    const RECT zero{};
    EXPECT_TRUE(EqualRect(&placed, &zero)) << Text(placed);
    RECT box{};
    EXPECT_EQ(RegionOf(window, box), ERROR);
}

TEST_F(InPlaceActivation, TheWindowTakesPositionAndTheVisiblePartOfTheClip) {
    ActivateWindowedInPlace();
    const HWND window = ControlWindowHandle();
    struct Row {
        RECT Position;
        RECT Clip;
        int RegionType;
        RECT RegionBox;
    };
    const Row rows[] = {
        {{10, 20, 110, 70}, {60, 0, 400, 45}, SIMPLEREGION, {50, 0, 100, 25}},  // cut off: the visible part
        {{30, 40, 130, 90}, {0, 0, 400, 300}, ERROR, {}},                      // inside the clip: no region
        {{30, 40, 130, 90}, {200, 200, 300, 300}, ERROR, {}},                  // outside: shown whole
    };
    for (const Row& row : rows) {
        EXPECT_EQ(InPlace()->SetObjectRects(&row.Position, &row.Clip), S_OK);
        const RECT placed = RectInParent(window);
        EXPECT_TRUE(EqualRect(&placed, &row.Position));
        RECT box{};
        EXPECT_EQ(RegionOf(window, box), row.RegionType);
        EXPECT_TRUE(EqualRect(&box, &row.RegionBox)) << Text(box);
        EXPECT_TRUE(IsWindowVisible(window));
    }
    const RECT any{1, 1, 2, 2};
    EXPECT_EQ(InPlace()->SetObjectRects(nullptr, &any), E_POINTER);
    EXPECT_EQ(InPlace()->SetObjectRects(&any, nullptr), E_POINTER);
    EXPECT_LOG({}) << "positioning calls nothing on the container";
}

TEST_F(InPlaceActivation, AcceleratorsGoToTheControlSiteWithTheHeldModifiers) {
    MSG message{nullptr, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_EQ(ActiveObject()->TranslateAccelerator(&message), S_FALSE);
    EXPECT_EQ(site.LastModifiers(), 0u);

    BYTE saved[256] = {};
    GetKeyboardState(saved);
    BYTE held[256] = {};
    std::copy(saved, saved + 256, held);
    held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    held[VK_MENU] = held[VK_LMENU] = 0x80;
    held[VK_CONTROL] = held[VK_LCONTROL] = held[VK_RCONTROL] = 0;
    ASSERT_TRUE(SetKeyboardState(held));
    site.Options().TranslateAcceleratorResult = S_OK;
    EXPECT_EQ(ActiveObject()->TranslateAccelerator(&message), S_OK);
    EXPECT_EQ(site.LastModifiers(), 5u);
    held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
    held[VK_SHIFT] = held[VK_LSHIFT] = held[VK_MENU] = held[VK_LMENU] = 0;
    SetKeyboardState(held);
    site.Options().TranslateAcceleratorResult = E_FAIL;
    EXPECT_EQ(ActiveObject()->TranslateAccelerator(&message), S_FALSE);
    EXPECT_EQ(site.LastModifiers(), 2u);
    SetKeyboardState(saved);

    site.Options().OffersControlSite = false;
    log.Clear();
    EXPECT_EQ(ActiveObject()->TranslateAccelerator(&message), S_FALSE);
    EXPECT_LOG({"Site.QueryInterface(IOleControlSite)"});
    object->SetClientSite(nullptr);
    EXPECT_EQ(ActiveObject()->TranslateAccelerator(&message), S_FALSE);
}

TEST_F(InPlaceActivation, TheActiveObjectAnswersItsNotificationsWithoutCallingAnything) {
    auto active = ActiveObject();
    HWND window = nullptr;
    EXPECT_EQ(active->GetWindow(&window), E_UNEXPECTED);
    EXPECT_EQ(active->GetWindow(nullptr), E_POINTER);
    EXPECT_EQ(active->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(active->OnFrameWindowActivate(TRUE), S_OK);
    EXPECT_EQ(active->ResizeBorder(nullptr, nullptr, TRUE), S_OK);
    EXPECT_EQ(active->EnableModeless(FALSE), S_OK);
    EXPECT_EQ(InPlace()->ReactivateAndUndo(), E_NOTIMPL);
    IDropTarget* target = nullptr;
    EXPECT_EQ(InPlace()->GetDropTarget(&target), E_NOTIMPL);
    EXPECT_LOG({});
}

}  // namespace
