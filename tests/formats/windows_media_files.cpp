// The Windows build reads the test files as the TagFile object does: through a file handle
// opened by its wide name.
#include <windows.h>

#include <gtest/gtest.h>

#include "format_test_files.h"
#include "common/format_fixtures.h"
#include "formats/media_format.h"
#include "common/temp_files.h"
#include "support/unique_handle.h"
#include "tagfile/disk_file_source.h"

namespace {

// One folder for the whole run: a run reads thousands of files.
const ScratchFolder& Scratch() {
    static const ScratchFolder folder;
    return folder;
}

UniqueHandle OpenForReading(const std::wstring& path) {
    return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace

MediaTags ReadMedia(const Bytes& file) {
    const UniqueHandle handle = OpenForReading(Scratch().WriteFile(L"read.mp3", file));
    EXPECT_TRUE(handle.IsValid());
    DiskFileSource source(handle.Get());
    MediaTags tags;
    uint32_t error = 0;
    EXPECT_TRUE(ReadMediaFile(source, tags, &error)) << error;
    return tags;
}

bool CopyPictureBytes(const Bytes& file, const MediaTags& tags, Bytes& image) {
    const std::wstring copy = Scratch().Path() + L"\\picture";
    bool copied = false;
    {
        const UniqueHandle source = OpenForReading(Scratch().WriteFile(L"copied.mp3", file));
        UniqueHandle target(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DiskFileSource reader(source.Get());
        DiskFileSink writer(target.Get());
        uint32_t error = 0;
        copied = source.IsValid() && target.IsValid() &&
                 CopyPicture(reader, tags, writer, &error) == PictureCopy::Copied;
    }
    image = ReadWholeFile(copy);
    return copied;
}

bool FormatFixturesNamed() { return !FormatFixturePath(L"").empty(); }

Bytes FormatFixtureBytes(const std::string& name) {
    return ReadWholeFile(FormatFixturePath(std::wstring(name.begin(), name.end())));
}
