#include "formats/ogg/ogg_page_layout.h"

#include <algorithm>

#include "formats/ogg/ogg_crc.h"

namespace {

constexpr size_t kMostSegments = 255;
constexpr uint64_t kNoGranule = ~0ull;

// Every packet's lacing values in order: a 255 for each whole 255 bytes, then the rest
// (0 after a packet of a multiple of 255).
std::vector<uint8_t> LacingOf(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<uint8_t> lacing;
    for (const std::vector<uint8_t>& packet : packets) {
        lacing.insert(lacing.end(), packet.size() / 255, 255);
        lacing.push_back(static_cast<uint8_t>(packet.size() % 255));
    }
    return lacing;
}

// The pages' lacing counts and granules: the old shapes where they fit the lacing, else full pages.
std::vector<OggPageShape> ShapesFor(const std::vector<uint8_t>& lacing, const std::vector<OggPageShape>& old) {
    size_t oldSegments = 0;
    for (const OggPageShape& shape : old) oldSegments += shape.Segments;
    // An old page of no lacing values is not taken: readers stop at such a page among the headers.
    const bool emptyPage =
        std::any_of(old.begin(), old.end(), [](const OggPageShape& shape) { return shape.Segments == 0; });
    std::vector<OggPageShape> shapes = old;
    if (oldSegments != lacing.size() || old.empty() || emptyPage) {
        shapes.clear();
        for (size_t at = 0; at < lacing.size(); at += kMostSegments) {
            shapes.push_back({std::min(kMostSegments, lacing.size() - at), 0});
        }
    }
    // A page on which no packet ends has no granule position; one on which one does keeps the old one's.
    size_t at = 0;
    for (OggPageShape& shape : shapes) {
        const auto first = lacing.begin() + static_cast<std::ptrdiff_t>(at);
        const bool packetEnds = std::any_of(first, first + static_cast<std::ptrdiff_t>(shape.Segments),
                                            [](uint8_t lace) { return lace < 255; });
        if (!packetEnds) {
            shape.Granule = kNoGranule;
        } else if (shape.Granule == kNoGranule) {
            shape.Granule = 0;
        }
        at += shape.Segments;
    }
    return shapes;
}

void PutLittleEndian(std::vector<uint8_t>& out, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> LayOutOggPages(const std::vector<std::vector<uint8_t>>& packets, const OggPageStamp& stamp,
                                    const std::vector<OggPageShape>& shapes, uint32_t* pageCount) {
    const std::vector<uint8_t> lacing = LacingOf(packets);
    std::vector<uint8_t> body;
    for (const std::vector<uint8_t>& packet : packets) body.insert(body.end(), packet.begin(), packet.end());
    const std::vector<OggPageShape> pages = ShapesFor(lacing, shapes);
    std::vector<uint8_t> out;
    size_t segment = 0, bodyAt = 0;
    for (size_t page = 0; page < pages.size(); ++page) {
        const size_t start = out.size();
        const bool continues = segment > 0 && lacing[segment - 1] == 255;
        const bool last = page + 1 == pages.size();
        out.insert(out.end(), {'O', 'g', 'g', 'S', 0});
        out.push_back(static_cast<uint8_t>((continues ? 1 : 0) | (last && stamp.EndsStream ? 4 : 0)));
        PutLittleEndian(out, pages[page].Granule, 8);
        PutLittleEndian(out, stamp.Serial, 4);
        PutLittleEndian(out, static_cast<uint32_t>(stamp.FirstSequence + page), 4);
        PutLittleEndian(out, 0, 4);
        out.push_back(static_cast<uint8_t>(pages[page].Segments));
        size_t size = 0;
        for (size_t i = 0; i < pages[page].Segments; ++i, ++segment) {
            out.push_back(lacing[segment]);
            size += lacing[segment];
        }
        out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(bodyAt),
                   body.begin() + static_cast<std::ptrdiff_t>(bodyAt + size));
        bodyAt += size;
        const uint32_t checksum = OggPageChecksum(out.data() + start, out.size() - start);
        for (int i = 0; i < 4; ++i) out[start + kOggChecksumAt + i] = static_cast<uint8_t>(checksum >> (8 * i));
    }
    *pageCount = static_cast<uint32_t>(pages.size());
    return out;
}
