// Late-bound calls through the object's IDispatch, as a script host makes them.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/loaded_server.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

class Variant {
public:
    Variant() { VariantInit(&value); }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT value;
};

class Dispatch : public testing::Test {
protected:
    RegisteredTypeLibrary registration;
    LoadedServer server;
    InterfacePtr<IDispatch> object = server.Create<IDispatch>(IID_IDispatch);

    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANTARG> arguments, VARIANT* result) {
        DISPPARAMS parameters = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        EXCEPINFO exception = {};
        UINT argumentError = 0;
        return object->Invoke(id, IID_NULL, 0, flags, &parameters, result, &exception, &argumentError);
    }
    HRESULT Load(const std::wstring& path) {
        VARIANTARG argument;
        argument.vt = VT_BSTR;
        UniqueBstr text(SysAllocString(path.c_str()));
        argument.bstrVal = text.Get();
        return Call(1, DISPATCH_METHOD, {argument}, nullptr);
    }
    HRESULT Ids(std::vector<const wchar_t*> names, std::vector<DISPID>& ids) {
        ids.assign(names.size(), -2);
        return object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()), static_cast<UINT>(names.size()),
                                     0, ids.data());
    }
};

}  // namespace

TEST_F(Dispatch, CountsOneTypeInfoAndHandsOutTheSameForAnyIndex) {
    UINT count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(object->GetTypeInfoCount(nullptr), E_POINTER);
    InterfacePtr<ITypeInfo> first;
    InterfacePtr<ITypeInfo> fifth;
    ASSERT_EQ(object->GetTypeInfo(0, 0, first.Receive()), S_OK);
    ASSERT_EQ(object->GetTypeInfo(5, 0, fifth.Receive()), S_OK);
    EXPECT_EQ(first.Get(), fifth.Get());
    EXPECT_EQ(object->GetTypeInfo(0, 0, nullptr), E_POINTER);
    TYPEATTR* attributes = nullptr;
    first->GetTypeAttr(&attributes);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kIlumexIid));
    first->ReleaseTypeAttr(attributes);
}

TEST_F(Dispatch, NamesMapToTheirIdsWithOrWithoutTheCache) {
    std::vector<DISPID> ids;
    const std::vector<std::pair<const wchar_t*, DISPID>> members = {
        {L"LoadMP3Head", 1}, {L"GetTitle", 2},   {L"GetArtist", 3},  {L"GetAlbum", 4},
        {L"GetProYear", 5},  {L"GetComment", 6}, {L"GetGenreNo", 7}, {L"DoCutTailSp", 8},
        {L"gettitle", 2},    {L"DOCUTTAILSP", 8}, {L"QueryInterface", 0x60000000},
    };
    for (const auto& member : members) {
        EXPECT_EQ(Ids({member.first}, ids), S_OK) << member.first;
        EXPECT_EQ(ids[0], member.second) << member.first;
    }
    EXPECT_EQ(Ids({L"LoadMP3Head", L"strName"}, ids), S_OK);
    EXPECT_EQ(ids, (std::vector<DISPID>{1, 0}));
    EXPECT_EQ(Ids({L"loadmp3head", L"STRNAME"}, ids), S_OK);
    EXPECT_EQ(ids, (std::vector<DISPID>{1, 0}));
    EXPECT_EQ(Ids({L"GetTitl"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Ids({L"NoSuchMember"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Ids({L"LoadMP3Head", L"pVal"}, ids), DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, NamesWithoutArraysAreRefused) {
    // Cached and uncached names alike: nothing is written through a null array.
    for (const wchar_t* name : {L"GetTitle", L"gettitle", L"NoSuchMember"}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr), E_POINTER) << name;
        DISPID id = -2;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_POINTER);
        EXPECT_EQ(id, -2);
    }
    LPOLESTR withNull[] = {const_cast<LPOLESTR>(L"LoadMP3Head"), nullptr};
    DISPID ids[2] = {-2, -2};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, withNull, 2, 0, ids), E_POINTER);
    EXPECT_EQ(ids[0], -2);
}

TEST_F(Dispatch, InvokesEveryMember) {
    ScratchFolder folder;
    std::vector<unsigned char> file(400, 0);
    const auto tag = MakeTag("Title  ", "Artist", "Album", "2001", "Note", 0x80);
    file.insert(file.end(), tag.begin(), tag.end());
    EXPECT_EQ(Load(folder.WriteFile(L"song.mp3", file)), S_OK);

    const std::vector<std::pair<DISPID, const wchar_t*>> texts = {
        {2, L"Title  "}, {3, L"Artist"}, {4, L"Album"}, {5, L"2001"}, {6, L"Note"}};
    for (const auto& text : texts) {
        Variant result;
        ASSERT_EQ(Call(text.first, DISPATCH_PROPERTYGET, {}, &result.value), S_OK);
        ASSERT_EQ(result.value.vt, VT_BSTR);
        EXPECT_STREQ(result.value.bstrVal, text.second);
        // A getter may also be called as a method.
        Variant asMethod;
        ASSERT_EQ(Call(text.first, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &asMethod.value), S_OK);
        EXPECT_STREQ(asMethod.value.bstrVal, text.second);
    }
    Variant genre;
    ASSERT_EQ(Call(7, DISPATCH_PROPERTYGET, {}, &genre.value), S_OK);
    ASSERT_EQ(genre.value.vt, VT_I2);
    EXPECT_EQ(genre.value.iVal, 128);

    EXPECT_EQ(Call(8, DISPATCH_METHOD, {}, nullptr), S_OK);
    Variant title;
    Call(2, DISPATCH_PROPERTYGET, {}, &title.value);
    EXPECT_STREQ(title.value.bstrVal, L"Title");
}

