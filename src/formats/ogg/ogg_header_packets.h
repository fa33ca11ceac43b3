// The header packets of the first audio stream of an Ogg file, as its writer needs them:
// which codec, the pages after the first that hold them (other streams' pages may lie
// between), and the packets on those pages, walked whole or refused naming why.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/ogg/ogg_page_layout.h"
#include "formats/prefetched_source.h"
#include "formats/save_plan.h"

enum class OggCodec { Other, Vorbis, Opus, Flac };

struct OggHeaderPage {
    uint64_t Offset = 0, End = 0;
    OggPageShape Shape;
    uint8_t Flags = 0;
    uint32_t Sequence = 0;
};

struct OggHeaderPackets {
    OggCodec Codec = OggCodec::Other;
    uint32_t Serial = 0;
    // The stream's pages from the one after its first (which holds the identification
    // header alone) to the one its last header packet ends on, which holds nothing after it.
    std::vector<OggHeaderPage> Pages;
    // The packets on them: the comment header, then Vorbis's setup header.
    std::vector<std::vector<uint8_t>> Packets;
};

// Finds the first Vorbis or Opus stream among the streams the file begins with (a stream
// of FLAC before it is refused) and walks its header packets, every page's checksum right.
SaveVerdict ReadOggHeaderPackets(PrefetchedSource& file, OggHeaderPackets& headers);
