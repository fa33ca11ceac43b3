// Valid files damaged at random (sizes, flags, truncation, stray bytes), read within fixed
// bounds: no crash, no hang, and the same fields on both architectures - the digest of
// every field of every file is a constant of this test.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>

#include "format_test_files.h"
#ifdef _WIN32
#include "common/process_counters.h"
#else
// The native build runs under the address sanitizer, which bounds and checks memory itself.
size_t CommittedPrivateBytes() { return 0; }
#endif

namespace {

constexpr int kFiles = 1500;

// Tags of every version and form, each with audio and most with an ID3v1 tag after it.
std::vector<Bytes> ValidFiles() {
    const Bytes picture3 = Frame(3, "APIC", PictureBody(3, 3, "c", BytesOf("\xFF\xD8\xFF\xE0 jpeg")));
    const Bytes frames3 = TextFrame(3, "TIT2", "Title") + TextFrame(3, "TRCK", "3/12") +
                          Frame(3, "COMM", BytesOf(std::string("\0eng\0note", 9))) + picture3 +
                          TextFrame(3, "TCON", "(17)");
    const Bytes text4 = Bytes{0} + BytesOf("\xFF\xE0 four");
    const Bytes frames4 = Frame(4, "TIT2", Syncsafe(static_cast<uint32_t>(text4.size())) + Unsynchronise(text4), 3) +
                          Frame(4, "TPE1", Bytes{3} + BytesOf(std::string(150, 'p')), 0, true) +
                          TextFrame(4, "TDRC", "2001") + Frame(4, "APIC", PictureBody(4, 0, "", BytesOf("png")));
    const Bytes frames2 = TextFrame(2, "TT2", "Two") + Frame(2, "PIC", PictureBody(2, 3, "", BytesOf("\xFF\xFF")));
    const Bytes v1 = Id3v1Tag("v1", "artist", 4, 17);
    return {Tag(3, frames3 + Bytes(16, 0)) + MpegFrames(6, 6) + v1,
            Tag(3, Unsynchronise(frames3), 0x80) + MpegFrames(4),
            Tag(4, Syncsafe(6) + Bytes{1, 0} + frames4, 0x40) + MpegFrames(5, 9, "Info") + v1,
            Tag(2, Unsynchronise(frames2), 0x80) + MpegFrames(3) + v1,
            MpegFrames(4) + Tag(4, frames4, 0x10) + v1};
}

Bytes Damage(Bytes file, std::mt19937& random) {
    auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (size_t changes = 1 + below(4); changes > 0 && !file.empty(); --changes) {
        switch (below(5)) {
            case 0:  // a stray byte anywhere
                file[below(file.size())] = static_cast<unsigned char>(random());
                break;
            case 1:  // a byte where sizes and flags are: the first 40 bytes
                file[below(std::min<size_t>(40, file.size()))] = static_cast<unsigned char>(random());
                break;
            case 2:  // a size field made huge or tiny
                if (file.size() > 20) file[6 + below(14)] = below(2) ? 0x7F : 0xFF;
                break;
            case 3:  // cut short
                file.resize(below(file.size() + 1));
                break;
            default:  // bytes of the end damaged, where an appended tag or ID3v1 lies
                file[file.size() - 1 - below(std::min<size_t>(file.size(), 160))] ^= 0x80;
                break;
        }
    }
    return file;
}

// Every field of the record as text, the duration to the microsecond.
std::u16string Describe(const MediaTags& tags) {
    std::u16string text = tags.Title + u'|' + tags.Artist + u'|' + tags.Album + u'|' + tags.AlbumArtist + u'|' +
                        tags.Composer + u'|' + tags.Comment + u'|' + tags.Genre + u'|' + tags.TagTypes;
    for (long number : {tags.Year, tags.Track, tags.TrackCount, tags.Disc, tags.DiscCount, tags.Bitrate,
                        tags.SampleRate, tags.Channels}) {
        text += u'|' + DecimalText(number);
    }
    text += u'|' + DecimalText(std::llround(tags.Duration * 1e6));
    for (const auto& frame : tags.Texts) text += u'|' + frame.first + u'=' + frame.second;
    if (tags.HasPicture()) {
        const PictureLocation& p = tags.Picture;
        for (uint64_t value : {p.RawStart, p.RawEnd, p.Skip, p.Size, static_cast<uint64_t>(p.Type),
                               static_cast<uint64_t>(p.Unsynchronised), static_cast<uint64_t>(p.AfterFF)}) {
            text += u'|' + DecimalText(value);
        }
    }
    return text;
}

uint64_t Fnv1a(uint64_t hash, const std::u16string& text) {
    for (char16_t c : text) {
        hash = (hash ^ static_cast<uint16_t>(c)) * 0x100000001B3ull;
    }
    return hash;
}

}  // namespace

TEST(DamagedTags, ReadWithinBoundsToTheSameFieldsOnEveryArchitecture) {
    const std::vector<Bytes> valid = ValidFiles();
    std::mt19937 random(20261209);
    uint64_t digest = 0xCBF29CE484222325ull;
    size_t pictures = 0;
    const size_t memoryBefore = CommittedPrivateBytes();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFiles && !HasFailure(); ++i) {
        const Bytes file = Damage(valid[i % valid.size()], random);
        const MediaTags tags = ReadMedia(file);
        digest = Fnv1a(digest, Describe(tags));
        Bytes image;
        if (CopyPictureBytes(file, tags, image)) ++pictures;
        digest = Fnv1a(digest, DecimalText(image.size()));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20.0);
    EXPECT_LT(CommittedPrivateBytes(), memoryBefore + 16 * 1024 * 1024);
    // Damage leaves many files readable: the run proves something.
    EXPECT_GT(pictures, static_cast<size_t>(kFiles / 4));
    EXPECT_EQ(digest, 0x1BAC7F460B48B2F3ull) << std::hex << digest;
}
