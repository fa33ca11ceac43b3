// The property pages and the properties verb.  The platform's frame is modal: the
// arguments it is opened with are read through a hook on the library's import of
// OleCreatePropertyFrame, and the one test that opens the real frame ends it from a
// watchdog thread.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>

#include "control/property_map.h"
#include "recording_container.h"
#include "common/import_hook.h"
#include "common/loaded_server.h"
#include "common/modal_watchdog.h"

namespace {

struct FrameArguments {
    int Calls = 0;
    HWND Parent = nullptr;
    UINT X = 0;
    UINT Y = 0;
    std::wstring Caption;
    ULONG ObjectCount = 0;
    IUnknown* Object = nullptr;
    ULONG PageCount = 0;
    LCID Locale = 0;
};
FrameArguments opened;

HRESULT WINAPI RecordFrame(HWND parent, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount, LPUNKNOWN* objects,
                           ULONG pageCount, LPCLSID, LCID locale, DWORD, LPVOID) {
    ++opened.Calls;
    opened.Parent = parent;
    opened.X = x;
    opened.Y = y;
    opened.Caption = caption == nullptr ? L"<null>" : caption;
    opened.ObjectCount = objectCount;
    opened.Object = objectCount > 0 ? objects[0] : nullptr;
    opened.PageCount = pageCount;
    opened.Locale = locale;
    return S_OK;
}

class PropertyFrame : public testing::Test {
protected:
    void SetUp() override { opened = FrameArguments(); }
    void TearDown() override {
        object.Reset();
        EXPECT_EQ(site.References(), 0) << log.Format();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }
    IUnknown* Identity() {
        InterfacePtr<IUnknown> unknown;
        object.QueryInto(IID_IUnknown, unknown);
        return unknown.Get();  // the object keeps its own reference
    }

    RegisteredServer server;
    ImportHook hook{server.Module(), "oleaut32.dll", "OleCreatePropertyFrame",
                    reinterpret_cast<void*>(&RecordFrame)};
    CallLog log;
    RecordingSite site{log};
    InterfacePtr<IOleObject> object = server.Create<IOleObject>(IID_IOleObject);
    HWND parent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234));
};

}  // namespace

TEST_F(PropertyFrame, ThereAreNoPages) {
    InterfacePtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(object.QueryInto(IID_ISpecifyPropertyPages, pages), S_OK);
    CAUUID list{7, nullptr};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    EXPECT_EQ(list.cElems, 0u);
    CoTaskMemFree(list.pElems);
    EXPECT_EQ(pages->GetPages(nullptr), E_POINTER);
}

// A map of the test's own: dispatch entries name pages, each page is listed once, in map
// order; a raw entry's page never counts.
TEST(PropertyPages, AreTheDistinctPagesOfTheDispatchEntriesInMapOrder) {
    const CLSID first = {0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    const CLSID second = {0x22222222, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
    const CLSID raw = {0x33333333, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
    const PropertyMapEntry map[] = {
        {L"a", 1, &second, &IID_IDispatch, 0, 0, 0},
        {L"b", 2, &CLSID_NULL, &IID_IDispatch, 0, 0, 0},
        {L"c", 3, &first, &IID_IDispatch, 0, 0, 0},
        {L"d", 0, &raw, nullptr, 0, 4, VT_UI4},
        {L"e", 4, &second, &IID_IDispatch, 0, 0, 0},
        {nullptr, 0, nullptr, &IID_NULL, 0, 0, 0},
    };
    CAUUID pages{};
    ASSERT_EQ(CollectPropertyPages(map, &pages), S_OK);
    ASSERT_EQ(pages.cElems, 2u);
    EXPECT_TRUE(IsEqualCLSID(pages.pElems[0], second));
    EXPECT_TRUE(IsEqualCLSID(pages.pElems[1], first));
    CoTaskMemFree(pages.pElems);
}

TEST_F(PropertyFrame, TheContainersOwnFrameWinsWhenItSucceeds) {
    ASSERT_TRUE(hook.Installed());
    site.Options().ShowPropertyFrameResult = S_OK;
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, parent, nullptr), S_OK);
    EXPECT_TRUE(log.Contains("Site.ShowPropertyFrame"));
    EXPECT_EQ(opened.Calls, 0);
}

TEST_F(PropertyFrame, AFailingContainerFrameGivesWayToThePlatformsInTheAmbientLocale) {
    ASSERT_TRUE(hook.Installed());
    site.Options().ShowPropertyFrameResult = E_NOTIMPL;
    VARIANT locale;
    VariantInit(&locale);
    V_VT(&locale) = VT_I4;
    V_I4(&locale) = 0x0411;
    site.SetAmbient(DISPID_AMBIENT_LOCALEID, locale);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, parent, nullptr), S_OK);
    EXPECT_TRUE(log.Contains("Site.ShowPropertyFrame"));
    ASSERT_EQ(opened.Calls, 1);
    EXPECT_EQ(opened.Parent, parent);
    EXPECT_EQ(opened.Caption, L"lumex Class");
    EXPECT_EQ(opened.ObjectCount, 1u);
    EXPECT_EQ(opened.Object, Identity());
    EXPECT_EQ(opened.PageCount, 0u);
    EXPECT_EQ(opened.Locale, 0x0411u);
}

TEST_F(PropertyFrame, WithoutASiteTheFrameUsesTheDefaultLocaleAtThePositionsCorner) {
    ASSERT_TRUE(hook.Installed());
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, parent, nullptr), S_OK);
    ASSERT_EQ(opened.Calls, 1);
    EXPECT_EQ(opened.Locale, static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_EQ(opened.X, 0u);
    EXPECT_EQ(opened.Y, 0u);
}

// The real frame of the platform, opened and ended by the watchdog.
TEST(PlatformPropertyFrame, OpensModallyWithTheClassName) {
    RegisteredServer server;
    {
        auto object = server.Create<IOleObject>(IID_IOleObject);
        ContainerWindow window;
        ModalWatchdog watchdog;
        EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, window.Handle(), nullptr), S_OK);
        ASSERT_TRUE(watchdog.SawDialog());
        EXPECT_NE(watchdog.DialogTitle().find(L"lumex Class"), std::wstring::npos)
            << std::string(watchdog.DialogTitle().begin(), watchdog.DialogTitle().end());
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
