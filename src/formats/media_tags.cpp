#include "formats/media_tags.h"

namespace {

char16_t FoldAscii(char16_t c) noexcept { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

bool EqualIgnoringAsciiCase(const std::u16string& a, const std::u16string& b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

const std::u16string* MediaTags::FindText(const std::u16string& frameId) const {
    const auto found = Texts.find(frameId);
    if (found != Texts.end()) return &found->second;
    if (!TextKeysIgnoreCase) return nullptr;
    for (const auto& text : Texts) {
        if (EqualIgnoringAsciiCase(text.first, frameId)) return &text.second;
    }
    return nullptr;
}

void MediaTags::OfferPicture(const PictureLocation& picture) noexcept {
    if (PictureFound && (Picture.Type == 3 || picture.Type != 3)) return;
    PictureFound = true;
    Picture = picture;
}
