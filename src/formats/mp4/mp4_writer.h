// The MP4 writer: the "ilst" items under moov/udta/meta (made, with the meta box's handler,
// where absent) edited; every other box byte for byte but for the sizes of the boxes
// around the items and, where the movie box grows or shrinks before the media data, the
// chunk offsets of every track.
//
// The new movie box takes the old one's place where it fits it with a "free" box beside
// the items or beside the movie box, which gives or takes what the items grew or shrank:
// the file keeps its size and the media its offsets.  Otherwise the file is written anew
// with a fresh free box in front of ilst and the covers after the other items, so that a
// later text edit changes only the bytes from that free box to the edited item, laid out
// within one page: the items before the covers move back into the free box and the covers
// stay put.  A fragmented file (movie fragments) is refused.
#pragma once
#include <cstdint>

#include "formats/save_request.h"

// The free box a file written anew keeps in front of its items: what lets it and the items
// before the covers end within the page where it begins, at least kLeastMp4Padding; or
// kMp4FreshPadding where those items take most of a page.
constexpr uint64_t kLeastMp4Padding = 1024;
constexpr uint64_t kMp4FreshPadding = 2048;
// Movie boxes larger than this are not read into memory: the file is refused.
constexpr uint64_t kLargestMovieBox = 128u * 1024 * 1024;

SaveVerdict PlanMp4Save(const SaveRequest& request, SavePlan& plan);
