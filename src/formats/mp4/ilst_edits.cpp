#include "formats/mp4/ilst_edits.h"

#include <algorithm>

#include "formats/edit_keys.h"
#include "formats/genre_list.h"
#include "formats/mp4/ilst_items.h"
#include "formats/utf8_text.h"

namespace {

// The types of a data box's value.
constexpr uint32_t kBinary = 0, kUtf8 = 1, kJpeg = 13, kPng = 14, kSigned = 21;

// Items iTunes keeps as signed integers, and their widths in bytes.
const struct {
    const char* Type;
    int Width;
} kIntegerItems[] = {{"tmpo", 2}, {"cpil", 1}, {"pgap", 1}, {"pcst", 1}, {"hdvd", 1}, {"shwm", 1},
                     {"stik", 1}, {"rtng", 1}, {"akID", 1}, {"tvsn", 4}, {"tves", 4}, {"cnID", 4},
                     {"atID", 4}, {"geID", 4}, {"sfID", 4}, {"cmID", 4}, {"plID", 8}};

std::vector<uint8_t> Utf8Of(const std::u16string& text) {
    std::string utf8;
    AppendUtf8(text, utf8);
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

std::string TypeOf(const std::u16string& key) {
    std::string type;
    for (char16_t c : key) type.push_back(static_cast<char>(c));
    return type;
}

BoxNode DataBox(uint32_t type, const std::vector<uint8_t>& value) {
    std::vector<uint8_t> body;
    AppendBigEndian(type, 4, body);
    AppendBigEndian(0, 4, body);  // the locale
    body.insert(body.end(), value.begin(), value.end());
    return LeafBox("data", std::move(body));
}

// Digits alone, at most max.
bool ParseCount(const std::u16string& text, uint64_t max, uint64_t* value) {
    if (text.empty() || text.size() > 19) return false;
    *value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        *value = *value * 10 + static_cast<uint64_t>(c - u'0');
    }
    return *value <= max;
}

// "n" or "n/N" into the bytes trkn and disk hold: two reserved, the number, the count
// (and, for trkn, two more reserved).
bool PairValue(const std::u16string& text, bool track, std::vector<uint8_t>& value) {
    const size_t slash = text.find(u'/');
    uint64_t number = 0, count = 0;
    if (!ParseCount(text.substr(0, slash), 0xFFFF, &number)) return false;
    if (slash != std::u16string::npos && !ParseCount(text.substr(slash + 1), 0xFFFF, &count)) return false;
    AppendBigEndian(0, 2, value);
    AppendBigEndian(number, 2, value);
    AppendBigEndian(count, 2, value);
    if (track) AppendBigEndian(0, 2, value);
    return true;
}

// A signed integer that fits width bytes, big-endian.
bool IntegerValue(const std::u16string& text, int width, std::vector<uint8_t>& value) {
    const bool negative = !text.empty() && text[0] == u'-';
    const uint64_t limit = width == 8 ? 0x7FFFFFFFFFFFFFFFull : (1ull << (8 * width - 1)) - 1;
    uint64_t magnitude = 0;
    if (!ParseCount(text.substr(negative ? 1 : 0), limit + (negative ? 1 : 0), &magnitude)) return false;
    AppendBigEndian(negative ? 0 - magnitude : magnitude, width, value);
    return true;
}

int IntegerWidth(const std::string& type) {
    for (const auto& item : kIntegerItems) {
        if (type == item.Type) return item.Width;
    }
    return 0;
}

// The genre's ID3v1 number plus one, as gnre holds it; 0 for a genre it does not name.
unsigned GenreNumber(const std::u16string& name) {
    for (unsigned index = 0; index < 255; ++index) {
        const char16_t* genre = GenreName(index);
        if (genre == nullptr) break;
        if (name == genre) return index + 1;
    }
    return 0;
}

// The item that holds value under key: a freeform item, a number pair, a genre number,
// an integer, or UTF-8 text.
bool MakeItem(const std::u16string& key, const std::u16string& value, BoxNode& item, std::u16string* reason) {
    if (key.compare(0, 5, u"----:") == 0) {
        const size_t colon = key.find(u':', 5);
        std::vector<uint8_t> mean(4, 0), name(4, 0);  // full boxes: version and flags first
        const std::vector<uint8_t> meanText = Utf8Of(key.substr(5, colon - 5)), nameText = Utf8Of(key.substr(colon + 1));
        mean.insert(mean.end(), meanText.begin(), meanText.end());
        name.insert(name.end(), nameText.begin(), nameText.end());
        item = ParentBox("----", {}, {LeafBox("mean", mean), LeafBox("name", name), DataBox(kUtf8, Utf8Of(value))});
        return true;
    }
    std::string type = TypeOf(key);
    std::vector<uint8_t> bytes;
    uint32_t dataType = kUtf8;
    if (type == "trkn" || type == "disk") {
        dataType = kBinary;
        if (!PairValue(value, type == "trkn", bytes)) {
            *reason = key + u" takes a number or \"n/N\", each up to 65535";
            return false;
        }
    } else if (const int width = IntegerWidth(type)) {
        dataType = kSigned;
        if (!IntegerValue(value, width, bytes)) {
            *reason = key + u" takes a whole number that fits in " + std::u16string(1, u'0' + width) + u" bytes";
            return false;
        }
    } else if (type == "gnre" && GenreNumber(value) != 0) {
        dataType = kBinary;
        AppendBigEndian(GenreNumber(value), 2, bytes);
    } else {
        // A genre that gnre cannot number is kept as text.
        if (type == "gnre") type = "\xA9gen";
        bytes = Utf8Of(value);
    }
    item = ParentBox(type, {}, {DataBox(dataType, bytes)});
    return true;
}

bool IsCover(const BoxNode& item) { return item.Is("covr"); }

size_t FirstCover(const std::vector<BoxNode>& items) {
    return static_cast<size_t>(std::find_if(items.begin(), items.end(), IsCover) - items.begin());
}

bool NamedBy(const BoxNode& item, const std::vector<std::u16string>& names) {
    const std::u16string key = ItemKey(item);
    for (const std::u16string& name : names) {
        if (EqualIgnoringAsciiCase(key, name)) return true;
    }
    return false;
}

bool EditText(const std::u16string& key, const std::u16string& value, std::vector<BoxNode>& items,
              std::u16string* reason) {
    const std::vector<std::u16string> names = FieldKeysOf(Mp4FieldNames(), key);
    std::vector<BoxNode> kept;
    size_t place = SIZE_MAX;
    for (BoxNode& item : items) {
        if (!IsCover(item) && NamedBy(item, names)) {
            if (place == SIZE_MAX) place = kept.size();
            continue;
        }
        kept.push_back(std::move(item));
    }
    if (place == SIZE_MAX) place = FirstCover(kept);
    if (!value.empty()) {
        BoxNode item;
        if (!MakeItem(key, value, item, reason)) return false;
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(place), std::move(item));
    }
    items.swap(kept);
    return true;
}

