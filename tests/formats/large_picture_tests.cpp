// A 10 MB picture is passed by position when a file is read, and copied exactly on request.
#include <gtest/gtest.h>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "common/import_hook.h"

namespace {

LONGLONG g_bytesRead = 0;
ImportHook* g_readHook = nullptr;

BOOL WINAPI CountingReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    using ReadFileFunction = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    const BOOL result =
        reinterpret_cast<ReadFileFunction>(g_readHook->Original())(file, buffer, size, read, overlapped);
    if (result && read != nullptr) g_bytesRead += *read;
    return result;
}

Bytes LargeImage() {
    Bytes image(10 * 1024 * 1024);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 7 + (i >> 13));
    return image;
}

// What the readers make of file, and the bytes they read for it.
MediaTags ReadCountingBytes(const Bytes& file, LONGLONG* bytesRead) {
    ImportHook hook(GetModuleHandleW(nullptr), "kernel32.dll", "ReadFile", reinterpret_cast<void*>(&CountingReadFile));
    EXPECT_TRUE(hook.Installed());
    g_readHook = &hook;
    g_bytesRead = 0;
    MediaTags tags = ReadMedia(file);
    *bytesRead = g_bytesRead;
    return tags;
}

}  // namespace

TEST(LargePicture, IsNeverReadByTheTagReadAndIsCopiedWhole) {
    Bytes image(10 * 1024 * 1024);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 7 + (i >> 13));
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        const Bytes frames = TextFrame(version, "TIT2", "Before") + Frame(version, "APIC",
                                                                           PictureBody(version, 3, "big", image)) +
                             TextFrame(version, "TALB", "After");
        const Bytes file = Tag(version, frames) + MpegFrames(20);

        MediaTags tags;
        {
            ImportHook hook(GetModuleHandleW(nullptr), "kernel32.dll", "ReadFile",
                            reinterpret_cast<void*>(&CountingReadFile));
            ASSERT_TRUE(hook.Installed());
            g_readHook = &hook;
            g_bytesRead = 0;
            tags = ReadMedia(file);
        }
        const LONGLONG tagRead = g_bytesRead;

        EXPECT_EQ(tags.Title, u"Before");
        EXPECT_EQ(tags.Album, u"After");
        EXPECT_EQ(tags.SampleRate, 44100);
        // The first read, the picture header's window, the chunks around the frames after it,
        // the audio and the tail: a small part of the picture at most.
        EXPECT_LT(tagRead, 300 * 1024);
        Bytes copied;
        EXPECT_TRUE(CopyPictureBytes(file, tags, copied));
        EXPECT_TRUE(copied == image) << copied.size();
    }
}

TEST(LargePicture, IsNeverReadByTheTagReadInAnyFormat) {
    const Bytes image = LargeImage();
    for (const auto& file : FilesOfEveryFormat(image)) {
        SCOPED_TRACE(file.first);
        LONGLONG bytesRead = 0;
        const MediaTags tags = ReadCountingBytes(file.second, &bytesRead);
        EXPECT_EQ(tags.Format, std::u16string(file.first, file.first + std::char_traits<char>::length(file.first)));
        EXPECT_EQ(tags.Title, u"Before");
        EXPECT_EQ(tags.Album, u"After");
        // The headers of the pages or chunks around it at most.
        EXPECT_LT(bytesRead, 300 * 1024);
        Bytes copied;
        EXPECT_TRUE(CopyPictureBytes(file.second, tags, copied));
        EXPECT_TRUE(copied == image) << copied.size();
    }
}
