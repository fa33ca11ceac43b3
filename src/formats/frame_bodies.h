// The bodies of the frames the properties are made of: text frames (T***, TXXX), comments
// (COMM) and pictures (APIC, and PIC in 2.2).  Each takes the body with its extra header
// bytes and unsynchronisation already removed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct TextFrame {
    std::wstring Key;  // the frame id, or "TXXX:" and the description
    std::vector<std::wstring> Values;
};

struct CommentFrame {
    std::wstring Description;
    std::vector<std::wstring> Values;
};

// False when the body is empty or names an unknown encoding.
bool ParseTextFrame(const std::wstring& id, const BYTE* body, size_t size, TextFrame& frame);
bool ParseCommentFrame(const BYTE* body, size_t size, CommentFrame& frame);

// The picture's type and where its image starts in the body (*headerLength), from the
// first bytes of the body (available of them); false when those do not hold a complete
// picture header.  A 2.2 PIC names its image format in three bytes instead of a MIME type.
bool ParsePictureHeader(int version, const BYTE* body, size_t available, size_t* headerLength, BYTE* type) noexcept;
