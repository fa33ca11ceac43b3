// DllGetClassObject, the cached class object and the module's lock accounting.
#include <gtest/gtest.h>

#include <ocidl.h>

#include "common/loaded_server.h"

TEST(ClassObject, IsCachedAndKeepsTheLibraryOnlyWhileClientsHoldIt) {
    LoadedServer server;
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
    InterfacePtr<IClassFactory> first;
    InterfacePtr<IClassFactory> second;
    ASSERT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory, first.ReceiveVoid()), S_OK);
    ASSERT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory, second.ReceiveVoid()), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    first.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    second.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ClassObject, StaysCachedWhenAskedForAnInterfaceItLacks) {
    LoadedServer server;
    // The first request of all fails: the class object is made and kept all the same.
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
    InterfacePtr<IClassFactory> held;
    ASSERT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory, held.ReceiveVoid()), S_OK);
    // Only the module's reference and ours: the failed request left none behind.
    EXPECT_EQ(held->AddRef(), 3u);
    held->Release();
    EXPECT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory2, &out), E_NOINTERFACE);
    InterfacePtr<IUnknown> again;
    ASSERT_EQ(server.GetClassObject(kLumexClsid, IID_IUnknown, again.ReceiveVoid()), S_OK);
    EXPECT_EQ(again.Get(), static_cast<IUnknown*>(held.Get()));
    again.Reset();
    held.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ClassObject, RefusesWhatItIsNot) {
    LoadedServer server;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(server.GetClassObject(GUID_NULL, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(server.GetClassObject(kIlumexIid, IID_IUnknown, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(server.GetClassObject(kLumexClsid, IID_IClassFactory, nullptr), E_POINTER);
    // A C caller passes the GUIDs by pointer, and may pass null.
    using ByPointer = HRESULT(STDAPICALLTYPE*)(const CLSID*, const IID*, void**);
    const auto byPointer = reinterpret_cast<ByPointer>(
        reinterpret_cast<void*>(GetProcAddress(server.Module(), "DllGetClassObject")));
    ASSERT_NE(byPointer, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(byPointer(nullptr, &IID_IClassFactory, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(byPointer(&kLumexClsid, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(byPointer(nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ClassObject, ObjectsHoldTheLibraryWhileTheyLive) {
    LoadedServer server;
    InterfacePtr<IClassFactory> factory = server.Factory();
    InterfacePtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
    factory.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    object.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ClassObject, FailedCreationLeavesNoObjectAndNoLock) {
    LoadedServer server;
    InterfacePtr<IClassFactory> factory = server.Factory();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    factory.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ClassObject, LockServerKeepsTheLibraryUntilUnlocked) {
    LoadedServer server;
    InterfacePtr<IClassFactory> factory = server.Factory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    InterfacePtr<IUnknown> object;
    factory->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid());
    object.Reset();
    factory.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    factory = server.Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
