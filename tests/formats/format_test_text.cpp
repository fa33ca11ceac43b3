#include "format_test_files.h"

std::u16string DecimalText(long long number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string TextOf(const MediaTags& tags, const std::u16string& id) {
    const std::u16string* text = tags.FindText(id);
    return text != nullptr ? *text : u"(absent)";
}
