#include "formats/media_tags.h"

const std::wstring* MediaTags::FindText(const std::wstring& frameId) const {
    const auto found = Texts.find(frameId);
    return found == Texts.end() ? nullptr : &found->second;
}