TEST_F(Dispatch, PassesTheTypeInformationsErrorsThrough) {
    Variant result;
    EXPECT_EQ(Call(1, DISPATCH_METHOD, {}, nullptr), DISP_E_BADPARAMCOUNT);
    VARIANTARG extra;
    extra.vt = VT_I4;
    extra.lVal = 1;
    // An argument to a property get without parameters is refused (the system's loader
    // takes it for a collection index).
    EXPECT_TRUE(FAILED(Call(2, DISPATCH_PROPERTYGET, {extra}, &result.value)));
    EXPECT_EQ(Call(99, DISPATCH_METHOD, {}, &result.value), DISP_E_MEMBERNOTFOUND);
    // A number where a path is expected is converted, as automation does.
    EXPECT_EQ(Call(1, DISPATCH_METHOD, {extra}, nullptr), S_OK);
    VARIANTARG unconvertible;
    unconvertible.vt = VT_UNKNOWN;
    unconvertible.punkVal = object.Get();
    EXPECT_EQ(Call(1, DISPATCH_METHOD, {unconvertible}, nullptr), DISP_E_TYPEMISMATCH);
}

TEST_F(Dispatch, ClassInfoDescribesTheCoclassWithoutEvents) {
    InterfacePtr<IProvideClassInfo2> info;
    ASSERT_EQ(object->QueryInterface(IID_IProvideClassInfo2, info.ReceiveVoid()), S_OK);
    InterfacePtr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(coclass.Receive()), S_OK);
    TYPEATTR* attributes = nullptr;
    coclass->GetTypeAttr(&attributes);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kLumexClsid));
    coclass->ReleaseTypeAttr(attributes);
    EXPECT_EQ(info->GetClassInfo(nullptr), E_POINTER);
    GUID guid;
    std::memset(&guid, 0xAB, sizeof guid);
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), E_FAIL);
    EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
}

TEST(DispatchUnregistered, EveryCallRetriesAndFailsUntilTheLibraryIsRegistered) {
    RegisteredTypeLibrary::RemoveRegistration();
    LoadedServer server;
    auto object = server.Create<IDispatch>(IID_IDispatch);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(object->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
                  TYPE_E_LIBNOTREGISTERED);
    }
    LPOLESTR name = const_cast<LPOLESTR>(L"GetTitle");
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), TYPE_E_LIBNOTREGISTERED);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(object->GetTypeInfo(0, 0, &info), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(info, nullptr);
    UINT count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    // Nothing failed was cached: once registered, the same object works.
    RegisteredTypeLibrary registration;
    EXPECT_EQ(object->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    VariantClear(&result);
}

namespace {

// The reference count of a type information object, read through an AddRef and Release.
ULONG CountOf(ITypeInfo* info) {
    info->AddRef();
    return info->Release();
}

}  // namespace

TEST_F(Dispatch, TypeInformationHandedOutCarriesOneReferenceForTheCaller) {
    InterfacePtr<IProvideClassInfo> provider;
    ASSERT_EQ(object->QueryInterface(IID_IProvideClassInfo, provider.ReceiveVoid()), S_OK);
    const std::vector<std::function<HRESULT(ITypeInfo**)>> getters = {
        [&](ITypeInfo** out) { return object->GetTypeInfo(0, 0, out); },
        [&](ITypeInfo** out) { return provider->GetClassInfo(out); },
    };
    for (const auto& get : getters) {
        InterfacePtr<ITypeInfo> first;
        InterfacePtr<ITypeInfo> second;
        ASSERT_EQ(get(first.Receive()), S_OK);
        const ULONG held = CountOf(first.Get());
        ASSERT_EQ(get(second.Receive()), S_OK);
        EXPECT_EQ(CountOf(second.Get()), held + 1);
        // The callers' releases leave the object's own reference.
        first.Reset();
        EXPECT_EQ(CountOf(second.Get()), held);
        second.Reset();
    }
    VARIANT title;
    VariantInit(&title);
    EXPECT_EQ(Call(2, DISPATCH_PROPERTYGET, {}, &title), S_OK);
    VariantClear(&title);
    InterfacePtr<ITypeInfo> again;
    EXPECT_EQ(object->GetTypeInfo(0, 0, again.Receive()), S_OK);
}
