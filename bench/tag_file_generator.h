// The bytes of the tag-reading benchmarks' files, one seeded sequence: 85 % end in an
// ID3v1 tag of random texts behind random bytes, the rest are random bytes alone, 0 to
// 4,096 bytes in all.  Plain C++, so that the Windows set and the native one hold the
// same files.
#pragma once
#include <random>

#include "common/media_bytes.h"

class TagFileGenerator {
public:
    // The next file of the sequence; *tagged says whether it ends in an ID3v1 tag.
    Bytes Next(bool* tagged);

private:
    std::mt19937 random_{20240610};
};
