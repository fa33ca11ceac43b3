#include "formats/id3v2/frame_bodies.h"

#include "formats/id3v2/frame_text.h"

bool ParseTextFrame(const std::u16string& id, const uint8_t* body, size_t size, TextFrame& frame) {
    if (size == 0 || !IsTextEncoding(body[0])) return false;
    const uint8_t encoding = body[0];
    ++body;
    --size;
    frame.Key = id;
    if (id == u"TXXX") {
        size_t next = 0;
        const size_t length = FindTextEnd(encoding, body, size, &next);
        frame.Key += u":" + DecodeText(encoding, body, length);
        body += next;
        size -= next;
    }
    if (id == u"TCON") {
        frame.Values = DecodeTextValues(encoding, body, size);
    } else {
        frame.Text = DecodeJoinedText(encoding, body, size);
    }
    return true;
}

bool ParseCommentFrame(const uint8_t* body, size_t size, CommentFrame& frame) {
    // Encoding and a three-letter language.
    if (size < 4 || !IsTextEncoding(body[0])) return false;
    const uint8_t encoding = body[0];
    body += 4;
    size -= 4;
    size_t next = 0;
    const size_t length = FindTextEnd(encoding, body, size, &next);
    frame.Description = DecodeText(encoding, body, length);
    frame.Text = DecodeJoinedText(encoding, body + next, size - next);
    return true;
}

bool ParsePictureHeader(int version, const uint8_t* body, size_t available, size_t* headerLength, uint8_t* type) noexcept {
    if (available < 1 || !IsTextEncoding(body[0])) return false;
    const uint8_t encoding = body[0];
    size_t at = 1;
    if (version == 2) {
        at += 3;
    } else {
        size_t next = 0;
        if (FindTextEnd(0, body + at, available - at, &next) == available - at) return false;
        at += next;
    }
    if (at >= available) return false;
    *type = body[at++];
    size_t next = 0;
    if (FindTextEnd(encoding, body + at, available - at, &next) == available - at) return false;
    *headerLength = at + next;
    return true;
}
