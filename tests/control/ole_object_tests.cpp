// IOleObject and IOleControl from the container's side: the client site, the verbs that
// do not activate, the extent, advise sinks, closing and the class's registry entries.
#include <gtest/gtest.h>

#include <olectl.h>

#include "recording_container.h"
#include "common/loaded_server.h"
#include "support/task_memory.h"

namespace {

VARIANT MakeVariant(VARTYPE type, LONG value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    V_I4(&v) = value;
    return v;
}

class OleObject : public testing::Test {
protected:
    void TearDown() override {
        object.Reset();
        EXPECT_EQ(site.References(), 0) << log.Format();
        EXPECT_EQ(sink.References(), 0);
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }
    void Site() {
        ASSERT_EQ(object->SetClientSite(&site), S_OK);
        log.Clear();
    }

    LoadedServer server;
    CallLog log;
    RecordingSite site{log};
    RecordingSink sink{log};
    InterfacePtr<IOleObject> object = server.Create<IOleObject>(IID_IOleObject);
};

}  // namespace

TEST_F(OleObject, SettingTheSiteTakesItsDispatchAndReadsNoAmbient) {
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Site.QueryInterface(IDispatch)"});
    EXPECT_EQ(site.References(), 2);  // the client site and its dispatch
    InterfacePtr<IOleClientSite> got;
    ASSERT_EQ(object->GetClientSite(got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IOleClientSite*>(&site));
    got.Reset();
    // The same site again keeps the count where it was.
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(site.References(), 2);

    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.References(), 0);
    ASSERT_EQ(object->GetClientSite(got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), nullptr);
    EXPECT_EQ(object->GetClientSite(nullptr), E_POINTER);
}

TEST_F(OleObject, ASiteWithoutDispatchIsKeptAlone) {
    site.Options().OffersDispatch = false;
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(site.References(), 1);
}

TEST_F(OleObject, VerbsOutsideTheTableAreNotImplementedAndTheQuietOnesDoNothing) {
    Site();
    RECT position{0, 0, 10, 10};
    for (LONG verb : {1L, -8L, 100L, -100L}) {
        EXPECT_EQ(object->DoVerb(verb, nullptr, &site, 0, nullptr, &position), E_NOTIMPL) << verb;
    }
    EXPECT_EQ(object->DoVerb(OLEIVERB_OPEN, nullptr, &site, 0, nullptr, &position), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_DISCARDUNDOSTATE, nullptr, &site, 0, nullptr, &position), S_OK);
    EXPECT_TRUE(log.Entries().empty()) << log.Format();
}

TEST_F(OleObject, ThePrimaryVerbOpensTheFrameOnlyForABooleanDesignMode) {
    site.Options().ShowPropertyFrameResult = S_OK;  // the container shows its own frame
    Site();
    site.SetAmbient(DISPID_AMBIENT_USERMODE, MakeVariant(VT_BOOL, VARIANT_FALSE));
    EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, &site, 0, nullptr, nullptr), S_OK);
    EXPECT_TRUE(log.Contains("Site.ShowPropertyFrame")) << log.Format();
    EXPECT_TRUE(log.Contains("Site.Ambient(-709,flags 2,lcid 0x400,args 0)")) << log.Format();

    // Zero as a VT_I4 is not "false": the verb activates instead.
    log.Clear();
    site.SetAmbient(DISPID_AMBIENT_USERMODE, MakeVariant(VT_I4, 0));
    object->DoVerb(OLEIVERB_PRIMARY, nullptr, &site, 0, nullptr, nullptr);
    EXPECT_FALSE(log.Contains("Site.ShowPropertyFrame")) << log.Format();
    object->Close(OLECLOSE_NOSAVE);
}

TEST_F(OleObject, ThePropertiesVerbPrefersTheContainersFrame) {
    site.Options().ShowPropertyFrameResult = S_OK;
    Site();
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(log.Only("Site.ShowPropertyFrame").size(), 1u);
    // The primary verb is the only one that reads the mode.
    EXPECT_TRUE(log.Only("Site.Ambient").empty()) << log.Format();
}

TEST_F(OleObject, ExtentIsStoredWithoutNoticesAndOtherAspectsAreRefused) {
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5080);
    EXPECT_EQ(size.cy, 5080);

    Site();
    DWORD cookie = 0;
    ASSERT_EQ(object->Advise(&sink, &cookie), S_OK);
    SIZEL wanted{1000, 500};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 1000);
    EXPECT_EQ(size.cy, 500);
    SIZEL negative{-7, 0};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &negative), S_OK);
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, -7);
    EXPECT_TRUE(log.Entries().empty()) << log.Format();

    EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &size), E_FAIL);
    EXPECT_EQ(object->SetExtent(DVASPECT_ICON, &wanted), DV_E_DVASPECT);
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(object->Unadvise(cookie), S_OK);
}

