// Thousands of random files through Ilumex, each checked against what the ID3v1 format
// says it must give: the read window is the file's last 129 bytes (the whole file when it
// is shorter), the tag starts at the window's first "TAG" at positions 0 to 127, each text
// is the bytes at its offset up to the first 0 byte or the window's end, and the genre is
// 255 exactly when its byte was not read.  Under the Japanese locale the same files are
// read as code page 932, random lead bytes and all.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "automation/tarvik.h"
#include "common/loaded_server.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kFiles = 2500;
constexpr size_t kLongestFile = 400;

struct TagFields {
    std::wstring Texts[5];
    short Genre = 255;

    bool operator==(const TagFields& other) const {
        return std::equal(std::begin(Texts), std::end(Texts), std::begin(other.Texts)) && Genre == other.Genre;
    }
};

std::string Describe(const TagFields& fields) {
    std::string text;
    for (const std::wstring& field : fields.Texts) {
        text += "[";
        for (wchar_t c : field) text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
        text += "] ";
    }
    return text + std::to_string(fields.Genre);
}

// The wide text that bytes up to their first 0 make in the system code page.
std::wstring Decode(const std::string& bytes) {
    const std::string text(bytes.c_str());
    if (text.empty()) return L"";
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// What the format says a reader finds in these bytes.
TagFields Expected(const Bytes& file) {
    constexpr size_t kWindow = 129;
    const size_t start = file.size() >= kWindow ? file.size() - kWindow : 0;
    const Bytes window(file.begin() + static_cast<std::ptrdiff_t>(start), file.end());
    TagFields fields;
    size_t marker = 0;
    while (marker <= 127 && !(marker + 2 < window.size() && window[marker] == 'T' && window[marker + 1] == 'A' &&
                              window[marker + 2] == 'G')) {
        ++marker;
    }
    if (marker > 127) return fields;
    const size_t offsets[5] = {3, 33, 63, 93, 97};
    const size_t widths[5] = {30, 30, 30, 4, 30};
    for (int f = 0; f < 5; ++f) {
        std::string bytes;
        for (size_t k = 0; k < widths[f] && marker + offsets[f] + k < window.size(); ++k) {
            bytes += static_cast<char>(window[marker + offsets[f] + k]);
        }
        fields.Texts[f] = Decode(bytes);
    }
    if (marker + 127 < window.size()) fields.Genre = window[marker + 127];
    return fields;
}

TagFields Read(Ilumex* tag) {
    using Getter = HRESULT (STDMETHODCALLTYPE Ilumex::*)(BSTR*);
    const Getter getters[5] = {&Ilumex::get_GetTitle, &Ilumex::get_GetArtist, &Ilumex::get_GetAlbum,
                               &Ilumex::get_GetProYear, &Ilumex::get_GetComment};
    TagFields fields;
    for (int f = 0; f < 5; ++f) {
        UniqueBstr text;
        EXPECT_EQ((tag->*getters[f])(text.Receive()), S_OK);
        EXPECT_NE(text.Get(), nullptr);
        fields.Texts[f].assign(text.Get() != nullptr ? text.Get() : L"", text.Length());
    }
    fields.Genre = -1;
    EXPECT_EQ(tag->get_GetGenreNo(&fields.Genre), S_OK);
    return fields;
}

HRESULT Load(Ilumex* tag, const std::wstring& path) {
    UniqueBstr name(SysAllocString(path.c_str()));
    return tag->LoadMP3Head(name.Get());
}

// Random bytes of a random length, with "TAG" planted here and there; the bytes are now
// anything at all, now mostly letters with 0 bytes between them, so that texts of every
// length come about.
Bytes RandomFile(std::mt19937& random) {
    auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    Bytes file(below(kLongestFile + 1));
    const bool texty = below(2) == 0;
    for (unsigned char& b : file) {
        if (!texty) {
            b = static_cast<unsigned char>(random());
        } else {
            b = below(8) == 0 ? 0 : static_cast<unsigned char>(0x20 + below(0x60));
        }
    }
    for (size_t markers = below(4); markers > 0 && file.size() >= 3; --markers) {
        // Mostly where a tag would be, sometimes anywhere.
        const size_t tail = std::min<size_t>(file.size() - 2, below(3) == 0 ? file.size() - 2 : 140);
        const size_t at = file.size() - 2 - tail + below(tail);
        file[at] = 'T';
        file[at + 1] = 'A';
        file[at + 2] = 'G';
    }
    return file;
}

}  // namespace

TEST(TagRandomFiles, EveryFieldIsWhatTheFormatSaysAndLoadsRepeatExactly) {
    LoadedServer server;
    ScratchFolder folder;
    {
        auto tag = server.Create<Ilumex>(kIlumexIid);
        ASSERT_TRUE(tag);
        // A full tag before every random file: what the random file leaves must be its own.
        const std::wstring full =
            folder.WriteFile(L"full.mp3", MakeTag("Full title", "Full artist", "Full album", "2001", "Full", 7));
        const unsigned seed = 20240611;
        std::mt19937 random(seed);
        int tagged = 0;
        for (int i = 0; i < kFiles && !HasFailure(); ++i) {
            const Bytes bytes = RandomFile(random);
            const std::wstring path = folder.WriteFile(L"random.mp3", bytes);
            const TagFields expected = Expected(bytes);
            if (expected.Genre != 255 || !expected.Texts[0].empty()) ++tagged;

            ASSERT_EQ(Load(tag.Get(), full), S_OK);
            ASSERT_EQ(Load(tag.Get(), path), S_OK);
            const TagFields first = Read(tag.Get());
            ASSERT_EQ(Load(tag.Get(), path), S_OK);
            const TagFields again = Read(tag.Get());
            EXPECT_TRUE(first == expected)
                << "file " << i << " of seed " << seed << ", " << bytes.size() << " bytes\n  read     "
                << Describe(first) << "\n  expected " << Describe(expected);
            EXPECT_TRUE(again == first) << "file " << i << ": a second load read " << Describe(again);
        }
        // Both kinds must have come about, or the run proves little.
        EXPECT_GT(tagged, kFiles / 10);
        EXPECT_LT(tagged, kFiles - kFiles / 10);
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(TagRandomFiles, FailedLoadsBetweenRandomFilesLeaveTheRecordCleared) {
    LoadedServer server;
    ScratchFolder folder;
    {
        auto tag = server.Create<Ilumex>(kIlumexIid);
        ASSERT_TRUE(tag);
        const std::wstring full =
            folder.WriteFile(L"full.mp3", MakeTag("Full title", "Full artist", "Full album", "2001", "Full", 7));
        const std::wstring failures[] = {folder.Path() + L"\\missing.mp3", folder.MakeFolder(L"folder"),
                                         folder.WriteFile(L"empty.mp3", {}), L""};
        std::mt19937 random(7);
        for (int i = 0; i < 200 && !HasFailure(); ++i) {
            ASSERT_EQ(Load(tag.Get(), full), S_OK);
            const std::wstring& failing = failures[random() % 4];
            ASSERT_EQ(Load(tag.Get(), failing), S_OK);
            EXPECT_TRUE(Read(tag.Get()) == TagFields())
                << "after loading \"" << std::string(failing.begin(), failing.end())
                << "\": " << Describe(Read(tag.Get()));
        }
        EXPECT_EQ(tag->LoadMP3Head(nullptr), S_OK);
        EXPECT_TRUE(Read(tag.Get()) == TagFields());
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
