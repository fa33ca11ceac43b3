// What the getters and DoCutTailSp make of a loaded record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "record_fields.h"
#include "tag/tag_record.h"

namespace {

template <size_t N>
void Put(char (&field)[N], const std::string& bytes) {
    std::memset(field, 0, N);
    std::memcpy(field, bytes.data(), std::min(bytes.size(), N - 1));
}

}  // namespace

TEST(TagFields, InitialRecordIsEmptyWithGenre255) {
    TagRecord tag;
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetProYear), L"");
    EXPECT_EQ(Genre(tag), 255);
}

TEST(TagFields, ThirtyByteTitleWithoutTerminatorIsReturnedWhole) {
    TagRecord tag;
    Put(tag.Title, std::string(30, 'z'));
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), std::wstring(30, L'z'));
}

TEST(TagFields, CommentEndsAtItsZeroByteBeforeATrackNumber) {
    TagRecord tag;
    std::string comment(28, 'c');
    comment += '\0';
    comment += '\x07';  // track 7
    std::memcpy(tag.Comment, comment.data(), 30);
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), std::wstring(28, L'c'));
}

TEST(TagFields, GenreIsNeverNegative) {
    TagRecord tag;
    short genre = 0;
    for (unsigned value : {0x00u, 0x80u, 0xFFu}) {
        tag.Genre = static_cast<unsigned char>(value);
        tag.GetGenreNo(&genre);
        EXPECT_EQ(genre, static_cast<short>(value));
    }
}

TEST(TagFields, NullOutPointersGetEPointer) {
    TagRecord tag;
    EXPECT_EQ(tag.GetTitle(nullptr), E_POINTER);
    EXPECT_EQ(tag.GetArtist(nullptr), E_POINTER);
    EXPECT_EQ(tag.GetAlbum(nullptr), E_POINTER);
    EXPECT_EQ(tag.GetProYear(nullptr), E_POINTER);
    EXPECT_EQ(tag.GetComment(nullptr), E_POINTER);
    EXPECT_EQ(tag.GetGenreNo(nullptr), E_POINTER);
}

TEST(TagFields, CutTailSpTrimsOnlyTrailingBlanks) {
    TagRecord tag;
    Put(tag.Title, "Abc" + std::string(27, ' '));
    Put(tag.Artist, std::string(30, ' '));
    Put(tag.Album, " in\tside \t ");
    Put(tag.Year, "199 ");
    Put(tag.Comment, "");
    tag.Genre = 0x20;
    EXPECT_EQ(tag.DoCutTailSp(), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"Abc");
    EXPECT_EQ(Field(tag, &TagRecord::GetArtist), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetAlbum), L" in\tside \t");  // a tab is not a blank
    EXPECT_EQ(Field(tag, &TagRecord::GetProYear), L"199");
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"");
    EXPECT_EQ(tag.Genre, 0x20);
}

TEST(TagFields, CutTailSpWorksOnSingleBytes) {
    // A trailing 0x20 is cut even where it could be the trail byte of a double-byte
    // character: the trim steps bytes, not characters.
    TagRecord tag;
    Put(tag.Title, "\x81\x20 ");
    tag.DoCutTailSp();
    EXPECT_EQ(std::string(tag.Title), "\x81");
}
