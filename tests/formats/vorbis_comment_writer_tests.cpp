// The comment list as the Ogg writers take it: pictures as base64 fields, every field not
// edited kept byte for byte, lists that cannot be walked refused.
#include <gtest/gtest.h>

#include "common/container_bytes.h"
#include "formats/vorbis_comments/vorbis_comment_writer.h"
#include "planned_save.h"

namespace {

std::string PictureField(uint32_t type, const Bytes& image) {
    return "METADATA_BLOCK_PICTURE=" + Base64Of(FlacPicture(type, image));
}

Bytes Edited(const Bytes& old, const TagEdits& edits, bool picturesAsFields = true) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(EditVorbisComments(old.empty() ? nullptr : old.data(), old.size(), edits, picturesAsFields, out));
    return Bytes(out.begin(), out.end());
}

TEST(VorbisCommentWriter, PicturesAsFieldsEveryNameOfAnEditedFieldAndBadLists) {
    const Bytes image = BytesOf("\x89PNG\r\n\x1a\nimage");
    const std::string back = "metadata_block_picture=" + Base64Of(FlacPicture(4, image));
    const Bytes old = VorbisComments({"Comment=a", PictureField(3, image), back, "COVERART=abcd", "DESCRIPTION=b", "noname"});
    TagEdits edits, removed;
    edits.Texts = {{u"COMMENT", u"x; ; y"}, {u"ARTIST", u"\u00E9"}};
    removed.RemovePictures = true;
    for (size_t extra = 0; extra < 3; ++extra) {  // base64 of every length of a last group
        edits.Cover = {image + Bytes(extra, 'z'), "image/png"};
        EXPECT_EQ(Edited(old, edits), VorbisComments({back, "COVERART=abcd", "noname", "ARTIST=\xC3\xA9", "COMMENT=x",
                                                      "COMMENT=y", PictureField(3, edits.Cover.Bytes)}));
    }
    EXPECT_EQ(Edited(old, removed), VorbisComments({"Comment=a", "DESCRIPTION=b", "noname"}));
    EXPECT_EQ(Edited(old, removed, false), old) << "FLAC keeps its pictures in blocks";
    EXPECT_EQ(Edited({}, TextEdits({{u"T", u"v"}})), LittleEndian(6, 4) + BytesOf("tarvik") + LittleEndian(1, 4) +
                                                      LittleEndian(3, 4) + BytesOf("T=v"));
    Bytes countPastEnd = old;
    countPastEnd[10] = 7;
    const Bytes framed = old + Bytes{1};  // an Ogg packet's framing bit after the list
    EXPECT_EQ(Edited(framed, TagEdits()), old);
    std::vector<uint8_t> out;
    EXPECT_FALSE(EditVorbisComments(countPastEnd.data(), countPastEnd.size(), edits, true, out));
    EXPECT_FALSE(EditVorbisComments(old.data(), old.size() - 1, edits, true, out));
    EXPECT_FALSE(EditVorbisComments(old.data(), 3, edits, true, out));
    EXPECT_FALSE(EditVorbisComments(old.data(), old.size(), TextEdits({{u"A=B", u"x"}}), true, out));
}

}  // namespace
