// What a save does with the tags beside the one it writes (later tags back to back at the
// start, a tag appended at the end): every frame the written tag lacks moves into it,
// converted to its version, so that nothing they hold is lost and no value of theirs shows
// through an edit after the save.
//
// A frame is lacking when the tag has none of its identifier and, where the frame has
// them, the same description, language, picture type or owner (a frame of which a tag
// holds one, such as a text frame, by its identifier alone; one of an unknown kind by its
// whole body).  Converting moves the flags to the other version's places and drops 2.4's
// data length; 2.3 gets UTF-16 for 2.4's UTF-8 and UTF-16BE, TYER for a TDRC that holds a
// year alone, 2.4 TDRC for such a TYER; frames that only one version defines keep their
// identifiers (the reader reads them in either).  A compressed or encrypted frame of the
// other version, whose text cannot be seen to convert, is not carried.
#pragma once
#include <vector>

#include "formats/id3v2/stored_tag.h"

// Moves into `into` every frame of `from` that it lacks, converted, after its own frames
// and in from's order; the frames that cannot be carried are added to uncarried, as they
// are in from's version.
void TakeLackingFrames(StoredTag& into, StoredTag&& from, std::vector<StoredFrame>& uncarried);
