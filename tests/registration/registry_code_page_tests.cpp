// Double-byte text under code page 932: the engine steps and copies whole characters.
// These run where the system code page is 932 (LC_ALL=ja_JP.UTF-8 under Wine); the run
// made for them fails at once where it is not.
#include <gtest/gtest.h>

#include <string>

#include "registry_scratch.h"

namespace {

class RegistryCodePage932 : public testing::Test {
protected:
    void SetUp() override {
        if (GetACP() != 932) GTEST_SKIP() << "system code page is " << GetACP() << ", not 932";
    }
};

// Both end in the trail byte 0x5C, a backslash when read byte by byte.
const wchar_t Table[] = L"\u8868";     // 表, 95 5C
const wchar_t Katakana[] = L"\u30BD";  // ソ, 83 5C

TEST_F(RegistryCodePage932, TrailBytesAreNeitherBackslashNorPercent) {
    ScratchRegistry scratch;
    ASSERT_EQ(Ansi(Table), "\x95\x5C");
    const std::wstring value = std::wstring(Table) + Katakana + L"%";
    const std::string script = "HKCR { " + Ansi(Table) + Ansi(Katakana) + " = s '%V%' { Val " + Ansi(Katakana) +
                               " = s '" + Ansi(Table) + "''' } }";
    ASSERT_EQ(RunRegistryScript(script.c_str(), true, {{L"V", value}}), S_OK);
    const std::wstring key = std::wstring(Table) + Katakana;
    // The replacement stands once, its bytes in order.
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{key, L"", Ansi(value)}, {key, Katakana, Ansi(Table) + "'"}}));
    ASSERT_EQ(RunRegistryScript(script.c_str(), false, {{L"V", value}}), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST_F(RegistryCodePage932, DoubleByteCharacterFitsAtTheLastPosition) {
    ScratchRegistry scratch;
    const std::string fits = std::string(4093, 'a') + Ansi(Table);
    ASSERT_EQ(RunRegistryScript(("HKCR { A = s '" + fits + "' }").c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", fits}}));
    const std::string tooLong = std::string(4094, 'a') + Ansi(Table);
    EXPECT_EQ(RunRegistryScript(("HKCR { B = s '" + tooLong + "' }").c_str(), true), DISP_E_EXCEPTION);
}

TEST_F(RegistryCodePage932, ReplacementNameLengthCountsBytes) {
    ScratchRegistry scratch;
    std::wstring name31, name32;
    for (int i = 0; i < 15; ++i) name31 += Table;
    name32 = name31 + Table;
    name31 += L"n";
    const auto names = std::vector<std::pair<std::wstring, std::wstring>>{{name31, L"ok"}, {name32, L"no"}};
    EXPECT_EQ(RunRegistryScript(("HKCR { %" + Ansi(name31) + "% }").c_str(), true, names), S_OK);
    EXPECT_EQ(RunRegistryScript(("HKCR { %" + Ansi(name32) + "% }").c_str(), true, names), E_FAIL);
}

// 255 double-byte characters, the longest key name there is: 510 bytes in code page 932,
// far more than a 256-byte name buffer holds.
std::wstring LongestDoubleByteName() { return std::wstring(255, Table[0]); }

TEST_F(RegistryCodePage932, LongestSubkeyNamesAreWipedRestoredAndRemoved) {
    ScratchRegistry scratch;
    const std::wstring name = LongestDoubleByteName();
    ASSERT_EQ(Ansi(name).size(), 510u);
    scratch.PutValue((L"Doomed\\" + name + L"\\Deeper").c_str(), L"v", REG_BINARY, {1, 2});
    const RegistryTree before = scratch.ClassesTree();
    // A failing block brings the wiped tree back, long names and all.
    EXPECT_EQ(RunRegistryScript("HKCR { ForceRemove Doomed X = q 'y' }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), before);
    ASSERT_EQ(RunRegistryScript("HKCR { ForceRemove Doomed }", true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"Doomed"}}));
    // The unregister pass finds and removes a key of that name.
    scratch.PutValue(name.c_str(), nullptr, REG_SZ, {0, 0});
    ASSERT_EQ(RunRegistryScript(("HKCR { Doomed " + Ansi(name) + " }").c_str(), false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST_F(RegistryCodePage932, BrokenCharacterAtTheEndFailsSafely) {
    ScratchRegistry scratch;
    for (const char* script : {"HKCR { A = s \x95", "HKCR { '\x95", "HKCR { A = s 'x\x95' }", "HKCR { %\x95"}) {
        EXPECT_EQ(RunRegistryScript(script, true), DISP_E_EXCEPTION) << script;
        EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
    }
}

}  // namespace