TEST_F(OleObject, AdviseHolderIsMadeByTheFirstAdvise) {
    EXPECT_EQ(object->Unadvise(1), E_FAIL);
    InterfacePtr<IEnumSTATDATA> advises;
    EXPECT_EQ(object->EnumAdvise(advises.Receive()), E_FAIL);

    DWORD cookie = 0;
    ASSERT_EQ(object->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(sink.References(), 1);
    EXPECT_EQ(object->EnumAdvise(nullptr), E_POINTER);
    ASSERT_EQ(object->EnumAdvise(advises.Receive()), S_OK);
    STATDATA data{};
    ULONG fetched = 0;
    ASSERT_EQ(advises->Next(1, &data, &fetched), S_OK);
    EXPECT_EQ(data.dwConnection, cookie);
    if (data.pAdvSink != nullptr) data.pAdvSink->Release();
    advises.Reset();
    // Now the holder answers, also for a cookie it never gave.
    EXPECT_NE(object->Unadvise(cookie + 100), S_OK);
    EXPECT_EQ(object->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.References(), 0);
}

TEST_F(OleObject, ClosingACleanObjectSavesNothingAndKeepsTheSite) {
    Site();
    DWORD cookie = 0;
    ASSERT_EQ(object->Advise(&sink, &cookie), S_OK);
    for (DWORD option : {DWORD{OLECLOSE_SAVEIFDIRTY}, DWORD{OLECLOSE_PROMPTSAVE}, DWORD{OLECLOSE_NOSAVE}, DWORD{7}}) {
        EXPECT_EQ(object->Close(option), S_OK);
    }
    EXPECT_TRUE(log.Entries().empty()) << log.Format();  // no SaveObject, no OnShowWindow, no OnClose
    InterfacePtr<IOleClientSite> got;
    ASSERT_EQ(object->GetClientSite(got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IOleClientSite*>(&site));
    EXPECT_EQ(object->Unadvise(cookie), S_OK);  // the advise holder outlives Close
}

TEST_F(OleObject, OnlyTheInPlaceVerbTellsTheViewSinkAndCloseLetsItGo) {
    InterfacePtr<IViewObject> view;
    ASSERT_EQ(object.QueryInto(IID_IViewObject, view), S_OK);
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &sink), S_OK);
    // Without a client site the verbs activate nothing; only this one fires a view change.
    EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_TRUE(log.Entries().empty()) << log.Format();
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(log.Entries(), (std::vector<std::string>{"Sink.OnViewChange(1,-1)", "Sink.OnViewChange(1,-1)"}));
    EXPECT_EQ(sink.References(), 1);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(sink.References(), 0);
}

TEST_F(OleObject, ControlAnswersWithoutTouchingTheContainer) {
    Site();
    InterfacePtr<IOleControl> control;
    ASSERT_EQ(object.QueryInto(IID_IOleControl, control), S_OK);
    CONTROLINFO info{};
    info.cb = sizeof info;
    EXPECT_EQ(control->GetControlInfo(&info), E_NOTIMPL);
    MSG message{};
    EXPECT_EQ(control->OnMnemonic(&message), E_NOTIMPL);
    EXPECT_EQ(control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
    EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
    EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
    EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
    EXPECT_TRUE(log.Entries().empty()) << log.Format();
}

TEST_F(OleObject, SmallAnswersOfTheObject) {
    EXPECT_EQ(object->SetHostNames(L"app", nullptr), S_OK);
    EXPECT_EQ(object->Update(), S_OK);
    EXPECT_EQ(object->IsUpToDate(), S_OK);
    EXPECT_EQ(object->SetMoniker(OLEWHICHMK_OBJREL, nullptr), E_NOTIMPL);
    InterfacePtr<IMoniker> moniker;
    EXPECT_EQ(object->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, moniker.Receive()), E_NOTIMPL);
    EXPECT_EQ(object->InitFromData(nullptr, TRUE, 0), E_NOTIMPL);
    InterfacePtr<IDataObject> data;
    EXPECT_EQ(object->GetClipboardData(0, data.Receive()), E_NOTIMPL);
    EXPECT_EQ(object->SetColorScheme(nullptr), E_NOTIMPL);
    CLSID clsid{};
    ASSERT_EQ(object->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kLumexClsid));
    EXPECT_EQ(object->GetUserClassID(nullptr), E_POINTER);
    EXPECT_EQ(object->EnumVerbs(nullptr), E_POINTER);
    EXPECT_EQ(object->GetUserType(USERCLASSTYPE_FULL, nullptr), E_POINTER);
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, nullptr), E_POINTER);
}

// The registry entries that registration writes, read back by the platform.
TEST(OleObjectRegistry, StatusUserTypeAndVerbsComeFromTheRegistration) {
    RegisteredServer server;
    {
        auto object = server.Create<IOleObject>(IID_IOleObject);
        DWORD status = 0;
        ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_EQ(status, 131473u);
        TaskMemory<OLECHAR> name;
        ASSERT_EQ(object->GetUserType(USERCLASSTYPE_FULL, name.Receive()), S_OK);
        EXPECT_STREQ(name.Get(), L"lumex Class");
        // The class registers no verbs: an empty list, or the platform's "no verbs" answer
        // (Wine reports the missing key itself).
        InterfacePtr<IEnumOLEVERB> verbs;
        const HRESULT listed = object->EnumVerbs(verbs.Receive());
        if (listed == S_OK) {
            OLEVERB verb{};
            ULONG fetched = 0;
            EXPECT_NE(verbs->Next(1, &verb, &fetched), S_OK);
        } else {
            EXPECT_TRUE(listed == OLEOBJ_E_NOVERBS || listed == REGDB_E_KEYMISSING) << std::hex << listed;
        }
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
