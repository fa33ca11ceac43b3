#include "formats/vorbis_comments/vorbis_comment_writer.h"

#include <cstring>
#include <limits>

#include "formats/base64_bytes.h"
#include "formats/edit_keys.h"
#include "formats/little_endian.h"
#include "formats/media_tags.h"
#include "formats/utf8_text.h"
#include "formats/vorbis_comments/vorbis_comment_reader.h"

namespace {

constexpr char kNewVendor[] = "tarvik";
constexpr char kPictureField[] = "METADATA_BLOCK_PICTURE";
constexpr uint32_t kFrontCover = 3;

// A field of the old list: its length's offset, and the length.
struct OldField {
    size_t At = 0;
    uint32_t Length = 0;
};

struct OldList {
    size_t VendorEnd = 0;  // after the vendor string
    std::vector<OldField> Fields;
};

uint32_t Little32(const uint8_t* bytes) noexcept { return static_cast<uint32_t>(ReadLittleEndian(bytes, 4)); }

void AppendLittle32(uint32_t value, std::vector<uint8_t>& out) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendBig32(uint32_t value, std::vector<uint8_t>& out) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The vendor string and every field, each within size; false where one runs past it.
bool WalkList(const uint8_t* old, size_t size, OldList& list) {
    if (size < 4 || Little32(old) > size - 4 || size - 4 - Little32(old) < 4) return false;
    size_t at = 4 + Little32(old);
    list.VendorEnd = at;
    const uint32_t count = Little32(old + at);
    at += 4;
    // Each field takes four bytes at least: a count past that is no list.
    if (count > (size - at) / 4) return false;
    list.Fields.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 4 || Little32(old + at) > size - at - 4) return false;
        list.Fields.push_back({at, Little32(old + at)});
        at += 4 + size_t{Little32(old + at)};
    }
    return true;
}

char16_t UpperAscii(char16_t c) noexcept { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// Whether the field's name (its bytes before '=') is name, ignoring ASCII case.
bool FieldNamed(const uint8_t* field, uint32_t length, const std::u16string& name) noexcept {
    if (length <= name.size() || field[name.size()] != '=') return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (field[i] >= 0x80 || UpperAscii(field[i]) != UpperAscii(name[i])) return false;
    }
    return true;
}

bool AddField(const uint8_t* field, size_t size, std::vector<uint8_t>& out, uint32_t& count) {
    if (size > std::numeric_limits<uint32_t>::max() || count == std::numeric_limits<uint32_t>::max()) return false;
    AppendLittle32(static_cast<uint32_t>(size), out);
    out.insert(out.end(), field, field + size);
    ++count;
    return true;
}

// The picture type at the start of a METADATA_BLOCK_PICTURE value; false where the first
// eight characters are no base64.
bool PictureTypeOf(const uint8_t* text, size_t size, uint32_t* type) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (size < 8) return false;
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        const char* found = text[i] != 0 ? std::strchr(alphabet, text[i]) : nullptr;
        if (found == nullptr) return false;
        bits = bits << 6 | static_cast<uint64_t>(found - alphabet);
    }
    *type = static_cast<uint32_t>(bits >> 16);
    return true;
}

class ListEditor {
public:
    ListEditor(const TagEdits& edits, bool picturesAsFields) : edits_(edits), pictures_(picturesAsFields) {
        for (const auto& text : edits.Texts) {
            for (std::u16string& name : FieldKeysOf(VorbisFieldNames(), text.first)) {
                removed_.push_back(std::move(name));
            }
        }
    }

