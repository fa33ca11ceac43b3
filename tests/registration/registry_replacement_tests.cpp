// Replacement names: the map itself, and their expansion in scripts.
#include <gtest/gtest.h>

#include <string>

#include "registration/replacement_map.h"
#include "registry_scratch.h"

namespace {

TEST(RegistryReplacementMap, FindsCaseInsensitivelyFirstAddedWinsAndGrows) {
    ReplacementMap map;
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(map.Add((L"Name" + std::to_wstring(i)).c_str(), (L"value" + std::to_wstring(i)).c_str()), S_OK);
    }
    ASSERT_EQ(map.Add(L"name3", L"second"), S_OK);
    EXPECT_EQ(map.Size(), 26);
    for (int i = 0; i < 25; ++i) {
        const wchar_t* value = map.Find(("NAME" + std::to_string(i)).c_str());
        ASSERT_NE(value, nullptr) << i;
        EXPECT_EQ(std::wstring(value), L"value" + std::to_wstring(i));
    }
    EXPECT_EQ(map.Find("Name25"), nullptr);
    EXPECT_EQ(map.Find(nullptr), nullptr);
    EXPECT_EQ(map.Add(nullptr, L"x"), E_INVALIDARG);
    EXPECT_EQ(map.Clear(), S_OK);
    EXPECT_EQ(map.Size(), 0);
    EXPECT_EQ(map.Find("Name0"), nullptr);
    ASSERT_EQ(map.Add(L"Again", L""), S_OK);
    EXPECT_EQ(std::wstring(map.Find("again")), L"");
}

TEST(RegistryReplacements, ExpandBeforeTokensAreReadQuotedOrNot) {
    ScratchRegistry scratch;
    const char* script = "HKCR { %name% = s '%NAME%' '100%%' = s '%%%Name%%%' Path = s '%Module%' }";
    ASSERT_EQ(RunRegistryScript(script, true, {{L"Name", L"Tarvik"}}), S_OK);
    EXPECT_EQ(scratch.ClassesTree(),
              TreeOf({{L"Tarvik", L"", "Tarvik"}, {L"100%", L"", "%Tarvik%"}, {L"Path", L"", RegisteredModulePath}}));
}

TEST(RegistryReplacements, NameLengthAndUnknownNames) {
    ScratchRegistry scratch;
    const std::wstring name31(31, L'n');
    const std::string ansi31(31, 'N');
    const auto names = std::vector<std::pair<std::wstring, std::wstring>>{{name31, L"ok"}, {name31 + L"n", L"no"}};
    EXPECT_EQ(RunRegistryScript(("HKCR { %" + ansi31 + "% }").c_str(), true, names), S_OK);
    EXPECT_EQ(RunRegistryScript(("HKCR { %" + ansi31 + "N% }").c_str(), true, names), E_FAIL);
    EXPECT_EQ(RunRegistryScript("HKCR { %Unknown% }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(RunRegistryScript("HKCR { A }%", true), DISP_E_EXCEPTION);
    // The closing % is looked for first: a long name that never closes is no E_FAIL.
    EXPECT_EQ(RunRegistryScript(("HKCR { %" + ansi31 + "NNN }").c_str(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"ok"}}));
}

TEST(RegistryReplacements, ValueLongerThanTheScriptGrowsTheExpandedText) {
    ScratchRegistry scratch;
    // The expanded text starts at twice the script's length and must double many times.
    std::wstring value;
    for (int i = 0; value.size() < 2000; ++i) value += L"segment " + std::to_wstring(i) + L"; ";
    const char* script = "HKCR { A = s '%V%%V%' }";
    ASSERT_EQ(RunRegistryScript(script, true, {{L"V", value}}), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", Ansi(value + value)}}));
}

}  // namespace
