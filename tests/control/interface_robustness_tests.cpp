// Every method of every interface the object answers, called with every out-pointer null
// and in each state a container can leave it in: fresh, in place with a window, closed, and
// in place after the container took its site back with SetClientSite(NULL).  Each call
// gives a defined code and no crash; a call whose out-pointer is null cannot succeed.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "container_fixture.h"
#include "common/import_hook.h"

namespace {

// An interface of the object, without a reference of its own: the test holds the object.
template <class Interface>
Interface* As(IUnknown* object, REFIID iid) {
    Interface* found = nullptr;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&found))) || found == nullptr) return nullptr;
    found->Release();
    return found;
}

#define ON(Interface) As<Interface>(object, IID_##Interface)

struct Probe {
    const char* Name;
    HRESULT (*Call)(IUnknown* object);
    bool NullOut;  // an out-pointer is null, so success would be a lie
};

constexpr bool kMustFail = true;
constexpr bool kAnyCode = false;

// A probe that is one call: the method and its arguments close the line.
#define PROBE(name, nullOut, Interface, ...) \
    { name, [](IUnknown* object) { return ON(Interface)->__VA_ARGS__; }, nullOut }
#define PROBE_VERB(verb) \
    PROBE("DoVerb(" #verb ", all null)", kAnyCode, IOleObject, \
          DoVerb(OLEIVERB_##verb, nullptr, nullptr, 0, nullptr, nullptr))

HRESULT WINAPI OpenNoFrame(HWND, UINT, UINT, LPCOLESTR, ULONG, LPUNKNOWN*, ULONG, LPCLSID, LCID, DWORD, LPVOID) {
    return S_OK;
}

// Calls that need some valid arguments beside the null ones.
FORMATETC MetafileFormat() { return {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT}; }

const std::vector<Probe>& Probes() {
    static const std::vector<Probe> probes = {
        // IUnknown, Ilumex and IDispatch
        {"QueryInterface(null)", [](IUnknown* object) { return object->QueryInterface(IID_IOleObject, nullptr); },
         kMustFail},
        PROBE("LoadMP3Head(null)", kAnyCode, Ilumex, LoadMP3Head(nullptr)),
        PROBE("GetTitle(null)", kMustFail, Ilumex, get_GetTitle(nullptr)),
        PROBE("GetArtist(null)", kMustFail, Ilumex, get_GetArtist(nullptr)),
        PROBE("GetAlbum(null)", kMustFail, Ilumex, get_GetAlbum(nullptr)),
        PROBE("GetProYear(null)", kMustFail, Ilumex, get_GetProYear(nullptr)),
        PROBE("GetComment(null)", kMustFail, Ilumex, get_GetComment(nullptr)),
        PROBE("GetGenreNo(null)", kMustFail, Ilumex, get_GetGenreNo(nullptr)),
        PROBE("DoCutTailSp", kAnyCode, Ilumex, DoCutTailSp()),
        PROBE("GetTypeInfoCount(null)", kMustFail, IDispatch, GetTypeInfoCount(nullptr)),
        PROBE("GetTypeInfo(null)", kMustFail, IDispatch, GetTypeInfo(0, 0, nullptr)),
        PROBE("GetIDsOfNames(null, null)", kMustFail, IDispatch, GetIDsOfNames(IID_NULL, nullptr, 1, 0, nullptr)),
        {"GetIDsOfNames(name, null)",
         [](IUnknown* object) {
             LPOLESTR name = const_cast<LPOLESTR>(L"GetTitle");
             return ON(IDispatch)->GetIDsOfNames(IID_NULL, &name, 1, 0, nullptr);
         },
         kMustFail},
        PROBE("Invoke(method, no parameters)", kAnyCode, IDispatch,
              Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr)),
        {"Invoke(property get, no result)",
         [](IUnknown* object) {
             DISPPARAMS none = {nullptr, nullptr, 0, 0};
             return ON(IDispatch)->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr);
         },
         kAnyCode},
        // IViewObject, IViewObject2, IViewObjectEx
        PROBE("Draw(all null)", kAnyCode, IViewObject,
              Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
        {"Draw(bounds, no DC)",
         [](IUnknown* object) {
             const RECTL bounds = {0, 0, 10, 10};
             return ON(IViewObject)
                 ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds, nullptr, nullptr, 0);
         },
         kAnyCode},
        PROBE("GetColorSet(null)", kMustFail, IViewObject,
              GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr)),
        PROBE("Freeze(null)", kMustFail, IViewObject, Freeze(DVASPECT_CONTENT, -1, nullptr, nullptr)),
        PROBE("Unfreeze", kAnyCode, IViewObject, Unfreeze(0)),
        PROBE("SetAdvise(null)", kAnyCode, IViewObject, SetAdvise(DVASPECT_CONTENT, 0, nullptr)),
        // The aspects and flags are never written and the sink is optional: all null is a
        // question with nothing to answer.
        PROBE("GetAdvise(null, null, null)", kAnyCode, IViewObject, GetAdvise(nullptr, nullptr, nullptr)),
        PROBE("GetExtent(null) of the view", kMustFail, IViewObject2,
              GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr)),
        PROBE("GetRect(null)", kMustFail, IViewObjectEx, GetRect(DVASPECT_CONTENT, nullptr)),
        PROBE("GetViewStatus(null)", kMustFail, IViewObjectEx, GetViewStatus(nullptr)),
        PROBE("QueryHitPoint(null, null)", kMustFail, IViewObjectEx,
              QueryHitPoint(DVASPECT_CONTENT, nullptr, POINT{1, 1}, 0, nullptr)),
        PROBE("QueryHitRect(null, null, null)", kMustFail, IViewObjectEx,
              QueryHitRect(DVASPECT_CONTENT, nullptr, nullptr, 0, nullptr)),
        {"GetNaturalExtent(info, null)",
         [](IUnknown* object) {
             DVEXTENTINFO info = {sizeof info, DVEXTENT_CONTENT, {0, 0}};
             return ON(IViewObjectEx)->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr);
         },
         kMustFail},
        {"GetNaturalExtent(null, size)",
         [](IUnknown* object) {
             SIZEL size{};
             return ON(IViewObjectEx)->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &size);
         },
         kMustFail},
        // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
        PROBE("GetWindow(null)", kMustFail, IOleWindow, GetWindow(nullptr)),
        PROBE("ContextSensitiveHelp", kAnyCode, IOleWindow, ContextSensitiveHelp(TRUE)),
        PROBE("SetObjectRects(null, null)", kAnyCode, IOleInPlaceObject, SetObjectRects(nullptr, nullptr)),
        PROBE("ReactivateAndUndo", kAnyCode, IOleInPlaceObject, ReactivateAndUndo()),
        PROBE("UIDeactivate", kAnyCode, IOleInPlaceObject, UIDeactivate()),
        PROBE("InPlaceDeactivate", kAnyCode, IOleInPlaceObject, InPlaceDeactivate()),
        // The result pointer of a windowless message is the caller's choice.
        PROBE("OnWindowMessage(WM_PAINT, no DC, null)", kAnyCode, IOleInPlaceObjectWindowless,
              OnWindowMessage(WM_PAINT, 0, 0, nullptr)),
        PROBE("OnWindowMessage(WM_SETFOCUS, null)", kAnyCode, IOleInPlaceObjectWindowless,
              OnWindowMessage(WM_SETFOCUS, 0, 0, nullptr)),
        PROBE("OnWindowMessage(WM_MOUSEACTIVATE, null)", kAnyCode, IOleInPlaceObjectWindowless,
              OnWindowMessage(WM_MOUSEACTIVATE, 0, 0, nullptr)),
        PROBE("GetDropTarget(null)", kMustFail, IOleInPlaceObjectWindowless, GetDropTarget(nullptr)),
        // IOleInPlaceActiveObject
        PROBE("TranslateAccelerator(null)", kAnyCode, IOleInPlaceActiveObject, TranslateAccelerator(nullptr)),
        PROBE("OnFrameWindowActivate", kAnyCode, IOleInPlaceActiveObject, OnFrameWindowActivate(FALSE)),
        PROBE("OnDocWindowActivate(FALSE)", kAnyCode, IOleInPlaceActiveObject, OnDocWindowActivate(FALSE)),
        PROBE("ResizeBorder(null, null)", kAnyCode, IOleInPlaceActiveObject, ResizeBorder(nullptr, nullptr, TRUE)),
        PROBE("EnableModeless", kAnyCode, IOleInPlaceActiveObject, EnableModeless(FALSE)),
        // IOleControl
        PROBE("GetControlInfo(null)", kMustFail, IOleControl, GetControlInfo(nullptr)),
        PROBE("OnMnemonic(null)", kAnyCode, IOleControl, OnMnemonic(nullptr)),
        PROBE("OnAmbientPropertyChange", kAnyCode, IOleControl, OnAmbientPropertyChange(DISPID_UNKNOWN)),
        PROBE("FreezeEvents", kAnyCode, IOleControl, FreezeEvents(TRUE)),
        // IOleObject
        PROBE("SetClientSite(null)", kAnyCode, IOleObject, SetClientSite(nullptr)),
        PROBE("GetClientSite(null)", kMustFail, IOleObject, GetClientSite(nullptr)),
        PROBE("SetHostNames(null, null)", kAnyCode, IOleObject, SetHostNames(nullptr, nullptr)),
        PROBE("Close(NOSAVE)", kAnyCode, IOleObject, Close(OLECLOSE_NOSAVE)),
        PROBE("Close(SAVEIFDIRTY)", kAnyCode, IOleObject, Close(OLECLOSE_SAVEIFDIRTY)),
        PROBE("SetMoniker(null)", kAnyCode, IOleObject, SetMoniker(OLEWHICHMK_OBJREL, nullptr)),
        PROBE("GetMoniker(null)", kMustFail, IOleObject,
              GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, nullptr)),
        PROBE("InitFromData(null)", kAnyCode, IOleObject, InitFromData(nullptr, TRUE, 0)),
        PROBE("GetClipboardData(null)", kMustFail, IOleObject, GetClipboardData(0, nullptr)),
        PROBE_VERB(PRIMARY),
        PROBE_VERB(SHOW),
        PROBE_VERB(OPEN),
        PROBE_VERB(HIDE),
        PROBE_VERB(UIACTIVATE),
        PROBE_VERB(INPLACEACTIVATE),
        PROBE_VERB(DISCARDUNDOSTATE),
        PROBE_VERB(PROPERTIES),
        PROBE("DoVerb(1, all null)", kAnyCode, IOleObject, DoVerb(1, nullptr, nullptr, 0, nullptr, nullptr)),
        PROBE("EnumVerbs(null)", kMustFail, IOleObject, EnumVerbs(nullptr)),
        PROBE("Update", kAnyCode, IOleObject, Update()),
        PROBE("IsUpToDate", kAnyCode, IOleObject, IsUpToDate()),
        PROBE("GetUserClassID(null)", kMustFail, IOleObject, GetUserClassID(nullptr)),
        PROBE("GetUserType(null)", kMustFail, IOleObject, GetUserType(USERCLASSTYPE_FULL, nullptr)),
        PROBE("SetExtent(null)", kAnyCode, IOleObject, SetExtent(DVASPECT_CONTENT, nullptr)),
        PROBE("GetExtent(null) of the object", kMustFail, IOleObject, GetExtent(DVASPECT_CONTENT, nullptr)),
        PROBE("Advise(null, null)", kMustFail, IOleObject, Advise(nullptr, nullptr)),
        PROBE("Unadvise", kAnyCode, IOleObject, Unadvise(1)),
        PROBE("EnumAdvise(null)", kMustFail, IOleObject, EnumAdvise(nullptr)),
        PROBE("GetMiscStatus(null)", kMustFail, IOleObject, GetMiscStatus(DVASPECT_CONTENT, nullptr)),
        PROBE("SetColorScheme(null)", kAnyCode, IOleObject, SetColorScheme(nullptr)),
        // IPersist, IPersistStreamInit, IPersistStorage
        PROBE("GetClassID(null)", kMustFail, IPersist, GetClassID(nullptr)),
        PROBE("IsDirty of the stream", kAnyCode, IPersistStreamInit, IsDirty()),
        PROBE("Load(null stream)", kAnyCode, IPersistStreamInit, Load(nullptr)),
        PROBE("Save(null stream)", kAnyCode, IPersistStreamInit, Save(nullptr, TRUE)),
        PROBE("GetSizeMax(null)", kMustFail, IPersistStreamInit, GetSizeMax(nullptr)),
        PROBE("InitNew of the stream", kAnyCode, IPersistStreamInit, InitNew()),
        PROBE("IsDirty of the storage", kAnyCode, IPersistStorage, IsDirty()),
        PROBE("InitNew(null storage)", kAnyCode, IPersistStorage, InitNew(nullptr)),
        PROBE("Load(null storage)", kAnyCode, IPersistStorage, Load(nullptr)),
        PROBE("Save(null storage)", kAnyCode, IPersistStorage, Save(nullptr, TRUE)),
        PROBE("SaveCompleted(null)", kAnyCode, IPersistStorage, SaveCompleted(nullptr)),
        PROBE("HandsOffStorage", kAnyCode, IPersistStorage, HandsOffStorage()),
        // ISpecifyPropertyPages, IQuickActivate
        PROBE("GetPages(null)", kMustFail, ISpecifyPropertyPages, GetPages(nullptr)),
        PROBE("QuickActivate(null, null)", kMustFail, IQuickActivate, QuickActivate(nullptr, nullptr)),
        {"QuickActivate(container, null)",
         [](IUnknown* object) {
             QACONTAINER container{};
             container.cbSize = sizeof container;
             return ON(IQuickActivate)->QuickActivate(&container, nullptr);
         },
         kMustFail},
        {"QuickActivate(null, control)",
         [](IUnknown* object) {
             QACONTROL control{};
             control.cbSize = sizeof control;
             return ON(IQuickActivate)->QuickActivate(nullptr, &control);
         },
         kMustFail},
        PROBE("SetContentExtent(null)", kAnyCode, IQuickActivate, SetContentExtent(nullptr)),
        PROBE("GetContentExtent(null)", kMustFail, IQuickActivate, GetContentExtent(nullptr)),
        // IDataObject
        PROBE("GetData(null, null)", kMustFail, IDataObject, GetData(nullptr, nullptr)),
        {"GetData(format, null)",
         [](IUnknown* object) {
             FORMATETC format = MetafileFormat();
             return ON(IDataObject)->GetData(&format, nullptr);
         },
         kMustFail},
        {"GetData(null, medium)",
         [](IUnknown* object) {
             STGMEDIUM medium{};
             const HRESULT result = ON(IDataObject)->GetData(nullptr, &medium);
             if (SUCCEEDED(result)) ReleaseStgMedium(&medium);
             return result;
         },
         kMustFail},
        PROBE("GetDataHere(null, null)", kMustFail, IDataObject, GetDataHere(nullptr, nullptr)),
        PROBE("QueryGetData(null)", kAnyCode, IDataObject, QueryGetData(nullptr)),
        PROBE("GetCanonicalFormatEtc(null, null)", kMustFail, IDataObject, GetCanonicalFormatEtc(nullptr, nullptr)),
        PROBE("SetData(null, null)", kAnyCode, IDataObject, SetData(nullptr, nullptr, FALSE)),
        PROBE("EnumFormatEtc(null)", kMustFail, IDataObject, EnumFormatEtc(DATADIR_GET, nullptr)),
        PROBE("DAdvise(null, null, null)", kMustFail, IDataObject, DAdvise(nullptr, 0, nullptr, nullptr)),
        PROBE("DUnadvise", kAnyCode, IDataObject, DUnadvise(1)),
        PROBE("EnumDAdvise(null)", kMustFail, IDataObject, EnumDAdvise(nullptr)),
        // IProvideClassInfo, IProvideClassInfo2
        PROBE("GetClassInfo(null)", kMustFail, IProvideClassInfo, GetClassInfo(nullptr)),
        PROBE("GetGUID(null)", kMustFail, IProvideClassInfo2, GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr)),
    };
    return probes;
}

