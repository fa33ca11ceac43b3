#include "writer_checks.h"

#include <gtest/gtest.h>

#include "format_test_files.h"
#include "planned_save.h"

Bytes ExpectCoverSetAndRemoved(const Bytes& file, const Bytes& image) {
    TagEdits edits;
    edits.Cover = {image, PictureMimeType(image.data(), image.size())};
    const PlannedSave set = SaveEdits(file, edits);
    EXPECT_TRUE(set.Verdict.Ok());
    Bytes copied;
    EXPECT_TRUE(CopyPictureBytes(set.File, ReadMedia(set.File), copied));
    EXPECT_EQ(copied, image);
    TagEdits removal;
    removal.RemovePictures = true;
    EXPECT_FALSE(ReadMedia(SaveEdits(set.File, removal).File).HasPicture());
    return set.File;
}
