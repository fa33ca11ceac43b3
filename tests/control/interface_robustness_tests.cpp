// Every method of every interface the object answers, called with every out-pointer null
// and in each state a container can leave it in: fresh, in place with a window, closed, and
// in place after the container took its site back with SetClientSite(NULL).  Each call
// gives a defined code and no crash; a call whose out-pointer is null cannot succeed.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "control/container_fixture.h"
#include "support/import_hook.h"

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

HRESULT WINAPI OpenNoFrame(HWND, UINT, UINT, LPCOLESTR, ULONG, LPUNKNOWN*, ULONG, LPCLSID, LCID, DWORD, LPVOID) {
    return S_OK;
}

// Calls that need some valid arguments beside the null ones.
FORMATETC MetafileFormat() { return {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT}; }

const std::vector<Probe>& Probes() {
    static const std::vector<Probe> probes = {
        // IUnknown, Ilumex and IDispatch
        {"QueryInterface(null)", [](IUnknown* object) { return object->QueryInterface(IID_IOleObject, nullptr); },
         true},
        {"LoadMP3Head(null)", [](IUnknown* object) { return ON(Ilumex)->LoadMP3Head(nullptr); }, false},
        {"GetTitle(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetTitle(nullptr); }, true},
        {"GetArtist(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetArtist(nullptr); }, true},
        {"GetAlbum(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetAlbum(nullptr); }, true},
        {"GetProYear(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetProYear(nullptr); }, true},
        {"GetComment(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetComment(nullptr); }, true},
        {"GetGenreNo(null)", [](IUnknown* object) { return ON(Ilumex)->get_GetGenreNo(nullptr); }, true},
        {"DoCutTailSp", [](IUnknown* object) { return ON(Ilumex)->DoCutTailSp(); }, false},
        {"GetTypeInfoCount(null)", [](IUnknown* object) { return ON(IDispatch)->GetTypeInfoCount(nullptr); }, true},
        {"GetTypeInfo(null)", [](IUnknown* object) { return ON(IDispatch)->GetTypeInfo(0, 0, nullptr); }, true},
        {"GetIDsOfNames(null, null)",
         [](IUnknown* object) { return ON(IDispatch)->GetIDsOfNames(IID_NULL, nullptr, 1, 0, nullptr); }, true},
        {"GetIDsOfNames(name, null)",
         [](IUnknown* object) {
             LPOLESTR name = const_cast<LPOLESTR>(L"GetTitle");
             return ON(IDispatch)->GetIDsOfNames(IID_NULL, &name, 1, 0, nullptr);
         },
         true},
        {"Invoke(method, no parameters)",
         [](IUnknown* object) {
             return ON(IDispatch)->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
         },
         false},
        {"Invoke(property get, no result)",
         [](IUnknown* object) {
             DISPPARAMS none = {nullptr, nullptr, 0, 0};
             return ON(IDispatch)->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr);
         },
         false},
        // IViewObject, IViewObject2, IViewObjectEx
        {"Draw(all null)",
         [](IUnknown* object) {
             return ON(IViewObject)
                 ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
         },
         false},
        {"Draw(bounds, no DC)",
         [](IUnknown* object) {
             const RECTL bounds = {0, 0, 10, 10};
             return ON(IViewObject)
                 ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds, nullptr, nullptr, 0);
         },
         false},
        {"GetColorSet(null)",
         [](IUnknown* object) {
             return ON(IViewObject)->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr);
         },
         true},
        {"Freeze(null)",
         [](IUnknown* object) { return ON(IViewObject)->Freeze(DVASPECT_CONTENT, -1, nullptr, nullptr); }, true},
        {"Unfreeze", [](IUnknown* object) { return ON(IViewObject)->Unfreeze(0); }, false},
        {"SetAdvise(null)", [](IUnknown* object) { return ON(IViewObject)->SetAdvise(DVASPECT_CONTENT, 0, nullptr); },
         false},
        // The aspects and flags are never written and the sink is optional: all null is a
        // question with nothing to answer.
        {"GetAdvise(null, null, null)",
         [](IUnknown* object) { return ON(IViewObject)->GetAdvise(nullptr, nullptr, nullptr); }, false},
        {"GetExtent(null) of the view",
         [](IUnknown* object) { return ON(IViewObject2)->GetExtent(DVASPECT_CONTENT, -1, nullptr, nullptr); }, true},
        {"GetRect(null)", [](IUnknown* object) { return ON(IViewObjectEx)->GetRect(DVASPECT_CONTENT, nullptr); }, true},
        {"GetViewStatus(null)", [](IUnknown* object) { return ON(IViewObjectEx)->GetViewStatus(nullptr); }, true},
        {"QueryHitPoint(null, null)",
         [](IUnknown* object) {
             return ON(IViewObjectEx)->QueryHitPoint(DVASPECT_CONTENT, nullptr, POINT{1, 1}, 0, nullptr);
         },
         true},
        {"QueryHitRect(null, null, null)",
         [](IUnknown* object) {
             return ON(IViewObjectEx)->QueryHitRect(DVASPECT_CONTENT, nullptr, nullptr, 0, nullptr);
         },
         true},
        {"GetNaturalExtent(info, null)",
         [](IUnknown* object) {
             DVEXTENTINFO info = {sizeof info, DVEXTENT_CONTENT, {0, 0}};
             return ON(IViewObjectEx)->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, nullptr);
         },
         true},
        {"GetNaturalExtent(null, size)",
         [](IUnknown* object) {
             SIZEL size{};
             return ON(IViewObjectEx)->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &size);
         },
         true},
        // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
        {"GetWindow(null)", [](IUnknown* object) { return ON(IOleWindow)->GetWindow(nullptr); }, true},
        {"ContextSensitiveHelp", [](IUnknown* object) { return ON(IOleWindow)->ContextSensitiveHelp(TRUE); }, false},
        {"SetObjectRects(null, null)",
         [](IUnknown* object) { return ON(IOleInPlaceObject)->SetObjectRects(nullptr, nullptr); }, false},
        {"ReactivateAndUndo", [](IUnknown* object) { return ON(IOleInPlaceObject)->ReactivateAndUndo(); }, false},
        {"UIDeactivate", [](IUnknown* object) { return ON(IOleInPlaceObject)->UIDeactivate(); }, false},
        {"InPlaceDeactivate", [](IUnknown* object) { return ON(IOleInPlaceObject)->InPlaceDeactivate(); }, false},
        // The result pointer of a windowless message is the caller's choice.
        {"OnWindowMessage(WM_PAINT, no DC, null)",
         [](IUnknown* object) { return ON(IOleInPlaceObjectWindowless)->OnWindowMessage(WM_PAINT, 0, 0, nullptr); },
         false},
        {"OnWindowMessage(WM_SETFOCUS, null)",
         [](IUnknown* object) { return ON(IOleInPlaceObjectWindowless)->OnWindowMessage(WM_SETFOCUS, 0, 0, nullptr); },
         false},
        {"OnWindowMessage(WM_MOUSEACTIVATE, null)",
         [](IUnknown* object) {
             return ON(IOleInPlaceObjectWindowless)->OnWindowMessage(WM_MOUSEACTIVATE, 0, 0, nullptr);
         },
         false},
        {"GetDropTarget(null)",
         [](IUnknown* object) { return ON(IOleInPlaceObjectWindowless)->GetDropTarget(nullptr); }, true},
        // IOleInPlaceActiveObject
        {"TranslateAccelerator(null)",
         [](IUnknown* object) { return ON(IOleInPlaceActiveObject)->TranslateAccelerator(nullptr); }, false},
        {"OnFrameWindowActivate",
         [](IUnknown* object) { return ON(IOleInPlaceActiveObject)->OnFrameWindowActivate(FALSE); }, false},
        {"OnDocWindowActivate(FALSE)",
         [](IUnknown* object) { return ON(IOleInPlaceActiveObject)->OnDocWindowActivate(FALSE); }, false},
        {"ResizeBorder(null, null)",
         [](IUnknown* object) { return ON(IOleInPlaceActiveObject)->ResizeBorder(nullptr, nullptr, TRUE); }, false},
        {"EnableModeless", [](IUnknown* object) { return ON(IOleInPlaceActiveObject)->EnableModeless(FALSE); }, false},
        // IOleControl
        {"GetControlInfo(null)", [](IUnknown* object) { return ON(IOleControl)->GetControlInfo(nullptr); }, true},
        {"OnMnemonic(null)", [](IUnknown* object) { return ON(IOleControl)->OnMnemonic(nullptr); }, false},
        {"OnAmbientPropertyChange",
         [](IUnknown* object) { return ON(IOleControl)->OnAmbientPropertyChange(DISPID_UNKNOWN); }, false},
        {"FreezeEvents", [](IUnknown* object) { return ON(IOleControl)->FreezeEvents(TRUE); }, false},
        // IOleObject
        {"SetClientSite(null)", [](IUnknown* object) { return ON(IOleObject)->SetClientSite(nullptr); }, false},
        {"GetClientSite(null)", [](IUnknown* object) { return ON(IOleObject)->GetClientSite(nullptr); }, true},
        {"SetHostNames(null, null)", [](IUnknown* object) { return ON(IOleObject)->SetHostNames(nullptr, nullptr); },
         false},
        {"Close(NOSAVE)", [](IUnknown* object) { return ON(IOleObject)->Close(OLECLOSE_NOSAVE); }, false},
        {"Close(SAVEIFDIRTY)", [](IUnknown* object) { return ON(IOleObject)->Close(OLECLOSE_SAVEIFDIRTY); }, false},
        {"SetMoniker(null)", [](IUnknown* object) { return ON(IOleObject)->SetMoniker(OLEWHICHMK_OBJREL, nullptr); },
         false},
        {"GetMoniker(null)",
         [](IUnknown* object) {
             return ON(IOleObject)->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, nullptr);
         },
         true},
        {"InitFromData(null)", [](IUnknown* object) { return ON(IOleObject)->InitFromData(nullptr, TRUE, 0); }, false},
        {"GetClipboardData(null)", [](IUnknown* object) { return ON(IOleObject)->GetClipboardData(0, nullptr); }, true},
        {"DoVerb(PRIMARY, all null)",
         [](IUnknown* object) {
             return ON(IOleObject)->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr);
         },
         false},
        {"DoVerb(SHOW, all null)",
         [](IUnknown* object) { return ON(IOleObject)->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr); },
         false},
        {"DoVerb(OPEN, all null)",
         [](IUnknown* object) { return ON(IOleObject)->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr); },
         false},
        {"DoVerb(HIDE, all null)",
         [](IUnknown* object) { return ON(IOleObject)->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, nullptr, nullptr); },
         false},
        {"DoVerb(UIACTIVATE, all null)",
         [](IUnknown* object) {
             return ON(IOleObject)->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, nullptr, nullptr);
         },
         false},
        {"DoVerb(INPLACEACTIVATE, all null)",
         [](IUnknown* object) {
             return ON(IOleObject)->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr);
         },
         false},
        {"DoVerb(DISCARDUNDOSTATE, all null)",
         [](IUnknown* object) {
             return ON(IOleObject)->DoVerb(OLEIVERB_DISCARDUNDOSTATE, nullptr, nullptr, 0, nullptr, nullptr);
         },
         false},
        {"DoVerb(PROPERTIES, all null)",
         [](IUnknown* object) {
             return ON(IOleObject)->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr);
         },
         false},
        {"DoVerb(1, all null)",
         [](IUnknown* object) { return ON(IOleObject)->DoVerb(1, nullptr, nullptr, 0, nullptr, nullptr); }, false},
        {"EnumVerbs(null)", [](IUnknown* object) { return ON(IOleObject)->EnumVerbs(nullptr); }, true},
        {"Update", [](IUnknown* object) { return ON(IOleObject)->Update(); }, false},
        {"IsUpToDate", [](IUnknown* object) { return ON(IOleObject)->IsUpToDate(); }, false},
        {"GetUserClassID(null)", [](IUnknown* object) { return ON(IOleObject)->GetUserClassID(nullptr); }, true},
        {"GetUserType(null)", [](IUnknown* object) { return ON(IOleObject)->GetUserType(USERCLASSTYPE_FULL, nullptr); },
         true},
        {"SetExtent(null)", [](IUnknown* object) { return ON(IOleObject)->SetExtent(DVASPECT_CONTENT, nullptr); },
         false},
        {"GetExtent(null) of the object",
         [](IUnknown* object) { return ON(IOleObject)->GetExtent(DVASPECT_CONTENT, nullptr); }, true},
        {"Advise(null, null)", [](IUnknown* object) { return ON(IOleObject)->Advise(nullptr, nullptr); }, true},
        {"Unadvise", [](IUnknown* object) { return ON(IOleObject)->Unadvise(1); }, false},
        {"EnumAdvise(null)", [](IUnknown* object) { return ON(IOleObject)->EnumAdvise(nullptr); }, true},
        {"GetMiscStatus(null)",
         [](IUnknown* object) { return ON(IOleObject)->GetMiscStatus(DVASPECT_CONTENT, nullptr); }, true},
        {"SetColorScheme(null)", [](IUnknown* object) { return ON(IOleObject)->SetColorScheme(nullptr); }, false},
        // IPersist, IPersistStreamInit, IPersistStorage
        {"GetClassID(null)", [](IUnknown* object) { return ON(IPersist)->GetClassID(nullptr); }, true},
        {"IsDirty of the stream", [](IUnknown* object) { return ON(IPersistStreamInit)->IsDirty(); }, false},
        {"Load(null stream)", [](IUnknown* object) { return ON(IPersistStreamInit)->Load(nullptr); }, false},
        {"Save(null stream)", [](IUnknown* object) { return ON(IPersistStreamInit)->Save(nullptr, TRUE); }, false},
        {"GetSizeMax(null)", [](IUnknown* object) { return ON(IPersistStreamInit)->GetSizeMax(nullptr); }, true},
        {"InitNew of the stream", [](IUnknown* object) { return ON(IPersistStreamInit)->InitNew(); }, false},
        {"IsDirty of the storage", [](IUnknown* object) { return ON(IPersistStorage)->IsDirty(); }, false},
        {"InitNew(null storage)", [](IUnknown* object) { return ON(IPersistStorage)->InitNew(nullptr); }, false},
        {"Load(null storage)", [](IUnknown* object) { return ON(IPersistStorage)->Load(nullptr); }, false},
        {"Save(null storage)", [](IUnknown* object) { return ON(IPersistStorage)->Save(nullptr, TRUE); }, false},
        {"SaveCompleted(null)", [](IUnknown* object) { return ON(IPersistStorage)->SaveCompleted(nullptr); }, false},
        {"HandsOffStorage", [](IUnknown* object) { return ON(IPersistStorage)->HandsOffStorage(); }, false},
        // ISpecifyPropertyPages, IQuickActivate
        {"GetPages(null)", [](IUnknown* object) { return ON(ISpecifyPropertyPages)->GetPages(nullptr); }, true},
        {"QuickActivate(null, null)",
         [](IUnknown* object) { return ON(IQuickActivate)->QuickActivate(nullptr, nullptr); }, true},
        {"QuickActivate(container, null)",
         [](IUnknown* object) {
             QACONTAINER container{};
             container.cbSize = sizeof container;
             return ON(IQuickActivate)->QuickActivate(&container, nullptr);
         },
         true},
        {"QuickActivate(null, control)",
         [](IUnknown* object) {
             QACONTROL control{};
             control.cbSize = sizeof control;
             return ON(IQuickActivate)->QuickActivate(nullptr, &control);
         },
         true},
        {"SetContentExtent(null)", [](IUnknown* object) { return ON(IQuickActivate)->SetContentExtent(nullptr); },
         false},
        {"GetContentExtent(null)", [](IUnknown* object) { return ON(IQuickActivate)->GetContentExtent(nullptr); },
         true},
        // IDataObject
        {"GetData(null, null)", [](IUnknown* object) { return ON(IDataObject)->GetData(nullptr, nullptr); }, true},
        {"GetData(format, null)",
         [](IUnknown* object) {
             FORMATETC format = MetafileFormat();
             return ON(IDataObject)->GetData(&format, nullptr);
         },
         true},
        {"GetData(null, medium)",
         [](IUnknown* object) {
             STGMEDIUM medium{};
             const HRESULT result = ON(IDataObject)->GetData(nullptr, &medium);
             if (SUCCEEDED(result)) ReleaseStgMedium(&medium);
             return result;
         },
         true},
        {"GetDataHere(null, null)", [](IUnknown* object) { return ON(IDataObject)->GetDataHere(nullptr, nullptr); },
         true},
        {"QueryGetData(null)", [](IUnknown* object) { return ON(IDataObject)->QueryGetData(nullptr); }, false},
        {"GetCanonicalFormatEtc(null, null)",
         [](IUnknown* object) { return ON(IDataObject)->GetCanonicalFormatEtc(nullptr, nullptr); }, true},
        {"SetData(null, null)", [](IUnknown* object) { return ON(IDataObject)->SetData(nullptr, nullptr, FALSE); },
         false},
        {"EnumFormatEtc(null)", [](IUnknown* object) { return ON(IDataObject)->EnumFormatEtc(DATADIR_GET, nullptr); },
         true},
        {"DAdvise(null, null, null)",
         [](IUnknown* object) { return ON(IDataObject)->DAdvise(nullptr, 0, nullptr, nullptr); }, true},
        {"DUnadvise", [](IUnknown* object) { return ON(IDataObject)->DUnadvise(1); }, false},
        {"EnumDAdvise(null)", [](IUnknown* object) { return ON(IDataObject)->EnumDAdvise(nullptr); }, true},
        // IProvideClassInfo, IProvideClassInfo2
        {"GetClassInfo(null)", [](IUnknown* object) { return ON(IProvideClassInfo)->GetClassInfo(nullptr); }, true},
        {"GetGUID(null)",
         [](IUnknown* object) { return ON(IProvideClassInfo2)->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr); },
         true},
    };
    return probes;
}

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
