#include "formats/media_tags.h"

const std::u16string* MediaTags::FindText(const std::u16string& frameId) const {
    const auto found = Texts.find(frameId);
    return found == Texts.end() ? nullptr : &found->second;
}
