#include "formats/id3v2/frame_encoding.h"

#include <algorithm>
#include <initializer_list>

#include "formats/id3v2/frame_text.h"
#include "formats/utf8_text.h"

namespace {

constexpr uint8_t kLatin1 = 0, kUtf16 = 1, kUtf8 = 3;

uint8_t ChooseEncoding(int version, std::initializer_list<const std::u16string*> texts) {
    for (const std::u16string* text : texts) {
        for (const char16_t c : *text) {
            if (c > 0xFF) return version == 4 ? kUtf8 : kUtf16;
        }
    }
    return kLatin1;
}

void AppendText(uint8_t encoding, const std::u16string& text, std::vector<uint8_t>& out) {
    if (encoding == kLatin1) {
        for (const char16_t c : text) out.push_back(static_cast<uint8_t>(c));
    } else if (encoding == kUtf16) {
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (const char16_t c : text) {
            out.push_back(static_cast<uint8_t>(c & 0xFF));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    } else {
        std::string utf8;
        AppendUtf8(text, utf8);
        out.insert(out.end(), utf8.begin(), utf8.end());
    }
}

void AppendTerminator(uint8_t encoding, std::vector<uint8_t>& out) {
    out.push_back(0);
    if (encoding == kUtf16) out.push_back(0);
}

// 2.4 keeps several values null-separated; before it a text frame holds one string.
void AppendValues(int version, uint8_t encoding, const std::u16string& value, std::vector<uint8_t>& out) {
    if (version < 4) {
        AppendText(encoding, value, out);
        return;
    }
    bool first = true;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(u"; ", start);
        if (end == std::u16string::npos) end = value.size();
        if (end > start) {
            if (!first) AppendTerminator(encoding, out);
            AppendText(encoding, value.substr(start, end - start), out);
            first = false;
        }
        start = end + 2;
    }
}

}  // namespace

std::vector<uint8_t> MakeTextBody(int version, const std::u16string& value) {
    const uint8_t encoding = ChooseEncoding(version, {&value});
    std::vector<uint8_t> body(1, encoding);
    AppendValues(version, encoding, value, body);
    return body;
}

std::vector<uint8_t> MakeUserTextBody(int version, const std::u16string& description, const std::u16string& value) {
    const uint8_t encoding = ChooseEncoding(version, {&description, &value});
    std::vector<uint8_t> body(1, encoding);
    AppendText(encoding, description, body);
    AppendTerminator(encoding, body);
    AppendValues(version, encoding, value, body);
    return body;
}

std::vector<uint8_t> MakeCommentBody(int version, const uint8_t* language, const std::u16string& description,
                                     const std::u16string& text) {
    const uint8_t encoding = ChooseEncoding(version, {&description, &text});
    std::vector<uint8_t> body{encoding, language[0], language[1], language[2]};
    AppendText(encoding, description, body);
    AppendTerminator(encoding, body);
    AppendText(encoding, text, body);
    return body;
}

std::vector<uint8_t> MakeFrontCoverBody(const std::string& mimeType, const std::vector<uint8_t>& image) {
    // Encoding, MIME type and its terminator, picture type 3 (front cover), an empty description.
    std::vector<uint8_t> body(mimeType.size() + 4 + image.size(), 0);
    body[0] = kLatin1;
    std::copy(mimeType.begin(), mimeType.end(), body.begin() + 1);
    body[mimeType.size() + 2] = 3;
    std::copy(image.begin(), image.end(), body.begin() + static_cast<std::ptrdiff_t>(mimeType.size() + 4));
    return body;
}

bool ReadDescription(const std::string& id, const uint8_t* data, size_t size, std::u16string* description) {
    const size_t skip = id == "TXXX" ? 1 : 4;  // the encoding, and a language but in TXXX
    if (size < skip || !IsTextEncoding(data[0])) return false;
    size_t next = 0;
    const size_t length = FindTextEnd(data[0], data + skip, size - skip, &next);
    *description = DecodeText(data[0], data + skip, length);
    return true;
}

bool ReadPictureType(const uint8_t* data, size_t size, uint8_t* type) {
    if (size < 2) return false;
    size_t next = 0;
    if (FindTextEnd(0, data + 1, size - 1, &next) == size - 1 || 1 + next >= size) return false;
    *type = data[1 + next];
    return true;
}
