// The system code page's form of text for the ID3v1 tag, as the lumex control reads it back.
#pragma once
#include "formats/code_page_encoder.h"

class SystemCodePageEncoder final : public CodePageEncoder {
public:
    std::string Encode(const std::u16string& text, size_t most) override;
};
