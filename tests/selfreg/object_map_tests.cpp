// The registration walk, the type-library half and the resource half, on a module
// record of the test's own whose file is the test program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "registration/registry_resource.h"
#include "registration/server_registration.h"
#include "common/loaded_server.h"
#include "support/unique_bstr.h"

namespace {

const CLSID kFirst = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x01}};
const CLSID kSecond = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x02}};
const CLSID kDescribed = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x03}};
const GUID kCategory = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x0C}};

std::vector<std::string> calls;
HRESULT firstResult = S_OK;

HRESULT WINAPI UpdateFirst(BOOL reg) {
    calls.push_back(std::string(reg ? "+" : "-") + "first");
    return firstResult;
}
HRESULT WINAPI UpdateSecond(BOOL reg) {
    calls.push_back(std::string(reg ? "+" : "-") + "second");
    return S_OK;
}
HRESULT WINAPI UpdateDescribed(BOOL reg) {
    calls.push_back(std::string(reg ? "+" : "-") + "described");
    return S_OK;
}
const wchar_t* WINAPI Describe() { return L"has a description"; }
const CategoryTableEntry kCategories[] = {{1, &kCategory}, {0, nullptr}};
const CategoryTableEntry* WINAPI Categories() { return kCategories; }

ClassTableEntry TestTable[] = {
    {&kFirst, UpdateFirst, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
    {&kDescribed, UpdateDescribed, nullptr, nullptr, nullptr, 0, Describe, nullptr, nullptr},
    {&kSecond, UpdateSecond, nullptr, nullptr, nullptr, 0, nullptr, Categories, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring CompanionTlb() {
    std::wstring path = ProgramPath();
    return path.substr(0, path.find_last_of(L'.')) + L".tlb";
}

// Writes the type library of tarvik.DLL beside the test program as its ".tlb" companion.
void WriteCompanionTlb() {
    HMODULE dll = LoadLibraryExW(LoadedServer::DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(dll, MAKEINTRESOURCEW(TARVIK_TYPELIB_RESOURCE), L"TYPELIB");
    ASSERT_NE(found, nullptr);
    const void* bytes = LockResource(LoadResource(dll, found));
    HANDLE file = CreateFileW(CompanionTlb().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, SizeofResource(dll, found), &written, nullptr);
    CloseHandle(file);
    FreeLibrary(dll);
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class ObjectMap : public testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        firstResult = S_OK;
        module.Instance = module.TypeLibInstance = GetModuleHandleW(nullptr);
        module.ClassTable = TestTable;
    }
    void TearDown() override {
        DeleteFileW(CompanionTlb().c_str());
        RegisteredTypeLibrary::RemoveRegistration();
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-555555555502}");
    }
    ServerModule module{};
};

}  // namespace

TEST_F(ObjectMap, WalksTheUndescribedClassesInOrderAndStopsAtTheFirstFailure) {
    EXPECT_EQ(RegisterObjectMap(nullptr, false, nullptr), E_INVALIDARG);
    EXPECT_EQ(UnregisterObjectMap(nullptr, false, nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterObjectMap(&module, false, nullptr), S_OK);
    EXPECT_EQ(calls, (std::vector<std::string>{"+first", "+second"}));
    calls.clear();
    EXPECT_EQ(RegisterObjectMap(&module, false, &kDescribed), S_OK);  // named, it is taken
    EXPECT_EQ(calls, (std::vector<std::string>{"+described"}));
    calls.clear();
    firstResult = E_ACCESSDENIED;
    EXPECT_EQ(RegisterObjectMap(&module, true, nullptr), E_ACCESSDENIED);
    EXPECT_EQ(calls, (std::vector<std::string>{"+first"}));
    calls.clear();
    EXPECT_EQ(UnregisterObjectMap(&module, false, nullptr), S_OK);  // failures are ignored
    EXPECT_EQ(calls, (std::vector<std::string>{"-first", "-second"}));
}

TEST_F(ObjectMap, RegistersAndRemovesTheClassCategories) {
    const std::wstring implemented =
        L"CLSID\\{11111111-2222-3333-4444-555555555502}\\Implemented Categories\\{11111111-2222-3333-4444-55555555550C}";
    EXPECT_EQ(UpdateClassCategories(kSecond, nullptr, true), S_OK);
    ASSERT_EQ(RegisterObjectMap(&module, false, &kSecond), S_OK);
    EXPECT_TRUE(KeyExists(implemented));
    EXPECT_EQ(UnregisterObjectMap(&module, false, &kSecond), S_OK);
    EXPECT_FALSE(KeyExists(implemented));
}

TEST_F(ObjectMap, TypeLibraryFallsBackToTheTlbCompanion) {
    // The test program holds no type library and has no companion: the load error is the
    // result, after the classes were registered.
    DeleteFileW(CompanionTlb().c_str());
    InterfacePtr<ITypeLib> library;
    const HRESULT companionError = LoadTypeLib(CompanionTlb().c_str(), library.Receive());
    ASSERT_NE(companionError, S_OK);
    EXPECT_EQ(RegisterObjectMap(&module, true, nullptr), companionError);
    EXPECT_EQ(calls, (std::vector<std::string>{"+first", "+second"}));

    WriteCompanionTlb();
    UniqueBstr path;
    ASSERT_EQ(OpenModuleTypeLibrary(&module, nullptr, path.Receive(), library.Receive()), S_OK);
    EXPECT_EQ(lstrcmpiW(path.Get(), CompanionTlb().c_str()), 0);
    library.Reset();
    ASSERT_EQ(InstallModuleTypeLibrary(&module, nullptr), S_OK);
    UniqueBstr registered;
    ASSERT_EQ(QueryPathOfRegTypeLib(kTarvikLibId, 1, 0, 0, registered.Receive()), S_OK);
    EXPECT_EQ(lstrcmpiW(registered.Get(), CompanionTlb().c_str()), 0);
    EXPECT_EQ(RemoveModuleTypeLibrary(&module, nullptr), S_OK);
    EXPECT_EQ(LoadRegTypeLib(kTarvikLibId, 1, 0, 0, library.Receive()), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(ObjectMap, MissingScriptResourceIsAnErrorNotASuccess) {
    // The test program has no REGISTRY resource: the system's error comes back as an HRESULT.
    SetLastError(0);
    ASSERT_EQ(FindResourceW(module.Instance, MAKEINTRESOURCEW(TARVIK_LUMEX_REGISTRY_RESOURCE), L"REGISTRY"), nullptr);
    const DWORD error = GetLastError();
    ASSERT_NE(error, 0u);
    EXPECT_EQ(ApplyRegistryResource(&module, TARVIK_LUMEX_REGISTRY_RESOURCE, true, nullptr), HRESULT_FROM_WIN32(error));
}

TEST_F(ObjectMap, SuffixIsAppendedOnlyWhereThePathBufferHoldsIt) {
    WriteCompanionTlb();
    UniqueBstr path;
    InterfacePtr<ITypeLib> library;
    const std::wstring program = ProgramPath();
    EXPECT_EQ(OpenModuleTypeLibrary(&module, std::wstring(300, L'x').c_str(), path.Receive(), library.Receive()),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(path.Get(), nullptr);
    EXPECT_FALSE(library);
    // Path and suffix reach the path limit with a dot at the very end: ".tlb" in its place
    // would pass the limit, so the error of the first load is the result.
    const std::wstring full = program + std::wstring(MAX_PATH - 1 - program.size() - 1, L'x') + L".";
    const HRESULT firstError = LoadTypeLib(full.c_str(), library.Receive());
    ASSERT_NE(firstError, S_OK);
    EXPECT_EQ(OpenModuleTypeLibrary(&module, full.substr(program.size()).c_str(), path.Receive(), library.Receive()),
              firstError);
}

TEST(ApostropheDoubling, DoublesEveryApostropheAndNothingElse) {
    wchar_t out[64];
    DoubleApostrophes(out, L"C:\\it's 'here'\\a.dll");
    EXPECT_STREQ(out, L"C:\\it''s ''here''\\a.dll");
    DoubleApostrophes(out, L"");
    EXPECT_STREQ(out, L"");
}
