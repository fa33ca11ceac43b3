// A MediaSource that passes every call on to another and notes each read it passes on,
// where and how much: the reads a bare loop makes again without the parsing between them.
#pragma once
#include <vector>

#include "formats/media_source.h"

struct ReadCall {
    uint64_t Offset = 0;
    size_t Size = 0;
};

class RecordingSource final : public MediaSource {
public:
    RecordingSource(MediaSource& inner, std::vector<ReadCall>& reads) noexcept : inner_(inner), reads_(reads) {}

    bool GetSize(uint64_t* size, uint32_t* error) noexcept override { return inner_.GetSize(size, error); }
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept override;
    std::u16string DecodeCodePage(const char* text, size_t size) override { return inner_.DecodeCodePage(text, size); }

private:
    MediaSource& inner_;
    std::vector<ReadCall>& reads_;
};