#undef PROBE_VERB
#undef PROBE
#undef ON

// A code the platform defines: S_OK or S_FALSE, a success of the OLE interfaces (such as
// OLEOBJ_S_CANNOT_DOVERB_NOW), or a failure of a facility that the platform's headers name.
bool IsDefinedCode(HRESULT result) {
    if (result == S_OK || result == S_FALSE) return true;
    const int facility = HRESULT_FACILITY(result);
    if (SUCCEEDED(result)) return facility == FACILITY_ITF;
    return facility == FACILITY_NULL || facility == FACILITY_ITF || facility == FACILITY_WIN32 ||
           facility == FACILITY_DISPATCH || facility == FACILITY_STORAGE || facility == FACILITY_RPC;
}

enum class ObjectState { Fresh, InPlace, Closed, SiteTakenBack };

const char* NameOf(ObjectState state) {
    switch (state) {
        case ObjectState::Fresh:
            return "fresh";
        case ObjectState::InPlace:
            return "in place";
        case ObjectState::Closed:
            return "closed";
        case ObjectState::SiteTakenBack:
            return "site taken back";
    }
    return "?";
}

class InterfaceRobustness : public ContainerFixture, public testing::WithParamInterface<ObjectState> {
protected:
    // A new object in the state under test; fresh means never sited.
    InterfacePtr<IUnknown> MakeObject() {
        if (GetParam() == ObjectState::Fresh) return server.Create<IUnknown>(IID_IUnknown);
        InterfacePtr<IOleObject> control = MakeSitedControl(site);
        RECT position{10, 20, 110, 70};
        EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container.Handle(), &position), S_OK);
        if (GetParam() == ObjectState::Closed) {
            EXPECT_EQ(control->Close(OLECLOSE_NOSAVE), S_OK);
        }
        if (GetParam() == ObjectState::SiteTakenBack) {
            EXPECT_EQ(control->SetClientSite(nullptr), S_OK);
        }
        InterfacePtr<IUnknown> identity;
        control.QueryInto(IID_IUnknown, identity);
        return identity;
    }
    void DropObject(InterfacePtr<IUnknown>& identity) {
        InterfacePtr<IOleObject> control;
        identity.QueryInto(IID_IOleObject, control);
        identity.Reset();
        DropControl(control);
        log.Clear();
    }

    RegisteredTypeLibrary typeLibrary;
    ImportHook frameHook{server.Module(), "oleaut32.dll", "OleCreatePropertyFrame",
                         reinterpret_cast<void*>(&OpenNoFrame)};
};

