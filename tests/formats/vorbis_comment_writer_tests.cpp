// The comment list as the Ogg writers take it: pictures as base64 fields, the vendor and
// every field not edited kept byte for byte, lists that cannot be walked refused.
#include <gtest/gtest.h>

#include "common/container_bytes.h"
#include "formats/vorbis_comments/vorbis_comment_writer.h"

namespace {

const Bytes kImage = BytesOf("\x89PNG\r\n\x1a\nimage");

std::string Field(const std::string& name, const Bytes& picture) { return name + "=" + Base64Of(picture); }

Bytes Edited(const Bytes& old, const TagEdits& edits, bool picturesAsFields = true) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(EditVorbisComments(old.empty() ? nullptr : old.data(), old.size(), edits, picturesAsFields, out));
    return Bytes(out.begin(), out.end());
}

TEST(VorbisCommentWriter, PicturesAsFieldsAndEveryOtherFieldKept) {
    const std::string back = Field("metadata_block_picture", FlacPicture(4, kImage));
    const Bytes old = VorbisComments({"TITLE=t", Field("METADATA_BLOCK_PICTURE", FlacPicture(3, kImage)), back,
                                      "COVERART=abcd", "COVERARTMIME=image/png", "x=y", "noname"});
    TagEdits cover;
    cover.Cover = {BytesOf("\x89PNG\r\n\x1a\nnew"), "image/png"};
    TagEdits removed;
    removed.RemovePictures = true;
    TagEdits both = cover;
    both.RemovePictures = true;
    const std::string added = Field("METADATA_BLOCK_PICTURE", FlacPicture(3, cover.Cover.Bytes));
    EXPECT_EQ(Edited(old, cover), VorbisComments({"TITLE=t", back, "COVERART=abcd", "COVERARTMIME=image/png", "x=y",
                                                  "noname", added}));
    EXPECT_EQ(Edited(old, removed), VorbisComments({"TITLE=t", "x=y", "noname"}));
    EXPECT_EQ(Edited(old, both), VorbisComments({"TITLE=t", "x=y", "noname", added}));
    EXPECT_EQ(Edited(old, cover, false), old) << "FLAC keeps its pictures in blocks";
    // Base64 of every length of a last group.
    for (size_t extra = 0; extra < 3; ++extra) {
        TagEdits sized;
        sized.Cover = {kImage + Bytes(extra, 'z'), "image/png"};
        EXPECT_EQ(Edited({}, sized), LittleEndian(6, 4) + BytesOf("tarvik") + LittleEndian(1, 4) +
                                         LittleEndian(Field("METADATA_BLOCK_PICTURE", FlacPicture(3, sized.Cover.Bytes)).size(), 4) +
                                         BytesOf(Field("METADATA_BLOCK_PICTURE", FlacPicture(3, sized.Cover.Bytes))));
    }
}

TEST(VorbisCommentWriter, TextsReplaceEveryNameOfTheirFieldAndBadListsAreRefused) {
    const Bytes old = VorbisComments({"Comment=a", "DESCRIPTION=b", "TITLE=c", "title=d", "MOOD=e"});
    TagEdits edits;
    edits.Texts = {{u"COMMENT", u"x; ; y"}, {u"TITLE", u""}, {u"ARTIST", u"\u00E9"}};
    EXPECT_EQ(Edited(old, edits), VorbisComments({"MOOD=e", "ARTIST=\xC3\xA9", "COMMENT=x", "COMMENT=y"}));
    std::vector<uint8_t> out;
    Bytes countPastEnd = old;
    countPastEnd[10] = 6;
    Bytes trailing = old + Bytes{1};  // an Ogg packet's framing bit
    EXPECT_FALSE(EditVorbisComments(countPastEnd.data(), countPastEnd.size(), edits, true, out));
    EXPECT_FALSE(EditVorbisComments(old.data(), old.size() - 1, edits, true, out));
    EXPECT_FALSE(EditVorbisComments(old.data(), 3, edits, true, out));
    EXPECT_TRUE(EditVorbisComments(trailing.data(), trailing.size(), TagEdits(), true, out));
    EXPECT_EQ(Bytes(out.begin(), out.end()), old);
    edits.Texts = {{u"A=B", u"x"}};
    EXPECT_FALSE(EditVorbisComments(old.data(), old.size(), edits, true, out));
}

}  // namespace
