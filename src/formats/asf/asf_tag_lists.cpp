#include "formats/asf/asf_tag_lists.h"

#include <algorithm>

#include "formats/asf/asf_attributes.h"
#include "formats/edit_keys.h"
#include "formats/little_endian.h"
#include "formats/media_tags.h"

namespace {

constexpr size_t kLargestShortValue = 0xFFFF;
constexpr uint16_t kBytes = 1;
const char16_t* const kDescriptionNames[5] = {u"Title", u"Author", u"Copyright", u"Description", u"Rating"};

class Reader {
public:
    Reader(const uint8_t* bytes, size_t size) noexcept : bytes_(bytes), size_(size) {}
    bool Number(size_t width, uint64_t* value) {
        if (size_ - at_ < width) return false;
        *value = ReadLittleEndian(bytes_ + at_, width);
        at_ += width;
        return true;
    }
    bool Take(uint64_t count, std::vector<uint8_t>& out) {
        if (size_ - at_ < count) return false;
        out.assign(bytes_ + at_, bytes_ + at_ + count);
        at_ += static_cast<size_t>(count);
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t at_ = 0;
};

void Put(uint64_t value, size_t width, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// UTF-16LE text up to its terminator.
std::u16string TextOf(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

// UTF-16LE text and its terminator.
std::vector<uint8_t> TextBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(2 * text.size() + 2);
    for (char16_t c : text) Put(c, 2, bytes);
    Put(0, 2, bytes);
    return bytes;
}

bool ParseAttribute(Reader& body, bool metadata, AsfAttribute& attribute) {
    uint64_t language = 0, stream = 0, nameSize = 0, type = 0, size = 0;
    std::vector<uint8_t> name;
    const bool read = metadata ? body.Number(2, &language) && body.Number(2, &stream) && body.Number(2, &nameSize) &&
                                     body.Number(2, &type) && body.Number(4, &size) && body.Take(nameSize, name)
                               : body.Number(2, &nameSize) && body.Take(nameSize, name) && body.Number(2, &type) &&
                                     body.Number(2, &size);
    if (!read || !body.Take(size, attribute.Value)) return false;
    attribute.Name = TextOf(name);
    attribute.Type = static_cast<uint16_t>(type);
    attribute.Language = static_cast<uint16_t>(language);
    attribute.Stream = static_cast<uint16_t>(stream);
    return true;
}

bool IsEdited(const std::vector<std::u16string>& names, const std::u16string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::u16string& n) { return EqualIgnoringAsciiCase(n, name); });
}

// The content description text a name is, -1 for none.
int DescriptionIndex(const std::vector<std::u16string>& names) {
    for (int i = 0; i < 5; ++i) {
        if (IsEdited(names, kDescriptionNames[i])) return i;
    }
    return -1;
}

AsfList& ListFor(std::vector<AsfList>& lists, AsfListKind kind) {
    for (AsfList& list : lists) {
        if (list.Kind == kind) return list;
    }
    AsfList fresh;
    fresh.Kind = kind;
    fresh.Fresh = true;
    lists.push_back(std::move(fresh));
    return lists.back();
}

// A value written as a number where the attribute it replaces was one and it is plain
// decimal that fits: players that read WM/TrackNumber as a number keep reading it.
bool NumberValue(uint16_t type, const std::u16string& text, std::vector<uint8_t>& value) {
    const size_t width = type == 3 ? 4 : type == 4 ? 8 : type == 5 ? 2 : 0;
    if (width == 0 || text.empty() || text.size() > 19) return false;
    uint64_t number = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        number = number * 10 + static_cast<uint64_t>(c - u'0');
    }
    if (width < 8 && number >> (8 * width) != 0) return false;
    value.clear();
    Put(number, width, value);
    return true;
}

void AddAttribute(std::vector<AsfList>& lists, AsfAttribute&& attribute) {
    AsfList& list = ListFor(lists, attribute.Value.size() > kLargestShortValue ? AsfListKind::Library : AsfListKind::Extended);
    list.Attributes.push_back(std::move(attribute));
    list.Changed = true;
}

std::vector<std::u16string> ValuesOf(const std::u16string& text) {
    std::vector<std::u16string> values;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find(u"; ", at);
        if (end == std::u16string::npos) end = text.size();
        if (end > at) values.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return values;
}

// Removes what matches from every list; the type of the first attribute removed, 0 for none.
template <class Matches>
uint16_t RemoveAttributes(std::vector<AsfList>& lists, Matches matches) {
    uint16_t firstType = 0;
    bool found = false;
    for (AsfList& list : lists) {
        auto& attributes = list.Attributes;
        for (auto at = attributes.begin(); at != attributes.end();) {
            if (!matches(*at)) {
                ++at;
                continue;
            }
            if (!found) firstType = at->Type;
            found = true;
            at = attributes.erase(at);
            list.Changed = true;
        }
    }
    return firstType;
}

