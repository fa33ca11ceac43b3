// The text holder and the code-page bridge, through their own operations.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/unique_bstr.h"
#include "tag/com_error.h"
#include "tag/text_conversion.h"
#include "tag/text_holder.h"

TEST(TextHolder, EmptyWideTextHasLengthZeroButARealString) {
    TextHolder holder = TextHolder::FromWide(L"");
    EXPECT_EQ(holder.Length(), 0u);
    ASSERT_NE(holder.Wide(), nullptr);
}

TEST(TextHolder, EmptyAnsiTextCopiesOutAsEmptyBstrNotNull) {
    TextHolder holder = TextHolder::FromAnsi("");
    UniqueBstr copy(holder.CopyOut());
    ASSERT_NE(copy.Get(), nullptr);
    EXPECT_EQ(copy.Length(), 0u);
}

TEST(TextHolder, NullTextGivesNullEverywhere) {
    TextHolder fromWide = TextHolder::FromWide(nullptr);
    TextHolder fromAnsi = TextHolder::FromAnsi(nullptr);
    EXPECT_EQ(fromWide.Length(), 0u);
    EXPECT_EQ(fromWide.AnsiForm(), nullptr);
    EXPECT_EQ(fromAnsi.CopyOut(), nullptr);
    TextHolder empty;
    EXPECT_EQ(empty.Length(), 0u);
    EXPECT_EQ(empty.CopyOut(), nullptr);
}

TEST(TextHolder, AnsiFormIsMadeOnceAndSharedByCopies) {
    TextHolder holder = TextHolder::FromWide(L"Abc");
    const char* first = holder.AnsiForm();
    TextHolder copy = holder;
    EXPECT_EQ(copy.AnsiForm(), first);
    EXPECT_STREQ(first, "Abc");
    holder = TextHolder();  // the copy keeps the record alive
    EXPECT_STREQ(copy.AnsiForm(), "Abc");
}

TEST(TextHolder, WideCopyStopsAtFirstZeroButCopyOutKeepsByteLength) {
    // Made from wide text, the holder copies up to the first 0 character.
    const wchar_t withZero[] = {L'a', 0, L'b', 0};
    EXPECT_EQ(TextHolder::FromWide(withZero).Length(), 1u);
    // A copy out has the byte length of the held BSTR.
    TextHolder holder = TextHolder::FromWide(L"four");
    UniqueBstr copy(holder.CopyOut());
    EXPECT_EQ(SysStringByteLen(copy.Get()), 8u);
    EXPECT_STREQ(copy.Get(), L"four");
}

TEST(TextHolder, CharactersWithoutAnsiFormStillConvert) {
    // U+4E00 has no form in code page 1252, U+0E01 none in 932: the default character stands in.
    TextHolder holder = TextHolder::FromWide(GetACP() == 932 ? L"x\x0E01y" : L"x\x4E00y");
    const char* ansi = holder.AnsiForm();
    ASSERT_NE(ansi, nullptr);
    EXPECT_EQ(ansi[0], 'x');
    EXPECT_EQ(ansi[lstrlenA(ansi) - 1], 'y');
}

TEST(TextBridge, RoundTripsEveryCharacterOfTheCodePage) {
    // Every single-byte character of the system code page, and under 932 a run of
    // double-byte ones, goes to wide text and back unchanged.
    std::string text;
    for (int c = 0x20; c < 0x7F; ++c) text += static_cast<char>(c);
    if (GetACP() == 932) text += "\x83\x5E\x83\x43\x83\x67\x83\x8B\x96\xBC\xb1\xb2";  // タイトル名ｱｲ
    UniqueBstr wide(AnsiToWide(text.c_str()));
    ASSERT_NE(wide.Get(), nullptr);
    std::unique_ptr<char[]> back(WideToAnsi(wide.Get()));
    EXPECT_EQ(std::string(back.get()), text);
}

TEST(TextBridge, ShortAndLongTextsConvertAlike) {
    // A tag's short texts convert in the call's own storage, longer ones on the heap: every
    // length on both sides of that gives the system's own conversion, double-byte
    // characters included where the code page has them.
    const std::string piece = GetACP() == 932 ? "a\x83\x5E" : "a\xE9";
    std::string text;
    for (int length = 0; length < 200; ++length) {
        UniqueBstr wide(AnsiToWide(text.c_str()));
        ASSERT_NE(wide.Get(), nullptr);
        std::wstring expected(text.size() + 1, L'\0');
        expected.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &expected[0], static_cast<int>(expected.size())) - 1));
        EXPECT_EQ(std::wstring(wide.Get(), wide.Length()), expected) << text.size() << " bytes";
        text += piece[static_cast<size_t>(length) % piece.size()];
    }
}

TEST(TextBridge, WideToAnsiSizesItsBufferFromTheConversion) {
    // Characters that take two bytes each need more than one byte per character.
    const wchar_t* text = GetACP() == 932 ? L"\x30BF\x30A4\x30C8\x30EB" : L"\x00E9\x00E8";
    std::unique_ptr<char[]> ansi(WideToAnsi(text));
    const int expected = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr) - 1;
    EXPECT_EQ(lstrlenA(ansi.get()), expected);
}

TEST(ComError, CarriesItsCodeAndMessageAndNeverASuccess) {
    try {
        RaiseError(E_OUTOFMEMORY);
        FAIL();
    } catch (const ComError& error) {
        EXPECT_EQ(error.Code(), E_OUTOFMEMORY);
        EXPECT_EQ(error.ErrorInfo(), nullptr);
        ASSERT_NE(error.MessageText(), nullptr);
        ComError copy = error;
        EXPECT_EQ(copy.Code(), E_OUTOFMEMORY);
    }
    try {
        RaiseError(S_OK);
        FAIL();
    } catch (const ComError& error) {
        EXPECT_EQ(error.Code(), E_FAIL);
    }
    SetLastError(0);
    EXPECT_EQ(GuardBoundary([]() -> HRESULT { RaiseLastError(); }), E_FAIL);
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(GuardBoundary([]() -> HRESULT { RaiseLastError(); }), static_cast<HRESULT>(0x80070459));
}
