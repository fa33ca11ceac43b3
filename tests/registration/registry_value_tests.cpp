// Values by type letter, read back from the registry with their types.
#include <gtest/gtest.h>

#include "registry_scratch.h"

namespace {

TEST(RegistryValues, ReadBackWithTheirTypes) {
    ScratchRegistry scratch;
    const char* script =
        "HKCR { V = S 'default' { val Text = s 'a b' val Number = D '131473' val Max = d 4294967295 "
        "val Hex = b '0aFF' VAL Junk = B zz val Empty = b '' } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    RegistryTree expected = TreeOf({{L"V", L"", "default"}, {L"V", L"Text", "a b"}});
    auto& values = expected.Keys[L"V"];
    values[L"Number"] = {REG_DWORD, {0x91, 0x01, 0x02, 0x00}};
    values[L"Max"] = {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}};
    values[L"Hex"] = {REG_BINARY, {0x0A, 0xFF}};
    values[L"Junk"] = {REG_BINARY, {0x00}};
    values[L"Empty"] = {REG_BINARY, {}};
    EXPECT_EQ(scratch.ClassesTree(), expected);
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST(RegistryValues, RefusedWriteFailsWithItsStatusAndRollsBack) {
    ScratchRegistry scratch;
    ASSERT_EQ(RunRegistryScript("HKCR { Early = s 'e' }", true), S_OK);
    scratch.OverrideClassesReadOnly();  // values on the root itself are refused now
    const char* script = "HKCR { A = s 'x' { B = s 'y' } Val v = s 'z' C = s 'w' }";
    EXPECT_EQ(RunRegistryScript(script, true), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"Early", L"", "e"}}));
}

}  // namespace
