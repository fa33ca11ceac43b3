// The language as text: tokens, root blocks and every failure code, each checked against
// the registry it leaves behind.
#include <gtest/gtest.h>

#include <string>

#include "registration/registry_script_parser.h"
#include "registration/registry_tables.h"
#include "registry_scratch.h"

namespace {

struct ScriptCase {
    const char* Script;
    HRESULT Register;
    HRESULT Unregister;
};

const ScriptCase Cases[] = {
    {"", S_OK, S_OK},
    {" \t\r\n", DISP_E_EXCEPTION, DISP_E_EXCEPTION},           // a token is expected after the blanks
    {"HKCR { A = s 'x' }", S_OK, S_OK},
    {"hkey_classes_root { A = s 'x' }", S_OK, S_OK},
    {"HKCR { A = s 'x'", DISP_E_EXCEPTION, DISP_E_EXCEPTION},  // missing "}"
    {"HKCR { A { B { C = s 'x' }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A = s 'x }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},  // unterminated quote
    {"HKXX { A }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR\v{ A }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},        // 11 is no white space: one token
    {"HKCR A { }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A { B\\C } }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { ForceRemove A\\C }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A { Val v s 'x' } }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A = q 'x' }", DISP_E_EXCEPTION, S_OK},              // the unregister pass skips the type
    {"HKCR { A = ss 'x' }", DISP_E_EXCEPTION, S_OK},
    {"HKCR { A = b '0aF' }", E_FAIL, S_OK},
    {"HKCR { A = d 'many' }", DISP_E_EXCEPTION, S_OK},
    {"HKCR { A = d '4294967296' }", DISP_E_EXCEPTION, S_OK},
    {"HKCR { A { B { Val n = d '-1' } } }", DISP_E_EXCEPTION, S_OK},
    {"HKCR { A { B = b '123' C } }", E_FAIL, S_OK},
    {"HKCR { A { %NOPE% } }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A = s '100%' }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},  // no closing %
    {"HKCR { A } %", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A { '' = s 'x' } }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},  // an empty name is the parent
    {"HKCR { A { } Val v = s 'x' { B } }", DISP_E_EXCEPTION, DISP_E_EXCEPTION},
    {"HKCR { A { } Delete B { C } }", DISP_E_EXCEPTION, S_OK},
};

class RegistryScriptErrors : public testing::TestWithParam<ScriptCase> {};

TEST_P(RegistryScriptErrors, ReturnTheirCodeAndLeaveNothingBehind) {
    ScratchRegistry scratch;
    const ScriptCase& c = GetParam();
    EXPECT_EQ(RunRegistryScript(c.Script, true), c.Register) << c.Script;
    if (FAILED(c.Register)) {
        EXPECT_EQ(scratch.ClassesTree(), TreeOf({})) << c.Script;
    }
    scratch.Wipe();
    EXPECT_EQ(RunRegistryScript(c.Script, false), c.Unregister) << c.Script;
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

INSTANTIATE_TEST_SUITE_P(RegistryTable, RegistryScriptErrors, testing::ValuesIn(Cases));

std::string Repeat(char ch, int count) { return std::string(static_cast<size_t>(count), ch); }

TEST(RegistryScriptLimits, TokenHoldsAtMost4094Bytes) {
    ScratchRegistry scratch;
    const std::string longest = Repeat('a', 4094);
    ASSERT_EQ(RunRegistryScript(("HKCR { A = s '" + longest + "' }").c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", longest}}));
    scratch.Wipe();
    EXPECT_EQ(RunRegistryScript(("HKCR { A = s '" + longest + "a' }").c_str(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(RunRegistryScript(("HKCR { A = s " + longest + "a }").c_str(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST(RegistryScriptLimits, ValueNameHoldsAtMost259Bytes) {
    ScratchRegistry scratch;
    const std::string name = Repeat('v', 259);
    ASSERT_EQ(RunRegistryScript(("HKCR { A { Val " + name + " = s 'x' } }").c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", std::wstring(259, L'v'), "x"}}));
    EXPECT_EQ(RunRegistryScript(("HKCR { A { Val " + name + "v = s 'x' } }").c_str(), true), DISP_E_EXCEPTION);
}

TEST(RegistryScriptLimits, KeyThatCannotBeCreatedFails) {
    ScratchRegistry scratch;
    const std::string script = "HKCR { A = s 'x' " + Repeat('k', 300) + " }";
    EXPECT_EQ(RunRegistryScript(script.c_str(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST(RegistryScriptLimits, NestingFailsPastTheFixedDepth) {
    ScratchRegistry scratch;
    auto nested = [](int levels) {  // the root block and levels - 1 nested key blocks
        std::string text = "HKCR {";
        for (int i = 1; i < levels; ++i) text += " K {";
        for (int i = 0; i < levels; ++i) text += " }";
        return text;
    };
    const std::string deepest = nested(RegistryScriptParser::MaxBlockDepth);
    ASSERT_EQ(RunRegistryScript(deepest.c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree().Keys.size(), static_cast<size_t>(RegistryScriptParser::MaxBlockDepth));
    EXPECT_EQ(RunRegistryScript(deepest.c_str(), false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
    const std::string tooDeep = nested(RegistryScriptParser::MaxBlockDepth + 1);
    EXPECT_EQ(RunRegistryScript(tooDeep.c_str(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
    // Far deeper than any stack would take if nothing stopped it.
    EXPECT_EQ(RunRegistryScript(nested(100000).c_str(), false), DISP_E_EXCEPTION);
}

TEST(RegistryScriptTokens, OnlyWhiteSpaceSeparatesAndQuotesDouble) {
    ScratchRegistry scratch;
    const char* script =
        "HKCR\t{\r\n 'it''s' = s ''\n Key=s\r 'two words' = s 'a''b''' A\vB\fC = s x{ }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"it's", L"", ""}, {L"Key=s"}, {L"two words", L"", "a'b'"},
                                             {L"A\vB\fC", L"", "x{"}}));
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST(RegistryScriptRoots, LaterRootBlocksMayNameAnyRootSpelling) {
    ScratchRegistry scratch;
    const std::string user = "NoRemove Software { NoRemove TarvikTest { NoRemove " + scratch.UniqueName() +
                             " { NoRemove User { U = s 'u' } } } }";
    const std::string script = "HKCR { A = s 'a' }\r\nHKEY_CURRENT_USER { " + user + " } hkcr { B = s 'b' }";
    ASSERT_EQ(RunRegistryScript(script.c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", "a"}, {L"B", L"", "b"}}));
    EXPECT_EQ(scratch.UserTree(), TreeOf({{L"U", L"", "u"}}));
    ASSERT_EQ(RunRegistryScript(script.c_str(), false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
    EXPECT_EQ(scratch.UserTree(), TreeOf({}));
}

TEST(RegistryScriptRoots, TableHoldsFourteenNamesShortOnesFirst) {
    const auto key = [](ULONG value) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(value))); };
    const std::pair<const char*, HKEY> rows[] = {
        {"HKCR", HKEY_CLASSES_ROOT}, {"hkcu", HKEY_CURRENT_USER}, {"HKLM", HKEY_LOCAL_MACHINE},
        {"HKU", HKEY_USERS}, {"HKPD", HKEY_PERFORMANCE_DATA}, {"HKDD", key(0x80000006)}, {"HKCC", key(0x80000005)},
        {"Hkey_Current_Config", HKEY_CURRENT_CONFIG}, {"HKEY_DYN_DATA", HKEY_DYN_DATA}, {"HKEY_CLASSES", nullptr},
        {"", nullptr}};
    for (const auto& [name, root] : rows) EXPECT_EQ(FindRootKey(name), root) << name;
}

}  // namespace
