// The fields both readers give, in one form to compare: texts as UTF-8, numbers as they
// are, the duration in seconds.
#pragma once
#include <cstdint>
#include <string>

#include "formats/media_tags.h"
#include "taglib_reader.h"

struct SharedFields {
    static constexpr int kTexts = 5;
    static constexpr int kNumbers = 5;
    static const char* const kTextNames[kTexts];
    static const char* const kNumberNames[kNumbers];

    std::string Texts[kTexts];     // title, artist, album, genre, comment
    long Numbers[kNumbers] = {};   // year, track, bitrate (kbit/s), sample rate (Hz), channels
    double Duration = 0;
};

SharedFields SharedFieldsOf(const MediaTags& tags);
SharedFields SharedFieldsOf(const TagLibFields& fields);

// A sum over the same fields as each reader hands them out, unconverted: what a timed pass
// returns, so that nothing it reads is optimised away.
uint64_t FieldSum(const MediaTags& tags);
uint64_t FieldSum(const TagLibFields& fields);
