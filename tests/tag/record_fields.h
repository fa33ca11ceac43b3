// A loaded record's fields as a test compares them: the text a getter hands out and the genre.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "support/unique_bstr.h"
#include "tag/tag_record.h"

// The getter's text; a getter that succeeds must still hand out a string, so null is a failure.
inline std::wstring Field(const TagRecord& tag, HRESULT (TagRecord::*getter)(BSTR*) const) {
    UniqueBstr value;
    EXPECT_EQ((tag.*getter)(value.Receive()), S_OK);
    EXPECT_NE(value.Get(), nullptr);
    return value.Get() != nullptr ? std::wstring(value.Get(), value.Length()) : L"<null>";
}

inline short Genre(const TagRecord& tag) {
    short genre = -1;
    EXPECT_EQ(tag.GetGenreNo(&genre), S_OK);
    return genre;
}
