// The type library as the system's loader reads it from tarvik.DLL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/loaded_server.h"
#include "support/unique_bstr.h"

namespace {

InterfacePtr<ITypeLib> LoadLibraryOfDll() {
    InterfacePtr<ITypeLib> library;
    EXPECT_EQ(LoadTypeLib(LoadedServer::DllPath().c_str(), library.Receive()), S_OK);
    return library;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    UniqueBstr name;
    info->GetDocumentation(id, name.Receive(), nullptr, nullptr, nullptr);
    return name.Get() != nullptr ? name.Get() : L"";
}

struct Method {
    const wchar_t* Name;
    MEMBERID Id;
    INVOKEKIND Kind;
    VARTYPE Parameter;  // VT_EMPTY for none; VT_BSTR plain, others a pointer to it
};

const std::vector<Method> kMethods = {
    {L"LoadMP3Head", 1, INVOKE_FUNC, VT_BSTR},       {L"GetTitle", 2, INVOKE_PROPERTYGET, VT_BSTR},
    {L"GetArtist", 3, INVOKE_PROPERTYGET, VT_BSTR},  {L"GetAlbum", 4, INVOKE_PROPERTYGET, VT_BSTR},
    {L"GetProYear", 5, INVOKE_PROPERTYGET, VT_BSTR}, {L"GetComment", 6, INVOKE_PROPERTYGET, VT_BSTR},
    {L"GetGenreNo", 7, INVOKE_PROPERTYGET, VT_I2},   {L"DoCutTailSp", 8, INVOKE_FUNC, VT_EMPTY},
};

}  // namespace

TEST(TypeLibrary, LibraryAttributes) {
    auto library = LoadLibraryOfDll();
    ASSERT_TRUE(library);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kTarvikLibId));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    EXPECT_EQ(attributes->syskind, SYS_WIN32);
    EXPECT_EQ(attributes->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);  // the loader adds the disk-image flag
    library->ReleaseTLibAttr(attributes);
    UniqueBstr name;
    library->GetDocumentation(-1, name.Receive(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(name.Get(), L"TARVIKLib");
}

TEST(TypeLibrary, CoclassThenDualInterfaceInThatOrder) {
    auto library = LoadLibraryOfDll();
    // lumex and Ilumex first, then TagFile, ITagFile, and ITagFile2 that extends it.
    ASSERT_EQ(library->GetTypeInfoCount(), 5u);
    TYPEKIND kind;
    for (UINT index = 0; index < 5; ++index) {
        library->GetTypeInfoType(index, &kind);
        EXPECT_EQ(kind, index == 0 || index == 2 ? TKIND_COCLASS : TKIND_DISPATCH) << index;
    }
    UniqueBstr name;
    library->GetDocumentation(4, name.Receive(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(name.Get(), L"ITagFile2");

    InterfacePtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfo(0, coclass.Receive()), S_OK);
    TYPEATTR* attributes = nullptr;
    coclass->GetTypeAttr(&attributes);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kLumexClsid));
    EXPECT_EQ(attributes->wTypeFlags, TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes->cImplTypes, 1);
    coclass->ReleaseTypeAttr(attributes);
    EXPECT_EQ(NameOf(coclass.Get(), MEMBERID_NIL), L"lumex");
    INT implFlags = 0;
    coclass->GetImplTypeFlags(0, &implFlags);
    EXPECT_EQ(implFlags, IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE implemented = 0;
    coclass->GetRefTypeOfImplType(0, &implemented);
    InterfacePtr<ITypeInfo> iface;
    coclass->GetRefTypeInfo(implemented, iface.Receive());
    EXPECT_EQ(NameOf(iface.Get(), MEMBERID_NIL), L"Ilumex");
}

TEST(TypeLibrary, DualInterfaceDescribesEveryMethodInItsSlot) {
    auto library = LoadLibraryOfDll();
    InterfacePtr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kIlumexIid, dispatch.Receive()), S_OK);
    TYPEATTR* attributes = nullptr;
    dispatch->GetTypeAttr(&attributes);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
    dispatch->ReleaseTypeAttr(attributes);

    // The interface view behind the dispatch view, with the same IID.
    HREFTYPE interfaceRef = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceRef), S_OK);
    InterfacePtr<ITypeInfo> vtable;
    ASSERT_EQ(dispatch->GetRefTypeInfo(interfaceRef, vtable.Receive()), S_OK);
    vtable->GetTypeAttr(&attributes);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kIlumexIid));
    EXPECT_EQ(attributes->cFuncs, 8);
    EXPECT_EQ(attributes->wMajorVerNum, 0);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    vtable->ReleaseTypeAttr(attributes);

    for (UINT i = 0; i < kMethods.size(); ++i) {
        const Method& expected = kMethods[i];
        FUNCDESC* function = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(i, &function), S_OK);
        EXPECT_EQ(NameOf(vtable.Get(), function->memid), expected.Name);
        EXPECT_EQ(function->memid, expected.Id);
        EXPECT_EQ(function->invkind, expected.Kind) << i;
        EXPECT_EQ(function->funckind, FUNC_PUREVIRTUAL);
        EXPECT_EQ(function->callconv, CC_STDCALL);
        EXPECT_EQ(function->wFuncFlags, 0);
        EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << expected.Name;
        EXPECT_EQ(function->cParamsOpt, 0);
        if (expected.Parameter == VT_EMPTY) {
            EXPECT_EQ(function->cParams, 0);
        } else {
            ASSERT_EQ(function->cParams, 1);
            const ELEMDESC& parameter = function->lprgelemdescParam[0];
            if (expected.Kind == INVOKE_FUNC) {
                EXPECT_EQ(parameter.tdesc.vt, VT_BSTR);
                EXPECT_EQ(parameter.paramdesc.wParamFlags, 0);
            } else {
                EXPECT_EQ(parameter.tdesc.vt, VT_PTR);
                EXPECT_EQ(parameter.tdesc.lptdesc->vt, expected.Parameter);
                EXPECT_EQ(parameter.paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
            }
        }
        vtable->ReleaseFuncDesc(function);
    }
    // Names map to DISPIDs through the type information.
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"LoadMP3Head"), const_cast<LPOLESTR>(L"DoCutTailSp")};
    MEMBERID ids[1] = {};
    EXPECT_EQ(dispatch->GetIDsOfNames(&names[0], 1, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(dispatch->GetIDsOfNames(&names[1], 1, ids), S_OK);
    EXPECT_EQ(ids[0], 8);
    // The parameter names as the type library has them.
    BSTR parameterNames[2] = {};
    UINT count = 0;
    vtable->GetNames(1, parameterNames, 2, &count);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(parameterNames[1], L"strName");
    SysFreeString(parameterNames[0]);
    SysFreeString(parameterNames[1]);
}
