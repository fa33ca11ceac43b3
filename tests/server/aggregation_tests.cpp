// A lumex object owned by an outer object of the tests.
#include <gtest/gtest.h>

#include <oleidl.h>

#include "common/loaded_server.h"
#include "common/outer_object.h"
#include "common/temp_files.h"

TEST(Aggregation, OnlyIUnknownMayBeAskedFor) {
    LoadedServer server;
    OuterObject outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(server.Factory()->CreateInstance(&outer, IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(Aggregation, InterfacesCountOnTheOuterObject) {
    LoadedServer server;
    OuterObject outer;
    ASSERT_EQ(server.Factory()->CreateInstance(&outer, IID_IUnknown, outer.Inner.ReceiveVoid()), S_OK);
    EXPECT_EQ(outer.Count, 1);
    InterfacePtr<IOleObject> ole;
    ASSERT_EQ(outer.Inner->QueryInterface(IID_IOleObject, ole.ReceiveVoid()), S_OK);
    EXPECT_EQ(outer.Count, 2);  // the contained control's AddRef went to the outer object
    ole->AddRef();
    EXPECT_EQ(outer.Count, 3);
    ole->Release();
    // Through the contained control, identity is the outer object's.
    InterfacePtr<IUnknown> identity;
    ASSERT_EQ(ole->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity.Reset();
    // What the outer object refuses, the contained control answers from its own table.
    InterfacePtr<IUnknown> persist;
    EXPECT_EQ(ole->QueryInterface(IID_IPersist, persist.ReceiveVoid()), S_OK);
    persist.Reset();
    ole.Reset();
    EXPECT_EQ(outer.Count, 1);
    // The inner unknown keeps its own identity and count.
    InterfacePtr<IUnknown> inner;
    EXPECT_EQ(outer.Inner->QueryInterface(IID_IUnknown, inner.ReceiveVoid()), S_OK);
    EXPECT_EQ(inner.Get(), outer.Inner.Get());
    EXPECT_EQ(outer.Inner->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    inner.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    outer.Inner.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(Aggregation, InvokeThroughTheAggregateCallsTheContainedControl) {
    RegisteredTypeLibrary registration;
    LoadedServer server;
    OuterObject outer;
    ASSERT_EQ(server.Factory()->CreateInstance(&outer, IID_IUnknown, outer.Inner.ReceiveVoid()), S_OK);
    InterfacePtr<IDispatch> dispatch;
    ASSERT_EQ(outer.QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()), S_OK);
    const LONG held = outer.Count;
    ScratchFolder folder;
    VARIANTARG path;
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(folder.WriteFile(L"a.mp3", MakeTag("Inside", "", "", "", "", 4)).c_str());
    DISPPARAMS one = {&path, nullptr, 1, 0};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT title;
    VariantInit(&title);
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &title, nullptr, nullptr), S_OK);
    EXPECT_EQ(title.vt, VT_BSTR);
    EXPECT_STREQ(title.bstrVal, L"Inside");
    VariantClear(&title);
    VariantClear(&path);
    EXPECT_EQ(outer.Count, held);  // every reference the calls took went back to the outer object
    dispatch.Reset();
    outer.Inner.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