// The data boxes of a covr item's body; empty where it holds none that can be walked.
std::vector<BoxNode> CoverImages(const BoxNode& cover) {
    std::vector<BoxNode> images;
    const uint8_t* body = cover.Body.data();
    size_t at = 0;
    MemoryBox box;
    while (NextMemoryBox(body, cover.Body.size(), &at, box) == BoxStep::Found) {
        BoxNode image = LeafBox(box.Type, std::vector<uint8_t>(body + box.BodyStart, body + box.End));
        image.LargeHeader = box.LargeHeader;
        images.push_back(std::move(image));
    }
    return images;
}

void EditCover(const TagEdits& edits, std::vector<BoxNode>& items) {
    if (edits.RemovePictures) items.erase(std::remove_if(items.begin(), items.end(), IsCover), items.end());
    if (edits.Cover.Bytes.empty()) return;
    BoxNode image = DataBox(edits.Cover.MimeType == "image/png" ? kPng : kJpeg, edits.Cover.Bytes);
    const size_t first = FirstCover(items);
    if (first == items.size()) {
        items.push_back(ParentBox("covr", {}, {std::move(image)}));
        return;
    }
    // The first image is the one read as the front cover: the others stay behind it.
    std::vector<BoxNode> images = items[first].Parsed ? items[first].Children : CoverImages(items[first]);
    if (!images.empty()) images.erase(images.begin());
    images.insert(images.begin(), std::move(image));
    items[first] = ParentBox("covr", {}, std::move(images));
}

}  // namespace

std::u16string ItemKey(const BoxNode& item) {
    std::u16string key;
    for (char c : item.Type) key.push_back(static_cast<unsigned char>(c));
    if (key != u"----") return key;
    std::vector<uint8_t> body;
    if (item.Parsed) {
        for (const BoxNode& child : item.Children) child.AppendTo(body);
    }
    const std::vector<uint8_t>& bytes = item.Parsed ? body : item.Body;
    std::u16string mean, name;
    size_t at = 0;
    MemoryBox box;
    while (NextMemoryBox(bytes.data(), bytes.size(), &at, box) == BoxStep::Found) {
        if ((box.Type == "mean" || box.Type == "name") && box.End - box.BodyStart >= 4) {
            (box.Type == "mean" ? mean : name) = DecodeUtf8(bytes.data() + box.BodyStart + 4, box.End - box.BodyStart - 4);
        }
    }
    return key + u':' + mean + u':' + name;
}

bool EditItems(const TagEdits& edits, std::vector<BoxNode>& items, std::u16string* reason) {
    for (const auto& text : edits.Texts) {
        if (!EditText(text.first, text.second, items, reason)) return false;
    }
    EditCover(edits, items);
    return true;
}

void PutCoversLast(std::vector<BoxNode>& items) {
    std::stable_partition(items.begin(), items.end(), [](const BoxNode& item) { return !IsCover(item); });
}
