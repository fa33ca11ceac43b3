// Values by type letter, read back from the registry with their types.
#include <gtest/gtest.h>

#include "registry_scratch.h"

namespace {

RegistryTree::Value Bytes(DWORD type, std::vector<BYTE> bytes) { return {type, std::move(bytes)}; }

TEST(RegistryValues, ReadBackWithTheirTypes) {
    ScratchRegistry scratch;
    const char* script =
        "HKCR { V = S 'default' { val Text = s 'a b' val Number = D '131473' val Max = d 4294967295 "
        "val Hex = b '0aFF' VAL Junk = B zz val Empty = b '' } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"V", L"", "default");
    expected.AddString(L"V", L"Text", "a b");
    auto& values = expected.Keys[L"V"];
    values[L"Number"] = Bytes(REG_DWORD, {0x91, 0x01, 0x02, 0x00});
    values[L"Max"] = Bytes(REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF});
    values[L"Hex"] = Bytes(REG_BINARY, {0x0A, 0xFF});
    values[L"Junk"] = Bytes(REG_BINARY, {0x00});
    values[L"Empty"] = Bytes(REG_BINARY, {});
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree().Format(), "[]\n");
}

TEST(RegistryValues, RefusedWriteFailsWithItsStatusAndRollsBack) {
    ScratchRegistry scratch;
    ASSERT_EQ(RunRegistryScript("HKCR { Early = s 'e' }", true), S_OK);
    scratch.OverrideClassesReadOnly();  // values on the root itself are refused now
    const char* script = "HKCR { A = s 'x' { B = s 'y' } Val v = s 'z' C = s 'w' }";
    EXPECT_EQ(RunRegistryScript(script, true), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"Early", L"", "e");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryValues, FailingValueRollsBackTheKeysAroundIt) {
    ScratchRegistry scratch;
    for (const char* script : {"HKCR { A { B { Val n = d '-1' } } }", "HKCR { A { B = b '123' C } }"}) {
        EXPECT_TRUE(FAILED(RunRegistryScript(script, true))) << script;
        EXPECT_EQ(scratch.ClassesTree().Format(), "[]\n") << script;
    }
}

}  // namespace
