// The bodies of the frames the properties are made of: text frames (T***, TXXX), comments
// (COMM) and pictures (APIC, and PIC in 2.2).  Each takes the body with its extra header
// bytes and unsynchronisation already removed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TextFrame {
    std::u16string Key;  // the frame id, or "TXXX:" and the description
    std::u16string Text;  // the values joined "; ", but for TCON
    std::vector<std::u16string> Values;  // TCON's values alone: its genres resolve one by one
};

struct CommentFrame {
    std::u16string Description;
    std::u16string Text;  // the values joined "; "
};

// False when the body is empty or names an unknown encoding.
bool ParseTextFrame(const std::u16string& id, const uint8_t* body, size_t size, TextFrame& frame);
bool ParseCommentFrame(const uint8_t* body, size_t size, CommentFrame& frame);

// The picture's type and where its image starts in the body (*headerLength), from the
// first bytes of the body (available of them); false when those do not hold a complete
// picture header.  A 2.2 PIC names its image format in three bytes instead of a MIME type.
bool ParsePictureHeader(int version, const uint8_t* body, size_t available, size_t* headerLength, uint8_t* type) noexcept;
