// DllRegisterServer and DllUnregisterServer through Wine's regsvr32, read back from the
// real registry of the prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registered_copy.h"
#include "common/loaded_server.h"
#include "support/unique_bstr.h"

namespace {

const std::wstring kClassKey = L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";

// The default (or named) REG_SZ value of an HKCR key; "<absent>" when there is none.
std::wstring ReadString(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<absent>";
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return L"<absent>";
    if (type != REG_SZ) return L"<not REG_SZ>";
    return std::wstring(data, size / sizeof(wchar_t)).c_str();
}


class SelfRegistration : public testing::Test {
protected:
    void SetUp() override {
        // Whatever an earlier, interrupted run left is removed first; that also shows
        // that unregistering succeeds without a registration.
        EXPECT_EQ(copy.CallExport("DllUnregisterServer"), S_OK);
        before = ReadRegistration();
    }
    void TearDown() override { copy.CallExport("DllUnregisterServer"); }

    RegisteredCopy copy;
    std::vector<RegistryTree> before;
};

}  // namespace

TEST_F(SelfRegistration, WritesExactlyTheClassEntriesWithTheRealPath) {
    ASSERT_EQ(copy.RunRegsvr32(false), 0u);
    const std::wstring dll = copy.Dll();  // holds spaces and an apostrophe, kept as it is
    EXPECT_EQ(ReadString(L"Tarvik.lumex.1"), L"lumex Class");
    EXPECT_EQ(ReadString(L"Tarvik.lumex.1\\CLSID"), L"{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}");
    EXPECT_EQ(ReadString(L"Tarvik.lumex"), L"lumex Class");
    EXPECT_EQ(ReadString(L"Tarvik.lumex\\CLSID"), L"{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}");
    EXPECT_EQ(ReadString(L"Tarvik.lumex\\CurVer"), L"Tarvik.lumex.1");
    EXPECT_EQ(ReadString(kClassKey), L"lumex Class");
    EXPECT_EQ(ReadString(kClassKey + L"\\ProgID"), L"Tarvik.lumex.1");
    EXPECT_EQ(ReadString(kClassKey + L"\\VersionIndependentProgID"), L"Tarvik.lumex");
    EXPECT_EQ(ReadString(kClassKey + L"\\InprocServer32"), dll);
    EXPECT_EQ(ReadString(kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ReadString(kClassKey + L"\\ToolboxBitmap32"), dll + L", 101");
    EXPECT_EQ(ReadString(kClassKey + L"\\MiscStatus"), L"0");
    EXPECT_EQ(ReadString(kClassKey + L"\\MiscStatus\\1"), L"131473");
    EXPECT_EQ(ReadString(kClassKey + L"\\TypeLib"), L"{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}");
    EXPECT_EQ(ReadString(kClassKey + L"\\Version"), L"1.0");
    const RegistryTree classKey = ReadClassesKey(kClassKey);
    for (const wchar_t* empty : {L"Programmable", L"Control", L"Insertable"}) {
        ASSERT_EQ(classKey.Keys.count(empty), 1u) << classKey.Format();
        EXPECT_TRUE(classKey.Keys.at(empty).empty());
    }
    // The class key and its eleven subkeys, nothing more.
    EXPECT_EQ(classKey.Keys.size(), 12u) << classKey.Format();
    EXPECT_EQ(ReadClassesKey(L"Tarvik.lumex").Keys.size(), 3u);
    EXPECT_EQ(ReadClassesKey(L"Tarvik.lumex.1").Keys.size(), 2u);
}

TEST_F(SelfRegistration, RegistersTheTypeLibraryWithItsHelpDirectory) {
    ASSERT_EQ(copy.RunRegsvr32(false), 0u);
    InterfacePtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(kTarvikLibId, 1, 0, 0, library.Receive()), S_OK);
    UniqueBstr path;
    ASSERT_EQ(QueryPathOfRegTypeLib(kTarvikLibId, 1, 0, 0, path.Receive()), S_OK);
    EXPECT_EQ(lstrcmpiW(path.Get(), copy.Dll().c_str()), 0);
    const std::wstring dll = copy.Dll();
    const std::wstring directory = dll.substr(0, dll.find_last_of(L'\\') + 1);
    EXPECT_EQ(ReadString(L"TypeLib\\{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}\\1.0\\HELPDIR"), directory);
    library.Reset();
    ASSERT_EQ(copy.RunRegsvr32(true), 0u);
    EXPECT_EQ(LoadRegTypeLib(kTarvikLibId, 1, 0, 0, library.Receive()), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(SelfRegistration, RegisteringTwiceGivesTheSameStateAndUnregisteringRestoresTheFormer) {
    ASSERT_EQ(copy.RunRegsvr32(false), 0u);
    const std::vector<RegistryTree> once = ReadRegistration();
    EXPECT_EQ(copy.CallExport("DllRegisterServer"), S_OK);
    EXPECT_EQ(ReadRegistration(), once);
    ASSERT_EQ(copy.RunRegsvr32(true), 0u);
    EXPECT_EQ(ReadRegistration(), before);
    HKEY clsid = nullptr;
    // HKCR\CLSID itself stays.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &clsid), ERROR_SUCCESS);
    RegCloseKey(clsid);
    EXPECT_EQ(copy.CallExport("DllUnregisterServer"), S_OK);
}

// The registry names the library by its ANSI path.  A folder the code page holds is
// registered as it is named; one it cannot hold is refused, registry untouched, because
// its ANSI form would name another file.  Run under code pages 1252 and 932.
TEST(SelfRegistrationCodePage, AFolderTheCodePageCannotHoldIsRefusedAndOneItHoldsIsRegistered) {
    const bool japanese = GetACP() == 932;
    const std::wstring japaneseName = L"\u65E5\u672C\u8A9E", accentedName = L"caf\u00E9";
    RegisteredCopy refused(japanese ? accentedName : japaneseName);
    RegisteredCopy accepted(japanese ? japaneseName : accentedName);
    ASSERT_EQ(accepted.CallExport("DllUnregisterServer"), S_OK);
    const std::vector<RegistryTree> before = ReadRegistration();
    const HRESULT noTranslation = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(refused.CallExport("DllRegisterServer"), noTranslation);
    EXPECT_EQ(ReadRegistration(), before);
    ASSERT_EQ(accepted.CallExport("DllRegisterServer"), S_OK);
    EXPECT_EQ(ReadString(kClassKey + L"\\InprocServer32"), accepted.Dll());
    UniqueBstr path;
    ASSERT_EQ(QueryPathOfRegTypeLib(kTarvikLibId, 1, 0, 0, path.Receive()), S_OK);
    EXPECT_EQ(lstrcmpiW(path.Get(), accepted.Dll().c_str()), 0);
    const std::vector<RegistryTree> registered = ReadRegistration();
    EXPECT_EQ(refused.CallExport("DllUnregisterServer"), noTranslation);
    EXPECT_EQ(ReadRegistration(), registered);
    EXPECT_EQ(accepted.CallExport("DllUnregisterServer"), S_OK);
    EXPECT_EQ(ReadRegistration(), before);
}

TEST_F(SelfRegistration, RegistersTheTagFileClassBesideLumexWithBothThreadingModels) {
    ASSERT_EQ(copy.RunRegsvr32(false), 0u);
    const std::wstring key = L"CLSID\\{5C3E7A1F-91B4-4D2F-8E63-27A1B9D40C55}";
    EXPECT_EQ(ReadString(key), L"TagFile Class");
    EXPECT_EQ(ReadString(key + L"\\InprocServer32"), copy.Dll());
    EXPECT_EQ(ReadString(key + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    EXPECT_EQ(ReadString(key + L"\\ProgID"), L"Tarvik.TagFile.1");
    EXPECT_EQ(ReadString(key + L"\\VersionIndependentProgID"), L"Tarvik.TagFile");
    EXPECT_EQ(ReadString(L"Tarvik.TagFile\\CurVer"), L"Tarvik.TagFile.1");
    CLSID versioned{}, independent{};
    EXPECT_EQ(CLSIDFromProgID(L"Tarvik.TagFile.1", &versioned), S_OK);
    EXPECT_EQ(CLSIDFromProgID(L"Tarvik.TagFile", &independent), S_OK);
    EXPECT_TRUE(IsEqualGUID(versioned, kTagFileClsid) && IsEqualGUID(independent, kTagFileClsid));
    // Both dual interfaces, the first one and the one that extends it, marshalled by the
    // type library.
    const std::wstring interfaces[] = {L"Interface\\{5C3E7A1E-91B4-4D2F-8E63-27A1B9D40C55}",
                                       L"Interface\\{5C3E7A20-91B4-4D2F-8E63-27A1B9D40C55}"};
    EXPECT_EQ(ReadString(interfaces[0]), L"ITagFile");
    EXPECT_EQ(ReadString(interfaces[1]), L"ITagFile2");
    EXPECT_EQ(ReadString(interfaces[1] + L"\\TypeLib"), L"{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}");
    ASSERT_EQ(copy.RunRegsvr32(true), 0u);
    EXPECT_EQ(ReadString(key), L"<absent>");
    EXPECT_EQ(ReadString(L"Tarvik.TagFile"), L"<absent>");
    for (const std::wstring& registered : interfaces) EXPECT_EQ(ReadString(registered), L"<absent>");
}
