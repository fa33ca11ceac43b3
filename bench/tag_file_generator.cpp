#include "tag_file_generator.h"

#include <string>

namespace {

constexpr int kLongestFile = 4096;
constexpr int kTaggedPercent = 85;

// Up to width letters and blanks, 0-padded or blank-padded as tag writers do.
std::string RandomText(std::mt19937& random, size_t width) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
    std::string text(std::uniform_int_distribution<size_t>(0, width)(random), ' ');
    for (char& c : text) c = kLetters[std::uniform_int_distribution<size_t>(0, sizeof kLetters - 2)(random)];
    return text;
}

Bytes RandomBytes(std::mt19937& random, size_t length) {
    Bytes bytes(length);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    // No stray marker: a file without a tag is one.
    for (size_t i = 0; i + 2 < bytes.size(); ++i) {
        if (bytes[i] == 'T' && bytes[i + 1] == 'A' && bytes[i + 2] == 'G') bytes[i] = 't';
    }
    return bytes;
}

Bytes RandomFile(std::mt19937& random, bool tagged) {
    if (!tagged) return RandomBytes(random, std::uniform_int_distribution<size_t>(0, kLongestFile)(random));
    Bytes bytes = RandomBytes(random, std::uniform_int_distribution<size_t>(0, kLongestFile - 128)(random));
    const Bytes tag =
        MakeTag(RandomText(random, 30), RandomText(random, 30), RandomText(random, 30), RandomText(random, 4),
                RandomText(random, 30), static_cast<unsigned char>(random()));
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    return bytes;
}

}  // namespace

Bytes TagFileGenerator::Next(bool* tagged) {
    *tagged = std::uniform_int_distribution<int>(0, 99)(random_) < kTaggedPercent;
    return RandomFile(random_, *tagged);
}
