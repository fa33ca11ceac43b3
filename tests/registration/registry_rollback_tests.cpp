// A failing register block leaves the registry exactly as it found it, and a failing
// unregister pass removes nothing after its error: checked by comparing the whole
// scratch tree before and after, for every way a block can fail.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "registry_scratch.h"
#include "common/loaded_server.h"

namespace {

std::vector<BYTE> WideBytes(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

// What a user may already have: values of every type, nested keys, and names and data that
// no ANSI code page can spell (U+4E00 has no form in 1252, U+0E01 none in 932).
void PutPriorState(const ScratchRegistry& scratch) {
    scratch.Put("Prior", nullptr, "before");
    scratch.Put("Prior", "v", "old");
    scratch.PutValue(L"Prior\\Child", L"d", REG_DWORD, {7, 0, 0, 0});
    scratch.PutValue(L"Prior\\Child", L"b", REG_BINARY, {1, 2, 3});
    scratch.Put("Prior\\Child\\Deep");
    scratch.Put("Doomed", nullptr, "doomed");
    scratch.PutValue(L"Doomed\\Inner\u4E00\u0E01", L"name\u4E00\u0E01", REG_SZ, WideBytes(L"data\u4E00\u0E01"));
    scratch.PutValue(L"Doomed\\Multi", L"m", REG_MULTI_SZ, WideBytes(std::wstring(L"one\0two\0", 8)));
    scratch.PutValue(L"Doomed\\Multi\\Empty", nullptr, REG_EXPAND_SZ, WideBytes(L"%TEMP%"));
    scratch.Put("Shared\\Foreign", "keep", "x");
}

struct FailingBlock {
    const char* What;
    const char* Script;
    HRESULT Result;
};

const FailingBlock kFailingBlocks[] = {
    {"bad D value", "HKCR { Prior = s 'x' { Val v = s 'new' Child { Val d = s 'now text' } } "
                    "ForceRemove Doomed = s 'new' { Fresh } NoRemove Shared { Mine = d 'many' } }",
     DISP_E_EXCEPTION},
    {"quote left open", "HKCR { ForceRemove Prior = s 'x' { Val extra = s 'e' } Delete Doomed Other = s 'open }",
     DISP_E_EXCEPTION},
    {"text breaks off in a nested block",
     "HKCR { Prior { Val v = b '00' Child = s 'c' { Val d = s 'str' Deep { New", DISP_E_EXCEPTION},
    {"odd hex digits after a wipe", "HKCR { ForceRemove Prior { Val v = b 'abc' } }", E_FAIL},
    {"the same tree wiped twice", "HKCR { ForceRemove Doomed = s '1' ForceRemove Doomed = s '2' X = q 'y' }",
     DISP_E_EXCEPTION},
    {"a value with a block", "HKCR { Prior = s 'x' ForceRemove Doomed { Multi = s 'y' Val w = s 'z' { B } } }",
     DISP_E_EXCEPTION},
    {"backslash in a later key", "HKCR { NoRemove Prior { Val v = d 1 } ForceRemove Doomed Bad\\Name }",
     DISP_E_EXCEPTION},
};

void PrintTo(const FailingBlock& block, std::ostream* out) { *out << block.What; }

class RegistryRollback : public testing::TestWithParam<FailingBlock> {};

TEST_P(RegistryRollback, RestoresTheTreeAsItWasBeforeTheBlock) {
    ScratchRegistry scratch;
    PutPriorState(scratch);
    const RegistryTree before = scratch.ClassesTree();
    const FailingBlock& block = GetParam();
    EXPECT_EQ(RunRegistryScript(block.Script, true), block.Result) << block.What;
    EXPECT_EQ(scratch.ClassesTree(), before) << block.What;
}

INSTANTIATE_TEST_SUITE_P(EveryWayToFail, RegistryRollback, testing::ValuesIn(kFailingBlocks));

TEST(RegistryRollbackRefused, RefusedWriteKeepsTheKeysThatExistedBefore) {
    ScratchRegistry scratch;
    PutPriorState(scratch);
    const RegistryTree before = scratch.ClassesTree();
    scratch.OverrideClassesReadOnly();  // values on the root itself are refused now
    EXPECT_EQ(RunRegistryScript("HKCR { Prior = s 'x' Val v = s 'refused' }", true),
              HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scratch.ClassesTree(), before);
    const char* script = "HKCR { Prior = s 'x' { Val v = s 'new' Fresh { Deeper = s 'd' } } "
                         "ForceRemove Doomed { Replaced = s 'r' } Val refused = s 'no' }";
    EXPECT_EQ(RunRegistryScript(script, true), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scratch.ClassesTree(), before);
}

const char kClassKey[] = "CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";

// Sets the key's access list from the text form of a security descriptor.
void SetKeySecurity(HKEY classes, const char* path, const wchar_t* descriptor) {
    PSECURITY_DESCRIPTOR security = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &security, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(classes, path, 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security), ERROR_SUCCESS);
    RegCloseKey(key);
    LocalFree(security);
}

bool KeyRefusesWrites(HKEY classes, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(classes, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return true;
    RegCloseKey(key);
    return false;
}

class RegistryRollbackShippedScript : public testing::Test {
protected:
    void SetUp() override {
        PutPriorState(scratch);
        scratch.Put(kClassKey, nullptr, "an older registration");
        scratch.Put((std::string(kClassKey) + "\\InprocServer32").c_str(), nullptr, "C:\\old\\tarvik.dll");
        scratch.Put((std::string(kClassKey) + "\\Extra").c_str(), "kept", "x");
        scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}", nullptr, "foreign");
        SetKeySecurity(scratch.Classes(), kClassKey, L"D:P(A;;KRWDSD;;;WD)");
        before = scratch.ClassesTree();
    }
    void TearDown() override { SetKeySecurity(scratch.Classes(), kClassKey, L"D:P(A;;KA;;;WD)"); }

    ScratchRegistry scratch;
    RegistryTree before;
};

TEST_F(RegistryRollbackShippedScript, ClassKeyThatRefusesWritesStaysAsItWas) {
    ASSERT_TRUE(KeyRefusesWrites(scratch.Classes(), kClassKey)) << "the system ignores the key's security";
    EXPECT_EQ(RunRegistryScript(ShippedScript().c_str(), true), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scratch.ClassesTree(), before);
    // The same through the library's own export, which runs the script it holds.
    LoadedServer server;
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(server.Module(), "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scratch.ClassesTree(), before);
}

TEST(RegistryUnregisterStops, FailingPassRemovesNothingAfterItsError) {
    ScratchRegistry scratch;
    scratch.Put("A", "unnamed", "a value the script does not name");
    scratch.Put("B\\Inner");
    scratch.Put("B", "v", "x");
    // The text breaks off inside A's block: A stays with its value.
    EXPECT_EQ(RunRegistryScript("HKCR { A { Val w = s 'x' ", false), DISP_E_EXCEPTION);
    // B's subkey comes before the break and goes; B itself would only go after it.
    EXPECT_EQ(RunRegistryScript("HKCR { B { Inner } ", false), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"unnamed", "a value the script does not name"},
                                             {L"B", L"v", "x"}}));
}

}  // namespace
