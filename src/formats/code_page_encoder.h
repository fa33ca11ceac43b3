// The system's code page as the platform converts to it: what ID3v1 and RIFF INFO text is
// written in, the counterpart of MediaSource::DecodeCodePage.
#pragma once
#include <cstddef>
#include <string>

class CodePageEncoder {
public:
    virtual ~CodePageEncoder() = default;
    // As many whole characters of text as fit in most bytes; one the code page lacks
    // becomes the code page's default character.
    virtual std::string Encode(const std::u16string& text, size_t most) = 0;
};