    // Whether the field (length bytes from field) gives way to the edits.
    bool Drops(const uint8_t* field, uint32_t length) const {
        for (const std::u16string& name : removed_) {
            if (FieldNamed(field, length, name)) return true;
        }
        if (!pictures_) return false;
        static const std::u16string picture(kPictureField, kPictureField + sizeof kPictureField - 1);
        if (edits_.RemovePictures &&
            (FieldNamed(field, length, u"COVERART") || FieldNamed(field, length, u"COVERARTMIME"))) {
            return true;
        }
        if (!FieldNamed(field, length, picture)) return false;
        if (edits_.RemovePictures) return true;
        uint32_t type = 0;
        const size_t name = picture.size() + 1;
        return !edits_.Cover.Bytes.empty() && PictureTypeOf(field + name, length - name, &type) && type == kFrontCover;
    }

    // The fields the edits add, after those kept; false where one would pass 32-bit lengths.
    bool AddFields(std::vector<uint8_t>& out, uint32_t& count) const {
        for (const auto& text : edits_.Texts) {
            std::string name;
            AppendUtf8(text.first, name);
            for (size_t from = 0; from <= text.second.size();) {
                size_t end = text.second.find(u"; ", from);
                if (end == std::u16string::npos) end = text.second.size();
                if (end > from) {
                    std::string field = name + "=";
                    AppendUtf8(text.second.substr(from, end - from), field);
                    const auto* bytes = reinterpret_cast<const uint8_t*>(field.data());
                    if (!AddField(bytes, field.size(), out, count)) return false;
                }
                from = end + 2;
            }
        }
        if (!pictures_ || edits_.Cover.Bytes.empty()) return true;
        std::vector<uint8_t> field(kPictureField, kPictureField + sizeof kPictureField - 1);
        field.push_back('=');
        const std::vector<uint8_t> body = FlacPictureBody(edits_.Cover);
        AppendBase64(body.data(), body.size(), field);
        return AddField(field.data(), field.size(), out, count);
    }

private:
    const TagEdits& edits_;
    const bool pictures_;
    std::vector<std::u16string> removed_;
};

}  // namespace

bool IsVorbisFieldName(const std::u16string& key) noexcept {
    if (key.empty()) return false;
    for (char16_t c : key) {
        if (c < 0x20 || c > 0x7D || c == u'=') return false;
    }
    return true;
}

bool EditVorbisComments(const uint8_t* old, size_t size, const TagEdits& edits, bool picturesAsFields,
                        std::vector<uint8_t>& out) {
    out.clear();
    for (const auto& text : edits.Texts) {
        if (!IsVorbisFieldName(text.first)) return false;
    }
    OldList list;
    if (old == nullptr || size == 0) {
        AppendLittle32(sizeof kNewVendor - 1, out);
        out.insert(out.end(), kNewVendor, kNewVendor + sizeof kNewVendor - 1);
    } else if (!WalkList(old, size, list)) {
        return false;
    } else {
        out.assign(old, old + list.VendorEnd);
    }
    const size_t countAt = out.size();
    AppendLittle32(0, out);
    const ListEditor editor(edits, picturesAsFields);
    uint32_t count = 0;
    for (const OldField& field : list.Fields) {
        if (editor.Drops(old + field.At + 4, field.Length)) continue;
        out.insert(out.end(), old + field.At, old + field.At + 4 + field.Length);
        ++count;
    }
    if (!editor.AddFields(out, count)) return false;
    for (int i = 0; i < 4; ++i) out[countAt + static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (8 * i));
    return true;
}

std::vector<uint8_t> FlacPictureBody(const CoverImage& cover) {
    std::vector<uint8_t> body;
    body.reserve(32 + cover.MimeType.size() + cover.Bytes.size());
    AppendBig32(kFrontCover, body);
    AppendBig32(static_cast<uint32_t>(cover.MimeType.size()), body);
    body.insert(body.end(), cover.MimeType.begin(), cover.MimeType.end());
    AppendBig32(0, body);  // no description
    for (int i = 0; i < 4; ++i) AppendBig32(0, body);  // width, height, depth, colours: unknown
    AppendBig32(static_cast<uint32_t>(cover.Bytes.size()), body);
    body.insert(body.end(), cover.Bytes.begin(), cover.Bytes.end());
    return body;
}
