// Which format a file is, from its bytes alone (never its name), and the reader for it.
#pragma once
#include <cstdint>

#include "formats/prefetched_source.h"

enum class MediaFormat { Mp3, Flac, Ogg, Wav, Aiff, Mp4, Asf };

struct RecognizedFormat {
    MediaFormat Format = MediaFormat::Mp3;
    uint64_t Start = 0;  // where the format's own bytes begin: after an ID3v2 tag before "fLaC"
};

// The format of the file whose first bytes file holds; MP3 for whatever else, whose reader
// finds what there is of ID3 tags and MPEG audio.  False when the system fails a read.
bool RecognizeFormat(PrefetchedSource& file, RecognizedFormat& format, uint32_t* error);
