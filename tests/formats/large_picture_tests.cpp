// A 10 MB picture is passed by position when a file is read, and copied exactly on request.
#include <gtest/gtest.h>

#include "container_bytes.h"
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

std::string Base64(const Bytes& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const uint32_t group = bytes[at] << 16 | (at + 1 < bytes.size() ? bytes[at + 1] << 8 : 0) |
                               (at + 2 < bytes.size() ? bytes[at + 2] : 0);
        for (size_t i = 0; i < 4; ++i) text.push_back(i <= bytes.size() - at ? kDigits[(group >> (18 - 6 * i)) & 63] : '=');
    }
    return text;
}

// A file of each format with a title before the image, an album after it and the image.
std::vector<std::pair<const char*, Bytes>> FilesAround(const Bytes& image) {
    const Bytes id3 = Tag(3, TextFrame(3, "TIT2", "Before") + Frame(3, "APIC", PictureBody(3, 3, "", image)) +
                                 TextFrame(3, "TALB", "After"));
    const Bytes waveFormat = LittleEndian(1, 2) + LittleEndian(2, 2) + LittleEndian(44100, 4) +
                             LittleEndian(44100 * 4, 4) + LittleEndian(4, 2) + LittleEndian(16, 2);
    const Bytes wav = RiffChunk("fmt ", waveFormat) + RiffChunk("id3 ", id3) + RiffChunk("data", Bytes(4000, 0));
    const Bytes common = BigEndian(2, 2) + BigEndian(1000, 4) + BigEndian(16, 2) + Bytes{0x40, 0x0E, 0xAC, 0x44} + Bytes(6, 0);
    const Bytes aiff = RiffChunk("COMM", common, true) + RiffChunk("ID3 ", id3, true) + RiffChunk("SSND", Bytes(4008, 0), true);
    const Bytes comments = VorbisComments({"TITLE=Before", "METADATA_BLOCK_PICTURE=" + Base64(FlacPicture(3, image)),
                                           "ALBUM=After"});
    const Bytes opusHead = BytesOf("OpusHead") + Bytes{1, 2, 0x38, 0x01} + LittleEndian(48000, 4) + Bytes(3, 0);
    auto item = [](const std::string& type, uint32_t dataType, const Bytes& value) {
        return Mp4Box(type, Mp4Box("data", BigEndian(dataType, 4) + Bytes(4, 0) + value));
    };
    const Bytes ilst = Mp4Box("ilst", item("\xA9nam", 1, BytesOf("Before")) + item("covr", 14, image) +
                                          item("\xA9" "alb", 1, BytesOf("After")));
    const Bytes pictureValue = Bytes{3} + LittleEndian(image.size(), 4) + Utf16z("p") + Utf16z("") + image;
    const Bytes library = LittleEndian(2, 2) + AsfMetadataRecord("WM/Picture", 1, pictureValue) +
                          AsfMetadataRecord("WM/AlbumTitle", 0, Utf16z("After"));
    const Bytes description = LittleEndian(14, 2) + Bytes(8, 0) + Utf16z("Before");
    const Bytes asf = AsfFile({AsfObject(kAsfContentDescription, description),
                               AsfObject(kAsfHeaderExtension, Bytes(22, 0) + AsfObject(kAsfMetadataLibrary, library))});
    return {{"FLAC", BytesOf("fLaC") + FlacBlock(0, FlacStreamInfo(44100)) + FlacBlock(6, FlacPicture(3, image)) +
                         FlacBlock(4, VorbisComments({"TITLE=Before", "ALBUM=After"}), true) + Bytes(4000, 0)},
            {"Opus", OggPage(2, 0, {opusHead}) + OggPacketPages(0, BytesOf("OpusTags") + comments) +
                         OggPage(4, 48312, {Bytes(100, 0)})},
            {"WAV", BytesOf("RIFF") + LittleEndian(wav.size() + 4, 4) + BytesOf("WAVE") + wav},
            {"AIFF", BytesOf("FORM") + BigEndian(static_cast<uint32_t>(aiff.size() + 4), 4) + BytesOf("AIFF") + aiff},
            {"MP4", Mp4Box("ftyp", BytesOf("M4A ")) + Mp4Box("moov", Mp4Box("udta", Mp4Box("meta", Bytes(4, 0) + ilst)))},
            {"WMA", asf}};
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
    for (const auto& file : FilesAround(image)) {
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
