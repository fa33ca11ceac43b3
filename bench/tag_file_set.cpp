#include "tag_file_set.h"

#include <memory>
#include <random>

#include "support/ansi_conversion.h"

namespace {

constexpr int kLongestFile = 4096;
constexpr int kTaggedPercent = 85;
// Wine looks a new name up in its folder without regard to case, one entry after another:
// small folders keep writing the set linear.
constexpr int kFilesPerFolder = 1000;

// Up to width letters and blanks, 0-padded or blank-padded as tag writers do.
std::string RandomText(std::mt19937& random, size_t width) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
    std::string text(std::uniform_int_distribution<size_t>(0, width)(random), ' ');
    for (char& c : text) c = kLetters[std::uniform_int_distribution<size_t>(0, sizeof kLetters - 2)(random)];
    return text;
}

std::vector<unsigned char> RandomBytes(std::mt19937& random, size_t length) {
    std::vector<unsigned char> bytes(length);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    // No stray marker: a file without a tag is one.
    for (size_t i = 0; i + 2 < bytes.size(); ++i) {
        if (bytes[i] == 'T' && bytes[i + 1] == 'A' && bytes[i + 2] == 'G') bytes[i] = 't';
    }
    return bytes;
}

std::vector<unsigned char> RandomFile(std::mt19937& random, bool tagged) {
    if (!tagged) return RandomBytes(random, std::uniform_int_distribution<size_t>(0, kLongestFile)(random));
    std::vector<unsigned char> bytes =
        RandomBytes(random, std::uniform_int_distribution<size_t>(0, kLongestFile - 128)(random));
    const std::vector<unsigned char> tag =
        MakeTag(RandomText(random, 30), RandomText(random, 30), RandomText(random, 30), RandomText(random, 4),
                RandomText(random, 30), static_cast<unsigned char>(random()));
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    return bytes;
}

// The path as the bare loop opens it, in the system code page.
std::string ToAnsi(const std::wstring& text) {
    std::unique_ptr<char[]> ansi;
    return SUCCEEDED(ConvertToAnsi(text.c_str(), ansi)) ? std::string(ansi.get()) : std::string();
}

}  // namespace

TagFileSet::TagFileSet(int count) {
    std::mt19937 random(20240610);
    for (int i = 0; i < count; ++i) {
        const std::wstring subfolder = L"s" + std::to_wstring(i / kFilesPerFolder);
        if (i % kFilesPerFolder == 0) folder_.MakeFolder(subfolder);
        const bool tagged = std::uniform_int_distribution<int>(0, 99)(random) < kTaggedPercent;
        if (tagged) ++tagged_;
        const std::wstring name = subfolder + L"\\t" + std::to_wstring(i) + L".mp3";
        const std::wstring path = folder_.WriteFile(name, RandomFile(random, tagged));
        ansiPaths_.push_back(ToAnsi(path));
        widePaths_.emplace_back(SysAllocString(path.c_str()));
    }
}