TEST_P(InterfaceRobustness, EveryMethodGivesADefinedCodeAndNullOutPointersAreRefused) {
    ASSERT_TRUE(frameHook.Installed());
    UseLevel(InPlaceLevel::Ex);
    DropControl(object);
    for (const Probe& probe : Probes()) {
        InterfacePtr<IUnknown> identity = MakeObject();
        ASSERT_TRUE(identity) << probe.Name;
        const HRESULT result = probe.Call(identity.Get());
        EXPECT_TRUE(IsDefinedCode(result))
            << probe.Name << " when " << NameOf(GetParam()) << ": 0x" << std::hex << result;
        if (probe.NullOut) {
            EXPECT_TRUE(FAILED(result)) << probe.Name << " when " << NameOf(GetParam()) << " succeeded: 0x" << std::hex
                                        << result;
        }
        // Still an object a container can use.
        InterfacePtr<IOleObject> control;
        EXPECT_EQ(identity.QueryInto(IID_IOleObject, control), S_OK) << probe.Name;
        SIZEL extent{};
        if (control) {
            EXPECT_EQ(control->GetExtent(DVASPECT_CONTENT, &extent), S_OK) << probe.Name;
        }
        control.Reset();
        DropObject(identity);
        EXPECT_EQ(site.References(), 0) << probe.Name << " when " << NameOf(GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(States, InterfaceRobustness,
                         testing::Values(ObjectState::Fresh, ObjectState::InPlace, ObjectState::Closed,
                                         ObjectState::SiteTakenBack),
                         [](const testing::TestParamInfo<ObjectState>& state) {
                             std::string name = NameOf(state.param);
                             for (char& c : name) {
                                 if (c == ' ') c = '_';
                             }
                             return name;
                         });

TEST(ClassObjectRobustness, NullOutPointersAreRefused) {
    LoadedServer server;
    {
        InterfacePtr<IClassFactory> factory = server.Factory();
        ASSERT_TRUE(factory);
        EXPECT_TRUE(FAILED(factory->QueryInterface(IID_IClassFactory, nullptr)));
        EXPECT_TRUE(FAILED(factory->CreateInstance(nullptr, IID_IUnknown, nullptr)));
        EXPECT_TRUE(FAILED(server.GetClassObject(kLumexClsid, IID_IClassFactory, nullptr)));
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

}  // namespace