void SetText(std::vector<AsfList>& lists, const std::u16string& key, const std::u16string& value) {
    const std::vector<std::u16string> names = FieldKeysOf(AsfFieldNames(), key);
    const uint16_t oldType = RemoveAttributes(lists, [&](const AsfAttribute& a) { return IsEdited(names, a.Name); });
    const int described = DescriptionIndex(names);
    if (described >= 0) {
        for (AsfList& list : lists) {
            if (list.Kind != AsfListKind::Description || list.Texts[described].empty()) continue;
            list.Texts[described].clear();
            list.Changed = true;
        }
    }
    bool first = true;
    for (const std::u16string& text : ValuesOf(value)) {
        std::vector<uint8_t> bytes = TextBytes(text);
        if (first && described >= 0 && bytes.size() <= kLargestShortValue) {
            AsfList& list = ListFor(lists, AsfListKind::Description);
            list.Texts[described] = std::move(bytes);
            list.Changed = true;
        } else {
            AsfAttribute attribute;
            attribute.Name = described >= 0 ? kDescriptionNames[described] : key;
            if (NumberValue(oldType, text, attribute.Value)) {
                attribute.Type = oldType;
            } else {
                attribute.Value = std::move(bytes);
            }
            AddAttribute(lists, std::move(attribute));
        }
        first = false;
    }
}

bool IsPicture(const AsfAttribute& attribute) { return EqualIgnoringAsciiCase(attribute.Name, u"WM/Picture"); }

// WM/Picture: type, image length, MIME type and description (UTF-16, terminated), image.
std::vector<uint8_t> PictureValue(const CoverImage& cover) {
    std::vector<uint8_t> value{3};
    Put(cover.Bytes.size(), 4, value);
    const std::vector<uint8_t> mime = TextBytes(std::u16string(cover.MimeType.begin(), cover.MimeType.end()));
    value.insert(value.end(), mime.begin(), mime.end());
    Put(0, 2, value);
    value.insert(value.end(), cover.Bytes.begin(), cover.Bytes.end());
    return value;
}

void SetPictures(std::vector<AsfList>& lists, const TagEdits& edits) {
    if (edits.RemovePictures) RemoveAttributes(lists, IsPicture);
    if (edits.Cover.Bytes.empty()) return;
    RemoveAttributes(lists, [](const AsfAttribute& a) {
        return IsPicture(a) && a.Type == kBytes && !a.Value.empty() && a.Value[0] == 3;
    });
    AsfAttribute picture;
    picture.Name = u"WM/Picture";
    picture.Type = kBytes;
    picture.Value = PictureValue(edits.Cover);
    AddAttribute(lists, std::move(picture));
}

}  // namespace

bool ParseAsfList(AsfListKind kind, const uint8_t* bytes, size_t size, AsfList& list) {
    list = AsfList();
    list.Kind = kind;
    Reader body(bytes, size);
    if (kind == AsfListKind::Description) {
        uint64_t lengths[5];
        for (uint64_t& length : lengths) {
            if (!body.Number(2, &length)) return false;
        }
        for (size_t i = 0; i < 5; ++i) {
            if (!body.Take(lengths[i], list.Texts[i])) return false;
        }
        return true;
    }
    uint64_t count = 0;
    if (!body.Number(2, &count)) return false;
    list.Attributes.resize(static_cast<size_t>(count));
    for (AsfAttribute& attribute : list.Attributes) {
        if (!ParseAttribute(body, kind != AsfListKind::Extended, attribute)) return false;
    }
    return true;
}

bool SerialiseAsfList(const AsfList& list, std::vector<uint8_t>& body) {
    body.clear();
    if (list.Kind == AsfListKind::Description) {
        for (const auto& text : list.Texts) Put(text.size(), 2, body);
        for (const auto& text : list.Texts) body.insert(body.end(), text.begin(), text.end());
        return true;
    }
    const bool metadata = list.Kind != AsfListKind::Extended;
    if (list.Attributes.size() > 0xFFFF) return false;
    Put(list.Attributes.size(), 2, body);
    for (const AsfAttribute& attribute : list.Attributes) {
        const std::vector<uint8_t> name = TextBytes(attribute.Name);
        if (name.size() > 0xFFFF || attribute.Value.size() > (metadata ? 0xFFFFFFFFull : kLargestShortValue)) return false;
        if (metadata) {
            Put(attribute.Language, 2, body);
            Put(attribute.Stream, 2, body);
            Put(name.size(), 2, body);
            Put(attribute.Type, 2, body);
            Put(attribute.Value.size(), 4, body);
            body.insert(body.end(), name.begin(), name.end());
        } else {
            Put(name.size(), 2, body);
            body.insert(body.end(), name.begin(), name.end());
            Put(attribute.Type, 2, body);
            Put(attribute.Value.size(), 2, body);
        }
        body.insert(body.end(), attribute.Value.begin(), attribute.Value.end());
    }
    return true;
}

void ApplyAsfEdits(const TagEdits& edits, std::vector<AsfList>& lists) {
    for (const auto& edit : edits.Texts) SetText(lists, edit.first, edit.second);
    SetPictures(lists, edits);
}
