// The object's COM identity: which interfaces it answers, with which pointers.
#include <gtest/gtest.h>

#include <objsafe.h>
#include <ocidl.h>
#include <oleidl.h>

#include <map>
#include <vector>

#include "common/loaded_server.h"

namespace {

struct Answer {
    const IID* Iid;
    int Group;
};

// Lookup order and the pointer groups of the control's table.
const std::vector<Answer> kAnswers = {
    {&kIlumexIid, 1}, {&IID_IDispatch, 1},
    {&IID_IViewObjectEx, 2}, {&IID_IViewObject2, 2}, {&IID_IViewObject, 2},
    {&IID_IOleInPlaceObjectWindowless, 3}, {&IID_IOleInPlaceObject, 3}, {&IID_IOleWindow, 3},
    {&IID_IOleInPlaceActiveObject, 4}, {&IID_IOleControl, 5}, {&IID_IOleObject, 6},
    {&IID_IPersistStreamInit, 7}, {&IID_IPersist, 7}, {&IID_ISpecifyPropertyPages, 8},
    {&IID_IQuickActivate, 9}, {&IID_IPersistStorage, 10}, {&IID_IDataObject, 11},
    {&IID_IProvideClassInfo, 12}, {&IID_IProvideClassInfo2, 12},
};

}  // namespace

TEST(Identity, AllNineteenInterfacesAnswerWithOneIdentity) {
    LoadedServer server;
    auto object = server.Create<IUnknown>(IID_IUnknown);
    ASSERT_TRUE(object);
    std::map<int, void*> groups;
    std::map<void*, int> pointers;
    for (const Answer& answer : kAnswers) {
        InterfacePtr<IUnknown> face;
        ASSERT_EQ(object->QueryInterface(*answer.Iid, face.ReceiveVoid()), S_OK) << "group " << answer.Group;
        InterfacePtr<IUnknown> back;
        ASSERT_EQ(face->QueryInterface(IID_IUnknown, back.ReceiveVoid()), S_OK);
        EXPECT_EQ(back.Get(), object.Get());
        if (groups.count(answer.Group) != 0) {
            EXPECT_EQ(groups[answer.Group], face.Get()) << "group " << answer.Group;
        } else {
            groups[answer.Group] = face.Get();
            EXPECT_EQ(pointers.count(face.Get()), 0u) << "group " << answer.Group << " shares another's pointer";
            pointers[face.Get()] = answer.Group;
        }
    }
    EXPECT_EQ(groups[1], object.Get());  // the first pointer is the IUnknown
    EXPECT_EQ(groups.size(), 12u);
}

TEST(Identity, RefusesWhatTheControlDoesNotImplement) {
    LoadedServer server;
    auto object = server.Create<IUnknown>(IID_IUnknown);
    for (const IID* iid : {&IID_IConnectionPointContainer, &IID_IPersistPropertyBag, &IID_IObjectSafety,
                           &IID_IClassFactory2, &IID_IClassFactory, &IID_IOleInPlaceSite}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(IID_IOleObject, nullptr), E_POINTER);
}

TEST(Identity, CountsReferencesAcrossAllItsInterfaces) {
    LoadedServer server;
    auto object = server.Create<IUnknown>(IID_IUnknown);
    InterfacePtr<IOleObject> ole;
    object->QueryInterface(IID_IOleObject, ole.ReceiveVoid());
    EXPECT_EQ(ole->AddRef(), 3u);
    EXPECT_EQ(object->Release(), 2u);
    object.Detach();
    EXPECT_EQ(ole->Release(), 1u);
    ole.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
