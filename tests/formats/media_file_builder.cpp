#include "media_file_builder.h"

#include <gtest/gtest.h>

#include "formats/media_file_reader.h"
#include "support/unique_handle.h"

MediaTags ReadMedia(const std::wstring& path) {
    MediaTags tags;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(file.IsValid());
    DWORD error = 0;
    EXPECT_TRUE(ReadMediaFile(file.Get(), tags, &error)) << error;
    return tags;
}

bool CopyPictureBytes(const std::wstring& path, const MediaTags& tags, Bytes& image) {
    const std::wstring copy = path + L".picture";
    bool copied = false;
    {
        UniqueHandle source(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        UniqueHandle target(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        copied = source.IsValid() && target.IsValid() && CopyPicture(source.Get(), tags, target.Get());
    }
    image = ReadWholeFile(copy);
    DeleteFileW(copy.c_str());
    return copied;
}
